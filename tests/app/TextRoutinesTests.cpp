// The application's text routines: text transforms, file-name proposals, links, numbers and
// history lists. ANSI is code page 1252.
#include <gtest/gtest.h>

#include "app/TextRoutines.h"
#include "framework/StrRoutines.h"

namespace {

using TTransform = AnsiString (*)(std::string_view);
AnsiString Yes(bool B) { return B ? "yes" : "no"; }
const TTransform name0 = [](std::string_view S) { return NameFromText(AnsiString(S), 0); };
const TTransform name1 = [](std::string_view S) { return NameFromText(AnsiString(S), 1); };
const TTransform device = [](std::string_view S) { return AvoidDeviceName(AnsiString(S)); };
const TTransform url = [](std::string_view S) { return Yes(IsURL(S)); };
const TTransform integer = [](std::string_view S) { return Yes(IsInteger(AnsiString(S))); };
const TTransform extract = [](std::string_view S) { return AnsiString(std::to_string(ExtractInteger(S))); };
const TTransform logFile = [](std::string_view S) { return Yes(IsLogFile(S)); };
const TTransform joinLF = [](std::string_view S) { return JoinLinesText(S, lbfLF); };
const TTransform joinCRLF = [](std::string_view S) { return JoinLinesText(S, lbfCRLF); };
const TTransform thousands = [](std::string_view S) { return FormatThousands(std::stoi(AnsiString(S)), ','); };
const TTransform escape = [](std::string_view S) { return EscapeAmpersands(AnsiString(S), S[0] == 'e'); };
// The pieces of a split, each followed by "|".
template <void (*Split)(std::string_view, char, TStrings*)>
AnsiString Pieces(std::string_view S) {
  TStringList list;
  Split(S, ';', &list);
  return StringReplace(list.Text(), "\r\n", "|", {rfReplaceAll});
}

TEST(TextRoutines, TransformsKeepTheirEdgeCases) {
  const struct {
    TTransform Transform;
    AnsiString Input;
    const char* Expected;
  } cases[] = {
      // clang-format off
      {CollapseSpaces, "a  \t  b", "a \t b"},
      {SentenceCase, "hello. world!  again", "Hello. World!  Again"}, {SentenceCase, "x. a.b", "X. A.b"},
      {SentenceCase, " ONE two", " one two"}, {SentenceCase, "a?\r\n\tb", "A?\r\n\tB"},
      {CapitalizeWords, "  hello   WORLD", "  Hello   World"},
      {CapitalizeWords, "mary-ann\tjo \xE9t\xE9", "Mary-ann\tjo \xC9t\xE9"},
      {ToggleCase, "Hello 1 \xC9t\xE9", "hELLO 1 \xE9T\xC9"}, {LettersAndDigits, "a-1_b\xE9!", "a1b\xE9"},
      {MakeValidFileName, "--- My file: notes", "My file"}, {MakeValidFileName, "***", ""},
      {MakeValidFileName, AnsiString(205, '-') + "b", ""},
      {device, "con", "con1"}, {device, "Lpt9", "Lpt91"}, {device, "COM10", "COM10"},
      {name0, "\r\n!!!\r\n  Shopping list: milk\r\nmore", "Shopping list"}, {name0, "...\nnul\n", "nul1"},
      {name1, " a \r\n\r\nb\r\nc\r\n\r\n\r\n f \r\ng", "a b c f"}, {name1, "\n\n\n\n\n\nsix\nseven", "six"},
      {name1, "one\ntwo", "one two "},
      {url, "WWW.example.org", "yes"}, {url, "mailto", "no"}, {url, "w", "no"},
      {url, "http://" + AnsiString(3066, 'a'), "no"}, {url, "http://" + AnsiString(3065, 'a'), "yes"},
      {ShellLinkTarget, "www.setup.exe", "http://www.setup.exe"}, {ShellLinkTarget, "FTP://host/f", "FTP://host/f"},
      {ShellLinkTarget, "setup.exe", ""}, {ShellLinkTarget, "http://a\"b", ""}, {ShellLinkTarget, "www.", ""},
      {ShellLinkTarget, "file:///c:/x.exe", ""},
      {integer, "-2147483647", "no"}, {integer, "-2147483648", "yes"},
      {extract, "line 12a3", "123"}, {extract, "abc", "-1"}, {extract, "99999999999", "-1"},
      {logFile, ".LOGGED", "yes"}, {logFile, ".log", "no"},
      {joinLF, "a\r\nb\nc\rd", "a b cd"}, {joinCRLF, "a\r\nb\nc\rd", "a bc d"},
      {thousands, "999", "999"}, {thousands, "1234567", "1,234,567"},
      {escape, "e&b&&c", "e&&b&&&&c"}, {escape, "u&&b&&&c", "u&b&&c"},
      {Pieces<SplitString>, "a;b;", "a|b|"}, {Pieces<SplitStringAll>, "a;b;", "a|b||"},
      {Pieces<SplitString>, ";a;;b", "|a||b|"}, {Pieces<SplitStringAll>, "", "|"}, {Pieces<SplitString>, "", ""},
      // clang-format on
  };
  for (const auto& c : cases) EXPECT_EQ(c.Transform(c.Input), c.Expected) << c.Input;
  EXPECT_EQ(MakeValidFileName(AnsiString(204, 'a') + "b"), AnsiString(204, 'a') + "b");
  for (unsigned char c : std::string_view("#%&'+-./:=?@_~09AZaz\xA8\xB8\xC0\xFF")) EXPECT_TRUE(IsURLChar(c)) << c;
  for (unsigned char c : std::string_view(" \t()[]\",;!$*<>\\^`{|}\xA7\xBF")) EXPECT_FALSE(IsURLChar(c)) << c;
}

TEST(TextRoutines, NameFromTextLooksAtTheFirst255Lines) {
  AnsiString text;
  for (int i = 0; i < 300; ++i) text += i == 255 ? "late\r\n" : "--\r\n";
  EXPECT_EQ(NameFromText(text, 0), "");
  text[254 * 4] = 'x';
  EXPECT_EQ(NameFromText(text, 0), "x");
}

TEST(TextRoutines, HistoryKeepsNewestFirstAndItsLimit) {
  TStringList list;
  for (int i = 0; i < 10; ++i) list.Add("e" + std::to_string(i));
  for (const char* entry : {"new", "e5", "E5", ""}) AddToHistory(&list, entry, 10);  // "E5" is another entry
  EXPECT_EQ(list.CommaText(), "E5,e5,new,e0,e1,e2,e3,e4,e6,e7");
  EXPECT_EQ(IndexOfExact(&list, "E7"), -1);
  // The wide lists of the dialogs' boxes follow the same rules.
  TStringListW wide;
  for (int i = 0; i < 15; ++i) wide.Add(L"w" + std::to_wstring(i));
  for (const wchar_t* entry : {L"\x0436", L"w9", L"W9", L""}) AddToHistory(&wide, entry, 15);
  EXPECT_EQ(wide.Count(), 15);
  EXPECT_EQ(wide.Strings(0) + wide.Strings(1) + wide.Strings(2) + wide.Strings(3), L"W9w9\x0436w0");
  EXPECT_EQ(wide.Strings(14), L"w12");
  EXPECT_EQ(IndexOfExact(&wide, L"w13"), -1);
}

}  // namespace
