// System errors, byte tables, string and path helpers.
#include <gtest/gtest.h>

#include "foundation/SysRoutines.h"
#include "framework/StringLists.h"
#include "framework/Win.h"
#include "tests/framework/Joined.h"
#include "tests/framework/Raised.h"

TEST(SysWin32Error, MessageCarriesSystemTextAndCode) {
  SetLastError(ERROR_ACCESS_DENIED);
  EXPECT_EQ(ESysWin32Error(L"x").LastError(), 5u);  // the thread's last error
  ESysWin32Error e(L"Failed to create event", ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(e.LastError(), 2u);
  const WideString& m = e.Message();
  ASSERT_EQ(m.rfind(L"Failed to create event\r\nWin32: ", 0), 0u) << e.what();
  EXPECT_NE(m.find(e.LastErrorMsg()), WideString::npos);
  EXPECT_EQ(m.substr(m.size() - 4), L" (2)");
}

TEST(SysCharTables, ClassifyAndFoldAsciiAndCodePage) {
  EXPECT_TRUE(CharIsAlpha('a') && !CharIsAlpha('1') && CharIsDigit('7') && CharIsLower('q') && CharIsUpper('Q'));
  EXPECT_EQ(CharToUpper('q'), 'Q');
  EXPECT_EQ(Joined(std::string("qQ1"), [](char c) { return CharReverseCase(c); }), "Q|q|1");
  // Code page 1252: e acute folds to E acute.
  EXPECT_EQ(static_cast<unsigned char>(CharToUpper('\xE9')), 0xC9);
  EXPECT_EQ(CharToUpper('\0'), '\0');
}

TEST(SysStrings, CountsSwapsAndSlices) {
  EXPECT_EQ(StrCharCount("", 'a'), 0);
  EXPECT_EQ(StrCharCount("banana", 'a'), 3);
  AnsiString s = "a.b.c";
  EXPECT_EQ(StrSwapChar(s, '.', '\\'), 2);
  EXPECT_EQ(s, "a\\b\\c");
  EXPECT_EQ(StrSwapChar(s, 'a', 'a'), 0);
  EXPECT_EQ(StrFirst("abcdef", 3), "abc");
  EXPECT_EQ(StrFirst("ab", 5), "ab");
  EXPECT_EQ(StrFirst("ab", -1), "");
  EXPECT_EQ(StrFrom("abcdef", 3), "cdef");
  EXPECT_EQ(StrFrom("abc", 9), "");
  EXPECT_EQ(StrAppendIfMissing("\\", "C:\\x\\"), "C:\\x\\");
  EXPECT_EQ(StrAppendIfMissing("\\", "C:\\x"), "C:\\x\\");
}

TEST(SysStrings, ReplaceTextFirstAllAndIgnoringCase) {
  auto replaced = [](int Flags) {
    AnsiString s = "one Two two";
    StrReplaceText(s, "two", "2", Flags);
    return s;
  };
  EXPECT_EQ(Joined({0, int(srIgnoreCaseFlag), int(srIgnoreCaseFlag | srReplaceAllFlag)}, replaced),
            "one Two 2|one 2 two|one 2 2");
  AnsiString s;
  s = "aaa";
  StrReplaceText(s, "a", "aa", srReplaceAllFlag);  // replaced text is not scanned again
  EXPECT_EQ(s, "aaaaaa");
}

TEST(SysStrings, ReplaceWithBlankSearch) {
  AnsiString s = "x";
  EXPECT_THROW(StrReplaceText(s, "", "y", 0), ESysError);
  EXPECT_EQ(s, "x");
  AnsiString empty;
  StrReplaceText(empty, "", "y", 0);
  EXPECT_EQ(empty, "y");
  EXPECT_EQ(Raised<ESysError>([&] { StrReplaceText(s, "", "y", 0); }), "Search string cannot be blank");
}

TEST(SysStrings, FindNoCase) {
  EXPECT_EQ(StrFindNoCase("ABC", "xxabc", 1), 3);
  EXPECT_EQ(StrFindNoCase("abc", "xxabcabc", 4), 6);
  EXPECT_EQ(StrFindNoCase("abc", "xxabc", 4), 0);
  EXPECT_EQ(StrFindNoCase("", "xxabc", 1), 0);
  EXPECT_EQ(StrFindNoCase("a", "", 1), 0);
  EXPECT_EQ(StrFindNoCase("a", "a", 0), 0);
  EXPECT_EQ(StrFindNoCase("\xC9t\xC9", "l'\xE9t\xE9", 1), 3);
}

TEST(SysStrings, SplitKeepsEmptyPiecesOnlyWhenAsked) {
  EXPECT_EQ(StrSplit("a,,b,", ",", false), (std::vector<AnsiString>{"a", "b"}));
  EXPECT_EQ(StrSplit("a,,b,", ",", true), (std::vector<AnsiString>{"a", "", "b"}));
  EXPECT_EQ(StrSplit(",a", ",", true), (std::vector<AnsiString>{"", "a"}));
  EXPECT_TRUE(StrSplit("", ",", true).empty());
  EXPECT_EQ(StrSplit("a::b", "::", false), (std::vector<AnsiString>{"a", "b"}));
}

TEST(SysStrings, ZeroTerminatedAndCharSets) {
  EXPECT_EQ(PCharLength("abc"), 3);
  EXPECT_EQ(PCharLength(nullptr), 0);
  AnsiString s("ab\0cd", 5);
  StrTrimToZero(s);
  EXPECT_EQ(s, "ab");
  TSysCharSet set;
  CharSetAdd(set, '\xFF');
  CharSetAdd(set, ',');
  EXPECT_TRUE(CharSetHas(set, '\xFF'));
  EXPECT_TRUE(CharSetHas(set, ','));
  EXPECT_FALSE(CharSetHas(set, '.'));
}

TEST(SysStrings, MoveCharsStaysInsideBothStrings) {
  AnsiString d = "......";
  MoveStrChars("abcdef", 2, d, 3, 3);
  EXPECT_EQ(d, "..bcd.");
  d = "....";
  MoveStrChars("abcdef", 1, d, 3, 10);
  EXPECT_EQ(d, "..ab");
  MoveStrChars("abc", 9, d, 1, 2);
  EXPECT_EQ(d, "..ab");
}

TEST(SysStrings, GuidTextAndInt64Halves) {
  GUID g = {0x7DAD5220, 0x46EA, 0x11D5, {0xB0, 0xC0, 0x48, 0x54, 0xE8, 0x25, 0xF3, 0x45}};
  EXPECT_EQ(GuidToText(g), "{7dad5220-46ea-11d5-b0c0-4854e825f345}");
  uint32_t lo = 0, hi = 0;
  SplitInt64(-2, lo, hi);
  EXPECT_EQ(lo, 0xFFFFFFFEu);
  EXPECT_EQ(hi, 0xFFFFFFFFu);
}

TEST(SysPaths, Delimiters) {
  EXPECT_EQ(PathWithDelimiter("D:\\dir\\"), "D:\\dir\\");
  EXPECT_EQ(PathWithDelimiter("D:\\dir"), "D:\\dir\\");
  EXPECT_EQ(PathWithDelimiter(""), "\\");
  EXPECT_EQ(PathWithoutDelimiter("D:\\dir\\"), "D:\\dir");
  EXPECT_EQ(PathWithoutDelimiter("D:\\dir"), "D:\\dir");
}

TEST(SysPaths, Extension) {
  EXPECT_EQ(PathWithExtension("settings", "ini"), "settings.ini");
  EXPECT_EQ(PathWithExtension("settings", ".ini"), "settings.ini");
  EXPECT_EQ(PathWithExtension("a.txt", "ini"), "a.txt");
  EXPECT_EQ(PathWithExtension("", "ini"), "");
  EXPECT_EQ(PathWithExtension("x", ""), "x");
  EXPECT_EQ(PathWithExtension("C:\\a.dir\\file", "ini"), "C:\\a.dir\\file.ini");
}

TEST(SysPaths, AbsoluteAndUnc) {
  EXPECT_TRUE(PathIsAbsolute("D:\\x"));
  EXPECT_FALSE(PathIsAbsolute("D:x"));
  EXPECT_TRUE(PathIsAbsolute("\\\\server\\share"));
  EXPECT_FALSE(PathIsAbsolute("\\\\123\\share"));
  EXPECT_TRUE(PathIsAbsolute("\\\\.\\D:\\x"));
  EXPECT_FALSE(PathIsAbsolute(""));
  EXPECT_FALSE(PathIsAbsolute("x\\y"));
  EXPECT_TRUE(PathIsUNC("\\\\my-pc.local\\share\\dir"));
  EXPECT_FALSE(PathIsUNC("\\\\server\\sh:are"));
  EXPECT_FALSE(PathIsUNC("\\\\server\\"));
  EXPECT_FALSE(PathIsUNC("\\\\server"));
  EXPECT_FALSE(PathIsUNC("\\server\\share"));
}

TEST(SysPaths, FilesAndFolders) {
  AnsiString exe = ModuleFileName(nullptr);
  EXPECT_TRUE(FileExistsNotDir(exe)) << exe;
  EXPECT_FALSE(FileExistsNotDir(WindowsDirectory()));
  EXPECT_FALSE(FileExistsNotDir(""));
  AnsiString temp = TempDirectory();
  ASSERT_FALSE(temp.empty());
  EXPECT_NE(temp.back(), '\\');
  AnsiString appdata = GetAppdataFolder();
  EXPECT_TRUE(PathIsAbsolute(appdata)) << appdata;
  EXPECT_EQ(SpecialFolderPath(0x7FFF), "");
  EXPECT_GE(SysProcessorCount(), 1);
  EXPECT_GE(SysAllocationGranularity(), 4096u);
}

TEST(SysStrings, SplitToListReplacesTheItemsInOneUpdate) {
  TStringList list;
  list.Add("old");
  struct Counter {
    int n = 0;
    void Changed(TObject*) { ++n; }
  } changes;
  list.OnChange = TNotifyEvent(&changes, &Counter::Changed);
  StrSplitToList("a,,b,", ",", list, true);
  EXPECT_EQ(list.Text(), "a\r\n\r\nb\r\n");
  EXPECT_EQ(changes.n, 1);
  StrSplitToList("", ",", list, true);
  EXPECT_EQ(list.Count(), 0);
}
