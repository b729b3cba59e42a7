// Windowed controls and the keyboard: taking and losing the focus, and the key messages with
// their way through the form, dialog keys and accelerators.
#include "framework/Controls.h"

#include <algorithm>
#include <optional>

#include "framework/Application.h"
#include "framework/Forms.h"
#include "framework/PaintScopes.h"
#include "framework/Screen.h"
#include "framework/ScopeGuards.h"

// ---- focus ----

bool TWinControl::CanFocus() {
  TCustomForm* form = GetParentForm(this);
  TControl* stop = form;
  for (TControl* c = this; c && c != stop; c = c->Parent())
    if (!c->Visible() || !c->Enabled()) return false;
  return true;
}

bool TWinControl::Focused() { return handle_ && GetFocus() == handle_; }

void TWinControl::SetFocus() {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this)
    form->FocusControl(this);
  else
    ::SetFocus(Handle());
}

void TWinControl::RemoveFocus(bool Removing) {
  if (TCustomForm* form = GetParentForm(this)) form->DefocusControl(this, Removing);
}

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

void TWinControl::CMEnter(TMessage&) { DoEnter(); }

void TWinControl::CMExit(TMessage&) { DoExit(); }

void TWinControl::CMFocusChanged(TMessage& Message) { Broadcast(Message); }

void TWinControl::WMSetFocus(TMessage& Message) { DefaultHandler(Message); }

void TWinControl::WMKillFocus(TMessage& Message) { DefaultHandler(Message); }

// ---- keyboard ----

void TWinControl::KeyDown(Word& Key, TShiftState Shift) {
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyPress(wchar_t& Key) {
  if (OnKeyPress) OnKeyPress(this, Key);
}

void TWinControl::KeyUp(Word& Key, TShiftState Shift) {
  if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

bool TWinControl::DoKeyDown(TMessage& Message) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() && form->DoKeyDown(Message)) return true;
  if (ControlStyle().Contains(csNoStdEvents)) return false;
  Word key = static_cast<Word>(Message.WParam);
  KeyDown(key, KeyDataToShiftState(Message.LParam));
  if (key == 0) return true;
  Message.WParam = key;
  return false;
}

bool TWinControl::DoKeyPress(TMessage& Message) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() && form->DoKeyPress(Message)) return true;
  if (ControlStyle().Contains(csNoStdEvents)) return false;
  wchar_t ch = static_cast<wchar_t>(Message.WParam);
  KeyPress(ch);
  if (ch == 0) return true;
  Message.WParam = static_cast<WPARAM>(ch);
  return false;
}

bool TWinControl::DoKeyUp(TMessage& Message) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() && form->DoKeyUp(Message)) return true;
  if (ControlStyle().Contains(csNoStdEvents)) return false;
  Word key = static_cast<Word>(Message.WParam);
  KeyUp(key, KeyDataToShiftState(Message.LParam));
  if (key == 0) return true;
  Message.WParam = key;
  return false;
}

void TWinControl::WMKeyDown(TMessage& Message) {
  if (!DoKeyDown(Message)) DefaultHandler(Message);
}

void TWinControl::WMSysKeyDown(TMessage& Message) {
  if (!DoKeyDown(Message)) DefaultHandler(Message);
}

void TWinControl::WMKeyUp(TMessage& Message) {
  if (!DoKeyUp(Message)) DefaultHandler(Message);
}

void TWinControl::WMSysKeyUp(TMessage& Message) {
  if (!DoKeyUp(Message)) DefaultHandler(Message);
}

void TWinControl::WMChar(TMessage& Message) {
  if (!DoKeyPress(Message)) DefaultHandler(Message);
}

void TWinControl::WMGetDlgCode(TMessage& Message) { DefaultHandler(Message); }

// The message loop sends key messages here first (as CN_ messages): shortcuts of the form,
// then the keys of the dialog manager (Tab, arrows, Enter, Escape) unless the control wants
// them (WM_GETDLGCODE). A non-zero result means the key was taken.
void TWinControl::CNKeyDown(TMessage& Message) {
  Message.Result = 1;
  Word key = static_cast<Word>(Message.WParam);
  // Enter or Escape that the control takes for itself now (an open drop-down list closes on
  // them) is the control's before the form's shortcuts and dialog keys (a Cancel action on Esc).
  if ((key == VK_RETURN || key == VK_ESCAPE) && Perform(CM_WANTSPECIALKEY, key, Message.LParam) != 0) {
    Message.Result = 0;
    return;
  }
  TCustomForm* form = GetParentForm(this);
  if (form && form->IsShortCut(Message)) return;
  LRESULT mask = 0;
  switch (key) {
    case VK_TAB: mask = DLGC_WANTTAB; break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN: mask = DLGC_WANTARROWS; break;
    case VK_RETURN:
    case VK_EXECUTE:
    case VK_ESCAPE:
    case VK_CANCEL: mask = DLGC_WANTALLKEYS; break;
    default: break;
  }
  if (mask != 0) {
    if (Perform(CM_CHILDKEY, key, reinterpret_cast<LPARAM>(this)) != 0) return;
    if (Perform(CM_WANTSPECIALKEY, key, Message.LParam) == 0 && (Perform(WM_GETDLGCODE) & mask) == 0 && form &&
        form->Perform(CM_DIALOGKEY, key, Message.LParam) != 0)
      return;
  }
  Message.Result = 0;
}

void TWinControl::CNKeyUp(TMessage& Message) { Message.Result = 0; }

void TWinControl::CNChar(TMessage& Message) {
  Message.Result = 1;
  if ((Perform(WM_GETDLGCODE) & DLGC_WANTCHARS) == 0) {
    TCustomForm* form = GetParentForm(this);
    if (form && form->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam) != 0) return;
  }
  Message.Result = 0;
}

void TWinControl::CNSysKeyDown(TMessage& Message) {
  Message.Result = 1;
  TCustomForm* form = GetParentForm(this);
  if (form && form->IsShortCut(Message)) return;
  Message.Result = 0;
}

void TWinControl::CNSysChar(TMessage& Message) {
  Message.Result = 0;
  if (Message.WParam == VK_SPACE) return;  // Alt+Space opens the system menu
  TCustomForm* form = GetParentForm(this);
  if (form && form->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam) != 0) Message.Result = 1;
}

void TWinControl::CMDialogKey(TMessage& Message) { Broadcast(Message); }

void TWinControl::CMDialogChar(TMessage& Message) { Broadcast(Message); }

void TWinControl::CMChildKey(TMessage& Message) {
  if (parent_) Message.Result = parent_->Perform(CM_CHILDKEY, Message.WParam, Message.LParam);
}
