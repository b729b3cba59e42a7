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
    using TRegister = LONG(NTAPI*)(ULONG, TCallback, void*, void**);
    using TUnregister = LONG(NTAPI*)(void*);
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    register_ =
        reinterpret_cast<TRegister>(reinterpret_cast<void*>(GetProcAddress(ntdll, "LdrRegisterDllNotification")));
    unregister_ =
        reinterpret_cast<TUnregister>(reinterpret_cast<void*>(GetProcAddress(ntdll, "LdrUnregisterDllNotification")));
    if (register_ && unregister_) register_(0, &Notified, nullptr, &cookie_);
  }
  ~TLoadErrorMode() {
    if (cookie_) unregister_(cookie_);
    current_ = nullptr;
  }
  TLoadErrorMode(const TLoadErrorMode&) = delete;
  TLoadErrorMode& operator=(const TLoadErrorMode&) = delete;

  // Whether the loader tells this program of the libraries it loads.
  bool Watching() const { return cookie_ != nullptr; }
  bool Seen = false;
  UINT Mode = 0;

 private:
  struct TData {
    ULONG Flags;
    const UNICODE_STRING* FullDllName;
    const UNICODE_STRING* BaseDllName;
    void* DllBase;
    ULONG SizeOfImage;
  };
  using TCallback = void(CALLBACK*)(ULONG, const TData*, void*);
  static void CALLBACK Notified(ULONG Reason, const TData* Data, void*) {
    constexpr ULONG loaded = 1;
    if (Reason != loaded || !current_ || !Data || !Data->BaseDllName) return;
    std::wstring base(Data->BaseDllName->Buffer, Data->BaseDllName->Length / sizeof(wchar_t));
    if (lstrcmpiW(base.c_str(), current_->name_.c_str()) != 0) return;
    current_->Seen = true;
    current_->Mode = GetErrorMode();
  }
  static inline TLoadErrorMode* current_ = nullptr;
  std::wstring name_;
  LONG(NTAPI* register_)(ULONG, TCallback, void*, void**) = nullptr;
  LONG(NTAPI* unregister_)(void*) = nullptr;
  void* cookie_ = nullptr;
};
