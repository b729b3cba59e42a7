// The link between a control window and its control, and the window procedure that follows it.
#include "framework/WindowLink.h"

#include "framework/Controls.h"

namespace {

// The control pointer is stored in a property of its window at WM_NCCREATE and removed at
// WM_NCDESTROY. The system keeps the property's name as a global atom that lives exactly as
// long as some window has the property, also at the very end of the program.
const wchar_t kLinkName[] = L"HalcornVerdan.Control";

TWinControl* creatingControl = nullptr;

}  // namespace

void LinkWindow(HWND Wnd, TWinControl* Control) { SetPropW(Wnd, kLinkName, Control); }

void UnlinkWindow(HWND Wnd) { RemovePropW(Wnd, kLinkName); }

TWinControl* LinkedControl(HWND Wnd) { return static_cast<TWinControl*>(GetPropW(Wnd, kLinkName)); }

TWindowCreation::TWindowCreation(TWinControl* Control) : saved_(creatingControl) { creatingControl = Control; }

TWindowCreation::~TWindowCreation() { creatingControl = saved_; }

LRESULT CALLBACK ControlWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  TWinControl* control = LinkedControl(Wnd);
  if (!control) {
    if (Msg == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(LParam);
      control = static_cast<TWinControl*>(create->lpCreateParams);
      if (!control) control = creatingControl;
      if (control) control->AttachHandle(Wnd);
    }
    if (!control) {
      // Messages before WM_NCCREATE (WM_GETMINMAXINFO) go to the default procedure.
      if (creatingControl && creatingControl->DefWndProc())
        return CallWindowProcW(creatingControl->DefWndProc(), Wnd, Msg, WParam, LParam);
      return DefWindowProcW(Wnd, Msg, WParam, LParam);
    }
  }
  TMessage message;
  message.Msg = Msg;
  message.WParam = WParam;
  message.LParam = LParam;
  if (Msg == WM_DESTROY) control->WindowDestroying();
  control->MainWndProc(message);
  if (Msg == WM_NCDESTROY) control->DetachHandle();
  return message.Result;
}

TWinControl* FindControl(HWND Handle) {
  if (!Handle) return nullptr;
  DWORD process = 0;
  GetWindowThreadProcessId(Handle, &process);
  if (process != GetCurrentProcessId()) return nullptr;
  return LinkedControl(Handle);
}
