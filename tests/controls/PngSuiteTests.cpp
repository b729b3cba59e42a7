// The public PNG conformance images: every valid one decodes to the pixels ImageMagick gives
// (reference/*.rgba, made by make-reference.sh) and survives a round trip through the writer;
// every corrupt one (x*.png) is refused with the exception of its fault.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <vector>

#include "PngTestSupport.h"
#include "framework/Streams.h"

using namespace png_test;

namespace {

// The folder of the images, as Wine sees it (this source file's own folder).
std::wstring SuiteFolder() {
  std::string path = __FILE__;
  path = path.substr(0, path.find_last_of("/\\") + 1) + "pngsuite";
  std::wstring wide = L"Z:";
  for (char c : path) wide += c == '/' ? L'\\' : static_cast<wchar_t>(c);
  return wide + L"\\";
}

std::string ReadFile(const std::wstring& name) {
  TFileStream file(name, fmOpenRead | fmShareDenyNone);
  std::string bytes(static_cast<size_t>(file.Size()), '\0');
  if (!bytes.empty()) file.ReadBuffer(bytes.data(), static_cast<int>(bytes.size()));
  return bytes;
}

std::vector<std::string> SuiteFiles() {
  std::vector<std::string> names;
  WIN32_FIND_DATAW fd;
  HANDLE f = FindFirstFileW((SuiteFolder() + L"*.png").c_str(), &fd);
  if (f == INVALID_HANDLE_VALUE) return names;
  do {
    std::string n;
    for (wchar_t c : std::wstring(fd.cFileName)) n += static_cast<char>(c);
    names.push_back(n.substr(0, n.size() - 4));
  } while (FindNextFileW(f, &fd));
  FindClose(f);
  return names;
}

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

int IndexAt(TChunkIHDR& h, int x, int y) {
  const uint8_t* row = h.ImageRow(y);
  switch (h.BitCount()) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4: return (x & 1) ? row[x >> 1] & 15 : row[x >> 1] >> 4;
    default: return row[x];
  }
}

// Compares the decoded image with ImageMagick's pixels; gives the first difference or "".
std::string CompareWithReference(TPngGraphic& png, const std::string& rgba) {
  TChunkIHDR& h = *png.Header();
  const bool wide = h.BitDepth == 16;
  // The references hold the stored samples: colours go through the image's gamma table.
  // ImageMagick rounds 16-bit samples where the codec takes their high byte.
  auto matches = [&](int decoded, int reference, bool throughGamma) {
    for (int d = wide ? -1 : 0; d <= (wide ? 1 : 0); ++d) {
      int r = std::clamp(reference + d, 0, 255);
      if (decoded == (throughGamma ? png.GammaTable[r] : r)) return true;
    }
    return false;
  };
  auto* trns = png.Chunks()->ItemFromClass<TChunktRNS>();
  for (int y = 0; y < png.Height(); ++y)
    for (int x = 0; x < png.Width(); ++x) {
      const uint8_t* ref =
          reinterpret_cast<const uint8_t*>(rgba.data()) + (static_cast<size_t>(y) * png.Width() + x) * 4;
      uint32_t c = Rgb(png.Pixels(x, y));
      std::string at = " at " + std::to_string(x) + "," + std::to_string(y);
      if (!matches(c & 0xFF, ref[0], true) || !matches((c >> 8) & 0xFF, ref[1], true) ||
          !matches((c >> 16) & 0xFF, ref[2], true))
        return "colour" + at + " " + std::to_string(c & 0xFFFFFF) + " vs " + std::to_string(ref[0]) + "," +
               std::to_string(ref[1]) + "," + std::to_string(ref[2]);
      int alpha = 255;
      if (uint8_t* plane = h.AlphaRow(y))
        alpha = plane[x];
      else if (trns && h.ColorType == 3)
        alpha = trns->PaletteValues[IndexAt(h, x, y)];
      else if (trns && !wide && png.TransparencyMode() == ptmBit) {
        // The colour is told after gamma correction, which may join an opaque colour to it.
        bool clear = c == Rgb(png.TransparentColor());
        bool joined = clear && ref[3] == 255 && png.Chunks()->ItemFromClass<TChunkgAMA>();
        alpha = clear && !joined ? 0 : 255;
      }
      if (!matches(alpha, ref[3], false) && !(wide && h.ColorType < 4)) return "alpha" + at;
    }
  return "";
}

// The exception each corrupt image must end with.
const std::map<std::string, std::function<bool(const Exception&)>>& CorruptFiles() {
  auto is = [](auto* tag) {
    using E = std::remove_pointer_t<decltype(tag)>;
    return [](const Exception& e) { return dynamic_cast<const E*>(&e) != nullptr; };
  };
  static const std::map<std::string, std::function<bool(const Exception&)>> files = {
      {"xc1n0g08", is((EPngInvalidIHDR*)nullptr)},       {"xc9n2c08", is((EPngInvalidIHDR*)nullptr)},
      {"xcrn0g04", is((EPNGInvalidFileHeader*)nullptr)}, {"xcsn0g01", is((EPngInvalidCRC*)nullptr)},
      {"xd0n2c08", is((EPngInvalidIHDR*)nullptr)},       {"xd3n2c08", is((EPngInvalidIHDR*)nullptr)},
      {"xd9n2c08", is((EPngInvalidIHDR*)nullptr)},       {"xdtn0g01", is((EPNGNoImageData*)nullptr)},
      {"xhdn0g08", is((EPngInvalidCRC*)nullptr)},        {"xlfn0g04", is((EPNGInvalidFileHeader*)nullptr)},
      {"xs1n0g01", is((EPNGInvalidFileHeader*)nullptr)}, {"xs2n0g01", is((EPNGInvalidFileHeader*)nullptr)},
      {"xs4n0g01", is((EPNGInvalidFileHeader*)nullptr)}, {"xs7n0g01", is((EPNGInvalidFileHeader*)nullptr)},
  };
  return files;
}

}  // namespace

TEST(PngSuite, EveryValidImageDecodesToTheReferencePixels) {
  std::vector<std::string> names = SuiteFiles();
  ASSERT_GE(names.size(), 170u);
  int compared = 0;
  for (const std::string& name : names) {
    if (name[0] == 'x') continue;
    SCOPED_TRACE(name);
    std::unique_ptr<TPngGraphic> png;
    ASSERT_NO_THROW(png = Load(ReadFile(SuiteFolder() + Wide(name) + L".png")));
    std::wstring base = SuiteFolder() + L"reference\\" + Wide(name);
    if (GetFileAttributesW((base + L".rgba").c_str()) == INVALID_FILE_ATTRIBUTES) continue;
    std::string rgba = ReadFile(base + L".rgba");
    ASSERT_EQ(rgba.size(), static_cast<size_t>(png->Width()) * png->Height() * 4);
    EXPECT_EQ(CompareWithReference(*png, rgba), "");
    ++compared;
  }
  EXPECT_GE(compared, 155);
}

TEST(PngSuite, EveryValidImageKeepsItsPixelsThroughTheWriter) {
  for (const std::string& name : SuiteFiles()) {
    if (name[0] == 'x') continue;
    SCOPED_TRACE(name);
    auto first = Load(ReadFile(SuiteFolder() + Wide(name) + L".png"));
    std::unique_ptr<TPngGraphic> second;
    ASSERT_NO_THROW(second = Load(Save(*first)));
    ASSERT_TRUE(second->Width() == first->Width() && second->Height() == first->Height());
    TChunkIHDR &a = *first->Header(), &b = *second->Header();
    EXPECT_TRUE(b.BitDepth == a.BitDepth && b.ColorType == a.ColorType);
    bool same = true;
    for (int y = 0; y < first->Height() && same; ++y) {
      for (int x = 0; x < first->Width() && same; ++x) same = first->Pixels(x, y) == second->Pixels(x, y);
      if (a.AlphaRow(y)) same = same && std::memcmp(a.AlphaRow(y), b.AlphaRow(y), a.Width) == 0;
    }
    EXPECT_TRUE(same && second->TransparencyMode() == first->TransparencyMode());
  }
}

TEST(PngSuite, EveryCorruptImageIsRefusedWithTheExceptionOfItsFault) {
  int seen = 0;
  for (const std::string& name : SuiteFiles()) {
    if (name[0] != 'x') continue;
    SCOPED_TRACE(name);
    auto expected = CorruptFiles().find(name);
    ASSERT_NE(expected, CorruptFiles().end());
    std::string bytes = ReadFile(SuiteFolder() + Wide(name) + L".png");
    bool right = false;
    try {
      Load(bytes);
    } catch (const Exception& e) {
      right = expected->second(e);
      if (!right) ADD_FAILURE() << "wrong exception: " << e.what();
    }
    EXPECT_TRUE(right);
    ++seen;
  }
  EXPECT_EQ(seen, 14);
}
