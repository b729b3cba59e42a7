// The application's free routines: text transforms, file-name proposals, links, numbers, lists,
// files and paths (blocked files held by another handle). ANSI is code page 1252.
#include <gtest/gtest.h>

#include <random>

#include "app/Useful.h"
#include "framework/FileRoutines.h"
#include "framework/StrRoutines.h"
#include "framework/Streams.h"
#include "tests/framework/TestFiles.h"

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

TEST(UsefulText, TransformsKeepTheirEdgeCases) {
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

TEST(UsefulText, NameFromTextLooksAtTheFirst255Lines) {
  AnsiString text;
  for (int i = 0; i < 300; ++i) text += i == 255 ? "late\r\n" : "--\r\n";
  EXPECT_EQ(NameFromText(text, 0), "");
  text[254 * 4] = 'x';
  EXPECT_EQ(NameFromText(text, 0), "x");
}

TEST(UsefulLists, HistoryKeepsNewestFirstAndItsLimit) {
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

TEST(UsefulFiles, ReadFileLineAcrossBlocks) {
  TTestFolder folder;
  // Line 2 starts the second block and runs on into the third; a CR before an LF stays.
  const std::wstring big = folder.Write(L"b.txt", std::string(4095, 'a') + "\n" + std::string(5000, 'x') + "\r\nz");
  EXPECT_EQ(ReadFileLine(big, 2) + ReadFileLine(big, 3) + ReadFileLine(big, 4), std::string(5000, 'x') + "\rz");
  EXPECT_THROW(ReadFileLine(folder.File(L"missing.txt"), 1), EFOpenError);
}

TEST(UsefulFiles, BlockedFilesByMode) {
  TTestFolder folder;
  const std::wstring name = folder.Write(L"f.txt", "x");
  EXPECT_TRUE(IsFileBlocked(folder.File(L"missing"), 0));
  for (int mode : {0, 1, 2, 7}) EXPECT_FALSE(IsFileBlocked(name, mode));
  // Blocked in the modes 0, 1, 2 and 7 while another handle holds the file with this sharing.
  for (const auto& [share, blocked] : {std::pair<DWORD, const char*>{0, "1111"},
                                       {FILE_SHARE_READ, "0110"},
                                       {FILE_SHARE_READ | FILE_SHARE_WRITE, "0010"}}) {
    HANDLE held = CreateFileW(name.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(IsFileBlocked(name, i == 3 ? 7 : i), blocked[i] == '1') << share << i;
    CloseHandle(held);
  }
}

TEST(UsefulFiles, PathsAndFolders) {
  TTestFolder folder;
  const std::wstring exe = AppPath(L"");
  const WideString before = GetCurrentDir();
  EXPECT_TRUE(CanEnterFolder(folder.Path()) && !CanEnterFolder(folder.File(L"none")));
  EXPECT_EQ(GetCurrentDir(), before);
  EXPECT_NE(DataPath(L"Preferences.ini").find(L"\\Halcorn Verdan\\Preferences.ini"), WideString::npos);
  CreateDirectoryW((exe + L"Data").c_str(), nullptr);  // a portable copy keeps its data beside it
  EXPECT_EQ(DataPath(L"x"), exe + L"Data\\x");
  RemoveDirectoryW((exe + L"Data").c_str());
  CreateDirectoryW(folder.File(L"A long folder name").c_str(), nullptr);
  const std::wstring file = folder.Write(L"A long folder name\\Some long file.text", "x");
  wchar_t shortName[MAX_PATH];
  ASSERT_GT(GetShortPathNameW(file.c_str(), shortName, MAX_PATH), 0u);
  EXPECT_TRUE(SameFileName(LongPathName(shortName), file));
  for (const std::wstring& same : {std::wstring(L"C:"), std::wstring(), folder.File(L"missing")})
    EXPECT_EQ(LongPathName(same), same);
}

TEST(UsefulFuzz, ReadFileLineOnRandomFiles) {
  TTestFolder folder;
  std::mt19937 random(31);
  for (int round = 0; round < 300; ++round) {
    std::string bytes(random() % 9000, '\0');
    for (char& c : bytes) c = random() % 5 == 0 ? '\n' : static_cast<char>(random());
    const std::wstring name = folder.Write(L"r.bin", bytes);
    TStringList lines;
    SplitStringAll(bytes, '\n', &lines);
    const int n = static_cast<int>(random() % 40);
    ASSERT_EQ(ReadFileLine(name, n), n >= 1 && n <= lines.Count() ? lines[n - 1] : "") << round;
  }
}

}  // namespace
