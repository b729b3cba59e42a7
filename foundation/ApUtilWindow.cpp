// The "TPUtilWindowEx" utility window.
#include "foundation/ApUtilWindow.h"

#include "framework/Exceptions.h"
#include "framework/UtilityWindow.h"

namespace {

const wchar_t kClassName[] = L"TPUtilWindowEx";

// The method lives on the heap; its address sits in the window's extra bytes.
TApUtilWindowMethod* MethodOf(HWND wnd) { return reinterpret_cast<TApUtilWindowMethod*>(GetWindowLongPtrW(wnd, 0)); }

LRESULT CALLBACK UtilWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  TApUtilWindowMethod* method = MethodOf(wnd);
  if (!method || !*method) return DefWindowProcW(wnd, msg, wParam, lParam);
  LRESULT result = 0;
  try {
    TApUtilWindowMethod call = *method;  // the window may be deallocated by the call
    call(msg, wParam, lParam, result);
  } catch (...) {
    // No exception may leave a window procedure: the application's handling reports it.
    HandleWindowException();
  }
  return result;
}

void RegisterUtilClass() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW existing{};
  if (GetClassInfoW(instance, kClassName, &existing)) {
    if (existing.lpfnWndProc == DefWindowProcW) return;
    UnregisterClassW(kClassName, instance);
  }
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.cbWndExtra = 8;
  wc.hInstance = instance;
  wc.lpszClassName = kClassName;
  if (!RegisterClassW(&wc)) RaiseLastOSError();
}

}  // namespace

HWND AllocateUtilWindow(const TApUtilWindowMethod& Method) {
  RegisterUtilClass();
  HWND wnd = CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  if (!wnd) RaiseLastOSError();
  if (Method) {
    SetWindowLongPtrW(wnd, 0, reinterpret_cast<LONG_PTR>(new TApUtilWindowMethod(Method)));
    SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&UtilWndProc));
  }
  return wnd;
}

void DeallocateUtilWindow(HWND Wnd) {
  if (!Wnd || !IsWindow(Wnd)) return;
  TApUtilWindowMethod* method = MethodOf(Wnd);
  SetWindowLongPtrW(Wnd, 0, 0);
  DestroyWindow(Wnd);
  delete method;
}

TApUtilWindow& TApUtilWindow::operator=(TApUtilWindow&& O) noexcept {
  if (this != &O) {
    Reset();
    wnd_ = O.wnd_;
    O.wnd_ = nullptr;
  }
  return *this;
}

void TApUtilWindow::Reset() {
  DeallocateUtilWindow(wnd_);
  wnd_ = nullptr;
}
