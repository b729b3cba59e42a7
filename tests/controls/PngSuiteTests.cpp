// The public PNG conformance images: every valid one decodes to the pixels ImageMagick gives
// (reference/*.rgba, made by make-reference.sh) and survives a round trip through the writer;
// every corrupt one (x*.png) is refused with the exception of its fault.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <vector>

#include "PngTestSupport.h"
#include "framework/Streams.h"

using namespace png_test;

namespace {

// The folder of the images, as Wine sees it: found from the test program's own folder upward
// (the build folder lies in the repository), else in the source folder the build was
// configured from (named by the cache of the build folder that holds the test program).
std::wstring FindSuiteFolder() {
  const std::wstring inRepository = L"tests\\controls\\pngsuite\\";
  auto holdsSuite = [](const std::wstring& folder) {
    return GetFileAttributesW((folder + L"PngSuite.png").c_str()) != INVALID_FILE_ATTRIBUTES;
  };
  wchar_t self[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring folder(self, length);
  std::vector<std::wstring> ancestors;
  for (size_t slash = folder.find_last_of(L"\\/"); slash != std::wstring::npos && slash > 0;
       slash = folder.find_last_of(L"\\/")) {
    folder.resize(slash);
    ancestors.push_back(folder + L"\\");
  }
  for (const std::wstring& a : ancestors) {
    if (holdsSuite(a + L"pngsuite\\")) return a + L"pngsuite\\";
    if (holdsSuite(a + inRepository)) return a + inRepository;
  }
  for (const std::wstring& a : ancestors) {
    std::ifstream cache(std::filesystem::path(a + L"CMakeCache.txt"));
    const std::string key = "CMAKE_HOME_DIRECTORY:INTERNAL=";
    for (std::string line; std::getline(cache, line);)
      if (line.compare(0, key.size(), key) == 0) {
        std::wstring source = L"Z:";
        for (char c : line.substr(key.size())) source += c == '/' ? L'\\' : static_cast<wchar_t>(c);
        if (holdsSuite(source + L"\\" + inRepository)) return source + L"\\" + inRepository;
      }
  }
  return L"";
}

const std::wstring& SuiteFolder() {
  static const std::wstring folder = FindSuiteFolder();
  return folder;
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

// The gamma value of the file's gAMA chunk (gamma x 100000), read from the bytes themselves;
// 0 when there is none.
uint32_t GammaOfFile(const std::string& bytes) {
  auto word = [&](size_t at) {
    return static_cast<uint32_t>(static_cast<uint8_t>(bytes[at])) << 24 |
           static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 1])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 2])) << 8 | static_cast<uint8_t>(bytes[at + 3]);
  };
  for (size_t at = 8; at + 12 <= bytes.size();) {
    const uint32_t length = word(at);
    const std::string name = bytes.substr(at + 4, 4);
    if (name == "gAMA" && length == 4 && at + 12 <= bytes.size()) return word(at + 8);
    if (name == "IDAT" || length > bytes.size()) break;
    at += 12 + static_cast<size_t>(length);
  }
  return 0;
}

// What a stored sample shows under that gamma: 255 x (i / 255) ^ (1 / (gamma / 100000 x 2.2)).
std::vector<int> GammaCorrected(uint32_t gamma) {
  std::vector<int> table(256);
  for (int i = 0; i < 256; ++i)
    table[i] =
        gamma == 0 ? i : static_cast<int>(std::lround(255.0 * std::pow(i / 255.0, 1.0 / (gamma / 100000.0 * 2.2))));
  return table;
}

// Compares the decoded image with ImageMagick's pixels; gives the first difference or "".
std::string CompareWithReference(TPngGraphic& png, const std::string& rgba, uint32_t gamma) {
  TChunkIHDR& h = *png.Header();
  const bool wide = h.BitDepth == 16;
  // The references hold the stored samples: colours go through the file's gamma.
  // ImageMagick rounds 16-bit samples where the codec takes their high byte.
  const std::vector<int> corrected = GammaCorrected(gamma);
  auto matches = [&](int decoded, int reference, bool throughGamma) {
    for (int d = wide ? -1 : 0; d <= (wide ? 1 : 0); ++d) {
      int r = std::clamp(reference + d, 0, 255);
      if (decoded == (throughGamma ? corrected[r] : r)) return true;
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
  ASSERT_FALSE(SuiteFolder().empty()) << "the conformance images were found neither above the test program nor in "
                                         "the source folder of its build";
  std::vector<std::string> names = SuiteFiles();
  ASSERT_GE(names.size(), 170u);
  int compared = 0, withGamma = 0;
  for (const std::string& name : names) {
    if (name[0] == 'x') continue;
    SCOPED_TRACE(name);
    std::unique_ptr<TPngGraphic> png;
    const std::string bytes = ReadFile(SuiteFolder() + Wide(name) + L".png");
    ASSERT_NO_THROW(png = Load(bytes));
    std::wstring base = SuiteFolder() + L"reference\\" + Wide(name);
    if (GetFileAttributesW((base + L".rgba").c_str()) == INVALID_FILE_ATTRIBUTES) continue;
    std::string rgba = ReadFile(base + L".rgba");
    ASSERT_EQ(rgba.size(), static_cast<size_t>(png->Width()) * png->Height() * 4);
    const uint32_t gamma = GammaOfFile(bytes);
    EXPECT_EQ(CompareWithReference(*png, rgba, gamma), "");
    ++compared;
    if (gamma != 0 && gamma != 45455) ++withGamma;
  }
  EXPECT_GE(compared, 155);
  EXPECT_GE(withGamma, 12);  // the gamma images of the suite, whose colours differ from the stored ones
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
