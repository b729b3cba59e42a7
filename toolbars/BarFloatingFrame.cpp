// The small tool-window frame a floating window sits in: its caption and close button, its
// frame, and its visibility following the application and the owning form.
#include <algorithm>

#include "framework/Application.h"
#include "framework/Format.h"
#include "framework/ScopeGuards.h"
#include "toolbars/BarDockableParts.h"
#include "toolbars/BarFloatingFrame.h"

HV_PUBLISH(TBarFloatingWindowParent) {}

using namespace dockable_detail;

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
  // Nothing owns the frame; it is part of the window it holds, and designed with it.
  if (window_ && window_->ComponentState().Contains(csDesigning)) SetDesigning(true);
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
  if (active != captionActive_ && HandleAllocated()) RedrawFrame(Handle());
  captionActive_ = active;
}

void TBarFloatingWindowParent::CreateParams(TCreateParams& Params) {
  TCustomForm::CreateParams(Params);
  // Running, the frame repaints its parts itself at a new size. Designed, it keeps the windowed
  // controls' whole repaint on every size change, under a class of its own: the class carries
  // the style, and a running frame may have registered the other one first.
  if (ComponentState().Contains(csDesigning)) {
    Params.WindowClass.style |= CS_HREDRAW | CS_VREDRAW;
    Params.WinClassName += L".Designed";
  } else {
    Params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
  }
  Params.Style = WS_POPUP | WS_BORDER | (window_ && window_->Resizable() ? WS_THICKFRAME : 0);
  Params.ExStyle = WS_EX_TOOLWINDOW;
  if (owningForm_ && owningForm_->HandleAllocated()) Params.WndParent = owningForm_->Handle();
}

TPoint TBarFloatingWindowParent::NonClientSize() {
  if (!window_) return {};
  TPoint b = window_->GetFloatingBorderSize();
  return {2 * b.X, 2 * b.Y + (window_->ShowCaption() ? GetSystemMetrics(SM_CYSMCAPTION) : 0)};
}

TRect TBarFloatingWindowParent::CloseButtonRect() {
  if (!window_ || !HandleAllocated()) return {};
  TRect wr = WindowRectOf(Handle());
  TPoint b = window_->GetFloatingBorderSize();
  int cap = GetSystemMetrics(SM_CYSMCAPTION);
  int right = wr.Width() - b.X;
  return {right - cap + 2, b.Y + 1, right - 1, b.Y + cap - 2};
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
    if (band.Contains(p))
      return window_->CloseButton() && CloseButtonRect().Contains(p) ? HTBARCLOSEBUTTON : HTBARCAPTION;
    // The line under the band is drawn with the caption and moves the window as the caption
    // does; it is no edge to resize by.
    if (p.Y == band.Bottom && p.X >= band.Left && p.X < band.Right) return HTBARCAPTION;
  }
  if (window_->Resizable()) {
    if (window_->resizeCorners_) {
      // The corners reach as far as a caption would, whether one is shown or not.
      int c = GetSystemMetrics(SM_CYSMCAPTION) - 1 + b.X;
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
  // The border of a frame of fixed size is the window's own: nothing to drag or size by.
  return static_cast<int>(DefWindowProcW(Handle(), WM_NCHITTEST, 0, MAKELPARAM(ScreenPos.X, ScreenPos.Y)));
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

void TBarFloatingWindowParent::Activated(WPARAM State, HWND Other) {
  HWND owner = owningForm_ && owningForm_->HandleAllocated() ? owningForm_->Handle() : nullptr;
  // The form keeps an active caption while its frame is active.
  if (owner) SendMessageW(owner, WM_NCACTIVATE, LOWORD(State) != WA_INACTIVE, 0);
  if (LOWORD(State) == WA_INACTIVE) return;
  if (IsWindowVisible(Handle())) {
    if (owner && owner != Other) SetActiveWindow(owner);
    return;
  }
  // A hidden frame cannot keep the activation: the thread's first window that can takes it.
  struct Search {
    HWND Frame, Found;
    bool Tools;
  } search{Handle(), nullptr, false};
  for (bool tools : {false, true}) {
    search.Tools = tools;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND W, LPARAM P) -> BOOL WINAPI {
          auto* s = reinterpret_cast<Search*>(P);
          bool tool = GetWindowLongW(W, GWL_EXSTYLE) & WS_EX_TOOLWINDOW;
          if (W == s->Frame || !IsWindowVisible(W) || !IsWindowEnabled(W) || (tool && !s->Tools)) return TRUE;
          s->Found = W;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.Found) break;
  }
  if (search.Found) SetActiveWindow(search.Found);
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
  TRect close = self->CloseButtonRect();
  {
    TSaveDC inner(DC);
    if (self->window_->CloseButton()) ExcludeClipRect(DC, close.Left, close.Top, close.Right, close.Bottom);
    UINT flags = DC_SMALLCAP | DC_TEXT;
    if (self->CaptionActive()) flags |= DC_ACTIVE;
    BOOL gradient = FALSE;
    if (BarSystemParametersInfo(SPI_GETGRADIENTCAPTIONS, 0, &gradient) && gradient) flags |= DC_GRADIENT;
    DrawCaption(Wnd, DC, &band, flags);
  }
  if (self->window_->CloseButton()) DrawCloseButton(DC, close, self->closePushed_, self->closeHot_);
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
        TBarCustomDockableWindow* w = window_;
        if (TrackCloseButton(
                Handle(), {this, w}, [this] { return CloseButtonRect(); }, closePushed_))
          w->Close();
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
    case WM_NCMOUSEMOVE:
    case WM_NCMOUSELEAVE: FollowCloseButtonHot(Handle(), Message, closeHot_); break;
    case WM_NCRBUTTONUP:
      if (window_ && window_->HandleAllocated())
        SendMessageW(window_->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window_->Handle()), Message.LParam);
      return;
    case WM_CLOSE:
      if (owningForm_ && owningForm_->HandleAllocated()) SendMessageW(owningForm_->Handle(), WM_CLOSE, 0, 0);
      return;
    case WM_ACTIVATE:
      TCustomForm::WndProc(Message);
      Activated(Message.WParam, reinterpret_cast<HWND>(Message.LParam));
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
      if (HandleAllocated()) RedrawFrame(Handle());
      return;
    default: break;
  }
  TCustomForm::WndProc(Message);
}
