// The hook registry, the dispatcher and the deferred releaser.
#include "foundation/ApWndHook.h"

#include <algorithm>
#include <memory>

#include "foundation/ApUtilWindow.h"

namespace {

// The record of a hooked window is found through a property of the window itself.
const wchar_t kHookProp[] = L"ApHookInfos";
// The procedure the dispatcher replaced, kept with the window so that messages still reach it
// when the record is gone but someone else's procedure in front of ours still calls ours.
const wchar_t kSavedProp[] = L"ApHookSavedProc";
// Posted to the releaser's window with the object to free in wParam.
constexpr UINT kReleaseMessage = 0xB021;

int liveInfos = 0;

LRESULT CALLBACK HookWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (auto* infos = static_cast<TApHookInfos*>(GetPropW(wnd, kHookProp)))
    return infos->Dispatch(wnd, msg, wParam, lParam);
  auto saved = reinterpret_cast<WNDPROC>(GetPropW(wnd, kSavedProp));
  if (msg == WM_NCDESTROY) RemovePropW(wnd, kSavedProp);
  return saved ? CallWindowProcW(saved, wnd, msg, wParam, lParam) : DefWindowProcW(wnd, msg, wParam, lParam);
}

WNDPROC CurrentProc(HWND wnd) { return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(wnd, GWLP_WNDPROC)); }

// The releaser: a utility window and the objects waiting for their release message.
class TApReleaser {
 public:
  TApReleaser() : window_(TApUtilWindowMethod(this, &TApReleaser::WindowMethod)) {}
  ~TApReleaser() {
    window_.Reset();
    for (TObject* obj : waiting_) delete obj;
  }

  void Release(TObject* obj) {
    if (!obj || std::find(waiting_.begin(), waiting_.end(), obj) != waiting_.end()) return;
    waiting_.push_back(obj);
    PostMessageW(window_.Handle(), kReleaseMessage, reinterpret_cast<WPARAM>(obj), 0);
  }
  int Pending() const { return static_cast<int>(waiting_.size()); }

 private:
  void WindowMethod(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg != kReleaseMessage) {
      result = DefWindowProcW(window_.Handle(), msg, wParam, lParam);
      return;
    }
    auto* obj = reinterpret_cast<TObject*>(wParam);
    auto it = std::find(waiting_.begin(), waiting_.end(), obj);
    if (it == waiting_.end()) return;  // freed already, with the releaser that posted it
    waiting_.erase(it);
    delete obj;
  }

  TApUtilWindow window_;
  std::vector<TObject*> waiting_;
};

std::unique_ptr<TApWndProcHook>& RegistryHolder() {
  static std::unique_ptr<TApWndProcHook> registry;
  return registry;
}

std::unique_ptr<TApReleaser>& ReleaserHolder() {
  static std::unique_ptr<TApReleaser> releaser;
  return releaser;
}

// Both go at the end of the process, the registry first (its records may go to the releaser).
struct TFinalizer {
  ~TFinalizer() { FinalizeWndProcHooks(); }
} finalizer;

}  // namespace

// ---------------------------------------------------------------------------------------------
// TApHookInfos

TApHookInfos::TApHookInfos(TApWndProcHook* Registry, HWND Handle) : handle_(Handle), registry_(Registry) {
  ++liveInfos;
}

TApHookInfos::~TApHookInfos() {
  if (!destroyed_ && hooked_) {
    unhookPending_ = false;
    levels_.clear();
    Unhook();
    // Still in the chain behind someone else's procedure: the window's own property passes
    // its messages on from now on.
    if (hooked_ && IsWindow(handle_)) RemovePropW(handle_, kHookProp);
  }
  for (Node* chain : first_)
    while (chain) {
      Node* next = chain->Next;
      delete chain;
      chain = next;
    }
  --liveInfos;
}

int TApHookInfos::LiveCount() { return liveInfos; }

void TApHookInfos::Add(const TApHookHandler& Handler, TApHookOrder Order) {
  auto* node = new Node{Handler, nullptr};
  const int c = Order;
  if (last_[c])
    last_[c]->Next = node;
  else
    first_[c] = node;
  last_[c] = node;
  // A running dispatch whose walk of this chain has run out sees the new handler still.
  for (Level& level : levels_)
    if (!level.Cursor[c]) level.Cursor[c] = node;
}

bool TApHookInfos::Remove(const TApHookHandler& Handler, TApHookOrder Order) {
  const int c = Order;
  Node* prev = nullptr;
  for (Node* n = first_[c]; n; prev = n, n = n->Next) {
    if (!(n->Handler == Handler)) continue;
    (prev ? prev->Next : first_[c]) = n->Next;
    if (last_[c] == n) last_[c] = prev;
    for (Level& level : levels_)
      if (level.Cursor[c] == n) level.Cursor[c] = n->Next;
    delete n;
    return true;
  }
  return false;
}

void TApHookInfos::Hook() {
  unhookPending_ = false;
  if (hooked_ || destroyed_ || !IsWindow(handle_)) return;
  // A dispatcher left behind as a pass-through is replaced, not chained to itself.
  savedProc_ = CurrentProc(handle_);
  if (savedProc_ == &HookWndProc) savedProc_ = reinterpret_cast<WNDPROC>(GetPropW(handle_, kSavedProp));
  SetPropW(handle_, kHookProp, this);
  SetPropW(handle_, kSavedProp, reinterpret_cast<HANDLE>(savedProc_));
  SetWindowLongPtrW(handle_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HookWndProc));
  hooked_ = true;
}

void TApHookInfos::Unhook() {
  if (!hooked_ || destroyed_) return;
  // The dispatcher that is running still calls the saved procedure.
  if (!levels_.empty()) {
    unhookPending_ = true;
    return;
  }
  // Someone put a procedure of their own in front of ours after us: restoring would cut it
  // out (and its own restore would later bring back a procedure that is gone), so the
  // dispatcher stays and passes every message on.
  if (IsWindow(handle_) && CurrentProc(handle_) != &HookWndProc) return;
  if (IsWindow(handle_)) {
    SetWindowLongPtrW(handle_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(savedProc_));
    RemovePropW(handle_, kHookProp);
    RemovePropW(handle_, kSavedProp);
  }
  savedProc_ = nullptr;
  hooked_ = false;
}

void TApHookInfos::MarkDestroyed() {
  if (destroyed_) return;
  destroyed_ = true;
  savedProc_ = nullptr;
  hooked_ = false;
  if (registry_) registry_->Detach(this);
  registry_ = nullptr;
  ReleaseObj(this);
}

bool TApHookInfos::Walk(size_t level, int chain, TApHookMessage& Msg) {
  while (Node* n = levels_[level].Cursor[chain]) {
    levels_[level].Cursor[chain] = n->Next;  // moved first: the handler may remove itself
    TApHookHandler handler = n->Handler;     // the node may be freed during the call
    if (handler(Msg) || destroyed_) return true;
  }
  return false;
}

LRESULT TApHookInfos::Dispatch(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  TApHookMessage m{Msg, WParam, LParam, 0};
  const size_t level = levels_.size();
  levels_.push_back(Level{{first_[0], nullptr}});
  bool handled = Walk(level, hoBeforeMsg, m);
  if (!handled) {
    WNDPROC saved = savedProc_;
    m.Result = saved ? CallWindowProcW(saved, Wnd, Msg, WParam, LParam) : DefWindowProcW(Wnd, Msg, WParam, LParam);
    if (!destroyed_) {
      levels_[level].Cursor[hoAfterMsg] = first_[hoAfterMsg];
      Walk(level, hoAfterMsg, m);
    }
  }
  levels_.pop_back();
  // The window's last message: give the procedure back while the window still answers, and
  // let the record go.
  if (Msg == WM_NCDESTROY && !destroyed_) {
    if (CurrentProc(Wnd) == &HookWndProc && savedProc_)
      SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(savedProc_));
    RemovePropW(Wnd, kHookProp);
    RemovePropW(Wnd, kSavedProp);
    MarkDestroyed();
  } else if (levels_.empty() && unhookPending_) {
    unhookPending_ = false;
    if (Empty()) Unhook();
  }
  return m.Result;
}

HV_PUBLISH(TApHookInfos) {}

// ---------------------------------------------------------------------------------------------
// The registry

TApWndProcHook::TApWndProcHook() : TComponent(nullptr) {}

TApWndProcHook::~TApWndProcHook() {
  // At the end of the process: windows still hooked get their procedures back.
  std::vector<TApHookInfos*> infos;
  infos.swap(infos_);
  for (TApHookInfos* i : infos) delete i;
}

TApHookInfos* TApWndProcHook::Find(HWND Handle) const {
  for (TApHookInfos* i : infos_)
    if (i->Handle() == Handle) return i;
  return nullptr;
}

TApHookInfos* TApWndProcHook::FindOrCreate(HWND Handle) {
  if (TApHookInfos* i = Find(Handle)) return i;
  infos_.push_back(new TApHookInfos(this, Handle));
  return infos_.back();
}

void TApWndProcHook::Detach(TApHookInfos* Infos) { infos_.erase(std::remove(infos_.begin(), infos_.end(), Infos), infos_.end()); }

HV_PUBLISH(TApWndProcHook) {}

TApWndProcHook& WndProcHookRegistry() {
  auto& r = RegistryHolder();
  if (!r) r = std::make_unique<TApWndProcHook>();
  return *r;
}

bool RegisterWndProcHook(HWND Handle, const TApHookHandler& Handler, TApHookOrder Order) {
  if (!Handle || !IsWindow(Handle) || !Handler) return false;
  TApHookInfos* infos = WndProcHookRegistry().FindOrCreate(Handle);
  infos->Add(Handler, Order);
  infos->Hook();
  return true;
}

bool UnRegisterWndProcHook(HWND Handle, const TApHookHandler& Handler, TApHookOrder Order) {
  if (!Handle || !Handler || !RegistryHolder()) return false;
  TApHookInfos* infos = RegistryHolder()->Find(Handle);
  if (!infos) return false;
  infos->Remove(Handler, Order);
  if (infos->Empty()) infos->Unhook();
  return true;
}

void ReleaseObj(TObject* Obj) {
  auto& r = ReleaserHolder();
  if (!r) r = std::make_unique<TApReleaser>();
  r->Release(Obj);
}

int PendingReleaseCount() { return ReleaserHolder() ? ReleaserHolder()->Pending() : 0; }

void FinalizeWndProcHooks() {
  RegistryHolder().reset();
  ReleaserHolder().reset();
}
