// Owners of the system handles that are not GDI objects: a library loaded by name, a windows
// hook and a socket. Each handle has one move-only owner that frees it when it goes.
#pragma once

#include <utility>

#include "framework/Win.h"

// A library loaded at run time. Every library loaded this way is optional, so loading it never
// shows the system's box about a missing file; a missing library leaves the owner empty.
class TModuleHandle {
 public:
  TModuleHandle() = default;
  // Loads with the system's boxes about a missing file and about a critical error kept away.
  explicit TModuleHandle(const wchar_t* Name) noexcept;
  // Loads under the error mode given (SetErrorMode's flags), the caller's mode put back after.
  TModuleHandle(const wchar_t* Name, UINT ErrorMode) noexcept;
  TModuleHandle(TModuleHandle&& Other) noexcept : module_(std::exchange(Other.module_, nullptr)) {}
  TModuleHandle& operator=(TModuleHandle&& Other) noexcept {
    if (this != &Other) Reset(std::exchange(Other.module_, nullptr));
    return *this;
  }
  TModuleHandle(const TModuleHandle&) = delete;
  TModuleHandle& operator=(const TModuleHandle&) = delete;
  ~TModuleHandle() { Reset(); }

  HMODULE Get() const noexcept { return module_; }
  explicit operator bool() const noexcept { return module_ != nullptr; }
  // The entry point of that name as a function pointer of type F; null when missing.
  template <class F>
  F Proc(const char* Name) const noexcept {
    return module_ ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, Name))) : nullptr;
  }
  // Frees the library held and takes Module (which may be null).
  void Reset(HMODULE Module = nullptr) noexcept;

 private:
  HMODULE module_ = nullptr;
};

// A windows hook of one thread, removed when the owner goes.
class THookHandle {
 public:
  THookHandle() = default;
  // Installs Proc as a hook of kind Id for the thread (the calling one when 0).
  THookHandle(int Id, HOOKPROC Proc, DWORD ThreadId = 0) noexcept;
  THookHandle(THookHandle&& Other) noexcept : hook_(std::exchange(Other.hook_, nullptr)) {}
  THookHandle& operator=(THookHandle&& Other) noexcept {
    if (this != &Other) {
      Reset();
      hook_ = std::exchange(Other.hook_, nullptr);
    }
    return *this;
  }
  THookHandle(const THookHandle&) = delete;
  THookHandle& operator=(const THookHandle&) = delete;
  ~THookHandle() { Reset(); }

  HHOOK Get() const noexcept { return hook_; }
  explicit operator bool() const noexcept { return hook_ != nullptr; }
  void Reset() noexcept;

 private:
  HHOOK hook_ = nullptr;
};

// A socket, closed when the owner goes. The value is the system's SOCKET.
class TSocketHandle {
 public:
  static constexpr UINT_PTR None = ~UINT_PTR(0);

  TSocketHandle() = default;
  // A new socket as socket() makes it; empty when that failed (WSAGetLastError tells why).
  TSocketHandle(int Family, int Type, int Protocol) noexcept;
  TSocketHandle(TSocketHandle&& Other) noexcept : socket_(std::exchange(Other.socket_, None)) {}
  TSocketHandle& operator=(TSocketHandle&& Other) noexcept {
    if (this != &Other) {
      Reset();
      socket_ = std::exchange(Other.socket_, None);
    }
    return *this;
  }
  TSocketHandle(const TSocketHandle&) = delete;
  TSocketHandle& operator=(const TSocketHandle&) = delete;
  ~TSocketHandle() { Reset(); }

  UINT_PTR Get() const noexcept { return socket_; }
  explicit operator bool() const noexcept { return socket_ != None; }
  void Reset() noexcept;

 private:
  UINT_PTR socket_ = None;
};
