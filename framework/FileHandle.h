// The owner of a file handle: one owner per open file, closed when the owner goes.
#pragma once

#include <utility>

#include "framework/Win.h"

class TFileHandle {
 public:
  TFileHandle() = default;
  explicit TFileHandle(HANDLE Handle) : handle_(Handle) {}
  TFileHandle(TFileHandle&& Other) noexcept : handle_(std::exchange(Other.handle_, INVALID_HANDLE_VALUE)) {}
  TFileHandle& operator=(TFileHandle&& Other) noexcept {
    if (this != &Other) Reset(std::exchange(Other.handle_, INVALID_HANDLE_VALUE));
    return *this;
  }
  TFileHandle(const TFileHandle&) = delete;
  TFileHandle& operator=(const TFileHandle&) = delete;
  ~TFileHandle() { Reset(); }

  // Opens or creates a file as CreateFileW does; the owner is empty when that failed.
  static TFileHandle Open(const wchar_t* Name, DWORD Access, DWORD Share, DWORD Disposition) {
    return TFileHandle(CreateFileW(Name, Access, Share, nullptr, Disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
  }

  HANDLE Get() const { return handle_; }
  explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE; }
  void Reset(HANDLE Handle = INVALID_HANDLE_VALUE) {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = Handle;
  }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};
