// What the application tests share: message boxes recorded instead of shown, and the build's programs.
#pragma once

#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/FileRoutines.h"

// Records each message box as "text|caption|flags" while it lives.
struct TRecordedBoxes : TMessageBoxHandler {
  TRecordedBoxes() : previous(Application->SetMessageBoxHandler(this)) {}
  ~TRecordedBoxes() override { Application->SetMessageBoxHandler(previous); }
  int Show(HWND, const WideString& Text, const WideString& Caption, UINT Flags) override {
    shown.push_back(Text + L"|" + Caption + L"|" + std::to_wstring(Flags));
    return IDOK;
  }
  TMessageBoxHandler* previous;
  std::vector<WideString> shown;
};

// A path under the build folder (the test program's parent folder).
inline WideString BuildPath(const WideString& Relative) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  return ExtractFilePath(ExcludeTrailingPathDelimiter(ExtractFilePath(self))) + Relative;
}

// A program of the build started with the arguments, ended by force if it still runs at the end.
struct TProcess {
  PROCESS_INFORMATION Info{};
  TProcess(const WideString& Program, const WideString& Arguments) {
    WideString cmd = L"\"" + BuildPath(Program) + L"\"" + Arguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &Info);
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
