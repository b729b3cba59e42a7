// File names, and file-system routines on real files in a scratch folder.
#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "framework/DateTime.h"
#include "framework/FileRoutines.h"
#include "framework/Win.h"
#include "tests/framework/Joined.h"
#include "tests/framework/TestFiles.h"

TEST(FileNames, Splitting) {
  auto each = [](std::initializer_list<const wchar_t*> Names, WideString (*Part)(const WideString&)) {
    return Joined(Names, [&](const wchar_t* n) { return Part(n); });
  };
  EXPECT_EQ(each({L"C:\\dir\\a.txt", L"a.txt", L"C:a.txt", L"dir/sub/a.txt"}, ExtractFilePath),
            "C:\\dir\\||C:|dir/sub/");
  EXPECT_EQ(each({L"C:\\dir\\a.txt", L"C:\\a.txt", L"\\a.txt", L"a.txt"}, ExtractFileDir), "C:\\dir|C:\\|\\|");
  EXPECT_EQ(each({L"C:\\dir\\a.txt", L"C:\\dir\\", L"C:x"}, ExtractFileName), "a.txt||x");
  // A dot in a folder name is no extension.
  EXPECT_EQ(each({L"C:\\dir\\a.tar.gz", L"C:\\dir.d\\readme", L"name."}, ExtractFileExt), ".gz||.");
  EXPECT_EQ(ChangeFileExt(L"C:\\dir\\a.txt", L".bak"), L"C:\\dir\\a.bak");
  EXPECT_EQ(ChangeFileExt(L"C:\\dir.d\\a", L".ini"), L"C:\\dir.d\\a.ini");
  EXPECT_EQ(ChangeFileExt(L"a.txt", L""), L"a");
  EXPECT_EQ(each({L"C:\\dir", L"\\\\server\\share\\dir\\a", L"dir\\a"}, ExtractFileDrive), "C:|\\\\server\\share|");
  EXPECT_EQ(each({L"C:\\dir", L"C:\\dir\\", L""}, IncludeTrailingPathDelimiter), "C:\\dir\\|C:\\dir\\|\\");
  EXPECT_EQ(each({L"C:\\dir\\", L"C:\\dir"}, ExcludeTrailingPathDelimiter), "C:\\dir|C:\\dir");
  EXPECT_TRUE(IsPathDelimiter(L"a\\b", 2));
  EXPECT_FALSE(IsPathDelimiter(L"a\\b", 4));
  EXPECT_EQ(ExtractFileName(std::string("C:\\dir\\a.txt")), "a.txt");
  EXPECT_EQ(ExtractFileExt(std::string("a.txt")), ".txt");
  EXPECT_EQ(ChangeFileExt(std::string("a.txt"), std::string(".ini")), "a.ini");
  EXPECT_TRUE(SameFileName(L"C:\\Dir\\A.TXT", L"c:\\dir\\a.txt"));
  EXPECT_FALSE(SameFileName(L"C:\\Dir\\A.TXT", L"c:\\dir\\a.txt2"));
}

TEST(FileNames, ExpandFileName) {
  EXPECT_EQ(ExpandFileName(L"C:\\a\\b\\..\\c\\.\\d.txt"), L"C:\\a\\c\\d.txt");
  EXPECT_EQ(ExpandFileName(L""), L"");
  WideString cur = IncludeTrailingPathDelimiter(GetCurrentDir());
  EXPECT_EQ(ExpandFileName(L"x.txt"), cur + L"x.txt");
}

TEST(FileSystem, ExistenceTestsOnRealFiles) {
  TTempDirectory tmp;
  ASSERT_TRUE(DirectoryExists(tmp.Path()));
  WideString file = tmp.File(L"Data.txt");
  EXPECT_FALSE(FileExists(file));
  WriteWholeFile(file, "hello");
  EXPECT_TRUE(FileExists(file));
  EXPECT_TRUE(FileExists(tmp.File(L"DATA.TXT"))) << "names are case-insensitive";
  EXPECT_FALSE(FileExists(tmp.File(L"*.txt"))) << "wildcards never name a file";
  EXPECT_FALSE(FileExists(tmp.File(L"Dat?.txt")));
  EXPECT_FALSE(FileExists(tmp.Path())) << "a folder is no file";
  EXPECT_FALSE(FileExists(L""));
  EXPECT_FALSE(DirectoryExists(file));
  EXPECT_FALSE(DirectoryExists(L""));
  EXPECT_TRUE(FileExists(WideToAnsi(file)));
  EXPECT_EQ(FileSize(file), 5);
  EXPECT_EQ(FileSize(tmp.File(L"none")), -1);
}

TEST(FileSystem, FoldersAreCreatedAndRemoved) {
  TTempDirectory tmp;
  WideString deep = tmp.File(L"a\\b\\c");
  EXPECT_TRUE(ForceDirectories(deep));
  EXPECT_TRUE(DirectoryExists(deep));
  EXPECT_TRUE(ForceDirectories(deep + L"\\")) << "existing folders are fine";
  EXPECT_FALSE(ForceDirectories(L""));
  // A file in the way cannot become a folder.
  WriteWholeFile(tmp.File(L"file"), "x");
  EXPECT_FALSE(ForceDirectories(tmp.File(L"file\\sub")));
  EXPECT_TRUE(FileExists(tmp.File(L"file"))) << "and it is left alone";
  EXPECT_FALSE(RemoveDir(tmp.File(L"a"))) << "not empty";
  EXPECT_TRUE(RemoveDir(deep));
  EXPECT_FALSE(DirectoryExists(deep));
  EXPECT_TRUE(CreateDir(deep));
  EXPECT_FALSE(CreateDir(deep));
}

TEST(FileSystem, DeleteRenameAndAttributes) {
  TTempDirectory tmp;
  WideString a = tmp.File(L"a.txt"), b = tmp.File(L"b.txt");
  WriteWholeFile(a, "1");
  EXPECT_TRUE(RenameFile(a, b));
  EXPECT_FALSE(FileExists(a));
  EXPECT_TRUE(FileExists(b));
  WriteWholeFile(a, "2");
  EXPECT_FALSE(RenameFile(a, b)) << "an existing target is not replaced";
  EXPECT_EQ(FileGetAttr(tmp.File(L"none")), -1);
  EXPECT_EQ(FileSetAttr(b, faReadOnly), 0);
  EXPECT_TRUE(FileGetAttr(b) & faReadOnly);
  EXPECT_FALSE(DeleteFile(b)) << "read-only";
  EXPECT_EQ(FileSetAttr(b, 0), 0);
  EXPECT_TRUE(DeleteFile(b));
  EXPECT_FALSE(DeleteFile(b));
  EXPECT_NE(FileSetAttr(b, 0), 0);
  EXPECT_TRUE(FileGetAttr(tmp.Path()) & faDirectory);
}

TEST(FileSystem, FileAgeIsTheLastWriteInLocalTime) {
  TTempDirectory tmp;
  WideString f = tmp.File(L"dated.txt");
  WriteWholeFile(f, "x");
  // 14 March 2024 15:09:26 local time
  SYSTEMTIME st{2024, 3, 0, 14, 15, 9, 26, 0};
  FILETIME local, utc;
  SystemTimeToFileTime(&st, &local);
  LocalFileTimeToFileTime(&local, &utc);
  HANDLE h = CreateFileW(f.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  SetFileTime(h, nullptr, nullptr, &utc);
  CloseHandle(h);
  TDateTime when = 0;
  ASSERT_TRUE(FileAge(f, when));
  EXPECT_NEAR(when, EncodeDate(2024, 3, 14) + EncodeTime(15, 9, 26, 0), 1e-8);
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss.zzz", FileDateToDateTime(FileAge(f))), "2024-03-14 15:09:26.000");
  EXPECT_EQ(FileAge(tmp.File(L"none")), -1);
  EXPECT_FALSE(FileAge(tmp.File(L"none"), when));
  EXPECT_EQ(FileAge(tmp.Path()), -1) << "folders have no file age";
}

TEST(FileSystem, FindFirstAndNextHonourAttributes) {
  TTempDirectory tmp;
  WriteWholeFile(tmp.File(L"one.txt"), "1");
  WriteWholeFile(tmp.File(L"two.txt"), "22");
  WriteWholeFile(tmp.File(L"hidden.txt"), "333");
  WriteWholeFile(tmp.File(L"other.dat"), "4444");
  FileSetAttr(tmp.File(L"hidden.txt"), faHidden);
  CreateDir(tmp.File(L"sub.txt"));

  auto names = [&](const WideString& pattern, int attr) {
    std::set<WideString> found;
    TSearchRec rec;
    for (int r = FindFirst(tmp.File(pattern), attr, rec); r == 0; r = FindNext(rec)) found.insert(rec.Name);
    FindClose(rec);
    return found;
  };
  EXPECT_EQ(names(L"*.txt", faAnyFile & ~faDirectory & ~faHidden), (std::set<WideString>{L"one.txt", L"two.txt"}));
  EXPECT_EQ(names(L"*.txt", faHidden), (std::set<WideString>{L"one.txt", L"two.txt", L"hidden.txt"}));
  EXPECT_EQ(names(L"*.txt", faDirectory), (std::set<WideString>{L"one.txt", L"two.txt", L"sub.txt"}));
  EXPECT_TRUE(names(L"*.none", faAnyFile).empty());

  TSearchRec rec;
  ASSERT_EQ(FindFirst(tmp.File(L"two.txt"), faAnyFile, rec), 0);
  EXPECT_EQ(rec.Size, 2);
  EXPECT_FALSE(rec.Attr & faDirectory);
  EXPECT_GT(rec.TimeStamp, EncodeDate(2000, 1, 1));
  EXPECT_NE(FindNext(rec), 0);
  EXPECT_NE(FindFirst(tmp.File(L"missing\\*"), faAnyFile, rec), 0);
  EXPECT_NE(FindNext(rec), 0) << "a failed search leaves nothing open";
  // Moving a record moves its search handle.
  TSearchRec first;
  ASSERT_EQ(FindFirst(tmp.File(L"*.txt"), 0, first), 0);
  TSearchRec moved = std::move(first);
  EXPECT_EQ(FindNext(moved), 0);
  EXPECT_NE(FindNext(first), 0);
}

TEST(FileSystem, TempHelpers) {
  WideString dir = GetTempDir();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.back(), L'\\');
  WideString path;
  {
    TTempDirectory tmp(L"hvtest");
    path = tmp.Path();
    WideString f = CreateTempFile(tmp.Path(), L"x");
    EXPECT_TRUE(FileExists(f));
    ForceDirectories(tmp.File(L"deep\\er"));
    WriteWholeFile(tmp.File(L"deep\\er\\ro.txt"), "r");
    FileSetAttr(tmp.File(L"deep\\er\\ro.txt"), faReadOnly);
  }
  EXPECT_FALSE(DirectoryExists(path)) << "the scratch folder goes with everything in it";
  TTempDirectory a, b;
  EXPECT_NE(a.Path(), b.Path());
}
