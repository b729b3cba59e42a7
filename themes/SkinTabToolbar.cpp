// The tab toolbar: tab items, their sizes and drawing, the active tab, and reordering tabs by
// dragging them.
#include "themes/SkinTabs.h"

#include <algorithm>
#include <memory>

#include "framework/Bitmap.h"
#include "framework/CodePages.h"
#include "framework/Colors.h"
#include "framework/Conversions.h"
#include "framework/FormFiles.h"
#include "framework/Screen.h"
#include "framework/ScopeGuards.h"
#include "framework/VisualStyles.h"
#include "themes/Ui.h"
#include "themes/UiUtils.h"

HV_PUBLISH(TSkinTabItem) {
  // A command item's properties, declaring the values a new tab starts with (the display mode and
  // group are declared again, in their place), so that a new tab writes none of them...
  PublishSkinItemProperties(p, SkinItemProperties, {taCenter, twEndEllipsis, 4});
  p.Prop("DisplayMode", &T::DisplayMode, &T::SetDisplayMode).Default(nbdmImageAndText);
  p.Prop("GroupIndex", &T::GroupIndex, &T::SetGroupIndex).Default(SkinTabGroupIndex);
  // ...and the tab's own: its colour is the toolbar's, never stored.
  p.Prop("TabColor", &T::TabColor);
  p.Prop("TabPosition", &T::TabPosition, &T::SetTabPosition).Default(ttpTop);
  p.Prop("ThemeType", &T::ThemeType, &T::SetThemeType).Default(tttWindows);
}
HV_PUBLISH(TSkinTabItemDragObject) {}
HV_PUBLISH(TSkinTabToolbar) {
  p.Prop("ActiveTab", &T::ActiveTab);
  p.Prop("ActiveTabIndex", &T::ActiveTabIndex, &T::SetActiveTabIndex);
  p.Prop("TabAutofit", &T::TabAutofit, &T::SetTabAutofit).Default(false);
  p.Prop("TabAutofitMaxSize", &T::TabAutofitMaxSize, &T::SetTabAutofitMaxSize).Default(200);
  p.Prop("TabColor", &T::TabColor, &T::SetTabColor).Default(clBtnFace);
  p.Prop("TabPosition", &T::TabPosition, &T::SetTabPosition).Default(ttpTop);
  p.Prop("TabDragReorder", &T::TabDragReorder, &T::SetTabDragReorder).Default(false);
  p.Prop("ThemeType", &T::ThemeType, &T::SetThemeType).Default(tttWindows);
}

namespace {

bool going(TComponent* C) { return !C || C->ComponentState().Contains(csDestroying); }

// The tab at Index of a tab toolbar's items, when it is shown there.
TSkinTabItem* ShownTabAt(TBarCustomItem* Items, int Index) {
  if (!Items || Index < 0 || Index >= Items->Count() || !Items->Items(Index)->Visible()) return nullptr;
  return dynamic_cast<TSkinTabItem*>(Items->Items(Index));
}

// The active tab at Index reaches left over the tab before it, or over the pane's edge as the
// first item shown; never over another item.
bool ActiveTabReachesLeft(TBarCustomItem* Items, int Index) {
  if (ShownTabAt(Items, Index - 1)) return true;
  for (int i = 0; i < Index; ++i)
    if (Items->Items(i)->Visible()) return false;
  return true;
}

}  // namespace

// ---- tab item ----

TSkinTabItem::TSkinTabItem(TComponent* AOwner) : TSkinCustomItem(AOwner) {
  SetDisplayMode(nbdmImageAndText);
  SetGroupIndex(SkinTabGroupIndex);
  SetWrapping(twEndEllipsis);
  SetMargins(4);
}

TSkinTabItem::~TSkinTabItem() {
  // The tab set is told while this is still a tab, so that its sheet goes with it.
  if (Parent()) Parent()->Remove(this);
}

TSkinTabToolbar* TSkinTabItem::TabToolbar() const {
  return Parent() ? dynamic_cast<TSkinTabToolbar*>(GetParentComponent()) : nullptr;
}

TSkinTabPosition TSkinTabItem::TabPosition() {
  if (TSkinTabToolbar* t = TabToolbar()) tabPosition_ = t->TabPosition();
  return tabPosition_;
}

void TSkinTabItem::SetTabPosition(TSkinTabPosition Value) {
  if (!TabToolbar()) tabPosition_ = Value;
}

TSkinTabThemeType TSkinTabItem::ThemeType() {
  if (TSkinTabToolbar* t = TabToolbar()) themeType_ = t->ThemeType();
  return themeType_;
}

void TSkinTabItem::SetThemeType(TSkinTabThemeType Value) {
  if (!TabToolbar()) themeType_ = Value;
}

TColor TSkinTabItem::TabColor() {
  TSkinTabToolbar* t = TabToolbar();
  return t ? t->TabColor() : clBtnFace;
}

void TSkinTabItem::DoClick() {
  TSkinTabToolbar* t = TabToolbar();
  if (!Checked() && Enabled()) {
    bool allowed = true;
    if (t && t->TabSet() && Parent())
      allowed = t->TabSet()->DoActiveTabChanging(t->ActiveTabIndex(), Parent()->IndexOf(this));
    if (allowed) SetChecked(true);
  }
  TSkinCustomItem::DoClick();
}

void TSkinTabItem::DoDrawAdjustFont(TFont* AFont, int State) {
  TSkinCustomItem::DoDrawAdjustFont(AFont, State);
  if (!(State & 1) && ThemeType() != tttUi) AFont->SetColor(clBtnText);
}

void TSkinTabItem::DoDrawItem(TCanvas* ACanvas, const TRect& ARect, const TUiItemInfo& ItemInfo,
                              TSkinPaintStage PaintStage, bool& PaintDefault) {
  TSkinCustomItem::DoDrawItem(ACanvas, ARect, ItemInfo, PaintStage, PaintDefault);
  if (PaintStage != pstPrePaint || !PaintDefault) return;
  PaintDefault = false;
  pushedPaint_ = ItemInfo.Pushed;
  TSkinTabPosition position = TabPosition();
  TSkinTabThemeType style = GetTabThemeTypeInUse(ThemeType());
  TRect r = ARect;
  // Tabs reach one pixel onto the pane's edge.
  if (position == ttpTop)
    r.Bottom += 1;
  else
    r.Top -= 1;
  bool checked = Checked();
  bool hot = (GetStateFlags(ItemInfo) & ISF_HOT) != 0;
  TBarCustomItem* parent = Parent();
  int index = parent ? parent->IndexOf(this) : -1;
  TSkinTabItem* previous = ShownTabAt(parent, index - 1);
  TSkinTabItem* next = ShownTabAt(parent, index + 1);
  int edge = !previous ? 1 : !next ? 2 : 0;
  if (style == tttWindows) {
    if (checked) {
      if (ActiveTabReachesLeft(parent, index)) r.Left -= 2;
      if (next) r.Right += 2;
    } else if (position == ttpTop) {
      r.Top += 2;
    } else {
      r.Bottom -= 2;
    }
    DrawTab(ACanvas, r, edge, false, position, hot, checked, Enabled());
    if (checked) return;
    // An active neighbour overlaps this tab: its end is drawn again over it.
    TSkinTabItem* active = previous && previous->Checked() ? previous : next && next->Checked() ? next : nullptr;
    if (!active) return;
    TRect strip = r;
    if (active == previous)
      strip.Right = strip.Left + 10;
    else
      strip.Left = strip.Right - 10;
    if (position == ttpTop)
      strip.Top -= 2;
    else
      strip.Bottom += 2;
    HDC dc = ACanvas->Handle();
    int saved = SaveDC(dc);
    IntersectClipRect(dc, strip.Left, strip.Top, strip.Right, strip.Bottom);
    TRect whole = active == previous ? TRect(strip.Left - 60, strip.Top, strip.Left + 2, strip.Bottom)
                                     : TRect(strip.Right - 2, strip.Top, strip.Right + 60, strip.Bottom);
    DrawTab(ACanvas, whole, 0, false, position, false, true, active->Enabled());
    RestoreDC(dc, saved);
    return;
  }
  bool flatHotAsPlain = style == tttFlat && GetCurrentThemeName() == "Default";
  if (!checked && (!hot || flatHotAsPlain)) {
    // Only a separator at the right edge; none after the last tab or before the active one.
    if (next && !next->Checked()) DrawTab(ACanvas, r, edge, true, position, false, false, Enabled());
    return;
  }
  if (position == ttpTop)
    r.Bottom += 5;
  else
    r.Top -= 5;
  DrawTab(ACanvas, r, edge, false, position, hot, checked, Enabled());
}

void TSkinTabItem::DrawTab(TCanvas* ACanvas, const TRect& ARect, int EdgeKind, bool Separator,
                           TSkinTabPosition Position, bool Hot, bool Checked, bool Enabled) {
  TSkinTabThemeType style = GetTabThemeTypeInUse(ThemeType());
  if (Separator) {
    if (style == tttUi && GetCurrentThemeName() != "Default" && CurrentTheme) {
      TUiItemInfo info;
      info.ViewType = VT_TOOLBAR;
      info.Enabled = 1;
      CurrentTheme->PaintSeparator(ACanvas, TRect(ARect.Left, ARect.Top + 3, ARect.Right, ARect.Bottom - 3), info,
                                   false, false);
      return;
    }
    HDC dc = ACanvas->Handle();
    RECT line{ARect.Right - 2, ARect.Top + 3, ARect.Right - 1, ARect.Bottom - 3};
    FillRect(dc, &line, GetSysColorBrush(COLOR_BTNSHADOW));
    OffsetRect(&line, 1, 0);
    FillRect(dc, &line, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
    return;
  }
  if (style == tttFlat && Hot && !Checked) style = tttUi;
  bool flip = (style == tttWindows && Position == ttpBottom) || (style == tttUi && TabUiStyleFlipped());
  ACanvas->Brush()->SetColor(TabColor());
  DrawTabItemBackground(ACanvas, ARect, Enabled, EdgeKind, style, flip, false, Hot, Checked);
}

void TSkinTabItem::DoDrawCaption(TCanvas* ACanvas, const TRect& ClientAreaRect, WideString& ACaption,
                                 TRect& CaptionRect, Cardinal& CaptionFormat, bool IsTextRotated,
                                 TSkinPaintStage PaintStage, bool& PaintDefault) {
  TSkinCustomItem::DoDrawCaption(ACanvas, ClientAreaRect, ACaption, CaptionRect, CaptionFormat, IsTextRotated,
                                 PaintStage, PaintDefault);
  if (PaintStage != pstPrePaint) return;
  // A pressed tab does not move its caption as a pressed button does under "Default".
  if (pushedPaint_ && GetCurrentThemeName() == "Default")
    CaptionRect = TRect(CaptionRect.Left - 1, CaptionRect.Top - 1, CaptionRect.Right - 1, CaptionRect.Bottom - 1);
  if (Checked()) return;
  // An inactive tab's text sits lower, away from the page.
  int shift = TabPosition() == ttpTop ? 2 : -2;
  CaptionRect.Top += shift;
  CaptionRect.Bottom += shift;
}

void TSkinTabItem::DoDrawImage(TCanvas* ACanvas, const TUiItemInfo& ItemInfo, TSkinPaintStage PaintStage,
                               TCustomImageList*& AImageList, int& AImageIndex, TRect& ARect, bool& PaintDefault) {
  TSkinCustomItem::DoDrawImage(ACanvas, ItemInfo, PaintStage, AImageList, AImageIndex, ARect, PaintDefault);
  if (PaintStage != pstPrePaint || Checked()) return;
  int shift = TabPosition() == ttpTop ? 2 : -2;
  ARect.Top += shift;
  ARect.Bottom += shift;
}

// ---- tab toolbar ----

TSkinTabToolbar::TSkinTabToolbar(TComponent* AOwner) : TSkinToolbar(AOwner) {
  tabSet_ = dynamic_cast<TSkinCustomTabSet*>(AOwner);
  // Tabs that do not fit are hidden by the tab toolbar itself, never put in a chevron.
  SetShrinkMode(tbsmNone);
}

TSkinTabToolbar::~TSkinTabToolbar() { tabSet_ = nullptr; }

TSkinTabItem* TSkinTabToolbar::ActiveTab() {
  if (activeTabIndex_ < 0 || activeTabIndex_ >= Items()->Count()) return nullptr;
  TBarCustomItem* item = Items()->Items(activeTabIndex_);
  auto* tab = dynamic_cast<TSkinTabItem*>(item);
  if (!tab || going(tab) || !tab->Parent()) return nullptr;
  return tab;
}

void TSkinTabToolbar::SetActiveTabIndex(int Value) {
  // A tab toolbar outside a tab set has no tab to activate.
  if (!tabSet_) return;
  if (Value < 0 || Value >= Items()->Count() || going(Items()->Items(Value)))
    Value = -1;
  else if (!dynamic_cast<TSkinTabItem*>(Items()->Items(Value)))
    Value = activeTabIndex_;
  if (Value == activeTabIndex_) return;
  if (!tabSet_->DoActiveTabChanging(activeTabIndex_, Value)) return;
  int old = activeTabIndex_;
  activeTabIndex_ = Value;
  if (old >= 0 && old < Items()->Count() && !going(Items()->Items(old))) {
    TBarCustomItem* previous = Items()->Items(old);
    previous->SetChecked(false);
    if (auto* tab = dynamic_cast<TSkinTabItem*>(previous); tab && tab->Control()) tab->Control()->SetVisible(false);
  }
  if (TSkinTabItem* tab = ActiveTab()) {
    tab->SetChecked(true);
    if (TControl* sheet = tab->Control()) {
      sheet->SetVisible(true);
      sheet->BringToFront();
    }
    ScrollIntoView(tab);
  }
  tabSet_->DoActiveTabChange(activeTabIndex_);
  Repaint();
}

void TSkinTabToolbar::Repaint() {
  if (HandleAllocated()) RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

void TSkinTabToolbar::SetThemeType(TSkinTabThemeType Value) {
  if (Value == themeType_) return;
  themeType_ = Value;
  if (View()) View()->InvalidateLayout();
  Repaint();
}

void TSkinTabToolbar::SetTabColor(TColor Value) {
  if (Value == tabColor_) return;
  tabColor_ = Value;
  if (themeType_ == tttUi) return;
  if (View()) View()->InvalidateLayout();
  Repaint();
}

void TSkinTabToolbar::SetTabAutofit(bool Value) {
  if (Value == tabAutofit_) return;
  tabAutofit_ = Value;
  if (Value) {
    Autofit();
    Repaint();
  }
}

void TSkinTabToolbar::SetTabAutofitMaxSize(int Value) {
  if (Value == tabAutofitMaxSize_) return;
  tabAutofitMaxSize_ = Value;
  if (tabAutofit_) Autofit();
}

bool TSkinTabToolbar::IsHidden(TBarCustomItem* AItem) const {
  return std::any_of(hidden_.begin(), hidden_.end(), [&](const TSkinHiddenTab& H) { return H.Item == AItem; });
}

int TSkinTabToolbar::ViewerWidth(TBarCustomItem* AItem) {
  TBarItemViewer* v = View() ? View()->FindOrNull(AItem) : nullptr;
  return v ? v->BoundsRect().Width() : 0;
}

int TSkinTabToolbar::FirstVisibleIndex() const {
  for (int i = 0; i < Items()->Count(); ++i)
    if (Items()->Items(i)->Visible()) return i;
  return -1;
}

int TSkinTabToolbar::LastVisibleIndex() const {
  for (int i = Items()->Count(); i-- > 0;)
    if (Items()->Items(i)->Visible() && !dynamic_cast<TSkinRightAlignSpacerItem*>(Items()->Items(i))) return i;
  return -1;
}

void TSkinTabToolbar::HideTab(TBarCustomItem* AItem) {
  if (IsHidden(AItem)) return;
  hidden_.push_back({AItem, AItem->Name(), ViewerWidth(AItem), Items()->IndexOf(AItem)});
  AItem->SetVisible(false);
}

void TSkinTabToolbar::ShowTab(TBarCustomItem* AItem) {
  hidden_.erase(
      std::remove_if(hidden_.begin(), hidden_.end(), [&](const TSkinHiddenTab& H) { return H.Item == AItem; }),
      hidden_.end());
  AItem->SetVisible(true);
}

TSkinRightAlignSpacerItem* TSkinTabToolbar::VisibleSpacer() const {
  for (int i = 0; i < Items()->Count(); ++i)
    if (auto* spacer = dynamic_cast<TSkinRightAlignSpacerItem*>(Items()->Items(i)); spacer && spacer->Visible())
      return spacer;
  return nullptr;
}

bool TSkinTabToolbar::AnyViewerFullyVisible() {
  TBarDock* dock = CurrentDock();
  // The toolbar's client origin in the dock: what lies past the dock's client width is cut off.
  TPoint origin = dock->ScreenToClient(ClientToScreen({0, 0}));
  for (int i = 0; i < View()->ViewerCount(); ++i) {
    TBarItemViewer* v = View()->Viewers(i);
    if (!v->Show() || v->OffEdge() || v->Clipped()) continue;
    const TRect& r = v->BoundsRect();
    if (origin.X + r.Left >= 0 && origin.X + r.Right <= dock->ClientWidth()) return true;
  }
  return false;
}

int TSkinTabToolbar::UsedWidth(int First) {
  int used = 0;
  for (int i = First; i < Items()->Count(); ++i) {
    TBarCustomItem* item = Items()->Items(i);
    if (item->Visible() && !dynamic_cast<TSkinRightAlignSpacerItem*>(item)) used += ViewerWidth(item);
  }
  return used;
}

void TSkinTabToolbar::FitTabs() {
  if (rearranging_ || going(this) || !CurrentDock() || CurrentDock()->Width() == 0 || CurrentDock()->Height() == 0 ||
      Items()->Count() == 0)
    return;
  // Not while the toolbar is off its dock or inside an update: the widths are not final then.
  if (!Docked() || UpdateCount() > 0) return;
  if (tabAutofit_) {
    Autofit();
    return;
  }
  rearranging_ = true;
  TScopeExit done([this] { rearranging_ = false; });
  View()->UpdatePositions();
  // Nothing to measure against while not even one item is whole in sight.
  if (!AnyViewerFullyVisible()) return;
  const int dockWidth = CurrentDock()->Width();
  const int room = dockWidth - 8;
  int first = FirstVisibleIndex();
  if (first < 0) return;
  // The spacer only fills what the other items leave: its width is not room in use, and it is
  // given what remains.
  TSkinRightAlignSpacerItem* spacer = VisibleSpacer();
  auto fitSpacer = [&] {
    if (spacer) spacer->SetCustomWidth(std::max(0, dockWidth - 4 - UsedWidth(first)));
  };
  fitSpacer();
  // Hidden tabs after the first visible one come back while they fit.
  int used = UsedWidth(first);
  for (int i = first + 1; i < Items()->Count(); ++i) {
    TBarCustomItem* item = Items()->Items(i);
    if (item->Visible() || !IsHidden(item)) continue;
    auto h = std::find_if(hidden_.begin(), hidden_.end(), [&](const TSkinHiddenTab& H) { return H.Item == item; });
    if (used + h->Width >= room) break;
    used += h->Width;
    ShowTab(item);
  }
  View()->UpdatePositions();
  // Tabs past the room go, the first visible one stays.
  for (int i = Items()->Count(); i-- > first + 1;) {
    TBarCustomItem* item = Items()->Items(i);
    if (!item->Visible() || dynamic_cast<TSkinRightAlignSpacerItem*>(item)) continue;
    TBarItemViewer* v = View()->FindOrNull(item);
    if (v && v->BoundsRect().Right > room) HideTab(item);
  }
  fitSpacer();
  View()->UpdatePositions();
}

void TSkinTabToolbar::ScrollLeft() {
  if (Items()->Count() < 2 || tabAutofit_) return;
  int first = FirstVisibleIndex();
  for (int i = first - 1; i >= 0; --i) {
    TBarCustomItem* item = Items()->Items(i);
    if (!IsHidden(item)) continue;
    // The last visible tab makes room, even when it is the only one.
    if (int last = LastVisibleIndex(); last >= 0) HideTab(Items()->Items(last));
    ShowTab(item);
    break;
  }
  Repaint();
}

void TSkinTabToolbar::ScrollRight() {
  if (Items()->Count() < 2 || tabAutofit_) return;
  int last = LastVisibleIndex();
  for (int i = last + 1; i < Items()->Count(); ++i) {
    TBarCustomItem* item = Items()->Items(i);
    if (!IsHidden(item)) continue;
    if (int first = FirstVisibleIndex(); first >= 0) HideTab(Items()->Items(first));
    ShowTab(item);
    break;
  }
  Repaint();
}

void TSkinTabToolbar::ScrollIntoView(TBarCustomItem* AItem) {
  for (int n = 0; n < Items()->Count() && IsHidden(AItem); ++n) {
    if (Items()->IndexOf(AItem) <= FirstVisibleIndex())
      ScrollLeft();
    else
      ScrollRight();
  }
}

void TSkinTabToolbar::Autofit() {
  if (rearranging_ || Items()->Count() == 0 || !CurrentDock()) return;
  rearranging_ = true;
  TScopeExit done([this] { rearranging_ = false; });
  for (TSkinHiddenTab& h : hidden_)
    if (h.Item) h.Item->SetVisible(true);
  hidden_.clear();
  int tabs = 0, spacers = 0, others = 0;
  for (int i = 0; i < Items()->Count(); ++i) {
    TBarCustomItem* item = Items()->Items(i);
    if (!item->Visible()) continue;
    if (dynamic_cast<TSkinTabItem*>(item))
      ++tabs;
    else if (dynamic_cast<TSkinRightAlignSpacerItem*>(item))
      ++spacers;
    else
      others += ViewerWidth(item);
  }
  if (tabs == 0) return;
  int width = (CurrentDock()->ClientWidth() - 4 - others - 20 * spacers) / tabs;
  width = std::min(width, tabAutofitMaxSize_);
  for (int i = 0; i < Items()->Count(); ++i) {
    TBarCustomItem* item = Items()->Items(i);
    // Every tab, so that one shown later has the width of the others.
    if (auto* tab = dynamic_cast<TSkinTabItem*>(item)) tab->SetCustomWidth(width);
    if (auto* spacer = dynamic_cast<TSkinRightAlignSpacerItem*>(item))
      spacer->SetCustomWidth(CurrentDock()->Width() - tabs * width - others - GetNCSize().X);
  }
}

void TSkinTabToolbar::Resize() {
  TSkinToolbar::Resize();
  // Fitted once the change that resized the toolbar is over: a resize may come in the middle
  // of an item being taken out.
  if (HandleAllocated() && !fitPosted_) {
    fitPosted_ = true;
    PostMessageW(Handle(), UM_FITTABS, 0, 0);
  }
}

void TSkinTabToolbar::WndProc(TMessage& Message) {
  if (Message.Msg == UM_FITTABS) {
    fitPosted_ = false;
    FitTabs();
    return;
  }
  if (Message.Msg == WM_ERASEBKGND) {
    EraseTabBackground(reinterpret_cast<HDC>(Message.WParam));
    Message.Result = 1;
    return;
  }
  TSkinToolbar::WndProc(Message);
}

void TSkinTabToolbar::DoItemNotification(TBarCustomItem* Ancestor, bool Relayed, TBarItemChangedAction Action,
                                         int Index, TBarCustomItem* Item) {
  TSkinToolbar::DoItemNotification(Ancestor, Relayed, Action, Index, Item);
  if (Action == tbicInvalidateAndResize && !rearranging_ && !IsCustomizing()) Repaint();
}

void TSkinTabToolbar::EraseTabBackground(HDC DC) {
  TRect client = ClientRect();
  int w = client.Width(), h = client.Height();
  if (w <= 0 || h <= 0) return;
  // The pane reaches 2 px past the side away from the page, so that only its edge along the
  // tabs' foot shows; the active tab, drawn again over it, covers that edge.
  TBitmap bitmap;
  bitmap.SetSize(w, h + 2);
  TRect local(0, 0, w, h + 2);
  bool paintDefault = true;
  DoDrawBackground(bitmap.Canvas(), local, pstPrePaint, paintDefault);
  if (paintDefault)
    DrawTabToolbarBackground(bitmap.Canvas(), local, tabColor_, GetTabThemeTypeInUse(themeType_), tabPosition_);
  paintDefault = true;
  DoDrawBackground(bitmap.Canvas(), local, pstPostPaint, paintDefault);
  BitBlt(DC, client.Left, client.Top, w, h, bitmap.Canvas()->Handle(), 0, tabPosition_ == ttpTop ? 2 : 0, SRCCOPY);
  TCanvas canvas;
  canvas.SetHandle(DC);
  DrawActiveTab(&canvas);
  canvas.SetHandle(nullptr);
}

void TSkinTabToolbar::DrawActiveTab(TCanvas* ACanvas) {
  TSkinTabItem* tab = ActiveTab();
  TBarItemViewer* v = tab && View() ? View()->FindOrNull(tab) : nullptr;
  if (!v || !v->Show()) return;
  // The active tab reaches over the pane's edge, so that it and its page look as one.
  TSkinTabThemeType style = GetTabThemeTypeInUse(themeType_);
  int reach = ActiveTabExtension(style, tabPosition_);
  TRect r = v->BoundsRect();
  if (tabPosition_ == ttpTop)
    r.Bottom += reach;
  else
    r.Top -= reach;
  int index = Items()->IndexOf(tab);
  bool hasNext = ShownTabAt(Items(), index + 1) != nullptr;
  if (style == tttWindows) {
    if (ActiveTabReachesLeft(Items(), index)) r.Left -= 2;
    if (hasNext) r.Right += 2;
  }
  int edge = index == FirstVisibleIndex() ? 1 : !hasNext ? 2 : 0;
  tab->DrawTab(ACanvas, r, edge, false, tabPosition_, false, true, true);
}

void TSkinTabToolbar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && !IsCustomizing()) {
    TBarItemViewer* v = View()->ViewerFromPoint({X, Y});
    auto* tab = v ? dynamic_cast<TSkinTabItem*>(v->Item()) : nullptr;
    if (tab && tab->Enabled() && !tab->Checked()) {
      // A tab is taken at the press, not at the release.
      if (tabSet_)
        tabSet_->TabClick(tab);
      else
        tab->Click();
      if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
      return;
    }
    if (tab && tab->Checked() && tabDragReorder_) {
      pendingDrag_ = tab;
      BeginDrag(false, 2);
      return;
    }
  }
  TSkinToolbar::MouseDown(Button, Shift, X, Y);
}

void TSkinTabToolbar::DoStartDrag(TDragObject*& DragObject) {
  if (pendingDrag_) {
    DragObject = new TSkinTabItemDragObject(this, pendingDrag_);
    return;
  }
  TSkinToolbar::DoStartDrag(DragObject);
}

void TSkinTabToolbar::DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept) {
  auto* drag = dynamic_cast<TSkinTabItemDragObject*>(Source);
  if (!drag) {
    TSkinToolbar::DragOver(Source, X, Y, State, Accept);
    return;
  }
  Accept = drag->SourceToolbar() == this;
}

void TSkinTabToolbar::DragDrop(TObject* Source, int X, int Y) {
  auto* drag = dynamic_cast<TSkinTabItemDragObject*>(Source);
  if (!drag) {
    TSkinToolbar::DragDrop(Source, X, Y);
    return;
  }
  pendingDrag_ = nullptr;
  TRect mark;
  int index = GetDropIndex({X, Y}, mark);
  ReorderTab(drag->SourceItem(), index);
}

void TSkinTabToolbar::ReorderTab(TBarCustomItem* AItem, int NewIndex) {
  int old = Items()->IndexOf(AItem);
  if (old < 0 || NewIndex == old || NewIndex < 0 || NewIndex >= Items()->Count()) return;
  if (Items()->Items(NewIndex) == AItem || NewIndex >= LastVisibleIndex() + 1) return;
  if (tabSet_ && !tabSet_->DoActiveTabReordering(old, NewIndex)) return;
  if (tabSet_) tabSet_->updating_ = true;
  Items()->Move(old, NewIndex);
  if (tabSet_) tabSet_->updating_ = false;
  activeTabIndex_ = -1;
  SetActiveTabIndex(NewIndex);
  if (tabSet_) tabSet_->DoActiveTabReorder(NewIndex);
  Repaint();
}
