// PNG images on a canvas (opaque, one transparent colour, partial alpha), to and from bitmaps,
// and the disabled-look functions.
#include <gtest/gtest.h>

#include "PngTestSupport.h"
#include "controls/PngFunctions.h"
#include "framework/Bitmap.h"
#include "framework/Icon.h"
#include "tests/framework/GraphicsTestSupport.h"

using namespace png_test;

namespace {

// A 2 x 1 RGB image: red, blue; optionally with blue as its transparent colour.
std::unique_ptr<TPngGraphic> RedBlue(bool blueTransparent) {
  std::string trns = blueTransparent ? Chunk("tRNS", std::string("\0\0\0\0\0\xFF", 6)) : "";
  return Load(File({Ihdr(2, 1, 8, 2), trns, Idat(std::string("\0\xFF\0\0\0\0\xFF", 7)), Iend()}));
}

// A 2 x 1 RGBA image: black at the given alphas.
std::unique_ptr<TPngGraphic> BlackAlpha(uint8_t a0, uint8_t a1) {
  return Load(File({Ihdr(2, 1, 8, 6), Idat(std::string{'\0', 0, 0, 0, char(a0), 0, 0, 0, char(a1)}), Iend()}));
}

}  // namespace

TEST(PngDraw, OpaqueAndSingleColourImagesStretchIntoTheRectangle) {
  TTestPicture s(8, 4);
  s.Canvas()->StretchDraw(Rect(0, 0, 8, 4), RedBlue(false).get());
  EXPECT_EQ(s.Count(0x0000FF, 0, 0, 4, 4) + s.Count(0xFF0000, 4, 0, 8, 4), 32);

  s.Fill(0x00FF00);
  s.Canvas()->StretchDraw(Rect(0, 0, 8, 4), RedBlue(true).get());
  EXPECT_EQ(s.Count(0x0000FF, 0, 0, 4, 4) + s.Count(0x00FF00, 4, 0, 8, 4), 32);  // green shows through
}

TEST(PngDraw, PartialAlphaBlendsAtTheImagesOwnSize) {
  TTestPicture s(4, 2);
  s.Canvas()->StretchDraw(Rect(1, 0, 4, 2), BlackAlpha(128, 0).get());
  // (0 x 128 + 255 + 127 x 255) / 256 = 127 over white; alpha 0 leaves white.
  EXPECT_EQ(s.Pixel(1, 0), 0x7F7F7Fu);
  EXPECT_TRUE(s.Pixel(2, 0) == 0xFFFFFFu && s.Pixel(1, 1) == 0xFFFFFFu);  // not stretched

  std::string palette = std::string("\0\0\0\xFF\xFF\xFF", 6);
  auto indexed = Load(File({Ihdr(2, 1, 8, 3), Chunk("PLTE", palette), Chunk("tRNS", std::string("\x40\xFF", 2)),
                            Idat(std::string("\0\0\1", 3)), Iend()}));
  s.Fill(0xFFFFFF);
  s.Canvas()->Draw(0, 0, indexed.get());
  EXPECT_EQ(s.Pixel(0, 0), 0xBFBFBFu);  // (255 + 191 x 255) / 256
}

TEST(PngDraw, BitmapsGoInAndOutWithTheirFormatAndTransparency) {
  TBitmap source;
  source.SetPixelFormat(pf24bit);
  source.SetSize(3, 2);
  source.Canvas()->SetPixels(0, 0, static_cast<TColor>(0x123456));
  source.Canvas()->SetPixels(2, 1, static_cast<TColor>(0xABCDEF));
  TPngGraphic png;
  png.Assign(&source);
  EXPECT_EQ(png.Header()->ColorType, 2);
  EXPECT_EQ(Rgb(Load(Save(png))->Pixels(2, 1)), 0xABCDEFu);

  source.SetPixelFormat(pf8bit);
  source.SetTransparentColor(static_cast<TColor>(0xFFFFFF));
  source.SetTransparent(true);
  png.Assign(&source);
  EXPECT_TRUE(png.Header()->ColorType == 3 && png.TransparencyMode() == ptmBit);
  EXPECT_EQ(Rgb(png.TransparentColor()), 0xFFFFFFu);

  TBitmap out;
  png.AssignTo(&out);
  EXPECT_TRUE(out.PixelFormat() == pf8bit && out.Transparent() && Rgb(out.TransparentColor()) == 0xFFFFFFu);
  EXPECT_EQ(Rgb(out.Canvas()->Pixels(0, 0)), Rgb(png.Pixels(0, 0)));
}

TEST(PngDraw, PixelsOfPaletteImagesTakeTheNearestEntry) {
  std::string palette = std::string("\0\0\0\xFF\0\0\0\0\xFF", 9);
  auto png = Load(File({Ihdr(2, 1, 2, 3), Chunk("PLTE", palette), Idat(std::string("\0\0", 2)), Iend()}));
  png->SetPixels(1, 0, static_cast<TColor>(0xE00010));  // nearly blue
  png->SetPixels(5, 0, clWhite);                        // outside: ignored
  EXPECT_EQ(Rgb(png->Pixels(1, 0)) + Rgb(png->Pixels(5, 0)), 0xFF0000u);

  // The logical palette mirrors the entries; a new one recolours the pixels.
  struct {
    WORD version, count;
    PALETTEENTRY entries[2];
  } log{0x300, 2, {{1, 2, 3, 0}, {4, 5, 6, 0}}};
  TPaletteHandle other(CreatePalette(reinterpret_cast<LOGPALETTE*>(&log)));
  png->SetPalette(other.Get());
  EXPECT_EQ(Rgb(Load(Save(*png))->Pixels(0, 0)), 0x030201u);
}

TEST(PngFunctions, BlendingScalesAlphaAndClearsTheTransparentColour) {
  auto rgba = BlackAlpha(255, 1);
  BlendPngImage(rgba.get(), 127);
  EXPECT_EQ(rgba->AlphaScanline(0)[0] * 1000 + rgba->AlphaScanline(0)[1], 128001);  // 127.5 rounds up

  auto keyed = RedBlue(true);
  BlendPngImage(keyed.get(), 127);
  EXPECT_TRUE(keyed->Header()->ColorType == 6 && keyed->Chunks()->ItemFromClass<TChunktRNS>() == nullptr);
  EXPECT_EQ(keyed->AlphaScanline(0)[0] * 1000 + keyed->AlphaScanline(0)[1], 128000);

  std::string palette = std::string("\0\0\0\xFF\xFF\xFF", 6);
  auto indexed = Load(File({Ihdr(2, 1, 1, 3), Chunk("PLTE", palette), Chunk("tRNS", std::string("\0", 1)),
                            Idat(std::string("\0\x40", 2)), Iend()}));
  BlendPngImage(indexed.get(), 127);
  EXPECT_TRUE(indexed->Header()->ColorType == 6 && Rgb(indexed->Pixels(1, 0)) == 0xFFFFFFu);
  // Grey and palette images: the amount itself for opaque pixels (RGB ones scale 255 to 128).
  EXPECT_EQ(indexed->AlphaScanline(0)[0] * 1000 + indexed->AlphaScanline(0)[1], 127);
}

TEST(PngFunctions, GreyKeepsWithinAByteAndLeavesGreyImagesAlone) {
  auto white = Load(File({Ihdr(1, 1, 8, 2), Idat(std::string("\0\xFF\xFF\xFF", 4)), Iend()}));
  GreyPngImage(white.get(), 127);
  EXPECT_EQ(Rgb(white->Pixels(0, 0)), 0xFFFFFFu);  // 128 + 128 would wrap to black

  auto red = RedBlue(false);
  GreyPngImage(red.get(), 255);
  EXPECT_EQ(Rgb(red->Pixels(1, 0)), 0x1C1C1Cu);  // round(0.11 x 255) = 28

  std::string palette = std::string("\xFF\0\0", 3);
  auto indexed = Load(File({Ihdr(1, 1, 8, 3), Chunk("PLTE", palette), Idat(std::string("\0\0", 2)), Iend()}));
  GreyPngImage(indexed.get(), 255);
  EXPECT_EQ(Rgb(indexed->Pixels(0, 0)), 0x4D4D4Du);

  auto grey = Load(File({Ihdr(1, 1, 8, 0), Idat(std::string("\0\x10", 2)), Iend()}));
  GreyPngImage(grey.get(), 255);
  EXPECT_EQ(Rgb(grey->Pixels(0, 0)), 0x101010u);
}

TEST(PngFunctions, DisabledDrawingBlendsToAboutHalfAndGreys) {
  TTestPicture s(2, 1);
  auto red = RedBlue(false);
  DrawPngImage(red.get(), s.Canvas(), Rect(0, 0, 2, 1), TPngOptions{pngBlendOnDisabled});
  EXPECT_EQ(s.Pixel(0, 0), 0x7F7FFFu);  // red at alpha 128 over white
  s.Fill(0xFFFFFF);
  DrawPngImage(red.get(), s.Canvas(), Rect(0, 0, 2, 1), TPngOptions{pngBlendOnDisabled, pngGrayscaleOnDisabled});
  const uint32_t p = s.Pixel(0, 0);
  EXPECT_TRUE(p % 0x10101 == 0 && p < 0xFFFFFF) << std::hex << p;
  EXPECT_EQ(Rgb(red->Pixels(0, 0)), 0x0000FFu);  // the image itself is unchanged
}

TEST(PngFunctions, MasksColourKeysAndIconsBecomeAlpha) {
  TBitmap color, mask;
  color.SetSize(2, 1);
  color.Canvas()->SetPixels(0, 0, clRed);
  mask.SetSize(2, 1);
  mask.Canvas()->SetPixels(0, 0, static_cast<TColor>(0x000040));
  mask.Canvas()->SetPixels(1, 0, clWhite);
  TPngGraphic png;
  auto alphas = [&] { return png.AlphaScanline(0)[0] * 1000 + png.AlphaScanline(0)[1]; };
  BitmapMaskToPng(&color, &mask, &png, false);
  EXPECT_EQ(alphas(), 0x40 * 1000 + 0xFF);
  BitmapMaskToPng(&color, &mask, &png, true);
  EXPECT_TRUE(png.AlphaScanline(0)[0] == 0xBF && Rgb(png.Pixels(0, 0)) == 0x0000FFu);

  BitmapColorKeyToPng(&color, clRed, &png);
  EXPECT_EQ(alphas(), 255);
  color.SetTransparent(true);  // the bottom-left pixel, red
  GraphicToPng(&color, &png);
  EXPECT_EQ(alphas(), 255);

  // An icon with its own alpha keeps it.
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), 2, -1, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  TBitmapHandle iconColor(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  static_cast<uint32_t*>(bits)[0] = 0x80112233;
  static_cast<uint32_t*>(bits)[1] = 0xFF445566;
  TBitmapHandle iconMask(CreateBitmap(2, 1, 1, 1, nullptr));
  ICONINFO ii{TRUE, 0, 0, iconMask.Get(), iconColor.Get()};
  TIcon icon;
  icon.SetHandle(CreateIconIndirect(&ii));
  GraphicToPng(&icon, &png);
  ASSERT_TRUE(IconAlphaSupported());
  ASSERT_NE(png.AlphaScanline(0), nullptr);
  EXPECT_TRUE(alphas() == 0x80 * 1000 + 0xFF && Rgb(png.Pixels(1, 0)) == 0x665544u);
}
