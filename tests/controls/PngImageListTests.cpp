// The PNG image list: its images mirrored into the native list (alpha icons with common
// controls 6, masked icons before), its operations, and form files.
#include <gtest/gtest.h>

#include "PngTestSupport.h"
#include "controls/PngImageList.h"
#include "framework/Bitmap.h"
#include "framework/FormFiles.h"
#include "framework/Icon.h"
#include "tests/framework/GraphicsTestSupport.h"

using namespace png_test;

namespace {

// A 16 x 16 glyph: black with the given alpha on the left half, fully clear on the right.
std::unique_ptr<TPngGraphic> Glyph(uint8_t alpha, uint8_t grey = 0) {
  std::string rows;
  for (int y = 0; y < 16; ++y) {
    rows += '\0';
    for (int x = 0; x < 16; ++x) rows += std::string{char(grey), char(grey), char(grey), char(x < 8 ? alpha : 0)};
  }
  return Load(File({Ihdr(16, 16, 8, 6), Idat(rows), Iend()}));
}

class PngImageList : public testing::Test {
 protected:
  void SetUp() override { saved_ = TPngImageList::ComCtlVersionSource; }
  void TearDown() override { TPngImageList::ComCtlVersionSource = saved_; }
  static void UseVersion6(bool v6) {
    TPngImageList::ComCtlVersionSource = v6 ? [] { return 0x60000u; } : [] { return 0x50051u; };
  }
  // The native entry drawn over white.
  static uint32_t NativePixel(TPngImageList& list, int index, int x, int y) {
    TTestPicture surface(16, 16);
    ImageList_Draw(list.Handle(), index, surface.DC(), 0, 0, ILD_NORMAL);
    return surface.Pixel(x, y);
  }
  unsigned (*saved_)() = nullptr;
};

}  // namespace

TEST_F(PngImageList, AlphaIconsWithVersion6AndMaskedIconsBefore) {
  for (bool v6 : {true, false}) {
    SCOPED_TRACE(v6);
    UseVersion6(v6);
    TPngImageList list(nullptr);
    list.PngImages()->Add()->SetPngImage(Glyph(255).get());
    list.PngImages()->Add()->SetPngImage(Glyph(128).get());
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(NativePixel(list, 0, 2, 2) + NativePixel(list, 0, 12, 2), 0xFFFFFFu);  // black; clear shows white
    uint32_t half = NativePixel(list, 1, 2, 2) & 0xFF;
    if (v6)
      EXPECT_NEAR(half, 0x7F, 2);  // blended by the native list
    else                           // blended over the item's background (the button face) when the icon is made
      EXPECT_EQ(half, (255 + 127 * (ColorToRGB(clBtnFace) & 0xFF)) / 256);
  }
}

TEST_F(PngImageList, EveryItemKeepsItsNativePlaceEvenWithoutAnImage) {
  UseVersion6(true);
  TPngImageList list(nullptr);
  list.PngImages()->Add();
  list.PngImages()->Add()->SetPngImage(Glyph(255).get());
  ASSERT_EQ(list.Count(), 2);
  EXPECT_TRUE(NativePixel(list, 0, 2, 2) == 0xFFFFFFu && NativePixel(list, 1, 2, 2) == 0x000000u);
}

// However few colours the list was given, its native list holds 32 bits: a half-clear pixel is blended, not cut.
TEST_F(PngImageList, TheNativeListIsMadeAgainWithRoomForAlpha) {
  UseVersion6(true);
  for (TColorDepth depth : {cd4Bit, cd8Bit, cd16Bit, cd24Bit, cd32Bit}) {
    SCOPED_TRACE(static_cast<int>(depth));
    TPngImageList list(nullptr);
    list.SetColorDepth(depth);
    list.PngImages()->Add()->SetPngImage(Glyph(128).get());
    IMAGEINFO info{};
    ASSERT_TRUE(ImageList_GetImageInfo(list.Handle(), 0, &info));
    BITMAP bits{};
    GetObjectW(info.hbmImage, sizeof bits, &bits);
    EXPECT_EQ(std::tuple(int(bits.bmBitsPixel), NativePixel(list, 0, 12, 2)), std::tuple(32, 0xFFFFFFu));
    EXPECT_NEAR(static_cast<int>(NativePixel(list, 0, 2, 2) & 0xFF), 0x7F, 2);
  }
  // The list's own depth beside 32 bits names a depth the system does not know: the image comes out black.
  TPngImageList source(nullptr);
  source.PngImages()->Add()->SetPngImage(Glyph(128).get());
  TIconHandle icon(ImageList_GetIcon(source.Handle(), 0, ILD_NORMAL));
  TImageListHandle both(ImageList_Create(16, 16, ILC_COLOR8 | ILC_COLOR32 | ILC_MASK, 0, 4));
  ASSERT_EQ(ImageList_ReplaceIcon(both.Get(), -1, icon.Get()), 0);
  TTestPicture surface(16, 16);
  ImageList_Draw(both.Get(), 0, surface.DC(), 0, 0, ILD_NORMAL);
  EXPECT_EQ(surface.Pixel(2, 2) & 0xFF, 0u);
}

TEST_F(PngImageList, OperationsKeepItemsAndNativeEntriesInStep) {
  UseVersion6(true);
  TPngImageList list(nullptr);
  TBitmap white, black, mask;
  white.SetSize(16, 16);
  black.SetSize(16, 16);
  PatBlt(black.Canvas()->Handle(), 0, 0, 16, 16, BLACKNESS);
  mask.SetSize(16, 16);  // white: opaque
  EXPECT_EQ(list.Add(&white, &mask), 0);
  EXPECT_EQ(list.AddMasked(&black, clRed), 1);
  EXPECT_EQ(list.Add(nullptr, nullptr), -1);
  list.Insert(0, &black, nullptr);
  ASSERT_TRUE(list.Count() == 3 && list.PngImages()->Count() == 3);
  EXPECT_TRUE(NativePixel(list, 0, 5, 5) == 0x000000u && NativePixel(list, 1, 5, 5) == 0xFFFFFFu);
  list.Move(0, 2);
  EXPECT_TRUE(NativePixel(list, 0, 5, 5) == 0xFFFFFFu && NativePixel(list, 2, 5, 5) == 0x000000u);
  list.ReplaceMasked(0, &black, clWhite);
  EXPECT_EQ(NativePixel(list, 0, 5, 5), 0x000000u);

  list.Delete(7);  // out of range: nothing
  list.Delete(-1);
  list.Delete(1);
  EXPECT_TRUE(list.Count() == 2 && list.PngImages()->Count() == 2);
  list.SetWidth(24);
  EXPECT_TRUE(list.Count() == 0 && list.PngImages()->Count() == 0);
}

TEST_F(PngImageList, ImagesComeFromOtherListsAndAPlainListKeepsWorking) {
  UseVersion6(true);
  TImageList plain(nullptr);
  TBitmap black;
  black.SetSize(16, 16);
  PatBlt(black.Canvas()->Handle(), 0, 0, 16, 16, BLACKNESS);
  TPngImageList list(nullptr);
  EXPECT_EQ(plain.Add(&black, nullptr), 0);
  list.AddImages(&plain);
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(NativePixel(list, 0, 3, 3), 0x000000u);

  TPngImageList copy(nullptr);
  list.PngImages()->Items(0)->SetPngImage(Glyph(128, 0x40).get());
  copy.AddImage(&list, 0);
  copy.AddImage(&list, 5);
  ASSERT_EQ(copy.PngImages()->Count(), 1);  // the alpha comes along
  EXPECT_EQ(copy.PngImages()->Items(0)->PngImage()->AlphaScanline(0)[0], 128);

  // Assigning replaces the images with names and backgrounds; the enabled flag comes along only
  // when the list assigns itself to another, and the disabled look never.
  list.PngImages()->Items(0)->SetName("Open");
  list.SetEnabledImages(false);
  list.SetPngOptions(TPngOptions{pngGrayscaleOnDisabled});
  copy.Assign(&list);
  ASSERT_TRUE(copy.PngImages()->Count() == 1 && copy.Count() == 1);
  EXPECT_TRUE(copy.PngImages()->Items(0)->Name() == "Open" && copy.EnabledImages());
  TPngImageList other(nullptr);
  list.AssignTo(&other);
  EXPECT_TRUE(other.PngImages()->Items(0)->Name() == "Open" && !other.EnabledImages());
  EXPECT_TRUE(copy.PngOptions() == TPngOptions{pngBlendOnDisabled} && other.PngOptions() == copy.PngOptions());
}

TEST_F(PngImageList, DisabledEntriesDrawHalfOpaqueAndGrey) {
  UseVersion6(true);
  TPngImageList list(nullptr);
  auto red = Load(File({Ihdr(1, 1, 8, 2), Idat(std::string("\0\xFF\0\0", 4)), Iend()}));
  list.PngImages()->Add()->SetPngImage(red.get());
  TTestPicture s(16, 16);
  TTestPicture& surface = s;
  TCanvas& canvas = *s.Canvas();
  list.Draw(&canvas, 0, 0, 0, false);
  EXPECT_EQ(surface.Pixel(0, 0), 0x7F7FFFu);
  list.SetPngOptions(TPngOptions{pngBlendOnDisabled, pngGrayscaleOnDisabled});
  surface.Fill(0xFFFFFF);
  list.Draw(&canvas, 0, 0, 0, false);
  uint32_t p = surface.Pixel(0, 0);
  EXPECT_TRUE((p & 0xFF) == ((p >> 16) & 0xFF) && (p & 0xFF) < 0xFF) << std::hex << p;
  surface.Fill(0xFFFFFF);
  list.Draw(&canvas, 0, 0, 0, true);
  EXPECT_EQ(surface.Pixel(0, 0), 0x0000FFu);
}

TEST_F(PngImageList, FormFilesStoreThePngImagesAndASizeReadAfterThemKeepsThem) {
  UseVersion6(true);
  RegisterClass(TPngImageList::StaticClassInfo());
  TPngImageList list(nullptr);
  list.SetName("Glyphs");
  list.PngImages()->Add()->SetPngImage(Glyph(128).get());
  list.PngImages()->Items(0)->SetBackground(clWhite);
  std::string text = WriteComponentToText(&list);
  EXPECT_TRUE(text.find("PngImage.Data") != std::string::npos && text.find("Bitmap") == std::string::npos);

  // The size after the images, as a hand-edited file may have it.
  std::string moved = text;
  size_t end = moved.rfind("end");
  moved.insert(end, "  Width = 20\n  Height = 20\n");
  TPngImageList read(nullptr);
  ReadComponentFromText(moved, &read);
  ASSERT_TRUE(read.Width() == 20 && read.PngImages()->Count() == 1 && read.Count() == 1);
  EXPECT_TRUE(read.PngImages()->Items(0)->Background() == clWhite && read.PngImages()->Items(0)->Name() == "PngImage0");
  EXPECT_EQ(read.PngImages()->Items(0)->PngImage()->AlphaScanline(3)[3], 128);
}
