// Forms and frames: construction from form files, showing (modal too), closing, activation and
// the focus inside a form.
#include "framework/Forms.h"

#include <algorithm>

#include "framework/Actions.h"
#include "framework/Application.h"
#include "framework/CallbackGuard.h"
#include "framework/FormFiles.h"
#include "framework/Menus.h"
#include "framework/PaintScopes.h"
#include "framework/Screen.h"
#include "framework/ScopeGuards.h"

namespace {

const char kCannotFocus[] = "Cannot focus a disabled or invisible window";

// The top-level windows of this thread that are shown and enabled, except one; disabled
// while a modal form runs and enabled again afterwards.
class TTaskWindows {
 public:
  explicit TTaskWindows(HWND except) : except_(except) {
    EnumThreadWindows(GetCurrentThreadId(), &Collect, reinterpret_cast<LPARAM>(this));
    guard_.Rethrow();
    for (HWND w : windows_) EnableWindow(w, FALSE);
  }
  TTaskWindows(const TTaskWindows&) = delete;
  TTaskWindows& operator=(const TTaskWindows&) = delete;
  ~TTaskWindows() {
    for (HWND w : windows_)
      if (IsWindow(w)) EnableWindow(w, TRUE);
  }

 private:
  static BOOL CALLBACK Collect(HWND wnd, LPARAM param) {
    auto* self = reinterpret_cast<TTaskWindows*>(param);
    return self->guard_.Run(
        [&] {
          if (wnd != self->except_ && IsWindowVisible(wnd) && IsWindowEnabled(wnd)) self->windows_.push_back(wnd);
          return TRUE;
        },
        FALSE);
  }
  TCallbackGuard guard_;
  HWND except_;
  std::vector<HWND> windows_;
};

TRect CenteredIn(const TRect& area, int width, int height) {
  return Bounds(area.Left + (area.Width() - width) / 2, area.Top + (area.Height() - height) / 2, width, height);
}

}  // namespace

TCustomForm* GetParentForm(TControl* Control) {
  if (!Control) return nullptr;
  TControl* top = Control;
  while (top->Parent()) top = top->Parent();
  return dynamic_cast<TCustomForm*>(top);
}

TCustomForm* ValidParentForm(TControl* Control) {
  TCustomForm* form = GetParentForm(Control);
  if (!form)
    throw EInvalidOperation("Control '" + (Control ? Control->Name() : std::string()) + "' has no parent window");
  return form;
}

// ---- frames ----

HV_PUBLISH(TScrollingWinControl) {}

HV_PUBLISH(TCustomFrame) {}

HV_PUBLISH(TFrame) {}

TCustomFrame::TCustomFrame(TComponent* AOwner) : TScrollingWinControl(AOwner) {
  SetControlStyle(TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks});
  SetBounds(0, 0, 320, 240);
}

TCustomFrame::~TCustomFrame() {
  Destroying();
  if (Parent()) RemoveFocus(true);
  DestroyComponents();
  DestroyHandle();
}

void TCustomFrame::AfterConstruction() {
  inherited::AfterConstruction();
  if (constructed_) return;
  constructed_ = true;
  InitInheritedComponent(this, TFrame::StaticClassInfo());
}

void TCustomFrame::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
  // The components without a place among the controls (timers, action lists) come first.
  for (int i = 0; i < ComponentCount(); ++i)
    if (!Components(i)->HasParent()) Proc(Components(i));
  inherited::GetChildren(Proc, Root);
}

void TCustomFrame::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.Style |= WS_CLIPCHILDREN;
}

// ---- forms: construction and destruction ----

HV_PUBLISH(TCustomForm) {}

HV_PUBLISH(TForm) {
  p.Prop("BorderIcons", &T::BorderIcons, &T::SetBorderIcons)
      .Default(TBorderIcons{biSystemMenu, biMinimize, biMaximize});
  p.Prop("BorderStyle", &T::BorderStyle, &T::SetBorderStyle).Default(bsSizeable);
  p.Prop("Caption", &T::Caption, &T::SetCaption);
  // The client size is read from older files but not written: it cannot hold a form smaller
  // than its frame, and a second size pair would fight the first one on reading.
  p.Prop("ClientHeight", &T::ClientHeightProp, &T::SetClientHeightProp).Stored(false);
  p.Prop("ClientWidth", &T::ClientWidthProp, &T::SetClientWidthProp).Stored(false);
  // A form starts with a font and a colour of its own.
  p.Prop("ParentColor", &T::ParentColor, &T::SetParentColor).Default(0);
  p.Prop("ParentFont", &T::ParentFont, &T::SetParentFont).Default(0);
  // A form starts hidden: only a form file that shows it says so, and what was read is written
  // back the same.
  p.Prop("Visible", &T::Visible, &T::SetVisible).Default(0).Stored(&T::IsVisibleStored);
  p.Prop("FormStyle", &T::FormStyle, &T::SetFormStyle).Default(fsNormal);
  p.Prop("KeyPreview", &T::KeyPreview, &T::SetKeyPreview).Default(0);
  p.Prop("Menu", &T::Menu, &T::SetMenu);
  p.Prop("OldCreateOrder", &T::OldCreateOrder, &T::SetOldCreateOrder).Default(0);
  p.Prop("Position", &T::Position, &T::SetPosition).Default(poDesigned);
  p.Prop("WindowState", &T::WindowState, &T::SetWindowState).Default(wsNormal);
  p.Prop("ActiveControl", &T::ActiveControl, &T::SetActiveControl);
  p.Event("OnActivate", &T::OnActivate);
  p.Event("OnClose", &T::OnClose);
  p.Event("OnCloseQuery", &T::OnCloseQuery);
  p.Event("OnCreate", &T::OnCreate);
  p.Event("OnDeactivate", &T::OnDeactivate);
  p.Event("OnDestroy", &T::OnDestroy);
  p.Event("OnHide", &T::OnHide);
  p.Event("OnPaint", &T::OnPaint);
  p.Event("OnShow", &T::OnShow);
}

TCustomForm::TCustomForm(TComponent* AOwner) : TScrollingWinControl(AOwner) { Init(); }

TCustomForm::TCustomForm(TComponent* AOwner, TCreateNew) : TScrollingWinControl(AOwner), createNew_(true) { Init(); }

void TCustomForm::Init() {
  canvas_ = std::make_unique<TControlCanvas>(this);
  SetControlStyle(TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks});
  SetVisible(false);
  SetParentFont(false);
  SetColor(clBtnFace);
  SetBounds(0, 0, 320, 240);
  if (Screen) Screen->AddForm(this);
}

TCustomForm::~TCustomForm() {
  Destroying();
  DestroyComponents();
  DestroyHandle();
  if (Screen) Screen->RemoveForm(this);
}

void TCustomForm::AfterConstruction() {
  inherited::AfterConstruction();
  if (constructed_) return;
  constructed_ = true;
  formState_.Include(fsCreating);
  {
    TScopeExit created([&] { formState_.Exclude(fsCreating); });
    if (!createNew_) InitInheritedComponent(this, FormFileRoot());
  }
  DoCreate();
  // A form file that shows the form shows it now that it is complete.
  if (Visible()) UpdateControlState();
}

void TCustomForm::BeforeDestruction() {
  inherited::BeforeDestruction();
  if (destroyFired_) return;
  destroyFired_ = true;
  DoDestroy();
}

const TClassInfo& TCustomForm::FormFileRoot() const { return TForm::StaticClassInfo(); }

void TCustomForm::CheckConstructed() {
  if (constructed_ || createNew_ || &ClassInfo() == &FormFileRoot()) return;
  throw EInvalidOperation("Form " + ClassName() + " was not made through New or CreateForm, so it has no form file");
}

void TCustomForm::DoCreate() {
  try {
    if (OnCreate) OnCreate(this);
  } catch (...) {
    if (Application) Application->HandleException(this);
  }
}

void TCustomForm::DoDestroy() {
  try {
    if (OnDestroy) OnDestroy(this);
  } catch (...) {
    if (Application) Application->HandleException(this);
  }
}

void TCustomForm::DoShow() {
  if (OnShow) OnShow(this);
}

void TCustomForm::DoHide() {
  if (OnHide) OnHide(this);
}

void TCustomForm::DoClose(TCloseAction& Action) {
  if (OnClose) OnClose(this, Action);
}

void TCustomForm::Activate() {
  if (OnActivate) OnActivate(this);
}

void TCustomForm::Deactivate() {
  if (OnDeactivate) OnDeactivate(this);
}

void TCustomForm::Paint() {
  if (OnPaint) OnPaint(this);
}

void TCustomForm::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == activeControl_) activeControl_ = nullptr;
  if (AComponent == focusedControl_) focusedControl_ = nullptr;
  if (AComponent == menu_) menu_ = nullptr;  // the menu took itself out of the window
}

void TCustomForm::SetMenu(TMainMenu* Value) {
  if (Value == menu_) return;
  if (menu_) menu_->SetWindowHandle(nullptr);
  menu_ = Value;
  if (!menu_) return;
  menu_->FreeNotification(this);
  if (HandleAllocated()) menu_->SetWindowHandle(Handle());
}

void TCustomForm::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
  for (int i = 0; i < ComponentCount(); ++i)
    if (!Components(i)->HasParent()) Proc(Components(i));
  inherited::GetChildren(Proc, Root);
}

void TCustomForm::Loaded() { inherited::Loaded(); }

// ---- the window ----

HWND TCustomForm::OwnerWindow() {
  if (!Application) return nullptr;
  TCustomForm* main = Application->MainForm();
  if (main && main != this && main->HandleAllocated()) return main->Handle();
  return Application->Handle();
}

void TCustomForm::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.Style &= ~static_cast<DWORD>(WS_CHILD | WS_GROUP | WS_TABSTOP);
  Params.Style |= WS_CLIPCHILDREN;
  Params.WndParent = OwnerWindow();
  Params.WindowClass.style = CS_DBLCLKS;
  bool minMax = true;
  switch (borderStyle_) {
    case bsNone: Params.Style |= WS_POPUP; break;
    case bsSingle: Params.Style |= WS_CAPTION; break;
    case bsSizeable: Params.Style |= WS_CAPTION | WS_THICKFRAME; break;
    case bsDialog:
      Params.Style |= WS_POPUP | WS_CAPTION;
      Params.ExStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
      minMax = false;
      break;
    case bsToolWindow:
      Params.Style |= WS_CAPTION;
      Params.ExStyle |= WS_EX_TOOLWINDOW;
      minMax = false;
      break;
    case bsSizeToolWin:
      Params.Style |= WS_CAPTION | WS_THICKFRAME;
      Params.ExStyle |= WS_EX_TOOLWINDOW;
      minMax = false;
      break;
  }
  if (borderStyle_ != bsNone && borderIcons_.Contains(biSystemMenu)) {
    Params.Style |= WS_SYSMENU;
    if (minMax && borderIcons_.Contains(biMinimize)) Params.Style |= WS_MINIMIZEBOX;
    if (minMax && borderIcons_.Contains(biMaximize)) Params.Style |= WS_MAXIMIZEBOX;
    if (borderIcons_.Contains(biHelp) && !(Params.Style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)))
      Params.ExStyle |= WS_EX_CONTEXTHELP;
  }
  if (formStyle_ == fsStayOnTop) Params.ExStyle |= WS_EX_TOPMOST;
  if (Application && Application->MainForm() == this) Params.ExStyle |= WS_EX_APPWINDOW;
  // Only overlapped windows can take the system's default place and size.
  if (!(Params.Style & WS_POPUP)) {
    if (position_ == poDefault || position_ == poDefaultPosOnly) Params.X = Params.Y = CW_USEDEFAULT;
    if (position_ == poDefault || position_ == poDefaultSizeOnly) Params.Width = Params.Height = CW_USEDEFAULT;
  }
}

void TCustomForm::CreateWnd() {
  CheckConstructed();
  inherited::CreateWnd();
  // A top-level window shows the program's icon in its caption and on the task bar.
  if (Application && !Parent() && !(GetWindowLongPtrW(Handle(), GWL_STYLE) & WS_CHILD)) {
    if (HICON large = Application->Icon(false))
      SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(large));
    if (HICON little = Application->Icon(true))
      SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(little));
  }
  if (menu_) {
    // The menu bar takes its height from the window, not from the client area.
    int width = ClientWidth(), height = ClientHeight();
    menu_->SetWindowHandle(Handle());
    SetClientSize(width, height);
  }
}

void TCustomForm::DestroyWnd() {
  // A window destroys the menu bar it holds; the bar belongs to the menu.
  if (menu_) menu_->SetWindowHandle(nullptr);
  inherited::DestroyWnd();
}

void TCustomForm::PaintWindow(HDC DC) {
  canvas_->FreeHandle();
  TCanvasLoan loan(canvas_.get(), DC);
  Paint();
}

void TCustomForm::SetBorderStyle(TFormBorderStyle Value) {
  if (Value == borderStyle_) return;
  borderStyle_ = Value;
  // A client size read from a form file stays the client size of the new frame.
  if (IsLoading()) {
    if (pendingClientWidth_ >= 0) SetClientWidth(pendingClientWidth_);
    if (pendingClientHeight_ >= 0) SetClientHeight(pendingClientHeight_);
  }
  if (HandleAllocated()) RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons Value) {
  if (Value == borderIcons_) return;
  borderIcons_ = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomForm::SetFormStyle(TFormStyle Value) {
  if (Value == formStyle_) return;
  formStyle_ = Value;
  if (HandleAllocated())
    SetWindowPos(Handle(), Value == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

TWindowState TCustomForm::WindowState() {
  if (HandleAllocated() && IsWindowVisible(Handle())) {
    HWND wnd = Handle();
    if (IsIconic(wnd)) return wsMinimized;
    if (IsZoomed(wnd)) return wsMaximized;
    return wsNormal;
  }
  return windowState_;
}

void TCustomForm::SetWindowState(TWindowState Value) {
  windowState_ = Value;
  if (!HandleAllocated() || !Showing()) return;
  HWND wnd = Handle();
  if (Value == wsNormal) {
    // A window minimized from maximized comes back maximized from the first restore.
    for (int i = 0; i < 2 && (IsIconic(wnd) || IsZoomed(wnd)); ++i) ShowWindow(wnd, SW_RESTORE);
    return;
  }
  ShowWindow(wnd, Value == wsMinimized ? SW_MINIMIZE : SW_MAXIMIZE);
}

void TCustomForm::SetClientWidthProp(int Value) {
  if (IsLoading()) pendingClientWidth_ = Value;
  SetClientWidth(Value);
}

void TCustomForm::SetClientHeightProp(int Value) {
  if (IsLoading()) pendingClientHeight_ = Value;
  SetClientHeight(Value);
}

// ---- showing and closing ----

void TCustomForm::Show() {
  SetVisible(true);
  if (HandleAllocated()) SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void TCustomForm::CMVisibleChanged(TMessage& Message) {
  // While the form file is read, Visible only says what to do once the form is complete.
  if (formState_.Contains(fsCreating)) return;
  inherited::CMVisibleChanged(Message);
}

void TCustomForm::ApplyPosition() {
  positioned_ = true;
  TRect area =
      Screen ? Screen->WorkAreaRect() : Rect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  TCustomForm* center = nullptr;
  switch (position_) {
    case poScreenCenter:
    case poDesktopCenter: SetBoundsRect(CenteredIn(area, Width(), Height())); return;
    case poOwnerFormCenter: center = dynamic_cast<TCustomForm*>(Owner()); [[fallthrough]];
    case poMainFormCenter:
      if (!center && Application) center = Application->MainForm();
      if (center && center != this && center->HandleAllocated())
        SetBoundsRect(CenteredIn(center->BoundsRect(), Width(), Height()));
      else
        SetBoundsRect(CenteredIn(area, Width(), Height()));
      return;
    default: return;
  }
}

void TCustomForm::CMShowingChanged(TMessage&) {
  HWND wnd = Handle();
  // A new window for a shown form (RecreateWnd) shows again without a second OnShow.
  if (Showing()) {
    try {
      if (!formState_.Contains(fsVisible)) DoShow();
      // The window paints its commands as they stand from its first paint on, before any idle
      // time (a box may come up first, whose loop has none).
      UpdateActions();
    } catch (...) {
      if (Application) Application->HandleException(this);
    }
    if (!positioned_) ApplyPosition();
    if (formStyle_ == fsStayOnTop)
      SetWindowPos(wnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    static const int commands[] = {SW_SHOWNORMAL, SW_SHOWMINIMIZED, SW_SHOWMAXIMIZED};
    ShowWindow(wnd, commands[windowState_]);
    formState_.Include(fsVisible);
  } else {
    try {
      if (formState_.Contains(fsVisible)) DoHide();
    } catch (...) {
      if (Application) Application->HandleException(this);
    }
    // The state the user left the window in is the one it shows with again.
    windowState_ = WindowState();
    ShowWindow(wnd, SW_HIDE);
    formState_.Exclude(fsVisible);
  }
}

// Shows the form, the other windows of the task disabled, and handles messages until a modal
// result closes it.
void TCustomForm::RunModalLoop() {
  TTaskWindows others(HandleAllocated() ? Handle() : nullptr);
  Show();
  for (;;) {
    if (Application && Application->Terminated()) modalResult_ = mrCancel;
    if (modalResult_ != mrNone) {
      CloseModal();
      if (modalResult_ != mrNone) break;
    }
    if (Application) Application->HandleMessage();
  }
}

int TCustomForm::ShowModal() {
  if (Visible() || !Enabled() || formState_.Contains(fsModal))
    throw EInvalidOperation("Cannot make a visible window modal");
  if (HWND capture = GetCapture()) SendMessageW(capture, WM_CANCELMODE, 0, 0);
  ReleaseCapture();
  formState_.Include(fsModal);
  HWND activeWindow = GetActiveWindow();
  modalResult_ = mrNone;
  UndoOnFailure([&] { RunModalLoop(); },
                [&] {
                  formState_.Exclude(fsModal);
                  if (Visible()) Hide();
                });
  if (activeWindow && IsWindow(activeWindow)) SetActiveWindow(activeWindow);
  if (Visible()) Hide();
  formState_.Exclude(fsModal);
  return modalResult_;
}

void TCustomForm::CloseModal() {
  TCloseAction action = caNone;
  if (CloseQuery()) {
    action = caHide;
    DoClose(action);
  }
  if (action == caNone)
    modalResult_ = mrNone;
  else if (action == caFree)
    Release();
}

bool TCustomForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

void TCustomForm::Close() {
  if (formState_.Contains(fsModal)) {
    modalResult_ = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = caHide;
  DoClose(action);
  if (action == caNone) return;
  if (Application && Application->MainForm() == this) {
    Application->Terminate();
    return;
  }
  switch (action) {
    case caHide: Hide(); break;
    case caMinimize: SetWindowState(wsMinimized); break;
    case caFree: Release(); break;
    default: break;
  }
}

void TCustomForm::Release() {
  if (HandleAllocated())
    PostMessageW(Handle(), CM_RELEASE, 0, 0);
  else
    Free(this);
}

void TCustomForm::CMRelease(TMessage&) { Free(this); }

void TCustomForm::WMClose(TMessage&) { Close(); }

// ---- activation and focus ----

void TCustomForm::WMActivate(TMessage& Message) {
  // The form puts the focus where it belongs itself, so the default handling does not run.
  SetActive(LOWORD(Message.WParam) != WA_INACTIVE);
  Message.Result = 0;
}

void TCustomForm::SetActive(bool Value) {
  active_ = Value;
  if (Value) {
    if (Screen) Screen->SetActiveForm(this);
    Perform(CM_ACTIVATE);
    if (!activeControl_) activeControl_ = FindNextControl(nullptr, true, true, false);
    SetWindowFocus();
  } else {
    Perform(CM_DEACTIVATE);
  }
}

void TCustomForm::CMActivate(TMessage&) { Activate(); }

void TCustomForm::CMDeactivate(TMessage&) { Deactivate(); }

void TCustomForm::SetWindowFocus() {
  if (!HandleAllocated() || IsIconic(Handle())) return;
  HWND target = activeControl_ ? activeControl_->Handle() : Handle();
  ::SetFocus(target);
}

void TCustomForm::SetFocus() {
  if (active_ && HandleAllocated() && GetActiveWindow() == Handle()) return;
  if (!Visible() || !Enabled()) throw EInvalidOperation(kCannotFocus);
  SetWindowFocus();
}

void TCustomForm::SetActiveControl(TWinControl* Control) {
  if (Control == activeControl_) return;
  if (Control && (Control == this || GetParentForm(Control) != this || (!IsLoading() && !Control->CanFocus())))
    throw EInvalidOperation(kCannotFocus);
  activeControl_ = Control;
  if (!IsLoading() && active_) SetWindowFocus();
}

void TCustomForm::FocusControl(TWinControl* Control) {
  bool wasActive = active_;
  SetActiveControl(Control);
  if (!wasActive) SetFocus();
}

bool TCustomForm::SetFocusedControl(TWinControl* Control) {
  if (IsDestroying()) return false;
  if (Screen) Screen->SetActiveForm(this);
  if (Control == focusedControl_) {
    if (Screen) Screen->SetActiveControl(Control);
    return true;
  }
  TWinControl* previous = focusedControl_;
  focusedControl_ = Control;
  if (Control != this) activeControl_ = Control;
  if (Screen) Screen->SetActiveControl(Control);
  DoEnterExit(previous, Control);
  Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(Control));
  return true;
}

// OnExit for the controls the focus leaves (the innermost first), OnEnter for those it enters
// (the outermost first); containers of both hear nothing.
void TCustomForm::DoEnterExit(TWinControl* From, TWinControl* To) {
  auto chain = [this](TWinControl* c) {
    std::vector<TWinControl*> list;
    for (; c && c != this; c = c->Parent()) list.push_back(c);
    return list;
  };
  std::vector<TWinControl*> left = chain(From);
  std::vector<TWinControl*> entered = chain(To);
  auto contains = [](const std::vector<TWinControl*>& list, TWinControl* c) {
    return std::find(list.begin(), list.end(), c) != list.end();
  };
  for (TWinControl* c : left)
    if (!contains(entered, c)) c->Perform(CM_EXIT);
  for (auto it = entered.rbegin(); it != entered.rend(); ++it)
    if (!contains(left, *it)) (*it)->Perform(CM_ENTER);
}

void TCustomForm::DefocusControl(TWinControl* Control, bool Removing) {
  if (!Control) return;
  if (Removing && Control->ContainsControl(focusedControl_)) focusedControl_ = Control->Parent();
  if (Control->ContainsControl(activeControl_)) {
    activeControl_ = nullptr;
    if (!IsDestroying() && active_) SetWindowFocus();
  }
  if (Removing && Screen && Control->ContainsControl(Screen->ActiveControl())) Screen->SetActiveControl(nullptr);
}

bool TCustomForm::IsShortCut(TMessage& Message) {
  TShortCut shortCut = ShortCut(static_cast<Word>(Message.WParam), KeyDataToShiftState(Message.LParam));
  if (shortCut == 0) return false;
  if (menu_ && menu_->IsShortCut(shortCut)) return true;
  for (int i = 0; i < ComponentCount(); ++i)
    if (auto* list = dynamic_cast<TCustomActionList*>(Components(i)); list && list->IsShortCut(shortCut)) return true;
  return false;
}

void TCustomForm::UpdateActions() {
  TActionUpdatePass pass;
  UpdateOwnedActions(this);
  // The menu bar's own entries (the items of a sub-menu update when it opens).
  if (menu_)
    for (int i = 0; i < menu_->Items()->Count(); ++i)
      if (menu_->Items()->Items(i)->Visible()) menu_->Items()->Items(i)->InitiateAction();
  // Every visible control brings its own action up to date.
  std::vector<TControl*> pending{this};
  while (!pending.empty()) {
    TControl* c = pending.back();
    pending.pop_back();
    if (!c->Visible()) continue;
    if (c != this) c->InitiateAction();
    if (auto* w = dynamic_cast<TWinControl*>(c))
      for (int i = w->ControlCount(); i-- > 0;) pending.push_back(w->Controls(i));
  }
}

void TCustomForm::WMNextDlgCtl(TMessage& Message) {
  Message.Result = 0;
  if (Message.LParam) {
    TWinControl* control = FindControl(reinterpret_cast<HWND>(Message.WParam));
    if (control && GetParentForm(control) == this && control->CanFocus()) control->SetFocus();
    return;
  }
  SelectNext(activeControl_, Message.WParam == 0, true);
}

void TCustomForm::CMDialogKey(TMessage& Message) {
  if (GetKeyState(VK_MENU) >= 0) {
    Word key = static_cast<Word>(Message.WParam);
    switch (key) {
      case VK_TAB:
        if (GetKeyState(VK_CONTROL) >= 0) {
          SelectNext(activeControl_, GetKeyState(VK_SHIFT) >= 0, true);
          Message.Result = 1;
          return;
        }
        break;
      case VK_LEFT:
      case VK_RIGHT:
      case VK_UP:
      case VK_DOWN:
        if (activeControl_ && activeControl_->Parent()) {
          activeControl_->Parent()->SelectNext(activeControl_, key == VK_RIGHT || key == VK_DOWN, false);
          Message.Result = 1;
          return;
        }
        break;
      default: break;
    }
  }
  inherited::CMDialogKey(Message);
}

namespace {

// The first visible, enabled control below Parent, depth first, that takes menu keys.
TWinControl* findMenuControl(TWinControl* Parent) {
  for (int i = 0; i < Parent->ControlCount(); ++i) {
    auto* control = dynamic_cast<TWinControl*>(Parent->Controls(i));
    if (!control || !control->Visible() || !control->Enabled()) continue;
    if (control->ControlStyle().Contains(csMenuEvents)) return control;
    if (TWinControl* found = findMenuControl(control)) return found;
  }
  return nullptr;
}

}  // namespace

bool TCustomForm::MenuKey(TMessage& Message) {
  // Alt with a letter, Alt alone and F10 go to a menu bar among the form's controls, whichever
  // control has the keyboard; Alt+Space stays the window menu's, and while the mouse is captured
  // the keys are not the menu's.
  if ((Message.WParam & 0xFFF0) != SC_KEYMENU || Message.LParam == L' ' || GetCapture() || forwardingMenuKey_)
    return false;
  TWinControl* menu = findMenuControl(this);
  if (!menu || !menu->HandleAllocated()) return false;
  forwardingMenuKey_ = true;
  TScopeExit done([this] { forwardingMenuKey_ = false; });
  if (!SendMessageW(menu->Handle(), WM_SYSCOMMAND, Message.WParam, Message.LParam)) return false;
  Message.Result = 0;
  return true;
}

void TCustomForm::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_COMMAND:
    case WM_INITMENUPOPUP:
    case WM_MENUSELECT:
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
    case WM_MENUCHAR:
      if (menu_ && menu_->HandleMenuMessage(Message.Msg, Message.WParam, Message.LParam, Message.Result)) break;
      // Leaving the menu, or an entry of the system menu: no item's hint any more.
      if (Message.Msg == WM_MENUSELECT && Application) Application->SetHint(WideString());
      inherited::Dispatch(Message);
      break;
    case WM_SYSCOMMAND:
      if (MenuKey(Message)) break;
      inherited::Dispatch(Message);
      break;
    case WM_CLOSE: WMClose(Message); break;
    case WM_ACTIVATE: WMActivate(Message); break;
    case CM_ACTIVATE: CMActivate(Message); break;
    case CM_DEACTIVATE: CMDeactivate(Message); break;
    case CM_RELEASE: CMRelease(Message); break;
    case WM_NEXTDLGCTL: WMNextDlgCtl(Message); break;
    default: inherited::Dispatch(Message); break;
  }
}
