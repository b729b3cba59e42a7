// Tabs: the tab styles and the painting of a tab strip's pane and of single tabs.
#include "themes/SkinTabs.h"

#include <algorithm>
#include <memory>

#include "framework/Bitmap.h"
#include "framework/Colors.h"
#include "themes/Ui.h"
#include "themes/UiUtils.h"
#include "framework/VisualStyles.h"
#include "framework/FormFiles.h"
#include "framework/Screen.h"
#include "framework/ScopeGuards.h"
#include "framework/CodePages.h"
#include "framework/Conversions.h"

namespace {

constexpr int TabPartItem = 1;  // 2 and 3: the items at the left and right edge
constexpr int TabPartPane = 9;

bool nameIn(const AnsiString& Name, std::initializer_list<const char*> Names) {
  for (const char* n : Names)
    if (Name == n) return true;
  return false;
}

// Draws a part of the visual-style class "TAB"; false when the style has no such class.
bool drawTabPart(HDC DC, const TRect& R, int Part, int State) {
  TUxThemeEntries& ux = UxTheme();
  if (!ux.OpenThemeData || !ux.DrawThemeBackground || !ux.CloseThemeData) return false;
  HTHEME theme = ux.OpenThemeData(nullptr, L"TAB");
  if (!theme) return false;
  RECT r{R.Left, R.Top, R.Right, R.Bottom};
  bool done = SUCCEEDED(ux.DrawThemeBackground(theme, DC, Part, State, &r, nullptr));
  ux.CloseThemeData(theme);
  return done;
}

void flatFrames(HDC DC, TRect R, TColor AColor, TSkinTabThemeType Style) {
  if (Style == tttFlat) {
    FrameRect3D(DC, R, clWindow, clBtnShadow, true);
    return;
  }
  FrameRect3D(DC, R, clWindow, clWindowFrame, true);
  FrameRect3D(DC, R, AColor, clBtnShadow, true);
}

// Copies a bitmap onto the canvas, upside down when Flip is set.
void copyBitmap(TCanvas* ACanvas, const TRect& ARect, TBitmap& Bitmap, bool Flip) {
  int w = ARect.Width(), h = ARect.Height();
  if (Flip)
    StretchBlt(ACanvas->Handle(), ARect.Left, ARect.Top, w, h, Bitmap.Canvas()->Handle(), 0, h - 1, w, -h, SRCCOPY);
  else
    BitBlt(ACanvas->Handle(), ARect.Left, ARect.Top, w, h, Bitmap.Canvas()->Handle(), 0, 0, SRCCOPY);
}

TUiItemInfo tabItemInfo(bool Enabled, bool Hot, bool Checked) {
  TUiItemInfo info;
  info.ViewType = VT_TOOLBAR;
  info.ItemOptions = IO_TOOLBARSTYLE | IO_APPACTIVE;
  info.Enabled = Enabled;
  info.HoverKind = Hot ? 2 : 0;
  info.Selected = Checked;
  return info;
}

}  // namespace

TSkinTabThemeType GetTabThemeTypeInUse(TSkinTabThemeType Style) {
  if (Style == tttUi && GetCurrentThemeName() == "Default") Style = tttWindows;
  if (Style == tttWindows && !ThemesActive()) Style = tttNone;
  return Style;
}

bool TabUiStyleFlipped() {
  return nameIn(GetCurrentThemeName(), {"Dream", "Miranda", "Nexos2", "NexosX", "OfficeC", "OfficeK", "Relifer",
                                        "SentimoX", "Tristan", "Tristan2", "Zezio"});
}

int ActiveTabExtension(TSkinTabThemeType StyleInUse, TSkinTabPosition Position) {
  if (Position == ttpBottom && StyleInUse == tttNone) return 2;
  if (StyleInUse == tttUi &&
      nameIn(GetCurrentThemeName(), {"Dream", "Miranda", "Monai", "MonaiXP", "NexosX", "Stripes", "Xito", "Zezio"}))
    return 2;
  return 1;
}

void DrawTabToolbarBackground(TCanvas* ACanvas, const TRect& ARect, TColor AColor, TSkinTabThemeType Style,
                              TSkinTabPosition Position) {
  int w = ARect.Width(), h = ARect.Height();
  if (w <= 0 || h <= 0) return;
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetSize(w, h);
  TCanvas* c = bitmap->Canvas();
  HDC dc = c->Handle();
  TRect local(0, 0, w, h);
  bool flip = false;
  if (Style == tttWindows && drawTabPart(dc, local, TabPartPane, 0)) {
    flip = Position == ttpBottom;
  } else if (Style == tttUi) {
    c->Brush()->SetColor(clWhite);
    c->FillRect(local);
    if (CurrentTheme) CurrentTheme->PaintFrame(c, local, tabItemInfo(true, false, false));
  } else {
    c->Brush()->SetColor(AColor);
    c->FillRect(local);
    flatFrames(dc, local, AColor, Style == tttFlat ? tttFlat : tttNone);
  }
  copyBitmap(ACanvas, ARect, *bitmap, flip);
}

void DrawTabItemBackground(TCanvas* ACanvas, const TRect& ARect, bool Enabled, int EdgeKind, TSkinTabThemeType Style,
                           bool Flip, bool Focused, bool Hot, bool Checked) {
  if ((Style == tttNone || Style == tttFlat) && !Checked) return;
  int w = ARect.Width(), h = ARect.Height();
  if (w <= 0 || h <= 0) return;
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetSize(w, h);
  TCanvas* c = bitmap->Canvas();
  HDC dc = c->Handle();
  TRect local(0, 0, w, h);
  // What lies under the tab shows where the style leaves it transparent.
  BitBlt(dc, 0, 0, w, h, ACanvas->Handle(), ARect.Left, ARect.Top, SRCCOPY);
  if (Flip) StretchBlt(dc, 0, 0, w, h, dc, 0, h - 1, w, -h, SRCCOPY);
  int state = !Enabled ? 4 : Checked ? 3 : Hot ? 2 : 1;
  bool styled = Style == tttWindows && drawTabPart(dc, local, TabPartItem + std::clamp(EdgeKind, 0, 2), state);
  if (styled) {
    // the visual style painted it
  } else if (Style == tttUi) {
    if (CurrentTheme) CurrentTheme->PaintButton(c, local, tabItemInfo(Enabled, Hot, Checked));
  } else {
    c->Brush()->SetColor(ACanvas->Brush()->Color());
    c->FillRect(local);
    flatFrames(dc, local, ACanvas->Brush()->Color(), Style == tttFlat ? tttFlat : tttNone);
  }
  if (Focused && Checked) {
    RECT f{3, 3, w - 3, h - 3};
    DrawFocusRect(dc, &f);
  }
  copyBitmap(ACanvas, ARect, *bitmap, Flip);
}

// ---- the tab set ----

HV_PUBLISH(TSkinTabItem) {
  p.Prop("TabPosition", &T::TabPosition, &T::SetTabPosition).Default(ttpTop);
  p.Prop("ThemeType", &T::ThemeType, &T::SetThemeType).Default(tttWindows);
}
HV_PUBLISH(TSkinTabItemDragObject) {}
HV_PUBLISH(TSkinTabToolbar) {
  p.Prop("ActiveTabIndex", &T::ActiveTabIndex, &T::SetActiveTabIndex);
  p.Prop("TabAutofit", &T::TabAutofit, &T::SetTabAutofit).Default(false);
  p.Prop("TabAutofitMaxSize", &T::TabAutofitMaxSize, &T::SetTabAutofitMaxSize).Default(200);
  p.Prop("TabColor", &T::TabColor, &T::SetTabColor).Default(clBtnFace);
  p.Prop("TabPosition", &T::TabPosition, &T::SetTabPosition).Default(ttpTop);
  p.Prop("TabDragReorder", &T::TabDragReorder, &T::SetTabDragReorder).Default(false);
  p.Prop("ThemeType", &T::ThemeType, &T::SetThemeType).Default(tttWindows);
}
HV_PUBLISH(TSkinCustomTabSet) {}
HV_PUBLISH(TSkinTabSheet) {
  p.Prop("Caption", &T::Caption, &T::SetCaption);
  p.Prop("ImageIndex", &T::ImageIndex, &T::SetImageIndex);
  p.Prop("TabVisible", &T::TabVisible, &T::SetTabVisible);
}
HV_PUBLISH(TSkinCustomTabControl) {}
HV_PUBLISH(TSkinTabControl) {
  p.Prop("ActiveTabIndex", &T::ActiveTabIndex, &T::SetActiveTabIndex);
  p.Prop("Margins", &T::Margins, &T::SetMargins);
  p.Prop("TabAutofit", &T::TabAutofit, &T::SetTabAutofit).Default(false);
  p.Prop("TabAutofitMaxSize", &T::TabAutofitMaxSize, &T::SetTabAutofitMaxSize);
  p.Prop("TabDragReorder", &T::TabDragReorder, &T::SetTabDragReorder).Default(false);
  p.Prop("TabPosition", &T::TabPosition, &T::SetTabPosition).Default(ttpTop);
  p.Prop("TabVisible", &T::TabVisible, &T::SetTabVisible).Default(true);
  p.Prop("ThemeType", &T::ThemeType, &T::SetThemeType);
  p.Event("OnActiveTabChange", &T::OnActiveTabChange);
  p.Event("OnActiveTabChanging", &T::OnActiveTabChanging);
  p.Event("OnActiveTabReorder", &T::OnActiveTabReorder);
  p.Event("OnActiveTabReordering", &T::OnActiveTabReordering);
  p.Event("OnDrawBackground", &T::OnDrawBackground);
}

namespace {

bool going(TComponent* C) { return !C || C->ComponentState().Contains(csDestroying); }

TColor sheetColorFor(TSkinTabThemeType Style) { return Style == tttWindows || Style == tttUi ? clNone : clBtnFace; }

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
  auto tabAt = [&](int I) -> TSkinTabItem* {
    if (!parent || I < 0 || I >= parent->Count() || !parent->Items(I)->Visible()) return nullptr;
    return dynamic_cast<TSkinTabItem*>(parent->Items(I));
  };
  TSkinTabItem* previous = tabAt(index - 1);
  TSkinTabItem* next = tabAt(index + 1);
  int edge = !previous ? 1 : !next ? 2 : 0;
  if (style == tttWindows) {
    if (checked) {
      r.Left -= 2;  // with a tab before it, or as the first one
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
  if (PaintStage != pstPrePaint || Checked()) return;
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
  if (!tabSet_) {
    activeTabIndex_ = Value;
    return;
  }
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
  TBarItemViewer* v = View() ? View()->Find(AItem) : nullptr;
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

void TSkinTabToolbar::FitTabs() {
  if (rearranging_ || going(this) || !CurrentDock() || CurrentDock()->Width() == 0 || CurrentDock()->Height() == 0 ||
      Items()->Count() == 0)
    return;
  if (tabAutofit_) {
    Autofit();
    return;
  }
  rearranging_ = true;
  TScopeExit done([this] { rearranging_ = false; });
  View()->UpdatePositions();
  int room = CurrentDock()->Width() - 8;
  int first = FirstVisibleIndex();
  if (first < 0) return;
  // Hidden tabs after the first visible one come back while they fit.
  int used = 0;
  for (int i = first; i < Items()->Count(); ++i)
    if (Items()->Items(i)->Visible()) used += ViewerWidth(Items()->Items(i));
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
    TBarItemViewer* v = View()->Find(item);
    if (v && v->BoundsRect().Right > room) HideTab(item);
  }
  View()->UpdatePositions();
}

void TSkinTabToolbar::ScrollLeft() {
  if (Items()->Count() < 2 || tabAutofit_) return;
  int first = FirstVisibleIndex();
  for (int i = first - 1; i >= 0; --i) {
    TBarCustomItem* item = Items()->Items(i);
    if (!IsHidden(item)) continue;
    int last = LastVisibleIndex();
    if (last > first) HideTab(Items()->Items(last));
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
    int first = FirstVisibleIndex();
    if (first >= 0 && first < last) HideTab(Items()->Items(first));
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
    if (auto* tab = dynamic_cast<TSkinTabItem*>(item); tab && tab->Visible()) tab->SetCustomWidth(width);
    if (auto* spacer = dynamic_cast<TSkinRightAlignSpacerItem*>(item); spacer && spacer->Visible())
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
  TSkinToolbar::WndProc(Message);
}

void TSkinTabToolbar::DoItemNotification(TBarCustomItem* Ancestor, bool Relayed, TBarItemChangedAction Action,
                                         int Index, TBarCustomItem* Item) {
  TSkinToolbar::DoItemNotification(Ancestor, Relayed, Action, Index, Item);
  if (Action == tbicInvalidateAndResize && !rearranging_ && !IsCustomizing()) Repaint();
}

void TSkinTabToolbar::DoDrawBackground(TCanvas* ACanvas, const TRect& ARect, TSkinPaintStage PaintStage,
                                       bool& PaintDefault) {
  TSkinToolbar::DoDrawBackground(ACanvas, ARect, PaintStage, PaintDefault);
  if (PaintStage != pstPrePaint || !PaintDefault) return;
  PaintDefault = false;
  TSkinTabThemeType style = GetTabThemeTypeInUse(themeType_);
  TColor behind = tabSet_ ? GetParentBackgroundColor(tabSet_) : clBtnFace;
  if (behind == clNone) behind = clBtnFace;
  ACanvas->Brush()->SetColor(behind);
  ACanvas->FillRect(ARect);
  // The pane's edge runs along the tabs' foot; the active tab covers it.
  TRect pane = tabPosition_ == ttpTop ? TRect(ARect.Left, ARect.Bottom - 2, ARect.Right, ARect.Bottom + 8)
                                      : TRect(ARect.Left, ARect.Top - 8, ARect.Right, ARect.Top + 2);
  DrawTabToolbarBackground(ACanvas, pane, tabColor_, style, tabPosition_);
  DrawActiveTab(ACanvas);
}

void TSkinTabToolbar::DrawActiveTab(TCanvas* ACanvas) {
  TSkinTabItem* tab = ActiveTab();
  TBarItemViewer* v = tab && View() ? View()->Find(tab) : nullptr;
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
  bool hasNext = index + 1 < Items()->Count() && Items()->Items(index + 1)->Visible() &&
                 dynamic_cast<TSkinTabItem*>(Items()->Items(index + 1));
  if (style == tttWindows) {
    r.Left -= 2;
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

// ---- tab set ----

TSkinCustomTabSet::TSkinCustomTabSet(TComponent* AOwner) : TSkinCompoundItemsControl(AOwner) {
  SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls, csOpaque});
  MakeParts();
  SetWidth(289);
  SetHeight(Dock()->Height() + 2);
  SetParentColor(false);
  SetColor(sheetColorFor(GetTabThemeTypeInUse(tttWindows)));
  Items()->RegisterNotification(TBarItemChangeHandler(this, &TSkinCustomTabSet::ItemsChanged));
}

TSkinCustomTabSet::~TSkinCustomTabSet() {
  if (Items()) Items()->UnregisterNotification(TBarItemChangeHandler(this, &TSkinCustomTabSet::ItemsChanged));
}

TSkinToolbar* TSkinCustomTabSet::CreateToolbar() { return new TSkinTabToolbar(this); }

TSkinTabToolbar* TSkinCustomTabSet::TabToolbar() const {
  return static_cast<TSkinTabToolbar*>(const_cast<TSkinCustomTabSet*>(this)->Toolbar());
}

int TSkinCustomTabSet::ActiveTabIndex() const { return TabToolbar() ? TabToolbar()->ActiveTabIndex() : -1; }

void TSkinCustomTabSet::SetActiveTabIndex(int Value) {
  if (IsLoading()) {
    loadedActiveIndex_ = Value;
    return;
  }
  if (TabToolbar()) TabToolbar()->SetActiveTabIndex(Value);
}

void TSkinCustomTabSet::SetTabVisible(bool Value) {
  if (Value == tabVisible_) return;
  tabVisible_ = Value;
  Dock()->SetVisible(Value);
}

TSkinTabThemeType TSkinCustomTabSet::ThemeType() const { return TabToolbar() ? TabToolbar()->ThemeType() : tttNone; }

void TSkinCustomTabSet::SetThemeType(TSkinTabThemeType Value) {
  if (!TabToolbar()) return;
  TabToolbar()->SetThemeType(Value);
  SetColor(sheetColorFor(GetTabThemeTypeInUse(Value)));
  paneCache_.reset();
  Realign();
}

TSkinTabPosition TSkinCustomTabSet::TabPosition() const { return TabToolbar() ? TabToolbar()->TabPosition() : ttpTop; }

void TSkinCustomTabSet::SetTabPosition(TSkinTabPosition Value) {
  if (!TabToolbar() || Value == TabPosition()) return;
  TSkinTabToolbar* t = TabToolbar();
  t->SetVisible(false);
  t->SetParent(nullptr);
  t->SetTabPosition(Value);
  Dock()->SetAlign(Value == ttpTop ? alTop : alBottom);
  Dock()->SetPosition(Value == ttpTop ? dpTop : dpBottom);
  t->SetCurrentDock(Dock());
  t->SetParent(Dock());
  t->SetVisible(true);
  paneCache_.reset();
  Realign();
}

bool TSkinCustomTabSet::TabAutofit() const { return TabToolbar() && TabToolbar()->TabAutofit(); }
void TSkinCustomTabSet::SetTabAutofit(bool Value) {
  if (TabToolbar()) TabToolbar()->SetTabAutofit(Value);
}
int TSkinCustomTabSet::TabAutofitMaxSize() const { return TabToolbar() ? TabToolbar()->TabAutofitMaxSize() : -1; }
void TSkinCustomTabSet::SetTabAutofitMaxSize(int Value) {
  if (TabToolbar()) TabToolbar()->SetTabAutofitMaxSize(Value);
}
bool TSkinCustomTabSet::TabDragReorder() const { return TabToolbar() && TabToolbar()->TabDragReorder(); }
void TSkinCustomTabSet::SetTabDragReorder(bool Value) {
  if (TabToolbar()) TabToolbar()->SetTabDragReorder(Value);
}
TColor TSkinCustomTabSet::TabBackgroundColor() const { return TabToolbar() ? TabToolbar()->Color() : clNone; }
void TSkinCustomTabSet::SetTabBackgroundColor(TColor Value) {
  if (TabToolbar()) TabToolbar()->SetColor(Value);
}

void TSkinCustomTabSet::DoDrawBackground(TCanvas* ACanvas, const TRect& ARect, TSkinPaintStage PaintStage,
                                         bool& PaintDefault) {
  if (OnDrawBackground) OnDrawBackground(this, ACanvas, ARect, PaintStage, PaintDefault);
}

bool TSkinCustomTabSet::DoActiveTabChanging(int TabIndex, int NewTabIndex) {
  bool allow = true;
  if (!IsLoading() && OnActiveTabChanging) OnActiveTabChanging(this, TabIndex, NewTabIndex, allow);
  return allow;
}

void TSkinCustomTabSet::DoActiveTabChange(int TabIndex) {
  if (!IsLoading() && OnActiveTabChange) OnActiveTabChange(this, TabIndex);
}

bool TSkinCustomTabSet::DoActiveTabReordering(int TabIndex, int NewTabIndex) {
  bool allow = true;
  if (OnActiveTabReordering) OnActiveTabReordering(this, TabIndex, NewTabIndex, allow);
  return allow;
}

void TSkinCustomTabSet::DoActiveTabReorder(int TabIndex) {
  if (OnActiveTabReorder) OnActiveTabReorder(this, TabIndex);
}

void TSkinCustomTabSet::ItemsChanged(TBarCustomItem* Sender, bool Relayed, TBarItemChangedAction Action, int Index,
                                     TBarCustomItem* Item) {
  ItemNotification(Sender, Relayed, Action, Index, Item);
}

void TSkinCustomTabSet::ItemNotification(TBarCustomItem*, bool Relayed, TBarItemChangedAction Action, int Index,
                                         TBarCustomItem* Item) {
  TSkinTabToolbar* t = TabToolbar();
  if (!t || t->IsCustomizing() || Relayed) return;
  auto* tab = dynamic_cast<TSkinTabItem*>(Item);
  switch (Action) {
    case tbicInserted:
      if (Index <= t->activeTabIndex_ && t->activeTabIndex_ >= 0) {
        updating_ = true;
        ++t->activeTabIndex_;
        updating_ = false;
      }
      if (tab) TabInserted(tab);
      paneCache_.reset();
      bracket_ = 0;
      break;
    case tbicDeleting: {
      if (IsDestroying()) return;
      bool clicked = false;
      if (Index < t->activeTabIndex_) {
        --t->activeTabIndex_;
      } else if (Index == t->activeTabIndex_) {
        // The tab before takes over; the first one's follower when it was first.
        if (Index > 0) {
          t->activeTabIndex_ = -1;
          t->SetActiveTabIndex(Index - 1);
        } else if (t->Items()->Count() > 1 && dynamic_cast<TSkinTabItem*>(t->Items()->Items(1))) {
          auto* second = static_cast<TSkinTabItem*>(t->Items()->Items(1));
          t->activeTabIndex_ = -1;
          TabClick(second);
          clicked = true;
        } else {
          t->activeTabIndex_ = -1;
          DoActiveTabChange(-1);
        }
      }
      if (tab) {
        if (bracket_ == 1) {
          bracketDeleted_ = tab;
          bracket_ = 2;
        } else {
          TabDeleting(tab, true);
        }
      }
      if (!clicked)
        Realign();
      else if (HandleAllocated())
        PostMessageW(Handle(), UM_TABDELETED, 0, 0);
      break;
    }
    case tbicSubitemsBeginUpdate:
      bracket_ = 1;
      bracketDeleted_ = nullptr;
      break;
    case tbicSubitemsEndUpdate:
      if (bracket_ == 2 && bracketDeleted_) TabDeleting(bracketDeleted_, true);
      bracket_ = 0;
      break;
    case tbicInvalidate:
      if (updating_ || !tab || !tab->Checked() || !tab->Enabled()) return;
      if (int i = t->Items()->IndexOf(tab); i >= 0 && i != t->activeTabIndex_) {
        updating_ = true;
        t->SetActiveTabIndex(i);
        updating_ = false;
      }
      break;
    default: break;
  }
}

void TSkinCustomTabSet::TabInserted(TSkinTabItem* Item) {
  if (!IsLoading() && Items()->Count() == 1) TabClick(Item);
}

void TSkinCustomTabSet::TabDeleting(TSkinTabItem*, bool) {
  if (!IsDestroying() && TabToolbar()) TabToolbar()->ScrollLeft();
}

void TSkinCustomTabSet::Loaded() {
  TSkinCompoundItemsControl::Loaded();
  if (loadedActiveIndex_ >= 0) SetActiveTabIndex(loadedActiveIndex_);
  if (TSkinTabToolbar* t = TabToolbar()) {
    auto& hidden = t->HiddenTabs();
    for (TSkinHiddenTab& h : hidden)
      if (!h.Item && !h.Name.empty() && Owner()) h.Item = dynamic_cast<TBarCustomItem*>(Owner()->FindComponent(h.Name));
    hidden.erase(std::remove_if(hidden.begin(), hidden.end(), [](const TSkinHiddenTab& H) { return H.Name.empty(); }),
                 hidden.end());
    if (t->TabAutofit()) t->Autofit();
  }
}

void TSkinCustomTabSet::DefineProperties(TFiler* Filer) {
  TSkinCompoundItemsControl::DefineProperties(Filer);
  TSkinTabToolbar* t = TabToolbar();
  if (!t) return;
  Filer->DefineProperty(
      "HiddenItems",
      [t](TReader& Reader) {
        auto& hidden = t->HiddenTabs();
        hidden.clear();
        Reader.ReadListBegin();
        while (!Reader.EndOfList()) {
          TSkinHiddenTab h;
          h.Name = Reader.ReadString();
          h.Width = Reader.ReadInteger();
          h.Position = Reader.ReadInteger();
          hidden.push_back(h);
        }
        Reader.ReadListEnd();
      },
      [t](TWriter& Writer) {
        Writer.WriteListBegin();
        for (const TSkinHiddenTab& h : t->HiddenTabs()) {
          Writer.WriteString(h.Item ? AnsiString(h.Item->Name()) : h.Name);
          Writer.WriteInteger(h.Width);
          Writer.WriteInteger(h.Position);
        }
        Writer.WriteListEnd();
      },
      !t->HiddenTabs().empty());
}

void TSkinCustomTabSet::PaintPane(HDC DC, const TRect& ARect) {
  int w = ARect.Width(), h = ARect.Height();
  if (w <= 0 || h <= 0) return;
  bool fresh = !paneCache_ || paneCache_->Width() != w || paneCache_->Height() != h || OnDrawBackground;
  if (fresh) {
    if (!paneCache_) paneCache_ = std::make_unique<TBitmap>();
    paneCache_->SetSize(w, h);
    TCanvas* c = paneCache_->Canvas();
    TRect local(0, 0, w, h);
    c->Brush()->SetColor(clWhite);
    c->FillRect(local);
    bool paintDefault = true;
    DoDrawBackground(c, local, pstPrePaint, paintDefault);
    if (paintDefault) {
      TColor color = Color() == clNone ? clBtnFace : Color();
      DrawTabToolbarBackground(c, local, color, GetTabThemeTypeInUse(ThemeType()), TabPosition());
    }
    paintDefault = true;
    DoDrawBackground(c, local, pstPostPaint, paintDefault);
  }
  BitBlt(DC, ARect.Left, ARect.Top, w, h, paneCache_->Canvas()->Handle(), 0, 0, SRCCOPY);
}

void TSkinCustomTabSet::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_ERASEBKGND:
      if (CanPaintBackground()) {
        TRect r = ClientRect();
        int strip = tabVisible_ ? Dock()->Height() - 2 : 0;
        if (TabPosition() == ttpTop)
          r.Top += strip;
        else
          r.Bottom -= strip;
        PaintPane(reinterpret_cast<HDC>(Message.WParam), r);
        Message.Result = 1;
        return;
      }
      break;
    case UM_TABDELETED: {
      TSkinTabToolbar* t = TabToolbar();
      if (!t) break;
      TSkinTabItem* active = nullptr;
      for (int i = 0; i < t->Items()->Count() && !active; ++i)
        if (auto* tab = dynamic_cast<TSkinTabItem*>(t->Items()->Items(i)); tab && tab->Checked()) active = tab;
      int index = active ? t->Items()->IndexOf(active) : -1;
      t->activeTabIndex_ = -1;
      SetActiveTabIndex(index);
      if (HandleAllocated()) RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      return;
    }
    case CM_COLORCHANGED:
      if (TabToolbar() && Color() != clNone) TabToolbar()->SetTabColor(Color());
      paneCache_.reset();
      Realign();
      break;
    case WM_WINDOWPOSCHANGED: paneCache_.reset(); break;
    case UM_GETBACKGROUNDCOLOR:
      if (GetCurrentThemeName() == "OfficeXP") {
        Message.Result = 1;
        Message.LParam = static_cast<LPARAM>(clBtnFace);
        return;
      }
      break;
    default: break;
  }
  TSkinCompoundItemsControl::WndProc(Message);
}

// ---- tab sheet ----

TSkinTabSheet::TSkinTabSheet(TComponent* AOwner) : TCustomControl(AOwner) {
  SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls, csSetCaption, csOpaque});
  SetAlign(alClient);
  SetVisible(false);
  // The tab control may have no colour of its own; what sits on a page takes the face colour.
  SetParentColor(false);
  SetColor(clBtnFace);
}

TSkinTabSheet::~TSkinTabSheet() {
  if (tabControl_) {
    auto& pages = tabControl_->pages_;
    pages.erase(std::remove(pages.begin(), pages.end(), this), pages.end());
  }
  if (item_) {
    item_->RemoveFreeNotification(this);
    if (item_->Control() == this) item_->SetControl(nullptr);
  }
  if (lastFocused_) lastFocused_->RemoveFreeNotification(this);
}

void TSkinTabSheet::Link(TSkinCustomTabControl* AControl, TSkinTabItem* AItem) {
  tabControl_ = AControl;
  if (item_ == AItem) return;
  if (item_) item_->RemoveFreeNotification(this);
  item_ = AItem;
  if (item_) {
    item_->FreeNotification(this);
    item_->SetControl(this);
  }
}

WideString TSkinTabSheet::Caption() const { return item_ ? item_->Caption() : WideString(); }
void TSkinTabSheet::SetCaption(const WideString& Value) {
  if (item_) item_->SetCaption(Value);
}
int TSkinTabSheet::ImageIndex() const { return item_ ? item_->ImageIndex() : -1; }
void TSkinTabSheet::SetImageIndex(int Value) {
  if (item_) item_->SetImageIndex(Value);
}
bool TSkinTabSheet::TabVisible() const { return item_ && item_->Visible(); }
void TSkinTabSheet::SetTabVisible(bool Value) {
  if (item_) item_->SetVisible(Value);
}

void TSkinTabSheet::SetParent(TWinControl* AParent) {
  TCustomControl::SetParent(AParent);
  if (auto* control = dynamic_cast<TSkinCustomTabControl*>(AParent); control && !tabControl_) tabControl_ = control;
}

void TSkinTabSheet::AdjustClientRect(TRect& Rect) {
  TCustomControl::AdjustClientRect(Rect);
  bool windows = tabControl_ && GetTabThemeTypeInUse(tabControl_->ThemeType()) == tttWindows;
  bool top = !tabControl_ || tabControl_->TabPosition() == ttpTop;
  int inset = windows ? 4 : 2;
  Rect.Left += 2;
  Rect.Right -= inset;
  if (top)
    Rect.Bottom -= inset;
  else
    Rect.Top += inset;
  if (tabControl_) {
    const TUiControlMargins* m = tabControl_->Margins();
    Rect = TRect(Rect.Left + m->Left(), Rect.Top + m->Top(), Rect.Right - m->Right(), Rect.Bottom - m->Bottom());
  }
}

void TSkinTabSheet::DefineProperties(TFiler* Filer) {
  TCustomControl::DefineProperties(Filer);
  Filer->DefineProperty(
      "TabItem", [this](TReader& Reader) { itemName_ = WideToAnsi(Reader.ReadWideString()); },
      [this](TWriter& Writer) { Writer.WriteWideString(AnsiToWide(item_->Name())); }, item_ != nullptr);
}

void TSkinTabSheet::Loaded() {
  TCustomControl::Loaded();
  auto* control = dynamic_cast<TSkinCustomTabControl*>(Parent());
  if (!control || itemName_.empty() || !Owner()) return;
  if (auto* item = dynamic_cast<TSkinTabItem*>(Owner()->FindComponent(itemName_))) {
    Link(control, item);
    if (std::find(control->pages_.begin(), control->pages_.end(), this) == control->pages_.end())
      control->pages_.push_back(this);
  }
}

void TSkinTabSheet::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == item_) item_ = nullptr;
  if (AComponent == lastFocused_) lastFocused_ = nullptr;
}

void TSkinTabSheet::WMEraseBkgnd(TMessage& Message) {
  if (!tabControl_) {
    TCustomControl::WMEraseBkgnd(Message);
    return;
  }
  TRect r = ClientRect();
  // The pane reaches under the tabs, where the tab toolbar covers it.
  if (tabControl_->TabPosition() == ttpTop)
    r.Top -= 4;
  else
    r.Bottom += 4;
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  TBitmap bitmap;
  bitmap.SetSize(r.Width(), r.Height());
  TCanvas* c = bitmap.Canvas();
  TColor color = tabControl_->Color() == clNone ? clBtnFace : tabControl_->Color();
  DrawTabToolbarBackground(c, TRect(0, 0, r.Width(), r.Height()), color, GetTabThemeTypeInUse(tabControl_->ThemeType()),
                           tabControl_->TabPosition());
  BitBlt(dc, r.Left, r.Top, r.Width(), r.Height(), c->Handle(), 0, 0, SRCCOPY);
  Message.Result = 1;
}

void TSkinTabSheet::WndProc(TMessage& Message) {
  if (Message.Msg == CM_VISIBLECHANGED && !IsDestroying()) {
    TWinControl* focused = Screen ? Screen->ActiveControl() : nullptr;
    if (!Message.WParam && focused && ContainsControl(focused)) {
      if (lastFocused_) lastFocused_->RemoveFreeNotification(this);
      lastFocused_ = focused;
      lastFocused_->FreeNotification(this);
    } else if (Message.WParam && lastFocused_ && lastFocused_->CanFocus()) {
      lastFocused_->SetFocus();
    }
  }
  TCustomControl::WndProc(Message);
}

// ---- tab control ----

TSkinCustomTabControl::TSkinCustomTabControl(TComponent* AOwner)
    : TSkinCustomTabSet(AOwner), margins_(std::make_unique<TUiControlMargins>()) {
  margins_->OnChange = TNotifyEvent(this, &TSkinCustomTabControl::MarginsChanged);
  SetControlStyle(ControlStyle() - TControlStyle{csAcceptsControls});
  emptySheet_ = new TSkinTabSheet(this);
  emptySheet_->SetParent(this);
  emptySheet_->tabControl_ = this;
  emptySheet_->SetControlStyle(emptySheet_->ControlStyle() - TControlStyle{csAcceptsControls});
  emptySheet_->SetVisible(true);
  emptySheet_->BringToFront();
  SetWidth(289);
  SetHeight(193);
}

TSkinCustomTabControl::~TSkinCustomTabControl() {
  for (TSkinTabSheet* s : pages_) s->tabControl_ = nullptr;
  pages_.clear();
}

void TSkinCustomTabControl::MarginsChanged(TObject*) {
  for (TSkinTabSheet* s : pages_) s->Realign();
}

TSkinTabSheet* TSkinCustomTabControl::AddTab(const WideString& Caption) {
  auto* tab = new TSkinTabItem(Owner() ? Owner() : this);
  tab->SetCaption(Caption);
  Items()->Add(tab);
  return dynamic_cast<TSkinTabSheet*>(tab->Control());
}

bool TSkinCustomTabControl::CanPaintBackground() {
  TSkinTabItem* active = TabToolbar() ? TabToolbar()->ActiveTab() : nullptr;
  return !(active && active->Checked());
}

void TSkinCustomTabControl::DoActiveTabChange(int TabIndex) {
  if (TabIndex == -1) {
    emptySheet_->SetVisible(true);
    emptySheet_->BringToFront();
  } else {
    emptySheet_->SetVisible(false);
  }
  TSkinCustomTabSet::DoActiveTabChange(TabIndex);
}

void TSkinCustomTabControl::TabInserted(TSkinTabItem* Item) {
  for (TSkinTabSheet* s : pages_)
    if (s->Item() == Item) return;
  TComponent* owner = Owner() ? Owner() : this;
  auto* sheet = new TSkinTabSheet(owner);
  AnsiString name;
  for (int n = 1;; ++n) {
    name = "SkinTabSheet" + IntToStr(n);
    if (!owner->FindComponent(name)) break;
  }
  sheet->SetName(name);
  sheet->SetParent(this);
  sheet->Link(this, Item);
  sheet->SendToBack();
  pages_.push_back(sheet);
  if (pages_.size() == 1) TabClick(Item);
}

void TSkinCustomTabControl::TabDeleting(TSkinTabItem* Item, bool FreeSheet) {
  TSkinCustomTabSet::TabDeleting(Item, FreeSheet);
  auto it = std::find_if(pages_.begin(), pages_.end(), [&](TSkinTabSheet* S) { return S->Item() == Item; });
  if (it == pages_.end()) return;
  TSkinTabSheet* sheet = *it;
  pages_.erase(it);
  sheet->tabControl_ = nullptr;
  if (FreeSheet) {
    sheet->item_ = nullptr;
    Item->RemoveFreeNotification(sheet);
    Item->SetControl(nullptr);
    Free(sheet);
  } else {
    sheet->Link(nullptr, nullptr);
    Free(Item);
  }
}

void TSkinCustomTabControl::WndProc(TMessage& Message) {
  if (Message.Msg == UM_THEMECHANGE && Message.WParam == 3)
    for (TSkinTabSheet* s : pages_) s->Realign();
  TSkinCustomTabSet::WndProc(Message);
}

namespace {
const bool registered = [] {
  RegisterClasses(
      {&TSkinTabControl::StaticClassInfo(), &TSkinTabItem::StaticClassInfo(), &TSkinTabSheet::StaticClassInfo()});
  return true;
}();
}  // namespace
