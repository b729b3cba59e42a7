// Popup windows and their placement, the modal menu loop, what a finished menu chose, and the
// context menu made of toolbar items.
#include "toolbars/BarPopup.h"

#include <mmsystem.h>
#undef PlaySound  // the popup position record has a field of that name

#include <memory>
#include <vector>

#include "framework/Application.h"
#include "framework/CallbackGuard.h"
#include "framework/Forms.h"
#include "framework/Screen.h"
#include "framework/ScopeGuards.h"
#include "framework/SystemHandles.h"
#include "toolbars/BarAcc.h"
#include "toolbars/BarCommon.h"
#include "toolbars/BarDeferredClick.h"

HV_PUBLISH(TBarPopupWindow) {}
HV_PUBLISH(TBarModalHandler) {}
HV_PUBLISH(TBarPopupMenu) {
  // The images of the menu's own items, in place of the plain menu's.
  p.Prop("Images", &T::Images, &T::SetImages);
  p.Prop("LinkSubitems", &T::LinkSubitems, &T::SetLinkSubitems);
  p.Prop("Options", &T::Options, &T::SetOptions);
}

namespace {

constexpr UINT WM_SYSTIMER_ = 0x118;
constexpr UINT WM_KEYF1_ = 0x4D;
constexpr DWORD SoundFlags = 0x10013;  // alias, no stop, no default, asynchronous

bool firstPopupShown = false;
TBarHelpProc helpProc = nullptr;

bool Overlaps(const TRect& A, const TRect& B) {
  return A.Left < B.Right && A.Right > B.Left && A.Top < B.Bottom && A.Bottom > B.Top;
}

// The shown viewers of the parent view that lie wholly inside the window rectangle.
int CoveredViewers(TBarView* ParentView, int X, int Y, int W, int H) {
  if (!ParentView) return 0;
  TPoint origin{0, 0};
  if (TWinControl* w = ParentView->Window(); w && w->HandleAllocated()) origin = w->ClientOrigin();
  int n = 0;
  for (int i = 0; i < ParentView->ViewerCount(); ++i) {
    TBarItemViewer* v = ParentView->Viewers(i);
    if (!v->Show()) continue;
    TRect b = v->BoundsRect();
    TRect r = Bounds(b.Left + origin.X, b.Top + origin.Y, b.Width(), b.Height());
    n += r.Left >= X && r.Top >= Y && r.Right <= X + W && r.Bottom <= Y + H;
  }
  return n;
}

TBarView* Innermost(TBarView* Root) {
  TBarView* v = Root;
  while (v->OpenViewerView()) v = v->OpenViewerView();
  return v;
}

std::vector<TBarView*> Chain(TBarView* Root) {
  std::vector<TBarView*> chain;
  for (TBarView* v = Root; v; v = v->OpenViewerView()) chain.push_back(v);
  return chain;
}

bool InChain(TBarView* Root, TBarView* View) {
  for (TBarView* v = Root; v; v = v->OpenViewerView())
    if (v == View) return true;
  return false;
}

bool WindowHolds(TBarView* View, const TPoint& P) {
  TWinControl* w = View->Window();
  if (!w || !w->HandleAllocated() || !IsWindowVisible(w->Handle())) return false;
  RECT r{};
  GetWindowRect(w->Handle(), &r);
  return PtInRect(&r, POINT{P.X, P.Y});
}

// The open view under a screen point (the innermost first) and its viewer there.
TBarView* ViewAt(TBarView* Root, const TPoint& P, TBarItemViewer*& Viewer) {
  Viewer = nullptr;
  std::vector<TBarView*> chain = Chain(Root);
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    if (!WindowHolds(*it, P)) continue;
    Viewer = (*it)->ViewerFromPoint((*it)->Window()->ScreenToClient(P));
    return *it;
  }
  return nullptr;
}

TPoint ScreenPointOf(const MSG& Msg) {
  POINT p{MessageX(Msg.lParam), MessageY(Msg.lParam)};
  if (Msg.message != WM_MOUSEWHEEL && Msg.hwnd) ClientToScreen(Msg.hwnd, &p);
  return {p.x, p.y};
}

TPoint CurrentMessagePos() {
  DWORD p = GetMessagePos();
  return {MessageX(static_cast<LPARAM>(p)), MessageY(static_cast<LPARAM>(p))};
}

bool IsButtonDown(UINT Msg) {
  return Msg == WM_LBUTTONDOWN || Msg == WM_LBUTTONDBLCLK || Msg == WM_RBUTTONDOWN || Msg == WM_RBUTTONDBLCLK ||
         Msg == WM_NCLBUTTONDOWN || Msg == WM_NCLBUTTONDBLCLK || Msg == WM_NCRBUTTONDOWN || Msg == WM_NCRBUTTONDBLCLK;
}

using TLockSetForegroundWindow = BOOL(WINAPI*)(UINT);
TLockSetForegroundWindow LockForegroundProc() {
  static const auto proc = reinterpret_cast<TLockSetForegroundWindow>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "LockSetForegroundWindow")));
  return proc;
}

using TImmGetVirtualKey = UINT(WINAPI*)(HWND);
UINT MappedProcessKey(HWND Wnd) {
  static const TModuleHandle imm(L"imm32.dll");
  static const auto proc = imm.Proc<TImmGetVirtualKey>("ImmGetVirtualKey");
  return proc ? proc(Wnd) : VK_PROCESSKEY;
}

void PlayMenuSound(const wchar_t* Alias) { PlaySoundW(Alias, nullptr, SoundFlags); }

void RemovePending(UINT Msg) {
  MSG m;
  while (PeekMessageW(&m, nullptr, Msg, Msg, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(m.wParam));
      return;
    }
  }
}

}  // namespace

// ---- placement ----

void CalcPopupPosition(TBarView* ParentView, TBarPopupPositionRec& R, bool& OpenLeft) {
  OpenLeft = false;
  const TRect& pir = R.ParentItemRect;
  const TRect& mr = R.MonitorRect;
  bool verticalParent = ParentView && ParentView->Orientation() == orVertical;
  if (R.Y + R.H > mr.Bottom && !verticalParent) {
    int above = (R.PositionAsSubmenu ? pir.Bottom + R.NCSizeY : pir.Top) - R.H;
    if (above >= mr.Top) R.Y = above;
  }
  if (R.Y + R.H > mr.Bottom) R.Y = mr.Bottom - R.H;
  if (R.Y < mr.Top) R.Y = mr.Top;
  auto coversItem = [&] { return Overlaps(TRect{R.X, R.Y, R.X + R.W, R.Y + R.H}, pir); };
  if (R.PositionAsSubmenu) {
    for (;;) {
      if (!R.Opposite && R.X + R.W <= mr.Right) break;
      int left = (ParentView ? pir.Left + R.NCSizeX : R.X) - R.W;
      if (R.Opposite && left < mr.Left) {
        R.Opposite = false;  // no room on the left either: back to the right
        continue;
      }
      OpenLeft = true;
      R.X = left;
      break;
    }
    if (R.X < mr.Left) R.X = mr.Left;
  } else {
    if (!ParentView && R.Alignment == 1 && R.X < mr.Left) R.X += R.W;
    if (R.X + R.W > mr.Right) R.X = ParentView || R.Alignment != 0 ? mr.Right - R.W : R.X - R.W;
    if (R.X < mr.Left) R.X = mr.Left;
    if (verticalParent) {
      if (pir.Right + R.W <= mr.Right &&
          (CoveredViewers(ParentView, pir.Right, R.Y, R.W, R.H) < CoveredViewers(ParentView, R.X, R.Y, R.W, R.H) ||
           coversItem()))
        R.X = pir.Right;
      if (coversItem()) {
        R.Y = pir.Bottom + R.H > mr.Bottom ? pir.Top - R.H : pir.Bottom;
        if (R.Y < mr.Top) R.Y = mr.Top;
      }
    } else {
      int above = pir.Top - R.H;
      if (above >= mr.Top &&
          (CoveredViewers(ParentView, R.X, above, R.W, R.H) < CoveredViewers(ParentView, R.X, R.Y, R.W, R.H) ||
           coversItem()))
        R.Y = above;
      if (coversItem()) {
        R.X = pir.Right + R.W > mr.Right ? pir.Left - R.W : pir.Right;
        if (R.X < mr.Left) R.X = mr.Left;
      }
    }
  }
  R.AnimateDirections = 0;
  if (R.PositionAsSubmenu) {
    R.AnimateDirections = R.X + R.W / 2 < pir.Left + pir.Width() / 2 ? tbadLeft : tbadRight;
  } else {
    if (R.Y + R.H <= pir.Top && R.Y < pir.Bottom)
      R.AnimateDirections |= tbadUp;
    else if (R.Y >= pir.Bottom)
      R.AnimateDirections |= tbadDown;
    if (R.X + R.W <= pir.Left)
      R.AnimateDirections |= tbadLeft;
    else if (R.X >= pir.Right)
      R.AnimateDirections |= tbadRight;
  }
}

void TBarCustomItem::GetPopupPosition(TBarView* ParentView, TBarPopupWindow* PopupWindow, TBarPopupPositionRec& Rec) {
  bool openLeft = false;
  CalcPopupPosition(ParentView, Rec, openLeft);
  if (openLeft && PopupWindow && PopupWindow->View())
    PopupWindow->View()->SetState(PopupWindow->View()->State() + vstOpenLeft);
}

TBarPopupWindowClass TBarCustomItem::PopupWindowClass() { return &MakeBarPopupWindow<TBarPopupWindow>; }

TBarPopupWindow* TBarCustomItem::CreatePopup(TBarView* ParentView, TBarItemViewer* ParentViewer, bool PositionAsSubmenu,
                                             bool SelectFirstItem, bool Customizing, TPoint PopupPoint, int Alignment) {
  TBarCustomItem* linked = GetItemsWithLink();
  if (linked != this) linked->FirePopup(this, true);
  FirePopup(this, false);
  if (ParentView && !ParentViewer) return nullptr;
  TBarView* chevronSource = ChevronSourceView();
  TBarCustomItem* shown = chevronSource && chevronSource->ParentItem() ? chevronSource->ParentItem() : this;
  std::unique_ptr<TBarPopupWindow> window(PopupWindowClass()(nullptr, ParentView, shown, Customizing));
  TBarPopupView* view = window->View();
  if (chevronSource) {
    view->SetChevronParentView(chevronSource);
    view->SetIsToolbar(true);
    if (chevronSource->Style().Contains(vsyHintsAlways)) view->SetStyle(view->Style() + vsyHintsAlways);
    window->SetColor(clBtnFace);
    view->RebuildViewers();
  }
  TBarPopupPositionRec rec;
  if (ParentView) {
    ParentView->ValidatePositions();
    TRect r = ParentViewer->BoundsRect();
    if (TWinControl* w = ParentView->Window(); w && w->HandleAllocated()) {
      TPoint origin = w->ClientOrigin();
      r = Bounds(r.Left + origin.X, r.Top + origin.Y, r.Width(), r.Height());
    }
    rec.ParentItemRect = r;
    TRect monitor = ParentView->MonitorRect();
    rec.MonitorRect = monitor.IsEmpty() ? GetRectOfMonitorContainingRect(r, true) : monitor;
  } else {
    rec.ParentItemRect = {PopupPoint.X, PopupPoint.Y, PopupPoint.X, PopupPoint.Y};
    rec.MonitorRect = GetRectOfMonitorContainingPoint(PopupPoint, true);
  }
  const TRect& mr = rec.MonitorRect;
  view->SetMonitorRect(mr);
  TSize border = window->GetBorderSize();
  rec.NCSizeX = border.cx;
  rec.NCSizeY = border.cy;
  if (chevronSource)
    view->SetWrapOffset(mr.Width() - 2 * border.cx);
  else
    view->SetMaxHeight(mr.Height() - 2 * border.cy);
  window->HandleNeeded();
  if (SelectFirstItem) view->Select(view->FirstCandidate());
  view->UpdatePositions();
  rec.W = window->Width();
  rec.H = window->Height();
  const TRect& pir = rec.ParentItemRect;
  if (!ParentView) {
    rec.X = PopupPoint.X - (Alignment == 1 ? rec.W : Alignment == 2 ? rec.W / 2 : 0);
    rec.Y = PopupPoint.Y;
  } else if (PositionAsSubmenu) {
    rec.X = pir.Right - rec.NCSizeX;
    rec.Y = pir.Top - rec.NCSizeY;
  } else if (ParentView->Orientation() == orVertical) {
    rec.X = pir.Left - rec.W;
    rec.Y = pir.Top;
  } else if (chevronSource) {
    rec.X = pir.Right - rec.W;
    rec.Y = pir.Bottom;
  } else {
    rec.X = GetSystemMetrics(SM_MENUDROPALIGNMENT) ? pir.Right - rec.W : pir.Left;
    rec.Y = pir.Bottom;
  }
  rec.PositionAsSubmenu = PositionAsSubmenu;
  rec.Alignment = Alignment;
  rec.Opposite = ParentView && ParentView->State().Contains(vstOpenLeft);
  GetPopupPosition(ParentView, window.get(), rec);
  window->SetAnimateDirections(rec.AnimateDirections);
  window->SetBounds(rec.X, rec.Y, rec.W, rec.H);
  TBarPopupWindow* result = window.get();
  if (ParentView) {
    // From here the parent view owns the window: closing its sub-menu frees it.
    ParentView->SetOpenViewer(ParentViewer, view, window.release());
    if (ParentView->IsToolbar()) {
      ParentView->SetState(ParentView->State() + vstMenusDropped);
      ParentView->Invalidate(ParentViewer);
      if (TWinControl* w = ParentView->Window(); w && w->HandleAllocated()) w->Update();
    }
  }
  view->SetState(view->State() + vstPaintInOrder);
  if (rec.PlaySound && NeedToPlaySound(L"MenuPopup")) {
    if (!firstPopupShown) {
      result->SetVisible(true);
      result->Update();
      PlayMenuSound(L"MenuPopup");
    } else {
      PlayMenuSound(L"MenuPopup");
      result->SetVisible(true);
    }
  } else {
    result->SetVisible(true);
  }
  firstPopupShown = true;
  NotifyWinEvent(EVENT_SYSTEM_MENUPOPUPSTART, result->Handle(), OBJID_CLIENT, CHILDID_SELF);
  if (view->Selected()) view->Selected()->QueueAccFocus(true);
  window.release();
  return result;
}

// ---- the popup window ----

TBarPopupWindow::TBarPopupWindow(TComponent* AOwner) : TCustomControl(AOwner) {
  SetVisible(false);
  SetBounds(0, 0, 320, 240);
  SetControlStyle(ControlStyle() - csCaptureMouse);
  SetShowHint(true);
  SetColor(clMenu);
}

TBarPopupWindow::~TBarPopupWindow() {
  if (view_) view_->CloseSubmenu();
  if (HandleAllocated()) DestroyHandle();
  delete view_;
  view_ = nullptr;
}

TBarPopupView* TBarPopupWindow::GetViewClass(TBarView* AParentView, TBarCustomItem* AItem, bool ACustomizing) {
  return new TBarPopupView(nullptr, AParentView, AItem, this, false, ACustomizing, false);
}

void TBarPopupWindow::CreatePopupWindow(TBarView* AParentView, TBarCustomItem* AItem, bool ACustomizing) {
  view_ = GetViewClass(AParentView, AItem, ACustomizing);
  view_->SetState(view_->State() + vstModal);
  Font()->Assign(AParentView ? AParentView->ViewFont() : GetToolbarFont());
  if (!AParentView) {
    view_->SetStyle(view_->Style() + vsyHideAccelsUntilKey);
  } else {
    if (AParentView->Style().Contains(vsyHideAccelsUntilKey)) view_->SetStyle(view_->Style() + vsyHideAccelsUntilKey);
    if (AParentView->State().Contains(vstAccelsShown)) view_->SetState(view_->State() + vstAccelsShown);
  }
  HWND owner = Application ? Application->Handle() : nullptr;
  SetParentWindow(owner ? owner : GetDesktopWindow());
}

void TBarPopupWindow::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style = (Params.Style & ~static_cast<DWORD>(WS_CHILD | WS_GROUP | WS_TABSTOP)) | WS_POPUP;
  Params.ExStyle |= WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
  Params.WindowClass.style |= CS_SAVEBITS;
  if (IsWindowsXPOrLater()) Params.WindowClass.style |= CS_DROPSHADOW;
}

void TBarPopupWindow::CreateWnd() {
  TCustomControl::CreateWnd();
  if (view_ && !view_->ParentView() && !accelStateInitialised_) {
    accelStateInitialised_ = true;
    SendMessageW(Handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_INITIALIZE, 0), 0);
    LRESULT state = SendMessageW(Handle(), WM_QUERYUISTATE, 0, 0);
    if (!(state & UISF_HIDEACCEL)) view_->ShowAccelerators(true);
  }
}

void TBarPopupWindow::DestroyWindowHandle() {
  HWND wnd = Handle();
  EndMenuAnimation(wnd);
  if (view_) view_->StopAllTimers();
  NotifyWinEvent(EVENT_SYSTEM_MENUPOPUPEND, wnd, OBJID_CLIENT, CHILDID_SELF);
  TCustomControl::DestroyWindowHandle();
}

void TBarPopupWindow::PaintBorder(HWND Wnd, HDC DC, void* AppData) {
  auto* self = static_cast<TBarPopupWindow*>(AppData);
  RECT r{};
  GetWindowRect(Wnd, &r);
  OffsetRect(&r, -r.left, -r.top);
  TBrushHandle face(CreateSolidBrush(ColorToRGB(self->Color())));
  if (AreFlatMenusEnabled()) {
    TBrushHandle shadow(CreateSolidBrush(ColorToRGB(clBtnShadow)));
    FrameRect(DC, &r, shadow.Get());
    for (int i = 0; i < 2; ++i) {
      InflateRect(&r, -1, -1);
      FrameRect(DC, &r, face.Get());
    }
  } else {
    DrawEdge(DC, &r, EDGE_RAISED, BF_RECT | BF_ADJUST);
    TBrushHandle button(CreateSolidBrush(ColorToRGB(clBtnFace)));
    FrameRect(DC, &r, button.Get());
  }
}

bool TBarPopupWindow::ShouldAnimate() {
  if (!view_ || view_->Selected() || IsWindowVisible(Handle())) return false;
  if (view_->ParentView() && view_->ParentView()->State().Contains(vstNoAnimation)) return false;
  BOOL animation = FALSE, fade = FALSE;
  if (!BarSystemParametersInfo(SPI_GETMENUANIMATION, 0, &animation) || !animation) return false;
  BarSystemParametersInfo(SPI_GETMENUFADE, 0, &fade);
  if (!fade && !animateDirections_) return false;
  return Perform(WM_BAR_POPUPNOTICE, 1, 0) == 0;
}

void TBarPopupWindow::CMShowingChanged(TMessage&) {
  HWND wnd = Handle();
  if (Showing()) {
    if (ShouldAnimate()) {
      BOOL fade = FALSE;
      BarSystemParametersInfo(SPI_GETMENUFADE, 0, &fade);
      StartMenuAnimation(wnd, fade != FALSE, animateDirections_);
      return;
    }
    SetWindowPos(wnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    PostMessageW(wnd, WM_BAR_POPUPNOTICE, 3, 0);
  } else {
    EndMenuAnimation(wnd);
    SetWindowPos(wnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
  }
}

void TBarPopupWindow::WMEraseBkgnd(TMessage& Message) {
  EndMenuAnimation(Handle());
  TCustomControl::WMEraseBkgnd(Message);
}

void TBarPopupWindow::WMPaint(TMessage& Message) {
  EndMenuAnimation(Handle());
  TCustomControl::WMPaint(Message);
}

void TBarPopupWindow::WMPrint(TMessage& Message) { HandleWMPrint(Handle(), Message, &PaintBorder, this); }

void TBarPopupWindow::WMPrintClient(TMessage& Message) { HandleWMPrintClient(this, Message); }

void TBarPopupWindow::Paint() {
  if (!view_) return;
  view_->PaintViewers(Canvas());
  PaintScrollArrows();
}

void TBarPopupWindow::PaintScrollArrows() {
  TCanvas* c = Canvas();
  int width = ClientWidth();
  auto triangle = [&](int Top, bool Up) {
    int cx = width / 2, cy = Top + BarScrollStripHeight / 2;
    int d = Up ? -1 : 1;
    TPoint points[3] = {{cx - 4, cy - 2 * d}, {cx + 4, cy - 2 * d}, {cx, cy + 2 * d}};
    c->Pen()->SetColor(clMenuText);
    c->Brush()->SetColor(clMenuText);
    c->Brush()->SetStyle(bsSolid);
    POINT raw[3];
    for (int i = 0; i < 3; ++i) raw[i] = {points[i].X, points[i].Y};
    Polygon(c->Handle(), raw, 3);
  };
  if (view_->ShowUpArrow()) triangle(0, true);
  if (view_->ShowDownArrow()) triangle(ClientHeight() - BarScrollStripHeight, false);
}

void TBarPopupWindow::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_NCCALCSIZE: {
      TSize b = GetBorderSize();
      RECT* r = Message.WParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(Message.LParam)->rgrc[0]
                               : reinterpret_cast<RECT*>(Message.LParam);
      InflateRect(r, -b.cx, -b.cy);
      Message.Result = 0;
      return;
    }
    case WM_NCPAINT: {
      TWholeWindowDC dc(Handle());
      PaintBorder(Handle(), dc.Get(), this);
      Message.Result = 0;
      return;
    }
    case WM_TIMER:
      if (view_ && Message.WParam >= BarViewTimerBase && Message.WParam < BarViewTimerBase + 4) {
        view_->TimerFired(static_cast<int>(Message.WParam - BarViewTimerBase));
        return;
      }
      break;
    case WM_BAR_ANIMATIONFRAME: ProcessAnimationFrame(Handle(), Message); return;
    case WM_BAR_ANIMATIONFINISHED: PostMessageW(Handle(), WM_BAR_POPUPNOTICE, 2, 0); return;
    case WM_BAR_POPUPNOTICE: Message.Result = 0; return;
    case WM_GETOBJECT:
      if (LRESULT r = view_ ? AnswerBarGetObject(view_, Message.WParam, Message.LParam) : 0) {
        Message.Result = r;
        return;
      }
      break;
    case CM_HINTSHOW: {
      auto* info = reinterpret_cast<THintInfo*>(Message.LParam);
      TBarItemViewer* v = view_ ? view_->Selected() : nullptr;
      if (!v || !info) {
        Message.Result = 1;
        return;
      }
      info->HintStr = v->GetHintText();
      info->CursorRect = v->BoundsRect();
      Message.Result = info->HintStr.empty();
      return;
    }
    default: break;
  }
  TCustomControl::WndProc(Message);
}

// ---- the modal handler ----

TBarModalHandler::TBarModalHandler(HWND ExistingWnd) {
  lastPos_ = CurrentMessagePos();
  focus_ = GetFocus();
  if (ExistingWnd) {
    wnd_ = ExistingWnd;
  } else {
    static const wchar_t* const className = L"HvBarModalHandler";
    WNDCLASSW wc{};
    wc.lpfnWndProc = OwnWndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = className;
    RegisterClassW(&wc);
    wnd_ = CreateWindowExW(0, className, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
    if (!wnd_) RaiseLastOSError();
    SetWindowLongPtrW(wnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ownsWnd_ = true;
  }
  if (TLockSetForegroundWindow lock = LockForegroundProc()) lock(LSFW_LOCK);
  SetCapture(wnd_);
  SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
  NotifyWinEvent(EVENT_SYSTEM_MENUSTART, wnd_, OBJID_CLIENT, CHILDID_SELF);
  started_ = true;
}

TBarModalHandler::~TBarModalHandler() {
  if (TLockSetForegroundWindow lock = LockForegroundProc()) lock(LSFW_UNLOCK);
  if (GetCapture() == wnd_) ReleaseCapture();
  if (started_) NotifyWinEvent(EVENT_SYSTEM_MENUEND, wnd_, OBJID_CLIENT, CHILDID_SELF);
  if (ownsWnd_) {
    SetWindowLongPtrW(wnd_, GWLP_USERDATA, 0);
    DestroyWindow(wnd_);
  }
  if (focus_ && IsWindow(focus_) && GetFocus() != focus_) SetFocus(focus_);
}

LRESULT CALLBACK TBarModalHandler::OwnWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (Msg != WM_CANCELMODE) return DefWindowProcW(Wnd, Msg, WParam, LParam);
  auto* self = reinterpret_cast<TBarModalHandler*>(GetWindowLongPtrW(Wnd, GWLP_USERDATA));
  return RunWindowCallback(
      self,
      [&]() -> LRESULT {
        if (self) self->CancelModal();
        return 0;
      },
      LRESULT(0));
}

void TBarModalHandler::CancelModal() {
  if (rootView_) rootView_->CancelMenu();
  if (rootPopup_ && rootPopup_->View())
    for (TBarView* v : Chain(rootPopup_->View()))
      if (v->Window() && v->Window()->HandleAllocated()) ShowWindow(v->Window()->Handle(), SW_HIDE);
}

void TBarModalHandler::UpdateSelections(TBarView* RootView, const TPoint& P) {
  std::vector<TBarView*> chain = Chain(RootView);
  for (auto it = chain.rbegin(); it != chain.rend(); ++it)
    if (InChain(RootView, *it)) (*it)->SelectFromMouse(&P, true);  // an outer view may close inner ones
}

void TBarModalHandler::Loop(TBarView* RootView, bool AMouseDown, bool AExecuteSelected, bool ANoPromote,
                            bool TrackRightButton) {
  rootView_ = RootView;
  RootView->ClearDoneAction();
  RootView->ValidatePositions();
  RootView->SetCaptureWnd(wnd_);
  mouseDownOnMenu_ = false;
  buttonsHeld_ = AMouseDown ? 1u : 0u;
  TScopeExit leave{[&] {
    for (TBarView* v : Chain(RootView)) v->CancelMouseTracking();
    RootView->SetCaptureWnd(nullptr);
    if (Application) Application->SetHint(WideString());
    for (UINT m : {UINT(WM_CHAR), UINT(WM_DEADCHAR), UINT(WM_SYSCHAR), UINT(WM_SYSDEADCHAR), WM_KEYF1_})
      RemovePending(m);
    rootView_ = nullptr;
  }};
  if (AMouseDown) {
    if (TBarItemViewer* sel = RootView->Selected()) {
      TPoint p = sel->PointInViewer(CurrentMessagePos());
      sel->MouseDown({ssLeft}, p.X, p.Y, mouseDownOnMenu_);
    }
  }
  if (AExecuteSelected) RootView->RunSelection(!ANoPromote);
  HWND active = GetActiveWindow();
  while (GetCapture() == wnd_ && GetActiveWindow() == active && RootView->DoneActionData().DoneAction == tbdaNone) {
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      WaitMessage();
      continue;
    }
    if (msg.message == WM_QUIT) break;
    if (IsButtonDown(msg.message)) {
      // A click outside the menu ends it and stays in the queue for the window it was meant for.
      TPoint p = ScreenPointOf(msg);
      if (msg.message >= WM_NCMOUSEMOVE && msg.message <= WM_NCMBUTTONDBLCLK)
        p = {MessageX(msg.lParam), MessageY(msg.lParam)};
      TBarItemViewer* viewer = nullptr;
      TBarView* view = ViewAt(RootView, p, viewer);
      bool rootToolbar = view == RootView && RootView->IsToolbar();
      bool leftClick = msg.message != WM_RBUTTONDOWN && msg.message != WM_RBUTTONDBLCLK;
      if (!view || (rootToolbar && (!viewer || (leftClick && (viewer->Item()->ItemStyle() & tbisIgnoresClicks)))))
        break;
    }
    if (!PeekMessageW(&msg, nullptr, msg.message, msg.message, PM_REMOVE)) continue;
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    HandleMessage(RootView, msg, TrackRightButton);
    if (Application) {
      TBarItemViewer* sel = Innermost(RootView)->Selected();
      Application->SetHint(sel ? GetLongHint(sel->Item()->Hint()) : WideString());
    }
  }
}

void TBarModalHandler::HandleMessage(TBarView* RootView, MSG& Msg, bool TrackRightButton) {
  // A key of any kind hides the hint first, whether the menu uses the key or drops it.
  if (Msg.message >= WM_KEYFIRST && Msg.message <= WM_KEYLAST && Application) Application->CancelHint();
  switch (Msg.message) {
    case WM_TIMER:
      if (Msg.wParam >= BarViewTimerBase && Msg.wParam < BarViewTimerBase + 4)
        for (TBarView* v : Chain(RootView))
          if (v->IsPopup() && v->Window() && v->Window()->HandleAllocated() && v->Window()->Handle() == Msg.hwnd) {
            v->TimerFired(static_cast<int>(Msg.wParam - BarViewTimerBase));
            return;
          }
      DispatchMessageW(&Msg);
      return;
    case WM_KEYF1_:
    case WM_CONTEXTMENU:
    case WM_SYSTIMER_:
    case WM_KEYUP:
    case WM_SYSKEYUP:
    case WM_DEADCHAR:
    case WM_SYSDEADCHAR: return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      Word key = static_cast<Word>(Msg.wParam);
      if (key == VK_PROCESSKEY) key = static_cast<Word>(MappedProcessKey(Msg.hwnd));
      if (buttonsHeld_ && key != VK_F1) return;
      TShiftState shift = KeyDataToShiftState(Msg.lParam);
      TBarView* view = Innermost(RootView);
      if (TBarItemViewer* sel = view->Selected()) sel->KeyDown(key, shift);
      // The key may close the view it was given to; the view is found again.
      if (key && InChain(RootView, view)) view->HandleKey(key, shift);
      if (key) TranslateMessage(&Msg);
      return;
    }
    case WM_CHAR:
    case WM_SYSCHAR: {
      if (buttonsHeld_) return;
      auto ch = static_cast<wchar_t>(Msg.wParam);
      TBarView* view = Innermost(RootView);
      bool unique = false;
      if (TBarItemViewer* hit = view->FindByAccelerator(view->Selected(), ch, unique, false)) {
        view->Select(hit);
        view->RevealSelection();
        if (unique && InChain(RootView, view)) view->RunSelection(true);
      } else if ((ch == L' ' || ch == L'-') && view == RootView && RootView->IsToolbar()) {
        RootView->FinishWithSystemMenu(GetActiveWindow(), ch);
      } else {
        MessageBeep(0);
      }
      return;
    }
    case WM_MOUSEMOVE: {
      TPoint p = ScreenPointOf(Msg);
      if (p == lastPos_) return;
      lastPos_ = p;
      UpdateSelections(RootView, p);
      TBarView* inner = Innermost(RootView);
      TBarItemViewer* sel = inner->Selected();
      if (Application && inner->Window() && inner->Window()->HandleAllocated() &&
          (inner->Style().Contains(vsyHintsAlways) || (sel && sel->Item()->EffectiveOptions().Contains(tboShowHint)))) {
        if (!inner->MouseTracking()) inner->Window()->Update();
        TPoint c = inner->Window()->ScreenToClient(p);
        TMessage move{WM_MOUSEMOVE, 0, MAKELPARAM(c.X, c.Y), 0};
        Application->HintMouseMessage(inner->Window(), move);
      } else if (Application) {
        Application->CancelHint();
      }
      // The move goes to the viewer that tracks the mouse, else to the one under it.
      HCURSOR cursor = nullptr;
      TBarItemViewer* hovered = nullptr;
      ViewAt(RootView, p, hovered);
      for (TBarView* v : Chain(RootView))
        if (v->MouseTracking() && v->Selected()) hovered = v->Selected();
      if (hovered) {
        TPoint local = hovered->PointInViewer(p);
        hovered->CursorAt(local, cursor);
        hovered->MouseMove(local.X, local.Y);
      }
      SetCursor(cursor ? cursor : LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
      return;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK: {
      bool right = Msg.message == WM_RBUTTONDOWN || Msg.message == WM_RBUTTONDBLCLK;
      if (right && !TrackRightButton) return;
      buttonsHeld_ |= right ? 2u : 1u;
      TPoint p = ScreenPointOf(Msg);
      lastPos_ = p;
      UpdateSelections(RootView, p);
      for (TBarView* v : Chain(RootView)) v->SetState(v->State() - vstSkipFirstMouseUp);
      TBarItemViewer* viewer = nullptr;
      ViewAt(RootView, p, viewer);
      if (viewer) {
        TShiftState shift = KeyDataToShiftState(0);
        shift.Include(right ? ssRight : ssLeft);
        if (Msg.message == WM_LBUTTONDBLCLK || Msg.message == WM_RBUTTONDBLCLK) shift.Include(ssDouble);
        TPoint local = viewer->PointInViewer(p);
        viewer->MouseDown(shift, local.X, local.Y, mouseDownOnMenu_);
      }
      return;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP: {
      bool right = Msg.message == WM_RBUTTONUP;
      if (right && !TrackRightButton) return;
      buttonsHeld_ &= right ? ~2u : ~1u;
      TPoint p = ScreenPointOf(Msg);
      lastPos_ = p;
      UpdateSelections(RootView, p);
      TBarItemViewer* viewer = nullptr;
      TBarView* view = ViewAt(RootView, p, viewer);
      if (viewer) {
        TPoint local = viewer->PointInViewer(p);
        viewer->MouseUp(local.X, local.Y, mouseDownOnMenu_);
      } else if (!view || (view == RootView && RootView->IsToolbar())) {
        bool skip = false;
        for (TBarView* v : Chain(RootView))
          if (v->State().Contains(vstSkipFirstMouseUp)) {
            skip = true;
            v->SetState(v->State() - vstSkipFirstMouseUp);
          }
        if (!skip) RootView->CancelMenu();
      }
      return;
    }
    case WM_MOUSEWHEEL: {
      TPoint p = ScreenPointOf(Msg);
      TBarItemViewer* viewer = nullptr;
      TBarView* view = ViewAt(RootView, p, viewer);
      if (!view) view = Innermost(RootView);
      int delta = static_cast<short>(HIWORD(Msg.wParam));
      bool handled = false;
      if (viewer) viewer->WheelOverViewer(handled, delta);
      if (!handled && InChain(RootView, view)) {
        TPoint local = view->Window() ? view->Window()->ScreenToClient(p) : p;
        view->HandleWheel(delta, local.X, local.Y);
      }
      return;
    }
    default: DispatchMessageW(&Msg); return;
  }
}

// ---- what a finished menu chose ----

void SetBarHelpProc(TBarHelpProc Proc) { helpProc = Proc; }

TBarCustomItem* ProcessDoneAction(const TBarDoneActionData& DoneActionData, bool ReturnClickedItemOnly) {
  switch (DoneActionData.DoneAction) {
    case tbdaClickItem:
      if (DoneActionData.Sound && NeedToPlaySound(L"MenuCommand")) PlayMenuSound(L"MenuCommand");
      if (!ReturnClickedItemOnly && DoneActionData.ClickItem) QueueClick(DoneActionData.ClickItem, 0);
      return DoneActionData.ClickItem;
    case tbdaOpenSystemMenu: SendMessageW(DoneActionData.Wnd, WM_SYSCOMMAND, SC_KEYMENU, DoneActionData.Key); break;
    case tbdaHelpContext: {
      TCustomForm* form = Screen ? Screen->ActiveForm() : nullptr;
      UINT command = form && form->BorderIcons().Contains(biHelp) ? HELP_CONTEXTPOPUP : HELP_CONTEXT;
      if (helpProc) helpProc(command, DoneActionData.ContextID);
      break;
    }
    default: break;
  }
  return nullptr;
}

TBarCustomItem* TBarCustomItem::ShowPopup(int X, int Y, bool TrackRightButton, int Alignment,
                                          bool ReturnClickedItemOnly) {
  return ShowPopupAt({X, Y}, TrackRightButton, Alignment, ReturnClickedItemOnly);
}

TBarCustomItem* TBarCustomItem::ShowPopupAt(TPoint P, bool TrackRightButton, int Alignment,
                                            bool ReturnClickedItemOnly) {
  TBarDoneActionData done;
  {
    TBarModalHandler handler(nullptr);
    std::unique_ptr<TBarPopupWindow> popup(CreatePopup(nullptr, nullptr, false, false, false, P, Alignment));
    if (!popup) return nullptr;
    handler.SetRootPopup(popup.get());
    TBarPopupView* view = popup->View();
    view->SetState(view->State() + vstSkipFirstMouseUp);
    handler.Loop(view, false, false, false, TrackRightButton);
    done = view->DoneActionData();
    view->SetState(view->State() - vstModal);
  }
  return ProcessDoneAction(done, ReturnClickedItemOnly);
}

void TBarView::RunToolbarMenuLoop(int Options) {
  if (State().Contains(vstModal) || !Window()) return;
  TBarDoneActionData done;
  {
    TBarModalHandler handler(Window()->Handle());
    TBarViewState state;
    if (State().Contains(vstAccelsShown)) state.Include(vstAccelsShown);
    state.Include(vstModal);
    SetState(state);
    ClearDoneAction();
    TScopeExit restore{[&] {
      SetState(State() - vstModal);
      StopAllTimers();
      CloseAllSubmenus();
      POINT cursor{};
      if (GetCursorPos(&cursor)) {
        TPoint p{cursor.x, cursor.y};
        SelectFromMouse(&p, true);
      }
      ShowAccelerators(false);
      Select(nullptr);
    }};
    handler.Loop(this, Options & tbmlMouseDown, Options & tbmlExecuteSelected, Options & tbmlNoPromote, false);
    done = DoneActionData();
  }
  ProcessDoneAction(done, false);
}

// ---- the context menu ----

TBarPopupMenu::TBarPopupMenu(TComponent* AOwner) : TBarPopupMenu(AOwner, std::make_unique<TBarRootItem>(nullptr)) {}

TBarPopupMenu::TBarPopupMenu(TComponent* AOwner, std::unique_ptr<TBarCustomItem> ARoot)
    : TPopupMenu(AOwner), root_(std::move(ARoot)) {
  root_->SetParentComponentLink(this);
  root_->OnClick = TNotifyEvent(this, &TBarPopupMenu::RootClick);
}

TBarPopupMenu::~TBarPopupMenu() { root_.reset(); }

void TBarPopupMenu::RootClick(TObject*) { DoPopup(this); }

void TBarPopupMenu::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
  root_->GetChildren(Proc, Root);
}

void TBarPopupMenu::Popup(int X, int Y) { PopupAndReturn(X, Y, false); }

TBarCustomItem* TBarPopupMenu::PopupAndReturn(int X, int Y, bool ReturnClickedItemOnly) {
  SetPopupPoint({X, Y});
  int alignment = Alignment() == paRight ? 1 : Alignment() == paCenter ? 2 : 0;
  return root_->ShowPopup(X, Y, TrackButton() == tbRightButton, alignment, ReturnClickedItemOnly);
}

bool TBarPopupMenu::IsShortCut(TShortCut ShortCut) {
  TWMKey key;
  key.CharCode = static_cast<Word>(ShortCut & 0xFF);
  key.KeyData = (ShortCut & scAlt) ? 0x20000000 : 0;
  return root_->DispatchShortCut(key);
}
