// A 32-bit bitmap with a canvas, filled with one colour, whose pixels tests read back.
#pragma once

#include "framework/Bitmap.h"

struct TSkinPicture {
  TSkinPicture(int AW, int AH, COLORREF Fill, COLORREF Brush) : W(AW), H(AH) {
    Bitmap.SetPixelFormat(pf32bit);
    Bitmap.SetSize(W, H);
    Canvas()->Brush()->SetColor(static_cast<TColor>(Fill));
    Canvas()->FillRect(TRect(0, 0, W, H));
    Canvas()->Brush()->SetColor(static_cast<TColor>(Brush));
  }
  TCanvas* Canvas() { return Bitmap.Canvas(); }
  COLORREF At(int X, int Y) { return GetPixel(Canvas()->Handle(), X, Y); }
  int Count(const TRect& R, COLORREF C) {
    int n = 0;
    for (int y = R.Top; y < R.Bottom; ++y)
      for (int x = R.Left; x < R.Right; ++x) n += At(x, y) == C;
    return n;
  }
  // Every pixel equal to Other's, or to Other's upside down.
  bool Matches(TSkinPicture& Other, bool Flipped) {
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x)
        if (At(x, y) != Other.At(x, Flipped ? H - 1 - y : y)) return false;
    return true;
  }
  int W, H;
  TBitmap Bitmap;
};
