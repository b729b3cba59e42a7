// The application's free routines: text transforms, file-name proposals, links, numbers, lists,
// files and paths (blocked files held by another handle). ANSI is code page 1252.
#include <gtest/gtest.h>

#include <random>

#include "app/Useful.h"
#include "framework/FileRoutines.h"
#include "framework/Streams.h"
#include "tests/framework/TestFiles.h"

namespace {

struct TTransformCase {
  AnsiString (*Transform)(std::string_view);
  const char* Input;
  const char* Expected;
};

TEST(UsefulText, TransformsKeepTheirEdgeCases) {
  const TTransformCase cases[] = {
      {CollapseSpaces, "a  \t  b", "a \t b"},
      {CollapseSpaces, "", ""},
      {CollapseSpaces, "   ", " "},
      {SentenceCase, "hello. world!  again", "Hello. World!  Again"},
      {SentenceCase, "x.y", "X.y"},
      {SentenceCase, "x. a.b", "X. A.b"},
      {SentenceCase, " ONE two", " one two"},
      {SentenceCase, "end.", "End."},
      {SentenceCase, "a?\r\n\tb", "A?\r\n\tB"},
      {SentenceCase, "", ""},
      {CapitalizeWords, "  hello   WORLD", "  Hello   World"},
      {CapitalizeWords, "   ", "   "},
      {CapitalizeWords, "mary-ann\tjo", "Mary-ann\tjo"},
      {CapitalizeWords, "\xE9t\xE9 x", "\xC9t\xE9 X"},
      {ToggleCase, "Hello 1", "hELLO 1"},
      {ToggleCase, "\xC9t\xE9", "\xE9T\xC9"},
      {MakeValidFileName, "--- My file: notes", "My file"},
      {MakeValidFileName, "***", ""},
      {MakeValidFileName, "  x  ", "x"},
      {LettersAndDigits, ".lng", "lng"},
      {LettersAndDigits, "a-1_b\xE9!", "a1b\xE9"},
  };
  for (const TTransformCase& c : cases) EXPECT_EQ(c.Transform(c.Input), c.Expected) << c.Input;
}

TEST(UsefulText, FileNameStemLooksAtTheFirst205BytesOnly) {
  EXPECT_EQ(MakeValidFileName(AnsiString(204, 'a') + "b"), AnsiString(204, 'a') + "b");
  EXPECT_EQ(MakeValidFileName(AnsiString(205, 'a') + "b"), AnsiString(205, 'a'));
  EXPECT_EQ(MakeValidFileName(AnsiString(205, '-') + "b"), "");
}

TEST(UsefulText, DeviceNamesGainAOne) {
  EXPECT_EQ(AvoidDeviceName("con"), "con1");
  EXPECT_EQ(AvoidDeviceName("Lpt9"), "Lpt91");
  EXPECT_EQ(AvoidDeviceName("COM0"), "COM01");
  EXPECT_EQ(AvoidDeviceName("COM10"), "COM10");
  EXPECT_EQ(AvoidDeviceName("console"), "console");
}

TEST(UsefulText, NameFromTextProposesAndPreviews) {
  EXPECT_EQ(NameFromText("\r\n!!!\r\n  Shopping list: milk\r\nmore", 0), "Shopping list");
  EXPECT_EQ(NameFromText("...\nnul\n", 0), "nul1");
  EXPECT_EQ(NameFromText("", 0), "");
  AnsiString text;
  for (int i = 0; i < 300; ++i) text += i == 255 ? "late\r\n" : "--\r\n";
  EXPECT_EQ(NameFromText(text, 0), "");
  text[255 * 4 - 4] = 'x';  // line 255 (index 254) still counts
  EXPECT_EQ(NameFromText(text, 0), "x");

  EXPECT_EQ(NameFromText(" a \r\n\r\nb\r\nc\r\n\r\n\r\n f \r\ng", 1), "a b c f");
  EXPECT_EQ(NameFromText("\r\n\r\n\r\n\r\n\r\n\r\nsix\r\nseven", 1), "six");
  EXPECT_EQ(NameFromText("one\ntwo", 1), "one two ");
}

TEST(UsefulText, LinksNumbersAndAmpersands) {
  EXPECT_TRUE(IsURL("WWW.example.org"));
  EXPECT_TRUE(IsURL("mailto:a@b"));
  EXPECT_TRUE(IsURL("HTTPS://x"));
  EXPECT_FALSE(IsURL("mailto"));
  EXPECT_FALSE(IsURL("w"));
  EXPECT_FALSE(IsURL("file://c:/x"));
  EXPECT_TRUE(IsURL("http://" + AnsiString(3072 - 7, 'a')));
  EXPECT_FALSE(IsURL("http://" + AnsiString(3073 - 7, 'a')));

  EXPECT_EQ(ShellLinkTarget("www.setup.exe"), "http://www.setup.exe");
  EXPECT_EQ(ShellLinkTarget("FTP://host/f"), "FTP://host/f");
  EXPECT_EQ(ShellLinkTarget("mailto:me@host"), "mailto:me@host");
  for (const char* refused : {"setup.exe", "www.", "http://", "http://a b", "http://a\"b", "file:///c:/x.exe", "c:\\x"})
    EXPECT_EQ(ShellLinkTarget(refused), "") << refused;

  EXPECT_FALSE(IsInteger("-2147483647"));
  EXPECT_TRUE(IsInteger("-2147483648"));
  EXPECT_FALSE(IsInteger("12x"));
  EXPECT_EQ(ExtractInteger("line 12a3"), 123);
  EXPECT_EQ(ExtractInteger("abc"), -1);
  EXPECT_EQ(ExtractInteger(""), -1);
  EXPECT_EQ(ExtractInteger("99999999999"), -1);

  EXPECT_EQ(FormatThousands(999, ','), "999");
  EXPECT_EQ(FormatThousands(1000, ','), "1,000");
  EXPECT_EQ(FormatThousands(1234567, '.'), "1.234.567");
  EXPECT_EQ(FormatThousands(0, ','), "0");

  EXPECT_EQ(EscapeAmpersands("a&b&&c", true), "a&&b&&&&c");
  EXPECT_EQ(EscapeAmpersands("a&&b&&&c", false), "a&b&&c");

  EXPECT_TRUE(IsLogFile(".LOG"));
  EXPECT_TRUE(IsLogFile(".LOGGED"));
  EXPECT_FALSE(IsLogFile(".log"));
  EXPECT_FALSE(IsLogFile(".LO"));

  for (unsigned char c : std::string_view("#%&'+-./:=?@_~09AZaz\xA8\xB8\xC0\xFF")) EXPECT_TRUE(IsURLChar(c)) << c;
  for (unsigned char c : std::string_view(" \t()[]\",;!$*<>\\^`{|}\xA7\xBF")) EXPECT_FALSE(IsURLChar(c)) << c;
}

TEST(UsefulText, JoinLinesFollowsTheBreakStyle) {
  EXPECT_EQ(JoinLinesText("a\r\nb\nc\rd", lbfLF), "a b cd");
  EXPECT_EQ(JoinLinesText("a\r\nb\nc\rd", lbfCRLF), "a bc d");
  EXPECT_EQ(JoinLinesText("a\r\nb", lbfCR), "a b");
}

std::vector<AnsiString> Items(TStrings& List) {
  std::vector<AnsiString> v;
  for (int i = 0; i < List.Count(); ++i) v.push_back(List[i]);
  return v;
}

TEST(UsefulLists, SplittingKeepsOrDropsTheLastPiece) {
  TStringList list;
  list.Add("old");
  SplitString("a;b;", ';', &list);
  EXPECT_EQ(Items(list), (std::vector<AnsiString>{"a", "b"}));
  SplitStringAll("a;b;", ';', &list);
  EXPECT_EQ(Items(list), (std::vector<AnsiString>{"a", "b", ""}));
  SplitString(";a;;b", ';', &list);
  EXPECT_EQ(Items(list), (std::vector<AnsiString>{"", "a", "", "b"}));
  SplitString("", ';', &list);
  EXPECT_EQ(list.Count(), 0);
  SplitStringAll("", ';', &list);
  EXPECT_EQ(Items(list), (std::vector<AnsiString>{""}));
}

TEST(UsefulLists, HistoryKeepsNewestFirstAndItsLimit) {
  TStringList list;
  for (int i = 0; i < 10; ++i) list.Add("e" + std::to_string(i));
  AddToHistory(&list, "new", 10);
  ASSERT_EQ(list.Count(), 10);
  EXPECT_EQ(list[0], "new");
  EXPECT_EQ(list[9], "e8");
  AddToHistory(&list, "e5", 10);
  EXPECT_EQ(list[0], "e5");
  EXPECT_EQ(list[1], "new");
  EXPECT_EQ(list.Count(), 10);
  EXPECT_EQ(IndexOfExact(&list, "e5"), 0);
  AddToHistory(&list, "E5", 10);  // exact comparison: another entry
  EXPECT_EQ(list[0], "E5");
  EXPECT_EQ(list[1], "e5");
  EXPECT_EQ(IndexOfExact(&list, "missing"), -1);
  AddToHistory(&list, "", 10);
  EXPECT_EQ(list[0], "E5");
}

TEST(UsefulFiles, ReadFileLineAcrossBlocks) {
  TTestFolder folder;
  const std::wstring small = folder.Write(L"s.txt", "one\r\ntwo\nthree");
  EXPECT_EQ(ReadFileLine(small, 1), "one\r");
  EXPECT_EQ(ReadFileLine(small, 3), "three");
  EXPECT_EQ(ReadFileLine(small, 4), "");
  EXPECT_EQ(ReadFileLine(small, 0), "");
  const std::string longLine(5000, 'x');
  const std::wstring big = folder.Write(L"b.txt", "a\n" + longLine + "\nz");
  EXPECT_EQ(ReadFileLine(big, 2), longLine);
  EXPECT_EQ(ReadFileLine(big, 3), "z");
  const std::wstring edge = folder.Write(L"e.txt", std::string(4095, 'a') + "\n" + "second\nthird");
  EXPECT_EQ(ReadFileLine(edge, 2), "second");
  EXPECT_EQ(ReadFileLine(edge, 1), std::string(4095, 'a'));
  EXPECT_THROW(ReadFileLine(folder.File(L"missing.txt"), 1), EFOpenError);
}

TEST(UsefulFiles, BlockedFilesByMode) {
  TTestFolder folder;
  const std::wstring name = folder.Write(L"f.txt", "x");
  for (int mode : {0, 1, 2, 7}) EXPECT_FALSE(IsFileBlocked(name, mode)) << mode;
  EXPECT_TRUE(IsFileBlocked(folder.File(L"missing"), 0));
  struct TCase {
    DWORD Share;
    bool Blocked[3];
  };
  const TCase cases[] = {
      {0, {true, true, true}},
      {FILE_SHARE_READ, {false, true, true}},
      {FILE_SHARE_READ | FILE_SHARE_WRITE, {false, false, true}},
  };
  for (const TCase& c : cases) {
    HANDLE held = CreateFileW(name.c_str(), GENERIC_READ, c.Share, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    for (int mode = 0; mode < 3; ++mode) EXPECT_EQ(IsFileBlocked(name, mode), c.Blocked[mode]) << c.Share << mode;
    CloseHandle(held);
  }
}

TEST(UsefulFiles, PathsAndFolders) {
  TTestFolder folder;
  const std::wstring exe = AppPath(L"");
  EXPECT_EQ(exe.back(), L'\\');
  EXPECT_TRUE(FileExistsQuiet(AppPath(L"app_tests.exe")));
  EXPECT_FALSE(FileExistsQuiet(L"Q:\\nothing\\here"));
  EXPECT_TRUE(DirectoryExistsQuiet(folder.Path()));
  const WideString before = GetCurrentDir();
  EXPECT_TRUE(CanEnterFolder(folder.Path()));
  EXPECT_FALSE(CanEnterFolder(folder.File(L"none")));
  EXPECT_EQ(GetCurrentDir(), before);
  // Without a "Data" folder beside the program the per-user folder holds the data.
  const WideString data = DataPath(L"Preferences.ini");
  EXPECT_NE(data.find(L"\\Halcorn Verdan\\Preferences.ini"), WideString::npos);
  CreateDirectoryW((exe + L"Data").c_str(), nullptr);
  EXPECT_EQ(DataPath(L"x"), exe + L"Data\\x");
  RemoveDirectoryW((exe + L"Data").c_str());
}

TEST(UsefulFiles, LongPathNameReplacesShortComponents) {
  TTestFolder folder;
  CreateDirectoryW(folder.File(L"A long folder name").c_str(), nullptr);
  const std::wstring file = folder.File(L"A long folder name\\Some long file.text");
  folder.Write(L"A long folder name\\Some long file.text", "x");
  wchar_t shortName[MAX_PATH];
  ASSERT_GT(GetShortPathNameW(file.c_str(), shortName, MAX_PATH), 0u);
  EXPECT_EQ(LongPathName(shortName).substr(LongPathName(shortName).size() - 38),
            L"A long folder name\\Some long file.text");
  EXPECT_EQ(LongPathName(file), file);
  EXPECT_EQ(LongPathName(L"C:"), L"C:");
  EXPECT_EQ(LongPathName(L""), L"");
  EXPECT_EQ(LongPathName(folder.File(L"missing")), folder.File(L"missing"));
  EXPECT_EQ(ExpandPath(file), file);
}

TEST(UsefulFuzz, ReadFileLineOnRandomFiles) {
  TTestFolder folder;
  std::mt19937 random(31);
  for (int round = 0; round < 300; ++round) {
    std::string bytes(random() % 9000, '\0');
    for (char& c : bytes) c = random() % 5 == 0 ? '\n' : static_cast<char>(random());
    const std::wstring name = folder.Write(L"r.bin", bytes);
    const int n = static_cast<int>(random() % 40);
    // The expected line from a plain split of the bytes.
    std::string expected;
    size_t start = 0;
    int line = 1;
    while (line < n && start <= bytes.size()) {
      const size_t lf = bytes.find('\n', start);
      start = lf == std::string::npos ? bytes.size() + 1 : lf + 1;
      ++line;
    }
    if (n >= 1 && start <= bytes.size()) expected = bytes.substr(start, bytes.find('\n', start) - start);
    ASSERT_EQ(ReadFileLine(name, n), expected) << round;
  }
}

}  // namespace
