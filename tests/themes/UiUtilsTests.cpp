// Colour arithmetic with exact values, the clNone-aware drawing helpers, gradients and icon effects.
#include <gtest/gtest.h>

#include "framework/Bitmap.h"
#include "framework/Exceptions.h"
#include "framework/ImageList.h"
#include "tests/themes/ThemeTestSupport.h"
#include "themes/UiUtils.h"

namespace {

struct TMixCase {
  TColor C1, C2;
  int W;
  uint32_t Expected;
};

TEST(UiColors, MixColorsDividesBy256) {
  const TMixCase cases[] = {
      {clWhite, clBlack, 255, 0xFEFEFE},  // one step short of C1
      {clWhite, clBlack, 0, 0x000000},
      {clBlack, clWhite, 0, 0xFEFEFE},  // one step short of C2
      {clRed, clBlue, 128, 0x7E007F},   // red 255*128/256, blue 255*127/256
      {TColor(0x204060), TColor(0x604020), 64, 0x4F3F2F},
  };
  for (const TMixCase& c : cases) EXPECT_EQ(static_cast<uint32_t>(MixColors(c.C1, c.C2, c.W)), c.Expected) << c.W;
  EXPECT_EQ(static_cast<uint32_t>(MixColorsNearest(clWhite, clBlack, 255)), 0xFEFEFEu);
  try {
    MixColors(clWhite, clBlack, 256), ADD_FAILURE();
  } catch (const EAssertionFailed& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Assertion failure (", 0), 0u);
  }
}

TEST(UiColors, MixColorsPercentSwitchesToPerMilleAt100) {
  const TMixCase cases[] = {
      {clWhite, clBlack, 45, 0x737373},  // (255*45+50) div 100 = 115
      {clWhite, clBlack, 99, 0xFCFCFC},
      {clWhite, clBlack, 100, 0x1A1A1A},  // per mille: 10 percent of C1
      {clWhite, clBlack, 1000, 0xFFFFFF},
      {clBlack, clWhite, 0, 0xFFFFFF},
      {TColor(0x0000C8), TColor(0x640000), 50, 0x320064},
  };
  for (const TMixCase& c : cases)
    EXPECT_EQ(static_cast<uint32_t>(MixColorsPercent(c.C1, c.C2, c.W)), c.Expected) << c.W;
  EXPECT_THROW(MixColorsPercent(clWhite, clBlack, -1), EAssertionFailed);
}

TEST(UiColors, ShiftDarknessAndScanline) {
  EXPECT_EQ(static_cast<uint32_t>(ShiftColorChannels(TColor(0x10F080), 32)), 0x30FFA0u);
  EXPECT_EQ(static_cast<uint32_t>(ShiftColorChannels(TColor(0x10F080), -32)), 0x00D060u);
  uint32_t face = Sys(clBtnFace);
  EXPECT_EQ(static_cast<uint32_t>(ShiftColorChannels(clBtnFace, 0)), face);
  // The blue weight is 30, so pure blue is not dark below 30 * 255 / 256.
  struct {
    TColor C;
    int Threshold;
    bool Dark;
  } dark[] = {{clBlue, 29, false},  {clBlue, 30, true},  {clRed, 75, false},  {clRed, 76, true},
              {clLime, 149, false}, {clLime, 150, true}, {clBlack, 0, false}, {clBlack, 1, true}};
  for (const auto& d : dark) EXPECT_EQ(IsDarkColor(d.C, d.Threshold), d.Dark) << d.Threshold;
  EXPECT_EQ(ColorToScanline(TColor(0x112233)), 0xFF332211u);
  EXPECT_EQ(ColorToScanline(clBtnFace), 0xFF000000u | ((face & 0xFF) << 16) | (face & 0xFF00) | ((face >> 16) & 0xFF));
}

TEST(UiDrawing, ClNoneDrawsNothing) {
  TTestPicture pic(20, 20);
  EXPECT_FALSE(FillRectEx(pic.DC(), TRect{0, 0, 20, 20}, clNone));
  TRect r{2, 2, 10, 10};
  FrameRectEx(pic.DC(), r, clNone, true);
  EXPECT_EQ(r, (TRect{3, 3, 9, 9}));  // the frame's room is taken all the same
  DrawLineEx(pic.DC(), 0, 5, 20, 5, clNone);
  PolyLineEx(pic.DC(), {{0, 0}, {19, 19}}, clNone);
  PolygonEx(pic.DC(), {{0, 0}, {19, 0}, {19, 19}}, clNone, clNone);
  RoundRectEx(pic.DC(), TRect{0, 0, 20, 20}, 4, 4, clNone, clNone);
  DrawGlyph(pic.DC(), 0, 0, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, clNone);
  EXPECT_EQ(pic.Count(TRect{0, 0, 20, 20}, 0xFFFFFF), 400);
}

TEST(UiDrawing, FillsFramesAndLines) {
  TTestPicture pic(20, 20);
  EXPECT_TRUE(FillRectEx(pic.DC(), TRect{0, 0, 4, 4}, clBtnShadow));
  EXPECT_EQ(pic.At(3, 3), Sys(clBtnShadow));

  TRect r{5, 5, 15, 12};
  FrameRect3D(pic.DC(), r, clRed, clBlue, true);
  EXPECT_EQ(r, (TRect{6, 6, 14, 11}));
  EXPECT_EQ(pic.At(13, 5), 0x0000FFu);  // top edge
  EXPECT_EQ(pic.At(14, 5), 0xFF0000u);  // top-right corner belongs to the right edge
  EXPECT_EQ(pic.At(5, 11), 0xFF0000u);  // bottom-left corner belongs to the bottom edge

  DrawLineEx(pic.DC(), 8, 16, 12, 16, clBlack);
  EXPECT_EQ(pic.At(11, 16), 0u);
  EXPECT_EQ(pic.At(12, 16), 0xFFFFFFu);  // the end point is not drawn

  TTestPicture poly(10, 10);
  PolygonEx(poly.DC(), {{1, 1}, {8, 1}, {8, 8}, {1, 8}}, clYellow, clNone);
  EXPECT_EQ(poly.At(4, 4), 0x00FFFFu);
  RoundRectEx(poly.DC(), 0, 0, 10, 10, 2, 2, clNone, clRed);
  EXPECT_EQ(poly.At(5, 0), 0x0000FFu);
  EXPECT_EQ(poly.At(4, 4), 0x00FFFFu);  // a hollow inside
}

TEST(UiDrawing, DitherAndPatternGlyph) {
  TTestPicture pic(16, 16);
  DitherRect(pic.DC(), TRect{2, 2, 10, 10}, clRed, clBlue);
  EXPECT_EQ(pic.At(3, 2), 0xFF0000u);
  EXPECT_EQ(pic.At(3, 3), 0x0000FFu);

  TTestPicture glyph(12, 12);
  const uint8_t arrow[8] = {0x80, 0xC0, 0xE0, 0, 0, 0, 0, 0x01};
  DrawGlyph(glyph.DC(), 2, 3, arrow, clGreen);
  EXPECT_EQ(glyph.At(3, 3), 0xFFFFFFu);
  EXPECT_EQ(glyph.At(4, 5), 0x008000u);
  EXPECT_EQ(glyph.At(9, 10), 0x008000u);
  EXPECT_EQ(glyph.Count(TRect{0, 0, 12, 12}, 0x008000), 7);
}

TEST(UiDrawing, GdiObjectsAreFreedAfterASystemChange) {
  TTestPicture pic(4, 4);
  UiUtilsClearGdiCache();
  DitherRect(pic.DC(), TRect{0, 0, 4, 4}, clRed, clLime);
  int before = GdiObjectCount();
  UiUtilsClearGdiCache();
  EXPECT_EQ(GdiObjectCount(), before - 2);  // the brush and its pattern
  UiUtilsSystemChanged();
  EXPECT_NE(UiSmallCaptionFont(), nullptr);
}

TEST(UiGradients, ArraysRoundToBothEnds) {
  ClearGradientCache();
  struct {
    int N;
    TColor C1, C2;
    std::vector<uint32_t> Expected;
  } cases[] = {
      {1, clBlack, clWhite, {0x7F7F7F}},
      {1, clWhite, clBlack, {0x808080}},
      {3, clBlack, clRed, {0x000000, 0x000080, 0x0000FF}},
      {3, clRed, clBlack, {0x0000FF, 0x00007F, 0x000000}},  // a falling channel ends on its end value
      {4, TColor(0x000064), TColor(0x0000C8), {0x64, 0x85, 0xA7, 0xC8}},
  };
  for (const auto& c : cases) {
    const std::vector<TColor>& colors = GradientColors(c.N, c.C1, c.C2);
    std::vector<uint32_t> got(colors.begin(), colors.end());
    EXPECT_EQ(got, c.Expected) << c.N;
  }
  EXPECT_THROW(GradientColors(0, clBlack, clWhite), EAssertionFailed);
}

TEST(UiGradients, RingKeepsTheSixteenNewest) {
  ClearGradientCache();
  const std::vector<TColor>* first = &GradientColors(10, clRed, clBlue);
  EXPECT_EQ(&GradientColors(10, clRed, clBlue), first);  // found, not made again
  for (int i = 0; i < 15; ++i) GradientColors(20 + i, clRed, clBlue);
  EXPECT_TRUE(GradientCached(10, clRed, clBlue));
  GradientColors(99, clRed, clBlue);  // the seventeenth replaces the oldest slot
  EXPECT_FALSE(GradientCached(10, clRed, clBlue));
  EXPECT_TRUE(GradientCached(20, clRed, clBlue));
  EXPECT_FALSE(GradientCached(10, clBlue, clRed));
}

TEST(UiGradients, GradFillWithAndWithoutTheSystemFunction) {
  TTestPicture pic(12, 12);
  GradFill(pic.DC(), TRect{1, 1, 11, 4}, clBlack, clWhite, true);
  EXPECT_EQ(pic.At(1, 2), 0u);
  EXPECT_GE(pic.At(10, 2) & 0xFF, 0xE0u);
  EXPECT_EQ(pic.At(5, 1), pic.At(5, 3));  // columns are uniform
  TSavedFunctions saved;
  UiOptionalFunctions().GradientFill = nullptr;
  GradFill(pic.DC(), TRect{0, 5, 8, 8}, clRed, clBlack, false);
  EXPECT_EQ(pic.At(4, 6), 0x00007Fu);
  EXPECT_EQ(pic.At(4, 7), 0x000000u);
  IntersectClipRect(pic.DC(), 0, 10, 8, 11);
  GradFill(pic.DC(), TRect{0, 9, 8, 12}, clBlack, clBlack, true);
  SelectClipRgn(pic.DC(), nullptr);
  EXPECT_EQ(pic.At(0, 9), 0xFFFFFFu);  // outside the clip box
  EXPECT_EQ(pic.At(0, 10), 0u);
}

// Draws pixels of the given colour at (1, 0) and (2, 0) of its 3 x 1 cell.
TUiImageDrawProc OnePixel(COLORREF C) {
  return [C](HDC dc, int x, int y) { SetPixel(dc, x + 1, y, C), SetPixel(dc, x + 2, y, C); };
}

// Effect 0 blends with white (or black at opacity 255), 1-3 shadow at level 0-2, 4 high contrast.
void ApplyEffect(int Effect, int Param, HDC DC, const TRect& R, const TUiImageDrawProc& Draw) {
  if (Effect == 0) DrawBlendedIcon(DC, R, 3, 1, Draw, Param, Param == 255 ? clBlack : clWhite);
  if (Effect >= 1 && Effect <= 3) DrawShadowedIcon(DC, R, 3, 1, Draw, Effect - 1);
  if (Effect == 4) DrawHighContrastIcon(DC, R, 3, 1, Draw);
}

TEST(UiIconEffects, OnlyTheImagePixelsChange) {
  const struct {
    int Effect, Param;
    COLORREF Background, Image;
    uint32_t Expected;
  } cases[] = {
      {0, 128, 0x808080, 0x0000FF, 0x7E7EFE}, {0, 255, 0x808080, 0x123456, 0x113355},
      {1, 0, 0x808080, 0xFFFFFF, 0x7F7F7F},   {2, 0, 0xC8C8C8, 0x000000, 0xAFAFAF},
      {3, 0, 0x808080, 0x000000, 0x797979},   {4, 0, 0x808080, 0xFFFFFF, 0x202020},
      {4, 0, 0x808080, 0x000000, 0xFFFFFF},   {4, 0, 0xFFFFFF, 0x808080, 0xA0A0A0},
  };
  for (const auto& c : cases) {
    TTestPicture pic(8, 4, c.Background);
    // The rectangle is 2 pixels wide: the image's second pixel is clipped away.
    ApplyEffect(c.Effect, c.Param, pic.DC(), TRect{2, 1, 4, 3}, OnePixel(c.Image));
    EXPECT_EQ(pic.At(3, 1), c.Expected) << c.Effect;
    EXPECT_EQ(pic.Count(TRect{0, 0, 8, 4}, c.Background), 31) << c.Effect;
  }
  TTestPicture pic(4, 4);
  EXPECT_THROW(DrawShadowedIcon(pic.DC(), TRect{0, 0, 4, 4}, 3, 1, OnePixel(0), 3), EAssertionFailed);
}

}  // namespace

namespace {

TEST(UiDrawing, GlyphOfAnImageListEntryIsCentred) {
  TImageList list(nullptr);
  list.SetWidth(4);
  list.SetHeight(4);
  TBitmap image;
  image.SetSize(8, 4);
  HDC dc = image.Canvas()->Handle();
  PatBlt(dc, 0, 0, 8, 4, WHITENESS);
  SetPixel(dc, 0, 0, 0);  // image 0: its top-left pixel
  SetPixel(dc, 7, 3, 0);  // image 1: its bottom-right pixel
  ASSERT_EQ(list.AddMasked(&image, clWhite), 0);
  TTestPicture pic(10, 10);
  DrawGlyph(pic.DC(), TRect{0, 0, 10, 10}, &list, 0, clRed);
  EXPECT_EQ(pic.At(3, 3), 0x0000FFu);
  EXPECT_EQ(pic.Count(TRect{0, 0, 10, 10}, 0x0000FF), 1);
  DrawGlyph(pic.DC(), 1, 1, &list, 1, clBlue);
  EXPECT_EQ(pic.At(4, 4), 0xFF0000u);
}

}  // namespace

// A clNone colour leaves the dither and the gradient out, with or without the system's gradient function.
TEST(UiDrawing, ClNoneDrawsNoDitherAndNoGradient) {
  const std::tuple<bool, bool, TColor, TColor> cases[] = {
      {false, false, clNone, clRed}, {false, false, clRed, clNone}, {true, true, clNone, clBlue},
      {true, true, clBlue, clNone},  {true, false, clNone, clBlue}, {true, false, clBlue, clNone},
  };
  for (auto [gradient, systemFunction, c1, c2] : cases) {
    TSavedFunctions saved;
    if (!systemFunction) UiOptionalFunctions().GradientFill = nullptr;
    TTestPicture pic(12, 12);
    if (gradient)
      GradFill(pic.DC(), TRect{0, 0, 12, 12}, c1, c2, true);
    else
      DitherRect(pic.DC(), TRect{0, 0, 12, 12}, c1, c2);
    EXPECT_EQ(pic.Count(TRect{0, 0, 12, 12}, 0xFFFFFF), 144) << gradient << systemFunction << c1 << c2;
  }
}
