// The process error mode in force while a library of a given name is mapped, seen through the
// loader's notification of each library it loads (nothing seen when it was loaded already).
#pragma once

#include <windows.h>
#include <winternl.h>

#include <string>

class TLoadErrorMode {
 public:
  explicit TLoadErrorMode(const wchar_t* BaseName) : name_(BaseName) {
    current_ = this;
    if (auto reg = Ntdll<LONG(NTAPI*)(ULONG, decltype(&Notified), void*, void**)>("LdrRegisterDllNotification"))
      reg(0, &Notified, nullptr, &cookie_);
  }
  ~TLoadErrorMode() {
    if (auto unregister = Ntdll<LONG(NTAPI*)(void*)>("LdrUnregisterDllNotification"); cookie_ && unregister)
      unregister(cookie_);
    current_ = nullptr;
  }
  TLoadErrorMode(const TLoadErrorMode&) = delete;
  TLoadErrorMode& operator=(const TLoadErrorMode&) = delete;

  // Whether the loader tells this program of the libraries it loads.
  bool Watching() const { return cookie_ != nullptr; }
  bool Seen = false;
  UINT Mode = 0;

 private:
  // The loader's data of a library loaded: its flags, then its full and its base name.
  struct TData {
    ULONG Flags;
    const UNICODE_STRING *FullDllName, *BaseDllName;
  };
  template <class F>
  static F Ntdll(const char* Name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), Name)));
  }
  static void CALLBACK Notified(ULONG Reason, const TData* Data, void*) {
    if (Reason != 1 /* loaded */ || !current_ || !Data || !Data->BaseDllName) return;
    std::wstring base(Data->BaseDllName->Buffer, Data->BaseDllName->Length / sizeof(wchar_t));
    if (lstrcmpiW(base.c_str(), current_->name_.c_str()) == 0) current_->Seen = true, current_->Mode = GetErrorMode();
  }
  static inline TLoadErrorMode* current_ = nullptr;
  std::wstring name_;
  void* cookie_ = nullptr;
};
