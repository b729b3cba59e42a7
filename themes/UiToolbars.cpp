// Themed toolbars, their floating frames and docks: backgrounds, frames and theme notices.
#include <algorithm>

#include "framework/Application.h"
#include "framework/GdiHandles.h"
#include "themes/UiItems.h"
#include "toolbars/BarCommon.h"

HV_PUBLISH(TUiToolbarView) {}
HV_PUBLISH(TUiToolbar) {
  p.Prop("ItemTransparency", &T::ItemTransparency, &T::SetItemTransparency).Default(itAuto);
  p.Prop("SnapDistance", &T::SnapDistance, &T::SetSnapDistance).Default(0);
  // The dockable window's own; the parent of a docked toolbar in a form file says its dock.
  p.Prop("ActivateParent", &T::ActivateParent, &T::SetActivateParent).Default(true);
  p.Prop("AutoResize", &T::AutoResize, &T::SetAutoResize).Default(true);
  p.Prop("BorderStyle", &T::BorderStyle, &T::SetBorderStyle).Default(bsSingle);
  p.Prop("CurrentDock", &T::CurrentDock, &T::SetCurrentDock).Stored(false);
  p.Prop("DefaultDock", &T::DefaultDock, &T::SetDefaultDock);
  p.Prop("DockableTo", &T::DockableTo, &T::SetDockableTo).Default(TBarDockableTo{dpTop, dpBottom, dpLeft, dpRight});
  p.Prop("DockMode", &T::DockMode, &T::SetDockMode).Default(dmCanFloat);
  p.Prop("DragHandleStyle", &T::DragHandleStyle, &T::SetDragHandleStyle).Default(dhSingle);
  p.Prop("FloatingMode", &T::FloatingMode, &T::SetFloatingMode).Default(fmOnTopOfParentForm);
  p.Prop("LastDock", &T::LastDock, &T::SetLastDock).Stored(&T::UseLastDock);
  p.Prop("LinkSubitems", &T::LinkSubitems, &T::SetLinkSubitems);
  // The hint follows the item under the mouse.
  p.Prop("Hint", &T::Hint, &T::SetHint).Stored(false);
}
HV_PUBLISH(TUiFloatingWindowParent) {}
HV_PUBLISH(TUiDock) {
  p.Prop("UseParentBackground", &T::UseParentBackground, &T::SetUseParentBackground).Default(false);
}

namespace {

TBarToolbarView* makeThemedView(TBarCustomToolbar* AToolbar, TBarRootItem* ARoot, bool AUsePriorityList) {
  return new TUiToolbarView(AToolbar, nullptr, ARoot, AToolbar, true, false, AUsePriorityList);
}

void broadcastParentColor(TWinControl* Control, TColor Color) {
  for (int i = 0; i < Control->ControlCount(); ++i) {
    Control->Controls(i)->Perform(CM_PARENTCOLORCHANGED, 1, static_cast<LPARAM>(Color));
  }
}
}  // namespace

void PaintParentBackground(TControl* Child, HDC DC) {
  TWinControl* parent = Child ? Child->Parent() : nullptr;
  if (!parent) return;
  if (auto* dock = dynamic_cast<TUiDock*>(parent)) {
    dock->PaintBackgroundInto(Child, DC);
    return;
  }
  RECT r{0, 0, Child->Width(), Child->Height()};
  TBrushHandle brush(CreateSolidBrush(ColorToRGB(GetParentBackgroundColor(parent))));
  FillRect(DC, &r, brush.Get());
}

// ---- the toolbar ----

TUiToolbar::TUiToolbar(TComponent* AOwner)
    : TUiToolbar(AOwner, std::make_unique<TUiRootItem>(nullptr), std::make_unique<TUiChevronItem>(nullptr),
                 &makeThemedView) {}

TUiToolbar::TUiToolbar(TComponent* AOwner, std::unique_ptr<TBarRootItem> ARoot,
                       std::unique_ptr<TBarChevronItem> AChevron, TViewMaker MakeView)
    : TBarCustomToolbar(AOwner, std::move(ARoot), std::move(AChevron), MakeView) {
  SetColor(clNone);
  RegisterThemeListener(this);
}

TUiToolbar::~TUiToolbar() { UnregisterThemeListener(this); }

void TUiToolbar::SetItemTransparency(TUiItemTransparency Value) {
  if (itemTransparency_ == Value) return;
  itemTransparency_ = Value;
  Invalidate();
}

void TUiToolbar::SetSnapDistance(int Value) { snapDistance_ = std::max(Value, 0); }

int TUiToolbar::ViewType() {
  int vt = MenuBar() ? VT_MENUBAR : VT_PLAINTOOLBAR;
  if (Floating()) vt |= VT_FLOATING;
  if (Resizable()) vt |= VT_RESIZABLE;
  // Items paint their own opaque faces where no dock or frame background shows through them.
  if (itemTransparency_ == itDisable || (itemTransparency_ == itAuto && !Floating() && !Docked())) vt |= VT_OPAQUEITEMS;
  return vt;
}

TColor TUiToolbar::EffectiveColor() {
  if (Color() != clNone) return Color();
  if (!Docked() && !Floating()) {
    TWinControl* parent = Parent();
    return parent ? GetParentBackgroundColor(parent) : clBtnFace;
  }
  return CurrentTheme ? CurrentTheme->GetViewColor(ViewType()) : clBtnFace;
}

bool TUiToolbar::TransparentItems() {
  switch (itemTransparency_) {
    case itEnable: return true;
    case itDisable: return false;
    default: {
      auto* dock = dynamic_cast<TUiDock*>(CurrentDock());
      return Color() == clNone && dock && dock->UsingBackground();
    }
  }
}

TPoint TUiToolbar::GetFloatingBorderSize() {
  if (!CurrentTheme) return TBarCustomToolbar::GetFloatingBorderSize();
  return CurrentTheme->GetViewBorder(ViewType() | VT_FLOATING);
}

TBarFloatingWindowParent* TUiToolbar::CreateFloatingParent(TCustomForm* AOwningForm) {
  return new TUiFloatingWindowParent(AOwningForm, this);
}

void TUiToolbar::EraseBackground(HDC DC) {
  TRect r = ClientRect();
  auto* dock = dynamic_cast<TUiDock*>(CurrentDock());
  bool transparent = false;
  if (Color() == clNone && dock && dock->UsingBackground() && CurrentTheme && !CurrentTheme->GetBooleanMetrics(7)) {
    dock->PaintBackgroundInto(this, DC);
    transparent = true;
  } else if (Color() == clNone && !Docked() && !Floating()) {
    PaintParentBackground(this, DC);
    transparent = true;
  }
  if (!CurrentTheme) return;
  TUiDCCanvas c(DC);
  CurrentTheme->PaintBackgnd(&c.Canvas, r, r, r, EffectiveColor(), transparent, ViewType());
}

void TUiToolbar::DrawNCArea(HDC DC, bool DrawToDC) {
  if (!CurrentTheme || !CurrentDock() || !HandleAllocated()) {
    TBarCustomToolbar::DrawNCArea(DC, DrawToDC);
    return;
  }
  RECT wr{}, cr{};
  GetWindowRect(Handle(), &wr);
  ::GetClientRect(Handle(), &cr);
  POINT cp{0, 0};
  ::ClientToScreen(Handle(), &cp);
  TRect r{0, 0, wr.right - wr.left, wr.bottom - wr.top};
  TSaveDC save(DC);
  ExcludeClipRect(DC, cp.x - wr.left, cp.y - wr.top, cp.x - wr.left + cr.right, cp.y - wr.top + cr.bottom);
  TUiToolbarInfo info;
  info.Window = Handle();
  info.ViewType = ViewType();
  info.IsVertical = CurrentDock()->Vertical();
  info.Docked = true;
  info.BorderStyle = BorderStyle() == bsSingle ? 1 : 0;
  info.DragHandleStyle = CurrentDock()->AllowDragging() ? static_cast<int>(DragHandleStyle()) : 1;
  if (CloseButtonWhenDocked()) info.CloseButtonState = 1 | (CloseButtonHot() ? 2 : 0) | (CloseButtonPushed() ? 4 : 0);
  info.BorderSize = CurrentTheme->GetViewBorder(info.ViewType | VT_FLOATING);
  if (!CurrentTheme->GetBooleanMetrics(6)) {
    auto* dock = dynamic_cast<TUiDock*>(CurrentDock());
    if (Color() == clNone && dock && dock->UsingBackground()) {
      TSaveDC inner(DC);
      SetWindowOrgEx(DC, -(cp.x - wr.left) + 0, -(cp.y - wr.top) + 0, nullptr);
      dock->PaintBackgroundInto(this, DC);
    } else {
      TBrushHandle brush(CreateSolidBrush(ColorToRGB(EffectiveColor())));
      RECT raw{r.Left, r.Top, r.Right, r.Bottom};
      FillRect(DC, &raw, brush.Get());
    }
  }
  TUiDCCanvas c(DC);
  // The theme fills the ring with the toolbar's colour; without one (clNone) it leaves what was
  // filled above, the effective colour or the dock's background.
  c.Canvas.Brush()->SetColor(Color());
  CurrentTheme->PaintToolbarNCArea(&c.Canvas, r, info);
}

void TUiToolbar::ColorChanged() {
  effectiveColor_ = EffectiveColor();
  if (View()) View()->SetBackgroundColor(effectiveColor_);
  if (HandleAllocated() && Docked())
    RedrawWindow(Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_NOCHILDREN);
  broadcastParentColor(this, effectiveColor_);
  Invalidate();
}

void TUiToolbar::ThemeChanged(int Phase) {
  switch (Phase) {
    case 1: BeginUpdate(); break;
    case 3:
      EndUpdate();
      effectiveColor_ = EffectiveColor();
      if (View()) {
        View()->SetBackgroundColor(effectiveColor_);
        View()->InvalidateLayout();
      }
      Arrange();
      if (HandleAllocated())
        RedrawWindow(Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      broadcastParentColor(this, effectiveColor_);
      break;
    case 4:
    case 5:
      if (MenuBar()) Invalidate();
      break;
    default: break;
  }
}

void TUiToolbar::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_ERASEBKGND:
      if (CurrentTheme) {
        EraseBackground(reinterpret_cast<HDC>(Message.WParam));
        Message.Result = 1;
        return;
      }
      break;
    case CM_COLORCHANGED:
      TBarCustomToolbar::WndProc(Message);
      ColorChanged();
      return;
    case CM_HINTSHOW:
      if (UiViewerHint(View(), reinterpret_cast<THintInfo*>(Message.LParam))) {
        Message.Result = reinterpret_cast<THintInfo*>(Message.LParam)->HintStr.empty();
        return;
      }
      break;
    case WM_SIZE: {
      TBarCustomToolbar::WndProc(Message);
      // Over a dock background the whole toolbar shows another part of it after a resize.
      auto* dock = dynamic_cast<TUiDock*>(CurrentDock());
      if (dock && dock->UsingBackground() && HandleAllocated())
        RedrawWindow(Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_NOCHILDREN);
      return;
    }
    case CM_CONTROLLISTCHANGE:
      TBarCustomToolbar::WndProc(Message);
      if (Message.LParam && Color() == clNone) {
        reinterpret_cast<TControl*>(Message.WParam)
            ->Perform(CM_PARENTCOLORCHANGED, 1, static_cast<LPARAM>(EffectiveColor()));
      }
      return;
    default: break;
  }
  TBarCustomToolbar::WndProc(Message);
}

void TUiToolbar::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case UM_GETVIEWTYPE: Message.Result = ViewType(); return;
    case UM_GETBACKGROUNDCOLOR:
      Message.WParam = static_cast<WPARAM>(EffectiveColor());
      Message.Result = 1;
      return;
    case UM_THEMECHANGE: ThemeChanged(static_cast<int>(Message.WParam)); return;
    default: TBarCustomToolbar::Dispatch(Message);
  }
}

// ---- the floating frame ----

TPoint SnapToWorkArea(const TRect& Window, const TRect& WorkArea, int Distance) {
  TPoint p{Window.Left, Window.Top};
  if (Distance <= 0) return p;
  int w = Window.Width(), h = Window.Height();
  if (std::abs(WorkArea.Right - Window.Right) < Distance) p.X = WorkArea.Right - w;
  if (std::abs(WorkArea.Bottom - Window.Bottom) < Distance) p.Y = WorkArea.Bottom - h;
  if (std::abs(Window.Left - WorkArea.Left) < Distance) p.X = WorkArea.Left;
  if (std::abs(Window.Top - WorkArea.Top) < Distance) p.Y = WorkArea.Top;
  return p;
}

WideString TUiFloatingWindowParent::OwnText() {
  if (!HandleAllocated()) return {};
  // The window's own text, as the system keeps it: a frame that draws its caption itself
  // leaves it empty.
  WideString text(static_cast<size_t>(DefWindowProcW(Handle(), WM_GETTEXTLENGTH, 0, 0)), L'\0');
  if (!text.empty())
    text.resize(static_cast<size_t>(DefWindowProcW(Handle(), WM_GETTEXT, static_cast<WPARAM>(text.size() + 1),
                                                   reinterpret_cast<LPARAM>(text.data()))));
  return text;
}

void TUiFloatingWindowParent::PaintBorder(HDC DC) {
  if (!CurrentTheme || !DockableWindow()) return;
  RECT wr{}, cr{};
  GetWindowRect(Handle(), &wr);
  ::GetClientRect(Handle(), &cr);
  MapWindowPoints(Handle(), nullptr, reinterpret_cast<POINT*>(&cr), 2);
  TBarCustomDockableWindow* w = DockableWindow();
  TUiFloatingBorderInfo info;
  info.Window = Handle();
  auto* toolbar = dynamic_cast<TUiToolbar*>(w);
  info.ViewType = toolbar ? toolbar->ViewType() : VT_TOOLBAR | VT_FLOATING;
  info.BorderSize = w->GetFloatingBorderSize();
  info.ShowCaption = w->ShowCaption();
  info.Caption = OwnText();
  info.Active = CaptionActive();
  if (w->CloseButton()) info.CloseButtonState = 1 | (CloseButtonHot() ? 2 : 0) | (CloseButtonPushed() ? 4 : 0);
  info.PaintParts = 7;
  TSaveDC save(DC);
  ExcludeClipRect(DC, cr.left - wr.left, cr.top - wr.top, cr.right - wr.left, cr.bottom - wr.top);
  TUiDCCanvas c(DC);
  CurrentTheme->PaintFloatingBorder(&c.Canvas, {0, 0, wr.right - wr.left, wr.bottom - wr.top}, info);
}

void TUiFloatingWindowParent::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_NCPAINT:
      if (CurrentTheme) {
        TWholeWindowDC dc(Handle());
        PaintBorder(dc.Get());
        Message.Result = 0;
        return;
      }
      break;
    case WM_NCACTIVATE:
      if (CurrentTheme) {
        TBarFloatingWindowParent::WndProc(Message);
        TWholeWindowDC dc(Handle());
        PaintBorder(dc.Get());
        return;
      }
      break;
    case WM_ERASEBKGND: Message.Result = 1; return;
    case WM_WINDOWPOSCHANGING: {
      auto* pos = reinterpret_cast<WINDOWPOS*>(Message.LParam);
      auto* toolbar = dynamic_cast<TUiToolbar*>(DockableWindow());
      if (pos && toolbar && toolbar->SnapDistance() > 0 && !(pos->flags & SWP_NOMOVE) && HandleAllocated()) {
        RECT now{};
        GetWindowRect(Handle(), &now);
        bool sizeKept =
            (pos->flags & SWP_NOSIZE) || (pos->cx == now.right - now.left && pos->cy == now.bottom - now.top);
        if (sizeKept) {
          TRect r = Bounds(pos->x, pos->y, now.right - now.left, now.bottom - now.top);
          TRect work = GetRectOfMonitorContainingRect(r, true);
          TPoint p = SnapToWorkArea(r, work, toolbar->SnapDistance());
          pos->x = p.X;
          pos->y = p.Y;
        }
      }
      break;
    }
    default: break;
  }
  TBarFloatingWindowParent::WndProc(Message);
}

// ---- the dock ----

TUiDock::TUiDock(TComponent* AOwner) : TBarDock(AOwner) {
  SetColor(clNone);
  RegisterThemeListener(this);
}

TUiDock::~TUiDock() { UnregisterThemeListener(this); }

void TUiDock::SetUseParentBackground(bool Value) {
  if (useParentBackground_ == Value) return;
  useParentBackground_ = Value;
  Invalidate();
}

bool TUiDock::UsingBackground() {
  if (paintingThroughToolbar_) return true;
  if (!useParentBackground_ && Color() == clNone && CurrentTheme && CurrentTheme->GetBooleanMetrics(5)) return true;
  return TBarDock::UsingBackground();
}

void TUiDock::DrawBackground(HDC DC, const TRect& DrawRect) {
  if (!CurrentTheme) {
    TBarDock::DrawBackground(DC, DrawRect);
    return;
  }
  TUiDCCanvas c(DC);
  TRect client{0, 0, Width(), Height()};
  CurrentTheme->PaintDock(&c.Canvas, DrawRect, client, static_cast<int>(Position()));
}

void TUiDock::PaintBackgroundInto(TControl* Child, HDC DC) {
  if (!Child) return;
  // The child's device context starts at the child's client area; the dock paints in its own
  // coordinates.
  TPoint origin{Child->Left(), Child->Top()};
  if (auto* w = dynamic_cast<TWinControl*>(Child); w && w->HandleAllocated() && HandleAllocated()) {
    POINT p{0, 0};
    ::ClientToScreen(w->Handle(), &p);
    ::ScreenToClient(Handle(), &p);
    origin = {p.x, p.y};
  }
  TSaveDC save(DC);
  POINT old{};
  GetWindowOrgEx(DC, &old);
  SetWindowOrgEx(DC, old.x + origin.X, old.y + origin.Y, nullptr);
  paintingThroughToolbar_ = true;
  try {
    if (UsingBackground()) {
      DrawBackground(DC, {0, 0, Width(), Height()});
    } else {
      RECT r{0, 0, Width(), Height()};
      TColor color = Color() == clNone ? GetParentBackgroundColor(Parent()) : Color();
      TBrushHandle brush(CreateSolidBrush(ColorToRGB(color)));
      FillRect(DC, &r, brush.Get());
    }
  } catch (...) {
    paintingThroughToolbar_ = false;
    throw;
  }
  paintingThroughToolbar_ = false;
}

void TUiDock::RedrawToolbars() {
  for (int i = 0; i < ControlCount(); ++i) {
    auto* w = dynamic_cast<TWinControl*>(Controls(i));
    if (!w || !w->HandleAllocated()) continue;
    UINT flags = RDW_INVALIDATE | RDW_ERASE;
    if (dynamic_cast<TUiToolbar*>(w)) flags |= RDW_FRAME | RDW_NOCHILDREN;
    RedrawWindow(w->Handle(), nullptr, nullptr, flags);
  }
}

void TUiDock::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_ERASEBKGND: {
      if (!CurrentTheme) break;
      HDC dc = reinterpret_cast<HDC>(Message.WParam);
      TRect r{0, 0, Width(), Height()};
      if (UsingBackground()) {
        DrawBackground(dc, r);
      } else {
        TColor color = Color() == clNone ? GetParentBackgroundColor(Parent()) : Color();
        TBrushHandle brush(CreateSolidBrush(ColorToRGB(color)));
        RECT raw{0, 0, r.Right, r.Bottom};
        FillRect(dc, &raw, brush.Get());
      }
      Message.Result = 1;
      return;
    }
    case CM_COLORCHANGED:
      TBarDock::WndProc(Message);
      RedrawToolbars();
      return;
    case WM_MOVE:
      moving_ = true;
      TBarDock::WndProc(Message);
      moving_ = false;
      return;
    case WM_SIZE:
      resizing_ = true;
      TBarDock::WndProc(Message);
      resizing_ = false;
      if (UsingBackground()) RedrawToolbars();
      return;
    default: break;
  }
  TBarDock::WndProc(Message);
}

void TUiDock::Dispatch(TMessage& Message) {
  if (Message.Msg == UM_THEMECHANGE) {
    if (Message.WParam == 3) {
      Invalidate();
      RedrawToolbars();
    }
    return;
  }
  TBarDock::Dispatch(Message);
}
