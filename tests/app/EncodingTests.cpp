// Text-file encodings: detection, the Cyrillic tables against the system's code pages, loading and
// saving in every code, unreadable and lossy files, fuzzing. ANSI is code page 1252.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <tuple>
#include <string>
#include <vector>

#include "app/Encoding.h"
#include "app/TextFileOpening.h"
#include "editor/TxtEditTextBuffer.h"
#include "framework/CodePages.h"
#include "framework/Exceptions.h"
#include "tests/app/AppTestSupport.h"
#include "foundation/UcWideStrings.h"
#include "tests/common/MessageBoxRecorder.h"
#include "tests/foundation/UcTestSupport.h"
#include "tests/framework/TestFiles.h"

namespace {

// Bytes written as hexadecimal pairs: "41 C3 A9".
std::string Hex(const char* Pairs) {
  std::string s;
  for (const char* p = Pairs; *p; p += p[2] ? 3 : 2) s += static_cast<char>(std::stoi(std::string(p, 2), nullptr, 16));
  return s;
}

const std::string kBom = "\xEF\xBB\xBF";

std::string Utf16(const WideString& W, bool BigEndian) {
  std::string s(reinterpret_cast<const char*>(W.data()), W.size() * 2);
  for (size_t i = 0; BigEndian && i < s.size(); i += 2) std::swap(s[i], s[i + 1]);
  return s;
}

const WideString kRussian =
    L"\u041f\u0440\u0438\u0432\u0435\u0442, \u043c\u0438\u0440! \u042d\u0442\u043e "
    L"\u043f\u0440\u043e\u0441\u0442\u043e\u0439 \u0440\u0443\u0441\u0441\u043a\u0438\u0439 "
    L"\u0442\u0435\u043a\u0441\u0442 \u0434\u043b\u044f \u043f\u0440\u043e\u0432\u0435\u0440\u043a\u0438.";

// Rich in the letters that mark ISO 8859-5.
const WideString kIsoRich = L"\u041e\u043d\u043e \u0442\u043e, \u0430 \u044d\u0442\u043e \u0438\u043d\u043e\u0435";

class Encoding : public testing::Test {
 protected:
  WideString Put(const std::string& Bytes) { return folder_.Write(L"file.txt", Bytes); }
  std::string Get(const wchar_t* Name = L"file.txt") { return folder_.Read(Name); }
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
  // A mark, or a sample whose multi-byte sequences are all well formed (one that ends the sample too);
  // too few or too many continuation bytes, overlong forms, surrogates, beyond U+10FFFF and cut
  // sequences do not count, wherever they come.
  const char* utf8[] = {"EF BB BF",       "EF BB BF FF C0", "41 C3 A9 41 C3 A9", "C3 A9 41 41",
                        "E0 A0 80 41 41", "ED 9F BF 41 41", "EE 80 80 41 41",    "F0 90 80 80 41 41",
                        "F4 8F BF BF 41", "C3 A9",          "C3 A9 0A",          "41 F0 9F 98 80"};
  const char* notUtf8[] = {"",
                           "41 42 0D 0A",
                           "41 FF C3 A9 41 41",
                           "41 C3 A9 41 41 FF",
                           "E1 AF A0 E1 A8 A1 AE",  // a DOS866 word whose first letters look like UTF-8
                           "C3 A9 A9 41 41",
                           "C3 41 41",
                           "C0 80 41 41",
                           "C1 BF 41 41",
                           "80 41 41",
                           "F5 80 80 80",
                           "E0 9F 80 41 41",
                           "ED A0 80 41",
                           "F0 8F BF BF",
                           "F4 90 80 80 41 41",
                           "F1 80 80 41 41",
                           "C3",
                           "E2 82"};
  for (const char* hex : utf8) EXPECT_TRUE(Utf8(Hex(hex))) << hex;
  for (const char* hex : notUtf8) EXPECT_FALSE(Utf8(Hex(hex))) << hex;
  // The sample starts at the position and ends after 16384 bytes.
  EXPECT_TRUE(Utf8("\xFF" + Bytes({0xC3, 0xA9, 0x41}), 1));
  EXPECT_FALSE(Utf8(std::string(16384, 'a') + Bytes({0xC3, 0xA9, 0x41, 0x41})));
  EXPECT_TRUE(Utf8(std::string(16382, 'a') + Bytes({0xC3, 0xA9, 0xFF})));
  EXPECT_TRUE(Utf8(Bytes({0xC3, 0xA9}) + std::string(16382, 'a') + "\xFF\xFF"));
}

// A sequence that starts inside the sample is read whole, also where it reaches past the sample's
// end: the first letter of a UTF-8 file may stand right there, and a stray byte there is no UTF-8.
TEST(Utf8Test, ASequenceAtTheSamplesEndIsReadWhole) {
  const std::pair<std::string, bool> cases[] = {
      {std::string(16383, 'a') + Bytes({0xC3, 0xA9}) + "bc", true},
      {std::string(16382, 'a') + Bytes({0xE2, 0x82, 0xAC}) + "bc", true},
      {std::string(16381, 'a') + Bytes({0xF0, 0x9F, 0x98, 0x80}) + "bc", true},
      {std::string(16383, 'a') + Narrow(L"Привет", CP_UTF8), true},
      {std::string(16383, 'a') + Bytes({0xC3}), false},  // the file ends inside the letter
      {Bytes({0xC3, 0xA9}) + std::string(16381, 'a') + "\xFF" + "bc", false},
      {Bytes({0xC3, 0xA9}) + std::string(16380, 'a') + "\xE9" + "xyz", false},
      {Bytes({0xC3, 0xA9}) + std::string(16379, 'a') + Bytes({0xE2, 0x82, 0x41}), false},
      {Bytes({0xC3, 0xA9}) + std::string(16379, 'a') + Bytes({0xED, 0xA0, 0x80}), false},  // a surrogate
      {Bytes({0xC3, 0xA9}) + std::string(16380, 'a') + Bytes({0xC0, 0xAF}), false},        // overlong
  };
  for (const auto& [bytes, utf8] : cases) {
    EXPECT_EQ(Utf8(bytes), utf8) << testing::PrintToString(bytes.substr(16370));
    TStringStream s(bytes);
    EXPECT_EQ(DetectEncoding(&s) == teUtf8, utf8);
  }
}

TEST(Cyrillic, DetectionOfTheFourCodePages) {
  // A lone high byte is no Russian word (it is as likely a Latin letter and is kept as it is);
  // a short ISO 8859-5 greeting is.
  const std::pair<std::string, int> cases[] = {
      {"", 0},
      {Narrow(kRussian, 1251), 0},
      {Narrow(kRussian, 20866), 1},
      {Narrow(kRussian, 866), 5},
      {Narrow(kIsoRich, 28595), 3},
      {"\xE2", 0},
      {Narrow(L"\u041f\u0440\u0438\u0432\u0435\u0442, \u043c\u0438\u0440", 28595), 3}};
  for (const auto& [text, index] : cases) EXPECT_EQ(DetectCyrillicCodePage(text), index) << text;
  // A long plain-ASCII run before the letters, ending at every place within a word: a high byte
  // right after a plain letter belongs to a Latin word.
  for (size_t ascii = 0; ascii < 40; ++ascii) {
    EXPECT_EQ(DetectCyrillicCodePage(std::string(ascii, 'a') + " " + Narrow(kRussian, 20866)), 1) << ascii;
    EXPECT_EQ(DetectCyrillicCodePage(std::string(ascii, 'a') + "\xE2"), 0) << ascii;
  }
}

TEST(Cyrillic, EveryLetterConvertsBothWaysAsTheSystemCodePagesSay) {
  WideString letters = L"\u0401\u0451";
  for (wchar_t c = 0x410; c <= 0x44F; ++c) letters += c;
  for (const auto& [index, codePage] : {std::pair<int, UINT>{1, 20866}, {3, 28595}, {5, 866}}) {
    for (wchar_t c : letters) {
      const std::string win = Narrow(WideString(1, c), 1251), other = Narrow(WideString(1, c), codePage);
      EXPECT_EQ(ConvertString(other, index, 0), win) << codePage << " U+" << std::hex << int(c);
      EXPECT_EQ(ConvertString(win, 0, index), other) << codePage << " U+" << std::hex << int(c);
    }
  }
  EXPECT_EQ(ConvertString("ASCII \x7F stays", 1, 0), "ASCII \x7F stays");
  // Some bytes do not come back.
  EXPECT_EQ(ConvertString(ConvertString("\x98\x99", 1, 0), 0, 1), "\xA8\xB8");
  EXPECT_EQ(ConvertString(ConvertString("\xA8\xF0\xFF", 3, 0), 0, 3), "\xA1\xE0\xEF");
  EXPECT_EQ(ConvertString(ConvertString("\xB8\xF2", 5, 0), 0, 5), "\xA3\xE2");
}

// What loads whole comes back byte for byte in its own code (UTF-16 with its mark, always written).
TEST_F(Encoding, FilesLoadAndComeBackByteForByteInTheirOwnCode) {
  const std::string grusse = Narrow(L"Gr\u00fc\u00dfe", CP_UTF8), grusseAnsi = "Gr\xFC\xDF\x65";
  const struct {
    std::string bytes;
    TTextEncoding asked, found;
    std::string lines;
    bool lossy;
  } cases[] = {
      {"one\r\ntwo\r\n", teAutoSelect, teAnsi, "one|two|", false},
      {"a\nb", teAutoSelect, teAnsi, "a|b", false},
      {grusse + "\nzwei\n", teAutoSelect, teUtf8, grusseAnsi + "|zwei|", false},
      {kBom + grusse + "\r\nx", teAutoSelect, teUtf8, grusseAnsi + "|x", false},
      {"a\fb\vc\nd", teUtf8, teUtf8, "a\fb\vc|d", false},  // only CR and LF break lines
      {"\xFF\xFE" + Utf16(L"\u00e9\rb\r", false), teAutoSelect, teUnicode, "\xE9|b|", false},
      {"\xFE\xFF" + Utf16(L"A\nB", true), teAutoSelect, teBigEndianUnicode, "A|B", false},
      {"\xFF\xFE" + Utf16(WideString(L"a\0b\n", 4), false), teAutoSelect, teUnicode, std::string("a\0b|", 4), false},
      {Utf16(L"no mark\r\n", false), teUnicode, teUnicode, "no mark|", false},
      {Utf16(L"no mark", true), teBigEndianUnicode, teBigEndianUnicode, "no mark", false},
      {Narrow(kRussian + L"\n", 20866), teAutoSelect, teCyrillicKoi8, Narrow(kRussian, 1251) + "|", false},
      {Narrow(kRussian, 866), teAutoSelect, teCyrillicDos, Narrow(kRussian, 1251), false},
      {Narrow(kIsoRich + L"\r", 28595), teAutoSelect, teCyrillicIso, Narrow(kIsoRich, 1251) + "|", false},
      {Narrow(kRussian, 20866), teAnsi, teAnsi, Narrow(kRussian, 20866), false},  // explicit ANSI never converts
      {"\xFF", teAutoSelect, teAnsi, "\xFF", false},
      {"\xFF\xFE", teAutoSelect, teUnicode, "", false},
      {"\xFE\xFE", teAutoSelect, teAnsi, "\xFE\xFE", false},
      {Bytes({0xFF, 0xFE, 0x41, 0x00, 0x42}), teAutoSelect, teUnicode, "A", true},  // half a unit cannot be kept
      {"\xFF", teUnicode, teUnicode, "", true},
      {"\xEF\xBB", teAutoSelect, teAnsi, "\xEF\xBB", false},  // a cut mark is text
      {"\xEF\xBB", teUtf8, teUtf8, "?\xBB", true},
      {"text", 8, 8, "text", false},
      {"\xE4\xB8\xAD\xE6\x96\x87\n", teAutoSelect, teUtf8, "??|", true},               // Chinese under 1252
      {"\xFF\xFE" + Utf16(L"a\xD800z", false), teAutoSelect, teUnicode, "a?z", true},  // a lone surrogate
      {"e\xCC\x81t\xC3\xA9", teAutoSelect, teUtf8, "\xE9t\xE9", true},  // composed, so saving would change it
      {"\xC3\xA9" + std::string(16384, 'a') + "\xFF", teAutoSelect, teUtf8, "\xE9" + std::string(16384, 'a') + "?",
       true},
      {Narrow(kRussian, 20866) + "\x98", teAutoSelect, teCyrillicKoi8, Narrow(kRussian, 1251) + "\x98", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.bytes));
    const WideString name = Put(c.bytes);
    TTxtEditStringList lines;
    bool lossy = !c.lossy;
    ASSERT_EQ(LoadTextFile(&lines, name, c.asked, lossy), c.found);
    EXPECT_EQ(lossy, c.lossy);
    EXPECT_EQ(Lines(lines), c.lines);
    if (c.lossy || c.found > teLastEncoding) continue;
    ASSERT_TRUE(SaveTextFile(&lines, name, c.found, c.bytes.compare(0, 3, kBom) == 0));
    const char* unicodeMark = c.found == teUnicode ? "\xFF\xFE" : c.found == teBigEndianUnicode ? "\xFE\xFF" : "";
    EXPECT_EQ(Get(), c.bytes.compare(0, 2, unicodeMark) == 0 ? c.bytes : unicodeMark + c.bytes);
  }
}

// Which loads show through a code page other than the text's own: the Cyrillic codes, held as
// Windows-1251, under any other ANSI code page.
TEST(ForeignCodePage, OnlyCyrillicCodesUnderAnotherCodePage) {
  const struct {
    TTextEncoding Code;
    unsigned CodePage;
    bool Foreign;
  } cases[] = {
      {teCyrillicKoi8, 1252, true},
      {teCyrillicDos, 1252, true},
      {teCyrillicIso, 1250, true},
      {teCyrillicKoi8, 1251, false},
      {teCyrillicDos, 1251, false},
      {teCyrillicIso, 1251, false},
      {teAnsi, 1252, false},
      {teUtf8, 1252, false},
      {teUnicode, 1251, false},
      {teAutoSelect, 1252, false},
      {8, 1252, false},
      {teCyrillicKoi8, 65001, true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ShownInForeignCodePage(c.Code, c.CodePage), c.Foreign) << int(c.Code) << " " << c.CodePage;
  // Text found to be Cyrillic Windows-1251 is held as ANSI: foreign under any other code page.
  const struct {
    TTextEncoding Code;
    unsigned CodePage;
    bool Foreign;
  } win1251[] = {{teAnsi, 1252, true},         {teAnsi, 1251, false}, {teAnsi, 65001, true},
                 {teCyrillicKoi8, 1252, true}, {teUtf8, 1252, false}, {teUnicode, 1252, false}};
  for (const auto& c : win1251)
    EXPECT_EQ(ShownInForeignCodePage(c.Code, c.CodePage, true), c.Foreign) << int(c.Code) << " " << c.CodePage;
}

// Windows-1251 is found only where its letters read as Russian words, better than in the other
// code pages, and Latin words do not outweigh them.
TEST(ForeignCodePage, CyrillicWin1251TextIsTheOneWhoseLettersWin) {
  const struct {
    const char* Text;
    bool Win1251;
  } cases[] = {
      {"\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0!", true},   // Windows-1251
      {"\xF0\xD2\xC9\xD7\xC5\xD4, \xED\xC9\xD2!", false},  // KOI8-R
      {"plain", false},
      {"\xFC\xFC", false},  // no Russian word
      {"\xE0", false},      // a lone letter: "a" in Russian, "a grave" in French
      {"\xEC\xE8\xF0", true},
      {"M\xFCller \xEC\xE8\xF0", true},                       // the Russian word weighs more
      {"caf\xE9 na\xEFve r\xE9sum\xE9 \xEC\xE8\xF0", false},  // Latin letters outweigh it
  };
  for (const auto& c : cases) EXPECT_EQ(IsCyrillicWin1251Text(c.Text, strlen(c.Text)), c.Win1251) << c.Text;
}

// Opening a text file warns once, naming it, when its Cyrillic text shows through this process's
// code page (1252); its lines still save back to its own bytes.
TEST_F(Encoding, OpeningACyrillicFileUnderAnotherCodePageWarns) {
  TMessageBoxRecorder boxes;
  const std::string koi8 = "\xF0\xD2\xC9\xD7\xC5\xD4, \xED\xC9\xD2! \xFC\xD4\xCF \xD4\xC5\xD3\xD4";
  const WideString name = Put(koi8);
  TTxtEditStringList lines;
  EXPECT_EQ(OpenTextFile(&lines, name), teCyrillicKoi8);
  EXPECT_EQ(boxes.Shown, (std::vector<WideString>{ForeignCodePageText(name) + L"|Halcorn Verdan|" +
                                                  std::to_wstring(MB_ICONWARNING)}));
  EXPECT_TRUE(SaveTextFile(&lines, name, teCyrillicKoi8, false));
  EXPECT_EQ(Get(), koi8);
  boxes.Clear();
  OpenTextFile(&lines, Put("plain\r\n"));
  EXPECT_TRUE(boxes.Shown.empty());
}

// Windows-1251 text, held as ANSI, shows as Latin letters under code page 1252: the same warning,
// naming the file; saving it back as ANSI gives its bytes. High bytes of no Cyrillic letter, or
// Latin text, warn of nothing.
TEST_F(Encoding, OpeningWin1251TextUnderAnotherCodePageWarns) {
  TMessageBoxRecorder boxes;
  const std::string win1251 = "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0! \xDD\xF2\xEE \xF2\xE5\xF1\xF2\r\n";
  const WideString name = Put(win1251);
  TTxtEditStringList lines;
  EXPECT_EQ(OpenTextFile(&lines, name), teAnsi);
  EXPECT_EQ(boxes.Shown, (std::vector<WideString>{ForeignCodePageText(name) + L"|Halcorn Verdan|" +
                                                  std::to_wstring(MB_ICONWARNING)}));
  EXPECT_TRUE(SaveTextFile(&lines, name, teAnsi, false));
  EXPECT_EQ(Get(), win1251);
  for (const char* other : {"M\xFCller \xFC\xFC\r\n", "plain\r\n"}) {
    boxes.Clear();
    OpenTextFile(&lines, Put(other));
    EXPECT_TRUE(boxes.Shown.empty()) << other;
  }
}

// Mixed line breaks in every encoding are told by the lines, which keep one style; the other
// codes' loads agree with the ANSI one.
TEST_F(Encoding, MixedLineBreaksAreToldInEveryCode) {
  for (TTextEncoding code = teAnsi; code <= teLastEncoding; ++code)
    for (const char* breaks : {"a\r\nb\nc\rd", "a\r\nb\r\nc", "a\nb\n", "a\rb\nc", "a\r\r\n"}) {
      // The bytes of the text in the code, breaks as they stand.
      const WideString file = folder_.File(L"m.txt");
      std::string bytes = breaks;
      if (code >= teUnicode && code <= teUtf8) {
        TMemoryStream s;
        WriteWideText(&s, AnsiToWide(bytes), code, true);
        bytes.assign(static_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
      }
      folder_.Write(L"m.txt", bytes);
      TTxtEditStringList lines;
      LoadTextFile(&lines, file, code);
      const std::string b = breaks;
      const bool cr = [&] {
        for (size_t i = 0; i < b.size(); ++i)
          if (b[i] == '\r' && (i + 1 == b.size() || b[i + 1] != '\n')) return true;
        return false;
      }();
      const bool lf = [&] {
        for (size_t i = 0; i < b.size(); ++i)
          if (b[i] == '\n' && (i == 0 || b[i - 1] != '\r')) return true;
        return false;
      }();
      const bool crlf = b.find("\r\n") != std::string::npos;
      EXPECT_EQ(lines.MixedLineBreaks(), cr + lf + crlf > 1) << int(code) << " " << breaks;
    }
}

TEST_F(Encoding, LongFilesCrossTheReadersChunksWhole) {
  WideString text;
  for (int i = 0; i < 60000; ++i) text += L"line \u00e9\u00fc\u00df " + std::to_wstring(i) + L"\n";
  text += WideString(1500000, L'\u00e9') + L"x";
  for (TTextEncoding code : {teUtf8, teUnicode, teBigEndianUnicode}) {
    const std::string bytes = code == teUtf8      ? Narrow(text, CP_UTF8)
                              : code == teUnicode ? "\xFF\xFE" + Utf16(text, false)
                                                  : "\xFE\xFF" + Utf16(text, true);
    const WideString name = Put(bytes);
    TTxtEditStringList lines;
    bool lossy = true;
    EXPECT_EQ(LoadTextFile(&lines, name, code, lossy), code);
    EXPECT_TRUE(!lossy && lines.Count() == 60001 && lines.LineBreakFormat() == lbfLF);
    ASSERT_TRUE(SaveTextFile(&lines, name, code, false));
    EXPECT_TRUE(Get() == bytes) << int(code);
  }
}

// The Cyrillic letters first come in a later chunk of the read; all are converted, and the
// file comes back byte for byte.
TEST_F(Encoding, LongCyrillicFilesAreDetectedAndConvertedAcrossTheChunks) {
  std::string bytes;
  for (int i = 0; i < 40000; ++i) bytes += "plain line " + std::to_string(i) + "\r\n";
  for (int i = 0; i < 30000; ++i) bytes += Narrow(kRussian, 20866) + "\r\n";
  const WideString name = Put(bytes);
  TTxtEditStringList lines;
  bool lossy = true;
  EXPECT_EQ(LoadTextFile(&lines, name, teAutoSelect, lossy), teCyrillicKoi8);
  EXPECT_TRUE(!lossy && lines.Count() == 70001 && lines[69999] == Narrow(kRussian, 1251));
  ASSERT_TRUE(SaveTextFile(&lines, name, teCyrillicKoi8, false));
  EXPECT_TRUE(Get() == bytes);
}

TEST_F(Encoding, SavingWritesMarksAndBreaksAsAsked) {
  TTxtEditStringList lines;
  lines.SetText("a\r\nb");
  const WideString name = folder_.File(L"file.txt");
  // The mark of code 4 only when asked for, those of codes 2 and 3 always.
  const std::tuple<TTextEncoding, bool, const char*> cases[] = {
      {teUtf8, false, "61 0D 0A 62"},
      {teUtf8, true, "EF BB BF 61 0D 0A 62"},
      {teAnsi, true, "61 0D 0A 62"},
      {teUnicode, false, "FF FE 61 00 0D 00 0A 00 62 00"},
      {teBigEndianUnicode, false, "FE FF 00 61 00 0D 00 0A 00 62"}};
  for (const auto& [code, bom, hex] : cases) {
    ASSERT_TRUE(SaveTextFile(&lines, name, code, bom));
    EXPECT_EQ(Get(), Hex(hex)) << hex;
  }
  // A Cyrillic save keeps the document's breaks and leaves its lines in Windows-1251.
  lines.Clear();
  lines.Add(Narrow(L"\u0401\u0436", 1251));
  lines.Add("");
  lines.SetLineBreakFormat(lbfLF);
  ASSERT_TRUE(SaveTextFile(&lines, name, teCyrillicDos, false));
  EXPECT_TRUE(Get() == Narrow(L"\u0401\u0436\n", 866) && lines.Strings(0) == Narrow(L"\u0401\u0436", 1251));
  // Codes that name no file encoding write nothing and say so.
  const WideString none = folder_.File(L"none.txt");
  EXPECT_FALSE(SaveTextFile(&lines, none, teAutoSelect, false) || SaveTextFile(&lines, none, 8, false));
  EXPECT_EQ(GetFileAttributesW(none.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Encoding, AFileThatCannotBeOpenedIsReportedAndChangesNothing) {
  const WideString missing = folder_.File(L"missing.txt");
  const WideString locked = Put(Hex("FF FE 41 00"));
  EXPECT_EQ(DetectFileEncoding(locked), teUnicode);
  HANDLE h = CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  TWideStringList wide;
  for (const WideString& name : {missing, locked}) {
    // Detection cannot read the mark of a file it cannot open: such a file counts as ANSI.
    EXPECT_EQ(DetectFileEncoding(name), teAnsi);
    for (TTextEncoding code : {teAutoSelect, teCyrillicKoi8}) {
      TTxtEditStringList lines;
      lines.Add("kept");
      EXPECT_EQ(Raised<EFOpenError>([&] { LoadTextFile(&lines, name, code); }).rfind("Cannot open file \"", 0), 0u);
      EXPECT_EQ(Lines(lines), "kept");
    }
    EXPECT_THROW(LoadWideStrings(&wide, name, teUnicode), EFOpenError);
  }
  // A save that cannot replace the file leaves it whole and no stray file beside it.
  TTxtEditStringList lines;
  lines.Add("new text");
  for (TTextEncoding code : {teAnsi, teCyrillicIso})
    EXPECT_EQ(
        Raised<EFCreateError>([&] { SaveTextFile(&lines, locked, code, true); }).rfind("Cannot create file \"", 0), 0u);
  CloseHandle(h);
  EXPECT_EQ(Get(), Hex("FF FE 41 00"));
  WIN32_FIND_DATAW found;
  EXPECT_EQ(FindFirstFileW(folder_.File(L"*.tmp").c_str(), &found), INVALID_HANDLE_VALUE);
}

TEST_F(Encoding, WideListsKeepTheirLayout) {
  const std::string bytes = "\xFE\xFF" + Utf16(WideString(L"a\0b\r\fc\r", 7), true);
  const WideString name = Put(bytes);
  TWideStringList list;
  list.SetNormalizationForm(nfNone);
  TWideTextLayout layout;
  LoadWideStrings(&list, name, teBigEndianUnicode, &layout);
  EXPECT_TRUE(list.GetSeparatedText(L"|") == WideString(L"a\0b|\fc", 6) && layout.LineBreak == lbfCR &&
              layout.FinalBreak);
  ASSERT_TRUE(SaveWideStrings(&list, name, teBigEndianUnicode, false, &layout));
  EXPECT_EQ(Get(), bytes);
  // Without a layout: CR LF between the lines and none after the last.
  ASSERT_TRUE(SaveWideStrings(&list, name, teUtf8, true));
  EXPECT_EQ(Get(), kBom + std::string("a\0b\r\n\fc", 7));
  EXPECT_FALSE(SaveWideStrings(&list, name, teCyrillicKoi8, false));
  LoadWideStrings(&list, Put("x\r\ny\n\xFF"), teUtf8, &layout);
  EXPECT_TRUE(layout.LineBreak == lbfCRLF && !layout.FinalBreak && layout.Lossy);

  TStringStream out;
  WriteWideText(&out, L"\u00e9\u4e2d", teAnsi, true);
  WriteWideText(&out, L"z", teCyrillicDos, true);
  WriteWideText(&out, L"\u00e9", teUtf8, false);
  EXPECT_EQ(out.DataString(), "\xE9?\xC3\xA9");
}

// Each mutated readable file loads without an exception; a load that lost nothing saves and reloads alike.
TEST_F(Encoding, FuzzedFilesLoadAndWhatLoadsWholeSavesWhole) {
  const std::string seeds[] = {"plain\r\ntext\r\n",
                               Narrow(L"Gr\u00fc\u00dfe\nzwei", CP_UTF8),
                               kBom + "caf\xC3\xA9\r",
                               "\xFF\xFE" + Utf16(L"wide \u00e9\r\nline", false),
                               "\xFE\xFF" + Utf16(L"big \u00fc\nend\n", true),
                               Narrow(kRussian + L"\r\n" + kRussian, 20866),
                               Narrow(kRussian, 866)};
  std::mt19937 rng(20261206);
  const WideString name = folder_.File(L"file.txt"), saved = folder_.File(L"saved.txt");
  for (int round = 0; round < 600; ++round) {
    std::string bytes = seeds[rng() % std::size(seeds)];
    for (int edits = 1 + static_cast<int>(rng() % 4); edits > 0; --edits) {
      const size_t at = bytes.empty() ? 0 : rng() % bytes.size();
      const unsigned op = rng() % 4;
      if (op == 0 && !bytes.empty()) bytes[at] = static_cast<char>(rng());
      if (op == 1) bytes.insert(at, 1, static_cast<char>(rng() % 2 ? rng() : "\r\n\0\x80\xC3\xD8"[rng() % 6]));
      if (op == 2) bytes.erase(at, 1 + rng() % 3);
      if (op == 3) bytes.resize(at);
    }
    Put(bytes);
    const TTextEncoding asked = static_cast<TTextEncoding>(round % 2 ? 0 : rng() % 8);
    SCOPED_TRACE(testing::PrintToString(bytes) + " asked " + std::to_string(asked));
    TTxtEditStringList lines;
    bool lossy = false;
    TTextEncoding found = 0;
    ASSERT_NO_THROW(found = LoadTextFile(&lines, name, asked, lossy));
    if (lossy || found == teAutoSelect) continue;
    ASSERT_TRUE(SaveTextFile(&lines, saved, found, bytes.compare(0, 3, kBom) == 0));
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
    // Text the system takes as well-formed UTF-8, with a character beyond 7 bits, is detected.
    const bool wellFormed = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                                static_cast<int>(bytes.size()), nullptr, 0) > 0;
    if (wellFormed && std::any_of(bytes.begin(), bytes.end(), [](char c) { return c & 0x80; })) {
      ASSERT_EQ(code, teUtf8) << testing::PrintToString(bytes);
    }
  }
}

TEST(WideFileStreamModes, AccessAndSharingOfEveryMode) {
  struct TCase {
    uint16_t Mode;
    bool Valid;
    DWORD Access, Share;
  };
  const DWORD rw = GENERIC_READ | GENERIC_WRITE, both = FILE_SHARE_READ | FILE_SHARE_WRITE;
  const TCase cases[] = {
      {0x0000, true, GENERIC_READ, 0},
      {0x0001, true, GENERIC_WRITE, 0},
      {0x0002, true, rw, 0},
      {0x0003, false, 0, 0},
      {0x0010, true, GENERIC_READ, 0},
      {0x0020, true, GENERIC_READ, FILE_SHARE_READ},
      {0x0030, true, GENERIC_READ, FILE_SHARE_WRITE},
      {0x0040, true, GENERIC_READ, both},
      {0x0042, true, rw, both},
      {0x0050, false, 0, 0},
      {0x00F0, false, 0, 0},
      {0x0033, false, 0, 0},
  };
  for (const TCase& c : cases) {
    DWORD access = 0, share = 0;
    EXPECT_EQ(TWideFileStream::ModeFlags(c.Mode, access, share), c.Valid) << c.Mode;
    if (!c.Valid) continue;
    EXPECT_EQ(access, c.Access) << c.Mode;
    EXPECT_EQ(share, c.Share) << c.Mode;
  }
}

TEST_F(Encoding, AWideFileStreamThatCannotOpenRaisesNothingAndReadsMinusOne) {
  const WideString file = Put("abc");
  for (const WideString& name : {folder_.File(L"missing.txt"), file}) {
    // A missing file, and an existing one under an invalid mode.
    TWideFileStream stream(name, name == file ? 0x0003 : 0x0030);
    EXPECT_EQ(stream.Handle(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(stream.Size(), -1);
    EXPECT_EQ(stream.Position(), -1);
    char byte = 0;
    EXPECT_EQ(stream.Read(&byte, 1), 0);
    EXPECT_THROW(stream.WriteBuffer("x", 1), EWriteError);
  }
  {
    TWideFileStream reader(file, 0x0030);
    ASSERT_NE(reader.Handle(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(reader.Size(), 3);
    // Others may write while it reads, but not read.
    TWideFileStream second(file, 0x0040);
    EXPECT_EQ(second.Handle(), INVALID_HANDLE_VALUE);
  }
  {
    TWideFileStream writer(file, TWideFileStream::CreateMode);
    ASSERT_NE(writer.Handle(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(writer.Size(), 0);  // truncated
    writer.WriteBuffer("\xFF\xFE", 2);
  }
  EXPECT_EQ(Get(), "\xFF\xFE");
}
