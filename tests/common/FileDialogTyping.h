// Types into the system's open and save dialogs as a user does, through the dialog's own loop (a
// timer of the thread finds it): the name box's text selected, each answer's characters, Enter.
// A dialog that refuses its answer, or comes with no answer left, is cancelled: no test hangs.
#pragma once

#include <dlgs.h>
#include <windows.h>

#include <string>
#include <vector>

class TFileDialogTyping {
 public:
  // The answers of the dialogs that come up while it lives, one each, in turn.
  explicit TFileDialogTyping(std::vector<std::wstring> Answers) : answers_(std::move(Answers)) {
    current_ = this;
    timer_ = SetTimer(nullptr, 0, 50, &Tick);
  }
  TFileDialogTyping(const TFileDialogTyping&) = delete;
  TFileDialogTyping& operator=(const TFileDialogTyping&) = delete;
  ~TFileDialogTyping() { KillTimer(nullptr, timer_), current_ = nullptr; }
  // The dialogs typed into.
  int Typed() const { return typed_; }

 private:
  // The box the name is typed into: the edit inside the file-name combo, or the plain one.
  static HWND NameBox(HWND Dialog) {
    HWND edit = nullptr;
    if (HWND combo = GetDlgItem(Dialog, cmb13)) EnumChildWindows(combo, &FindEdit, reinterpret_cast<LPARAM>(&edit));
    return edit ? edit : GetDlgItem(Dialog, edt1);
  }
  static BOOL CALLBACK FindEdit(HWND Window, LPARAM Found) {
    wchar_t name[16] = {};
    GetClassNameW(Window, name, 16);
    if (lstrcmpiW(name, L"Edit") != 0) return TRUE;
    *reinterpret_cast<HWND*>(Found) = Window;
    return FALSE;
  }
  static BOOL CALLBACK FindDialog(HWND Window, LPARAM Found) {
    wchar_t name[16] = {};
    GetClassNameW(Window, name, 16);
    if (!IsWindowVisible(Window) || std::wstring(name) != L"#32770" || !NameBox(Window)) return TRUE;
    *reinterpret_cast<HWND*>(Found) = Window;
    return FALSE;
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    TFileDialogTyping* self = current_;
    if (!self) return;
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &FindDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog || dialog == self->typedInto_) {
      // Still up many ticks after Enter: the dialog refused the answer.
      if (dialog && ++self->waited_ > 100) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
      self->typedInto_ = dialog;
      return;
    }
    if (self->typed_ >= static_cast<int>(self->answers_.size()))
      return void(PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0));
    HWND box = NameBox(dialog);
    SendMessageW(box, EM_SETSEL, 0, -1);
    for (wchar_t c : self->answers_[static_cast<size_t>(self->typed_++)]) PostMessageW(box, WM_CHAR, c, 1);
    PostMessageW(box, WM_KEYDOWN, VK_RETURN, 1);
    PostMessageW(box, WM_KEYUP, VK_RETURN, 0xC0000001);
    self->typedInto_ = dialog;
    self->waited_ = 0;
  }

  static inline TFileDialogTyping* current_ = nullptr;
  std::vector<std::wstring> answers_;
  UINT_PTR timer_ = 0;
  HWND typedInto_ = nullptr;
  int typed_ = 0, waited_ = 0;
};
