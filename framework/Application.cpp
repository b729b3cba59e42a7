// The application object: its window, the message loop and idle work, hints, exceptions and
// message boxes.
#include "framework/Application.h"

#include <algorithm>
#include <bitset>

#include "framework/DragDrop.h"
#include "framework/Forms.h"
#include "framework/HintWindow.h"
#include "framework/Menus.h"
#include "framework/Screen.h"
#include "framework/ScopeGuards.h"
#include "framework/SystemHandles.h"
#include "framework/UtilityWindow.h"

TApplication* Application = nullptr;

namespace {

const wchar_t kWindowClass[] = L"TApplication";
constexpr UINT_PTR kHintTimer = 1;

// Exceptions of the framework's other windows (timers, menus, utility windows) end up here.
void WindowExceptionToApplication(std::exception_ptr error) {
  if (!Application || !error) return;
  try {
    std::rethrow_exception(error);
  } catch (...) {
    Application->HandleException(Application);
  }
}

void MenuHintToApplication(const WideString& hint) {
  if (Application) Application->SetHint(hint);
}

// The system puts a message box in the middle of the screen whatever asks it; a prompt belongs
// over the window that asks it. The box is moved as it is first activated, before it is drawn.
struct TCentredBox {
  HWND Over = nullptr;
  THookHandle Hook;
};
thread_local TCentredBox* centredBox = nullptr;

LRESULT CALLBACK centreMessageBox(int Code, WPARAM WParam, LPARAM LParam) {
  TCentredBox* box = centredBox;
  const LRESULT next = CallNextHookEx(box ? box->Hook.Get() : nullptr, Code, WParam, LParam);
  wchar_t name[8] = {};
  HWND wnd = reinterpret_cast<HWND>(WParam);
  if (box && Code == HCBT_ACTIVATE && box->Over && GetClassNameW(wnd, name, 8) && lstrcmpW(name, L"#32770") == 0) {
    RECT over, own;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (GetWindowRect(box->Over, &over) && GetWindowRect(wnd, &own) &&
        GetMonitorInfoW(MonitorFromWindow(box->Over, MONITOR_DEFAULTTONEAREST), &monitor)) {
      const TRect place =
          CentredOver({own.right - own.left, own.bottom - own.top}, ToTRect(over), ToTRect(monitor.rcWork));
      SetWindowPos(wnd, nullptr, place.Left, place.Top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    box->Over = nullptr;  // once: later activations are the user's
  }
  return next;
}

class TSystemMessageBox : public TMessageBoxHandler {
 public:
  int Show(HWND Owner, const WideString& Text, const WideString& Caption, UINT Flags) override {
    TCentredBox box;
    // Only over a window the user sees; a box of a hidden window keeps its own place.
    if (!centredBox && Owner && IsWindowVisible(Owner) && !IsIconic(Owner)) {
      box.Over = Owner;
      box.Hook = THookHandle(WH_CBT, centreMessageBox);
      if (box.Hook) centredBox = &box;
    }
    TScopeExit forget([&] {
      if (centredBox == &box) centredBox = nullptr;
    });
    return MessageBoxW(Owner, Text.c_str(), Caption.c_str(), Flags);
  }
};

// The hint of a control, or of the nearest parent that has one.
WideString HintOf(TControl* control) {
  for (; control; control = control->Parent())
    if (!control->Hint().empty()) return control->Hint();
  return WideString();
}

// The control whose hint shows: the first one up the parents that shows hints.
TControl* HintControlOf(TControl* control) {
  while (control && !control->ShowHint()) control = control->Parent();
  return control;
}

WideString FileTitle(const WideString& path) {
  size_t slash = path.find_last_of(L"\\/");
  WideString name = slash == WideString::npos ? path : path.substr(slash + 1);
  size_t dot = name.find_last_of(L'.');
  return dot == WideString::npos ? name : name.substr(0, dot);
}

// The global Application and Screen live from the start of the program to its end.
struct TFormsUnit {
  TFormsUnit() {
    Screen = new TScreen(nullptr);
    Application = new TApplication(nullptr);
  }
  ~TFormsUnit() {
    delete Application;
    Application = nullptr;
    delete Screen;
    Screen = nullptr;
  }
} formsUnit;

}  // namespace

TRect CentredOver(const TSize& Box, const TRect& Over, const TRect& WorkArea) {
  const int w = static_cast<int>(Box.cx), h = static_cast<int>(Box.cy);
  int left = Over.Left + (Over.Width() - w) / 2, top = Over.Top + (Over.Height() - h) / 2;
  left = std::max(std::min(left, WorkArea.Right - w), WorkArea.Left);
  top = std::max(std::min(top, WorkArea.Bottom - h), WorkArea.Top);
  return {left, top, left + w, top + h};
}

WideString GetShortHint(const WideString& Hint) {
  size_t bar = Hint.find(L'|');
  return bar == WideString::npos ? Hint : Hint.substr(0, bar);
}

WideString GetLongHint(const WideString& Hint) {
  size_t bar = Hint.find(L'|');
  return bar == WideString::npos ? Hint : Hint.substr(bar + 1);
}

// ---- the application ----

HV_PUBLISH(TApplication) {}

namespace {

// A key still held when the window that took its press is gone (the Alt+F4 that closed the copy
// before; under Wine its key-ups may even be lost with that window, and the key repeats on)
// reaches the next window with the focus as repeats of a press it never saw: a copy started
// right after would close at once, and every message box it shows with it. A repeat counts only
// once this thread saw the key go down; the hook sees the messages of every loop, the system's
// boxes too.
std::bitset<256> keysDown;
THookHandle staleKeyHook;

bool IsStaleKeyRepeat(const MSG& Msg, bool Removed) {
  const bool down = Msg.message == WM_KEYDOWN || Msg.message == WM_SYSKEYDOWN;
  if (!down && Msg.message != WM_KEYUP && Msg.message != WM_SYSKEYUP) return false;
  const size_t key = Msg.wParam & 0xFF;
  constexpr LPARAM kWasDown = 1 << 30;
  if (down && (Msg.lParam & kWasDown)) return !keysDown.test(key);
  if (Removed) keysDown.set(key, down);
  return false;
}

LRESULT CALLBACK StaleKeyFilter(int Code, WPARAM WParam, LPARAM LParam) {
  if (Code == HC_ACTION) {
    auto* msg = reinterpret_cast<MSG*>(LParam);
    if (IsStaleKeyRepeat(*msg, WParam == PM_REMOVE)) msg->message = WM_NULL;
  }
  return CallNextHookEx(nullptr, Code, WParam, LParam);
}

}  // namespace

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner), hintWindowClass_(&THintWindow::StaticClassInfo()) {
  title_ = FileTitle(ExeName());
  keysDown.reset();
  staleKeyHook = THookHandle(WH_GETMESSAGE, &StaleKeyFilter);
  SetWindowExceptionHandler(&WindowExceptionToApplication);
  SetMenuHintHandler(&MenuHintToApplication);
}

TApplication::~TApplication() {
  Destroying();
  StopHintTimer();
  // The forms go while the application is still whole.
  DestroyComponents();
  if (handle_) DestroyWindow(handle_);
  SetMenuHintHandler(nullptr);
  SetWindowExceptionHandler(nullptr);
  staleKeyHook.Reset();
}

WideString TApplication::ExeName() const {
  wchar_t path[MAX_PATH * 4];
  DWORD n = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
  return WideString(path, n);
}

HICON TApplication::Icon(bool Small) const {
  // Shared icons of the module: the system keeps them for the process's life.
  const int cx = GetSystemMetrics(Small ? SM_CXSMICON : SM_CXICON),
            cy = GetSystemMetrics(Small ? SM_CYSMICON : SM_CYICON);
  return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), L"MAINICON", IMAGE_ICON, cx, cy, LR_SHARED));
}

HWND TApplication::Handle() {
  if (handle_) return handle_;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW existing{};
  if (!GetClassInfoW(instance, kWindowClass, &existing)) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &TApplication::AppWindowProc;
    wc.cbWndExtra = sizeof(TApplication*);
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hIcon = Icon(false);
    wc.lpszClassName = kWindowClass;
    if (!RegisterClassW(&wc)) RaiseLastOSError();
  }
  // Never shown: it owns the forms and is what other copies of the program look for.
  int x = GetSystemMetrics(SM_CXSCREEN) / 2, y = GetSystemMetrics(SM_CYSCREEN) / 2;
  CreateWindowExW(0, kWindowClass, title_.c_str(),
                  WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, x, y, 0, 0, nullptr, nullptr,
                  instance, this);
  if (!handle_) RaiseLastOSError();
  return handle_;
}

LRESULT CALLBACK TApplication::AppWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (Msg == WM_NCCREATE) {
    auto* app = static_cast<TApplication*>(reinterpret_cast<CREATESTRUCTW*>(LParam)->lpCreateParams);
    SetWindowLongPtrW(Wnd, 0, reinterpret_cast<LONG_PTR>(app));
    if (app) app->handle_ = Wnd;
  }
  auto* app = reinterpret_cast<TApplication*>(GetWindowLongPtrW(Wnd, 0));
  if (!app) return DefWindowProcW(Wnd, Msg, WParam, LParam);
  TMessage message;
  message.Msg = Msg;
  message.WParam = WParam;
  message.LParam = LParam;
  try {
    app->WndProc(message);
  } catch (...) {
    app->HandleException(app);
  }
  if (Msg == WM_NCDESTROY) {
    SetWindowLongPtrW(Wnd, 0, 0);
    app->handle_ = nullptr;
  }
  return message.Result;
}

void TApplication::WndProc(TMessage& Message) {
  if (DispatchHooks(Message)) return;
  switch (Message.Msg) {
    case WM_ACTIVATEAPP:
      SetActive(Message.WParam != 0);
      Message.Result = DefWindowProcW(handle_, Message.Msg, Message.WParam, Message.LParam);
      break;
    case WM_CLOSE:
      if (mainForm_) mainForm_->Close();
      break;
    case WM_TIMER:
      if (Message.WParam == kHintTimer) HintTimerExpired();
      break;
    case WM_QUERYENDSESSION: Message.Result = (!mainForm_ || mainForm_->CloseQuery()) ? 1 : 0; break;
    case WM_ENDSESSION:
      if (Message.WParam) Terminate();
      break;
    case CM_APPKEYDOWN:
      if (mainForm_ && mainForm_->IsShortCut(Message)) Message.Result = 1;
      break;
    case CM_DIALOGHANDLE:
      if (Message.WParam == 1)
        dialogHandle_ = reinterpret_cast<HWND>(Message.LParam);
      else
        Message.Result = reinterpret_cast<LRESULT>(dialogHandle_);
      break;
    default: Message.Result = DefWindowProcW(handle_, Message.Msg, Message.WParam, Message.LParam); break;
  }
}

bool TApplication::DispatchHooks(TMessage& Message) {
  // The last hook added hears first.
  std::vector<TWindowHook> hooks = hooks_;
  for (auto it = hooks.rbegin(); it != hooks.rend(); ++it)
    if ((*it)(Message)) return true;
  return false;
}

void TApplication::HookMainWindow(const TWindowHook& Hook) {
  if (Hook) hooks_.push_back(Hook);
}

void TApplication::UnhookMainWindow(const TWindowHook& Hook) {
  for (size_t i = hooks_.size(); i-- > 0;)
    if (hooks_[i] == Hook) {
      hooks_.erase(hooks_.begin() + static_cast<std::ptrdiff_t>(i));
      return;
    }
}

void TApplication::Initialize() {
  terminated_ = false;
  Handle();
}

void TApplication::FormCreating(TCustomForm* Form) {
  if (!mainForm_) mainForm_ = Form;
}

void TApplication::FormFailed(TCustomForm* Form) {
  if (mainForm_ == Form) mainForm_ = nullptr;
}

// The form reads its form file; when that fails, nothing of it is left.
void TApplication::ConstructForm(TCustomForm* Form, const std::function<void()>& Forget) {
  FormCreating(Form);
  UndoOnFailure([&] { Form->AfterConstruction(); },
                [&] {
                  Forget();
                  FormFailed(Form);
                  delete Form;
                });
}

void TApplication::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == mainForm_) mainForm_ = nullptr;
  if (AComponent == hintWindow_) hintWindow_ = nullptr;
}

void TApplication::ControlDestroying(TControl* Control) {
  if (Control == hintControl_) CancelHint();
  if (Control == mouseControl_) mouseControl_ = nullptr;
  if (Control == mainForm_) mainForm_ = nullptr;
}

WideString TApplication::Title() {
  if (!handle_) return title_;
  int len = GetWindowTextLengthW(handle_);
  WideString text(static_cast<size_t>(std::max(len, 0)) + 1, L'\0');
  int n = GetWindowTextW(handle_, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<size_t>(std::clamp(n, 0, std::max(len, 0))));
  return text;
}

void TApplication::SetTitle(const WideString& Value) {
  title_ = Value;
  if (handle_) SetWindowTextW(handle_, Value.c_str());
}

void TApplication::SetActive(bool Value) {
  if (Value == active_) return;
  active_ = Value;
  if (!Value) CancelHint();
  TNotifyEvent TApplicationEvents::*event = Value ? &TApplicationEvents::OnActivate : &TApplicationEvents::OnDeactivate;
  const TNotifyEvent& own = Value ? OnActivate : OnDeactivate;
  if (own) own(this);
  for (TApplicationEvents* e : std::vector<TApplicationEvents*>(eventsList_))
    if (e->*event) (e->*event)(this);
}

// ---- the message loop ----

void TApplication::Run() {
  running_ = true;
  if (mainForm_) {
    if (showMainForm_) mainForm_->Show();
    while (!terminated_) {
      try {
        HandleMessage();
      } catch (...) {
        HandleException(this);
      }
    }
  }
  running_ = false;
}

void TApplication::Terminate() { PostQuitMessage(0); }

void TApplication::HandleMessage() {
  MSG msg{};
  if (!ProcessMessage(msg)) Idle(msg);
}

void TApplication::ProcessMessages() {
  MSG msg{};
  while (ProcessMessage(msg)) {}
}

bool TApplication::ProcessMessage(MSG& Msg) {
  if (!PeekMessageW(&Msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (Msg.message == WM_QUIT) {
    terminated_ = true;
    return true;
  }
  bool handled = false;
  try {
    if (OnMessage) OnMessage(Msg, handled);
    for (TApplicationEvents* e : std::vector<TApplicationEvents*>(eventsList_))
      if (!handled && e->OnMessage) e->OnMessage(Msg, handled);
    if (!handled) handled = IsHintMsg(Msg) || IsKeyMsg(Msg) || IsDlgMsg(Msg);
  } catch (...) {
    HandleException(this);
    handled = true;
  }
  if (!handled) {
    TranslateMessage(&Msg);
    DispatchMessageW(&Msg);
  }
  return true;
}

// Key messages go to the control they are for first (CN_ messages), which takes dialog keys
// and shortcuts out of the stream.
bool TApplication::IsKeyMsg(MSG& Msg) {
  if (Msg.message < WM_KEYFIRST || Msg.message > WM_KEYLAST) return false;
  if (dragdrop::Current()) {
    if (Msg.message == WM_KEYDOWN && Msg.wParam == VK_ESCAPE) {
      dragdrop::Done(false);
      return true;
    }
    // Ctrl or Shift may change what a drop would do: the target is asked again.
    if (Msg.wParam == VK_CONTROL || Msg.wParam == VK_SHIFT) dragdrop::MoveTo(MousePos());
  }
  TWinControl* control = nullptr;
  for (HWND wnd = Msg.hwnd; wnd && !control; wnd = GetParent(wnd)) control = FindControl(wnd);
  if (!control) return false;
  return control->Perform(CN_BASE + Msg.message, Msg.wParam, Msg.lParam) != 0;
}

bool TApplication::IsHintMsg(MSG& Msg) {
  // A hint still waiting for its pause ends as a shown one does: a click on a button must not
  // bring its hint up after the click.
  if (!hintActive_ && !hintTimer_) return false;
  if (!(hintWindow_ ? hintWindow_->IsHintMsg(Msg) : THintWindow::EndsHint(Msg))) return false;
  CancelHint();
  // The hint stays away until the mouse moves; the move the system makes up after a click, at
  // the same place, does not count.
  hintHeld_ = true;
  hintHeldAt_ = MousePos();
  return false;
}

bool TApplication::IsDlgMsg(MSG& Msg) {
  if (!dialogHandle_ || !IsWindow(dialogHandle_)) return false;
  return IsDialogMessageW(dialogHandle_, &Msg) != FALSE;
}

void TApplication::Idle(const MSG&) {
  bool done = true;
  // Whatever the handlers run here throws is reported; it never ends the loop that called
  // (a modal form's loop would otherwise close the form).
  try {
    TControl* control = DoMouseIdle();
    if (showHint_ && !mouseControl_) CancelHint();
    SetHint(GetLongHint(HintOf(control)));
    DoActionIdle();
    if (OnIdle) OnIdle(this, done);
    for (TApplicationEvents* e : std::vector<TApplicationEvents*>(eventsList_))
      if (e->OnIdle) e->OnIdle(this, done);
  } catch (...) {
    HandleException(this);
  }
  TControlCanvas::FreeDeviceContexts();
  if (done) WaitMessage();
}

// The control under the mouse, from where the mouse really is (the messages may have missed
// a window that moved away under it).
TControl* TApplication::DoMouseIdle() {
  TControl* control = FindDragTarget(MousePos(), true);
  if (!GetCaptureControl()) SetMouseControl(control);
  return control;
}

void TApplication::DoActionIdle() {
  if (!Screen) return;
  std::vector<TCustomForm*> forms;
  for (int i = 0; i < Screen->FormCount(); ++i) forms.push_back(Screen->Forms(i));
  for (TCustomForm* form : forms)
    if (form->Visible()) form->UpdateActions();
}

void TApplication::SetMouseControl(TControl* Control) {
  if (Control == mouseControl_) return;
  TControl* previous = mouseControl_;
  mouseControl_ = Control;
  if (previous) previous->Perform(CM_MOUSELEAVE);
  if (Control && Control == mouseControl_) Control->Perform(CM_MOUSEENTER);
}

// ---- exceptions and message boxes ----

void TApplication::HandleException(TObject* Sender) {
  std::exception_ptr error = std::current_exception();
  if (!error) return;
  try {
    std::rethrow_exception(error);
  } catch (EAbort&) {
    // Leaves an operation quietly.
  } catch (Exception& e) {
    DoException(Sender, e);
  } catch (std::exception& e) {
    Exception wrapped{std::string(e.what())};
    DoException(Sender, wrapped);
  } catch (...) {
    Exception wrapped{std::string("Unknown exception")};
    DoException(Sender, wrapped);
  }
}

void TApplication::DoException(TObject* Sender, Exception& E) {
  try {
    bool handled = false;
    if (OnException) {
      OnException(Sender, E);
      handled = true;
    }
    for (TApplicationEvents* e : std::vector<TApplicationEvents*>(eventsList_))
      if (e->OnException) {
        e->OnException(Sender, E);
        handled = true;
      }
    if (!handled) ShowException(E);
  } catch (...) {
    // A handler failed in its turn; there is nobody left to tell.
  }
}

void TApplication::ShowException(const Exception& E) { MessageBox(E.Message(), Title(), MB_OK | MB_ICONSTOP); }

int TApplication::MessageBox(const WideString& Text, const WideString& Caption, UINT Flags) {
  if (!boxUpdate_) {
    TTempValue updating(boxUpdate_, true);
    try {
      DoActionIdle();
    } catch (...) {
      HandleException(this);
    }
  }
  WideString caption = Caption.empty() ? Title() : Caption;
  HWND owner = GetActiveWindow();
  if (!owner) owner = Handle();
  if (messageBoxHandler_) return messageBoxHandler_->Show(owner, Text, caption, Flags);
  TSystemMessageBox system;
  return system.Show(owner, Text, caption, Flags);
}

TMessageBoxHandler* TApplication::SetMessageBoxHandler(TMessageBoxHandler* Handler) {
  return std::exchange(messageBoxHandler_, Handler);
}

// ---- hints ----

void TApplication::SetHint(const WideString& Value) {
  if (Value == hint_) return;
  hint_ = Value;
  if (OnHint) OnHint(this);
  for (TApplicationEvents* e : std::vector<TApplicationEvents*>(eventsList_))
    if (e->OnHint) e->OnHint(this);
}

void TApplication::SetHintColor(TColor Value) {
  hintColor_ = Value;
  if (hintWindow_) hintWindow_->SetColor(Value);
}

void TApplication::SetShowHint(bool Value) {
  if (Value == showHint_) return;
  showHint_ = Value;
  if (!Value) {
    CancelHint();
    ReleaseHintWindow();
  }
}

void TApplication::SetHintWindowClass(const TClassInfo& Value) {
  if (!Value.InheritsFrom(THintWindow::StaticClassInfo()) || !Value.NewComponent)
    throw EInvalidOperation("A hint window class must descend from THintWindow");
  if (&Value == hintWindowClass_) return;
  CancelHint();
  ReleaseHintWindow();
  hintWindowClass_ = &Value;
}

void TApplication::ReleaseHintWindow() {
  THintWindow* window = std::exchange(hintWindow_, nullptr);
  delete window;
}

void TApplication::StartHintTimer(int Delay, UINT_PTR Id) {
  StopHintTimer();
  hintTimer_ = SetTimer(Handle(), Id, static_cast<UINT>(std::max(Delay, 1)), nullptr);
}

void TApplication::StopHintTimer() {
  if (hintTimer_ && handle_) KillTimer(handle_, hintTimer_);
  hintTimer_ = 0;
}

void TApplication::HintMouseMessage(TControl* Control, TMessage& Message) {
  if (!showHint_ || !Control) return;
  TPoint pos = Control->ClientToScreen({MessageX(Message.LParam), MessageY(Message.LParam)});
  TControl* control = HintControlOf(FindDragTarget(pos, true));
  if (!control) {
    CancelHint();
    return;
  }
  if (hintHeld_) {
    if (pos == hintHeldAt_) return;
    hintHeld_ = false;
  }
  if (control == hintControl_ && hintCursorRect_.Contains(pos)) return;
  // A hint that was up makes the next one come sooner.
  bool wasActive = hintActive_;
  HideHint();
  hintControl_ = control;
  hintCursorRect_ = TRect();
  StartHintTimer(wasActive ? hintShortPause_ : hintPause_, kHintTimer);
}

void TApplication::HintTimerExpired() {
  StopHintTimer();
  if (hintActive_)
    HideHint();  // the hint stays away until the mouse leaves its control
  else
    ActivateHint(MousePos());
}

void TApplication::ActivateHint(const TPoint& CursorPos) {
  StopHintTimer();
  TControl* control = HintControlOf(FindDragTarget(CursorPos, true));
  if (!control) {
    CancelHint();
    return;
  }
  hintControl_ = control;
  THintInfo info;
  info.HintControl = control;
  info.HintWindowClass = hintWindowClass_;
  info.HintPos = {CursorPos.X, CursorPos.Y + GetSystemMetrics(SM_CYCURSOR) * 3 / 4};
  info.HintMaxWidth = Screen ? Screen->Width() : GetSystemMetrics(SM_CXSCREEN);
  info.HintColor = hintColor_;
  info.CursorRect = control->ClientRect();
  info.CursorPos = control->ScreenToClient(CursorPos);
  info.HintStr = GetShortHint(HintOf(control));
  info.HideTimeout = hintHidePause_;
  bool canShow = control->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) == 0;
  if (canShow && OnShowHint) OnShowHint(info.HintStr, canShow, info);
  for (TApplicationEvents* e : std::vector<TApplicationEvents*>(eventsList_))
    if (canShow && e->OnShowHint) e->OnShowHint(info.HintStr, canShow, info);
  TPoint origin = control->ClientOrigin();
  hintCursorRect_ = Rect(info.CursorRect.Left + origin.X, info.CursorRect.Top + origin.Y,
                         info.CursorRect.Right + origin.X, info.CursorRect.Bottom + origin.Y);
  if (!canShow || info.HintStr.empty()) {
    HideHint();
    return;
  }
  const TClassInfo* cls = info.HintWindowClass ? info.HintWindowClass : hintWindowClass_;
  if (!cls->InheritsFrom(THintWindow::StaticClassInfo()) || !cls->NewComponent) cls = &THintWindow::StaticClassInfo();
  if (hintWindow_ && &hintWindow_->ClassInfo() != cls) ReleaseHintWindow();
  if (!hintWindow_) hintWindow_ = static_cast<THintWindow*>(cls->NewComponent(this));
  hintWindow_->SetColor(info.HintColor);
  TRect r = hintWindow_->CalcHintRect(info.HintMaxWidth, info.HintStr, info.HintData);
  r = Bounds(info.HintPos.X, info.HintPos.Y, r.Width(), r.Height());
  hintWindow_->ActivateHintData(r, info.HintStr, info.HintData);
  hintActive_ = true;
  if (info.HideTimeout > 0) StartHintTimer(info.HideTimeout, kHintTimer);
}

void TApplication::HideHint() {
  if (hintWindow_) hintWindow_->ReleaseHandle();
  hintActive_ = false;
}

void TApplication::CancelHint() {
  StopHintTimer();
  HideHint();
  hintControl_ = nullptr;
  hintCursorRect_ = TRect();
  hintHeld_ = false;
}

// ---- application events ----

HV_PUBLISH(TApplicationEvents) {
  p.Event("OnActivate", &T::OnActivate);
  p.Event("OnDeactivate", &T::OnDeactivate);
  p.Event("OnException", &T::OnException);
  p.Event("OnIdle", &T::OnIdle);
  p.Event("OnHint", &T::OnHint);
  p.Event("OnMessage", &T::OnMessage);
  p.Event("OnShowHint", &T::OnShowHint);
}

TApplicationEvents::TApplicationEvents(TComponent* AOwner) : TComponent(AOwner) {
  if (Application) Application->eventsList_.push_back(this);
}

TApplicationEvents::~TApplicationEvents() {
  if (Application) {
    auto& list = Application->eventsList_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
}
