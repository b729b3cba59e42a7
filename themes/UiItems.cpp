// Themed items and their viewers: font settings, measuring and painting through the theme.
#include "themes/UiItems.h"

#include <algorithm>

#include "framework/Application.h"
#include "framework/GdiHandles.h"
#include "toolbars/BarCommon.h"

HV_PUBLISH(TFontSettings) {
  p.Prop("Bold", &T::Bold, &T::SetBold).Default(tsDefault);
  p.Prop("Italic", &T::Italic, &T::SetItalic).Default(tsDefault);
  p.Prop("Underline", &T::Underline, &T::SetUnderline).Default(tsDefault);
  p.Prop("StrikeOut", &T::StrikeOut, &T::SetStrikeOut).Default(tsDefault);
  p.Prop("Size", &T::Size, &T::SetSize).Default(100);
  p.Prop("Color", &T::Color, &T::SetColor).Default(clNone);
  p.Prop("Name", &T::Name, &T::SetName);
}

// The themed item publishes nothing itself: each item class of its family publishes what its
// form files hold (a recent-files placeholder its list, a label no action).
HV_PUBLISH(TUiCustomItem) {}

HV_PUBLISH(TUiItemViewer) {}
HV_PUBLISH(TUiSeparatorItem) {
  p.Prop("Size", &T::Size, &T::SetSize).Default(-1);
  p.Prop("MaskOptions", &T::MaskOptions, &T::SetMaskOptions);
  p.Prop("Options", &T::Options, &T::SetOptions);
}
HV_PUBLISH(TUiSeparatorItemViewer) {}
HV_PUBLISH(TUiChevronItem) {}
HV_PUBLISH(TUiChevronItemViewer) {}
HV_PUBLISH(TUiRootItem) {}

// ---- font settings ----

void TFontSettings::Changed() {
  if (OnChange) OnChange(this);
}

bool TFontSettings::operator==(const TFontSettings& Other) const {
  return bold_ == Other.bold_ && italic_ == Other.italic_ && underline_ == Other.underline_ &&
         strikeOut_ == Other.strikeOut_ && size_ == Other.size_ && color_ == Other.color_ && name_ == Other.name_;
}

void TFontSettings::Assign(TPersistent* Source) {
  auto* other = dynamic_cast<TFontSettings*>(Source);
  if (!other) {
    TPersistent::Assign(Source);
    return;
  }
  if (*this == *other) return;
  bold_ = other->bold_;
  italic_ = other->italic_;
  underline_ = other->underline_;
  strikeOut_ = other->strikeOut_;
  size_ = other->size_;
  color_ = other->color_;
  name_ = other->name_;
  Changed();
}

void TFontSettings::Apply(TFont* Font) const {
  if (!Font) return;
  if (size_ != 100) Font->SetSize((Font->Size() * size_ + 50) / 100);
  if (color_ != clNone) Font->SetColor(color_);
  if (!name_.empty()) Font->SetName(name_);
  TFontStyles style = Font->Style();
  auto apply = [&](TTriState State, TFontStyle S) {
    if (State == tsTrue) style.Include(S);
    if (State == tsFalse) style.Exclude(S);
  };
  apply(bold_, fsBold);
  apply(italic_, fsItalic);
  apply(underline_, fsUnderline);
  apply(strikeOut_, fsStrikeOut);
  Font->SetStyle(style);
}

// ---- the item ----

TUiCustomItem::TUiCustomItem(TComponent* AOwner)
    : TBarCustomItem(AOwner), fontSettings_(std::make_unique<TFontSettings>()) {
  fontSettings_->OnChange = TNotifyEvent(this, &TUiCustomItem::FontSettingsChanged);
  SetItemStyle(ItemStyle() | tbisFillRow);
}

TUiCustomItem::~TUiCustomItem() = default;

void TUiCustomItem::FontSettingsChanged(TObject*) { Changed(true); }

void TUiCustomItem::SetStretch(bool Value) {
  if (Stretch() == Value) return;
  SetItemStyle(Value ? ItemStyle() | tbisFillRow : ItemStyle() & ~tbisFillRow);
  Changed(true);
}

TBarPopupWindow* TUiCustomItem::CreatePopup(TBarView* ParentView, TBarItemViewer* ParentViewer, bool PositionAsSubmenu,
                                            bool SelectFirstItem, bool Customizing, TPoint PopupPoint, int Alignment) {
  return TBarCustomItem::CreatePopup(ParentView, ParentViewer, PositionAsSubmenu, SelectFirstItem || alwaysSelectFirst_,
                                     Customizing, PopupPoint, Alignment);
}

void UiGetPopupPosition(TBarCustomItem* Item, TBarView* ParentView, TBarPopupWindow* PopupWindow,
                        TBarPopupPositionRec& Rec) {
  if (!CurrentTheme || !ParentView || !CurrentTheme->GetBooleanMetrics(1)) {
    Item->TBarCustomItem::GetPopupPosition(ParentView, PopupWindow, Rec);
    return;
  }
  TPoint border = CurrentTheme->GetViewBorder(GetViewType(ParentView));
  TRect& r = Rec.ParentItemRect;
  r = {r.Left - border.X, r.Top - border.Y, r.Right + border.X, r.Bottom + border.Y};
  Item->TBarCustomItem::GetPopupPosition(ParentView, PopupWindow, Rec);
  r = {r.Left + border.X, r.Top + border.Y, r.Right - border.X, r.Bottom - border.Y};
}

void TUiCustomItem::GetPopupPosition(TBarView* ParentView, TBarPopupWindow* PopupWindow, TBarPopupPositionRec& Rec) {
  UiGetPopupPosition(this, ParentView, PopupWindow, Rec);
}

TBarPopupWindowClass TUiCustomItem::PopupWindowClass() { return &MakeBarPopupWindow<TUiPopupWindow>; }

TBarItemViewerClass TUiCustomItem::ViewerClass(TBarView*) { return &MakeBarItemViewer<TUiItemViewer>; }

void TUiRootItem::GetPopupPosition(TBarView* ParentView, TBarPopupWindow* PopupWindow, TBarPopupPositionRec& Rec) {
  if (!ParentView && !PopupRect.IsEmpty()) Rec.ParentItemRect = PopupRect;
  UiGetPopupPosition(this, ParentView, PopupWindow, Rec);
}

TBarPopupWindowClass TUiRootItem::PopupWindowClass() { return &MakeBarPopupWindow<TUiPopupWindow>; }

// ---- the viewer ----

namespace {
bool hasSubmenu(TBarCustomItem* Item) {
  return (Item->ItemStyle() & tbisHasSubmenu) || Item->LinkSubitems() || Item->Count() > 0;
}

bool isVerticalView(TBarView* View) { return View && View->Orientation() == orVertical; }

int metric(int Index) { return CurrentTheme ? CurrentTheme->GetIntegerMetrics(Index) : 0; }

TUiMargins margins(int Id) { return CurrentTheme ? CurrentTheme->GetMargins(Id) : TUiMargins{}; }

TPoint fontLineHeight(TCanvas* Canvas) {
  TEXTMETRICW tm{};
  GetTextMetricsW(Canvas->Handle(), &tm);
  return {tm.tmHeight, tm.tmExternalLeading};
}
}  // namespace

int ViewerViewType(TBarItemViewer* Viewer) { return Viewer ? GetViewType(Viewer->View()) : 0; }

TUiItemViewer::TUiItemViewer(TBarView* AView, TBarCustomItem* AItem, int AGroupLevel)
    : TBarItemViewer(AView, AItem, AGroupLevel) {}

TUiCustomItem* TUiItemViewer::UiItem() const { return dynamic_cast<TUiCustomItem*>(Item()); }

void TUiItemViewer::PaintHook(TCanvas*, const TRect&, const TUiItemInfo&, int) {}

int TUiItemViewer::GetStyleKind() { return IsToolbarStyle() ? 1 : 2; }

bool TUiItemViewer::IsToolbarSize() {
  return TBarItemViewer::IsToolbarSize() || (ViewerViewType(this) & VT_TOOLBOXPOPUP) == VT_TOOLBOXPOPUP;
}

bool TUiItemViewer::IsToolbarStyle() {
  return TBarItemViewer::IsToolbarStyle() || (ViewerViewType(this) & VT_TOOLBOXPOPUP) == VT_TOOLBOXPOPUP;
}

bool TUiItemViewer::IsSplit() {
  return hasSubmenu(Item()) &&
         (Item()->ItemStyle() & (tbisSplitButton | tbisHasSubmenu)) == (tbisSplitButton | tbisHasSubmenu);
}

bool TUiItemViewer::HasDropDownArrow() {
  return hasSubmenu(Item()) && (IsSplit() || Item()->EffectiveOptions().Contains(tboDropdownArrow));
}

bool TUiItemViewer::InButtonPart(int X, int) {
  if (IsSplit()) {
    int arrow = IsToolbarStyle() ? metric(10) : GetSystemMetrics(SM_CXMENUCHECK);
    return X < BoundsRect().Width() - arrow;
  }
  return !hasSubmenu(Item());
}

int TUiItemViewer::GetAccRole() {
  TUiCustomItem* item = UiItem();
  if (item && item->ToolBoxPopup() && hasSubmenu(item)) return 58;
  return TBarItemViewer::GetAccRole();
}

bool TUiItemViewer::GetImageShown() {
  if (Item()->ImageIndex() < 0) return false;
  switch (Item()->DisplayMode()) {
    case nbdmDefault:
    case nbdmImageAndText: return true;
    case nbdmTextOnlyInMenus: return IsToolbarStyle();
    default: return false;
  }
}

TPoint TUiItemViewer::GetImageSize() {
  TCustomImageList* images = GetImageList();
  return images ? TPoint{images->Width(), images->Height()} : TPoint{0, 0};
}

TPoint TUiItemViewer::GetTextSize(TCanvas* Canvas, const WideString& Text, UINT Format) {
  TFont* font = Canvas->Font();
  TTextSizeCache& c = textSize_;
  if (!c.Valid || c.Text != Text || c.Format != Format || c.Face != font->Name() || c.Height != font->Height() ||
      c.Style != font->Style()) {
    RECT r{0, 0, 1, 1};
    WideString s = Text.empty() ? WideString(L" ") : Text;
    DrawTextW(Canvas->Handle(), s.c_str(), static_cast<int>(s.size()), &r,
              (Format & ~static_cast<UINT>(DT_WORDBREAK)) | DT_CALCRECT | DT_SINGLELINE);
    c = {Text, font->Name(), font->Height(), font->Style(), Format, {}, true};
    c.Size = {Text.empty() ? 0 : static_cast<int>(r.right - r.left), static_cast<int>(r.bottom - r.top)};
  }
  return CaptionRotated() ? TPoint{c.Size.Y, c.Size.X} : c.Size;
}

bool UiViewerHint(TBarView* View, THintInfo* Info) {
  auto* v = dynamic_cast<TUiItemViewer*>(View ? View->Selected() : nullptr);
  if (!Info || !v) return false;
  const TRect& b = v->BoundsRect();
  WideString hint;
  TRect r;
  if (!v->GetHintInfo({Info->CursorPos.X - b.Left, Info->CursorPos.Y - b.Top}, hint, r)) return false;
  Info->HintStr = hint;
  Info->CursorRect = {r.Left + b.Left, r.Top + b.Top, r.Right + b.Left, r.Bottom + b.Top};
  return true;
}

void TUiItemViewer::DoAdjustFont(TFont* Font, int StateFlags) {
  if (Item()->EffectiveOptions().Contains(tboDefault)) Font->SetStyle(Font->Style() + fsBold);
  if (TUiCustomItem* item = UiItem()) {
    item->FontSettings()->Apply(Font);
    if (item->OnAdjustFont) item->OnAdjustFont(item, this, Font, StateFlags);
  }
}

void TUiItemViewer::DrawItemImage(TCanvas* Canvas, const TRect& ARect, const TUiItemInfo& ItemInfo) {
  // The theme moves a pushed image by its one pixel itself; shifting the rectangle here as
  // well would move it twice.
  if (CurrentTheme) CurrentTheme->PaintImage(Canvas, ARect, ItemInfo, GetImageList(), Item()->ImageIndex());
}

bool TUiItemViewer::DoPaintCaption(TCanvas* Canvas, TRect& ARect, const TUiItemInfo& ItemInfo, WideString& Caption,
                                   UINT& Format) {
  CurrentTheme->PaintCaption(Canvas, ARect, ItemInfo, Caption, Format, IsToolbarStyle() && CaptionRotated());
  return true;
}

bool TUiItemViewer::CaptionRotated() {
  // Measured and painted alike: only an item that leaves its layout to the view turns its
  // caption in a vertical toolbar.
  TUiCustomItem* item = UiItem();
  return (!item || item->Layout() == uilAuto) && IsRotated();
}

TUiItemLayout TUiItemViewer::EffectiveLayout() {
  TUiCustomItem* item = UiItem();
  TUiItemLayout layout = item ? item->Layout() : uilAuto;
  if (layout != uilAuto) return layout;
  if (isVerticalView(View()) || Item()->EffectiveOptions().Contains(tboImageAboveCaption)) return uilGlyphTop;
  return uilGlyphLeft;
}

bool TUiItemViewer::GetHintInfo(const TPoint&, WideString&, TRect&) { return false; }

int TUiItemViewer::GetPopupMargin(TCanvas* Canvas) { return PopupMarginFor(Canvas, GetImageSize()); }

int TUiItemViewer::MenuPopupMargin(TCanvas* Canvas, TBarView* View) {
  TCustomImageList* images = View->ParentItem() ? View->ParentItem()->SubMenuImages() : nullptr;
  return PopupMarginFor(Canvas, images ? TPoint{images->Width(), images->Height()} : TPoint{16, 16});
}

int TUiItemViewer::PopupMarginFor(TCanvas* Canvas, TPoint image) {
  if (image.X <= 0 || image.Y <= 0) image = {16, 16};
  TUiMargins m2 = margins(2);
  int m = m2.Top + m2.Bottom;
  TPoint line = fontLineHeight(Canvas);
  int column = std::max(line.X + line.Y + m, image.Y + m);
  int divisor = image.Y + m;
  return divisor > 0 ? (image.X + m) * column / divisor : image.X;
}

WideString TUiItemViewer::ShortCutText() {
  const WideString& caption = Item()->Caption();
  size_t tab = caption.find(L'\t');
  if (tab != WideString::npos) return caption.substr(tab + 1);
  return Item()->GetShortCutText();
}

TUiItemInfo TUiItemViewer::MakeItemInfo(bool IsSelected, bool IsPushed) {
  TUiItemInfo info;
  info.ViewType = ViewerViewType(this);
  bool toolbar = IsToolbarStyle();
  if (toolbar) info.ItemOptions |= IO_TOOLBARSTYLE;
  bool split = IsSplit();
  if (hasSubmenu(Item())) info.ItemOptions |= IO_SUBMENU;
  if (split) info.ItemOptions |= IO_COMBO;
  if (Item()->ComponentState().Contains(csDesigning)) info.ItemOptions |= IO_DESIGNING;
  if (!Application || Application->Active()) info.ItemOptions |= IO_APPACTIVE;
  info.Enabled = Item()->Enabled() || View()->Customizing();
  info.Pushed = IsPushed;
  if (IsSelected) info.HoverKind = info.Enabled ? 2 : (View()->MouseOverSelected() ? 0 : 1);
  info.Selected = Item()->Checked();
  if (GetImageShown()) {
    TPoint s = GetImageSize();
    if (s.X >= 1 && s.Y >= 1) {
      info.ImageShown = 1;
      info.ImageWidth = s.X;
      info.ImageHeight = s.Y;
    }
  }
  info.IsVertical = isVerticalView(View()) && !split;
  if (toolbar) {
    info.IsPopupParent = split ? 2 : HasDropDownArrow() ? 1 : 0;
    // A split item's drop-down is down only while its arrow part holds the open sub-menu.
    if (hasSubmenu(Item())) info.DropDownPushed = IsPushed && (!split || View()->OpenViewer() == this);
  }
  return info;
}

void TUiItemViewer::CalcSize(TCanvas* Canvas, int& AWidth, int& AHeight) {
  if (!CurrentTheme) {
    TBarItemViewer::CalcSize(Canvas, AWidth, AHeight);
    return;
  }
  TFont saved;
  saved.Assign(Canvas->Font());
  DoAdjustFont(Canvas->Font(), 0);
  bool toolbar = IsToolbarStyle();
  TPoint image = GetImageShown() ? GetImageSize() : TPoint{0, 0};
  bool hasImage = image.X >= 1 && image.Y >= 1;
  WideString caption = CaptionBeforeTab();
  int w = 0, h = 0;
  if (toolbar) {
    w = h = 6;
    TUiItemLayout layout = EffectiveLayout();
    if (IsCaptionShown()) {
      // Measured as drawn: a turned caption's size is turned already.
      TPoint ts = GetTextSize(Canvas, caption, DT_SINGLELINE);
      w += ts.X;
      h += ts.Y;
      (CaptionRotated() ? h : w) += 4;
    }
    if (hasImage) {
      if (layout == uilGlyphTop) {
        h += image.Y;
        w = std::max(w, image.X + 7);
      } else {
        w += image.X + (ImageGapFlag ? 1 : 0);
        h = std::max(h, image.Y + 6);
      }
    }
    if (IsSplit()) w += metric(10);
    if (hasSubmenu(Item()) && Item()->EffectiveOptions().Contains(tboDropdownArrow)) {
      int arrow = metric(20);
      if (layout == uilGlyphTop && !isVerticalView(View()))
        h = std::max(h - 7, arrow + image.Y + 2) + 7;
      else
        w += arrow;
    }
  } else {
    TPoint line = fontLineHeight(Canvas);
    h = std::max({line.X + line.Y, image.Y, 16});
    w = MenuCaptionWidth(Canvas, caption);
    TUiMargins m = margins(2);
    w += m.Left + m.Right;
    h += m.Top + m.Bottom;
    w += metric(32) + GetPopupMargin(Canvas) + metric(33) + metric(34);
    WideString shortcut = ShortCutText();
    if (!shortcut.empty()) w += GetTextSize(Canvas, shortcut, DT_SINGLELINE).X + h - 6;
    w += h;
  }
  if (TUiCustomItem* item = UiItem()) {
    w = std::max(w, item->MinWidth());
    h = std::max(h, item->MinHeight());
  }
  Canvas->Font()->Assign(&saved);
  AWidth = w;
  AHeight = h;
}

int TUiItemViewer::MenuCaptionWidth(TCanvas* Canvas, const WideString& Caption) {
  int widest = GetTextSize(Canvas, Caption, DT_SINGLELINE).X;
  TBarView* view = View();
  if (!view) return widest;
  // A menu measures its items together: every caption is given the column of the widest one,
  // each sibling measured in its own font.
  TFont saved;
  saved.Assign(Canvas->Font());
  for (int i = 0; i < view->ViewerCount(); ++i) {
    auto* sibling = dynamic_cast<TUiItemViewer*>(view->Viewers(i));
    if (!sibling || sibling == this) continue;
    TBarCustomItem* item = sibling->Item();
    bool shown =
        item->Visible() && !item->IsDestroying() && (!(item->ItemStyle() & tbisInlineGroup) || view->Customizing());
    if (!shown || sibling->IsToolbarStyle()) continue;
    Canvas->Font()->Assign(view->ViewFont());
    sibling->DoAdjustFont(Canvas->Font(), 0);
    widest = std::max(widest, sibling->GetTextSize(Canvas, sibling->CaptionBeforeTab(), DT_SINGLELINE).X);
  }
  Canvas->Font()->Assign(&saved);
  return widest;
}

void TUiItemViewer::Paint(TCanvas* Canvas, const TRect& ClientAreaRect, bool IsSelected, bool IsPushed,
                          bool UseDisabledShadow) {
  if (!CurrentTheme) {
    TBarItemViewer::Paint(Canvas, ClientAreaRect, IsSelected, IsPushed, UseDisabledShadow);
    return;
  }
  TUiTheme* theme = CurrentTheme;
  // 1. the state
  TUiItemInfo info = MakeItemInfo(IsSelected, IsPushed);
  bool toolbar = IsToolbarStyle();
  if (!toolbar) info.PopupMargin = GetPopupMargin(Canvas);
  bool vertical = isVerticalView(View());
  TUiItemLayout layout = EffectiveLayout();
  bool arrow = HasDropDownArrow();
  // 2. the font and the caption
  DoAdjustFont(Canvas->Font(), GetStateFlags(info));
  Canvas->Font()->SetColor(theme->GetItemTextColor(info));
  WideString caption = IsCaptionShown() || !toolbar ? CaptionBeforeTab() : WideString();
  UINT format = DT_SINGLELINE;
  if (!View()->ShowingAccelerators()) format |= DT_HIDEPREFIX;
  // 3. the face
  TRect r = ClientAreaRect;
  if (!toolbar) {
    TUiMargins m = theme->GetMargins(2);
    theme->PaintMenuItem(Canvas, r, info);
    r = {r.Left + m.Left, r.Top + m.Top, r.Right - m.Right, r.Bottom - m.Bottom};
  } else {
    // Asked as every themed button asks it; the face itself fills the whole rectangle.
    theme->GetMargins(1);
    if (IsSplit()) {
      int arrowWidth = theme->GetIntegerMetrics(10);
      TRect button = {r.Left, r.Top, r.Right - arrowWidth, r.Bottom};
      TRect arrowPart = {button.Right, r.Top, r.Right, r.Bottom};
      theme->PaintButton(Canvas, button, info);
      TUiItemInfo part = info;
      part.IsPopupParent = 3;
      // The arrow part is pushed while its sub-menu is open.
      part.Pushed = View()->OpenViewer() == this;
      part.Selected = 0;
      theme->PaintButton(Canvas, arrowPart, part);
      theme->PaintDropDownArrow(Canvas, arrowPart, part);
      r = button;
    } else {
      theme->PaintButton(Canvas, r, info);
      if (arrow) {
        int size = theme->GetIntegerMetrics(20);
        TRect arrowRect = vertical ? TRect{r.Left, r.Bottom - size, r.Right, r.Bottom}
                                   : TRect{r.Right - size, r.Top, r.Right, r.Bottom};
        theme->PaintDropDownArrow(Canvas, arrowRect, info);
        if (vertical)
          r.Bottom -= size;
        else
          r.Right -= size;
      }
    }
    r = {r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2};
  }
  PaintHook(Canvas, r, info, 0);
  // 4. the caption
  int popupMargin = toolbar ? 0 : GetPopupMargin(Canvas);
  int column = toolbar ? 0 : theme->GetIntegerMetrics(32) + popupMargin + theme->GetIntegerMetrics(33);
  bool image = info.ImageShown != 0;
  if (!caption.empty()) {
    TRect cr = r;
    UINT f = format;
    if (!toolbar) {
      cr.Left = ClientAreaRect.Left + column;
      f |= DT_VCENTER;
    } else {
      f |= DT_CENTER | DT_VCENTER;
      if (image && layout == uilGlyphLeft) {
        cr.Left += info.ImageWidth + 3;
        f &= ~static_cast<UINT>(DT_CENTER);
      } else if (image && layout == uilGlyphTop) {
        cr.Top += info.ImageHeight + 1 + (arrow && vertical ? 3 : 0);
        f &= ~static_cast<UINT>(DT_VCENTER);
      }
    }
    DoPaintCaption(Canvas, cr, info, caption, f);
  }
  // 5. the shortcut
  if (!toolbar) {
    WideString shortcut = ShortCutText();
    if (!shortcut.empty()) {
      TRect sr = {r.Left, r.Top, ClientAreaRect.Right - ClientAreaRect.Height(), r.Bottom};
      theme->PaintCaption(Canvas, sr, info, shortcut, format | DT_RIGHT | DT_VCENTER, false);
    }
  }
  // 6. the image or the check mark
  if (image) {
    TRect ir;
    if (!toolbar) {
      int left = ClientAreaRect.Left + theme->GetIntegerMetrics(32);
      ir.Left = left + (popupMargin - info.ImageWidth) / 2;
      ir.Top = ClientAreaRect.Top + (ClientAreaRect.Height() - info.ImageHeight) / 2;
    } else if (layout == uilGlyphTop) {
      ir.Left = r.Left + (r.Width() - info.ImageWidth) / 2;
      ir.Top = caption.empty() ? r.Top + (r.Height() - info.ImageHeight) / 2 : r.Top;
    } else {
      ir.Left = caption.empty() ? r.Left + (r.Width() - info.ImageWidth) / 2 : r.Left;
      ir.Top = r.Top + (r.Height() - info.ImageHeight) / 2;
    }
    ir.Right = ir.Left + info.ImageWidth;
    ir.Bottom = ir.Top + info.ImageHeight;
    DrawItemImage(Canvas, ir, info);
  } else if (!toolbar && Item()->Checked()) {
    TUiItemInfo check = info;
    if (Item()->RadioItem()) check.ItemOptions |= 0x40;
    int left = ClientAreaRect.Left + theme->GetIntegerMetrics(32);
    theme->PaintCheckMark(Canvas, {left, ClientAreaRect.Top, left + popupMargin, ClientAreaRect.Bottom}, check);
  }
  PaintHook(Canvas, r, info, 1);
}

// ---- separators ----

void TUiSeparatorItem::SetSize(int Value) {
  Value = std::max(Value, -1);
  if (size_ == Value) return;
  size_ = Value;
  Changed(true);
}

TBarItemViewerClass TUiSeparatorItem::ViewerClass(TBarView*) { return &MakeBarItemViewer<TUiSeparatorItemViewer>; }

void TUiSeparatorItemViewer::CalcSize(TCanvas* Canvas, int& AWidth, int& AHeight) {
  TBarSeparatorItemViewer::CalcSize(Canvas, AWidth, AHeight);
  auto* item = dynamic_cast<TUiSeparatorItem*>(Item());
  int size = item ? item->Size() : -1;
  bool toolbar = IsToolbarStyle();
  if (size < 0) {
    if (!CurrentTheme) return;
    size = CurrentTheme->GetIntegerMetrics(toolbar ? 50 : 35);
    if (size < 0) return;
    if (toolbar) {
      AWidth = AHeight = size;
    } else {
      AHeight = size;
    }
    return;
  }
  if (toolbar) {
    AWidth = AHeight = size;
  } else {
    AWidth = 0;
    AHeight = size;
  }
}

void TUiSeparatorItemViewer::Paint(TCanvas* Canvas, const TRect& ClientAreaRect, bool, bool, bool) {
  if (!CurrentTheme) return;
  auto* item = dynamic_cast<TBarSeparatorItem*>(Item());
  TUiItemInfo info;
  info.ViewType = ViewerViewType(this);
  if (IsToolbarStyle()) info.ItemOptions |= IO_TOOLBARSTYLE;
  if (Item()->ComponentState().Contains(csDesigning)) info.ItemOptions |= IO_DESIGNING;
  info.Enabled = !(item && item->Blank());
  bool vertical = View()->Orientation() == orVertical;
  info.IsVertical = vertical;
  bool menu = View()->IsPopup() && !View()->IsToolbar();
  if (menu) {
    info.PopupMargin = TUiItemViewer::MenuPopupMargin(Canvas, View());
  }
  // A separator is a line across the row: horizontal in menus and in vertical toolbars, unless
  // the separator spans wrapped rows (drawn the other way).
  bool lineAcrossRows = (DrawFlags() & 2) != 0;
  bool horizontal = menu || (vertical != lineAcrossRows);
  bool chevronPopup = (info.ViewType & VT_CHEVRONPOPUP) == VT_CHEVRONPOPUP;
  CurrentTheme->PaintSeparator(Canvas, ClientAreaRect, info, horizontal, chevronPopup);
}

// ---- the chevron ----

TBarItemViewerClass TUiChevronItem::ViewerClass(TBarView*) { return &MakeBarItemViewer<TUiChevronItemViewer>; }

TBarPopupWindowClass TUiChevronItem::PopupWindowClass() { return &MakeBarPopupWindow<TUiChevronPopupWindow>; }

void TUiChevronItemViewer::Paint(TCanvas* Canvas, const TRect& ClientAreaRect, bool IsSelected, bool IsPushed,
                                 bool UseDisabledShadow) {
  if (!CurrentTheme) {
    TBarChevronItemViewer::Paint(Canvas, ClientAreaRect, IsSelected, IsPushed, UseDisabledShadow);
    return;
  }
  TUiItemInfo info;
  info.ViewType = ViewerViewType(this);
  info.ItemOptions = IO_TOOLBARSTYLE;
  info.Enabled = Item()->Enabled() || View()->Customizing();
  info.Pushed = IsPushed;
  info.DropDownPushed = IsPushed;
  if (IsSelected) info.HoverKind = info.Enabled ? 2 : (View()->MouseOverSelected() ? 0 : 1);
  info.IsVertical = View()->Orientation() == orVertical;
  CurrentTheme->PaintChevron(Canvas, ClientAreaRect, info);
}
