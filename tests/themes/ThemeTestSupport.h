// A 32-bit memory picture to paint on and read pixels back from, as TColor values.
#pragma once

#include "framework/Colors.h"
#include "framework/GdiHandles.h"
#include "framework/Types.h"
#include "themes/UiUtils.h"

struct TTestPicture {
  TTestPicture(int W, int H, COLORREF Fill = 0xFFFFFF)
      : dc(CreateCompatibleDC(nullptr)), bitmap(CreateBitmap(W, H, 1, 32, nullptr)) {
    select.Select(dc.Get(), bitmap.Get());
    TBrushHandle brush(CreateSolidBrush(Fill));
    RECT r{0, 0, W, H};
    FillRect(dc.Get(), &r, brush.Get());
  }
  HDC DC() const { return dc.Get(); }
  uint32_t At(int X, int Y) const { return GetPixel(dc.Get(), X, Y); }
  int Count(const TRect& R, uint32_t C) const {
    int n = 0;
    for (int y = R.Top; y < R.Bottom; ++y)
      for (int x = R.Left; x < R.Right; ++x) n += At(x, y) == C;
    return n;
  }
  TCreatedDC dc;
  TBitmapHandle bitmap;
  TSelectObject select;
};

// Keeps the unit's optional functions and puts them back, so a test may take some away.
struct TSavedFunctions {
  TSavedFunctions() : saved(UiOptionalFunctions()) {}
  ~TSavedFunctions() { UiOptionalFunctions() = saved; }
  TUiOptionalFunctions saved;
};

inline uint32_t Sys(TColor C) { return ColorToRGB(C) & 0xFFFFFF; }
