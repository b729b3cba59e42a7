// The single-instance component over the instance registry: the check at start-up, the query
// of the other copies, and the window that receives their messages and data.
#include "foundation/ApAppInstances.h"

#include "framework/UtilityWindow.h"

namespace {

// Only the first component of the process registers it.
bool firstComponent = true;

void RegisterWindowClass() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW existing{};
  if (GetClassInfoW(instance, TApAppInstances::WindowClassName, &existing)) return;
  WNDCLASSW wc{};
  wc.lpfnWndProc = &DefWindowProcW;
  wc.hInstance = instance;
  wc.lpszClassName = TApAppInstances::WindowClassName;
  if (!RegisterClassW(&wc)) RaiseLastOSError();
}

}  // namespace

TApAppInstances::TApAppInstances(TComponent* AOwner) : TComponent(AOwner) {
  // A designed component takes no messages of other copies: its form is only being edited.
  if (!ComponentState().Contains(csDesigning)) {
    RegisterWindowClass();
    // A hidden top-level window, so that the other copies find it when they enumerate windows.
    wnd_ = CreateWindowExW(0, WindowClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, GetModuleHandleW(nullptr),
                           nullptr);
    if (!wnd_) RaiseLastOSError();
    SetWindowLongPtrW(wnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(wnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TApAppInstances::WindowProc));
  }
  if (firstComponent) {
    firstComponent = false;
    SysAppInstances().CheckInstance(65535);
  }
}

TApAppInstances::~TApAppInstances() {
  if (wnd_) {
    SetWindowLongPtrW(wnd_, GWLP_USERDATA, 0);
    DestroyWindow(wnd_);
  }
}

LRESULT CALLBACK TApAppInstances::WindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto* self = reinterpret_cast<TApAppInstances*>(GetWindowLongPtrW(Wnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(Wnd, Msg, WParam, LParam);
  TMessage message{Msg, WParam, LParam, 0};
  try {
    self->WndProc(message);
  } catch (...) {
    HandleWindowException();
  }
  return message.Result;
}

void TApAppInstances::WndProc(TMessage& Message) {
  TSysAppInstances& registry = SysAppInstances();
  if (Message.Msg == registry.MessageID()) {
    const auto param = static_cast<DWORD>(Message.LParam);
    switch (Message.WParam) {
      case aiInstanceCreated:
        if (param != registry.CurrentProcessId()) DoInstanceCreated(param);
        break;
      case aiInstanceDestroyed: DoInstanceDestroyed(param); break;
      case aiUserNotify: DoUserNotify(static_cast<int>(Message.LParam)); break;
      case aiQueryActive: {
        HWND asker = reinterpret_cast<HWND>(Message.LParam);
        DWORD_PTR result = 0;
        if (IsWindow(asker))
          SendMessageTimeoutW(asker, registry.MessageID(), aiActiveAnswer, active_ ? 1 : 0,
                              SMTO_ABORTIFHUNG | SMTO_NORMAL, TSysAppInstances::SendTimeout, &result);
        break;
      }
      case aiActiveAnswer: active_ = Message.LParam != 0; break;
      default: break;
    }
    Message.Result = DefWindowProcW(wnd_, Message.Msg, Message.WParam, Message.LParam);
    return;
  }
  const int kind = TSysAppInstances::ReadMessageCheck(Message, wnd_);
  if (kind < 0) {
    Message.Result = DefWindowProcW(wnd_, Message.Msg, Message.WParam, Message.LParam);
    return;
  }
  if (kind == SysCmdLineDataKind) {
    if (OnCmdLineReceived) {
      TStringListW lines;
      TSysAppInstances::ReadMessageStrings(Message, &lines);
      DoCmdLineReceived(&lines);
    }
  } else if (OnDataAvailable) {
    uint32_t size = 0;
    std::unique_ptr<uint8_t[]> data = TSysAppInstances::ReadMessageData(Message, size);
    DoDataAvailable(kind, data.get(), size);
  }
  Message.Result = 1;
}

bool TApAppInstances::QueryOthersActive() {
  TSysAppInstances& registry = SysAppInstances();
  for (int i = 0; i < registry.InstanceCount() && active_; ++i) {
    if (registry.ProcessIDs(i) == registry.CurrentProcessId()) continue;
    HWND app = registry.AppWnds(i);
    if (!app) continue;
    // A copy that does not answer in time leaves the answer "active", so this one still goes.
    SysSendToThreadWindows(GetWindowThreadProcessId(app, nullptr), registry.MessageID(), aiQueryActive,
                           reinterpret_cast<LPARAM>(wnd_));
  }
  return active_;
}

void TApAppInstances::Loaded() {
  inherited::Loaded();
  // A form being edited never ends the process that edits it.
  if (!active_ || maxInstances_ < 1 || ComponentState().Contains(csDesigning)) return;
  TSysAppInstances& registry = SysAppInstances();
  if (registry.InstanceCount() <= maxInstances_ || !QueryOthersActive()) return;
  keepRunning_ = false;
  DoRejected();
  // A hand-over that reached nobody (the copy found was ending) leaves this copy running.
  if (keepRunning_) {
    keepRunning_ = false;
    return;
  }
  if (autoActivate_) registry.SwitchTo(0);
  int delivered = 1;
  if (sendCmdLine_) registry.SendCmdLineParams(WindowClassName, wnd_, &delivered);
  if (delivered == 0) return;
  // Nothing more of this copy runs: its entry stays listed until the next copy's check finds
  // its process ended.
  Terminate();
}

void TApAppInstances::Terminate() { ExitProcess(0); }

void TApAppInstances::DoInstanceCreated(DWORD ProcessId) {
  if (OnInstanceCreated) OnInstanceCreated(this, ProcessId);
}
void TApAppInstances::DoInstanceDestroyed(DWORD ProcessId) {
  if (OnInstanceDestroyed) OnInstanceDestroyed(this, ProcessId);
}
void TApAppInstances::DoUserNotify(int Param) {
  if (OnUserNotify) OnUserNotify(this, Param);
}
void TApAppInstances::DoDataAvailable(int Kind, const void* Data, uint32_t Size) {
  if (OnDataAvailable) OnDataAvailable(this, Kind, Data, Size);
}
void TApAppInstances::DoCmdLineReceived(TStringsW* CmdLine) {
  if (OnCmdLineReceived) OnCmdLineReceived(this, CmdLine);
}
void TApAppInstances::DoRejected() {
  if (OnRejected) OnRejected(this);
}

HV_PUBLISH(TApAppInstances) {
  p.Prop("Active", &T::Active, &T::SetActive).Default(1);
  p.Prop("AutoActivate", &T::AutoActivate, &T::SetAutoActivate).Default(1);
  p.Prop("MaxInstances", &T::MaxInstances, &T::SetMaxInstances).Default(1);
  p.Prop("SendCmdLine", &T::SendCmdLine, &T::SetSendCmdLine).Default(1);
  p.Event("OnInstanceCreated", &T::OnInstanceCreated);
  p.Event("OnInstanceDestroyed", &T::OnInstanceDestroyed);
  p.Event("OnUserNotify", &T::OnUserNotify);
  p.Event("OnDataAvailable", &T::OnDataAvailable);
  p.Event("OnCmdLineReceived", &T::OnCmdLineReceived);
  p.Event("OnRejected", &T::OnRejected);
}

namespace {
const bool registered = [] {
  RegisterClass(TApAppInstances::StaticClassInfo());
  return true;
}();
}  // namespace
