// Verdan.exe started as a person starts it: as a new user without a data folder it shows its
// main window with one new document and leaves its settings in the new folder; with the
// removal switch it shows nothing and ends.
#include <gtest/gtest.h>

#include "app/Useful.h"
#include "tests/app/AppTestSupport.h"

namespace {

struct TFind {
  DWORD ProcessId;
  HWND Found = nullptr;
};

BOOL CALLBACK FindMainForm(HWND W, LPARAM P) {
  auto* f = reinterpret_cast<TFind*>(P);
  DWORD pid = 0;
  GetWindowThreadProcessId(W, &pid);
  wchar_t name[64] = {};
  GetClassNameW(W, name, 64);
  if (pid == f->ProcessId && IsWindowVisible(W) && WideString(name) == L"TMainForm") f->Found = W;
  return !f->Found;
}

// The visible main window of the process, waited for up to 20 s; null when the process ended.
HWND WaitForMainForm(TProcess& P) {
  for (int i = 0; i < 400; ++i) {
    TFind f{P.Info.dwProcessId};
    EnumWindows(FindMainForm, reinterpret_cast<LPARAM>(&f));
    if (f.Found) return f.Found;
    if (WaitForSingleObject(P.Info.hProcess, 50) == WAIT_OBJECT_0) break;
  }
  return nullptr;
}

void RemoveDataFolder() {
  const WideString data = GetDataFolder();
  for (const wchar_t* name :
       {L"Preferences.ini", L"Shortcuts.ini", L"Toolbars.ini", L"LastDocuments.dat", L"Errors.log"})
    DeleteFileW((data + name).c_str());
  RemoveDirectoryW(data.c_str());
}

TEST(ProgramStart, ANewUserGetsTheMainWindowAndADataFolder) {
  RemoveDataFolder();
  ASSERT_FALSE(DirectoryExistsQuiet(GetDataFolder()));
  TProcess program(L"app\\Verdan.exe", L"");
  HWND main = WaitForMainForm(program);
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(DirectoryExistsQuiet(GetDataFolder()));
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.ExitCode(), 0u);
  EXPECT_TRUE(FileExistsQuiet(DataPath(L"Preferences.ini")));
  EXPECT_FALSE(FileExistsQuiet(DataPath(L"Errors.log"))) << "nothing went wrong on the way";
}

TEST(ProgramStart, TheRemovalSwitchShowsNoWindow) {
  TProcess program(L"app\\Verdan.exe", L" /UnRegisterAssociations");
  EXPECT_EQ(WaitForMainForm(program), nullptr);
  EXPECT_EQ(program.ExitCode(), 0u);
}

}  // namespace
