// Loading and freeing libraries, installing and removing hooks, opening and closing sockets.
#include <winsock2.h>

#include "framework/SystemHandles.h"

TModuleHandle::TModuleHandle(const wchar_t* Name) noexcept
    : TModuleHandle(Name, SEM_NOOPENFILEERRORBOX | SEM_FAILCRITICALERRORS) {}

TModuleHandle::TModuleHandle(const wchar_t* Name, UINT ErrorMode) noexcept {
  UINT oldMode = SetErrorMode(ErrorMode);
  module_ = LoadLibraryW(Name);
  SetErrorMode(oldMode);
}

void TModuleHandle::Reset(HMODULE Module) noexcept {
  if (module_ == Module) return;
  if (module_) FreeLibrary(module_);
  module_ = Module;
}

THookHandle::THookHandle(int Id, HOOKPROC Proc, DWORD ThreadId) noexcept
    : hook_(SetWindowsHookExW(Id, Proc, nullptr, ThreadId ? ThreadId : GetCurrentThreadId())) {}

void THookHandle::Reset() noexcept {
  if (hook_) UnhookWindowsHookEx(std::exchange(hook_, nullptr));
}

TSocketHandle::TSocketHandle(int Family, int Type, int Protocol) noexcept
    : socket_(static_cast<UINT_PTR>(socket(Family, Type, Protocol))) {}

void TSocketHandle::Reset() noexcept {
  if (socket_ != None) closesocket(static_cast<SOCKET>(std::exchange(socket_, None)));
}
