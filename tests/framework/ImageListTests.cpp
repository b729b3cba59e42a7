// Image lists: adding, drawing, replacing, moving and deleting images checked pixel by pixel;
// change notification; storage in form files; no handles left behind.
#include <gtest/gtest.h>

#include <string>

#include "framework/Bitmap.h"
#include "framework/Icon.h"
#include "framework/ImageList.h"
#include "framework/Streams.h"
#include "tests/framework/GraphicsTestSupport.h"

namespace {

constexpr uint32_t red = 0x0000FF, lime = 0x00FF00, blue = 0xFF0000, yellow = 0x00FFFF, white = 0xFFFFFF;

// 16 x 16 of one colour with a 4-pixel lime border (the mask colour).
void Glyph(TBitmap& b, TColor inner, int images = 1) {
  b.SetSize(16 * images, 16);
  b.Canvas()->Brush()->SetColor(clLime);
  b.Canvas()->FillRect(Rect(0, 0, 16 * images, 16));
  b.Canvas()->Brush()->SetColor(inner);
  for (int i = 0; i < images; ++i) b.Canvas()->FillRect(Rect(16 * i + 4, 4, 16 * i + 12, 12));
}

// Draws image `index` on yellow and gives the colour at the centre and at the border.
struct TDrawn {
  uint32_t centre, border;
};
TDrawn DrawOnYellow(TCustomImageList& list, int index, bool enabled = true) {
  TBitmap target;
  target.SetSize(20, 20);
  target.Canvas()->Brush()->SetColor(clYellow);
  target.Canvas()->FillRect(Rect(0, 0, 20, 20));
  list.Draw(target.Canvas(), 2, 2, index, enabled);
  return {static_cast<uint32_t>(target.Canvas()->Pixels(10, 10)), static_cast<uint32_t>(target.Canvas()->Pixels(3, 3))};
}

uint32_t Centre(TCustomImageList& list, int index) { return DrawOnYellow(list, index).centre; }

// Three images: red, lime-free blue, and a yellow-ish one, added masked.
void FillThree(TImageList& list) {
  TBitmap b;
  for (TColor c : {clRed, clBlue, clBlack}) {
    Glyph(b, c);
    list.AddMasked(&b, clLime);
  }
}

}  // namespace

TEST(ImageList, AddMaskedDrawsTheShapeOnlyAndLeavesTheBitmapAlone) {
  TImageList list(nullptr);
  TBitmap b;
  Glyph(b, clRed);
  EXPECT_EQ(list.AddMasked(&b, clLime), 0);
  TDrawn d = DrawOnYellow(list, 0);
  EXPECT_EQ(d.centre, red);
  EXPECT_EQ(d.border, yellow);
  EXPECT_EQ(static_cast<uint32_t>(b.Canvas()->Pixels(0, 0)), lime);  // not blacked out
  // clDefault takes the bitmap's transparent colour (its bottom-left pixel).
  EXPECT_EQ(list.AddMasked(&b, clDefault), 1);
  EXPECT_EQ(DrawOnYellow(list, 1).border, yellow);
  // clNone adds without a mask.
  EXPECT_EQ(list.AddMasked(&b, clNone), 2);
  EXPECT_EQ(DrawOnYellow(list, 2).border, lime);
  EXPECT_EQ(list.AddMasked(nullptr, clLime), -1);
  TBitmap empty;
  EXPECT_EQ(list.Add(&empty, nullptr), -1);
  EXPECT_EQ(list.Count(), 3);
}

TEST(ImageList, AStripAddsOneImagePerWidth) {
  TImageList list(nullptr);
  TBitmap strip, mask;
  Glyph(strip, clBlue, 3);
  mask.SetPixelFormat(pf1bit);
  mask.SetSize(48, 16);  // white: transparent
  mask.Canvas()->Brush()->SetColor(clBlack);
  for (int i = 0; i < 3; ++i) mask.Canvas()->FillRect(Rect(16 * i + 4, 4, 16 * i + 12, 12));
  EXPECT_EQ(list.Add(&strip, &mask), 0);
  for (int i = 0; i < 3; ++i) {
    TDrawn d = DrawOnYellow(list, i);
    EXPECT_EQ(d.centre, blue) << i;
    EXPECT_EQ(d.border, yellow) << i;
  }
}

TEST(ImageList, ReplaceMoveInsertAndDelete) {
  TImageList list(nullptr);
  FillThree(list);
  TBitmap b;
  Glyph(b, clYellow);

  list.Move(0, 2);  // blue, black, red
  EXPECT_EQ(Centre(list, 0), blue);
  list.Move(2, 0);  // red, blue, black
  EXPECT_EQ(Centre(list, 0), red);
  EXPECT_EQ(Centre(list, 2), 0u);

  Glyph(b, clFuchsia);
  list.InsertMasked(1, &b, clLime);  // red, fuchsia, blue, black
  EXPECT_EQ(Centre(list, 1), 0xFF00FFu);
  EXPECT_EQ(Centre(list, 2), blue);
  EXPECT_EQ(DrawOnYellow(list, 1).border, yellow);
  list.InsertMasked(4, &b, clLime);  // at the end
  EXPECT_EQ(Centre(list, 4), 0xFF00FFu);

  Glyph(b, clWhite);
  list.ReplaceMasked(0, &b, clLime);
  TDrawn replaced = DrawOnYellow(list, 0);
  EXPECT_EQ(replaced.centre, white);
  EXPECT_EQ(replaced.border, yellow);
  Glyph(b, clAqua);
  list.Replace(3, &b, nullptr);
  EXPECT_EQ(Centre(list, 3), 0xFFFF00u);

  list.Delete(1);
  EXPECT_EQ(list.Count(), 4);
  EXPECT_EQ(Centre(list, 1), blue);
}

TEST(ImageList, IndexesOutsideTheListAreRefused) {
  TImageList list(nullptr);
  FillThree(list);
  TBitmap b;
  Glyph(b, clRed);
  TIcon icon;
  for (int bad : {-1, 3, 100}) {
    try {
      list.Delete(bad);  // -1 would empty the native list
      ADD_FAILURE() << bad;
    } catch (const EInvalidOperation& e) {
      EXPECT_STREQ(e.what(), "Invalid ImageList Index");
    }
    EXPECT_THROW(list.Replace(bad, &b, nullptr), EInvalidOperation);
    EXPECT_THROW(list.ReplaceMasked(bad, &b, clLime), EInvalidOperation);
    EXPECT_THROW(list.ReplaceIcon(bad, &icon), EInvalidOperation);
    EXPECT_THROW(list.Move(bad, 0), EInvalidOperation);
    EXPECT_THROW(list.Move(0, bad), EInvalidOperation);
  }
  EXPECT_THROW(list.Insert(4, &b, nullptr), EInvalidOperation);
  EXPECT_THROW(list.Insert(-1, &b, nullptr), EInvalidOperation);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(Centre(list, 0), red);
  // Drawing a missing image draws nothing.
  TDrawn none = DrawOnYellow(list, 7);
  EXPECT_EQ(none.centre, yellow);
}

TEST(ImageList, IconsAndOtherLists) {
  TImageList list(nullptr);
  FillThree(list);
  TIcon icon;
  list.GetIcon(0, &icon);
  ASSERT_FALSE(icon.Empty());
  EXPECT_EQ(list.AddIcon(&icon), 3);
  TDrawn d = DrawOnYellow(list, 3);
  EXPECT_EQ(d.centre, red);
  EXPECT_EQ(d.border, yellow);
  list.InsertIcon(0, &icon);
  EXPECT_EQ(Centre(list, 1), red);
  list.GetIcon(99, &icon);
  EXPECT_TRUE(icon.Empty());
  EXPECT_EQ(list.AddIcon(&icon), -1);

  TImageList other(nullptr);
  EXPECT_EQ(other.AddImage(&list, 2), 0);
  EXPECT_EQ(Centre(other, 0), blue);
  EXPECT_EQ(other.AddImage(&list, 42), -1);
  other.AddImages(&other);  // its own images, once
  EXPECT_EQ(other.Count(), 2);

  TImageList copy(nullptr);
  copy.SetWidth(8);
  copy.Assign(&list);
  EXPECT_EQ(copy.Count(), list.Count());
  EXPECT_EQ(Centre(copy, 2), blue);

  TBitmap bitmap;
  EXPECT_TRUE(list.GetBitmap(1, &bitmap));
  EXPECT_EQ(bitmap.Canvas()->Pixels(8, 8), clRed);
  EXPECT_EQ(bitmap.Canvas()->Pixels(0, 0), clWhite);
  EXPECT_FALSE(list.GetBitmap(-1, &bitmap));
}

TEST(ImageList, DisabledImagesAreEmbossed) {
  TImageList list(nullptr);
  TBitmap b;
  Glyph(b, clRed);
  list.AddMasked(&b, clLime);
  TBitmap target;
  target.SetSize(20, 20);
  target.Canvas()->Brush()->SetColor(clYellow);
  target.Canvas()->FillRect(Rect(0, 0, 20, 20));
  list.Draw(target.Canvas(), 0, 0, 0, false);
  // The square from 4 to 11 in the shadow colour, its highlight copy showing one pixel
  // further down and right, the rest untouched.
  EXPECT_EQ(target.Canvas()->Pixels(6, 6), TColor(ColorToRGB(clBtnShadow)));
  EXPECT_EQ(target.Canvas()->Pixels(12, 12), TColor(ColorToRGB(clBtnHighlight)));
  EXPECT_EQ(target.Canvas()->Pixels(2, 2), clYellow);
  EXPECT_EQ(target.Canvas()->Pixels(14, 14), clYellow);
}

TEST(ImageList, ImagesRoundTripThroughFormFileData) {
  TImageList list(nullptr);
  FillThree(list);
  TCollectingFiler writer(false);
  list.DefineProperties(&writer);
  ASSERT_TRUE(writer.hasDataOf["Bitmap"]);
  TMemoryStream data;
  writer.writers["Bitmap"](data);
  EXPECT_EQ(std::string(static_cast<const char*>(data.Memory()), 4), "HVIL");

  data.SetPosition(0);
  TImageList read(nullptr);
  read.SetWidth(8);
  TCollectingFiler reader(true);
  read.DefineProperties(&reader);
  reader.readers["Bitmap"](data);
  EXPECT_EQ(read.Width(), 16);
  ASSERT_EQ(read.Count(), 3);
  const uint32_t centres[] = {red, blue, 0};
  for (int i = 0; i < 3; ++i) {
    TDrawn d = DrawOnYellow(read, i);
    EXPECT_EQ(d.centre, centres[i]) << i;
    EXPECT_EQ(d.border, yellow) << i;
  }

  TImageList empty(nullptr);
  TCollectingFiler none(false);
  empty.DefineProperties(&none);
  EXPECT_FALSE(none.hasDataOf["Bitmap"]);
}

TEST(ImageList, ImagesWithAlphaKeepItWhenStoredAndRebuilt) {
  // A 32-bit image without a mask: an opaque red centre, fully transparent around it.
  TBitmap b;
  b.SetPixelFormat(pf32bit);
  b.SetSize(16, 16);
  for (int y = 0; y < 16; ++y) {
    auto* row = static_cast<uint8_t*>(b.ScanLine(y));
    for (int x = 0; x < 16; ++x) {
      bool inside = x >= 4 && x < 12 && y >= 4 && y < 12;
      uint8_t* p = row + 4 * x;
      p[0] = 0;
      p[1] = 0;
      p[2] = inside ? 0xFF : 0;
      p[3] = inside ? 0xFF : 0;
    }
  }
  TImageList list(nullptr);
  list.Add(&b, nullptr);
  TDrawn original = DrawOnYellow(list, 0);
  EXPECT_EQ(original.centre, red);
  EXPECT_EQ(original.border, yellow);

  TMemoryStream data;
  TCollectingFiler writer(false);
  list.DefineProperties(&writer);
  writer.writers["Bitmap"](data);
  data.SetPosition(0);
  TImageList read(nullptr);
  TCollectingFiler reader(true);
  read.DefineProperties(&reader);
  reader.readers["Bitmap"](data);
  TDrawn copy = DrawOnYellow(read, 0);
  EXPECT_EQ(copy.centre, red);
  EXPECT_EQ(copy.border, yellow);

  list.SetMasked(false);  // rebuilt: the alpha stays
  EXPECT_EQ(DrawOnYellow(list, 0).border, yellow);
}

TEST(ImageList, MalformedFormFileDataIsRefusedAndTheImagesKept) {
  TImageList source(nullptr);
  FillThree(source);
  TStringStream saved;
  TCollectingFiler writer(false);
  source.DefineProperties(&writer);
  writer.writers["Bitmap"](saved);
  const std::string valid = saved.DataString();
  std::vector<std::string> bad = {"", "HVIL", "XXIL" + valid.substr(4), valid.substr(0, 40),
                                  valid.substr(0, valid.size() - 10)};
  std::string count = valid;
  count[8] = 4;  // four images announced, three stored
  bad.push_back(count);
  std::string negative = valid;
  negative[11] = '\x80';
  bad.push_back(negative);
  std::string version = valid;
  version[4] = 2;
  bad.push_back(version);

  for (size_t i = 0; i < bad.size(); ++i) {
    TImageList list(nullptr);
    FillThree(list);
    TCollectingFiler reader(true);
    list.DefineProperties(&reader);
    TStringStream stream(bad[i]);
    try {
      reader.readers["Bitmap"](stream);
      ADD_FAILURE() << "accepted case " << i;
    } catch (const EReadError& e) {
      EXPECT_STREQ(e.what(), "Invalid image list data") << i;
    }
    EXPECT_EQ(list.Count(), 3) << i;
    EXPECT_EQ(Centre(list, 1), blue) << i;
  }
}

TEST(ImageList, NoHandlesLeakOverManyCycles) {
  TBitmap target;
  target.SetSize(20, 20);
  target.Canvas()->Handle();
  TBitmap b;
  Glyph(b, clRed);
  b.Handle();  // its canvas DC let go of
  int base = GdiObjectCount();
  for (int i = 0; i < 300; ++i) {
    TImageList list(nullptr);
    list.AddMasked(&b, clLime);
    list.Add(&b, nullptr);
    list.Draw(target.Canvas(), 0, 0, 0);
    list.Draw(target.Canvas(), 0, 0, 1, false);
    list.ReplaceMasked(1, &b, clLime);
    TIcon icon;
    list.GetIcon(0, &icon);
    list.InsertIcon(0, &icon);
    list.SetMasked(i % 2 == 0);
    list.Move(0, 2);
  }
  EXPECT_EQ(GdiObjectCount(), base);
}
