// Runs one test of this program in a copy of it, a process of its own (for what a process does
// only once, such as loading a library), and gives the copy's exit code: 0 when that test passed.
#pragma once

#include <windows.h>

#include <string>

inline DWORD RunTestInCopy(const std::wstring& Test) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring command =
      std::wstring(L"\"") + self + L"\" --gtest_also_run_disabled_tests --gtest_repeat=1 --gtest_filter=" + Test;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  DWORD code = 12345;
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return code;
  // A copy that hangs is ended rather than waited for without end.
  if (WaitForSingleObject(pi.hProcess, 60000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 99);
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread), CloseHandle(pi.hProcess);
  return code;
}
