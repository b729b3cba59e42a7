// A scratch folder for tests that write files, with its files written and read whole through
// the system (not through the streams under test); removed with everything in it afterwards.
#pragma once

#include <string>

#include "framework/FileRoutines.h"
#include "framework/Win.h"

inline void WriteWholeFile(const std::wstring& fullName, const std::string& bytes) {
  HANDLE h = CreateFileW(fullName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD done = 0;
  WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
  CloseHandle(h);
}

class TTestFolder : public TTempDirectory {
 public:
  // Writes the bytes into a file of the folder and returns its full name.
  std::wstring Write(const std::wstring& name, const std::string& bytes) const {
    WriteWholeFile(File(name), bytes);
    return File(name);
  }
  // The bytes of a file of the folder; nothing when it cannot be read.
  std::string Read(const std::wstring& name) const {
    HANDLE h = CreateFileW(File(name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           0, nullptr);
    std::string bytes;
    if (h == INVALID_HANDLE_VALUE) return bytes;
    char buffer[4096];
    DWORD done = 0;
    while (ReadFile(h, buffer, sizeof buffer, &done, nullptr) && done > 0) bytes.append(buffer, done);
    CloseHandle(h);
    return bytes;
  }
};
