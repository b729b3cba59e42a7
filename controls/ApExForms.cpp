// The extended form bases.
#include "controls/ApExForms.h"

#include "framework/Screen.h"

HV_PUBLISH(TApExForm) {}
HV_PUBLISH(TApForm) {}

void TApExForm::CMShowingChanged(TMessage& Message) {
  if (Showing() && HandleAllocated()) SendMessageW(Handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_INITIALIZE, 0), 0);
  inherited::CMShowingChanged(Message);
}

void TApExForm::CMDialogKey(TMessage& Message) {
  if (HandleAllocated()) {
    switch (Message.WParam) {
      case VK_TAB:
      case VK_LEFT:
      case VK_RIGHT:
      case VK_UP:
      case VK_DOWN: SendMessageW(Handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0); break;
      case VK_MENU:
        SendMessageW(Handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
        break;
      default: break;
    }
  }
  inherited::CMDialogKey(Message);
}

void TApForm::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_MOUSEACTIVATE && !mouseActivate_) {
    Message.Result = MA_NOACTIVATE;
    return;
  }
  inherited::Dispatch(Message);
}

HWND TApForm::ChooseOwnerWindow() {
  HWND app = Application ? Application->Handle() : nullptr;
  if (FormStyle() == fsStayOnTop) return app;
  TCustomForm* active = Screen ? Screen->ActiveForm() : nullptr;
  if (active && active != this && active->FormState().Contains(fsModal) && active->HandleAllocated())
    return active->Handle();
  TCustomForm* main = Application ? Application->MainForm() : nullptr;
  if (main && main != this && main->HandleAllocated()) return main->Handle();
  return app;
}

void TApForm::CMShowingChanged(TMessage& Message) {
  if (Showing() && HandleAllocated()) {
    HWND wnd = Handle();
    HWND owner = ChooseOwnerWindow();
    if (owner != wnd && reinterpret_cast<HWND>(GetWindowLongPtrW(wnd, GWLP_HWNDPARENT)) != owner)
      SetWindowLongPtrW(wnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
    if (FormStyle() == fsStayOnTop)
      SetWindowPos(wnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
  }
  inherited::CMShowingChanged(Message);
}

int TApForm::ShowModal() {
  // A window enabled again just before would otherwise take its WM_ENABLE after this form's
  // modal loop disabled it, and come back enabled.
  MSG msg;
  while (PeekMessageW(&msg, nullptr, WM_ENABLE, WM_ENABLE, PM_REMOVE)) DispatchMessageW(&msg);
  return inherited::ShowModal();
}

void TApForm::ShowNoActivate(bool ActivateFirst) {
  if (ActivateFirst) Activate();
  SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  SetVisible(true);
}
