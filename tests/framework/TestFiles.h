// A scratch folder for tests that write files; removed with everything in it afterwards.
#pragma once

#include <string>

#include "framework/Exceptions.h"
#include "framework/Win.h"

class TTestFolder {
 public:
  TTestFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static int serial = 0;
    path_ = std::wstring(temp) + L"hvtest" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++serial);
    CreateDirectoryW(path_.c_str(), nullptr);
  }
  ~TTestFolder() { Remove(path_); }
  TTestFolder(const TTestFolder&) = delete;
  TTestFolder& operator=(const TTestFolder&) = delete;

  const std::wstring& Path() const { return path_; }
  std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }

  // Writes the bytes into a file of the folder and returns its full name.
  std::wstring Write(const std::wstring& name, const std::string& bytes) const {
    std::wstring full = File(name);
    HANDLE h = CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD done = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    CloseHandle(h);
    return full;
  }
  std::string Read(const std::wstring& name) const {
    HANDLE h = CreateFileW(File(name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    std::string bytes;
    if (h == INVALID_HANDLE_VALUE) return bytes;
    char buffer[4096];
    DWORD done = 0;
    while (ReadFile(h, buffer, sizeof buffer, &done, nullptr) && done > 0) bytes.append(buffer, done);
    CloseHandle(h);
    return bytes;
  }

 private:
  static void Remove(const std::wstring& dir) {
    WIN32_FIND_DATAW fd;
    HANDLE f = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (f != INVALID_HANDLE_VALUE) {
      do {
        std::wstring n = fd.cFileName;
        if (n == L"." || n == L"..") continue;
        std::wstring full = dir + L"\\" + n;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
          Remove(full);
        else
          DeleteFileW(full.c_str());
      } while (FindNextFileW(f, &fd));
      FindClose(f);
    }
    RemoveDirectoryW(dir.c_str());
  }
  std::wstring path_;
};
