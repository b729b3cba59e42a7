// The hook registry, the dispatcher and the deferred releaser.
#include "foundation/ApWndHook.h"

#include <algorithm>
#include <memory>

#include "foundation/ApUtilWindow.h"
#include "framework/FormFiles.h"
#include "framework/Forms.h"
#include "framework/UtilityWindow.h"

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

TApHookInfos::TApHookInfos(TApWndProcHook* Registry, TControl* Control) : control_(Control), registry_(Registry) {
  ++liveInfos;
}

TApHookInfos::~TApHookInfos() {
  if (!destroyed_ && hooked_) {
    unhookPending_ = false;
    levels_.clear();
    Unhook();
    // Still in the chain behind someone else's procedure: the window's own property passes
    // its messages on from now on.
    if (hooked_ && !control_ && IsWindow(handle_)) RemovePropW(handle_, kHookProp);
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

bool TApHookInfos::ControlGoing() const { return control_ && control_->ComponentState().Contains(csDestroying); }

void TApHookInfos::Hook() {
  unhookPending_ = false;
  if (hooked_ || destroyed_) return;
  if (control_) {
    if (ControlGoing()) return;
    savedMethod_ = control_->WindowProc;
    control_->WindowProc = TWndMethod(this, &TApHookInfos::ControlDispatch);
    hooked_ = true;
    return;
  }
  if (!IsWindow(handle_)) return;
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
  // The dispatcher that is running still calls what it replaced.
  if (!levels_.empty()) {
    unhookPending_ = true;
    return;
  }
  if (control_) {
    // A control on its way out is not touched; someone else's method in front of ours stays
    // in front, and ours passes messages on.
    if (ControlGoing() || !(control_->WindowProc == TWndMethod(this, &TApHookInfos::ControlDispatch))) return;
    control_->WindowProc = savedMethod_;
    savedMethod_ = nullptr;
    hooked_ = false;
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
  savedMethod_ = nullptr;
  hooked_ = false;
  if (registry_) registry_->Detach(this);
  registry_ = nullptr;
  ReleaseObj(this);
}

bool TApHookInfos::Walk(size_t ALevel, int Chain, TApHookMessage& Msg) {
  while (Node* n = levels_[ALevel].Cursor[Chain]) {
    levels_[ALevel].Cursor[Chain] = n->Next;  // moved first: the handler may remove itself
    TApHookHandler handler = n->Handler;      // the node may be freed during the call
    if (handler(Msg) || destroyed_) return true;
  }
  return false;
}

template <class Own>
void TApHookInfos::Run(TApHookMessage& Msg, Own AOwn) {
  Msg.Result = 0;
  const size_t level = levels_.size();
  levels_.push_back(Level{{first_[0], nullptr}});
  // Also when a handler raises: a level left behind would hold every later unhook back.
  struct TPop {
    std::vector<Level>& Levels;
    ~TPop() { Levels.pop_back(); }
  } pop{levels_};
  if (!Walk(level, hoBeforeMsg, Msg)) {
    AOwn(Msg);
    if (!destroyed_) {
      levels_[level].Cursor[hoAfterMsg] = first_[hoAfterMsg];
      Walk(level, hoAfterMsg, Msg);
    }
  }
}

void TApHookInfos::FinishDispatch() {
  if (levels_.empty() && unhookPending_) {
    unhookPending_ = false;
    if (Empty()) Unhook();
  }
}

LRESULT TApHookInfos::Dispatch(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  TApHookMessage m{Msg, WParam, LParam, 0};
  // No exception crosses the window procedure: it goes to the application's handling, and
  // the window's last message still lets the record go.
  try {
    Run(m, [&](TApHookMessage& msg) {
      WNDPROC saved = savedProc_;
      msg.Result = saved ? CallWindowProcW(saved, Wnd, Msg, WParam, LParam) : DefWindowProcW(Wnd, Msg, WParam, LParam);
    });
  } catch (...) {
    HandleWindowException();
  }
  // The window's last message: give the procedure back while the window still answers, and
  // let the record go.
  if (Msg == WM_NCDESTROY && !destroyed_) {
    if (CurrentProc(Wnd) == &HookWndProc && savedProc_)
      SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(savedProc_));
    RemovePropW(Wnd, kHookProp);
    RemovePropW(Wnd, kSavedProp);
    MarkDestroyed();
  } else {
    FinishDispatch();
  }
  return m.Result;
}

// An exception goes on to the control's window procedure, which hands it to the application;
// an unhook held back meanwhile still happens.
void TApHookInfos::ControlDispatch(TMessage& Message) {
  struct TFinish {
    TApHookInfos& Infos;
    ~TFinish() { Infos.FinishDispatch(); }
  } finish{*this};
  Run(Message, [this](TApHookMessage& msg) {
    TWndMethod saved = savedMethod_;  // the record may be released by the call
    if (saved) saved(msg);
  });
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

TApHookInfos* TApWndProcHook::Find(const TControl* Control) const {
  for (TApHookInfos* i : infos_)
    if (i->Control() == Control) return i;
  return nullptr;
}

TApHookInfos* TApWndProcHook::FindOrCreate(HWND Handle) {
  if (TApHookInfos* i = Find(Handle)) return i;
  infos_.push_back(new TApHookInfos(this, Handle));
  return infos_.back();
}

TApHookInfos* TApWndProcHook::FindOrCreate(TControl* Control) {
  if (TApHookInfos* i = Find(Control)) return i;
  infos_.push_back(new TApHookInfos(this, Control));
  FreeNotification(Control);
  return infos_.back();
}

void TApWndProcHook::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  for (TApHookInfos* i : std::vector<TApHookInfos*>(infos_))
    if (i->Control() && static_cast<TComponent*>(i->Control()) == AComponent) i->MarkDestroyed();
}

void TApWndProcHook::Detach(TApHookInfos* Infos) {
  infos_.erase(std::remove(infos_.begin(), infos_.end(), Infos), infos_.end());
}

HV_PUBLISH(TApWndProcHook) {}

TApWndProcHook& WndProcHookRegistry() {
  auto& r = RegistryHolder();
  if (!r) r = std::make_unique<TApWndProcHook>();
  return *r;
}

bool RegisterWndProcHook(TControl* Control, const TApHookHandler& Handler, TApHookOrder Order) {
  if (!Control || Control->ComponentState().Contains(csDestroying) || !Handler) return false;
  TApHookInfos* infos = WndProcHookRegistry().FindOrCreate(Control);
  infos->Add(Handler, Order);
  infos->Hook();
  return true;
}

bool UnRegisterWndProcHook(TControl* Control, const TApHookHandler& Handler, TApHookOrder Order) {
  if (!Control || !Handler || !RegistryHolder()) return false;
  TApHookInfos* infos = RegistryHolder()->Find(Control);
  if (!infos) return false;
  infos->Remove(Handler, Order);
  if (infos->Empty()) infos->Unhook();
  return true;
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

// ---------------------------------------------------------------------------------------------
// TApWindowHook

TApWindowHook::TApWindowHook(TComponent* AOwner) : TComponent(AOwner) {}

TApWindowHook::~TApWindowHook() {
  SetActive(false);
  SetControl(nullptr);
}

// A designed hook keeps its settings but hooks nothing: the designer owns the messages of the
// forms it edits. Taking handlers out stays allowed, so none outlives the hook.
bool TApWindowHook::MayRegister() const { return !ComponentState().Contains(csDesigning); }

void TApWindowHook::SetActive(bool Value) {
  if (Value == active_) return;
  if (Value) {
    if (MayRegister()) {
      if (afterMessage_) RegisterWndProcHook(control_, AfterHandler(), hoAfterMsg);
      if (beforeMessage_) RegisterWndProcHook(control_, BeforeHandler(), hoBeforeMsg);
    }
  } else {
    if (afterMessage_) UnRegisterWndProcHook(control_, AfterHandler(), hoAfterMsg);
    if (beforeMessage_) UnRegisterWndProcHook(control_, BeforeHandler(), hoBeforeMsg);
  }
  active_ = Value;
}

void TApWindowHook::SetBeforeMessage(const TApHookMessageEvent& Value) {
  if (active_) {
    if (Value && !beforeMessage_ && MayRegister())
      RegisterWndProcHook(control_, BeforeHandler(), hoBeforeMsg);
    else if (!Value && beforeMessage_)
      UnRegisterWndProcHook(control_, BeforeHandler(), hoBeforeMsg);
  }
  beforeMessage_ = Value;
}

void TApWindowHook::SetAfterMessage(const TApHookMessageEvent& Value) {
  if (active_) {
    if (Value && !afterMessage_ && MayRegister())
      RegisterWndProcHook(control_, AfterHandler(), hoAfterMsg);
    else if (!Value && afterMessage_)
      UnRegisterWndProcHook(control_, AfterHandler(), hoAfterMsg);
  }
  afterMessage_ = Value;
}

void TApWindowHook::SetControl(TControl* Value) {
  if (Value == control_) return;
  const bool wasActive = active_;
  SetActive(false);
  if (control_) RemoveFreeNotification(control_);
  if (Value && Value->ComponentState().Contains(csDestroying)) {
    control_ = nullptr;
    return;
  }
  control_ = Value;
  if (control_) FreeNotification(control_);
  SetActive(wasActive);
}

bool TApWindowHook::IsForm() const {
  return control_ && static_cast<TComponent*>(control_) == Owner() && dynamic_cast<TCustomForm*>(Owner());
}

bool TApWindowHook::DoBeforeMessage(TMessage& Msg) {
  bool handled = false;
  if (beforeMessage_) beforeMessage_(this, Msg, handled);
  return handled;
}

bool TApWindowHook::DoAfterMessage(TMessage& Msg) {
  bool handled = false;
  if (afterMessage_) afterMessage_(this, Msg, handled);
  return handled;
}

void TApWindowHook::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent &&
      (AComponent == static_cast<TComponent*>(control_) || AComponent == Owner()))
    SetControl(nullptr);
}

void TApWindowHook::DefineProperties(TFiler* Filer) {
  TComponent::DefineProperties(Filer);
  auto* ancestor = dynamic_cast<TApWindowHook*>(Filer->Ancestor());
  const bool hasData = ancestor ? ancestor->IsForm() != IsForm() : IsForm();
  Filer->DefineProperty(
      "IsForm",
      [this](TReader& reader) {
        if (reader.ReadBoolean())
          if (auto* form = dynamic_cast<TCustomForm*>(Owner())) SetControl(form);
      },
      [this](TWriter& writer) { writer.WriteBoolean(IsForm()); }, hasData);
}

HV_PUBLISH(TApWindowHook) {
  p.Prop("Active", &T::Active, &T::SetActive).Default(true);
  p.Prop("Control", &T::Control, &T::SetControl).Stored(&T::IsControlStored);
  p.Event("BeforeMessage", &T::BeforeMessage, &T::SetBeforeMessage);
  p.Event("AfterMessage", &T::AfterMessage, &T::SetAfterMessage);
}

namespace {
// Form files create window hooks by class name.
const bool registered = [] {
  RegisterClass(TApWindowHook::StaticClassInfo());
  return true;
}();
}  // namespace
