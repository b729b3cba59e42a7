// Item viewers: measuring, plain painting, hit tests and mouse semantics of one item in a view.
#include "toolbars/BarItemViewer.h"

#include <algorithm>

#include "framework/Application.h"
#include "toolbars/BarCommon.h"
#include "toolbars/BarDeferredClick.h"
#include "toolbars/BarView.h"

HV_PUBLISH(TBarItemViewer) {}
HV_PUBLISH(TBarSeparatorItemViewer) {}

namespace {

bool HasSubmenu(TBarCustomItem* item) { return item->ItemStyle() & tbisHasSubmenu; }
bool IsSplit(TBarCustomItem* item) {
  return (item->ItemStyle() & tbisHasSubmenu) && (item->ItemStyle() & tbisSplitButton);
}

// The little triangle of a drop-down arrow, pointing down, centred in R.
void DrawDropArrow(HDC dc, const TRect& r, TColor color) {
  int x = r.Left + (r.Width() - 5) / 2;
  int y = r.Top + (r.Height() - 3) / 2;
  TPenHandle pen(CreatePen(PS_SOLID, 1, ColorToRGB(color)));
  TSelectObject select(dc, pen.Get());
  for (int i = 0; i < 3; ++i) {
    MoveToEx(dc, x + i, y + i, nullptr);
    LineTo(dc, x + 5 - i, y + i);
  }
}

bool ComponentDesigning(TBarCustomItem* item) { return item->ComponentState().Contains(csDesigning); }

void Edge(HDC dc, TRect r, UINT edge, UINT flags) {
  RECT rc{r.Left, r.Top, r.Right, r.Bottom};
  DrawEdge(dc, &rc, edge, flags);
}

}  // namespace

void FillDitheredRect(HDC DC, const TRect& R) {
  TBrushHandle brush = CreateHalftoneBrush();
  COLORREF oldText = SetTextColor(DC, ColorToRGB(clBtnFace));
  COLORREF oldBk = SetBkColor(DC, ColorToRGB(clBtnHighlight));
  RECT rc{R.Left, R.Top, R.Right, R.Bottom};
  FillRect(DC, &rc, brush.Get());
  SetTextColor(DC, oldText);
  SetBkColor(DC, oldBk);
}

TBarItemViewer::TBarItemViewer(TBarView* AView, TBarCustomItem* AItem, int AGroupLevel)
    : groupLevel_(AGroupLevel), item_(AItem), view_(AView) {
  RegisterDeferredClickUser();
}

void (*BarAccObjectOrphaned)(void* AccObject) = nullptr;

TBarItemViewer::~TBarItemViewer() {
  if (AccObject && BarAccObjectOrphaned) BarAccObjectOrphaned(AccObject);
  CancelQueuedClicks(this);
  UnregisterDeferredClickUser();
}

// ---- simple virtual operations ----

bool TBarItemViewer::DoExecute() {
  view_->GetRootView()->FinishWithClick(this);
  return true;
}

void TBarItemViewer::Entering() {
  if (item_->OnSelect) item_->OnSelect(item_, this, true);
}

void TBarItemViewer::Leaving() {
  if (item_->OnSelect) item_->OnSelect(item_, this, false);
}

int TBarItemViewer::GetAccRole() {
  if (dynamic_cast<TBarControlItem*>(item_)) return ROLE_BAR_CLIENT;
  if (item_->ItemStyle() & tbisDivider) return ROLE_BAR_SEPARATOR;
  if (view_->IsPopup() || view_->Style().Contains(vsyMenuBar)) return ROLE_BAR_MENUITEM;
  return HasSubmenu(item_) ? ROLE_BAR_BUTTONMENU : ROLE_BAR_PUSHBUTTON;
}

WideString TBarItemViewer::CaptionBeforeTab() {
  const WideString& caption = item_->Caption();
  return caption.substr(0, caption.find(L'\t'));
}

void TBarItemViewer::CursorAt(const TPoint&, HCURSOR&) {}

bool TBarItemViewer::IsToolbarSize() {
  return view_->IsToolbar() || item_->EffectiveOptions().Contains(tboToolbarSize);
}

bool TBarItemViewer::IsToolbarStyle() {
  return view_->IsToolbar() || item_->EffectiveOptions().Contains(tboToolbarStyle);
}

bool TBarItemViewer::SharesWidth() {
  TBarItemOptions o = item_->EffectiveOptions();
  return o.Contains(tboImageAboveCaption) && o.Contains(tboSameWidth) && IsToolbarSize();
}

void TBarItemViewer::KeyDown(Word&, TShiftState) {}
void TBarItemViewer::MouseMove(int, int) {}
void TBarItemViewer::WheelOverViewer(bool&, int) {}

void TBarItemViewer::Invalidate() { view_->Invalidate(this); }

// ---- queries ----

bool TBarItemViewer::CaptionShown() {
  WideString text = CaptionBeforeTab();
  TBarItemDisplayMode mode = item_->DisplayMode();
  if (!text.empty() &&
      (!IsToolbarSize() || item_->ImageIndex() < 0 || mode == nbdmTextOnly || mode == nbdmImageAndText))
    return true;
  return item_->EffectiveOptions().Contains(tboImageAboveCaption);
}

bool TBarItemViewer::ImageVisible() {
  if (item_->ImageIndex() < 0) return false;
  TBarItemDisplayMode mode = item_->DisplayMode();
  if (mode == nbdmDefault || mode == nbdmImageAndText) return true;
  return IsToolbarStyle() && mode == nbdmTextOnlyInMenus;
}

TCustomImageList* TBarItemViewer::GetImageList() {
  if (TCustomImageList* own = item_->Images()) return own;
  for (TBarView* v = view_; v; v = v->ParentView()) {
    if (v->LinkItem() && v->LinkItem()->SubMenuImages()) return v->LinkItem()->SubMenuImages();
    if (v->ParentItem() && v->ParentItem()->SubMenuImages()) return v->ParentItem()->SubMenuImages();
  }
  return nullptr;
}

bool TBarItemViewer::IsRotated() {
  TBarItemOptions o = item_->EffectiveOptions();
  return view_->Orientation() == orVertical && !o.Contains(tboNoRotation) && !o.Contains(tboImageAboveCaption);
}

void TBarItemViewer::Execute(bool AGivePriority) {
  if (DoExecute() && AGivePriority) view_->PromoteViewer(this);
}

TPoint TBarItemViewer::PointInViewer(const TPoint& P) {
  TPoint client = P;
  if (TWinControl* w = view_->Window()) client = w->ScreenToClient(P);
  return {client.X - boundsRect_.Left, client.Y - boundsRect_.Top};
}

void TBarItemViewer::QueueAccFocus(bool Focused) {
  TWinControl* w = view_->Window();
  if (!w || !w->HandleAllocated()) return;
  int child = view_->AccChildIndex(this);
  if (child <= 0) return;
  NotifyWinEvent(Focused ? EVENT_OBJECT_FOCUS : EVENT_OBJECT_SELECTION, w->Handle(), OBJID_CLIENT, child);
}

WideString TBarItemViewer::GetHintText() {
  WideString hint = GetShortHint(item_->Hint());
  if (hint.empty() && !item_->EffectiveOptions().Contains(tboNoAutoHint)) {
    bool menuParent = HasSubmenu(item_) && !IsSplit(item_);
    if (!menuParent || !CaptionShown()) hint = StripTrailingPunctuation(StripAccelChars(CaptionBeforeTab()));
  }
  if (auto* action = dynamic_cast<TCustomAction*>(item_->Action()))
    if (!action->DoHint(hint)) hint.clear();
  if (!hint.empty() && Application && Application->HintShortCuts()) {
    WideString shortcut = item_->GetShortCutText();
    if (!shortcut.empty()) hint = hint + L" (" + shortcut + L")";
  }
  return hint;
}

// ---- measuring ----

int TBarItemViewer::MenuColumnWidth(int AHeight) {
  TCustomImageList* images = GetImageList();
  if (!images) return AHeight;
  return (images->Width() + 3) * AHeight / (images->Height() + 3);
}

void TBarItemViewer::CalcSize(TCanvas* Canvas, int& AWidth, int& AHeight) {
  bool toolbar = IsToolbarStyle();
  int w = toolbar ? 6 : 0, h = toolbar ? 6 : 0;
  HDC dc = Canvas->Handle();
  TBarItemOptions options = item_->EffectiveOptions();
  if (!toolbar || CaptionShown()) {
    WideString text = CaptionBeforeTab();
    if (IsRotated()) {
      TFontHandle rotated = CreateRotatedFont(dc);
      TSelectObject select(dc, rotated.Get());
      w += GetTextHeight(dc);
      h += GetTextWidth(dc, text, true) + (toolbar ? 6 : 0);
    } else {
      h += GetTextHeight(dc);
      w += GetTextWidth(dc, text, true) + (toolbar ? 6 : 0);
    }
  }
  TCustomImageList* images = GetImageList();
  if (toolbar && ImageVisible() && images) {
    if (!IsRotated() && !options.Contains(tboImageAboveCaption)) {
      w += images->Width() + 1;
      h = std::max(h, images->Height() + 6);
    } else {
      h += images->Height();
      w = std::max(w, images->Width() + 7);
    }
  }
  if (toolbar && HasSubmenu(item_)) {
    if (item_->ItemStyle() & tbisSplitButton)
      w += BarSplitArrowWidth;
    else if (options.Contains(tboDropdownArrow))
      (view_->Orientation() == orVertical ? h : w) += BarDropdownArrowWidth;
  }
  if (!toolbar) {
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    h += tm.tmExternalLeading + 4;
    if (images) h = std::max(h, images->Height() + 3);
    w += MenuColumnWidth(h) + 6;
    WideString shortcut = item_->GetShortCutText();
    if (!shortcut.empty()) w += GetTextWidth(dc, shortcut, false) + h - 6;
    w += h;
  }
  AWidth = w;
  AHeight = h;
}

// ---- hit tests and mouse ----

bool TBarItemViewer::InButtonPart(int X, int) {
  if (!HasSubmenu(item_)) return true;
  if (!(item_->ItemStyle() & tbisSplitButton)) return false;
  int arrow = IsToolbarStyle() ? BarSplitArrowWidth : GetSystemMetrics(SM_CXMENUCHECK);
  return X < boundsRect_.Width() - arrow;
}

void TBarItemViewer::MouseDown(TShiftState Shift, int X, int Y, bool& MouseDownOnMenu) {
  bool rootToolbar = !view_->ParentView() && !view_->IsPopup();
  if (!item_->Enabled()) {
    if (rootToolbar) view_->CancelMenu();
    return;
  }
  if (IsToolbarStyle() && InButtonPart(X, Y)) {
    view_->CloseSubmenu();
    view_->SetMouseTracking(true);
    Invalidate();
    return;
  }
  bool wasOpen = view_->OpenViewer() == this;
  view_->OpenSubmenu(false);
  if (wasOpen && rootToolbar) MouseDownOnMenu = true;
  if (Shift.Contains(ssDouble) && !(item_->ItemStyle() & tbisSplitButton)) {
    TBarView* sub = view_->OpenViewerView();
    if (!sub) return;
    for (int i = 0; i < sub->ViewerCount(); ++i) {
      TBarItemViewer* v = sub->Viewers(i);
      TBarCustomItem* it = v->Item();
      if ((v->Show() || v->Clipped()) && (it->ItemStyle() & tbisCanSelect) && it->Enabled() && it->Visible() &&
          it->EffectiveOptions().Contains(tboDefault)) {
        v->Execute(true);
        return;
      }
    }
  }
}

void TBarItemViewer::MouseUp(int X, int Y, bool MouseWasDownOnMenu) {
  bool tracked = view_->MouseTracking();
  view_->SetMouseTracking(false);
  bool rootToolbar = !view_->ParentView() && !view_->IsPopup();
  if (view_->Selected() == this && view_->MouseOverSelected() && item_->Enabled() &&
      !(item_->ItemStyle() & tbisIgnoresClicks)) {
    if (HasSubmenu(item_) && (!(item_->ItemStyle() & tbisSplitButton) || !InButtonPart(X, Y))) {
      if (MouseWasDownOnMenu && rootToolbar) view_->CancelMenu();
      return;
    }
    if (IsToolbarStyle() && !tracked) return;
    Execute(true);
    return;
  }
  if (rootToolbar) view_->CancelMenu();
}

// ---- painting ----

UINT TBarItemViewer::CaptionFormat() {
  UINT format = DT_SINGLELINE | DT_VCENTER;
  if (IsToolbarStyle()) format |= DT_CENTER;
  if (!view_->ShowingAccelerators()) format |= DT_HIDEPREFIX;
  return format;
}

void TBarItemViewer::PaintCaption(TCanvas* Canvas, const TRect& ARect, const WideString& ACaption,
                                  bool ADrawDisabledShadow, UINT AFormat) {
  HDC dc = Canvas->Handle();
  int oldMode = SetBkMode(dc, TRANSPARENT);
  auto draw = [&](TRect r, TColor color) {
    SetTextColor(dc, ColorToRGB(color));
    if (IsRotated()) {
      DrawRotatedText(dc, ACaption, r, AFormat);
    } else {
      RECT rc{r.Left, r.Top, r.Right, r.Bottom};
      DrawTextW(dc, ACaption.c_str(), static_cast<int>(ACaption.size()), &rc, AFormat);
    }
  };
  if (ADrawDisabledShadow) {
    TRect shifted{ARect.Left + 1, ARect.Top + 1, ARect.Right + 1, ARect.Bottom + 1};
    draw(shifted, clBtnHighlight);
    draw(ARect, clBtnShadow);
  } else {
    draw(ARect, Canvas->Font()->Color());
  }
  SetBkMode(dc, oldMode);
}

void TBarItemViewer::DrawMenuArrow(TCanvas* Canvas, int Right, int Top, TColor Color) {
  int cx = GetSystemMetrics(SM_CXMENUCHECK), cy = GetSystemMetrics(SM_CYMENUCHECK);
  HDC dc = Canvas->Handle();
  TCreatedDC maskDC(CreateCompatibleDC(dc));
  TBitmapHandle mask(CreateBitmap(cx, cy, 1, 1, nullptr));
  TSelectObject selectMask(maskDC.Get(), mask.Get());
  RECT r{0, 0, cx, cy};
  PatBlt(maskDC.Get(), 0, 0, cx, cy, WHITENESS);
  DrawFrameControl(maskDC.Get(), &r, DFC_MENU, DFCS_MENUARROW);
  DrawMonoGlyph(dc, maskDC.Get(), Right - cx, Top, cx, cy, Color);
}

void TBarItemViewer::PaintCheck(TCanvas* Canvas, const TRect& Column, bool Shifted) {
  HDC dc = Canvas->Handle();
  int shift = Shifted ? 1 : 0;
  int cx = Column.Left + Column.Width() / 2 + shift;
  int cy = Column.Top + Column.Height() / 2 + shift;
  if (item_->RadioItem()) {
    TBrushHandle fill(CreateSolidBrush(ColorToRGB(clBtnText)));
    TPenHandle outline(CreatePen(PS_SOLID, 1, ColorToRGB(clBtnText)));
    TSelectObject b(dc, fill.Get()), p(dc, outline.Get());
    RoundRect(dc, cx - 3, cy - 3, cx + 2, cy + 2, 2, 2);
    TPenHandle light(CreatePen(PS_SOLID, 1, ColorToRGB(clBtnHighlight)));
    TSelectObject b2(dc, GetStockObject(NULL_BRUSH)), p2(dc, light.Get());
    RoundRect(dc, cx - 4, cy - 4, cx + 3, cy + 3, 6, 6);
    return;
  }
  int x = cx - 2, y = cy + 1;
  static const POINT dark[7] = {{-2, -2}, {0, 0}, {4, -4}, {4, -3}, {0, 1}, {-2, -1}, {-2, -2}};
  static const POINT light[5] = {{-3, -2}, {-3, -1}, {0, 2}, {5, -3}, {5, -5}};
  auto polyline = [&](const POINT* pts, int n, TColor color) {
    std::vector<POINT> moved(pts, pts + n);
    for (POINT& p : moved) p.x += x, p.y += y;
    TPenHandle pen(CreatePen(PS_SOLID, 1, ColorToRGB(color)));
    TSelectObject select(dc, pen.Get());
    Polyline(dc, moved.data(), n);
  };
  polyline(dark, 7, clBtnText);
  polyline(light, 5, clBtnHighlight);
}

void TBarItemViewer::PaintMenu(TCanvas* Canvas, const TRect& R, bool IsSelected, bool UseDisabledShadow) {
  HDC dc = Canvas->Handle();
  bool shownEnabled = item_->Enabled() || view_->Customizing();
  bool split = IsSplit(item_);
  int arrowPart = split ? GetSystemMetrics(SM_CXMENUCHECK) : 0;
  TCustomImageList* images = GetImageList();
  bool imageShown = ImageVisible() && images;
  bool checked = item_->Checked();
  int column = MenuColumnWidth(R.Height());
  TRect col{R.Left, R.Top, R.Left + column, R.Bottom};
  if (IsSelected) {
    TRect sel = R;
    if (imageShown || checked) sel.Left = col.Right + 1;
    if (split && item_->Enabled()) sel.Right -= arrowPart;
    Canvas->FillRect(sel);
  }
  if ((IsSelected && item_->Enabled()) || checked) {
    Edge(dc, col, checked ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    TRect middle{col.Left + 1, col.Top + 1, col.Right - 1, col.Bottom - 1};
    if (checked && !IsSelected) {
      FillDitheredRect(dc, middle);
    } else {
      TBrushHandle face(CreateSolidBrush(ColorToRGB(clBtnFace)));
      RECT rc{middle.Left, middle.Top, middle.Right, middle.Bottom};
      FillRect(dc, &rc, face.Get());
    }
  }
  if (!imageShown) {
    if (checked) PaintCheck(Canvas, col, true);
  } else {
    int shift = checked ? 1 : 0;
    int x = col.Left + (col.Width() - images->Width()) / 2 + shift;
    int y = col.Top + (col.Height() - images->Height()) / 2 + shift;
    images->Draw(Canvas, x, y, item_->ImageIndex(), item_->Enabled());
  }
  TRect text{col.Right + 3, R.Top, R.Right - R.Height(), R.Bottom};
  PaintCaption(Canvas, text, CaptionBeforeTab(), UseDisabledShadow, CaptionFormat() & ~DT_CENTER);
  WideString shortcut = item_->GetShortCutText();
  if (!shortcut.empty()) {
    TRect sc{col.Right + 3, R.Top, R.Right - R.Height(), R.Bottom};
    PaintCaption(Canvas, sc, shortcut, UseDisabledShadow, DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
  }
  if (!HasSubmenu(item_)) return;
  int cy = GetSystemMetrics(SM_CYMENUCHECK);
  int top = R.Top + (R.Height() - cy) / 2;
  if (split) {
    TRect part{R.Right - arrowPart, R.Top, R.Right, R.Bottom};
    if (IsSelected && shownEnabled) {
      Edge(dc, part, BDR_SUNKENOUTER, BF_RECT | BF_MIDDLE);
    } else {
      part.Left -= 1;
      Edge(dc, part, IsSelected ? BDR_SUNKENOUTER : EDGE_ETCHED, BF_LEFT);
    }
  }
  if (UseDisabledShadow) {
    DrawMenuArrow(Canvas, R.Right + 1, top + 1, clBtnHighlight);
    DrawMenuArrow(Canvas, R.Right, top, clBtnShadow);
  } else if (split && IsSelected && shownEnabled) {
    DrawMenuArrow(Canvas, R.Right + 1, top + 1, clBtnText);
  } else {
    DrawMenuArrow(Canvas, R.Right, top, Canvas->Font()->Color());
  }
}

void TBarItemViewer::PaintToolbar(TCanvas* Canvas, const TRect& R, bool IsSelected, bool IsPushed,
                                  bool UseDisabledShadow) {
  HDC dc = Canvas->Handle();
  bool shownEnabled = item_->Enabled() || view_->Customizing();
  bool split = IsSplit(item_);
  bool dropdown = !split && HasSubmenu(item_) && item_->EffectiveOptions().Contains(tboDropdownArrow);
  bool checked = item_->Checked();
  bool tracking = view_->MouseTracking();
  bool vertical = view_->Orientation() == orVertical;
  TRect button = R, arrow;
  if (split) {
    arrow = {R.Right - BarSplitArrowWidth, R.Top, R.Right, R.Bottom};
    button.Right = arrow.Left;
  } else if (dropdown) {
    if (vertical) {
      arrow = {R.Left, R.Bottom - BarDropdownArrowWidth, R.Right, R.Bottom};
      button.Bottom = arrow.Top;
    } else {
      arrow = {R.Right - BarDropdownArrowWidth, R.Top, R.Right, R.Bottom};
      button.Right = arrow.Left;
    }
  }
  bool buttonPushed = checked || (IsPushed && (!split || tracking));
  if ((IsSelected && shownEnabled) || checked || ComponentDesigning(item_)) {
    TRect edged = split ? button : R;
    Edge(dc, edged, buttonPushed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    if (split) Edge(dc, arrow, (IsPushed && !tracking) ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
  }
  if (checked && !IsSelected)
    FillDitheredRect(dc, {button.Left + 1, button.Top + 1, button.Right - 1, button.Bottom - 1});
  if (split || dropdown) {
    TRect a = arrow;
    if (IsPushed && !split) a = {a.Left + 1, a.Top + 1, a.Right + 1, a.Bottom + 1};
    DrawDropArrow(dc, a, shownEnabled ? clBtnText : clGrayText);
  }
  TRect content = button;
  if (buttonPushed) content = {content.Left + 1, content.Top + 1, content.Right + 1, content.Bottom + 1};
  TCustomImageList* images = GetImageList();
  bool captionShown = CaptionShown();
  if (ImageVisible() && images) {
    int iw = images->Width(), ih = images->Height();
    bool beside = !IsRotated() && !item_->EffectiveOptions().Contains(tboImageAboveCaption);
    TRect area = content;
    if (beside)
      area.Right = content.Left + iw + 2;
    else
      area.Bottom = content.Top + ih + 2;
    images->Draw(Canvas, area.Left + (area.Width() - iw) / 2, area.Top + (area.Height() - ih) / 2, item_->ImageIndex(),
                 item_->Enabled());
    if (beside)
      content.Left += iw + 1;
    else
      content.Top += ih + 1;
  }
  if (captionShown) PaintCaption(Canvas, content, CaptionBeforeTab(), UseDisabledShadow, CaptionFormat());
}

void TBarItemViewer::Paint(TCanvas* Canvas, const TRect& ClientAreaRect, bool IsSelected, bool IsPushed,
                           bool UseDisabledShadow) {
  if (IsToolbarStyle())
    PaintToolbar(Canvas, ClientAreaRect, IsSelected, IsPushed, UseDisabledShadow);
  else
    PaintMenu(Canvas, ClientAreaRect, IsSelected, UseDisabledShadow);
}

// ---- TBarSeparatorItemViewer ----

void TBarSeparatorItemViewer::CalcSize(TCanvas* Canvas, int& AWidth, int& AHeight) {
  if (IsToolbarStyle()) {
    AWidth = 6;
    AHeight = 6;
    return;
  }
  AWidth = 0;
  AHeight = DivRoundUp(GetTextHeight(Canvas->Handle()) * 2, 3);
}

void TBarSeparatorItemViewer::Paint(TCanvas* Canvas, const TRect& ClientAreaRect, bool, bool, bool) {
  auto* separator = dynamic_cast<TBarSeparatorItem*>(Item());
  if (separator && separator->Blank()) return;
  bool acrossRows = DrawFlags() & 2;
  bool horizontal = !IsToolbarStyle() || View()->Orientation() == orVertical;
  if (acrossRows) horizontal = !horizontal;
  const TRect& r = ClientAreaRect;
  HDC dc = Canvas->Handle();
  if (horizontal) {
    int inset = !IsToolbarStyle() ? 12 : (acrossRows ? (View()->Orientation() == orFloating ? 1 : 4) : 0);
    int y = r.Top + r.Height() / 2 - 1;
    Edge(dc, {r.Left + inset, y, r.Right - inset, y + 2}, EDGE_ETCHED, BF_TOP);
  } else {
    int inset = acrossRows ? 4 : 0;
    int x = r.Left + r.Width() / 2 - 1;
    Edge(dc, {x, r.Top + inset, x + 2, r.Bottom - inset}, EDGE_ETCHED, BF_LEFT);
  }
}
