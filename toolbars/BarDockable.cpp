// Dockable windows: their properties, their docked non-client area, their moves between docks
// and floating.
#include <algorithm>

#include "framework/Application.h"
#include "framework/Format.h"
#include "framework/FormFiles.h"
#include "framework/ScopeGuards.h"
#include "toolbars/BarDockableParts.h"
#include "toolbars/BarFloatingFrame.h"

using namespace dockable_detail;

HV_PUBLISH(TBarCustomDockableWindow) {
  p.Prop("DblClickUndock", &T::DblClickUndock, &T::SetDblClickUndock).Default(true);
  p.Prop("DockPos", &T::DockPos, &T::SetDockPos).Default(-1);
  p.Prop("DockRow", &T::DockRow, &T::SetDockRow).Default(0);
  p.Prop("FullSize", &T::FullSize, &T::SetFullSize).Default(false);
  p.Prop("Stretch", &T::Stretch, &T::SetStretch).Default(false);
  p.Prop("UseLastDock", &T::UseLastDock, &T::SetUseLastDock).Default(true);
  p.Prop("CloseButton", &T::CloseButton, &T::SetCloseButton).Default(true);
  p.Prop("CloseButtonWhenDocked", &T::CloseButtonWhenDocked, &T::SetCloseButtonWhenDocked).Default(false);
  p.Prop("Resizable", &T::Resizable, &T::SetResizable).Default(true);
  p.Prop("ShowCaption", &T::ShowCaption, &T::SetShowCaption).Default(true);
  p.Prop("SmoothDrag", &T::SmoothDrag, &T::SetSmoothDrag).Default(true);
  p.Prop("HideWhenInactive", &T::HideWhenInactive, &T::SetHideWhenInactive).Default(true);
  p.Event("OnClose", &T::OnClose);
  p.Event("OnCloseQuery", &T::OnCloseQuery);
  p.Event("OnDockChanged", &T::OnDockChanged);
  p.Event("OnDockChanging", &T::OnDockChanging);
  p.Event("OnDockChangingHidden", &T::OnDockChangingHidden);
  p.Event("OnMove", &T::OnMove);
  p.Event("OnRecreated", &T::OnRecreated);
  p.Event("OnRecreating", &T::OnRecreating);
  p.Event("OnVisibleChanged", &T::OnVisibleChanged);
}

// ---- the watch over freed windows ----

TBarFreeWatch::TBarFreeWatch(std::initializer_list<TComponent*> Watched) : TComponent(nullptr) {
  for (TComponent* c : Watched)
    if (c) {
      watched_.push_back(c);
      c->FreeNotification(this);
    }
}

TBarFreeWatch::~TBarFreeWatch() {
  for (TComponent* c : watched_) c->RemoveFreeNotification(this);
}

void TBarFreeWatch::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  auto it = std::find(watched_.begin(), watched_.end(), AComponent);
  if (Operation != opRemove || it == watched_.end()) return;
  watched_.erase(it);
  gone_ = true;
}

// ---- the window ----

namespace {
// Has the window's frame measured and drawn anew.
void Reframe(TWinControl* W) {
  if (W->HandleAllocated())
    SetWindowPos(W->Handle(), nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
}  // namespace

TBarCustomDockableWindow::TBarCustomDockableWindow(TComponent* AOwner) : TCustomControl(AOwner) {
  TControlStyle style = ControlStyle();
  style.Include(csAcceptsControls);
  SetControlStyle(style);
}

TBarCustomDockableWindow::~TBarCustomDockableWindow() {
  for (TBarDock* d : {currentDock_, lastDock_})
    if (d) d->RemoveWindow(this);
  if (floatingParent_) {
    TBarFloatingWindowParent* frame = floatingParent_;
    floatingParent_ = nullptr;
    frame->ForgetWindow();
    TCustomControl::SetParent(nullptr);
    delete frame;
  }
}

int TBarCustomDockableWindow::DockingKind(TBarDock* ADock, bool AFloating) const {
  if (AFloating) return 1;
  if (!ADock) return 0;
  return ADock->Vertical() ? 3 : 2;
}

TCustomForm* TBarCustomDockableWindow::OwningForm() {
  if (floatingParent_ && floating_) return floatingParent_->OwningForm();
  return GetParentForm(this);
}

int TBarCustomDockableWindow::DragHandleSize() const {
  if (closeButtonWhenDocked_) return 14;
  switch (dragHandleStyle_) {
    case dhDouble: return 9;
    case dhNone: return 0;
    default: return 6;
  }
}

TPoint TBarCustomDockableWindow::GetNCSize() {
  if (!currentDock_) return {};
  TPoint r{4, 4};
  if (currentDock_->AllowDragging()) (currentDock_->Vertical() ? r.Y : r.X) += DragHandleSize();
  return r;
}

TPoint TBarCustomDockableWindow::GetFloatingBorderSize() {
  if (resizable_) return {GetSystemMetrics(SM_CXFRAME), GetSystemMetrics(SM_CYFRAME)};
  return {GetSystemMetrics(SM_CXDLGFRAME), GetSystemMetrics(SM_CYDLGFRAME)};
}

TRect TBarCustomDockableWindow::GetClientRect() {
  if (HandleAllocated()) return TCustomControl::GetClientRect();
  TPoint nc = GetNCSize();
  return Rect(0, 0, std::max(Width() - nc.X, 0), std::max(Height() - nc.Y, 0));
}

TRect TBarCustomDockableWindow::GetDragHandleRect() {
  bool vertical = currentDock_ && currentDock_->Vertical();
  int h = DragHandleSize();
  return vertical ? Rect(2, 2, Width() - 2, 2 + h) : Rect(2, 2, 2 + h, Height() - 2);
}

TRect TBarCustomDockableWindow::CloseButtonRect() { return Rect(2, 2, 14, 14); }

bool TBarCustomDockableWindow::PointOnChild(const TPoint& P) {
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (c->Visible() && c->BoundsRect().Contains(P)) return true;
  }
  return false;
}

void TBarCustomDockableWindow::Arrange() {
  if (updateCount_ > 0 || IsLoading() || !Parent()) {
    arrangePending_ = true;
    return;
  }
  arrangePending_ = false;
  TPoint size;
  CalculateSize(true, DockingKind(currentDock_, floating_), size, currentDock_, floating_);
  if (!(autoResize_ || currentDock_ || floating_)) return;
  if (currentDock_) {
    currentDock_->ArrangeToolbars();
    return;
  }
  TPoint nc = GetNCSize();
  int w = size.X + nc.X, h = size.Y + nc.Y;
  if (!floating_) {
    if (Anchors().Contains(akLeft) && Anchors().Contains(akRight)) w = Width();
    if (Anchors().Contains(akTop) && Anchors().Contains(akBottom)) h = Height();
  }
  SetBounds(Left(), Top(), w, h);
}

void TBarCustomDockableWindow::EndUpdate() {
  if (updateCount_ > 0) --updateCount_;
  if (updateCount_ == 0 && arrangePending_) Arrange();
}

void TBarCustomDockableWindow::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (currentDock_ && settingBounds_ == 0 && ComponentState().Contains(csDesigning) && !IsLoading() &&
      (ALeft != Left() || ATop != Top())) {
    // Moved by a form designer, not by its dock: the new place names the row at its centre
    // across the rows and the position along the row, and the dock puts the window there.
    bool vertical = currentDock_->Vertical();
    int centre = vertical ? ALeft + AWidth / 2 : ATop + AHeight / 2;
    std::vector<TBarDock::TRowInfo> rows = currentDock_->RowInfo();
    size_t row = 0;
    for (int start = 0; row < rows.size() && centre >= start + rows[row].Thickness; ++row) start += rows[row].Thickness;
    dockRow_ = static_cast<int>(row);
    dockPos_ = vertical ? ATop : ALeft;
    currentDock_->ArrangeToolbars();
    return;
  }
  bool sizeChanged = AWidth != Width() || AHeight != Height();
  if (floating_ && floatingParent_) {
    TPoint nc = floatingParent_->NonClientSize();
    ++settingBounds_;
    floatingParent_->SetBounds(floatingParent_->Left(), floatingParent_->Top(), AWidth + nc.X, AHeight + nc.Y);
    --settingBounds_;
    ALeft = ATop = 0;
  }
  TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (sizeChanged && settingBounds_ == 0) SizeChanging(AWidth, AHeight);
}

void TBarCustomDockableWindow::SetParent(TWinControl* AParent) {
  if (AParent == Parent()) return;
  auto* newDock = dynamic_cast<TBarDock*>(AParent);
  bool newFloating = dynamic_cast<TBarFloatingWindowParent*>(AParent) != nullptr;
  bool announce = !IsDestroying() && AParent;
  if (announce) {
    if (OnDockChanging) OnDockChanging(this, newFloating, newDock);
    if (OnRecreating) OnRecreating(this);
  }
  TBarDock* oldDock = currentDock_;
  TBarFloatingWindowParent* oldFrame = floating_ ? floatingParent_ : nullptr;
  ++visibilityLock_;
  if (oldDock) oldDock->BeginUpdate();
  if (newDock) newDock->BeginUpdate();
  ++settingBounds_;
  allotted_ = 0;
  if (oldDock && oldDock != newDock) {
    oldDock->ChangeVisibleList(this, true);
    if (!(useLastDock_ && oldDock == lastDock_)) oldDock->ChangeWindowList(false, this);
  }
  TCustomControl::SetParent(AParent);
  currentDock_ = newDock;
  floating_ = newFloating;
  computedRow_ = -1;
  // The window was made in its new parent before it knew the place; its frame is that of the
  // place it now has.
  Reframe(this);
  if (newDock) newDock->FreeNotification(this);
  if (oldFrame && oldFrame != AParent && !smoothDragging_) {
    floatingParent_ = nullptr;
    oldFrame->ForgetWindow();
    ShowWindow(oldFrame->Handle(), SW_HIDE);
    oldFrame->Release();
  }
  if (newDock) {
    // Entering a dock always joins its window list; the last dock follows unless a smooth drag
    // decides at its end.
    newDock->ChangeWindowList(true, this);
    if (useLastDock_ && !smoothDragging_) SetLastDock(newDock);
  }
  --settingBounds_;
  --visibilityLock_;
  Arrange();
  if (newDock) newDock->EndUpdate();
  if (oldDock) oldDock->EndUpdate();
  if (floatingParent_) floatingParent_->UpdateVisibility();
  if (OnMove) OnMove(this);
  if (announce) {
    if (OnRecreated) OnRecreated(this);
    if (OnDockChanged) OnDockChanged(this);
  }
}

TBarFloatingWindowParent* TBarCustomDockableWindow::CreateFloatingParent(TCustomForm* AOwningForm) {
  return new TBarFloatingWindowParent(AOwningForm, this);
}

void TBarCustomDockableWindow::SetFloating(bool Value) {
  if (Value) {
    TCustomForm* form = OwningForm();
    if (!form) throw EInvalidOperation(Format("Control '%s' has no parent window", Name()));
    if (!floatingParent_ || floatingParent_->OwningForm() != form) {
      if (floatingParent_) {
        floatingParent_->ForgetWindow();
        floatingParent_->Release();
      }
      floatingParent_ = CreateFloatingParent(form);
      floatingParent_->SetName(
          Format("NBFloatingWindowParent_%.8x", static_cast<unsigned>(reinterpret_cast<uintptr_t>(floatingParent_))));
      floatingParent_->SetCaption(Caption());
      TPoint nc = floatingParent_->NonClientSize();
      floatingParent_->SetBounds(floatingPosition_.X, floatingPosition_.Y, ClientWidth() + nc.X, ClientHeight() + nc.Y);
      floatingParent_->SetShowHint(true);
    }
    SetParent(floatingParent_);
    TCustomControl::SetBounds(0, 0, Width(), Height());
    floatingParent_->UpdateVisibility();
  } else if (TCustomForm* form = OwningForm()) {
    SetParent(form);
  }
}

void TBarCustomDockableWindow::SetFloatingPosition(const TPoint& Value) {
  floatingPosition_ = Value;
  if (floating_ && floatingParent_)
    floatingParent_->SetBounds(Value.X, Value.Y, floatingParent_->Width(), floatingParent_->Height());
}

void TBarCustomDockableWindow::MoveOnScreen(bool OnlyWhenOffScreen) {
  if (!floating_ || !floatingParent_) return;
  TRect r = floatingParent_->BoundsRect();
  TRect work = GetRectOfMonitorContainingRect(r, true);
  if (OnlyWhenOffScreen && Intersects(r, work)) return;
  int x = r.Left, y = r.Top;
  if (x + r.Width() > work.Right) x = work.Right - r.Width();
  if (y + r.Height() > work.Bottom) y = work.Bottom - r.Height();
  x = std::max(x, work.Left);
  y = std::max(y, work.Top);
  floatingPosition_ = {x, y};
  floatingParent_->SetBounds(x, y, r.Width(), r.Height());
}

void TBarCustomDockableWindow::SetCurrentDock(TBarDock* Value) {
  if (IsLoading() || Value == currentDock_) return;
  if (Value)
    SetParent(Value);
  else
    SetFloating(true);
}

void TBarCustomDockableWindow::SetLastDock(TBarDock* Value) {
  if (lastDock_ == Value) return;
  if (lastDock_ && lastDock_ != currentDock_) lastDock_->ChangeWindowList(false, this);
  lastDock_ = Value;
  if (Value) {
    Value->FreeNotification(this);
    if (!currentDock_ || currentDock_ == Value) Value->ChangeWindowList(true, this);
  }
}

void TBarCustomDockableWindow::SetDefaultDock(TBarDock* Value) {
  defaultDock_ = Value;
  if (Value) Value->FreeNotification(this);
}

void TBarCustomDockableWindow::SetDockPos(int Value) {
  if (dockPos_ == Value) return;
  dockPos_ = Value;
  if (currentDock_) currentDock_->ArrangeToolbars();
}

void TBarCustomDockableWindow::SetDockRow(int Value) {
  Value = std::max(Value, 0);
  if (dockRow_ == Value) return;
  dockRow_ = Value;
  if (currentDock_) currentDock_->ArrangeToolbars();
}

void TBarCustomDockableWindow::SetCloseButton(bool Value) {
  if (closeButton_ == Value) return;
  closeButton_ = Value;
  if (floatingParent_) Reframe(floatingParent_);
}

void TBarCustomDockableWindow::SetCloseButtonWhenDocked(bool Value) {
  if (closeButtonWhenDocked_ == Value) return;
  closeButtonWhenDocked_ = Value;
  Reframe(this);
  Arrange();
}

void TBarCustomDockableWindow::SetDragHandleStyle(TBarDragHandleStyle Value) {
  if (dragHandleStyle_ == Value) return;
  dragHandleStyle_ = Value;
  Reframe(this);
  Arrange();
}

void TBarCustomDockableWindow::SetBorderStyle(TFormBorderStyle Value) {
  if (borderStyle_ == Value) return;
  borderStyle_ = Value;
  Reframe(this);
}

void TBarCustomDockableWindow::SetShowCaption(bool Value) {
  if (showCaption_ == Value) return;
  showCaption_ = Value;
  UpdateFloatingFrame();
}

void TBarCustomDockableWindow::SetResizable(bool Value) {
  if (resizable_ == Value) return;
  resizable_ = Value;
  UpdateFloatingFrame();
}

void TBarCustomDockableWindow::UpdateFloatingFrame() {
  if (!floatingParent_ || !floating_) return;
  TPoint nc = floatingParent_->NonClientSize();
  floatingParent_->SetBounds(floatingParent_->Left(), floatingParent_->Top(), Width() + nc.X, Height() + nc.Y);
  Reframe(floatingParent_);
}

void TBarCustomDockableWindow::SetStretch(bool Value) {
  if (stretch_ == Value) return;
  stretch_ = Value;
  if (currentDock_) currentDock_->ArrangeToolbars();
}

void TBarCustomDockableWindow::SetFullSize(bool Value) {
  if (fullSize_ == Value) return;
  fullSize_ = Value;
  if (currentDock_) currentDock_->ArrangeToolbars();
}

void TBarCustomDockableWindow::SetAutoResize(bool Value) {
  if (autoResize_ == Value) return;
  autoResize_ = Value;
  if (Value) Arrange();
}

void TBarCustomDockableWindow::SetUseLastDock(bool Value) {
  if (useLastDock_ == Value) return;
  useLastDock_ = Value;
  if (!Value) SetLastDock(nullptr);
}

void TBarCustomDockableWindow::SetFloatingMode(TBarFloatingMode Value) {
  floatingMode_ = Value;
  if (floatingParent_) floatingParent_->UpdateVisibility();
}

void TBarCustomDockableWindow::SetHideWhenInactive(bool Value) {
  hideWhenInactive_ = Value;
  if (floatingParent_) floatingParent_->UpdateVisibility();
}

void TBarCustomDockableWindow::DefineProperties(TFiler* Filer) {
  TCustomControl::DefineProperties(Filer);
  Filer->DefineProperty(
      "SavedAtRunTime", [this](TReader& Reader) { savedAtRunTime_ = Reader.ReadBoolean(); },
      [](TWriter& Writer) { Writer.WriteBoolean(true); }, !ComponentState().Contains(csDesigning));
}

void TBarCustomDockableWindow::Loaded() {
  TCustomControl::Loaded();
  // A floating window placed by hand has its position in the form's client coordinates.
  if (floating_ && !savedAtRunTime_) {
    if (TCustomForm* form = OwningForm()) SetFloatingPosition(form->ClientToScreen(floatingPosition_));
    MoveOnScreen(false);
  }
  Arrange();
}

void TBarCustomDockableWindow::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == currentDock_) currentDock_ = nullptr;
  if (AComponent == lastDock_) lastDock_ = nullptr;
  if (AComponent == defaultDock_) defaultDock_ = nullptr;
}

void TBarCustomDockableWindow::CMVisibleChanged(TMessage& Message) {
  TCustomControl::CMVisibleChanged(Message);
  if (currentDock_) currentDock_->ChangeVisibleList(this, false);
  if (floatingParent_) floatingParent_->UpdateVisibility();
  if (OnVisibleChanged) OnVisibleChanged(this);
}

void TBarCustomDockableWindow::CMTextChanged(TMessage& Message) {
  TCustomControl::CMTextChanged(Message);
  if (floatingParent_) floatingParent_->SetCaption(Caption());
}

void TBarCustomDockableWindow::DoubleClick() {
  if (currentDock_) {
    if (dblClickUndock_ && dockMode_ == dmCanFloat) SetFloating(true);
    return;
  }
  if (!floating_) return;
  if (lastDock_) {
    SetParent(lastDock_);
  } else if (defaultDock_) {
    dockRow_ = 0;
    dockPos_ = -8;
    SetParent(defaultDock_);
  }
}

void TBarCustomDockableWindow::Close() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  if (!canClose) return;
  SetVisible(false);
  if (OnClose) OnClose(this);
}

int TBarCustomDockableWindow::DockedHitTest(const TPoint& ScreenPos) {
  if (!HandleAllocated()) return HTNOWHERE;
  TRect wr = WindowRectOf(Handle());
  TPoint p{ScreenPos.X - wr.Left, ScreenPos.Y - wr.Top};
  POINT cp{ScreenPos.X, ScreenPos.Y};
  ::ScreenToClient(Handle(), &cp);
  if (GetClientRect().Contains({cp.x, cp.y})) return HTCLIENT;
  if (!currentDock_) return HTNOWHERE;
  if (closeButtonWhenDocked_ && currentDock_->AllowDragging() && CloseButtonRect().Contains(p)) return HTBARCLOSEBUTTON;
  return HTBARDRAGHANDLE;
}

void TBarCustomDockableWindow::DrawNCArea(HDC DC, bool) {
  if (!currentDock_ || !HandleAllocated()) return;
  TRect wr = WindowRectOf(Handle());
  RECT r{0, 0, wr.Width(), wr.Height()};
  TBrushHandle face(CreateSolidBrush(ColorToRGB(Color())));
  POINT cp{0, 0};
  ::ClientToScreen(Handle(), &cp);
  RECT cr{};
  ::GetClientRect(Handle(), &cr);
  TSaveDC save(DC);
  ExcludeClipRect(DC, cp.x - wr.Left, cp.y - wr.Top, cp.x - wr.Left + cr.right, cp.y - wr.Top + cr.bottom);
  if (borderStyle_ == bsSingle)
    DrawEdge(DC, &r, BDR_RAISEDINNER, BF_RECT);
  else
    FrameRect(DC, &r, face.Get());
  InflateRect(&r, -1, -1);
  if (DockBackgroundShown()) {
    TSaveDC inner(DC);
    IntersectClipRect(DC, r.left, r.top, r.right, r.bottom);
    currentDock_->PaintBackgroundAt(DC, wr.TopLeft(), wr.Width(), wr.Height());
  } else {
    FrameRect(DC, &r, face.Get());
    InflateRect(&r, -1, -1);
    FillRect(DC, &r, face.Get());
  }
  if (!currentDock_->AllowDragging()) return;
  bool vertical = currentDock_->Vertical();
  int bars = dragHandleStyle_ == dhDouble ? 2 : dragHandleStyle_ == dhSingle ? 1 : 0;
  int offset = closeButtonWhenDocked_ ? (dragHandleStyle_ == dhDouble ? 5 : 7) : (dragHandleStyle_ == dhDouble ? 4 : 3);
  // The bars run along the client area; a docked close button is drawn over their start.
  for (int b = 0; b < bars; ++b) {
    int at = offset + b * 3;
    int to = (vertical ? wr.Width() : wr.Height()) - 2 - (bars == 1 ? 1 : 0);
    RECT bar = vertical ? RECT{2, at, to, at + 3} : RECT{at, 2, at + 3, to};
    DrawEdge(DC, &bar, BDR_RAISEDINNER, BF_RECT);
  }
  if (closeButtonWhenDocked_) DrawCloseButton(DC, CloseButtonRect(), closePushed_, closeHot_);
}

bool TBarCustomDockableWindow::DockBackgroundShown() {
  return currentDock_ && currentDock_->BackgroundOnToolbars() && currentDock_->UsingBackground();
}

void TBarCustomDockableWindow::RepaintOverDockBackground() {
  if (!HandleAllocated() || !IsWindowVisible(Handle())) return;
  TRect wr = WindowRectOf(Handle());
  if (wr.IsEmpty()) return;
  TWholeWindowDC dc(Handle());
  TCreatedDC memory(CreateCompatibleDC(dc.Get()));
  TBitmapHandle bitmap(CreateCompatibleBitmap(dc.Get(), wr.Width(), wr.Height()));
  TSelectObject select(memory.Get(), bitmap.Get());
  Perform(WM_PRINT, reinterpret_cast<WPARAM>(memory.Get()), PRF_NONCLIENT | PRF_ERASEBKGND | PRF_CLIENT);
  BitBlt(dc.Get(), 0, 0, wr.Width(), wr.Height(), memory.Get(), 0, 0, SRCCOPY);
  ValidateRect(Handle(), nullptr);
}

void TBarCustomDockableWindow::PaintNC(HWND, HDC DC, void* AppData) {
  static_cast<TBarCustomDockableWindow*>(AppData)->DrawNCArea(DC, true);
}

bool dockable_detail::TrackCloseButton(HWND Wnd, std::initializer_list<TComponent*> Watched,
                                       const std::function<TRect()>& ButtonRect, bool& Pushed) {
  TBarFreeWatch watch(Watched);
  // Whether the mouse message's point (in the captured window's client area) is on the button.
  auto over = [&](const MSG& Msg) {
    POINT p{static_cast<short>(LOWORD(Msg.lParam)), static_cast<short>(HIWORD(Msg.lParam))};
    ClientToScreen(Wnd, &p);
    TRect wr = WindowRectOf(Wnd);
    return ButtonRect().Contains({p.x - wr.Left, p.y - wr.Top});
  };
  auto show = [&](bool Value) {
    if (Value == Pushed) return;
    Pushed = Value;
    RedrawFrame(Wnd);
  };
  SetCapture(Wnd);
  bool accepted = false;
  show(true);  // pressed on the button
  MSG msg;
  while (GetCapture() == Wnd) {
    if (!GetMessageW(&msg, nullptr, 0, 0)) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (msg.message == WM_LBUTTONUP) {
      accepted = over(msg);
      break;
    }
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) break;
    if (msg.message == WM_MOUSEMOVE) {
      show(over(msg));
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    if (watch.Gone()) break;
  }
  if (GetCapture() == Wnd) ReleaseCapture();
  if (watch.Gone()) return false;
  show(false);
  return accepted;
}

void dockable_detail::FollowCloseButtonHot(HWND Wnd, const TMessage& Message, bool& Hot) {
  const bool hot = Message.Msg == WM_NCMOUSEMOVE && Message.WParam == HTBARCLOSEBUTTON;
  if (hot != Hot) {
    Hot = hot;
    RedrawFrame(Wnd);
  }
  // The leaving is reported once the mouse is off the frame.
  if (hot) CallTrackMouseEvent(Wnd, TME_LEAVE | TME_NONCLIENT);
}

void TBarCustomDockableWindow::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || PointOnChild({X, Y})) return;
  if (Shift.Contains(ssDouble)) {
    DoubleClick();
    return;
  }
  if ((currentDock_ && currentDock_->AllowDragging()) || floating_) {
    TBarFreeWatch watch({this});
    BeginMoving(X, Y);
    if (watch.Gone()) return;
    // The drag took the button's release; the window still hears of it.
    POINT p = {};
    GetCursorPos(&p);
    if (HandleAllocated()) ::ScreenToClient(Handle(), &p);
    MouseUp(mbLeft, Shift - ssLeft, p.x, p.y);
  }
}

void TBarCustomDockableWindow::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_NCCALCSIZE:
      if (currentDock_) {
        RECT* r = Message.WParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(Message.LParam)->rgrc[0]
                                 : reinterpret_cast<RECT*>(Message.LParam);
        InflateRect(r, -2, -2);
        if (currentDock_->AllowDragging()) (currentDock_->Vertical() ? r->top : r->left) += DragHandleSize();
        r->right = std::max(r->right, r->left);
        r->bottom = std::max(r->bottom, r->top);
        Message.Result = 0;
        return;
      }
      break;
    case WM_NCPAINT:
      if (currentDock_) {
        TWholeWindowDC dc(Handle());
        DrawNCArea(dc.Get(), false);
        Message.Result = 0;
        return;
      }
      break;
    case WM_PRINT: HandleWMPrint(Handle(), Message, &TBarCustomDockableWindow::PaintNC, this); return;
    case WM_NCHITTEST:
      if (currentDock_) {
        Message.Result =
            DockedHitTest({static_cast<short>(LOWORD(Message.LParam)), static_cast<short>(HIWORD(Message.LParam))});
        return;
      }
      break;
    case WM_NCLBUTTONDOWN:
      if (Message.WParam == HTBARDRAGHANDLE && currentDock_ && currentDock_->AllowDragging()) {
        POINT p = {static_cast<short>(LOWORD(Message.LParam)), static_cast<short>(HIWORD(Message.LParam))};
        ::ScreenToClient(Handle(), &p);
        BeginMoving(p.x, p.y);
        return;
      }
      if (Message.WParam == HTBARCLOSEBUTTON) {
        if (TrackCloseButton(
                Handle(), {this}, [this] { return CloseButtonRect(); }, closePushed_))
          Close();
        return;
      }
      break;
    case WM_NCLBUTTONDBLCLK:
      if (Message.WParam == HTBARDRAGHANDLE) {
        DoubleClick();
        return;
      }
      break;
    case WM_NCRBUTTONUP:
      SendMessageW(Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Handle()), GetMessagePos());
      return;
    case WM_NCMOUSEMOVE:
    case WM_NCMOUSELEAVE: FollowCloseButtonHot(Handle(), Message, closeHot_); break;
    case WM_SETCURSOR:
      if (LOWORD(Message.LParam) == HTBARDRAGHANDLE && dragHandleStyle_ != dhNone && currentDock_ &&
          currentDock_->AllowDragging()) {
        TRect wr = WindowRectOf(Handle());
        TPoint p = CursorPoint();
        int along = currentDock_->Vertical() ? p.Y - wr.Top : p.X - wr.Left;
        if (along < DragHandleSize() + 2) {
          ::SetCursor(LoadCursorW(nullptr, IDC_SIZEALL));
          Message.Result = 1;
          return;
        }
      }
      break;
    case WM_ERASEBKGND:
      if (DockBackgroundShown()) {
        currentDock_->PaintBackgroundAt(reinterpret_cast<HDC>(Message.WParam), ClientOrigin(), ClientWidth(),
                                        ClientHeight());
        Message.Result = 1;
        return;
      }
      break;
    case WM_MOVE:
      TCustomControl::WndProc(Message);
      if (DockBackgroundShown()) {
        if (currentDock_->arranging_)
          repaintPending_ = true;
        else
          RepaintOverDockBackground();
      }
      if (OnMove) OnMove(this);
      return;
    default: break;
  }
  TCustomControl::WndProc(Message);
}
