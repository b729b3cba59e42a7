// The program runs once: a second Verdan.exe hands its file to the running one and ends, and
// the running one shows it in a new editor.
#include <gtest/gtest.h>

#include <string>

#include "framework/FileRoutines.h"
#include "framework/Win.h"

namespace {

// A Verdan.exe started with the arguments, ended by force if it still runs at the end.
struct TProcess {
  PROCESS_INFORMATION Info{};
  explicit TProcess(const WideString& Arguments) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    WideString cmd = L"\"" + ExtractFilePath(ExcludeTrailingPathDelimiter(ExtractFilePath(self))) + L"app\\Verdan.exe\"" +
                     Arguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &Info);
  }
  ~TProcess() {
    if (Info.hProcess && WaitForSingleObject(Info.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(Info.hProcess, 99);
    CloseHandle(Info.hThread), CloseHandle(Info.hProcess);
  }
};

struct TSearch {
  DWORD ProcessId;
  HWND Main = nullptr;
  int Editors = 0;
};

std::wstring ClassOf(HWND Wnd) {
  wchar_t name[64] = {};
  GetClassNameW(Wnd, name, 64);
  return name;
}

BOOL CALLBACK FindMain(HWND W, LPARAM P) {
  auto* s = reinterpret_cast<TSearch*>(P);
  DWORD pid = 0;
  GetWindowThreadProcessId(W, &pid);
  if (pid == s->ProcessId && ClassOf(W) == L"TMainForm" && IsWindowVisible(W)) s->Main = W;
  return !s->Main;
}

BOOL CALLBACK CountEditors(HWND W, LPARAM P) {
  reinterpret_cast<TSearch*>(P)->Editors += ClassOf(W) == L"TTxtEdit";
  return TRUE;
}

// The editor windows of the process's visible main window, or -1 while it has none.
int EditorCount(DWORD ProcessId) {
  TSearch s{ProcessId};
  EnumWindows(FindMain, reinterpret_cast<LPARAM>(&s));
  if (!s.Main) return -1;
  EnumChildWindows(s.Main, CountEditors, reinterpret_cast<LPARAM>(&s));
  if (s.Editors == 2) PostMessageW(s.Main, WM_CLOSE, 0, 0);  // done: the first copy may end
  return s.Editors;
}

int WaitForEditors(TProcess& P, int Wanted) {
  int n = -1;
  for (int i = 0; i < 400 && (n = EditorCount(P.Info.dwProcessId)) != Wanted; ++i)
    if (WaitForSingleObject(P.Info.hProcess, 50) == WAIT_OBJECT_0) break;
  return n;
}

TEST(ProgramInstance, ASecondCopyHandsItsFileToTheFirstAndEnds) {
  TTempDirectory folder;
  const WideString file = IncludeTrailingPathDelimiter(folder.Path()) + L"\x0444\x0430\x0439\x043B.txt";
  CloseHandle(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  TProcess first(L"");
  ASSERT_EQ(WaitForEditors(first, 1), 1) << "the first copy shows one empty document";
  TProcess second(L" \"" + file + L"\"");
  ASSERT_EQ(WaitForSingleObject(second.Info.hProcess, 30000), WAIT_OBJECT_0) << "the second copy ends";
  DWORD code = 12345;
  EXPECT_TRUE(GetExitCodeProcess(second.Info.hProcess, &code) && code == 0) << code;
  EXPECT_EQ(WaitForEditors(first, 2), 2) << "the first copy opened the handed-over file";
  EXPECT_EQ(WaitForSingleObject(first.Info.hProcess, 30000), WAIT_OBJECT_0);
}

}  // namespace
