// Controls with a window of their own: creating and destroying the window, showing, children and
// alignment, bounds and message handling.
#include "framework/Controls.h"

#include <algorithm>
#include <optional>

#include "framework/Application.h"
#include "framework/ControlCapture.h"
#include "framework/DragDrop.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/PaintScopes.h"
#include "framework/Screen.h"
#include "framework/ScopeGuards.h"
#include "framework/WindowLink.h"

namespace {

using controls_detail::captureControl;

bool IsClientMouseMessage(UINT msg) { return msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST && msg != WM_MOUSEWHEEL; }

}  // namespace

// ---- TWinControl: the window ----

HV_PUBLISH(TWinControl) {
  p.Prop("TabStop", &T::TabStop, &T::SetTabStop).Default(0);
  p.Prop("TabOrder", &T::TabOrder, &T::SetTabOrder).Default(-1);
  p.Prop("BorderWidth", &T::BorderWidth, &T::SetBorderWidth).Default(0);
  p.Prop("ParentCtl3D", &T::ParentCtl3D, &T::SetParentCtl3D).Default(1);
  p.Prop("Ctl3D", &T::Ctl3D, &T::SetCtl3D).Stored(&T::IsCtl3DStored);
  p.Prop("DoubleBuffered", &T::DoubleBuffered, &T::SetDoubleBuffered).Default(0);
  p.Prop("ParentBackground", &T::ParentBackground, &T::SetParentBackground).Default(0);
  p.Event("OnKeyDown", &T::OnKeyDown);
  p.Event("OnKeyPress", &T::OnKeyPress);
  p.Event("OnKeyUp", &T::OnKeyUp);
  p.Event("OnEnter", &T::OnEnter);
  p.Event("OnExit", &T::OnExit);
}

// Scroll bars and owner-drawn children tell their parent; the child control handles it (CN_).
static bool ReflectToChild(TWinControl* Parent, TMessage& Message) {
  HWND child = nullptr;
  switch (Message.Msg) {
    case WM_HSCROLL:
    case WM_VSCROLL: child = reinterpret_cast<HWND>(Message.LParam); break;
    case WM_DRAWITEM: {
      auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
      if (dis && dis->CtlType != ODT_MENU) child = dis->hwndItem;
      break;
    }
    case WM_MEASUREITEM: {
      auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
      if (mis && mis->CtlType != ODT_MENU && Parent->HandleAllocated())
        child = GetDlgItem(Parent->Handle(), static_cast<int>(mis->CtlID));
      break;
    }
    case WM_DELETEITEM: {
      auto* dis = reinterpret_cast<DELETEITEMSTRUCT*>(Message.LParam);
      if (dis) child = dis->hwndItem;
      break;
    }
    case WM_COMPAREITEM: {
      auto* cis = reinterpret_cast<COMPAREITEMSTRUCT*>(Message.LParam);
      if (cis) child = cis->hwndItem;
      break;
    }
    default: break;
  }
  if (!child || child == Parent->Handle()) return false;
  TWinControl* control = FindControl(child);
  if (!control) return false;
  Message.Result = control->Perform(CN_BASE + Message.Msg, Message.WParam, Message.LParam);
  return true;
}

TControl* FindDragTarget(const TPoint& Pos, bool AllowDisabled) {
  HWND wnd = WindowFromPoint(ToPOINT(Pos));
  TWinControl* window = nullptr;
  // A system window inside one of ours (the edit of a combo box) counts as ours.
  while (wnd && !(window = FindControl(wnd))) wnd = GetParent(wnd);
  if (!window) return nullptr;
  if (TControl* child = window->ControlAtPos(window->ScreenToClient(Pos), AllowDisabled)) return child;
  return window;
}

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner), brush_(std::make_unique<TBrush>()) {
  brush_->SetColor(Color());
}

TWinControl::~TWinControl() {
  Destroying();
  if (parent_) RemoveFocus(true);
  if (parent_) parent_->RemoveControl(this);
  DestroyHandle();
  // Children that nobody else freed go with their parent.
  while (!controls_.empty()) {
    TControl* child = controls_.back();
    RemoveControl(child);
    delete child;
  }
}

void TWinControl::MainWndProc(TMessage& Message) {
  // The window's own paint notes whether the erase that BeginPaint sends painted the background.
  const bool ownPaint = Message.Msg == WM_PAINT && !Message.WParam;
  const bool outerPaint = inOwnPaint_;
  const bool outerErased = paintErased_;
  if (ownPaint) {
    inOwnPaint_ = true;
    paintErased_ = false;
  }
  try {
    if (IsDestroying())
      DefaultHandler(Message);  // the object is being torn down: the window's own behaviour only
    else if (WindowProc)
      WindowProc(Message);
    else
      WndProc(Message);
  } catch (...) {
    if (Application) Application->HandleException(this);
  }
  if (Message.Msg == WM_ERASEBKGND && inOwnPaint_ && Message.Result != 0 && handle_ &&
      WindowFromDC(reinterpret_cast<HDC>(Message.WParam)) == handle_)
    paintErased_ = true;
  if (ownPaint) {
    inOwnPaint_ = outerPaint;
    paintErased_ = outerErased;
  }
}

void TWinControl::AttachHandle(HWND Wnd) {
  handle_ = Wnd;
  LinkWindow(Wnd, this);
}

void TWinControl::DetachHandle() {
  if (!handle_) return;
  UnlinkWindow(handle_);
  handle_ = nullptr;
  showing_ = false;
  mouseTracking_ = false;
  if (captureControl == this || (captureControl && captureControl->parent_ == this)) captureControl = nullptr;
}

void TWinControl::WindowDestroying() noexcept {
  TControlCanvas::FreeDeviceContextsOf(this);
  if (IsDestroying()) return;
  try {
    SaveWindowText();
  } catch (...) {
    // The text is lost, the window goes all the same.
  }
}

void TWinControl::SaveWindowText() {
  if (!handle_) return;
  int len = GetWindowTextLengthW(handle_);
  WideString text(static_cast<size_t>(std::max(len, 0)) + 1, L'\0');
  int copied = GetWindowTextW(handle_, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<size_t>(std::clamp(copied, 0, std::max(len, 0))));
  text_ = text;
}

HWND TWinControl::Handle() {
  HandleNeeded();
  return handle_;
}

void TWinControl::HandleNeeded() {
  if (handle_) return;
  if (parent_) parent_->HandleNeeded();
  CreateHandle();
}

void TWinControl::CreateParams(TCreateParams& Params) {
  Params = TCreateParams();
  Params.Caption = text_;
  Params.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (ControlStyle().Contains(csAcceptsControls)) Params.Style |= WS_CLIPCHILDREN;
  if (!Enabled()) Params.Style |= WS_DISABLED;
  if (tabStop_) Params.Style |= WS_TABSTOP;
  Params.X = Left();
  Params.Y = Top();
  Params.Width = Width();
  Params.Height = Height();
  Params.WndParent = parent_ ? parent_->handle_ : parentWindow_;
  Params.WindowClass.style = CS_VREDRAW | CS_HREDRAW;
  if (ControlStyle().Contains(csDoubleClicks)) Params.WindowClass.style |= CS_DBLCLKS;
  Params.WindowClass.lpfnWndProc = DefWindowProcW;
  Params.WindowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  std::string name = ClassName();
  Params.WinClassName.assign(name.begin(), name.end());
}

void TWinControl::CreateSubClass(TCreateParams& Params, const wchar_t* ControlClassName) {
  WNDCLASSW system{};
  if (!GetClassInfoW(nullptr, ControlClassName, &system) &&
      !GetClassInfoW(GetModuleHandleW(nullptr), ControlClassName, &system))
    RaiseLastOSError();
  // The system class's look and behaviour, under the control's own class name.
  Params.WindowClass = system;
  Params.WindowClass.style &= ~static_cast<UINT>(CS_OWNDC | CS_CLASSDC | CS_PARENTDC | CS_GLOBALCLASS);
  Params.WindowClass.lpszClassName = nullptr;
  Params.WindowClass.lpszMenuName = nullptr;
}

void TWinControl::RegisterWindowClass(TCreateParams& Params) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  const wchar_t* name = Params.WinClassName.c_str();
  WNDCLASSW existing{};
  if (GetClassInfoW(instance, name, &existing)) {
    if (existing.lpfnWndProc == ControlWindowProc) return;
    // A class of that name with another procedure is not ours to use.
    if (!UnregisterClassW(name, instance)) RaiseLastOSError();
  }
  WNDCLASSW wc = Params.WindowClass;
  wc.lpfnWndProc = ControlWindowProc;
  wc.hInstance = instance;
  wc.lpszClassName = name;
  if (!RegisterClassW(&wc)) RaiseLastOSError();
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  if ((params.Style & WS_CHILD) && !params.WndParent)
    throw EInvalidOperation("Control '" + Name() + "' has no parent window");
  defWndProc_ = params.WindowClass.lpfnWndProc ? params.WindowClass.lpfnWndProc : DefWindowProcW;
  RegisterWindowClass(params);
  CreateWindowHandle(params);
  if (!handle_) RaiseLastOSError();
}

void TWinControl::CreateWindowHandle(const TCreateParams& Params) {
  TWindowCreation creating(this);
  HWND wnd = CreateWindowExW(Params.ExStyle, Params.WinClassName.c_str(), Params.Caption.c_str(), Params.Style,
                             Params.X, Params.Y, Params.Width, Params.Height, Params.WndParent, nullptr,
                             GetModuleHandleW(nullptr), this);
  if (!wnd) RaiseLastOSError();
}

void TWinControl::CreateHandle() {
  if (handle_) return;
  CreateWnd();
  // Stacked as in the control list: below the next sibling that has a window.
  if (parent_) {
    HWND above = HWND_TOP;
    auto it = std::find(parent_->controls_.begin(), parent_->controls_.end(), static_cast<TControl*>(this));
    for (++it; it != parent_->controls_.end(); ++it) {
      if (auto* w = dynamic_cast<TWinControl*>(*it); w && w->handle_) {
        above = w->handle_;
        break;
      }
    }
    SetWindowPos(handle_, above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  if (defWndProc_ != DefWindowProcW) SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), 0);
  UpdateBounds();
  for (TControl* c : controls_) c->UpdateAnchorRules();
}

void TWinControl::DestroyHandle() {
  if (!handle_) return;
  for (TWinControl* child : tabList_) child->DestroyHandle();
  DestroyWnd();
}

void TWinControl::DestroyWnd() { DestroyWindowHandle(); }

void TWinControl::DestroyWindowHandle() {
  SetControlState(ControlState() + csDestroyingHandle);
  HWND wnd = handle_;
  DestroyWindow(wnd);
  SetControlState(ControlState() - csDestroyingHandle);
  // A window destroyed elsewhere already let go of its control.
  if (handle_ == wnd) DetachHandle();
}

void TWinControl::RecreateWnd() {
  if (!handle_) return;
  bool focused = Focused();
  DestroyHandle();
  UpdateControlState();
  if (focused && handle_) ::SetFocus(handle_);
}

void TWinControl::SetParentWindow(HWND Value) {
  if (parent_ || Value == parentWindow_) return;
  if (handle_ && Value) {
    // The window moves to its new home.
    ::SetParent(handle_, Value);
    parentWindow_ = Value;
    return;
  }
  DestroyHandle();
  parentWindow_ = Value;
  UpdateControlState();
}

void TWinControl::UpdateBounds() {
  if (!handle_) return;
  RECT r{};
  if (IsIconic(handle_)) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(handle_, &placement);
    r = placement.rcNormalPosition;
  } else {
    GetWindowRect(handle_, &r);
    if (GetWindowLongW(handle_, GWL_STYLE) & WS_CHILD)
      MapWindowPoints(nullptr, GetParent(handle_), reinterpret_cast<POINT*>(&r), 2);
  }
  left_ = r.left;
  top_ = r.top;
  width_ = r.right - r.left;
  height_ = r.bottom - r.top;
}

// ---- showing ----

void TWinControl::UpdateShowing() {
  bool show = Visible() && (!parent_ || parent_->showing_);
  if (show && !handle_) CreateHandle();
  if (!handle_ || show == showing_) return;
  showing_ = show;
  if (show) {
    // The children first, so that the window appears whole.
    for (TWinControl* child : std::vector<TWinControl*>(tabList_)) child->UpdateShowing();
    UndoOnFailure([&] { Perform(CM_SHOWINGCHANGED); }, [&] { showing_ = false; });
  } else {
    Perform(CM_SHOWINGCHANGED);
    for (TWinControl* child : std::vector<TWinControl*>(tabList_)) child->UpdateShowing();
  }
}

// Showing changes only follow when every parent is showing.
void TWinControl::UpdateControlState() {
  for (TWinControl* p = parent_; p; p = p->parent_)
    if (!p->showing_) return;
  UpdateShowing();
}

void TWinControl::CMShowingChanged(TMessage&) {
  SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | (showing_ ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

void TWinControl::CMVisibleChanged(TMessage&) {
  if (!Visible() && parent_) RemoveFocus(false);
  UpdateControlState();
}

// ---- children ----

TControl* TWinControl::Controls(int Index) const {
  if (Index < 0 || Index >= ControlCount())
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return controls_[static_cast<size_t>(Index)];
}

bool TWinControl::ContainsControl(TControl* Control) const {
  for (TControl* c = Control; c; c = c->parent_)
    if (c == this) return true;
  return false;
}

void TWinControl::InsertControl(TControl* AControl) {
  if (!AControl || AControl->parent_ == this) return;
  if (auto* w = dynamic_cast<TWinControl*>(AControl); w && w->ContainsControl(this))
    throw EInvalidOperation("A control cannot be placed inside its own child");
  controls_.push_back(AControl);
  AControl->parent_ = this;
  auto* win = dynamic_cast<TWinControl*>(AControl);
  if (win) tabList_.push_back(win);
  if (!AControl->IsLoading()) {
    if (AControl->parentColor_) AControl->ApplyParentColor();
    if (AControl->parentFont_) AControl->ApplyParentFont();
    if (AControl->parentShowHint_) AControl->ApplyParentShowHint();
    if (win && win->parentCtl3D_) win->ApplyParentCtl3D();
  }
  AControl->UpdateAnchorRules();
  Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), 1);
  Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(AControl), 1);
  if (win)
    win->UpdateControlState();
  else
    AControl->Invalidate();
  AlignControl(AControl);
}

void TWinControl::RemoveControl(TControl* AControl) {
  auto it = std::find(controls_.begin(), controls_.end(), AControl);
  if (it == controls_.end()) return;
  bool destroying = IsDestroying();
  if (!destroying) Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), 0);
  auto tab = std::find_if(tabList_.begin(), tabList_.end(),
                          [&](TWinControl* w) { return static_cast<TControl*>(w) == AControl; });
  if (tab != tabList_.end()) {
    TWinControl* win = *tab;
    win->RemoveFocus(true);
    win->DestroyHandle();
    tabList_.erase(std::find(tabList_.begin(), tabList_.end(), win));
  } else {
    AControl->Invalidate();
  }
  controls_.erase(std::find(controls_.begin(), controls_.end(), AControl));
  AControl->parent_ = nullptr;
  if (!destroying) {
    Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(AControl), 0);
    Realign();
  }
}

TControl* TWinControl::ControlAtPos(const TPoint& Pos, bool AllowDisabled, bool AllowWinControls) {
  for (size_t i = controls_.size(); i-- > 0;) {
    TControl* c = controls_[i];
    bool windowed = dynamic_cast<TWinControl*>(c) != nullptr;
    if (windowed && !AllowWinControls) continue;
    if (!c->Visible() || (!c->Enabled() && !AllowDisabled)) continue;
    if (!c->BoundsRect().Contains(Pos)) continue;
    if (c->HitTest(Pos.X - c->Left(), Pos.Y - c->Top())) return c;
  }
  return nullptr;
}

void TWinControl::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
  for (TControl* c : controls_)
    if (c->Owner() == Root) Proc(c);
}

void TWinControl::SetZOrderPosition(TControl* AControl, size_t Position) {
  auto it = std::find(controls_.begin(), controls_.end(), AControl);
  if (it == controls_.end()) return;
  controls_.erase(it);
  Position = std::min(Position, controls_.size());
  controls_.insert(controls_.begin() + static_cast<std::ptrdiff_t>(Position), AControl);
  if (auto* w = dynamic_cast<TWinControl*>(AControl); w && w->handle_) {
    // Below the nearest sibling above it that has a window; on top when there is none.
    HWND after = HWND_TOP;
    for (size_t i = Position + 1; i < controls_.size(); ++i)
      if (auto* s = dynamic_cast<TWinControl*>(controls_[i]); s && s->handle_) {
        after = s->handle_;
        break;
      }
    SetWindowPos(w->handle_, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  } else {
    AControl->Invalidate();
  }
  Realign();
}

void TWinControl::Broadcast(TMessage& Message) {
  for (TControl* c : std::vector<TControl*>(controls_)) {
    if (c->WindowProc)
      c->WindowProc(Message);
    else
      c->WndProc(Message);
    if (Message.Result != 0) return;
  }
}

void TWinControl::NotifyControls(UINT Msg) {
  TMessage m;
  m.Msg = Msg;
  Broadcast(m);
}

// ---- alignment ----

void TWinControl::DisableAlign() { ++alignLevel_; }

void TWinControl::EnableAlign() {
  if (alignLevel_ > 0) --alignLevel_;
  if (alignLevel_ == 0 && ControlState().Contains(csAlignmentNeeded)) Realign();
}

void TWinControl::Realign() { AlignControl(nullptr); }

void TWinControl::AdjustClientRect(TRect& Rect) {
  Rect.Left += borderWidth_;
  Rect.Top += borderWidth_;
  Rect.Right -= borderWidth_;
  Rect.Bottom -= borderWidth_;
}

void TWinControl::AlignControl(TControl* AControl) {
  if (aligning_) return;
  if (alignLevel_ > 0 || IsLoading() || IsDestroying()) {
    SetControlState(ControlState() + csAlignmentNeeded);
    return;
  }
  SetControlState(ControlState() - csAlignmentNeeded);
  TTempValue aligning(aligning_, true);
  TRect r = GetClientRect();
  AdjustClientRect(r);
  AlignControls(AControl, r);
}

void TWinControl::AlignControls(TControl* AControl, TRect& Rect) {
  static const TAlign order[] = {alTop, alBottom, alLeft, alRight, alClient};
  for (TAlign align : order) {
    std::vector<TControl*> list;
    for (TControl* c : controls_)
      if (c->Align() == align && c->Visible()) list.push_back(c);
    // The side nearest to the edge goes first; on a tie the control that asked for the
    // alignment does.
    auto key = [align](TControl* c) {
      switch (align) {
        case alTop: return c->Top();
        case alBottom: return -(c->Top() + c->Height());
        case alLeft: return c->Left();
        case alRight: return -(c->Left() + c->Width());
        default: return 0;
      }
    };
    std::stable_sort(list.begin(), list.end(), [&](TControl* a, TControl* b) {
      int ka = key(a), kb = key(b);
      return ka < kb || (ka == kb && a == AControl && b != AControl);
    });
    for (TControl* c : list) PlaceAligned(c, align, Rect);
  }
  TRect client = GetClientRect();
  for (TControl* c : controls_)
    if (c->Align() == alNone) ApplyAnchors(c, client);
}

void TWinControl::PlaceAligned(TControl* AControl, TAlign Align, TRect& Rect) {
  int width = std::max(Rect.Width(), 0);
  int height = std::max(Rect.Height(), 0);
  switch (Align) {
    case alTop:
      AControl->SetBounds(Rect.Left, Rect.Top, width, AControl->Height());
      Rect.Top += AControl->Height();
      break;
    case alBottom:
      AControl->SetBounds(Rect.Left, Rect.Bottom - AControl->Height(), width, AControl->Height());
      Rect.Bottom -= AControl->Height();
      break;
    case alLeft:
      AControl->SetBounds(Rect.Left, Rect.Top, AControl->Width(), height);
      Rect.Left += AControl->Width();
      break;
    case alRight:
      AControl->SetBounds(Rect.Right - AControl->Width(), Rect.Top, AControl->Width(), height);
      Rect.Right -= AControl->Width();
      break;
    case alClient: AControl->SetBounds(Rect.Left, Rect.Top, width, height); break;
    default: break;
  }
}

void TWinControl::ApplyAnchors(TControl* AControl, const TRect& Client) {
  if (!AControl->anchorRulesValid_) return;
  TAnchors a = AControl->Anchors();
  if (a == TAnchors{akLeft, akTop}) return;
  const TRect& r = AControl->anchorRect_;
  int dx = Client.Width() - AControl->anchorParentSize_.cx;
  int dy = Client.Height() - AControl->anchorParentSize_.cy;
  int left = r.Left, width = r.Width(), top = r.Top, height = r.Height();
  if (a.Contains(akRight)) {
    if (a.Contains(akLeft))
      width += dx;
    else
      left += dx;
  } else if (!a.Contains(akLeft)) {
    left += dx / 2;  // neither side: the control keeps its place relative to the middle
  }
  if (a.Contains(akBottom)) {
    if (a.Contains(akTop))
      height += dy;
    else
      top += dy;
  } else if (!a.Contains(akTop)) {
    top += dy / 2;
  }
  AControl->SetBounds(left, top, std::max(width, 0), std::max(height, 0));
}

void TWinControl::Loaded() {
  inherited::Loaded();
  Realign();
}

// ---- bounds ----

TSize TWinControl::NonClientSize() {
  if (handle_) {
    RECT window{}, client{};
    GetWindowRect(handle_, &window);
    ::GetClientRect(handle_, &client);
    return {(window.right - window.left) - client.right, (window.bottom - window.top) - client.bottom};
  }
  TCreateParams params;
  CreateParams(params);
  RECT r{0, 0, 0, 0};
  AdjustWindowRectEx(&r, params.Style, FALSE, params.ExStyle);
  TSize size{r.right - r.left, r.bottom - r.top};
  if (params.Style & WS_VSCROLL) size.cx += GetSystemMetrics(SM_CXVSCROLL);
  if (params.Style & WS_HSCROLL) size.cy += GetSystemMetrics(SM_CYHSCROLL);
  return size;
}

TRect TWinControl::GetClientRect() {
  if (handle_) {
    RECT r{};
    ::GetClientRect(handle_, &r);
    return ToTRect(r);
  }
  TSize frame = NonClientSize();
  return Rect(0, 0, std::max(Width() - frame.cx, 0), std::max(Height() - frame.cy, 0));
}

void TWinControl::SetClientSize(int AWidth, int AHeight) {
  TSize frame = NonClientSize();
  SetBounds(Left(), Top(), AWidth + frame.cx, AHeight + frame.cy);
}

TPoint TWinControl::ClientOrigin() {
  if (!handle_) return TControl::ClientOrigin();
  POINT p{0, 0};
  ::ClientToScreen(handle_, &p);
  return ToTPoint(p);
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  Constraints()->Constrain(AWidth, AHeight);
  if (ALeft == Left() && ATop == Top() && AWidth == Width() && AHeight == Height()) return;
  if (handle_ && !IsIconic(handle_)) {
    // The window tells the new bounds back (WM_WINDOWPOSCHANGED, WM_SIZE).
    SetWindowPos(handle_, nullptr, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    bool sized = AWidth != Width() || AHeight != Height();
    left_ = ALeft;
    top_ = ATop;
    width_ = AWidth;
    height_ = AHeight;
    if (sized) {
      Realign();
      if (!IsLoading()) Resize();
    }
  }
  UpdateAnchorRules();
  RequestAlign();
}

void TWinControl::SetBorderWidth(int Value) {
  Value = std::max(Value, 0);
  if (Value == borderWidth_) return;
  borderWidth_ = Value;
  Perform(CM_BORDERCHANGED);
}

void TWinControl::CMBorderChanged(TMessage&) {
  Realign();
  Invalidate();
}

void TWinControl::SetCtl3D(bool Value) {
  if (Value == ctl3D_ && !parentCtl3D_) return;
  ctl3D_ = Value;
  parentCtl3D_ = false;
  Perform(CM_CTL3DCHANGED);
}

void TWinControl::SetParentCtl3D(bool Value) {
  if (Value == parentCtl3D_) return;
  parentCtl3D_ = Value;
  if (Value && parent_ && !IsLoading()) ApplyParentCtl3D();
}

void TWinControl::ApplyParentCtl3D() {
  bool v = parent_->Ctl3D();
  if (v != ctl3D_) {
    ctl3D_ = v;
    Perform(CM_CTL3DCHANGED);
  }
  parentCtl3D_ = true;
}

void TWinControl::CMCtl3DChanged(TMessage&) {
  if (ControlStyle().Contains(csFramed) && handle_) RecreateWnd();
  NotifyControls(CM_PARENTCTL3DCHANGED);
}

void TWinControl::CMParentCtl3DChanged(TMessage&) {
  if (parentCtl3D_ && parent_) ApplyParentCtl3D();
}

void TWinControl::SetParentBackground(bool Value) {
  if (Value == parentBackground_) return;
  parentBackground_ = Value;
  Invalidate();
}

void TWinControl::SetTabStop(bool Value) {
  if (Value == tabStop_) return;
  tabStop_ = Value;
  if (handle_) {
    LONG style = GetWindowLongW(handle_, GWL_STYLE);
    SetWindowLongW(handle_, GWL_STYLE, Value ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP));
  }
  Perform(CM_TABSTOPCHANGED);
}

int TWinControl::TabOrder() const {
  if (!parent_) return -1;
  auto& list = parent_->tabList_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int Value) {
  if (!parent_) return;
  auto& list = parent_->tabList_;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  list.erase(it);
  size_t pos = Value < 0 ? list.size() : std::min(static_cast<size_t>(Value), list.size());
  list.insert(list.begin() + static_cast<std::ptrdiff_t>(pos), this);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List) {
  for (TWinControl* child : tabList_) {
    List.push_back(child);
    child->GetTabOrderList(List);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                          bool CheckParent) {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  size_t n = list.size();
  auto found = std::find(list.begin(), list.end(), CurControl);
  // Without a current control the search starts at one end of the list.
  size_t start = found != list.end() ? static_cast<size_t>(found - list.begin()) : (GoForward ? n - 1 : 0);
  size_t i = start;
  do {
    i = GoForward ? (i + 1) % n : (i + n - 1) % n;
    TWinControl* c = list[i];
    if ((!CheckTabStop || c->TabStop()) && (!CheckParent || c->Parent() == this) && c->CanFocus()) return c;
  } while (i != start);
  return nullptr;
}

bool TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
  TWinControl* next = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop);
  if (!next) return false;
  next->SetFocus();
  return true;
}

// ---- messages ----

void TWinControl::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SETFOCUS: {
      TCustomForm* form = GetParentForm(this);
      if (form && !form->SetFocusedControl(this)) return;
      break;
    }
    case WM_KILLFOCUS:
      if (ControlState().Contains(csFocusing)) return;
      break;
    case WM_MOUSEMOVE:
      if (handle_ && !mouseTracking_) {
        TRACKMOUSEEVENT track{};
        track.cbSize = sizeof track;
        track.dwFlags = TME_LEAVE;
        track.hwndTrack = handle_;
        mouseTracking_ = TrackMouseEvent(&track) != FALSE;
      }
      if (Application) {
        TPoint p{MessageX(Message.LParam), MessageY(Message.LParam)};
        TControl* over = nullptr;
        if (GetClientRect().Contains(p)) {
          over = ControlAtPos(p, false);
          if (!over) over = this;
        }
        Application->SetMouseControl(over);
      }
      break;
    default: break;
  }
  if (IsClientMouseMessage(Message.Msg) && IsControlMouseMsg(Message)) {
    // A right click on a child without a window still asks for a context menu (which the
    // child under the point shows, see WMContextMenu).
    if (Message.Msg == WM_RBUTTONUP && Message.Result == 0 && handle_) DefaultHandler(Message);
    return;
  }
  inherited::WndProc(Message);
}

bool TWinControl::IsControlMouseMsg(TMessage& Message) {
  TControl* target = nullptr;
  if (handle_ && GetCapture() == handle_) {
    if (captureControl && captureControl != this && captureControl->parent_ == this) target = captureControl;
  } else {
    target = ControlAtPos({MessageX(Message.LParam), MessageY(Message.LParam)}, false);
  }
  if (!target) return false;
  LPARAM pos = PointToLParam(MessageX(Message.LParam) - target->Left(), MessageY(Message.LParam) - target->Top());
  Message.Result = target->Perform(Message.Msg, Message.WParam, pos);
  return true;
}

void TWinControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_PAINT: WMPaint(Message); break;
    case WM_ERASEBKGND: WMEraseBkgnd(Message); break;
    case WM_PRINT: WMPrint(Message); break;
    case WM_PRINTCLIENT: WMPrintClient(Message); break;
    case WM_SIZE: WMSize(Message); break;
    case WM_MOVE: WMMove(Message); break;
    case WM_WINDOWPOSCHANGED:
      UpdateBounds();
      WMWindowPosChanged(Message);
      break;
    case WM_SETFOCUS: WMSetFocus(Message); break;
    case WM_KILLFOCUS: WMKillFocus(Message); break;
    case WM_KEYDOWN: WMKeyDown(Message); break;
    case WM_SYSKEYDOWN: WMSysKeyDown(Message); break;
    case WM_KEYUP: WMKeyUp(Message); break;
    case WM_SYSKEYUP: WMSysKeyUp(Message); break;
    case WM_SYSCOMMAND:
      // Alt with a letter pressed while a control has the keyboard comes here; it belongs to the
      // control's window, whose menu bar takes it (from here the system would track the
      // window's own menu and pass the menu bar by).
      if ((Message.WParam & 0xFFF0) == SC_KEYMENU && HandleAllocated() &&
          (GetWindowLongW(Handle(), GWL_STYLE) & WS_CHILD)) {
        HWND root = GetAncestor(Handle(), GA_ROOT);
        if (root && root != Handle()) {
          Message.Result = SendMessageW(root, WM_SYSCOMMAND, Message.WParam, Message.LParam);
          break;
        }
      }
      inherited::Dispatch(Message);
      break;
    case WM_CHAR: WMChar(Message); break;
    case WM_GETDLGCODE: WMGetDlgCode(Message); break;
    case WM_SETCURSOR: WMSetCursor(Message); break;
    case WM_COMMAND: WMCommand(Message); break;
    case WM_NOTIFY: WMNotify(Message); break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
    case WM_MOUSEMOVE:
      inherited::Dispatch(Message);
      // A control made from a system class (a button, an edit) clicks and selects by itself.
      if (handle_ && defWndProc_ && defWndProc_ != DefWindowProcW) DefaultHandler(Message);
      break;
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_DELETEITEM:
    case WM_COMPAREITEM:
      if (!ReflectToChild(this, Message)) DefaultHandler(Message);
      break;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: WMCtlColor(Message); break;
    case WM_MOUSELEAVE: WMMouseLeave(Message); break;
    case WM_MOUSEACTIVATE: WMMouseActivate(Message); break;
    case WM_NCDESTROY: WMNCDestroy(Message); break;
    case WM_GETMINMAXINFO: WMGetMinMaxInfo(Message); break;
    case CN_KEYDOWN: CNKeyDown(Message); break;
    case CN_KEYUP:
    case CN_SYSKEYUP: CNKeyUp(Message); break;
    case CN_CHAR: CNChar(Message); break;
    case CN_SYSKEYDOWN: CNSysKeyDown(Message); break;
    case CN_SYSCHAR: CNSysChar(Message); break;
    case CN_CTLCOLORMSGBOX:
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLORBTN:
    case CN_CTLCOLORDLG:
    case CN_CTLCOLORSCROLLBAR:
    case CN_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(Message.WParam);
      SetTextColor(dc, ColorToRGB(Font()->Color()));
      SetBkColor(dc, ColorToRGB(brush_->Color()));
      Message.Result = reinterpret_cast<LRESULT>(brush_->Handle());
      break;
    }
    case CM_DIALOGKEY: CMDialogKey(Message); break;
    case CM_DIALOGCHAR: CMDialogChar(Message); break;
    case CM_FOCUSCHANGED: CMFocusChanged(Message); break;
    case CM_SHOWINGCHANGED: CMShowingChanged(Message); break;
    case CM_ENTER: CMEnter(Message); break;
    case CM_EXIT: CMExit(Message); break;
    case CM_CHILDKEY: CMChildKey(Message); break;
    case CM_CTL3DCHANGED: CMCtl3DChanged(Message); break;
    case CM_PARENTCTL3DCHANGED: CMParentCtl3DChanged(Message); break;
    case CM_RECREATEWND: CMRecreateWnd(Message); break;
    case CM_BORDERCHANGED: CMBorderChanged(Message); break;
    case CM_CONTROLLISTCHANGE: CMControlListChange(Message); break;
    case CM_CONTROLCHANGE: CMControlChange(Message); break;
    default: inherited::Dispatch(Message); break;
  }
}

void TWinControl::DefaultHandler(TMessage& Message) {
  if (handle_) {
    Message.Result = CallWindowProcW(defWndProc_ ? defWndProc_ : DefWindowProcW, handle_, Message.Msg, Message.WParam,
                                     Message.LParam);
    return;
  }
  inherited::DefaultHandler(Message);
}

void TWinControl::WMSize(TMessage& Message) {
  UpdateBounds();
  DefaultHandler(Message);
  Realign();
  if (!IsLoading()) Resize();
}

void TWinControl::WMMove(TMessage& Message) {
  UpdateBounds();
  DefaultHandler(Message);
}

void TWinControl::WMSetCursor(TMessage& Message) {
  if (reinterpret_cast<HWND>(Message.WParam) == handle_ && LOWORD(Message.LParam) == HTCLIENT) {
    TCursor cursor = Screen ? Screen->Cursor() : crDefault;
    if (cursor == crDefault) {
      TControl* over = ControlAtPos(ScreenToClient(MousePos()), false);
      cursor = over && over->Cursor() != crDefault ? over->Cursor() : Cursor();
    }
    if (cursor != crDefault && Screen) {
      ::SetCursor(Screen->Cursors(cursor));
      Message.Result = 1;
      return;
    }
  }
  DefaultHandler(Message);
}

void TWinControl::WMContextMenu(TMessage& Message) {
  TPoint pos{MessageX(Message.LParam), MessageY(Message.LParam)};
  if (!(pos.X == -1 && pos.Y == -1))
    if (TControl* child = ControlAtPos(ScreenToClient(pos), false)) {
      Message.Result = child->Perform(WM_CONTEXTMENU, Message.WParam, Message.LParam);
      if (Message.Result != 0) return;
    }
  inherited::WMContextMenu(Message);
}

// Notifications from system controls go back to the control they are about.
void TWinControl::WMCommand(TMessage& Message) {
  if (Message.LParam) {
    if (TWinControl* c = FindControl(reinterpret_cast<HWND>(Message.LParam))) {
      Message.Result = c->Perform(CN_COMMAND, Message.WParam, Message.LParam);
      return;
    }
  }
  DefaultHandler(Message);
}

void TWinControl::WMNotify(TMessage& Message) {
  auto* header = reinterpret_cast<NMHDR*>(Message.LParam);
  if (header) {
    if (TWinControl* c = FindControl(header->hwndFrom)) {
      Message.Result = c->Perform(CN_NOTIFY, Message.WParam, Message.LParam);
      return;
    }
  }
  DefaultHandler(Message);
}

void TWinControl::WMCtlColor(TMessage& Message) {
  if (TWinControl* c = FindControl(reinterpret_cast<HWND>(Message.LParam))) {
    Message.Result = c->Perform(CN_BASE + Message.Msg, Message.WParam, Message.LParam);
    return;
  }
  DefaultHandler(Message);
}

void TWinControl::WMMouseLeave(TMessage& Message) {
  mouseTracking_ = false;
  if (Application) {
    TControl* over = Application->MouseControl();
    if (over == this || (over && over->Parent() == this && !dynamic_cast<TWinControl*>(over)))
      Application->SetMouseControl(nullptr);
  }
  DefaultHandler(Message);
}

void TWinControl::WMMouseActivate(TMessage& Message) {
  TMouseButton button = mbLeft;
  switch (HIWORD(Message.LParam)) {
    case WM_RBUTTONDOWN: button = mbRight; break;
    case WM_MBUTTONDOWN: button = mbMiddle; break;
    default: break;
  }
  const TPoint at = ScreenToClient(MousePos());
  const int hitTest = static_cast<short>(LOWORD(Message.LParam));
  switch (MouseActivate(button, KeyboardStateToShiftState(), at.X, at.Y, hitTest)) {
    case maActivate: Message.Result = MA_ACTIVATE; break;
    case maActivateAndEat: Message.Result = MA_ACTIVATEANDEAT; break;
    case maNoActivate: Message.Result = MA_NOACTIVATE; break;
    case maNoActivateAndEat: Message.Result = MA_NOACTIVATEANDEAT; break;
    default: DefaultHandler(Message); break;
  }
}

void TWinControl::WMNCDestroy(TMessage& Message) { DefaultHandler(Message); }

void TWinControl::WMGetMinMaxInfo(TMessage& Message) {
  DefaultHandler(Message);
  auto* info = reinterpret_cast<MINMAXINFO*>(Message.LParam);
  TSizeConstraints* c = Constraints();
  if (!info) return;
  if (c->MinWidth() > 0) info->ptMinTrackSize.x = c->MinWidth();
  if (c->MinHeight() > 0) info->ptMinTrackSize.y = c->MinHeight();
  if (c->MaxWidth() > 0) info->ptMaxTrackSize.x = c->MaxWidth();
  if (c->MaxHeight() > 0) info->ptMaxTrackSize.y = c->MaxHeight();
}

void TWinControl::CMRecreateWnd(TMessage&) { RecreateWnd(); }

void TWinControl::CMControlListChange(TMessage&) {}

void TWinControl::CMControlChange(TMessage&) {}

void TWinControl::CMEnabledChanged(TMessage& Message) {
  if (!Enabled() && parent_) RemoveFocus(false);
  if (handle_) EnableWindow(handle_, Enabled());
  inherited::CMEnabledChanged(Message);
}

void TWinControl::CMColorChanged(TMessage& Message) {
  brush_->SetColor(Color());
  inherited::CMColorChanged(Message);
  NotifyControls(CM_PARENTCOLORCHANGED);
}

void TWinControl::CMFontChanged(TMessage& Message) {
  if (handle_ && defWndProc_ != DefWindowProcW)
    SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), 0);
  inherited::CMFontChanged(Message);
  NotifyControls(CM_PARENTFONTCHANGED);
}

void TWinControl::CMShowHintChanged(TMessage& Message) {
  inherited::CMShowHintChanged(Message);
  NotifyControls(CM_PARENTSHOWHINTCHANGED);
}

void TWinControl::CMInvalidate(TMessage&) { Invalidate(); }

void TWinControl::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
}

void TWinControl::DoSetEnabled(bool Value) { inherited::DoSetEnabled(Value); }
