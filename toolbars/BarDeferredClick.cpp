// The per-thread window that runs deferred clicks.
#include "toolbars/BarDeferredClick.h"

#include <vector>

#include "framework/Application.h"
#include "toolbars/BarItem.h"
#include "toolbars/BarItemViewer.h"

namespace {

// A slot whose object was withdrawn while its message is still queued: it stays taken until
// that message arrives, so that the message cannot act on an object queued later in its place.
TObject* const Withdrawn = reinterpret_cast<TObject*>(1);

struct Registry {
  int Users = 0;
  HWND Window = nullptr;
  std::vector<TObject*> Slots;

  ~Registry() {
    if (Window) DestroyWindow(Window);
  }
};

thread_local Registry registry;

void TrimSlots() {
  while (!registry.Slots.empty() && registry.Slots.back() == nullptr) registry.Slots.pop_back();
}

LRESULT CALLBACK DeferredClickProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != WM_BAR_DEFERREDCLICK) return DefWindowProcW(wnd, msg, wParam, lParam);
  if (lParam < 0 || lParam >= static_cast<LPARAM>(registry.Slots.size())) return 0;
  TObject* object = registry.Slots[static_cast<size_t>(lParam)];
  registry.Slots[static_cast<size_t>(lParam)] = nullptr;
  TrimSlots();
  if (!object || object == Withdrawn) return 0;
  try {
    if (auto* item = dynamic_cast<TBarCustomItem*>(object))
      item->DoClick();
    else if (auto* viewer = dynamic_cast<TBarItemViewer*>(object))
      viewer->QueueAccFocus(wParam != 0);
  } catch (...) {
    if (Application) Application->HandleException(nullptr);
  }
  return 0;
}

HWND EnsureWindow() {
  if (registry.Window) return registry.Window;
  static const wchar_t* const className = L"HvBarDeferredClick";
  WNDCLASSW wc{};
  wc.lpfnWndProc = DeferredClickProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = className;
  RegisterClassW(&wc);
  registry.Window = CreateWindowExW(0, className, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
  return registry.Window;
}

}  // namespace

void RegisterDeferredClickUser() { ++registry.Users; }

void UnregisterDeferredClickUser() {
  if (registry.Users > 0 && --registry.Users == 0) {
    if (registry.Window) DestroyWindow(registry.Window);
    registry.Window = nullptr;
    registry.Slots.clear();
    registry.Slots.shrink_to_fit();
  }
}

void QueueClick(TObject* AObject, WPARAM AParam) {
  HWND wnd = EnsureWindow();
  if (!wnd || !AObject) return;
  size_t slot = 0;
  while (slot < registry.Slots.size() && registry.Slots[slot] != nullptr) ++slot;
  if (slot == registry.Slots.size())
    registry.Slots.push_back(AObject);
  else
    registry.Slots[slot] = AObject;
  PostMessageW(wnd, WM_BAR_DEFERREDCLICK, AParam, static_cast<LPARAM>(slot));
}

void CancelQueuedClicks(TObject* AObject) {
  for (TObject*& slot : registry.Slots)
    if (slot == AObject) slot = Withdrawn;
}

HWND DeferredClickWindow() { return registry.Window; }

int DeferredClickSlotCount() { return static_cast<int>(registry.Slots.size()); }
