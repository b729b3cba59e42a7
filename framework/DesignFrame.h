// The frame that shows a designed control's bounds where the control itself draws none.
#pragma once

#include "framework/Graphics.h"

// The one-pixel frame round Rect in a pen of Style and Color over a clear brush.
void DrawDesignFrame(TCanvas* Canvas, const TRect& Rect, TPenStyle Style, TColor Color);
