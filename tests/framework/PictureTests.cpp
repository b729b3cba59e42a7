// Icons and pictures: icon handles, resources and .ico files; pictures by file extension, the
// registry of file formats and the picture's form-file data.
#include <gtest/gtest.h>

#include <string>

#include "framework/Bitmap.h"
#include "framework/Icon.h"
#include "framework/Picture.h"
#include "framework/Streams.h"
#include "tests/common/TestPicture.h"
#include "tests/framework/Raised.h"
#include "tests/framework/GraphicsTestSupport.h"

namespace {

constexpr uint32_t red = 0x0000FF, yellow = 0x00FFFF;

// A 16 x 16 icon: an opaque red square from 4 to 11, transparent around it.
HICON MakeRedSquareIcon() {
  TBitmap color, mask;
  color.SetSize(16, 16);
  color.Canvas()->Brush()->SetColor(clBlack);
  color.Canvas()->FillRect(Rect(0, 0, 16, 16));
  color.Canvas()->Brush()->SetColor(clRed);
  color.Canvas()->FillRect(Rect(4, 4, 12, 12));
  mask.SetPixelFormat(pf1bit);
  mask.SetSize(16, 16);  // white: transparent
  mask.Canvas()->Brush()->SetColor(clBlack);
  mask.Canvas()->FillRect(Rect(4, 4, 12, 12));
  ICONINFO info{TRUE, 0, 0, mask.Handle(), color.Handle()};
  return CreateIconIndirect(&info);
}

// A yellow picture to draw graphics on.
struct TYellowSurface : TTestPicture {
  TYellowSurface() : TTestPicture(40, 40, 0x00FFFF) {}
};

WideString TempFile(const wchar_t* name) {
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  return WideString(dir) + name;
}

// A graphic class of the tests' own, for the registry.
class TTestGraphic : public TBitmap {
  HV_CLASS(TTestGraphic, TBitmap)
 public:
  TTestGraphic() = default;
};

}  // namespace

HV_PUBLISH(TTestGraphic) {}

TEST(Icon, HandleSizeAndDrawing) {
  int base = GdiObjectCount();
  {
    TIcon icon;
    EXPECT_TRUE(icon.Empty());
    EXPECT_TRUE(icon.Transparent());
    icon.SetHandle(MakeRedSquareIcon());
    EXPECT_EQ(GdiObjectCount(), base + 1);
    EXPECT_EQ(icon.Width(), 16);
    EXPECT_EQ(icon.Height(), 16);
    {
      TYellowSurface s;
      s.Canvas()->Draw(10, 10, &icon);
      EXPECT_EQ(s.At(14, 14), red);
      EXPECT_EQ(s.At(21, 21), red);
      EXPECT_EQ(s.At(13, 13), yellow);
      EXPECT_EQ(s.At(22, 22), yellow);
    }
    EXPECT_EQ(Raised<EInvalidGraphicOperation>([&] { icon.SetWidth(32); }), "Cannot change the size of an icon");
    icon.SetHeight(16);  // its own size is no change

    TIcon copy;
    copy.Assign(&icon);
    EXPECT_NE(copy.Handle(), icon.Handle());
    EXPECT_EQ(copy.Width(), 16);
    HICON released = copy.ReleaseHandle();
    EXPECT_TRUE(copy.Empty());
    EXPECT_EQ(GdiObjectCount(), base + 1);
    DestroyIcon(released);
  }
  EXPECT_EQ(GdiObjectCount(), base);
}

TEST(Icon, IcoFilesRoundTrip) {
  TIcon icon;
  icon.SetHandle(MakeRedSquareIcon());
  TMemoryStream stream;
  icon.SaveToStream(&stream);
  // One 32-bit 16 x 16 image right after the directory.
  ASSERT_EQ(stream.Size(), 22 + 40 + 16 * 16 * 4 + 16 * 4);
  auto* bytes = static_cast<const uint8_t*>(stream.Memory());
  EXPECT_EQ(bytes[2], 1);
  EXPECT_EQ(bytes[4], 1);
  EXPECT_EQ(bytes[6], 16);
  EXPECT_EQ(bytes[12], 32);

  stream.SetPosition(0);
  TIcon loaded;
  loaded.LoadFromStream(&stream);
  EXPECT_EQ(stream.Position(), stream.Size());
  EXPECT_EQ(loaded.Width(), 16);
  TYellowSurface a, b;
  a.Canvas()->Draw(0, 0, &icon);
  b.Canvas()->Draw(0, 0, &loaded);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) ASSERT_EQ(b.At(x, y), a.At(x, y)) << x << "," << y;

  TIcon empty;
  TMemoryStream nothing;
  empty.SaveToStream(&nothing);
  EXPECT_EQ(nothing.Size(), 0);
}

TEST(Icon, MalformedIcoFilesAreRefusedAndTheIconKept) {
  TIcon good;
  good.SetHandle(MakeRedSquareIcon());
  TStringStream saved;
  good.SaveToStream(&saved);
  const std::string valid = saved.DataString();
  std::vector<std::string> bad = {"\x01", valid.substr(0, 6), valid.substr(0, 30), valid.substr(0, valid.size() - 1)};
  std::string reserved = valid;
  reserved[0] = 1;
  bad.push_back(reserved);
  std::string type = valid;
  type[2] = 2;
  bad.push_back(type);
  std::string none = valid;
  none[4] = 0;
  bad.push_back(none);
  std::string offset = valid;
  offset[18] = 0x7F;
  bad.push_back(offset);
  std::string garbage = valid;
  for (size_t i = 22; i < 62; ++i) garbage[i] = 'x';
  bad.push_back(garbage);

  for (size_t i = 0; i < bad.size(); ++i) {
    TIcon icon;
    icon.SetHandle(MakeRedSquareIcon());
    HICON before = icon.Handle();
    TStringStream stream(bad[i]);
    try {
      icon.LoadFromStream(&stream);
      ADD_FAILURE() << "accepted case " << i;
    } catch (const EInvalidGraphic& e) {
      EXPECT_STREQ(e.what(), "Icon image is not valid") << i;
    }
    EXPECT_EQ(icon.Handle(), before) << i;
  }
}

TEST(Picture, FilesLoadByTheirExtension) {
  WideString bmpFile = TempFile(L"hv_picture_test.BMP");
  WideString badFile = TempFile(L"hv_picture_bad.bmp");
  TBitmap source;
  source.SetSize(7, 5);
  source.Canvas()->SetPixels(3, 2, clRed);
  source.SaveToFile(bmpFile);
  {
    TFileStream bad(badFile, fmCreate);
    bad.WriteBuffer("BMnot a bitmap at all", 21);
  }

  TPicture picture;
  ChangeCounter counter;
  picture.OnChange = TNotifyEvent(&counter, &ChangeCounter::Changed);
  picture.LoadFromFile(bmpFile);
  ASSERT_NE(dynamic_cast<TBitmap*>(picture.Graphic()), nullptr);
  EXPECT_EQ(picture.Width(), 7);
  EXPECT_EQ(picture.Height(), 5);
  EXPECT_EQ(picture.Bitmap()->Canvas()->Pixels(3, 2), clRed);
  EXPECT_EQ(counter.changes, 1);

  EXPECT_EQ(Raised<EInvalidGraphic>([&] { picture.LoadFromFile(TempFile(L"picture.xyz")); }),
            "Unknown picture file extension (.xyz)");
  EXPECT_THROW(picture.LoadFromFile(badFile), EInvalidGraphic);
  EXPECT_THROW(picture.LoadFromFile(TempFile(L"hv_no_such_file.bmp")), EFOpenError);
  EXPECT_EQ(picture.Width(), 7);  // still the picture loaded before

  DeleteFileW(bmpFile.c_str());
  DeleteFileW(badFile.c_str());
}

TEST(Picture, FormFileDataRoundTrip) {
  TPicture picture;
  TCollectingFiler emptyFiler(false);
  picture.DefineProperties(&emptyFiler);
  EXPECT_FALSE(emptyFiler.hasDataOf["Data"]);

  picture.Bitmap()->SetSize(5, 4);
  picture.Bitmap()->Canvas()->SetPixels(2, 1, clBlue);
  TCollectingFiler writer(false);
  picture.DefineProperties(&writer);
  ASSERT_TRUE(writer.hasDataOf["Data"]);
  TMemoryStream data;
  writer.writers["Data"](data);
  auto* bytes = static_cast<const char*>(data.Memory());
  EXPECT_EQ(std::string(bytes, 8), std::string("\x07TBitmap", 8));

  data.SetPosition(0);
  TPicture read;
  TCollectingFiler reader(true);
  read.DefineProperties(&reader);
  reader.readers["Data"](data);
  ASSERT_NE(dynamic_cast<TBitmap*>(read.Graphic()), nullptr);
  EXPECT_EQ(read.Width(), 5);
  EXPECT_EQ(read.Bitmap()->Canvas()->Pixels(2, 1), clBlue);

  // An unknown class name is refused.
  TStringStream unknown(std::string("\x05TNope", 6));
  EXPECT_THROW(reader.readers["Data"](unknown), EClassNotFound);
  EXPECT_EQ(read.Width(), 5);
}
