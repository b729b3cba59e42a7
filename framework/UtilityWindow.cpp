// The hidden message windows and the exception boundary of window procedures.
#include "framework/UtilityWindow.h"

#include <utility>

#include "framework/Exceptions.h"

namespace {

constexpr wchar_t className[] = L"VerdanUtilityWindow";

TWindowExceptionHandler windowExceptionHandler = nullptr;

void RegisterUtilityClass(WNDPROC proc) {
  static bool registered = false;
  if (registered) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = className;
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) RaiseLastOSError();
  registered = true;
}

}  // namespace

TWindowExceptionHandler SetWindowExceptionHandler(TWindowExceptionHandler Handler) {
  return std::exchange(windowExceptionHandler, Handler);
}

void HandleWindowException() noexcept {
  std::exception_ptr error = std::current_exception();
  if (!error || !windowExceptionHandler) return;
  try {
    windowExceptionHandler(error);
  } catch (...) {
    // The handler itself failed: there is nobody left to tell.
  }
}

TUtilityWindow::TUtilityWindow(THandler Handler) : handler_(std::move(Handler)) {
  RegisterUtilityClass(&TUtilityWindow::WindowProc);
  handle_ = CreateWindowExW(WS_EX_TOOLWINDOW, className, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                            GetModuleHandleW(nullptr), this);
  if (!handle_) RaiseLastOSError();
}

TUtilityWindow::~TUtilityWindow() {
  if (handle_) {
    // The handler must not see the messages of the destruction: its object is going.
    SetWindowLongPtrW(handle_, GWLP_USERDATA, 0);
    DestroyWindow(handle_);
  }
}

LRESULT CALLBACK TUtilityWindow::WindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (Msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(LParam);
    SetWindowLongPtrW(Wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<TUtilityWindow*>(GetWindowLongPtrW(Wnd, GWLP_USERDATA));
  if (Msg == WM_NCDESTROY) SetWindowLongPtrW(Wnd, GWLP_USERDATA, 0);
  if (self && self->handler_) {
    try {
      LRESULT result = 0;
      if (self->handler_(Msg, WParam, LParam, result)) return result;
    } catch (...) {
      HandleWindowException();
      return 0;
    }
  }
  return DefWindowProcW(Wnd, Msg, WParam, LParam);
}
