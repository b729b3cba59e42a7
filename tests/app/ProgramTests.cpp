// The program as a person starts it: Verdan.exe, with a file or without, shows its sizeable main
// window, and closing the window ends the process cleanly with exit code 0.
#include <gtest/gtest.h>

#include <string>

#include "framework/FileRoutines.h"
#include "framework/Win.h"

namespace {

WideString ProgramPath() {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  return ExtractFilePath(ExcludeTrailingPathDelimiter(ExtractFilePath(self))) + L"app\\Verdan.exe";
}

// Finds a window of the process by class name; with visibleOnly, only a visible one.
struct TWindowSearch {
  DWORD processId;
  const wchar_t* className;
  bool visibleOnly;
  HWND found;
};

BOOL CALLBACK FindWindowOfClass(HWND wnd, LPARAM param) {
  auto* search = reinterpret_cast<TWindowSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(wnd, &pid);
  wchar_t name[64] = {};
  GetClassNameW(wnd, name, 64);
  if (pid == search->processId && std::wstring(name) == search->className &&
      (!search->visibleOnly || IsWindowVisible(wnd))) {
    search->found = wnd;
    return FALSE;
  }
  return TRUE;
}

HWND FindProcessWindow(DWORD processId, const wchar_t* className, bool visibleOnly) {
  TWindowSearch search{processId, className, visibleOnly, nullptr};
  EnumWindows(FindWindowOfClass, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForMainWindow(DWORD processId, HANDLE process) {
  for (int i = 0; i < 400; ++i) {
    if (HWND found = FindProcessWindow(processId, L"TMainForm", true)) return found;
    if (WaitForSingleObject(process, 50) == WAIT_OBJECT_0) return nullptr;
  }
  return nullptr;
}

// Starts the program with the arguments, checks its main window, closes it and returns the
// exit code (99 when it had to be ended by force).
DWORD RunAndClose(const WideString& arguments) {
  WideString commandLine = L"\"" + ProgramPath() + L"\"" + arguments;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    ADD_FAILURE() << "cannot start the program";
    return 12345;
  }
  HWND main = WaitForMainWindow(pi.dwProcessId, pi.hProcess);
  EXPECT_NE(main, nullptr) << "the main window did not appear";
  if (main) {
    wchar_t caption[256] = {};
    GetWindowTextW(main, caption, 256);
    EXPECT_NE(std::wstring(caption).find(L"Halcorn Verdan"), std::wstring::npos);
    LONG style = GetWindowLongW(main, GWL_STYLE);
    EXPECT_TRUE(style & WS_THICKFRAME) << "the main window is sizeable";
    EXPECT_TRUE(style & WS_MAXIMIZEBOX);
    // Other copies of the program find this one by its application window.
    EXPECT_NE(FindProcessWindow(pi.dwProcessId, L"TApplication", false), nullptr);
    PostMessageW(main, WM_CLOSE, 0, 0);
  }
  if (WaitForSingleObject(pi.hProcess, 30000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 99);
  DWORD exitCode = 12345;
  GetExitCodeProcess(pi.hProcess, &exitCode);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return exitCode;
}

}  // namespace

TEST(Program, StartsEmptyAndEndsWithExitCodeZeroWhenClosed) { EXPECT_EQ(RunAndClose(L""), 0u); }

TEST(Program, ShowsAFileAndEndsWithExitCodeZeroWhenClosed) {
  TTempDirectory folder;
  WideString file = IncludeTrailingPathDelimiter(folder.Path()) + L"sample.txt";
  HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(h, "one\r\ntwo\r\n", 10, &written, nullptr);
  CloseHandle(h);
  EXPECT_EQ(RunAndClose(L" \"" + file + L"\""), 0u);
}
