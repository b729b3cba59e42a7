// The disabled look of images.
#include <gtest/gtest.h>

#include "foundation/ApGraphUtils.h"

namespace {

const TColor kBack = TColor(0xC0C0C0), kLight = TColor(0xFFFFFF), kDark = TColor(0x808080);

// A 5 x 5 white image with a red 2 x 2 block at (1, 1).
std::unique_ptr<TBitmap> Sample() {
  auto b = std::make_unique<TBitmap>();
  b->SetSize(5, 5);
  b->Canvas()->Brush()->SetColor(clWhite);
  b->Canvas()->FillRect(Rect(0, 0, 5, 5));
  b->Canvas()->Brush()->SetColor(clRed);
  b->Canvas()->FillRect(Rect(1, 1, 3, 3));
  return b;
}

std::string Picture(TBitmap& b) {
  std::string s;
  for (int y = 0; y < b.Height(); ++y) {
    for (int x = 0; x < b.Width(); ++x) {
      TColor c = b.Canvas()->Pixels(x, y);
      s += c == kBack ? '.' : c == kLight ? 'L' : c == kDark ? 'D' : '?';
    }
    s += '/';
  }
  return s;
}

}  // namespace

TEST(ApGraphUtils, DisabledBitmapWithAndWithoutHighlight) {
  auto src = Sample();
  auto result = MakeDisabledBitmapEx(src.get(), clWhite, kBack, kLight, kDark, true);
  ASSERT_EQ(result->Width(), 5);
  EXPECT_EQ(Picture(*result), "...../.DD../.DDL./..LL./...../");
  result = MakeDisabledBitmapEx(src.get(), clWhite, kBack, kLight, kDark, false);
  EXPECT_EQ(Picture(*result), "...../.DD../.DD../...../...../");
  // The outline colour decides what counts as background: with red, the white becomes shape.
  auto inverse = MakeDisabledBitmapEx(src.get(), clRed, kBack, kLight, kDark, false);
  EXPECT_EQ(Picture(*inverse), "DDDDD/D..DD/D..DD/DDDDD/DDDDD/");
}

TEST(ApGraphUtils, SystemColoursAndEmptySource) {
  auto src = Sample();
  auto result = MakeDisabledBitmap(src.get(), clWhite);
  EXPECT_EQ(result->Canvas()->Pixels(0, 0), TColor(ColorToRGB(clBtnFace)));
  EXPECT_EQ(result->Canvas()->Pixels(1, 1), TColor(ColorToRGB(clBtnShadow)));
  TBitmap empty;
  EXPECT_TRUE(MakeDisabledBitmap(&empty, clWhite)->Empty());
  EXPECT_TRUE(MakeDisabledBitmap(nullptr, clWhite)->Empty());
}
