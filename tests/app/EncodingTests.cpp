// Text-file encodings: detection, the Cyrillic tables against the system's code pages, loading
// and saving in every code, odd and unreadable files, lossy loads, fuzzing. ANSI is code page 1252.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "app/Encoding.h"
#include "foundation/UcWideStrings.h"
#include "tests/foundation/UcTestSupport.h"
#include "tests/framework/TestFiles.h"

namespace {

std::string Narrow(const WideString& W, UINT CodePage) {
  std::string s(W.size() * 4 + 1, '\0');
  s.resize(static_cast<size_t>(WideCharToMultiByte(CodePage, 0, W.data(), static_cast<int>(W.size()), s.data(),
                                                   static_cast<int>(s.size()), nullptr, nullptr)));
  return s;
}

std::string Utf16(const WideString& W, bool BigEndian) {
  std::string s(reinterpret_cast<const char*>(W.data()), W.size() * 2);
  for (size_t i = 0; BigEndian && i < s.size(); i += 2) std::swap(s[i], s[i + 1]);
  return s;
}

const WideString kRussian = L"\u041f\u0440\u0438\u0432\u0435\u0442, \u043c\u0438\u0440! \u042d\u0442\u043e "
                            L"\u043f\u0440\u043e\u0441\u0442\u043e\u0439 \u0440\u0443\u0441\u0441\u043a\u0438\u0439 "
                            L"\u0442\u0435\u043a\u0441\u0442 \u0434\u043b\u044f \u043f\u0440\u043e\u0432\u0435\u0440\u043a\u0438.";

// Rich in the letters that mark ISO 8859-5.
const WideString kIsoRich = L"\u041e\u043d\u043e \u0442\u043e, \u0430 \u044d\u0442\u043e \u0438\u043d\u043e\u0435";

class Encoding : public testing::Test {
 protected:
  WideString Put(const std::string& Bytes) { return folder_.Write(L"file.txt", Bytes); }
  std::string Get(const wchar_t* Name = L"file.txt") { return folder_.Read(Name); }
  // The lines joined by "|".
  static std::string Lines(TTxtEditStringList& L) {
    std::string s;
    for (int i = 0; i < L.Count(); ++i) s += (i ? "|" : "") + L.Strings(i);
    return s;
  }
  TTestFolder folder_;
};

bool Utf8(const std::string& Sample, int64_t From = 0) {
  TStringStream s(Sample);
  s.SetPosition(From);
  const bool result = IsUTF8Text(&s);
  EXPECT_EQ(s.Position(), From) << "the position is kept";
  return result;
}

}  // namespace

TEST(Utf8Test, EveryRuleOfTheSample) {
  const std::pair<std::string, bool> cases[] = {
      {"", false}, {"plain 7-bit text\r\n", false}, {Bytes({0xEF, 0xBB, 0xBF}), true},
      {Bytes({0xEF, 0xBB, 0xBF, 0xFF, 0xC0}), true},  // the mark decides whatever follows
      {Bytes({0x41, 0xC3, 0xA9, 0x41, 0x41, 0xFF}), true}, {Bytes({0x41, 0xFF, 0xC3, 0xA9, 0x41, 0x41}), false},
      {Bytes({0xC3, 0xA9, 0x41, 0x41}), true},
      {Bytes({0xC3, 0xA9, 0xA9, 0x41, 0x41}), false},  // one continuation byte too many
      {Bytes({0xC3, 0x41, 0x41}), false}, {Bytes({0xC0, 0x80, 0x41, 0x41}), false},
      {Bytes({0xC1, 0xBF, 0x41, 0x41}), false}, {Bytes({0x80, 0x41, 0x41}), false},
      {Bytes({0xF5, 0x80, 0x80, 0x80}), false}, {Bytes({0xE0, 0x9F, 0x80, 0x41, 0x41}), false},
      {Bytes({0xE0, 0xA0, 0x80, 0x41, 0x41}), true},
      {Bytes({0xED, 0xA0, 0x80, 0x41, 0x41}), false},  // a surrogate
      {Bytes({0xED, 0x9F, 0xBF, 0x41, 0x41}), true}, {Bytes({0xEE, 0x80, 0x80, 0x41, 0x41}), true},
      {Bytes({0xF0, 0x8F, 0xBF, 0xBF, 0x41, 0x41}), false}, {Bytes({0xF0, 0x90, 0x80, 0x80, 0x41, 0x41}), true},
      {Bytes({0xF4, 0x8F, 0xBF, 0xBF, 0x41, 0x41}), true},
      {Bytes({0xF4, 0x90, 0x80, 0x80, 0x41, 0x41}), false},  // beyond U+10FFFF
      {Bytes({0xF1, 0x80, 0x80, 0x41, 0x41}), false},
      // A sequence that ends within the last two bytes of the sample counts.
      {Bytes({0xC3, 0xA9}), true}, {Bytes({0xC3, 0xA9, 0x0A}), true}, {Bytes({0x41, 0xF0, 0x9F, 0x98, 0x80}), true},
      {Bytes({0xC3}), false},  // cut off
      {Bytes({0xE2, 0x82}), false},
  };
  for (const auto& [bytes, utf8] : cases) EXPECT_EQ(Utf8(bytes), utf8) << testing::PrintToString(bytes);
}

TEST(Utf8Test, TheSampleStartsAtThePositionAndEndsAfter16384Bytes) {
  EXPECT_TRUE(Utf8("\xFF" + Bytes({0xC3, 0xA9, 0x41}), 1));
  EXPECT_FALSE(Utf8(std::string(16384, 'a') + Bytes({0xC3, 0xA9, 0x41, 0x41})));
  EXPECT_TRUE(Utf8(std::string(16382, 'a') + Bytes({0xC3, 0xA9, 0xFF})));
  EXPECT_TRUE(Utf8(Bytes({0xC3, 0xA9}) + std::string(16382, 'a') + "\xFF\xFF"));
}

TEST(Utf8Test, DetectionByMarkAndWithout) {
  const std::pair<std::string, TTextEncoding> cases[] = {
      {"", teAnsi}, {"A", teAnsi}, {"\xFF", teAnsi}, {"\xFF\xFE", teUnicode}, {"\xFF\xFE\x41\x00", teUnicode},
      {"\xFE\xFF\x00\x41", teBigEndianUnicode}, {"\xEF\xBB\xBF", teUtf8}, {"caf\xC3\xA9", teUtf8},
      {"caf\xE9 au lait", teAnsi}, {"\xFE\xFE", teAnsi},
  };
  for (const auto& [bytes, code] : cases) {
    TStringStream s(bytes);
    EXPECT_EQ(DetectEncoding(&s), code) << testing::PrintToString(bytes);
    EXPECT_EQ(s.Position(), 0);
  }
}

TEST(Cyrillic, DetectionOfTheFourCodePages) {
  // The last two are the heuristics' known misses: a lone Windows-1251 "v" counts for DOS866,
  // and this short ISO 8859-5 greeting has too few of its frequent letters.
  const std::pair<std::string, int> cases[] = {
      {"", 0}, {"plain text", 0}, {Narrow(kRussian, 1251), 0}, {Narrow(kRussian, 20866), 1},
      {Narrow(kRussian, 866), 5}, {Narrow(kIsoRich, 28595), 3}, {"\xE2", 5},
      {Narrow(L"\u041f\u0440\u0438\u0432\u0435\u0442, \u043c\u0438\u0440", 28595), 0}};
  for (const auto& [text, index] : cases) EXPECT_EQ(DetectCyrillicCodePage(text), index) << text;
}

TEST(Cyrillic, EveryLetterConvertsBothWaysAsTheSystemCodePagesSay) {
  WideString letters = L"\u0401\u0451";
  for (wchar_t c = 0x410; c <= 0x44F; ++c) letters += c;
  ASSERT_EQ(letters.size(), 66u);
  for (const auto& [index, codePage] : {std::pair<int, UINT>{1, 20866}, {3, 28595}, {5, 866}}) {
    for (wchar_t c : letters) {
      const std::string win = Narrow(WideString(1, c), 1251), other = Narrow(WideString(1, c), codePage);
      EXPECT_EQ(ConvertString(other, index, 0), win) << codePage << " U+" << std::hex << int(c);
      EXPECT_EQ(ConvertString(win, 0, index), other) << codePage << " U+" << std::hex << int(c);
    }
  }
  EXPECT_EQ(ConvertString("ASCII \x7F stays", 1, 0), "ASCII \x7F stays");
}

TEST(Cyrillic, TheBytesTheTablesDoNotGiveBack) {
  const int cases[][3] = {{1, 0x98, 0xA8}, {1, 0x99, 0xB8}, {3, 0xA8, 0xA1}, {3, 0xF0, 0xE0},
                          {3, 0xFF, 0xEF}, {5, 0xB8, 0xA3}, {5, 0xF2, 0xE2}, {0, 0x98, 0x98}};
  for (const auto& c : cases) {
    const std::string back = ConvertString(ConvertString(std::string(1, char(c[1])), c[0], 0), 0, c[0]);
    EXPECT_EQ(static_cast<uint8_t>(back[0]), c[2]) << c[0] << " " << c[1];
  }
  const int indexes[] = {CodePageTableIndex(teCyrillicDos), CodePageTableIndex(teCyrillicIso),
                         CodePageTableIndex(teCyrillicKoi8), CodePageTableIndex(teUtf8)};
  EXPECT_EQ(std::vector<int>(std::begin(indexes), std::end(indexes)), (std::vector<int>{5, 3, 1, 0}));
  TTxtEditStringList lines;
  lines.Add(Narrow(kRussian, 20866));
  lines.Add("");
  ConvertLines(&lines, 1, 0);
  EXPECT_EQ(lines.Strings(0), Narrow(kRussian, 1251));
}

TEST_F(Encoding, FilesComeBackByteForByteInTheirOwnCode) {
  const std::string grusse = "Gr\xC3\xBC\xC3\x9F" "e";  // in UTF-8; the ANSI lines hold it
  const struct {
    std::string bytes;
    TTextEncoding asked, found;
    std::string lines;
  } cases[] = {
      {"one\r\ntwo\r\n", teAutoSelect, teAnsi, "one|two|"}, {"a\nb", teAutoSelect, teAnsi, "a|b"},
      {"tr\xE8s\r", teAutoSelect, teAnsi, "tr\xE8s|"},
      {grusse + "\nzwei\n", teAutoSelect, teUtf8, "Gr\xFC\xDF" "e|zwei|"},
      {"\xEF\xBB\xBF" + grusse + "\r\nx", teAutoSelect, teUtf8, "Gr\xFC\xDF" "e|x"},
      {"\xEF\xBB\xBF", teAutoSelect, teUtf8, ""},
      {"a\fb\x0B" "c\nd", teUtf8, teUtf8, "a\fb\x0B" "c|d"},  // only CR and LF break lines
      {"\xFF\xFE" + Utf16(L"\u00e9\rb\r", false), teAutoSelect, teUnicode, "\xE9|b|"},
      {"\xFE\xFF" + Utf16(L"A\nB", true), teAutoSelect, teBigEndianUnicode, "A|B"},
      {"\xFF\xFE" + Utf16(WideString(L"a\0b\n", 4), false), teAutoSelect, teUnicode, std::string("a\0b|", 4)},
      {"\xFE\xFF" + Utf16(WideString(L"\0\u00fcz", 3), true), teAutoSelect, teBigEndianUnicode,
       std::string("\0\xFCz", 3)},
      {Utf16(L"no mark\r\n", false), teUnicode, teUnicode, "no mark|"},
      {Utf16(L"no mark", true), teBigEndianUnicode, teBigEndianUnicode, "no mark"},
      {Narrow(kRussian + L"\n", 20866), teAutoSelect, teCyrillicKoi8, Narrow(kRussian, 1251) + "|"},
      {Narrow(kRussian, 866), teAutoSelect, teCyrillicDos, Narrow(kRussian, 1251)},
      {Narrow(kRussian, 28595), teCyrillicIso, teCyrillicIso, Narrow(kRussian, 1251)},
      {Narrow(kIsoRich + L"\r", 28595), teAutoSelect, teCyrillicIso, Narrow(kIsoRich, 1251) + "|"},
      {Narrow(kRussian, 20866), teAnsi, teAnsi, Narrow(kRussian, 20866)},  // explicit ANSI never converts
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.bytes));
    const WideString name = Put(c.bytes);
    TTxtEditStringList lines;
    bool lossy = true;
    ASSERT_EQ(LoadTextFile(&lines, name, c.asked, lossy), c.found);
    EXPECT_FALSE(lossy);
    EXPECT_EQ(Lines(lines), c.lines);
    const bool mark = c.bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
    ASSERT_TRUE(SaveTextFile(&lines, name, c.found, mark));
    // UTF-16 is always saved with its mark.
    const char* unicodeMark = c.found == teUnicode ? "\xFF\xFE" : c.found == teBigEndianUnicode ? "\xFE\xFF" : "";
    EXPECT_EQ(Get(), c.bytes.compare(0, 2, unicodeMark) == 0 ? c.bytes : unicodeMark + c.bytes);
  }
}

TEST_F(Encoding, ShortOddAndUnknownFiles) {
  const struct {
    std::string bytes;
    TTextEncoding asked, found;
    std::string lines;
    bool lossy;
  } cases[] = {
      {"", teAutoSelect, teAnsi, "", false}, {"\xFF", teAutoSelect, teAnsi, "\xFF", false},
      {"\xFF\xFE", teAutoSelect, teUnicode, "", false},
      {Bytes({0xFF, 0xFE, 0x41, 0x00, 0x42}), teAutoSelect, teUnicode, "A", true},  // half a unit cannot be kept
      {"\xFF", teUnicode, teUnicode, "", true}, {"\xFE", teBigEndianUnicode, teBigEndianUnicode, "", true},
      {"\xEF\xBB", teAutoSelect, teCyrillicKoi8, "\xCE\xBB", false},  // a cut mark is text
      {"\xEF\xBB", teUtf8, teUtf8, "?\xBB", true}, {"text", 8, 8, "text", false},
      {"\xE4\xB8\xAD\xE6\x96\x87\n", teAutoSelect, teUtf8, "??|", true},  // Chinese under 1252
      {"\xFF\xFE\x2D\x4E", teAutoSelect, teUnicode, "?", true},
      {"\xFF\xFE" + Utf16(L"a\xD800z", false), teAutoSelect, teUnicode, "a?z", true},  // a lone surrogate
      {"smile \xF0\x9F\x98\x80", teAutoSelect, teUtf8, "smile ??", true},
      {"e\xCC\x81t\xC3\xA9", teAutoSelect, teUtf8, "\xE9t\xE9", true},  // composed, so saving would change it
      {"\xC3\xA9" + std::string(16384, 'a') + "\xFF", teAutoSelect, teUtf8, "\xE9" + std::string(16384, 'a') + "?", true},
      {Narrow(kRussian, 20866) + "\x98", teAutoSelect, teCyrillicKoi8, Narrow(kRussian, 1251) + "\x98", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.bytes));
    TTxtEditStringList lines;
    bool lossy = !c.lossy;
    EXPECT_EQ(LoadTextFile(&lines, Put(c.bytes), c.asked, lossy), c.found);
    EXPECT_EQ(Lines(lines), c.lines);
    EXPECT_EQ(lossy, c.lossy);
  }
}

TEST_F(Encoding, LongFilesCrossTheReadersChunksWhole) {
  // Lines and characters cut by the 1 MB chunks, in one line longer than a chunk and in many.
  WideString text;
  for (int i = 0; i < 60000; ++i) text += L"line \u00e9\u00fc\u00df " + std::to_wstring(i) + L"\n";
  text += WideString(1500000, L'\u00e9') + L"x";
  for (TTextEncoding code : {teUtf8, teUnicode, teBigEndianUnicode}) {
    const std::string bytes = code == teUtf8            ? Narrow(text, CP_UTF8)
                              : code == teUnicode       ? "\xFF\xFE" + Utf16(text, false)
                                                        : "\xFE\xFF" + Utf16(text, true);
    const WideString name = Put(bytes);
    TTxtEditStringList lines;
    bool lossy = true;
    EXPECT_EQ(LoadTextFile(&lines, name, code, lossy), code);
    EXPECT_FALSE(lossy);
    EXPECT_EQ(lines.Count(), 60001);
    EXPECT_EQ(lines.LineBreakFormat(), lbfLF);
    EXPECT_EQ(lines.Strings(59999), Narrow(L"line \u00e9\u00fc\u00df 59999", 1252));
    ASSERT_TRUE(SaveTextFile(&lines, name, code, false));
    EXPECT_TRUE(Get() == bytes) << int(code);
  }
}

TEST_F(Encoding, SavingWritesMarksAndBreaksAsAsked) {
  TTxtEditStringList lines;
  lines.Add("a");
  lines.Add("b");
  const WideString name = folder_.File(L"file.txt");
  const struct {
    TTextEncoding code;
    bool bom;
    std::string bytes;
  } cases[] = {
      {teUtf8, false, "a\r\nb"}, {teUtf8, true, "\xEF\xBB\xBF" "a\r\nb"},
      {teUnicode, false, Bytes({0xFF, 0xFE, 'a', 0, 13, 0, 10, 0, 'b', 0})},
      {teBigEndianUnicode, false, Bytes({0xFE, 0xFF, 0, 'a', 0, 13, 0, 10, 0, 'b'})}, {teAnsi, true, "a\r\nb"},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(SaveTextFile(&lines, name, c.code, c.bom));
    EXPECT_EQ(Get(), c.bytes) << int(c.code);
  }
  // A Cyrillic save keeps the document's breaks and leaves its lines in Windows-1251.
  lines.Clear();
  lines.Add(Narrow(L"\u0401\u0436", 1251));
  lines.Add("");
  lines.SetLineBreakFormat(lbfLF);
  ASSERT_TRUE(SaveTextFile(&lines, name, teCyrillicDos, false));
  EXPECT_EQ(Get(), Narrow(L"\u0401\u0436\n", 866));
  EXPECT_EQ(lines.Strings(0), Narrow(L"\u0401\u0436", 1251));
  // Codes that name no file encoding write nothing and say so.
  const WideString none = folder_.File(L"none.txt");
  EXPECT_FALSE(SaveTextFile(&lines, none, teAutoSelect, false));
  EXPECT_FALSE(SaveTextFile(&lines, none, 8, false));
  EXPECT_EQ(GetFileAttributesW(none.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Encoding, AFileThatCannotBeOpenedIsReportedAndChangesNothing) {
  const WideString missing = folder_.File(L"missing.txt");
  TWideFileStream stream(missing, fmOpenRead);
  char byte = 'x';
  EXPECT_EQ(std::vector<int64_t>({stream.Opened(), stream.Size(), stream.Position(), stream.Read(&byte, 1)}),
            std::vector<int64_t>({false, -1, -1, 0}));
  EXPECT_EQ(Raised<EWriteError>([&] { stream.WriteBuffer(&byte, 1); }), "Stream write error");
  EXPECT_EQ(DetectFileEncoding(missing), teAnsi);

  const WideString locked = Put("\xFF\xFE\x41\x00");
  HANDLE h = CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  for (const WideString& name : {missing, locked}) {
    for (TTextEncoding code : {teAutoSelect, teUnicode, teUtf8, teCyrillicKoi8}) {
      TTxtEditStringList lines;
      lines.Add("kept");
      const std::string message = Raised<EFOpenError>([&] { LoadTextFile(&lines, name, code); });
      EXPECT_EQ(message.rfind("Cannot open file \"", 0), 0u) << message;
      EXPECT_EQ(Lines(lines), "kept");
    }
    TWideStringList wide;
    EXPECT_NE(Raised<EFOpenError>([&] { LoadWideStrings(&wide, name, teUnicode); }).find("Cannot open file"),
              std::string::npos);
  }
  // A save that cannot replace the file leaves it whole and no stray file beside it.
  TTxtEditStringList lines;
  lines.Add("new text");
  for (TTextEncoding code : {teAnsi, teUnicode, teUtf8, teCyrillicIso}) {
    const std::string message = Raised<EFCreateError>([&] { SaveTextFile(&lines, locked, code, true); });
    EXPECT_EQ(message.rfind("Cannot create file \"", 0), 0u) << message;
  }
  CloseHandle(h);
  EXPECT_EQ(Get(), "\xFF\xFE\x41\x00");
  WIN32_FIND_DATAW found;
  EXPECT_EQ(FindFirstFileW(folder_.File(L"*.tmp").c_str(), &found), INVALID_HANDLE_VALUE);
}

TEST_F(Encoding, FileStreamModes) {
  const WideString name = Put("data");
  // The mode, whether it opens, and whether others may then read and write.
  const struct {
    uint16_t mode;
    bool opened, othersRead, othersWrite;
  } cases[] = {
      {fmOpenRead, true, false, false},           {fmOpenRead | fmShareExclusive, true, false, false},
      {fmOpenRead | fmShareDenyWrite, true, true, false}, {fmOpenWrite | fmShareDenyRead, true, false, true},
      {fmOpenReadWrite | fmShareDenyNone, true, true, true}, {3, false, true, true},
      {fmOpenRead | 0x50, false, true, true},
  };
  auto othersMay = [&](DWORD Access) {
    HANDLE h = CreateFileW(name.c_str(), Access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    return h != INVALID_HANDLE_VALUE;
  };
  for (const auto& c : cases) {
    TWideFileStream stream(name, c.mode);
    EXPECT_EQ(stream.Opened(), c.opened) << std::hex << c.mode;
    EXPECT_EQ(othersMay(GENERIC_READ), c.othersRead) << std::hex << c.mode;
    EXPECT_EQ(othersMay(GENERIC_WRITE), c.othersWrite) << std::hex << c.mode;
  }
  TWideFileStream(name, fmCreate).WriteBuffer("new", 3);
  EXPECT_EQ(Get(), "new");
}

TEST_F(Encoding, WideListsKeepTheirLayout) {
  const WideString name = Put("\xFE\xFF" + Utf16(WideString(L"a\0b\r\fc\r", 7), true));
  TWideStringList list;
  list.SetNormalizationForm(nfNone);
  TWideTextLayout layout;
  LoadWideStrings(&list, name, teBigEndianUnicode, &layout);
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Strings(0), WideString(L"a\0b", 3));
  EXPECT_EQ(list.Strings(1), L"\fc");
  EXPECT_TRUE(layout.LineBreak == lbfCR && layout.FinalBreak && !layout.Lossy);
  ASSERT_TRUE(SaveWideStrings(&list, name, teBigEndianUnicode, false, &layout));
  EXPECT_EQ(Get(), "\xFE\xFF" + Utf16(WideString(L"a\0b\r\fc\r", 7), true));
  // Without a layout: CR LF between the lines and none after the last.
  ASSERT_TRUE(SaveWideStrings(&list, name, teUtf8, true));
  EXPECT_EQ(Get(), std::string("\xEF\xBB\xBF" "a\0b\r\n\f" "c", 10));
  EXPECT_FALSE(SaveWideStrings(&list, name, teCyrillicKoi8, false));

  LoadWideStrings(&list, Put("x\r\ny\n\xFF"), teUtf8, &layout);
  EXPECT_TRUE(layout.LineBreak == lbfCRLF && !layout.FinalBreak && layout.Lossy);

  TStringStream out;
  WriteWideText(&out, L"\u00e9\u4e2d", teAnsi, true);
  WriteWideText(&out, L"z", teCyrillicDos, true);
  WriteWideText(&out, L"\u00e9", teUtf8, false);
  EXPECT_EQ(out.DataString(), "\xE9?\xC3\xA9");
}

// Mutated files in every code: each load ends in lines (never an exception for a readable
// file), and a load that reports nothing lost is saved and read back to the same lines.
TEST_F(Encoding, FuzzedFilesLoadAndWhatLoadsWholeSavesWhole) {
  const std::string seeds[] = {"plain\r\ntext\r\n", "Gr\xC3\xBC\xC3\x9F" "e\nzwei", "\xEF\xBB\xBF" "caf\xC3\xA9\r",
                               "\xFF\xFE" + Utf16(L"wide \u00e9\r\nline", false),
                               "\xFE\xFF" + Utf16(L"big \u00fc\nend\n", true),
                               Narrow(kRussian + L"\r\n" + kRussian, 20866), Narrow(kRussian, 866)};
  std::mt19937 rng(20261206);
  const WideString name = folder_.File(L"file.txt"), saved = folder_.File(L"saved.txt");
  for (int round = 0; round < 600; ++round) {
    std::string bytes = seeds[rng() % std::size(seeds)];
    for (int edits = 1 + static_cast<int>(rng() % 4); edits > 0; --edits) {
      const size_t at = bytes.empty() ? 0 : rng() % bytes.size();
      switch (rng() % 4) {
        case 0: if (!bytes.empty()) bytes[at] = static_cast<char>(rng()); break;
        case 1: bytes.insert(at, 1, static_cast<char>(rng() % 2 ? rng() : "\r\n\0\x80\xC3\xD8"[rng() % 6])); break;
        case 2: bytes.erase(at, 1 + rng() % 3); break;
        default: bytes.resize(at); break;
      }
    }
    Put(bytes);
    const TTextEncoding asked = static_cast<TTextEncoding>(round % 2 ? 0 : rng() % 8);
    SCOPED_TRACE(testing::PrintToString(bytes) + " asked " + std::to_string(asked));
    TTxtEditStringList lines;
    bool lossy = false;
    TTextEncoding found = 0;
    ASSERT_NO_THROW(found = LoadTextFile(&lines, name, asked, lossy));
    if (lossy || found == teAutoSelect) continue;
    ASSERT_TRUE(SaveTextFile(&lines, saved, found, bytes.compare(0, 3, "\xEF\xBB\xBF") == 0));
    TTxtEditStringList again;
    bool lossyAgain = true;
    ASSERT_EQ(LoadTextFile(&again, saved, found, lossyAgain), found);
    EXPECT_FALSE(lossyAgain);
    ASSERT_EQ(Lines(again), Lines(lines));
  }
}

TEST(Utf8Test, FuzzedSamplesKeepThePositionAndAgreeWithTheWholeFileCheck) {
  std::mt19937 rng(7);
  for (int round = 0; round < 20000; ++round) {
    const std::string bytes = FuzzedTextBytes(rng);
    TStringStream s(bytes);
    const TTextEncoding code = DetectEncoding(&s);
    ASSERT_EQ(s.Position(), 0);
    ASSERT_LE(code, teUtf8);
    // A text that is well-formed UTF-8 throughout with a multi-byte character is detected.
    bool wellFormed = true, multiByte = false;
    for (size_t i = 0, n = 1; i < bytes.size() && wellFormed; i += n) {
      n = Utf8SequenceLength(reinterpret_cast<const uint8_t*>(bytes.data()) + i, bytes.size() - i);
      wellFormed = n > 0;
      multiByte = multiByte || n > 1;
    }
    if (wellFormed && multiByte) {
      ASSERT_EQ(code, teUtf8) << testing::PrintToString(bytes);
    }
  }
}
