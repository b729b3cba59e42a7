// What the application tests share: the build's programs and paths under the build folder.
#pragma once

#include <string>

#include "framework/FileRoutines.h"
#include "framework/Win.h"

// A path under the build folder (the test program's parent folder).
inline WideString BuildPath(const WideString& Relative) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  return ExtractFilePath(ExcludeTrailingPathDelimiter(ExtractFilePath(self))) + Relative;
}

// Wide text in the bytes of a code page.
inline std::string Narrow(const WideString& W, UINT CodePage) {
  std::string s(W.size() * 4 + 1, '\0');
  s.resize(static_cast<size_t>(WideCharToMultiByte(CodePage, 0, W.data(), static_cast<int>(W.size()), s.data(),
                                                   static_cast<int>(s.size()), nullptr, nullptr)));
  return s;
}

// A program of the build started with the arguments, ended by force if it still runs at the end.
struct TProcess {
  PROCESS_INFORMATION Info{};
  // Folder: the program's current folder, the caller's when empty.
  TProcess(const WideString& Program, const WideString& Arguments, const WideString& Folder = WideString()) {
    WideString cmd = L"\"" + BuildPath(Program) + L"\"" + Arguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, Folder.empty() ? nullptr : Folder.c_str(),
                   &si, &Info);
  }
  ~TProcess() {
    if (Info.hProcess && WaitForSingleObject(Info.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(Info.hProcess, 99);
    CloseHandle(Info.hThread), CloseHandle(Info.hProcess);
  }
  // The exit code once the program ended; 12345 when it did not end within a minute.
  DWORD ExitCode() {
    DWORD code = 12345;
    if (WaitForSingleObject(Info.hProcess, 60000) == WAIT_OBJECT_0) GetExitCodeProcess(Info.hProcess, &code);
    return code;
  }
};
