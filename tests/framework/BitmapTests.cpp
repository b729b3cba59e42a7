// Bitmaps: pixels drawn and read back, pixel formats, BMP files (good and malformed), bitmap
// resources, transparent drawing and the release of every handle.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "framework/Bitmap.h"
#include "framework/Icon.h"
#include "framework/Streams.h"
#include "tests/framework/Raised.h"
#include "tests/framework/GraphicsTestSupport.h"

namespace {

constexpr uint32_t white = 0xFFFFFF, red = 0x0000FF, blue = 0xFF0000, lime = 0x00FF00, yellow = 0x00FFFF;

// Little-endian bytes of a BMP file, assembled field by field.
struct TBytes {
  std::string data;
  TBytes& u8(int v) {
    data += static_cast<char>(v);
    return *this;
  }
  TBytes& u16(int v) { return u8(v & 0xFF).u8((v >> 8) & 0xFF); }
  TBytes& u32(uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
  TBytes& raw(const std::string& s) {
    data += s;
    return *this;
  }
};

// A 40-byte header, the colours, then the pixels.
std::string BmpFile(int width, int height, int bpp, uint32_t compression, const std::string& colors,
                    const std::string& pixels, uint32_t sizeImage = 0) {
  TBytes b;
  uint32_t off = 14 + 40 + static_cast<uint32_t>(colors.size());
  b.raw("BM").u32(off + static_cast<uint32_t>(pixels.size())).u32(0).u32(off);
  b.u32(40).u32(static_cast<uint32_t>(width)).u32(static_cast<uint32_t>(height)).u16(1).u16(bpp).u32(compression);
  b.u32(sizeImage).u32(0).u32(0).u32(0).u32(0);
  return b.raw(colors).raw(pixels).data;
}

void LoadBytes(TBitmap& bitmap, const std::string& bytes) {
  TStringStream stream(bytes);
  bitmap.LoadFromStream(&stream);
}

std::string SaveBytes(TBitmap& bitmap) {
  TStringStream stream;
  bitmap.SaveToStream(&stream);
  return stream.DataString();
}

uint32_t Px(TBitmap& b, int x, int y) { return static_cast<uint32_t>(b.Canvas()->Pixels(x, y)); }

// Lime background, red at (1, 1), blue at (4, 2): the test glyph as drawn by code.
void PaintGlyph(TBitmap& b) {
  b.SetSize(6, 4);
  b.Canvas()->Brush()->SetColor(clLime);
  b.Canvas()->FillRect(Rect(0, 0, 6, 4));
  b.Canvas()->SetPixels(1, 1, clRed);
  b.Canvas()->SetPixels(4, 2, clBlue);
}

}  // namespace

TEST(Bitmap, SizeKeepsTheImageAndNewPixelsAreWhite) {
  TBitmap b;
  b.SetSize(10, 8);
  EXPECT_EQ(Px(b, 9, 7), white);
  b.Canvas()->Brush()->SetColor(clRed);
  b.Canvas()->FillRect(Rect(2, 2, 5, 5));
  auto* row = static_cast<uint8_t*>(b.ScanLine(3));
  EXPECT_EQ(row[3 * 3 + 2], 255);  // red in blue, green, red order
  b.SetSize(12, 10);
  EXPECT_EQ(Px(b, 3, 3), red);
  EXPECT_EQ(Px(b, 11, 9), white);
  b.SetSize(3, 3);
  EXPECT_EQ(Px(b, 2, 2), red);
  b.SetHeight(-4);
  EXPECT_TRUE(b.Empty());
}

TEST(Bitmap, ScanLinesOutsideTheImageAreRefused) {
  TBitmap b;
  b.SetSize(4, 4);
  EXPECT_EQ(Raised<EInvalidGraphicOperation>([&] { b.ScanLine(4); }), "Scan line index out of range");
  EXPECT_THROW(b.ScanLine(-1), EInvalidGraphicOperation);
  // Row 0 is the top row.
  b.Canvas()->SetPixels(0, 0, clBlue);
  EXPECT_EQ(static_cast<uint8_t*>(b.ScanLine(0))[0], 255);
  EXPECT_EQ(static_cast<uint8_t*>(b.ScanLine(0))[1], 0);  // blue, not the white of the bottom row
}

TEST(Bitmap, PixelFormatsConvertAndSizeTheirRows) {
  TBitmap b;
  b.SetSize(10, 2);
  const std::pair<TPixelFormat, int> rows[] = {{pf1bit, 4},   {pf4bit, 8},   {pf8bit, 12}, {pf15bit, 20},
                                               {pf16bit, 20}, {pf24bit, 32}, {pf32bit, 40}};
  for (auto [format, size] : rows) {
    b.SetPixelFormat(format);
    EXPECT_EQ(b.ScanLineSize(), size) << format;
  }
  b.SetPixelFormat(pf24bit);
  b.Canvas()->SetPixels(1, 1, clRed);
  b.Canvas()->SetPixels(2, 1, clSilver);
  b.SetPixelFormat(pf4bit);  // both are standard colours
  EXPECT_EQ(Px(b, 1, 1), red);
  EXPECT_EQ(Px(b, 2, 1), 0xC0C0C0u);
  b.SetPixelFormat(pf1bit);
  EXPECT_EQ(Px(b, 1, 1), 0u);
  b.SetPixelFormat(pfDevice);
  EXPECT_EQ(b.PixelFormat(), pf24bit);
  EXPECT_EQ(Raised<EInvalidGraphic>([&] { b.SetPixelFormat(pfCustom); }), "Invalid pixel format");
}

TEST(Bitmap, EveryPixelFormatSurvivesABmpRoundTrip) {
  for (TPixelFormat format : {pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit}) {
    TBitmap b;
    b.SetPixelFormat(format);
    b.SetSize(13, 7);
    b.Canvas()->Brush()->SetColor(clBlack);
    b.Canvas()->FillRect(Rect(0, 0, 5, 7));
    b.Canvas()->SetPixels(12, 0, clBlack);
    if (format == pf32bit) static_cast<uint8_t*>(b.ScanLine(2))[4 * 6 + 3] = 0x7F;  // an alpha byte
    std::string bytes = SaveBytes(b);
    ASSERT_EQ(bytes.substr(0, 2), "BM");
    uint32_t fileSize;
    std::memcpy(&fileSize, bytes.data() + 2, 4);
    EXPECT_EQ(fileSize, bytes.size());

    TBitmap c;
    LoadBytes(c, bytes);
    EXPECT_EQ(c.PixelFormat(), format);
    ASSERT_EQ(c.Width(), 13);
    ASSERT_EQ(c.Height(), 7);
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 13; ++x) ASSERT_EQ(Px(c, x, y), Px(b, x, y)) << format << " " << x << "," << y;
    if (format == pf32bit) {
      EXPECT_EQ(static_cast<uint8_t*>(c.ScanLine(2))[4 * 6 + 3], 0x7F);
    }
  }
}

TEST(Bitmap, StreamPositionEndsAfterTheImage) {
  TBitmap first, second;
  PaintGlyph(first);
  second.SetSize(3, 5);
  TMemoryStream stream;
  first.SaveToStream(&stream);
  int64_t end = stream.Position();
  second.SaveToStream(&stream);
  stream.SetPosition(0);
  TBitmap a, b;
  a.LoadFromStream(&stream);
  EXPECT_EQ(stream.Position(), end);
  b.LoadFromStream(&stream);
  EXPECT_EQ(stream.Position(), stream.Size());
  EXPECT_EQ(Px(a, 1, 1), red);
  EXPECT_EQ(b.Width(), 3);
}

TEST(Bitmap, EmptyBitmapsWriteNothingAndReadFromNothing) {
  TBitmap empty;
  EXPECT_EQ(SaveBytes(empty), "");
  TBitmap b;
  PaintGlyph(b);
  LoadBytes(b, "");
  EXPECT_TRUE(b.Empty());
}

TEST(Bitmap, MalformedFilesAreRefusedAndTheImageKept) {
  TBitmap good;
  PaintGlyph(good);
  std::string valid = SaveBytes(good);
  std::string pixels(static_cast<size_t>(4 * 2), '\0');
  std::vector<std::string> bad = {
      "BM",
      "XY" + valid.substr(2),
      valid.substr(0, 20),
      valid.substr(0, 54),
      valid.substr(0, valid.size() - 1),
      BmpFile(0, 2, 24, BI_RGB, "", std::string(8, '\0')),
      BmpFile(2, 0, 24, BI_RGB, "", std::string(8, '\0')),
      BmpFile(2, 2, 7, BI_RGB, "", pixels),
      BmpFile(2, 2, 24, BI_RLE8, "", pixels, 8),
      BmpFile(2, 2, 8, BI_RLE8, std::string(8, '\0'), pixels, 0),
      BmpFile(2, 2, 24, 99, "", pixels),
      BmpFile(70000, 1, 1, BI_RGB, "", std::string(8752, '\0')),
      BmpFile(2, 2, 8, BI_RGB, std::string(1024, '\0'), "xx"),  // pixels missing
  };
  // Planes other than 1.
  std::string planes = BmpFile(2, 2, 24, BI_RGB, "", std::string(16, '\0'));
  planes[26] = 2;
  bad.push_back(planes);
  // Pixel offset pointing into the header.
  std::string offset = valid;
  offset[10] = 20;
  bad.push_back(offset);
  // Header size no BMP has.
  std::string header = valid;
  header[14] = 41;
  bad.push_back(header);

  for (size_t i = 0; i < bad.size(); ++i) {
    TBitmap b;
    PaintGlyph(b);
    try {
      LoadBytes(b, bad[i]);
      ADD_FAILURE() << "accepted case " << i;
    } catch (const EInvalidGraphic& e) {
      EXPECT_STREQ(e.what(), "Bitmap image is not valid") << i;
    }
    EXPECT_EQ(b.Width(), 6) << i;
    EXPECT_EQ(Px(b, 1, 1), red) << i;
  }
}

TEST(Bitmap, TopDownFilesLoad) {
  // Top-down rows: the first row in the file is the top one.
  TBytes rows;
  rows.u8(0).u8(0).u8(255).u8(0).u8(0).u8(0).u8(0).u8(0);  // top: red, black
  rows.u8(0).u8(0).u8(0).u8(255).u8(0).u8(0).u8(0).u8(0);  // bottom: black, blue
  TBitmap topDown;
  LoadBytes(topDown, BmpFile(2, -2, 24, BI_RGB, "", rows.data));
  EXPECT_EQ(Px(topDown, 0, 0), red);
  EXPECT_EQ(Px(topDown, 1, 1), blue);
}

TEST(Bitmap, RunLengthEncodedFilesLoad) {
  // Run-length encoded 8-bit rows, bottom row first; the colour count says "all" but only two
  // colours are there.
  TBytes palette;
  palette.u32(0x000000).u32(0xFF0000);  // black, red (blue-green-red-0 order: red is 00 00 FF 00)
  TBytes rle;
  rle.u8(4).u8(1).u8(0).u8(0);              // bottom row: four times colour 1
  rle.u8(2).u8(0).u8(2).u8(1).u8(0).u8(0);  // top row: two of colour 0, two of colour 1
  rle.u8(0).u8(1);                          // end of bitmap
  TBitmap runs;
  LoadBytes(runs, BmpFile(4, 2, 8, BI_RLE8, palette.data, rle.data, static_cast<uint32_t>(rle.data.size())));
  EXPECT_EQ(runs.PixelFormat(), pf8bit);
  EXPECT_EQ(Px(runs, 0, 1), red);
  EXPECT_EQ(Px(runs, 3, 1), red);
  EXPECT_EQ(Px(runs, 0, 0), 0u);
  EXPECT_EQ(Px(runs, 3, 0), red);
}

TEST(Bitmap, BitMaskAndOldHeaderFilesLoad) {
  // 16 bits with 5-6-5 masks.
  TBytes masks;
  masks.u32(0xF800).u32(0x07E0).u32(0x001F);
  TBytes px565;
  px565.u16(0xF800).u16(0x07E0);
  TBitmap b565;
  LoadBytes(b565, BmpFile(2, 1, 16, BI_BITFIELDS, masks.data, px565.data));
  EXPECT_EQ(b565.PixelFormat(), pf16bit);
  EXPECT_EQ(Px(b565, 0, 0), red);
  EXPECT_EQ(Px(b565, 1, 0), lime);

  // The old 12-byte header with three-byte colours.
  TBytes core;
  core.raw("BM").u32(14 + 12 + 6 + 4).u32(0).u32(14 + 12 + 6);
  core.u32(12).u16(1).u16(1).u16(1).u16(1);
  core.u8(0).u8(0).u8(0).u8(255).u8(0).u8(0);  // black, blue
  core.u8(0x80).u8(0).u8(0).u8(0);             // the one pixel: colour 1
  TBitmap old;
  LoadBytes(old, core.data);
  EXPECT_EQ(old.PixelFormat(), pf1bit);
  EXPECT_EQ(Px(old, 0, 0), blue);
}

TEST(Bitmap, BitmapResourcesLoadByName) {
  TBitmap b;
  b.LoadFromResourceName(GetModuleHandleW(nullptr), L"HVTESTGLYPH");
  EXPECT_EQ(b.Width(), 6);
  EXPECT_EQ(b.Height(), 4);
  EXPECT_EQ(b.PixelFormat(), pf24bit);
  EXPECT_EQ(Px(b, 1, 1), red);
  EXPECT_EQ(Px(b, 4, 2), blue);
  EXPECT_EQ(Px(b, 0, 3), lime);
  EXPECT_EQ(Raised<EResNotFound>([&] { b.LoadFromResourceName(GetModuleHandleW(nullptr), L"NOSUCHBITMAP"); }),
            "Resource NOSUCHBITMAP not found");
  EXPECT_THROW(b.LoadFromResourceID(GetModuleHandleW(nullptr), 4711), EResNotFound);
  EXPECT_EQ(Px(b, 1, 1), red);
}

TEST(Bitmap, TransparentDrawingLeavesTheKeyColourOut) {
  for (TPixelFormat format : {pf24bit, pf32bit, pf8bit}) {
    TBitmap glyph;
    PaintGlyph(glyph);
    glyph.SetPixelFormat(format);
    glyph.SetTransparent(true);
    TBitmap target;
    target.SetSize(20, 20);
    target.Canvas()->Brush()->SetColor(clYellow);
    target.Canvas()->FillRect(Rect(0, 0, 20, 20));
    target.Canvas()->Draw(2, 3, &glyph);
    EXPECT_EQ(Px(target, 3, 4), red) << format;
    EXPECT_EQ(Px(target, 6, 5), blue) << format;
    EXPECT_EQ(Px(target, 2, 3), yellow) << format;
    EXPECT_EQ(Px(target, 7, 6), yellow) << format;
    // Stretched to twice the size.
    target.Canvas()->FillRect(Rect(0, 0, 20, 20));
    target.Canvas()->StretchDraw(Rect(0, 0, 12, 8), &glyph);
    for (int dy = 0; dy < 2; ++dy)
      for (int dx = 0; dx < 2; ++dx) {
        EXPECT_EQ(Px(target, 2 + dx, 2 + dy), red) << format;
        EXPECT_EQ(Px(target, 0 + dx, 0 + dy), yellow) << format;
      }
    // Opaque drawing copies the key colour too.
    glyph.SetTransparent(false);
    target.Canvas()->Draw(2, 3, &glyph);
    EXPECT_EQ(Px(target, 2, 3), lime) << format;
  }
}

TEST(Bitmap, ClipboardFormatRoundTrip) {
  TBitmap a;
  PaintGlyph(a);
  UINT format = 0;
  HANDLE data = nullptr;
  HPALETTE palette = nullptr;
  a.SaveToClipboardFormat(format, data, palette);
  EXPECT_EQ(format, static_cast<UINT>(CF_BITMAP));
  ASSERT_NE(data, nullptr);
  TBitmap b;
  b.LoadFromClipboardFormat(format, data, palette);
  EXPECT_EQ(Px(b, 1, 1), red);
  EXPECT_EQ(Px(b, 0, 0), lime);
  EXPECT_EQ(GetObjectType(data), static_cast<DWORD>(OBJ_BITMAP));  // still the caller's
  DeleteObject(data);
  EXPECT_EQ(Raised<EInvalidGraphic>([&] { b.LoadFromClipboardFormat(CF_TEXT, data, palette); }),
            "Unsupported clipboard format");
}

TEST(Bitmap, NoHandlesLeakOverAThousandCycles) {
  TBitmap target;
  target.SetSize(16, 16);
  target.Canvas()->Handle();  // its canvas's own DC, font, pen and brush
  int base = GdiObjectCount();
  for (int i = 0; i < 1000; ++i) {
    TBitmap b;
    PaintGlyph(b);
    b.Canvas()->TextOut(0, 0, L"x");
    b.SetPixelFormat(i % 2 ? pf8bit : pf32bit);
    b.SetTransparent(true);
    target.Canvas()->Draw(0, 0, &b);
    TMemoryStream stream;
    b.SaveToStream(&stream);
    stream.SetPosition(0);
    TBitmap c;
    c.LoadFromStream(&stream);
    c.Handle();
  }
  EXPECT_EQ(GdiObjectCount(), base);
}

TEST(Bitmap, PatternBrushesRepeatTheBitmap) {
  TBitmap pattern;
  pattern.SetSize(8, 8);  // white, with a red top-left quarter
  pattern.Canvas()->Brush()->SetColor(clRed);
  pattern.Canvas()->FillRect(Rect(0, 0, 4, 4));
  TBitmap target;
  target.SetSize(16, 16);
  target.Canvas()->Brush()->SetBitmap(&pattern);
  target.Canvas()->FillRect(Rect(0, 0, 16, 16));
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) ASSERT_EQ(Px(target, x, y), (x % 8 < 4 && y % 8 < 4) ? red : white) << x << "," << y;
  target.Canvas()->Brush()->SetBitmap(nullptr);
  target.Canvas()->Brush()->SetColor(clBlue);
  target.Canvas()->FillRect(Rect(0, 0, 16, 16));
  EXPECT_EQ(Px(target, 1, 1), blue);
}
