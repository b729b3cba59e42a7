// Types into the system's open and save dialogs as a user does: once a dialog of the thread
// shows, the text of its name box is selected, the answer typed character by character and Enter
// pressed, all as messages through the dialog's own loop (a timer of the thread finds it). A
// dialog that does not close on its own (an answer it refuses) is cancelled, so a test never hangs.
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
  ~TFileDialogTyping() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  // The dialogs typed into; what each one's name box showed before the typing.
  int Typed() const { return typed_; }
  std::vector<std::wstring> Shown;

 private:
  struct TSearch {
    HWND Dialog = nullptr;
  };
  static BOOL CALLBACK FindDialog(HWND Window, LPARAM Data) {
    wchar_t name[16] = {};
    GetClassNameW(Window, name, 16);
    if (!IsWindowVisible(Window) || std::wstring(name) != L"#32770" || !NameBox(Window)) return TRUE;
    reinterpret_cast<TSearch*>(Data)->Dialog = Window;
    return FALSE;
  }
  static BOOL CALLBACK FindEdit(HWND Window, LPARAM Data) {
    wchar_t name[16] = {};
    GetClassNameW(Window, name, 16);
    if (lstrcmpiW(name, L"Edit") != 0) return TRUE;
    *reinterpret_cast<HWND*>(Data) = Window;
    return FALSE;
  }
  // The edit box the name is typed into: the one inside the file-name combo, or the plain one.
  static HWND NameBox(HWND Dialog) {
    HWND edit = nullptr;
    if (HWND combo = GetDlgItem(Dialog, cmb13)) EnumChildWindows(combo, &FindEdit, reinterpret_cast<LPARAM>(&edit));
    return edit ? edit : GetDlgItem(Dialog, edt1);
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    TFileDialogTyping* self = current_;
    if (!self) return;
    TSearch search;
    EnumThreadWindows(GetCurrentThreadId(), &FindDialog, reinterpret_cast<LPARAM>(&search));
    if (!search.Dialog) {
      self->typedInto_ = nullptr;
      return;
    }
    if (search.Dialog == self->typedInto_) {
      // Still up many ticks after Enter: the dialog refused the answer.
      if (++self->waited_ > 100) PostMessageW(search.Dialog, WM_COMMAND, IDCANCEL, 0);
      return;
    }
    if (self->typed_ >= static_cast<int>(self->answers_.size())) {
      PostMessageW(search.Dialog, WM_COMMAND, IDCANCEL, 0);
      return;
    }
    HWND box = NameBox(search.Dialog);
    wchar_t shown[1024] = {};
    GetWindowTextW(box, shown, 1024);
    self->Shown.push_back(shown);
    SendMessageW(box, EM_SETSEL, 0, -1);
    for (wchar_t c : self->answers_[static_cast<size_t>(self->typed_)]) PostMessageW(box, WM_CHAR, c, 1);
    PostMessageW(box, WM_KEYDOWN, VK_RETURN, 1);
    PostMessageW(box, WM_KEYUP, VK_RETURN, 0xC0000001);
    self->typedInto_ = search.Dialog;
    self->waited_ = 0;
    ++self->typed_;
  }

  static inline TFileDialogTyping* current_ = nullptr;
  std::vector<std::wstring> answers_;
  UINT_PTR timer_ = 0;
  HWND typedInto_ = nullptr;
  int typed_ = 0, waited_ = 0;
};
