// The wide-string system layer: command line, UTF-7, UTF-8, code pages, files and paths.
#include <gtest/gtest.h>

#include <random>

#include "foundation/UcWideSys.h"
#include "framework/FileRoutines.h"
#include "framework/GdiHandles.h"
#include "tests/framework/Joined.h"
#include "tests/foundation/UcTestSupport.h"

TEST(UcCommandLine, ParametersFollowTheQuotingRules) {
  struct Case {
    const wchar_t* Line;
    int Index;
    const wchar_t* Expected;
  } cases[] = {
      {L"prog.exe \"a b\" c", 1, L"a b"},
      {L"prog.exe \"a b\" c", 2, L"c"},
      {L"prog.exe \"\" next", 1, L"next"},
      {L"prog.exe \"\"  \"\" next", 1, L"next"},
      {L"prog.exe x\"y z\"w", 1, L"xy zw"},
      {L"prog.exe \"open to the end", 1, L"open to the end"},
      {L"prog.exe a", 2, L""},
      {L"prog.exe\t\ta\x1F", 1, L"a"},
      {L"\"C:\\My Files\\prog.exe\" x", 0, L"C:\\My Files\\prog.exe"},
  };
  for (const Case& c : cases) EXPECT_EQ(WideParamStrOf(c.Line, c.Index), c.Expected) << c.Line << " #" << c.Index;
  WideString p;
  const wchar_t* line = L"  one two";
  const wchar_t* rest = WideGetParamStr(line, p);
  EXPECT_EQ(p, L"one");
  EXPECT_EQ(rest - line, 5);
  EXPECT_EQ(WideParamStr(0), WideGetModuleFileName(nullptr));
}

TEST(UcUtf7, EncodesWithDirectOptionalCharacters) {
  struct Case {
    const wchar_t* Text;
    const char* Utf7;
  } cases[] = {
      {L"A+B", "A+-B"},
      {L"\x00E9"
       L"a",
       "+AOk-a"},
      {L"\x00E9 a", "+AOk a"},
      {L"\x00E9", "+AOk"},
      {L"Hi Mom -\x263A-!", "Hi Mom -+Jjo--!"},
      {L"\x65E5\x672C\x8A9E", "+ZeVnLIqe"},
      {L"a=b;c", "a=b;c"},
      {L"~\\", "+AH4AXA"},
      {L"", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WideStringToUTF7(c.Text), c.Utf7) << c.Utf7;
    EXPECT_EQ(UTF7ToWideString(c.Utf7), c.Text) << c.Utf7;
  }
  EXPECT_EQ(UTF7ToWideString("+AOk."), L"\x00E9.");  // a non-base-64 byte ends the run and stays
}

TEST(UcUtf7, MalformedInputRaises) {
  for (const char* bad : {"+AOl-", "+-+", "+", "+A-", "a\xE9"})
    EXPECT_EQ(Raised<EUcGeneralError>([&] { UTF7ToWideString(bad); }), "Invalid UTF7") << bad;
}

TEST(UcUtf7, RoundTripsAndFuzzedInputEndsInResultOrError) {
  std::mt19937 rng(17);
  for (int round = 0; round < 3000; ++round) {
    WideString w;
    for (int i = 0, n = static_cast<int>(rng() % 12); i < n; ++i)
      w += static_cast<wchar_t>(rng() % 3 == 0 ? rng() % 0x10000 : 32 + rng() % 95);
    AnsiString a = WideStringToUTF7(w);
    ASSERT_EQ(UTF7ToWideString(a), w);
    if (!a.empty()) a[rng() % a.size()] = static_cast<char>(rng());
    try {
      WideString back = UTF7ToWideString(a);
      EXPECT_LE(back.size(), a.size());
    } catch (const EUcGeneralError&) {}
  }
}

TEST(UcUtf8, StandardConversionBothWays) {
  struct Case {
    std::string Utf8;
    WideString Wide;
  } cases[] = {
      {"abc", L"abc"},
      {Bytes({0xC3, 0xA9}), L"\x00E9"},
      {Bytes({0xE2, 0x82, 0xAC}), L"\x20AC"},
      {Bytes({0xF0, 0x9F, 0x98, 0x80}), L"\xD83D\xDE00"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(UTF8ToWideString(c.Utf8), c.Wide);
    EXPECT_EQ(WideStringToUTF8(c.Wide), c.Utf8);
  }
  // Bad input: each bad byte gives U+FFFD and the following bytes survive.
  EXPECT_EQ(UTF8ToWideString(Bytes({0xE9, 0x20, 0x61})), L"\xFFFD a");
  EXPECT_EQ(UTF8ToWideString(Bytes({0xC0, 0x80, 'x'})), L"\xFFFD\xFFFDx");
  EXPECT_EQ(UTF8ToWideString(Bytes({0xED, 0xA0, 0xBD})), L"\xFFFD\xFFFD\xFFFD");
  EXPECT_EQ(UTF8ToWideString(Bytes({'a', 0xE2, 0x82})), L"a\xFFFD\xFFFD");
  EXPECT_EQ(WideStringToUTF8(L"\xD800x"), Bytes({0xEF, 0xBF, 0xBD, 'x'}));
}

TEST(UcCodePages, UtfCodePagesAreDoneInHouseAndOthersBySystem) {
  EXPECT_EQ(StringToWideStringEx("A+-B", 65000), L"A+B");
  EXPECT_THROW(StringToWideStringEx("+A-", 65000), EUcGeneralError);
  EXPECT_EQ(StringToWideStringEx(Bytes({0xE9, 'x'}), 65001), L"\xFFFDx");
  EXPECT_EQ(WideStringToStringEx(L"A+B", 65000), "A+-B");
  EXPECT_EQ(WideStringToStringEx(L"\x00E9", 65001), Bytes({0xC3, 0xA9}));
  EXPECT_EQ(StringToWideStringEx(Bytes({0xC0, 0xE0}), 1251), L"\x0410\x0430");
  EXPECT_EQ(WideStringToStringEx(L"\x0410\x0430", 1251), Bytes({0xC0, 0xE0}));
}

TEST(UcCodePages, LocalesGiveTheirAnsiCodePage) {
  EXPECT_EQ(LCIDToCodePage(1049), 1251u);
  EXPECT_EQ(LCIDToCodePage(1033), 1252u);
  EXPECT_EQ(LCIDToCodePage(1032), 1253u);
  EXPECT_EQ(LCIDToCodePage(0x7FFF0), DefaultCodePage);  // no such locale
  EXPECT_EQ(GetDefaultCodePage(), GetACP());
}

TEST(UcSystemTexts, UnknownErrorsGetTheFallbackText) {
  EXPECT_EQ(WideSysErrorMessage(0x2AFFFFFF), L"Unspecified error (721420287) from system.");
  EXPECT_EQ(WideLibraryErrorMessage(L"mylib", nullptr, 0x2AFFFFFE), L"Unspecified error (721420286) from mylib.");
  WideString known = WideSysErrorMessage(ERROR_FILE_NOT_FOUND);
  ASSERT_FALSE(known.empty());
  EXPECT_GT(known.front(), L' ');
  EXPECT_GT(known.back(), L' ');
  EXPECT_EQ(WideGetLocaleStr(1033, 0x7FFF, L"dflt"), L"dflt");
  EXPECT_EQ(WideGetLocaleStr(1033, LOCALE_IDEFAULTANSICODEPAGE, L""), L"1252");
}

TEST(UcPaths, NamesAndDelimiters) {
  EXPECT_EQ(
      Joined({L"C:file.txt", L"C:\\dir\\file.txt", L"file"}, [](const wchar_t* n) { return WideExtractFileName(n); }),
      "file.txt|file.txt|file");
  EXPECT_EQ(Joined({L"C:\\a", L"C:\\a\\"}, [](const wchar_t* n) { return WideIncludeTrailingPathDelimiter(n); }),
            "C:\\a\\|C:\\a\\");
  EXPECT_TRUE(WideIsPathDelimiter(L"a\\b", 2));
  EXPECT_FALSE(WideIsPathDelimiter(L"a\\b", 4));
  EXPECT_EQ(WideLastDelimiter(L"\\.", L"a\\b.c"), 4);
  EXPECT_EQ(WideTextPos(L"\x0411"
                        L"C",
                        L"xa\x0431"
                        L"c"),
            3);
  EXPECT_TRUE(IsIntResourceId(MAKEINTRESOURCEW(12)));
  SetLastError(ERROR_ACCESS_DENIED);
  EXPECT_THROW(CheckWin32Result(0), EOSError);
  EXPECT_EQ(WideExpandFileName(L"C:\\a\\..\\b.txt"), L"C:\\b.txt");
  const WideString deep = L"C:\\" + WideString(150, L'a') + L"\\" + WideString(150, L'b');
  EXPECT_EQ(WideExpandFileName(deep + L"\\.\\x"), deep + L"\\x");  // longer than the classic limit
}

TEST(UcFiles, CreateOpenExistAndFind) {
  TTempDirectory dir(L"ucs");
  WideString name = dir.File(L"\x0416-file.txt");
  HANDLE h = WideFileCreate(name);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(h, "hello", 5, &written, nullptr);
  CloseHandle(h);
  ForceDirectories(dir.File(L"sub"));
  EXPECT_TRUE(WideFileExists(name));
  EXPECT_FALSE(WideFileExists(dir.File(L"sub")));
  EXPECT_FALSE(WideFileExists(dir.File(L"*.txt")));  // wildcards never name an existing file
  EXPECT_FALSE(WideFileExists(dir.File(L"?-file.txt")));
  EXPECT_FALSE(WideFileExists(dir.File(L"none.txt")));

  h = WideFileOpen(name, 0x20);  // read, deny write
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(WideFileOpen(name, 0x01), INVALID_HANDLE_VALUE);  // a writer is refused meanwhile
  HANDLE reader = WideFileOpen(name, 0x40);                   // a reader that shares everything is let in
  EXPECT_NE(reader, INVALID_HANDLE_VALUE);
  CloseHandle(reader);
  CloseHandle(h);
  EXPECT_EQ(WideFileOpen(name, 0x03), INVALID_HANDLE_VALUE);

  TWideSearchRec rec;
  ASSERT_EQ(WideFindFirst(dir.File(L"*"), 0, rec), 0);
  std::vector<WideString> found;
  do found.push_back(rec.Name);
  while (WideFindNext(rec) == 0);
  WideFindClose(rec);
  ASSERT_EQ(found.size(), 1u);  // folders (also . and ..) are skipped
  EXPECT_EQ(found[0], L"\x0416-file.txt");
  ASSERT_EQ(WideFindFirst(name, 0, rec), 0);
  EXPECT_EQ(rec.Size, 5);
  EXPECT_NE(rec.Time, 0);
  WideFindClose(rec);
  EXPECT_NE(WideFindFirst(dir.File(L"sub"), 0, rec), 0);
  EXPECT_EQ(rec.FindHandle, INVALID_HANDLE_VALUE);
  EXPECT_EQ(WideFindFirst(dir.File(L"sub"), faDirectory, rec), 0);
  WideFindClose(rec);
}

TEST(UcDrawing, ACountPastTheTextDrawsTheWholeText) {
  TWindowDC screen;
  auto width = [&](const WideString& text, int count) {
    RECT r{0, 0, 0, 0};
    WideDrawText(screen.Get(), text, count, r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    return r.right - r.left;
  };
  const LONG whole = width(L"WWW", -1);
  ASSERT_GT(whole, 0);
  for (auto [count, wanted] : {std::pair{3, whole}, {4, whole}, {4000, whole}, {1, width(L"W", -1)}})
    EXPECT_EQ(width(L"WWW", count), wanted) << count;
}
