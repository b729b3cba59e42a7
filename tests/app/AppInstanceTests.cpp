// The program runs once: a second Verdan.exe hands its file to the running one and ends, and
// the running one opens it in a new editor.
#include <gtest/gtest.h>

#include <string>

#include "framework/FileRoutines.h"
#include "framework/Win.h"

namespace {

WideString VerdanPath() {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  return ExtractFilePath(ExcludeTrailingPathDelimiter(ExtractFilePath(self))) + L"app\\Verdan.exe";
}

struct TProcess {
  PROCESS_INFORMATION Info{};
  bool Start(const WideString& Arguments) {
    WideString commandLine = L"\"" + VerdanPath() + L"\"" + Arguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    return CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &Info);
  }
  ~TProcess() {
    if (!Info.hProcess) return;
    if (WaitForSingleObject(Info.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(Info.hProcess, 99);
    CloseHandle(Info.hThread);
    CloseHandle(Info.hProcess);
  }
};

struct TSearch {
  DWORD ProcessId;
  HWND Main = nullptr;
  int Editors = 0;
};

BOOL CALLBACK CountEditors(HWND Wnd, LPARAM Param) {
  wchar_t name[64] = {};
  GetClassNameW(Wnd, name, 64);
  if (std::wstring(name) == L"TTxtEdit") ++reinterpret_cast<TSearch*>(Param)->Editors;
  return TRUE;
}

BOOL CALLBACK FindMain(HWND Wnd, LPARAM Param) {
  auto* s = reinterpret_cast<TSearch*>(Param);
  DWORD pid = 0;
  GetWindowThreadProcessId(Wnd, &pid);
  wchar_t name[64] = {};
  GetClassNameW(Wnd, name, 64);
  if (pid == s->ProcessId && std::wstring(name) == L"TMainForm" && IsWindowVisible(Wnd)) s->Main = Wnd;
  return s->Main == nullptr;
}

// The editors of the process's visible main window, or -1 while it has none.
int EditorCount(DWORD ProcessId) {
  TSearch s{ProcessId};
  EnumWindows(FindMain, reinterpret_cast<LPARAM>(&s));
  if (!s.Main) return -1;
  EnumChildWindows(s.Main, CountEditors, reinterpret_cast<LPARAM>(&s));
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
  HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);

  TProcess first;
  ASSERT_TRUE(first.Start(L""));
  ASSERT_EQ(WaitForEditors(first, 1), 1) << "the first copy shows one empty document";
  TProcess second;
  ASSERT_TRUE(second.Start(L" \"" + file + L"\""));
  ASSERT_EQ(WaitForSingleObject(second.Info.hProcess, 30000), WAIT_OBJECT_0) << "the second copy ends";
  DWORD code = 12345;
  GetExitCodeProcess(second.Info.hProcess, &code);
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(WaitForEditors(first, 2), 2) << "the first copy opened the handed-over file";

  TSearch s{first.Info.dwProcessId};
  EnumWindows(FindMain, reinterpret_cast<LPARAM>(&s));
  if (s.Main) PostMessageW(s.Main, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForSingleObject(first.Info.hProcess, 30000), WAIT_OBJECT_0);
}

}  // namespace
