// Painting a themed window frame and caption strip in off-screen bitmaps, for a title bar that
// makes a form's client area look like a window of the current theme.
#pragma once

#include "framework/Graphics.h"
#include "framework/Types.h"
#include "framework/Win.h"

// The frame of the current theme's floating window, ARect's size, with a caption strip of
// CaptionWidth x CaptionHeight at its top-left corner (none when either is 0; no frame when the
// caption takes the whole height). DockStyleBackground lays a dock background under a theme
// other than "Default". The bitmaps are freed whatever happens; nothing reaches ACanvas when the
// painting fails.
void PaintWindowFrame(HWND Window, TCanvas* ACanvas, const TRect& ARect, int CaptionWidth, int CaptionHeight,
                      bool DockStyleBackground);
// The system's caption in ARect, active or not, with gradient when the system draws captions so.
void PaintSystemCaption(TCanvas* ACanvas, const TRect& ARect, bool Active);
