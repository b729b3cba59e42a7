// Unicode character data, normalization (with Unicode's conformance file), and the tolerant
// UTF-8 codec and byte swap of the text-file encodings.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <set>
#include <sstream>

#include "foundation/UcUnicodeData.h"
#include "foundation/UcWideSys.h"
#include "tests/foundation/UcTestSupport.h"

namespace {

// "0044 0307" as UTF-16; false when a code lies outside the basic plane.
bool ParseCodes(const std::string& Field, WideString& Out) {
  std::istringstream in(Field);
  std::string hex;
  Out.clear();
  while (in >> hex) {
    unsigned long c = std::stoul(hex, nullptr, 16);
    if (c > 0xFFFF) return false;
    Out += static_cast<wchar_t>(c);
  }
  return true;
}

std::string Hex(const WideString& S) {
  std::ostringstream out;
  for (wchar_t c : S) out << std::hex << static_cast<unsigned>(static_cast<uint16_t>(c)) << ' ';
  return out.str();
}

}  // namespace

TEST(UcCharData, TablesAnswerLookups) {
  EXPECT_EQ(UnicodeDecompose(0x00E9, false), (std::vector<uint32_t>{0x65, 0x301}));
  EXPECT_EQ(UnicodeDecompose(0x1E69, false), (std::vector<uint32_t>{0x1E63, 0x307}));
  EXPECT_TRUE(UnicodeDecompose(0x00BD, false).empty());  // a compatibility mapping only
  EXPECT_EQ(UnicodeDecompose(0x00BD, true), (std::vector<uint32_t>{0x31, 0x2044, 0x32}));
  EXPECT_EQ(UnicodeDecompose(0x212B, true), (std::vector<uint32_t>{0xC5}));
  EXPECT_TRUE(UnicodeDecompose(L'a', true).empty());
  EXPECT_EQ(CanonicalCombiningClass(0x0301), 230);
  EXPECT_EQ(CanonicalCombiningClass(0x0323), 220);
  EXPECT_EQ(CanonicalCombiningClass(0x3099), 8);
  EXPECT_EQ(CanonicalCombiningClass(L'a'), 0);
  uint16_t composite = 0;
  EXPECT_TRUE(UnicodeCompose(L'e', 0x301, composite));
  EXPECT_EQ(composite, 0xE9);
  EXPECT_FALSE(UnicodeCompose(0x0915, 0x093C, composite));  // an excluded composition
  EXPECT_FALSE(UnicodeCompose(L'q', 0x301, composite));
}

TEST(UcNormalize, FormsOfTypicalText) {
  struct Case {
    const wchar_t* Source;
    TNormalizationForm Form;
    const wchar_t* Expected;
  } cases[] = {
      {L"e\x0301", nfC, L"\x00E9"},
      {L"\x00E9", nfD, L"e\x0301"},
      {L"\x212B", nfC, L"\x00C5"},
      {L"\x2126", nfC, L"\x03A9"},
      {L"\x00BD", nfC, L"\x00BD"},
      {L"\x00BD", nfKC,
       L"1\x2044"
       L"2"},
      {L"\xFB01", nfKD, L"fi"},
      {L"\x1E0B\x0323", nfC, L"\x1E0D\x0307"},        // the dot below goes first
      {L"\x1100\x1161\x11A7", nfC, L"\xAC00\x11A7"},  // 11A7 is no trailing consonant
      {L"\x0301"
       L"e",
       nfC,
       L"\x0301"
       L"e"},                             // nothing composes with a leading mark
      {L"\xFA6C", nfC, L"\xD850\xDEEE"},  // a mapping outside the basic plane
      {L"e\x0301", nfNone, L"e\x0301"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Hex(WideNormalize(c.Source, c.Form)), Hex(c.Expected)) << Hex(c.Source) << " form " << int(c.Form);
}

// Unicode's conformance file: every line whose characters all lie in the basic plane, through
// the four forms, and every other character of the plane unchanged by all of them.
TEST(UcNormalize, ConformanceFileOfTheBasicPlane) {
  std::ifstream file("NormalizationTest.txt");
  ASSERT_TRUE(file.good()) << "NormalizationTest.txt (Debian package unicode-data) was not unpacked beside the tests";
  std::string line;
  int checked = 0, skipped = 0, failed = 0;
  bool part1 = false;
  std::set<unsigned> listed;
  while (std::getline(file, line)) {
    if (line.rfind("@Part", 0) == 0) part1 = line.rfind("@Part1", 0) == 0;
    if (line.empty() || line[0] == '#' || line[0] == '@') continue;
    std::vector<std::string> fields;
    std::istringstream in(line);
    std::string field;
    while (fields.size() < 5 && std::getline(in, field, ';')) fields.push_back(field);
    ASSERT_EQ(fields.size(), 5u) << line;
    WideString c[5];
    bool basic = true;
    for (int i = 0; i < 5; ++i) basic = ParseCodes(fields[i], c[i]) && basic;
    if (part1) listed.insert(std::stoul(fields[0], nullptr, 16));
    if (!basic) {
      ++skipped;
      continue;
    }
    ++checked;
    bool ok = true;
    for (int i = 0; i < 3; ++i) {
      ok = ok && WideNormalize(c[i], nfC) == c[1] && WideNormalize(c[i], nfD) == c[2];
    }
    for (int i = 0; i < 5; ++i) {
      ok = ok && WideNormalize(c[i], nfKC) == c[3] && WideNormalize(c[i], nfKD) == c[4];
    }
    for (int i = 3; i < 5; ++i) ok = ok && WideNormalize(c[i], nfC) == c[3] && WideNormalize(c[i], nfD) == c[4];
    if (!ok && ++failed <= 10) ADD_FAILURE() << "conformance line: " << line;
  }
  EXPECT_EQ(failed, 0);
  EXPECT_GT(checked, 15000);
  std::cout << "conformance lines checked: " << checked << ", outside the basic plane: " << skipped << "\n";
  for (unsigned c = 0; c <= 0xFFFF; ++c) {
    if (listed.count(c) || (c >= 0xD800 && c <= 0xDFFF)) continue;
    WideString one(1, static_cast<wchar_t>(c));
    for (TNormalizationForm f : {nfC, nfD, nfKC, nfKD})
      if (WideNormalize(one, f) != one) ADD_FAILURE() << "U+" << std::hex << c << " changed by form " << int(f);
  }
}

TEST(UcUtf8Tolerant, DecodesPairsAndReplacesBadSequences) {
  struct Case {
    std::string Utf8;
    WideString Wide;
  } cases[] = {
      {Bytes({0xF0, 0x9F, 0x98, 0x80}), L"\xD83D\xDE00"},
      {Bytes({0xED, 0xA0, 0xBD, 0xED, 0xB8, 0x80}), L"\xD83D\xDE00"},  // encoded halves
      {Bytes({0xE9, 0x20, 0x61}), L"\xFFFD a"},                        // 1252 "é a"
      {Bytes({0xF8, 0x88, 0x80, 0x80, 0x80, 'z'}), L"\xFFFD\x0088\x0080\x0080\x0080z"},
      {Bytes({'a', 0xE2, 0x82}), L"a\xFFFD\x0082"},                    // cut short at the end
      {Bytes({0xA9}), L"\x00A9"},                                      // a stray trail byte keeps its value
      {Bytes({0xC1, 0xBF}), L"\xFFFD\x00BF"},                          // overlong
      {Bytes({0xF4, 0x90, 0x80, 0x80}), L"\xFFFD\x0090\x0080\x0080"},  // beyond U+10FFFF
      {Bytes({'x', 0x00, 'y'}), WideString(L"x\0y", 3)},
  };
  for (const Case& c : cases) EXPECT_EQ(Hex(DecodeUtf8ToWide(c.Utf8)), Hex(c.Wide)) << Hex(c.Wide);
}

TEST(UcUtf8Tolerant, EncodesPairsAsOneSequenceAndKeepsLoneHalves) {
  EXPECT_EQ(EncodeWideToUtf8(L"\xD83D\xDE00"), Bytes({0xF0, 0x9F, 0x98, 0x80}));
  EXPECT_EQ(EncodeWideToUtf8(L"\xDE00\xD83D"), Bytes({0xED, 0xB8, 0x80, 0xED, 0xA0, 0xBD}));
  EXPECT_EQ(EncodeWideToUtf8(L"a\x00E9\x20AC"), Bytes({'a', 0xC3, 0xA9, 0xE2, 0x82, 0xAC}));
  std::mt19937 rng(1717);
  for (int round = 0; round < 4000; ++round) {
    WideString w;
    for (int i = 0, n = static_cast<int>(rng() % 10); i < n; ++i) w += static_cast<wchar_t>(rng() % 0x10000);
    ASSERT_EQ(DecodeUtf8ToWide(EncodeWideToUtf8(w)), w) << Hex(w);
  }
}

// Random bytes never lose a byte unaccounted: every byte yields at most one unit, and text that
// decodes without a replacement character encodes back to the same bytes.
TEST(UcUtf8Tolerant, FuzzedBytesDecodeWithoutLoss) {
  std::mt19937 rng(4242);
  const std::string seed = Bytes({'a', 0xC3, 0xA9, 0xE2, 0x82, 0xAC, 0xF0, 0x9F, 0x98, 0x80, 0xED, 0xA0, 0xBD, 'z'});
  for (int round = 0; round < 5000; ++round) {
    std::string s = seed;
    for (int m = 0, n = 1 + static_cast<int>(rng() % 4); m < n; ++m) {
      size_t at = rng() % (s.size() + 1);
      switch (rng() % 3) {
        case 0: s.insert(at, 1, static_cast<char>(rng())); break;
        case 1:
          if (at < s.size()) s.erase(at, 1);
          break;
        default:
          if (at < s.size()) s[at] = static_cast<char>(rng());
          break;
      }
    }
    WideString w = DecodeUtf8ToWide(s);
    ASSERT_LE(w.size(), s.size());
    // Every ASCII byte comes out as itself; text without replacements or stray trail bytes
    // encodes back to the same bytes.
    auto ascii = [](auto& Text) {
      return std::count_if(Text.begin(), Text.end(), [](auto c) { return (c & ~0x7F) == 0; });
    };
    ASSERT_EQ(ascii(w), ascii(s)) << Hex(w);
    if (std::none_of(w.begin(), w.end(), [](wchar_t c) { return c == L'\xFFFD' || (c >= 0x80 && c <= 0xBF); })) {
      ASSERT_EQ(EncodeWideToUtf8(w), s);
    }
  }
}

TEST(UcByteSwap, SwapsEveryUnitOfTheCount) {
  WideString s = {L'\x4100', L'\0', L'\x4200'};
  SwapWideCharBytes(s);
  EXPECT_EQ(s, (WideString{L'A', L'\0', L'B'}));
  wchar_t raw[3] = {L'\x0100', L'\x0200', L'\x0300'};
  SwapWideCharBytes(raw, 2);
  EXPECT_EQ(raw[0], L'\x0001');
  EXPECT_EQ(raw[1], L'\x0002');
  EXPECT_EQ(raw[2], L'\x0300');
  EXPECT_EQ(CodePageFromLocale(1049), 1251u);
}

TEST(UcByteSwap, AZeroTerminatedTextIsSwappedUpToItsFirstZero) {
  // The buffer before, and after the swap; the units after the first zero stay as they were.
  const std::pair<WideString, WideString> cases[] = {
      {WideString{L'\x4100', L'\x4200', L'\0'}, WideString{L'A', L'B', L'\0'}},
      {WideString{L'\x4100', L'\0', L'\x4200', L'\0'}, WideString{L'A', L'\0', L'\x4200', L'\0'}},
      {WideString{L'\0', L'\x4100', L'\0'}, WideString{L'\0', L'\x4100', L'\0'}},
      {WideString{L'\xFFFE', L'\x3412', L'\x00FF', L'\0'}, WideString{L'\xFEFF', L'\x1234', L'\xFF00', L'\0'}},
  };
  for (const auto& [before, after] : cases) {
    WideString a = before, b = before;
    SwapWideCharBytes(a.data());
    WideSwapByteOrder(b.data());
    EXPECT_EQ(a, after);
    EXPECT_EQ(b, after);
  }
  WideSwapByteOrder(static_cast<wchar_t*>(nullptr));  // nothing to swap, nothing read
}
