// The frame that shows a designed control's bounds.
#include "framework/DesignFrame.h"

void DrawDesignFrame(TCanvas* Canvas, const TRect& Rect, TPenStyle Style, TColor Color) {
  Canvas->Pen()->SetStyle(Style);
  Canvas->Pen()->SetColor(Color);
  Canvas->Brush()->SetStyle(bsClear);
  Canvas->Rectangle(Rect);
}
