// The application's files and paths: the program's and the data folder, long names, blocked files
// held by another handle, and single lines read from a file.
#include <gtest/gtest.h>

#include <random>

#include "app/FilePaths.h"
#include "app/TextRoutines.h"
#include "framework/FileRoutines.h"
#include "framework/Streams.h"
#include "tests/framework/TestFiles.h"

namespace {

TEST(FilePaths, ReadFileLineAcrossBlocks) {
  TTestFolder folder;
  // Line 2 starts the second block and runs on into the third; a CR before an LF stays.
  const std::wstring big = folder.Write(L"b.txt", std::string(4095, 'a') + "\n" + std::string(5000, 'x') + "\r\nz");
  EXPECT_EQ(ReadFileLine(big, 2) + ReadFileLine(big, 3) + ReadFileLine(big, 4), std::string(5000, 'x') + "\rz");
  EXPECT_THROW(ReadFileLine(folder.File(L"missing.txt"), 1), EFOpenError);
}

TEST(FilePaths, BlockedFilesByMode) {
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

TEST(FilePaths, PathsAndFolders) {
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

// A user whose folder is named outside the ANSI code page (Cyrillic or CJK letters under code
// page 1252): the data folder keeps the name the system gives, letter for letter.
TEST(FilePaths, TheDataFolderKeepsAUserFolderNamedOutsideTheCodePage) {
  TTestFolder folder;
  const WideString key = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  HKEY shellFolders = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &shellFolders,
                            nullptr),
            ERROR_SUCCESS);
  wchar_t before[MAX_PATH * 2] = {};
  DWORD type = 0, size = sizeof before;
  const bool had = RegQueryValueExW(shellFolders, L"AppData", nullptr, &type, reinterpret_cast<BYTE*>(before), &size) ==
                   ERROR_SUCCESS;
  for (const WideString name : {L"\u0416\u0443\u0440\u043D\u0430\u043B", L"\u8A2D\u5B9A", L"Caf\u00E9"}) {
    const WideString appdata = folder.File(name);
    CreateDirectoryW(appdata.c_str(), nullptr);
    RegSetValueExW(shellFolders, L"AppData", 0, REG_SZ, reinterpret_cast<const BYTE*>(appdata.c_str()),
                   static_cast<DWORD>((appdata.size() + 1) * sizeof(wchar_t)));
    EXPECT_EQ(GetDataFolder(), appdata + L"\\Halcorn Verdan\\");
    EXPECT_EQ(DataPath(L"Preferences.ini"), appdata + L"\\Halcorn Verdan\\Preferences.ini");
  }
  if (had)
    RegSetValueExW(shellFolders, L"AppData", 0, type, reinterpret_cast<const BYTE*>(before), size);
  else
    RegDeleteValueW(shellFolders, L"AppData");
  RegCloseKey(shellFolders);
}

TEST(FilePathsFuzz, ReadFileLineOnRandomFiles) {
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
