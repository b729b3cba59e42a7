// Themed popup windows and popup menus: frame, background, shadows and animation through the
// current theme.
#include <cstdlib>

#include "framework/Application.h"
#include "framework/GdiHandles.h"
#include "themes/UiItems.h"
#include "themes/UiShadows.h"
#include "toolbars/BarCommon.h"

HV_PUBLISH(TUiPopupView) {}
HV_PUBLISH(TUiPopupWindow) {}
HV_PUBLISH(TUiChevronPopupWindow) {}
HV_PUBLISH(TUiMenuAnimation) {}
HV_PUBLISH(TUiPopupMenu) {}

namespace {
struct TUiPopupsUnit {
  TUiMenuAnimation animation{1};
};
TUiPopupsUnit& popupsUnit() {
  static TUiPopupsUnit unit;
  return unit;
}

}  // namespace

TUiMenuAnimation* UiMenuAnimation() { return &popupsUnit().animation; }

// ---- menu animation ----

TUiMenuAnimation::TUiMenuAnimation(int AStyle) : requested_(AStyle) {}

TUiMenuAnimation::TFacts TUiMenuAnimation::SystemFacts() {
  TFacts f;
  OSVERSIONINFOW v{};
  v.dwOSVersionInfoSize = sizeof(v);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  GetVersionExW(&v);
#pragma GCC diagnostic pop
  bool nt = v.dwPlatformId == VER_PLATFORM_WIN32_NT;
  f.NT5OrLater = nt && v.dwMajorVersion >= 5;
  f.Win98OrLater = !nt && (v.dwMajorVersion > 4 || (v.dwMajorVersion == 4 && v.dwMinorVersion >= 10));
  BOOL animation = FALSE, fade = FALSE;
  SystemParametersInfoW(SPI_GETMENUANIMATION, 0, &animation, 0);
  SystemParametersInfoW(SPI_GETMENUFADE, 0, &fade, 0);
  f.SystemAnimation = animation != FALSE;
  f.SystemFade = fade != FALSE;
  return f;
}

void TUiMenuAnimation::SetFacts(const TFacts* Value) {
  hasFacts_ = Value != nullptr;
  if (Value) facts_ = *Value;
}

bool TUiMenuAnimation::StyleAvailable(int AStyle) const {
  TFacts f = Facts();
  if (AStyle == 0) return true;
  if (AStyle >= 1 && AStyle <= 4) return f.NT5OrLater || f.Win98OrLater;
  if (AStyle == 5) return f.NT5OrLater;
  return false;
}

int TUiMenuAnimation::Style() const {
  int style = std::min(std::max(requested_, 0), 5);
  while (style > 0 && !StyleAvailable(style)) --style;
  if (style == 1 && !Facts().SystemAnimation) style = 0;
  return style;
}

int TUiMenuAnimation::AnimationKind(int (*Random)(int N)) const {
  TFacts f = Facts();
  switch (Style()) {
    case 1:
      if (!f.SystemAnimation) return 0;
      return f.SystemFade ? 3 : 2;
    case 2: {
      int n = f.NT5OrLater ? 3 : 2;
      int pick = Random ? Random(n) : std::rand() % n;
      return 1 + std::min(std::max(pick, 0), n - 1);
    }
    case 3: return 1;
    case 4: return 2;
    case 5: return 3;
    default: return 0;
  }
}

// ---- the popup window ----

TUiPopupWindow::TUiPopupWindow(TComponent* AOwner) : TBarPopupWindow(AOwner) { RegisterThemeListener(this); }

TUiPopupWindow::~TUiPopupWindow() {
  UnregisterThemeListener(this);
  shadows_.reset();
}

TBarPopupView* TUiPopupWindow::GetViewClass(TBarView* AParentView, TBarCustomItem* AItem, bool ACustomizing) {
  return new TUiPopupView(nullptr, AParentView, AItem, this, false, ACustomizing, false);
}

int TUiPopupWindow::ViewType() {
  TBarPopupView* view = View();
  if (view && view->ChevronParentView()) return VT_CHEVRONPOPUP;
  if (view) {
    auto* item = dynamic_cast<TUiCustomItem*>(view->ParentItem());
    if (item && item->ToolBoxPopup()) return VT_TOOLBOXPOPUP;
  }
  return VT_POPUPMENU;
}

TSize TUiPopupWindow::GetBorderSize() {
  if (!CurrentTheme) return TBarPopupWindow::GetBorderSize();
  TPoint b = CurrentTheme->GetViewBorder(ViewType());
  return {b.X, b.Y};
}

void TUiPopupWindow::CreateParams(TCreateParams& Params) {
  TBarPopupWindow::CreateParams(Params);
  Params.WindowClass.style &= ~static_cast<UINT>(CS_DROPSHADOW | CS_SAVEBITS);
  BOOL dropShadow = FALSE;
  SystemParametersInfoW(SPI_GETDROPSHADOW, 0, &dropShadow, 0);
  if (ViewType() != VT_LISTPOPUP && CurrentTheme && CurrentTheme->GetPopupShadowType() == 1 && dropShadow) {
    // Shadowed and plain popups need classes of their own: the class style carries the shadow.
    Params.WindowClass.style |= CS_DROPSHADOW;
    Params.WinClassName += L"S";
  }
}

TRect TUiPopupWindow::ParentItemScreenRect() {
  TBarPopupView* view = View();
  TBarView* parent = view ? view->ParentView() : nullptr;
  if (!parent || !parent->OpenViewer()) return {};
  TBarItemViewer* viewer = parent->OpenViewer();
  auto* themed = dynamic_cast<TUiItemViewer*>(viewer);
  bool chevron = ViewType() == VT_CHEVRONPOPUP;
  if (!chevron && !(themed && themed->IsToolbarStyle())) return {};
  TRect r = viewer->BoundsRect();
  if (TWinControl* w = parent->Window(); w && w->HandleAllocated()) {
    TPoint o = w->ClientOrigin();
    r = {r.Left + o.X, r.Top + o.Y, r.Right + o.X, r.Bottom + o.Y};
  }
  return r;
}

void TUiPopupWindow::MakeShadows(int Type) {
  shadows_.reset();
  if (!CurrentTheme || ComponentState().Contains(csDesigning) || !HandleAllocated()) return;
  int shadowType = CurrentTheme->GetPopupShadowType();
  if (shadowType != 2 && shadowType != 3) return;
  if (shadowType == 3 && !IsWindowsNTAtLeast(5, 0)) return;
  (void)Type;
  RECT wr{};
  GetWindowRect(Handle(), &wr);
  TRect exclude = shadowType == 2 ? ParentItemScreenRect() : TRect{};
  shadows_ = std::make_unique<TShadows>(exclude.IsEmpty() ? nullptr : &exclude,
                                        TRect{wr.left, wr.top, wr.right, wr.bottom}, 4, 61, true, LowColorDisplay);
  shadows_->Show(Handle());
}

void TUiPopupWindow::PaintNCArea(HDC DC) {
  UI_ASSERT(DC);
  RECT wr{}, cr{};
  GetWindowRect(Handle(), &wr);
  ::GetClientRect(Handle(), &cr);
  MapWindowPoints(Handle(), nullptr, reinterpret_cast<POINT*>(&cr), 2);
  TUiPopupInfo info;
  info.Window = Handle();
  info.ViewType = ViewType();
  TSize b = GetBorderSize();
  info.BorderSize = {b.cx, b.cy};
  TRect parent = ParentItemScreenRect();
  if (!parent.IsEmpty())
    info.ParentRect = {parent.Left - wr.left, parent.Top - wr.top, parent.Right - wr.left, parent.Bottom - wr.top};
  TSaveDC save(DC);
  ExcludeClipRect(DC, cr.left - wr.left, cr.top - wr.top, cr.right - wr.left, cr.bottom - wr.top);
  TUiDCCanvas c(DC);
  if (CurrentTheme) CurrentTheme->PaintPopupNCArea(&c.Canvas, {0, 0, wr.right - wr.left, wr.bottom - wr.top}, info);
}

void TUiPopupWindow::WMPrint(TMessage& Message) {
  HandleWMPrint(
      Handle(), Message, [](HWND, HDC DC, void* Self) { static_cast<TUiPopupWindow*>(Self)->PaintNCArea(DC); }, this);
}

void TUiPopupWindow::WMEraseBkgnd(TMessage& Message) {
  EndMenuAnimation(Handle());
  if (!CurrentTheme) {
    TBarPopupWindow::WMEraseBkgnd(Message);
    return;
  }
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  int vt = ViewType();
  TColor color = CurrentTheme->GetViewColor(vt);
  if (View()) View()->SetBackgroundColor(color);
  TRect r = ClientRect();
  TUiDCCanvas c(dc);
  CurrentTheme->PaintBackgnd(&c.Canvas, r, r, r, color, false, vt);
  Message.Result = 1;
}

void TUiPopupWindow::PaintScrollArrows() {
  if (CurrentTheme && View()) {
    TUiItemInfo info;
    info.ViewType = ViewType();
    info.Enabled = 1;
    int w = ClientWidth();
    if (View()->ShowUpArrow()) CurrentTheme->PaintMenuItemFrame(Canvas(), {0, 0, w, BarScrollStripHeight}, info);
    if (View()->ShowDownArrow())
      CurrentTheme->PaintMenuItemFrame(Canvas(), {0, ClientHeight() - BarScrollStripHeight, w, ClientHeight()}, info);
  }
  TBarPopupWindow::PaintScrollArrows();
}

void TUiPopupWindow::CMShowingChanged(TMessage& Message) {
  HWND wnd = Handle();
  if (!Showing()) {
    TBarPopupWindow::CMShowingChanged(Message);
    return;
  }
  int kind = 0;
  TBarPopupView* view = View();
  bool allowed = !IsWindowVisible(wnd) && view && !view->Selected() &&
                 !(view->ParentView() && view->ParentView()->State().Contains(vstNoAnimation));
  if (allowed) kind = UiMenuAnimation()->AnimationKind();
  if (kind && Perform(WM_BAR_POPUPNOTICE, 1, 0) == 0) {
    TBarAnimateDirections directions = AnimateDirections();
    if (kind == 2 || !directions) {
      // A plain slide goes down and to the right, unless the popup opened upward or leftward.
      TBarAnimateDirections d = 0;
      d |= (directions & tbadUp) ? tbadUp : tbadDown;
      d |= (directions & tbadLeft) ? tbadLeft : tbadRight;
      directions = d;
    }
    StartMenuAnimation(wnd, kind == 3, directions);
    return;
  }
  SetWindowPos(wnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  PostMessageW(wnd, WM_BAR_POPUPNOTICE, 3, 0);
}

void TUiPopupWindow::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_NCPAINT: {
      if (!CurrentTheme) break;
      TWholeWindowDC dc(Handle());
      PaintNCArea(dc.Get());
      Message.Result = 0;
      return;
    }
    case WM_BAR_POPUPNOTICE:
      if (Message.WParam == 2 || Message.WParam == 3) MakeShadows(static_cast<int>(Message.WParam));
      Message.Result = 0;
      return;
    case WM_WINDOWPOSCHANGED: {
      TBarPopupWindow::WndProc(Message);
      auto* pos = reinterpret_cast<WINDOWPOS*>(Message.LParam);
      if (shadows_ && pos && !(pos->flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW))) MakeShadows(0);
      if (pos && (pos->flags & SWP_HIDEWINDOW)) shadows_.reset();
      return;
    }
    case WM_NCDESTROY: shadows_.reset(); break;
    case CM_HINTSHOW:
      // Items that show several things (the cells of a palette) give a hint per part.
      if (UiViewerHint(View(), reinterpret_cast<THintInfo*>(Message.LParam))) {
        Message.Result = reinterpret_cast<THintInfo*>(Message.LParam)->HintStr.empty();
        return;
      }
      break;
    default: break;
  }
  TBarPopupWindow::WndProc(Message);
}

void TUiPopupWindow::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case UM_GETVIEWTYPE: Message.Result = ViewType(); return;
    case UM_GETBACKGROUNDCOLOR:
      if (CurrentTheme) {
        Message.WParam = static_cast<WPARAM>(CurrentTheme->GetViewColor(ViewType()));
        Message.Result = 1;
      }
      return;
    case UM_THEMECHANGE:
      if (Message.WParam == 3 && HandleAllocated()) {
        SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        Invalidate();
      }
      return;
    default: TBarPopupWindow::Dispatch(Message);
  }
}

// ---- the popup menu ----

TUiPopupMenu::TUiPopupMenu(TComponent* AOwner) : TBarPopupMenu(AOwner, std::make_unique<TUiRootItem>(nullptr)) {}
