// A test picture filled with one colour whose canvas brush is set to another, for the skinned
// painters that fill with the canvas brush.
#pragma once

#include "tests/common/TestPicture.h"

struct TSkinPicture : TTestPicture {
  TSkinPicture(int AW, int AH, COLORREF Fill, COLORREF Brush) : TTestPicture(AW, AH, Fill), W(AW), H(AH) {
    Canvas()->Brush()->SetColor(static_cast<TColor>(Brush));
  }
  int W, H;
};
