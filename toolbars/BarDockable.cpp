// Dockable windows: their docked non-client area, their moves between docks and floating, the
// drag loop, and the small frame a floating window sits in.
#include <algorithm>

#include "framework/Application.h"
#include "framework/Format.h"
#include "framework/ScopeGuards.h"
#include "toolbars/BarDock.h"

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
HV_PUBLISH(TBarFloatingWindowParent) {}

namespace {

const BYTE CloseGlyph[8] = {0x00, 0xCC, 0x78, 0x30, 0x78, 0xCC, 0x00, 0x00};

void DrawCloseButton(HDC DC, const TRect& R, bool Pushed, bool Hot) {
  RECT rc{R.Left, R.Top, R.Right, R.Bottom};
  TBrushHandle face(CreateSolidBrush(ColorToRGB(clBtnFace)));
  FillRect(DC, &rc, face.Get());
  if (Pushed)
    DrawEdge(DC, &rc, BDR_SUNKENOUTER, BF_RECT);
  else if (Hot)
    DrawEdge(DC, &rc, BDR_RAISEDINNER, BF_RECT);
  WORD words[8];
  for (int i = 0; i < 8; ++i) words[i] = static_cast<WORD>(0xFF00 | static_cast<BYTE>(~CloseGlyph[i]));
  TBitmapHandle bits(CreateBitmap(8, 8, 1, 1, words));
  TCreatedDC glyph(CreateCompatibleDC(DC));
  TSelectObject select(glyph.Get(), bits.Get());
  int x = R.Left + 2 + Pushed, y = R.Top + 2 + Pushed;
  DrawMonoGlyph(DC, glyph.Get(), x, y, 8, 8, clBtnText);
}

TPoint CursorPoint() {
  POINT p{};
  GetCursorPos(&p);
  return {p.x, p.y};
}

TRect WindowRectOf(HWND Wnd) {
  RECT r{};
  GetWindowRect(Wnd, &r);
  return {r.left, r.top, r.right, r.bottom};
}

bool Intersects(const TRect& A, const TRect& B) {
  return A.Left < B.Right && B.Left < A.Right && A.Top < B.Bottom && B.Top < A.Bottom;
}

}  // namespace

// ---- the window ----

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

namespace {
void Reframe(TWinControl* W) {
  if (W->HandleAllocated())
    SetWindowPos(W->Handle(), nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
}  // namespace

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

void TBarCustomDockableWindow::Loaded() {
  TCustomControl::Loaded();
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
  FrameRect(DC, &r, face.Get());
  InflateRect(&r, -1, -1);
  FillRect(DC, &r, face.Get());
  if (!currentDock_->AllowDragging()) return;
  bool vertical = currentDock_->Vertical();
  int bars = dragHandleStyle_ == dhDouble ? 2 : dragHandleStyle_ == dhSingle ? 1 : 0;
  int offset = closeButtonWhenDocked_ ? (dragHandleStyle_ == dhDouble ? 5 : 7) : (dragHandleStyle_ == dhDouble ? 4 : 3);
  int from = closeButtonWhenDocked_ ? 16 : 2;
  for (int b = 0; b < bars; ++b) {
    int at = offset + b * 3;
    int to = (vertical ? wr.Width() : wr.Height()) - 2 - (bars == 1 ? 1 : 0);
    RECT bar = vertical ? RECT{from, at, to, at + 3} : RECT{at, from, at + 3, to};
    DrawEdge(DC, &bar, BDR_RAISEDINNER, BF_RECT);
  }
  if (closeButtonWhenDocked_) DrawCloseButton(DC, CloseButtonRect(), closePushed_, closeHot_);
}

void TBarCustomDockableWindow::PaintNC(HWND, HDC DC, void* AppData) {
  static_cast<TBarCustomDockableWindow*>(AppData)->DrawNCArea(DC, true);
}

bool TBarCustomDockableWindow::TrackCloseButton(HWND Wnd, const std::function<TRect()>& ButtonRect) {
  auto over = [&] {
    TRect wr = WindowRectOf(Wnd);
    TPoint p = CursorPoint();
    return ButtonRect().Contains({p.X - wr.Left, p.Y - wr.Top});
  };
  SetCapture(Wnd);
  bool accepted = false;
  closePushed_ = true;
  RedrawWindow(Wnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
  MSG msg;
  while (GetCapture() == Wnd) {
    if (!GetMessageW(&msg, nullptr, 0, 0)) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (msg.message == WM_LBUTTONUP) {
      accepted = over();
      break;
    }
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) break;
    if (msg.message == WM_MOUSEMOVE) {
      bool pushed = over();
      if (pushed != closePushed_) {
        closePushed_ = pushed;
        RedrawWindow(Wnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
      }
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (GetCapture() == Wnd) ReleaseCapture();
  closePushed_ = false;
  if (IsWindow(Wnd)) RedrawWindow(Wnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
  return accepted;
}

void TBarCustomDockableWindow::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || PointOnChild({X, Y})) return;
  if (Shift.Contains(ssDouble)) {
    DoubleClick();
    return;
  }
  if ((currentDock_ && currentDock_->AllowDragging()) || floating_) BeginMoving(X, Y);
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
        if (TrackCloseButton(Handle(), [this] { return CloseButtonRect(); })) Close();
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
    case WM_NCMOUSEMOVE: {
      bool hot = Message.WParam == HTBARCLOSEBUTTON;
      if (hot != closeHot_) {
        closeHot_ = hot;
        RedrawWindow(Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
      }
      if (hot) CallTrackMouseEvent(Handle(), TME_LEAVE | TME_NONCLIENT);
      break;
    }
    case WM_NCMOUSELEAVE:
      if (closeHot_) {
        closeHot_ = false;
        RedrawWindow(Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
      }
      break;
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
    case WM_MOVE:
      TCustomControl::WndProc(Message);
      if (OnMove) OnMove(this);
      return;
    default: break;
  }
  TCustomControl::WndProc(Message);
}

// ---- the drag loop ----

int PickDockRow(const std::vector<TBarDock::TRowInfo>& Rows, int Centre, bool FullSize, bool& NewRow) {
  int s = 0;
  for (size_t i = 0; i < Rows.size(); ++i) {
    int t = Rows[i].Thickness;
    if (t == 0) continue;
    // A full-size window never shares a row: the upper half of a row goes before it.
    if (FullSize || Rows[i].HasFullSize) {
      if (Centre < s + t / 2) return NewRow = true, static_cast<int>(i);
    } else {
      if (Centre < s + t / 4) return NewRow = true, static_cast<int>(i);
      if (Centre < s + t - t / 4) return NewRow = false, static_cast<int>(i);
    }
    s += t;
  }
  NewRow = true;
  return static_cast<int>(Rows.size());
}

struct TBarDragLoop {
  struct Target {
    TBarDock* Dock;
    TRect ScreenRect;
    TPoint Size;
    std::vector<TBarDock::TRowInfo> Rows;
  };
  TBarCustomDockableWindow* W;
  std::vector<Target> Docks;
  TPoint FloatSize;
  TPoint Grab;
  TPoint StartSize;
  TPoint StartCursor;
  bool NoDocking = false;
  bool CannotFloat = false;
  bool StartedFloating = false;
  bool First = true;
  TBarDock* StartDock = nullptr;
  int StartRow = -1;
  HCURSOR StartCursorShape = nullptr;
  const Target* LastTarget = nullptr;
  TRect LastRect;
  bool LastValid = false;
  bool LastNewRow = false;
  // The outline of a drag without smooth mode: drawn inverted on the screen while the other
  // windows' drawing is held back, so that erasing it twice-inverted leaves the screen as it was.
  HDC OutlineDC = nullptr;
  bool Locked = false;
  bool OutlineShown = false;
  TRect OutlineRect;
  TSize OutlineSize{};

  void BeginOutline() {
    HWND desktop = GetDesktopWindow();
    Locked = LockWindowUpdate(desktop) != FALSE;
    OutlineDC = GetDCEx(desktop, nullptr, DCX_WINDOW | DCX_CACHE | (Locked ? DCX_LOCKWINDOWUPDATE : 0));
  }
  // Moves the outline to R (none when R is null or empty).
  void DrawOutline(const TRect* R, TSize Size) {
    if (!OutlineDC) return;
    bool show = R && !R->IsEmpty();
    if (!show && !OutlineShown) return;
    if (show && OutlineShown && *R == OutlineRect && Size.cx == OutlineSize.cx && Size.cy == OutlineSize.cy) return;
    DrawHalftoneInvertRect(OutlineDC, show ? R : nullptr, OutlineShown ? &OutlineRect : nullptr, Size, OutlineSize);
    OutlineShown = show;
    if (show) OutlineRect = *R, OutlineSize = Size;
  }
  void EndOutline() {
    DrawOutline(nullptr, {});
    if (OutlineDC) ReleaseDC(GetDesktopWindow(), OutlineDC);
    OutlineDC = nullptr;
    if (Locked) LockWindowUpdate(nullptr);
    Locked = false;
  }

  void SearchForm(TWinControl* C, bool (*Skip)(TBarDock*, TBarDragLoop*)) {
    for (TBarDockPosition pos : {dpTop, dpBottom, dpLeft, dpRight})
      for (int i = 0; i < C->ControlCount(); ++i)
        if (auto* d = dynamic_cast<TBarDock*>(C->Controls(i)); d && d->Position() == pos && d->Showing())
          if (!Skip(d, this)) AddDock(d);
    for (int i = 0; i < C->ControlCount(); ++i) {
      auto* child = dynamic_cast<TWinControl*>(C->Controls(i));
      if (!child || dynamic_cast<TBarDock*>(child) || !child->Showing() || child->ContainsControl(W)) continue;
      SearchForm(child, Skip);
    }
  }

  void AddDock(TBarDock* D) {
    for (auto& t : Docks)
      if (t.Dock == D) return;
    if (!D->AllowDragging() || !W->CanDockTo(D)) return;
    D->SetCommitPending();
    D->ArrangeToolbars();
    Target t{D, D->HandleAllocated() ? WindowRectOf(D->Handle()) : TRect{}, {}, D->RowInfo()};
    if (D == W->currentDock_) {
      t.Size = {W->Width(), W->Height()};
    } else {
      TPoint size;
      W->CalculateSize(false, 0, size, D, false);
      TPoint nc{4, 4};
      if (D->AllowDragging()) (D->Vertical() ? nc.Y : nc.X) += W->DragHandleSize();
      t.Size = {size.X + nc.X, size.Y + nc.Y};
    }
    Docks.push_back(t);
  }

  TRect PlaceRect(const TPoint& P, const TPoint& Size) const {
    int l = P.X - MulDiv(Size.X - 1, Grab.X, std::max(StartSize.X, 1));
    int t = P.Y - MulDiv(Size.Y - 1, Grab.Y, std::max(StartSize.Y, 1));
    return {l, t, l + Size.X, t + Size.Y};
  }

  bool HitDock(const Target& T, const TPoint& P) const {
    TRect r = T.ScreenRect;
    r = {r.Left - 3, r.Top - 3, r.Right + 3, r.Bottom + 3};
    int gx = MulDiv(25, Grab.X, std::max(StartSize.X, 1));
    int gy = MulDiv(25, Grab.Y, std::max(StartSize.Y, 1));
    if (P.X < r.Left + gx - 25 || P.X >= r.Right + gx) return false;
    if (T.Dock->Vertical() && (P.Y < r.Top || P.Y >= r.Bottom)) return false;
    if (P.Y < r.Top - (25 - gy) || P.Y >= r.Bottom + gy) return false;
    return Intersects(PlaceRect(P, T.Size), r);
  }

  void Evaluate(TPoint P) {
    const Target* target = nullptr;
    if (W->keepOrder_) {
      for (auto& t : Docks)
        if (t.Dock == W->currentDock_) target = &t;
    } else if (!NoDocking && !(First && StartedFloating)) {
      for (auto& t : Docks) {
        if (!HitDock(t, P)) continue;
        bool accept = true;
        if (t.Dock->OnRequestDock) t.Dock->OnRequestDock(t.Dock, W, accept);
        if (accept) {
          target = &t;
          break;
        }
      }
    }
    First = false;
    if (!target) {
      TRect work = GetRectOfMonitorContainingPoint(P, true);
      P.X = std::clamp(P.X, work.Left, std::max(work.Left, work.Right - 1));
      P.Y = std::clamp(P.Y, work.Top, std::max(work.Top, work.Bottom - 1));
    }
    TRect rect = PlaceRect(P, target ? target->Size : FloatSize);
    if (!target) KeepReachable(rect, P);
    if (W->keepOrder_)
      ::SetCursor(LoadCursorW(nullptr, W->currentDock_ && W->currentDock_->Vertical() ? IDC_SIZENS : IDC_SIZEWE));
    else if (!target && CannotFloat) {
      ::SetCursor(LoadCursorW(nullptr, IDC_NO));
      LastValid = false;
      DrawOutline(nullptr, {});
      return;
    } else
      ::SetCursor(StartCursorShape);
    LastTarget = target;
    LastRect = rect;
    LastValid = true;
    if (W->smoothDragging_) {
      MoveTo(target, rect, P);
    } else {
      TPoint border = W->GetFloatingBorderSize();
      DrawOutline(&rect, target ? TSize{1, 1} : TSize{border.X, border.Y});
    }
  }

  void KeepReachable(TRect& R, const TPoint& P) {
    TRect work = GetRectOfMonitorContainingPoint(P, true);
    TPoint border = W->GetFloatingBorderSize();
    TRect inner{work.Left + border.X + 4, work.Top + border.Y + 4, work.Right - border.X - 4,
                work.Bottom - border.Y - 4};
    int dx = 0, dy = 0;
    if (R.Right <= inner.Left) dx = inner.Left - R.Right + 1;
    if (R.Left >= inner.Right) dx = inner.Right - R.Left - 1;
    if (R.Bottom <= inner.Top) dy = inner.Top - R.Bottom + 1;
    if (R.Top >= inner.Bottom) dy = inner.Bottom - R.Top - 1;
    R = {R.Left + dx, R.Top + dy, R.Right + dx, R.Bottom + dy};
    int minTop = work.Top + 4 - (W->showCaption_ ? GetSystemMetrics(SM_CYSMCAPTION) : 0);
    if (R.Top < minTop) R = {R.Left, minTop, R.Right, minTop + R.Height()};
  }

  void MoveTo(const Target* T, const TRect& R, const TPoint& P) {
    if (!T) {
      W->floatingPosition_ = R.TopLeft();
      if (!W->floating_)
        W->SetFloating(true);
      else if (W->floatingParent_)
        W->floatingParent_->SetBounds(R.Left, R.Top, R.Width(), R.Height());
      return;
    }
    TBarDock* dock = T->Dock;
    POINT tl{R.Left, R.Top};
    if (dock->HandleAllocated()) ::ScreenToClient(dock->Handle(), &tl);
    bool vertical = dock->Vertical();
    int centre = vertical ? tl.x + R.Width() / 2 : tl.y + R.Height() / 2;
    int row;
    bool newRow = false;
    if (W->keepOrder_) {
      row = W->dockRow_;
    } else {
      row = PickDockRow(T->Rows, centre, W->fullSize_, newRow);
      int moved = vertical ? P.Y - StartCursor.Y : P.X - StartCursor.X;
      if (dock == StartDock && row == StartRow && !newRow && std::abs(moved) >= 10) W->keepOrder_ = true;
    }
    W->dockRow_ = row;
    W->dockPos_ = vertical ? tl.y : tl.x;
    if (W->Parent() != dock) W->SetParent(dock);
    if (!W->smoothDragging_) dock->SetCommitPending();
    W->ownRow_ = LastNewRow = newRow;
    dock->ArrangeToolbars();
    W->ownRow_ = false;
    if (W->HandleAllocated()) UpdateWindow(W->Handle());
  }
};

void TBarCustomDockableWindow::BeginMoving(int X, int Y) {
  TCustomForm* form = OwningForm();
  if (!form || !form->HandleAllocated()) return;
  TBarDragLoop loop;
  loop.W = this;
  dragging_ = true;
  keepOrder_ = false;
  if (currentDock_) {
    shrunkWhileDragging_ = false;
    currentDock_->SetCommitPending();
    currentDock_->ArrangeToolbars();
    loop.StartDock = currentDock_;
    loop.StartRow = computedRow_;
  }
  smoothDragging_ = smoothDrag_;
  loop.StartedFloating = floating_;
  // The grab point, relative to the whole window (through the frame when floating).
  TRect wr = floating_ && floatingParent_ && floatingParent_->HandleAllocated()
                 ? WindowRectOf(floatingParent_->Handle())
             : HandleAllocated() ? WindowRectOf(Handle())
                                 : TRect{};
  POINT origin{X, Y};
  if (HandleAllocated()) ::ClientToScreen(Handle(), &origin);
  loop.Grab = {origin.x - wr.Left, origin.y - wr.Top};
  loop.StartSize = {std::max(wr.Width(), 1), std::max(wr.Height(), 1)};
  loop.StartCursor = CursorPoint();
  loop.NoDocking = GetKeyState(VK_CONTROL) < 0;
  loop.CannotFloat = dockMode_ != dmCanFloat;
  loop.StartCursorShape = GetCursor();
  if (dockMode_ == dmCannotFloatOrChangeDocks) {
    if (currentDock_) loop.AddDock(currentDock_);
  } else {
    if (currentDock_) loop.AddDock(currentDock_);
    auto skip = [](TBarDock*, TBarDragLoop*) { return false; };
    loop.SearchForm(form, skip);
    for (TCustomForm* f : dockForms_)
      if (f != form) loop.SearchForm(f, skip);
  }
  TPoint fsize;
  CalculateSize(false, 1, fsize, nullptr, true);
  TPoint border = GetFloatingBorderSize();
  loop.FloatSize = {fsize.X + 2 * border.X,
                    fsize.Y + 2 * border.Y + (showCaption_ ? GetSystemMetrics(SM_CYSMCAPTION) : 0)};

  HWND capture = form->Handle();
  if (!smoothDragging_) loop.BeginOutline();
  TScopeExit outline([&] { loop.EndOutline(); });
  SetCapture(capture);
  bool accepted = false;
  loop.Evaluate(loop.StartCursor);
  TPoint last = loop.StartCursor;
  MSG msg;
  while (GetCapture() == capture) {
    if (!GetMessageW(&msg, nullptr, 0, 0)) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    bool done = false;
    switch (msg.message) {
      case WM_LBUTTONUP: accepted = done = true; break;
      case WM_KEYDOWN:
      case WM_KEYUP:
        if (msg.wParam == VK_CONTROL) {
          bool down = msg.message == WM_KEYDOWN;
          if (down != loop.NoDocking) {
            loop.NoDocking = down;
            loop.Evaluate(CursorPoint());
          }
        } else if (msg.wParam == VK_ESCAPE && msg.message == WM_KEYDOWN) {
          done = true;
        }
        break;
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK: done = true; break;
      case WM_MOUSEMOVE: {
        TPoint p{static_cast<short>(LOWORD(msg.lParam)), static_cast<short>(HIWORD(msg.lParam))};
        POINT sp{p.X, p.Y};
        ::ClientToScreen(msg.hwnd, &sp);
        p = {sp.x, sp.y};
        if (p != last) {
          last = p;
          loop.Evaluate(p);
        }
        break;
      }
      case WM_RBUTTONDOWN:
      case WM_RBUTTONUP:
      case WM_MBUTTONDOWN:
      case WM_MBUTTONUP:
      case WM_RBUTTONDBLCLK:
      case WM_MBUTTONDBLCLK: break;
      default: TranslateMessage(&msg); DispatchMessageW(&msg);
    }
    if (done) break;
  }
  if (GetCapture() == capture) ReleaseCapture();
  loop.EndOutline();
  if (!smoothDragging_ && accepted && loop.LastValid) {
    smoothDragging_ = false;
    loop.MoveTo(loop.LastTarget, loop.LastRect, last);
  }
  bool wasSmooth = smoothDragging_;
  smoothDragging_ = false;
  if (currentDock_) {
    // The drag's last place stays (a row the drop opened stays the window's own), and the dock
    // the window ended in is remembered; the frame kept for the drag is no longer needed.
    currentDock_->SetCommitPending();
    ownRow_ = loop.LastNewRow;
    currentDock_->ArrangeToolbars();
    ownRow_ = false;
    if (wasSmooth && useLastDock_) SetLastDock(currentDock_);
    if (floatingParent_ && !floating_) {
      TBarFloatingWindowParent* frame = floatingParent_;
      floatingParent_ = nullptr;
      frame->ForgetWindow();
      ShowWindow(frame->Handle(), SW_HIDE);
      frame->Release();
    }
  }
  dragging_ = false;
  keepOrder_ = false;
}

// ---- edge resizing of the floating frame ----

void TBarCustomDockableWindow::BeginSizing(int Edge) {
  if (!floating_ || !floatingParent_ || !floatingParent_->HandleAllocated()) return;
  HWND frame = floatingParent_->Handle();
  TPoint nc = floatingParent_->NonClientSize();
  TPoint minSize, maxSize;
  GetMinMaxSize(minSize, maxSize);
  minSize = {minSize.X + nc.X, minSize.Y + nc.Y};
  if (maxSize.X > 0) maxSize.X += nc.X;
  if (maxSize.Y > 0) maxSize.Y += nc.Y;
  bool horizontal = Edge == 0 || Edge == 1 || Edge == 3 || Edge == 4 || Edge == 6 || Edge == 7;
  bool leftSide = Edge == 0 || Edge == 3 || Edge == 6;
  bool vertical = Edge >= 2;
  bool topSide = Edge == 2 || Edge == 3 || Edge == 4;
  ResizeBegin(Edge);
  if (clipCursor_) {
    TRect work = GetRectOfMonitorContainingPoint(CursorPoint(), true);
    RECT clip{work.Left, work.Top, work.Right, work.Bottom};
    ClipCursor(&clip);
  }
  TRect start = WindowRectOf(frame);
  TPoint startCursor = CursorPoint();
  TRect current = start;
  SetCapture(frame);
  bool accepted = false;
  MSG msg;
  while (GetCapture() == frame) {
    if (!GetMessageW(&msg, nullptr, 0, 0)) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (msg.message == WM_LBUTTONUP) {
      accepted = true;
      break;
    }
    if ((msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) || msg.message == WM_LBUTTONDOWN) break;
    if (msg.message != WM_MOUSEMOVE) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
      continue;
    }
    TPoint p = CursorPoint();
    TRect r = start;
    int dx = p.X - startCursor.X, dy = p.Y - startCursor.Y;
    if (horizontal) (leftSide ? r.Left : r.Right) += dx;
    if (vertical && Edge != 0 && Edge != 1) (topSide ? r.Top : r.Bottom) += dy;
    auto clampAxis = [](int& lo, int& hi, bool moveLo, int mn, int mx) {
      int size = hi - lo;
      if (size < mn) size = mn;
      if (mx > 0 && size > mx) size = mx;
      if (moveLo)
        lo = hi - size;
      else
        hi = lo + size;
    };
    clampAxis(r.Left, r.Right, leftSide, minSize.X, maxSize.X);
    clampAxis(r.Top, r.Bottom, topSide, minSize.Y, maxSize.Y);
    ResizeTrack(r, Edge, p);
    if (r != current) {
      current = r;
      if (smoothDrag_) {
        floatingParent_->SetBounds(r.Left, r.Top, r.Width(), r.Height());
        SetBounds(0, 0, r.Width() - nc.X, r.Height() - nc.Y);
      }
    }
  }
  if (GetCapture() == frame) ReleaseCapture();
  if (clipCursor_) ClipCursor(nullptr);
  if (accepted && !smoothDrag_)
    floatingParent_->SetBounds(current.Left, current.Top, current.Width(), current.Height());
  floatingPosition_ = {floatingParent_->Left(), floatingParent_->Top()};
  ResizeEnd(accepted);
}

// ---- the floating frame ----

namespace {
// The frames of this thread, told of activations and of their owning forms through one hook.
std::vector<TBarFloatingWindowParent*> floatingFrames;
// The application's activation while the system tells of its change (-1: ask the system).
int appActiveHint = -1;
bool AppActive() { return appActiveHint >= 0 ? appActiveHint != 0 : ApplicationIsActive(); }
}  // namespace

TBarFloatingWindowParent::TBarFloatingWindowParent(TCustomForm* AOwningForm, TBarCustomDockableWindow* AWindow)
    : TCustomForm(nullptr, CreateNew), owningForm_(AOwningForm), window_(AWindow) {
  SetBorderStyle(bsToolWindow);
  owningForm_->FreeNotification(this);
  floatingFrames.push_back(this);
  InstallHookProc(this, &TBarFloatingWindowParent::HookEvent,
                  THookProcCodes{hkActivate, hkActivateApp, hkWindowPosChanged, hkDestroyWindow});
}

TBarFloatingWindowParent::~TBarFloatingWindowParent() {
  UninstallHookProc(this, &TBarFloatingWindowParent::HookEvent);
  floatingFrames.erase(std::remove(floatingFrames.begin(), floatingFrames.end(), this), floatingFrames.end());
  if (window_) {
    window_->floatingParent_ = nullptr;
    window_->floating_ = false;
  }
}

void TBarFloatingWindowParent::HookEvent(THookProcCode Code, HWND Wnd, WPARAM WParam, LPARAM LParam) {
  for (TBarFloatingWindowParent* f : std::vector<TBarFloatingWindowParent*>(floatingFrames))
    if (std::find(floatingFrames.begin(), floatingFrames.end(), f) != floatingFrames.end())
      f->OwnerEvent(Code, Wnd, WParam, LParam);
}

void TBarFloatingWindowParent::OwnerEvent(THookProcCode Code, HWND Wnd, WPARAM WParam, LPARAM LParam) {
  HWND owner = owningForm_ && owningForm_->HandleAllocated() ? owningForm_->Handle() : nullptr;
  TTempValue hint(appActiveHint, Code == hkActivateApp ? (WParam ? 1 : 0) : appActiveHint);
  switch (Code) {
    case hkActivateApp: UpdateVisibility(); break;
    case hkWindowPosChanged:
      if (Wnd == owner && (reinterpret_cast<const WINDOWPOS*>(LParam)->flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW)))
        UpdateVisibility();
      return;
    case hkDestroyWindow:
      // Owned windows go with their owner: the frame passes to the application's window first.
      if (Wnd == owner && HandleAllocated() && Application) {
        SetWindowLongPtrW(Handle(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(Application->Handle()));
        shouldShow_ = false;
        SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, 0x97);
      }
      return;
    default: break;
  }
  bool active = CaptionActive();
  if (active != captionActive_ && HandleAllocated())
    RedrawWindow(Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
  captionActive_ = active;
}

void TBarFloatingWindowParent::CreateParams(TCreateParams& Params) {
  TCustomForm::CreateParams(Params);
  Params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
  Params.Style = WS_POPUP | WS_CLIPCHILDREN | (window_ && window_->Resizable() ? WS_THICKFRAME : 0);
  Params.ExStyle = WS_EX_TOOLWINDOW;
  if (owningForm_ && owningForm_->HandleAllocated()) Params.WndParent = owningForm_->Handle();
}

TPoint TBarFloatingWindowParent::NonClientSize() {
  if (!window_) return {};
  TPoint b = window_->GetFloatingBorderSize();
  return {2 * b.X, 2 * b.Y + (window_->ShowCaption() ? GetSystemMetrics(SM_CYSMCAPTION) : 0)};
}

int TBarFloatingWindowParent::HitTest(const TPoint& ScreenPos) {
  if (!window_ || !HandleAllocated()) return HTNOWHERE;
  TRect wr = WindowRectOf(Handle());
  TPoint p{ScreenPos.X - wr.Left, ScreenPos.Y - wr.Top};
  TPoint b = window_->GetFloatingBorderSize();
  int cap = window_->ShowCaption() ? GetSystemMetrics(SM_CYSMCAPTION) : 0;
  TRect client{b.X, b.Y + cap, wr.Width() - b.X, wr.Height() - b.Y};
  if (client.Contains(p)) return HTCLIENT;
  if (cap) {
    TRect band{b.X, b.Y, wr.Width() - b.X, b.Y + cap - 1};
    if (band.Contains(p)) {
      int h = cap - 1;
      TRect close{band.Right - h + 1, band.Top + 1, band.Right - 1, band.Bottom - 1};
      return window_->CloseButton() && close.Contains(p) ? HTBARCLOSEBUTTON : HTBARCAPTION;
    }
  }
  if (!window_->Resizable()) return HTBARCAPTION;
  if (window_->resizeCorners_) {
    int c = cap - 1 + b.X;
    bool l = p.X < c, r = p.X >= wr.Width() - c, t = p.Y < c, bt = p.Y >= wr.Height() - c;
    if (t && l) return HTTOPLEFT;
    if (t && r) return HTTOPRIGHT;
    if (bt && l) return HTBOTTOMLEFT;
    if (bt && r) return HTBOTTOMRIGHT;
  }
  if (p.X < b.X) return HTLEFT;
  if (p.X >= wr.Width() - b.X) return HTRIGHT;
  if (p.Y < b.Y) return HTTOP;
  return HTBOTTOM;
}

bool TBarFloatingWindowParent::CaptionActive() {
  if (!AppActive()) return false;
  if (window_ && window_->FloatingMode() == fmOnTopOfParentForm && owningForm_ && owningForm_->HandleAllocated()) {
    HWND active = GetActiveWindow();
    return active == owningForm_->Handle() || GetWindow(active, GW_OWNER) == owningForm_->Handle() ||
           (HandleAllocated() && active == Handle());
  }
  return true;
}

void TBarFloatingWindowParent::UpdateVisibility() {
  if (!window_) return;
  // A form whose window is going has let go of the frame already and takes it back when it has
  // a new window.
  HWND owner =
      owningForm_ && owningForm_->HandleAllocated() && !owningForm_->ControlState().Contains(csDestroyingHandle)
          ? owningForm_->Handle()
          : nullptr;
  bool show = window_->Visible() && window_->visibilityLock_ == 0 && window_->Parent() == this &&
              (window_->FloatingMode() != fmOnTopOfParentForm || (owner && IsWindowVisible(owner))) &&
              (!window_->HideWhenInactive() || AppActive());
  shouldShow_ = show;
  // The frame is a shown form for the framework from its first showing on, so that the window it
  // holds gets its own window; whether the frame's window is on screen follows shouldShow_.
  if (show && !Visible()) SetVisible(true);
  if (!HandleAllocated()) return;
  if (owner && reinterpret_cast<HWND>(GetWindowLongPtrW(Handle(), GWLP_HWNDPARENT)) != owner)
    SetWindowLongPtrW(Handle(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, show ? 0x57 : 0x97);
  HWND after = HWND_NOTOPMOST;
  if (window_->FloatingMode() == fmOnTopOfAllForms)
    after = window_->Enabled() ? HWND_TOPMOST : HWND_NOTOPMOST;
  else if (owner && (GetWindowLongW(owner, GWL_EXSTYLE) & WS_EX_TOPMOST))
    after = HWND_TOPMOST;
  SetWindowPos(Handle(), after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TBarFloatingWindowParent::CMShowingChanged(TMessage&) {
  SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, Showing() && shouldShow_ ? 0x57 : 0x97);
}

void TBarFloatingWindowParent::PaintFrame(HWND Wnd, HDC DC, void* AppData) {
  auto* self = static_cast<TBarFloatingWindowParent*>(AppData);
  if (!self->window_) return;
  TRect wr = WindowRectOf(Wnd);
  TPoint b = self->window_->GetFloatingBorderSize();
  int cap = self->window_->ShowCaption() ? GetSystemMetrics(SM_CYSMCAPTION) : 0;
  RECT all{0, 0, wr.Width(), wr.Height()};
  TSaveDC save(DC);
  ExcludeClipRect(DC, b.X, b.Y + cap, wr.Width() - b.X, wr.Height() - b.Y);
  TBrushHandle face(CreateSolidBrush(ColorToRGB(clBtnFace)));
  FillRect(DC, &all, face.Get());
  DrawEdge(DC, &all, EDGE_RAISED, BF_RECT);
  if (!cap) return;
  RECT band{b.X, b.Y, wr.Width() - b.X, b.Y + cap - 1};
  int h = cap - 1;
  TRect close{band.right - h + 1, band.top + 1, band.right - 1, band.bottom - 1};
  {
    TSaveDC inner(DC);
    if (self->window_->CloseButton()) ExcludeClipRect(DC, close.Left, close.Top, close.Right, close.Bottom);
    UINT flags = DC_SMALLCAP | DC_TEXT;
    if (self->CaptionActive()) flags |= DC_ACTIVE;
    BOOL gradient = FALSE;
    if (BarSystemParametersInfo(SPI_GETGRADIENTCAPTIONS, 0, &gradient) && gradient) flags |= DC_GRADIENT;
    DrawCaption(Wnd, DC, &band, flags);
  }
  if (self->window_->CloseButton()) DrawCloseButton(DC, close, self->closePushed_, false);
  RECT under{b.X, b.Y + cap - 1, wr.Width() - b.X, b.Y + cap};
  FillRect(DC, &under, face.Get());
}

void TBarFloatingWindowParent::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_NCCALCSIZE: {
      RECT* r = Message.WParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(Message.LParam)->rgrc[0]
                               : reinterpret_cast<RECT*>(Message.LParam);
      if (window_) {
        TPoint b = window_->GetFloatingBorderSize();
        r->left += b.X;
        r->right -= b.X;
        r->top += b.Y + (window_->ShowCaption() ? GetSystemMetrics(SM_CYSMCAPTION) : 0);
        r->bottom -= b.Y;
        r->right = std::max(r->right, r->left);
        r->bottom = std::max(r->bottom, r->top);
      }
      Message.Result = 0;
      return;
    }
    case WM_NCHITTEST:
      Message.Result =
          HitTest({static_cast<short>(LOWORD(Message.LParam)), static_cast<short>(HIWORD(Message.LParam))});
      return;
    case WM_NCPAINT: {
      TWholeWindowDC dc(Handle());
      PaintFrame(Handle(), dc.Get(), this);
      Message.Result = 0;
      return;
    }
    case WM_NCACTIVATE: {
      TWholeWindowDC dc(Handle());
      PaintFrame(Handle(), dc.Get(), this);
      Message.Result = 1;
      return;
    }
    case WM_PRINT: HandleWMPrint(Handle(), Message, &TBarFloatingWindowParent::PaintFrame, this); return;
    case WM_GETMINMAXINFO: {
      auto* mmi = reinterpret_cast<MINMAXINFO*>(Message.LParam);
      mmi->ptMinTrackSize = {1, 1};
      mmi->ptMaxTrackSize = {32767, 32767};
      Message.Result = 0;
      return;
    }
    case WM_NCLBUTTONDOWN:
      if (!window_) break;
      if (Message.WParam >= HTLEFT && Message.WParam <= HTBOTTOMRIGHT) {
        if (window_->Resizable()) window_->BeginSizing(static_cast<int>(Message.WParam) - HTLEFT);
        return;
      }
      if (Message.WParam == HTBARCLOSEBUTTON) {
        closePushed_ = true;
        TBarCustomDockableWindow* w = window_;
        bool closeIt = w->TrackCloseButton(Handle(), [this] {
          TRect wr = WindowRectOf(Handle());
          TPoint b = window_ ? window_->GetFloatingBorderSize() : TPoint{};
          int cap = GetSystemMetrics(SM_CYSMCAPTION);
          int right = wr.Width() - b.X;
          return TRect{right - cap + 2, b.Y + 1, right - 1, b.Y + cap - 2};
        });
        closePushed_ = false;
        if (closeIt) w->Close();
        return;
      }
      if (Message.WParam == HTBARCAPTION) {
        POINT p = {static_cast<short>(LOWORD(Message.LParam)), static_cast<short>(HIWORD(Message.LParam))};
        if (window_->HandleAllocated()) ::ScreenToClient(window_->Handle(), &p);
        window_->BeginMoving(p.x, p.y);
        return;
      }
      break;
    case WM_NCLBUTTONDBLCLK:
      if (window_ && Message.WParam == HTBARCAPTION) {
        window_->DoubleClick();
        return;
      }
      break;
    case WM_NCRBUTTONUP:
      if (window_ && window_->HandleAllocated())
        SendMessageW(window_->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window_->Handle()), Message.LParam);
      return;
    case WM_CLOSE:
      if (owningForm_ && owningForm_->HandleAllocated()) PostMessageW(owningForm_->Handle(), WM_CLOSE, 0, 0);
      return;
    case WM_MOUSEACTIVATE:
      SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, 0x13);
      if (window_ && window_->FloatingMode() == fmOnTopOfParentForm && window_->ActivateParent() && owningForm_ &&
          owningForm_->HandleAllocated() && GetActiveWindow() != Handle())
        SetActiveWindow(owningForm_->Handle());
      Message.Result = MA_NOACTIVATE;
      return;
    case WM_MOVE:
      TCustomForm::WndProc(Message);
      if (window_ && window_->OnMove) window_->OnMove(window_);
      return;
    case CM_DIALOGKEY:
      if (Message.WParam == VK_ESCAPE && GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_CONTROL) >= 0 &&
          GetKeyState(VK_MENU) >= 0 && owningForm_) {
        if (owningForm_->CanFocus()) owningForm_->SetFocus();
        Message.Result = 1;
        return;
      }
      break;
    case CM_TEXTCHANGED:
      TCustomForm::WndProc(Message);
      if (HandleAllocated()) RedrawWindow(Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
      return;
    default: break;
  }
  TCustomForm::WndProc(Message);
}
