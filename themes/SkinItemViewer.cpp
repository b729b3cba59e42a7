// The viewer of the skinned items: its size, its item record, its paint through the current
// theme with the item's draw events around every stage, and its hint.
#include "controls/UcForms.h"
#include "framework/Application.h"
#include "framework/Bitmap.h"
#include "framework/Screen.h"
#include "themes/SkinItem.h"
#include "themes/SkinToolbar.h"

namespace {

TRect Moved(const TRect& R, int DX, int DY) { return {R.Left + DX, R.Top + DY, R.Right + DX, R.Bottom + DY}; }

Cardinal WrappingFormat(TTextWrapping Wrapping) {
  switch (Wrapping) {
    case twEndEllipsis: return DT_END_ELLIPSIS | DT_SINGLELINE;
    case twPathEllipsis: return DT_PATH_ELLIPSIS | DT_SINGLELINE;
    case twWrap: return DT_WORDBREAK;
    default: return 0;
  }
}

int TextWidthOf(TCanvas* Canvas, const WideString& Text) {
  TSize s;
  GetWideTextSize(Canvas->Handle(), Text, true, s);
  return s.cx;
}

}  // namespace

TSkinItemViewer::TSkinItemViewer(TBarView* AView, TBarCustomItem* AItem, int AGroupLevel)
    : TUiItemViewer(AView, AItem, AGroupLevel) {}

TSkinCustomItem* TSkinItemViewer::SkinItem() const { return static_cast<TSkinCustomItem*>(Item()); }

WideString TSkinItemViewer::GetWideCaptionText() { return TextBeforeTab(SkinItem()->Caption()); }

WideString TSkinItemViewer::GetShortCutText() {
  const WideString& caption = SkinItem()->Caption();
  size_t tab = caption.find(L'\t');
  if (tab != WideString::npos && tab + 1 < caption.size()) return caption.substr(tab + 1);
  if (Item()->ShortCut() != 0) return ShortCutToText(Item()->ShortCut());
  return {};
}

bool TSkinItemViewer::CaptionDrawnRotated() {
  return View()->Orientation() == orVertical && IsToolbarStyle() && SkinItem()->Layout() == uilAuto &&
         !Item()->EffectiveOptions().Contains(tboImageAboveCaption);
}

void TSkinItemViewer::CalcSize(TCanvas* Canvas, int& AWidth, int& AHeight) {
  TUiItemViewer::CalcSize(Canvas, AWidth, AHeight);
  TSkinCustomItem* item = SkinItem();
  bool toolbarStyle = IsToolbarStyle();
  if (!toolbarStyle) {
    WideString shortcut = GetShortCutText();
    if (!shortcut.empty()) {
      // The themed size made room for the shortcut text measured as it stands; this one is
      // measured without its accelerator marks.
      WideString plain = ShortCutText();
      if (!plain.empty()) AWidth -= GetTextSize(Canvas, plain, DT_SINGLELINE).X + (AHeight - 6);
      AWidth += TextWidthOf(Canvas, shortcut) + (AHeight - 6);
    }
  }
  bool rotated = IsRotated();
  int along = rotated ? AHeight : AWidth + item->Margins();
  int across = rotated ? AWidth + item->Margins() : AHeight;
  if (item->CustomWidth() > -1) along = item->CustomWidth();
  if (item->CustomHeight() > -1) across = item->CustomHeight();
  if (toolbarStyle && item->Anchored()) along += AnchorDelta;
  along = std::max(along, item->MinWidth());
  across = std::max(across, item->MinHeight());
  if (auto* view = dynamic_cast<TSkinToolbarView*>(View()))
    if (view->MaxItemSize() >= 0 && view->MaxItemSize() < across) across = view->MaxItemSize();
  AWidth = rotated ? across : along;
  AHeight = rotated ? along : across;
}

bool TSkinItemViewer::IsCaptionShown() {
  if (auto* toolbar = dynamic_cast<TSkinToolbar*>(View()->Window())) {
    if (toolbar->DisplayMode() == tbdmTextOnly) return true;
    if (toolbar->DisplayMode() == tbdmImageOnly && GetImageShown()) return false;
  }
  return CaptionShown();
}

bool TSkinItemViewer::GetImageShown() {
  if (auto* toolbar = dynamic_cast<TSkinToolbar*>(View()->Window()))
    if (toolbar->DisplayMode() == tbdmTextOnly) return false;
  return TUiItemViewer::GetImageShown();
}

TPoint TSkinItemViewer::GetTextSize(TCanvas* Canvas, const WideString& Text, UINT Format) {
  TFont saved;
  saved.Assign(Canvas->Font());
  Canvas->Font()->Assign(View()->ViewFont());
  DoAdjustFont(Canvas->Font(), 0);
  // The natural size: no wrapping, no ellipsis.
  TRect r{0, 0, 1, 1};
  // Measured as it is drawn: a caption drawn flat is measured flat.
  int orientation = CaptionDrawnRotated() ? SkinTextRotated270 : SkinTextHorizontal;
  DrawWideText(Canvas, Text, r, orientation, clNone, gldNone, (Format & ~0xC030u) | DT_CALCRECT);
  Canvas->Font()->Assign(&saved);
  return {r.Width(), r.Height()};
}

void TSkinItemViewer::DoAdjustFont(TFont* AFont, int StateFlags) {
  SkinItem()->DoDrawAdjustFont(AFont, StateFlags);
  TUiItemViewer::DoAdjustFont(AFont, StateFlags);
}

void TSkinItemViewer::Entering() {
  TUiItemViewer::Entering();
  if (!View()->IsToolbar() && UcApplication()) UcApplication()->SetHint(SkinItem()->Hint());
}

void TSkinItemViewer::FillItemInfo(TCanvas* Canvas, TUiItemInfo& ItemInfo) {
  ItemInfo = {};
  TBarView* view = View();
  TBarCustomItem* item = Item();
  ItemInfo.ViewType = GetViewType(view);
  bool toolbarStyle = IsToolbarStyle();
  bool split = item->ItemStyle() & tbisSplitButton;
  bool submenu = item->ItemStyle() & tbisHasSubmenu;
  if (toolbarStyle) ItemInfo.ItemOptions |= IO_TOOLBARSTYLE;
  if (split) ItemInfo.ItemOptions |= IO_COMBO;
  if (submenu) ItemInfo.ItemOptions |= IO_SUBMENU;
  if (item->ComponentState().Contains(csDesigning)) ItemInfo.ItemOptions |= IO_DESIGNING;
  if (Application && Application->Active()) ItemInfo.ItemOptions |= IO_APPACTIVE;

  bool selected = view->Selected() == this;
  bool pushed = selected && (view->OpenViewer() == this || (view->MouseOverSelected() && view->MouseTracking()));
  bool arrowPushed = false;
  if (split && pushed && !view->MouseTracking()) {
    pushed = false;  // the open sub-menu belongs to the arrow part
    arrowPushed = true;
  }
  bool enabled = item->Enabled() || view->Customizing();
  ItemInfo.Enabled = enabled;
  ItemInfo.Pushed = pushed;
  ItemInfo.HoverKind = !selected ? 0 : enabled ? 2 : !view->MouseOverSelected() ? 1 : 0;
  ItemInfo.Selected = item->Checked();
  if (GetImageShown()) {
    TPoint size = GetImageSize();
    if (size.X >= 1 && size.Y >= 1) {
      ItemInfo.ImageShown = 1;
      ItemInfo.ImageWidth = size.X;
      ItemInfo.ImageHeight = size.Y;
    }
  }
  if (toolbarStyle) {
    bool open = submenu || view->OpenViewer() == this;
    ItemInfo.DropDownPushed = open && ((split && arrowPushed) || (!split && pushed));
    if (submenu && (split || item->EffectiveOptions().Contains(tboDropdownArrow))) ItemInfo.IsPopupParent = 1;
    if (split) ItemInfo.IsPopupParent = 2;
  }
  ItemInfo.IsVertical = view->Orientation() == orVertical && !split;
  ItemInfo.PopupMargin = GetPopupMargin(Canvas);
}

void TSkinItemViewer::DoDrawItem(TCanvas* ACanvas, const TRect& ARect, const TUiItemInfo& ItemInfo,
                                 TSkinPaintStage PaintStage, bool& PaintDefault) {
  SkinItem()->DoDrawItem(ACanvas, ARect, ItemInfo, PaintStage, PaintDefault);
}

void TSkinItemViewer::DoDrawCaption(TCanvas* ACanvas, const TRect& ClientAreaRect, WideString& ACaption,
                                    TRect& CaptionRect, Cardinal& CaptionFormat, bool IsTextRotated,
                                    TSkinPaintStage PaintStage, bool& PaintDefault) {
  TSkinCustomItem* item = SkinItem();
  item->DoDrawCaption(ACanvas, ClientAreaRect, ACaption, CaptionRect, CaptionFormat, IsTextRotated, PaintStage,
                      PaintDefault);
  if (PaintStage == pstPrePaint && PaintDefault) {
    PaintDefault = false;
    DrawWideText(ACanvas, ACaption, CaptionRect, IsTextRotated ? SkinTextRotated270 : SkinTextHorizontal,
                 item->CaptionGlowColor(), item->CaptionGlow(), CaptionFormat);
  }
}

void TSkinItemViewer::DoDrawImage(TCanvas* ACanvas, const TUiItemInfo& ItemInfo, TSkinPaintStage PaintStage,
                                  TCustomImageList*& AImageList, int& AImageIndex, TRect& ARect, bool& PaintDefault) {
  SkinItem()->DoDrawImage(ACanvas, ItemInfo, PaintStage, AImageList, AImageIndex, ARect, PaintDefault);
}

void TSkinItemViewer::DrawItemImage(TCanvas* Canvas, const TRect& ARect, const TUiItemInfo& ItemInfo) {
  TCustomImageList* list = GetImageList();
  int index = Item()->ImageIndex();
  TRect r = ARect;
  bool paintDefault = true;
  DoDrawImage(Canvas, ItemInfo, pstPrePaint, list, index, r, paintDefault);
  if (paintDefault && list && index >= 0 && index < list->Count() && CurrentTheme)
    CurrentTheme->PaintImage(Canvas, r, ItemInfo, list, index);
  paintDefault = true;
  DoDrawImage(Canvas, ItemInfo, pstPostPaint, list, index, r, paintDefault);
}

void TSkinItemViewer::Paint(TCanvas* Canvas, const TRect& ClientAreaRect, bool, bool IsPushed, bool) {
  TUiTheme* theme = CurrentTheme;
  if (!theme) return;
  TSkinCustomItem* item = SkinItem();
  TBarView* view = View();
  const TRect r0 = ClientAreaRect;

  // 1. The record; a split item whose menu is open shows its arrow part pushed.
  TUiItemInfo info;
  FillItemInfo(Canvas, info);
  bool toolbarStyle = IsToolbarStyle();
  bool split = item->ItemStyle() & tbisSplitButton;
  bool arrowPushed = false;
  if (split && IsPushed && !view->MouseTracking()) {
    arrowPushed = true;
    IsPushed = false;
  }
  TBarItemOptions options = item->EffectiveOptions();
  bool vertical = view->Orientation() == orVertical;
  // 2.-5. Layout, arrow, image.
  bool glyphTop = item->Layout() == uilGlyphTop ||
                  (item->Layout() == uilAuto && (options.Contains(tboImageAboveCaption) || vertical));
  bool hasArrow = (item->ItemStyle() & tbisHasSubmenu) && (split || options.Contains(tboDropdownArrow));
  TSize imageSize{0, 0};
  if (GetImageShown()) imageSize = {GetImageSize().X, GetImageSize().Y};
  bool imageOK = imageSize.cx >= 1 && imageSize.cy > 0;
  if (!imageOK) imageSize = {0, 0};
  bool drawImageOrCheck = imageOK || (!toolbarStyle && item->Checked());

  // 6. The font and its colour.
  Canvas->Font()->Assign(view->ViewFont());
  Canvas->Font()->SetColor(theme->GetItemTextColor(info));
  DoAdjustFont(Canvas->Font(), GetStateFlags(info));
  const TColor fontColor = Canvas->Font()->Color();

  // 7.-8. The caption's format, rotation and size.
  Cardinal format =
      (view->ShowingAccelerators() ? 0 : SkinDtHidePrefix) | DT_VCENTER | WrappingFormat(item->Wrapping());
  WideString caption;
  bool rotated = false;
  TSize textSize{0, 0};
  if (IsCaptionShown()) {
    caption = GetWideCaptionText();
    rotated = CaptionDrawnRotated();
    if (rotated || !toolbarStyle) format |= DT_SINGLELINE;
    TPoint size = GetTextSize(Canvas, caption, format);
    textSize = {size.X, size.Y};
  }
  const int orientation = rotated ? SkinTextRotated270 : SkinTextHorizontal;
  // 9.
  bool arrowBelow =
      hasArrow && !split && toolbarStyle &&
      (item->Layout() == uilGlyphTop || (item->Layout() == uilAuto && options.Contains(tboImageAboveCaption))) &&
      imageSize.cx >= 1 && !rotated && !GetWideCaptionText().empty();

  TRect r = r0;
  TUiMargins margins;
  bool paintDefault;
  if (toolbarStyle) {
    // 10. Button face, split arrow, drop-down arrow.
    margins = theme->GetMargins(1);
    TRect arrowRect;
    if (hasArrow) {
      info.IsPopupParent = 1;
      const int a = theme->GetIntegerMetrics(20);
      if (split) {
        info.IsPopupParent = 2;
        arrowRect = r;
        r.Right -= theme->GetIntegerMetrics(10);
        arrowRect.Left = r.Right;
      } else if (arrowBelow) {
        arrowRect.Right = (a + imageSize.cx + 2 + r.Left + r.Right + 2) / 2;
        arrowRect.Left = arrowRect.Right - a;
        arrowRect.Top = (r.Top + r.Bottom - imageSize.cy - 2 - textSize.cy) / 2;
        arrowRect.Bottom = arrowRect.Top + imageSize.cy;
      } else {
        const int d = theme->GetIntegerMetrics(21);
        arrowRect = vertical ? TRect{0, r.Bottom - a - d, r.Right, r.Bottom - d}
                             : TRect{r.Right - a - d, 0, r.Right - d, r.Bottom};
      }
    }
    paintDefault = true;
    DoDrawItem(Canvas, r, info, pstPrePaint, paintDefault);
    if (paintDefault) theme->PaintButton(Canvas, r, info);
    paintDefault = true;
    DoDrawItem(Canvas, r, info, pstPostPaint, paintDefault);
    if (split) {
      TUiItemInfo arrow = info;
      arrow.Pushed = arrowPushed;
      arrow.Selected = 0;
      arrow.IsPopupParent = 3;
      paintDefault = true;
      DoDrawItem(Canvas, arrowRect, arrow, pstPrePaint, paintDefault);
      if (paintDefault) theme->PaintButton(Canvas, arrowRect, arrow);
      paintDefault = true;
      DoDrawItem(Canvas, arrowRect, arrow, pstPostPaint, paintDefault);
      info.IsPopupParent = 2;
    } else if (hasArrow) {
      theme->PaintDropDownArrow(Canvas, arrowRect, info);
      if (!arrowBelow) (vertical ? r.Bottom : r.Right) -= theme->GetIntegerMetrics(20);
    }
    r = {r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2};
  } else {
    // 11. The menu item's background and its sub-menu arrow.
    margins = theme->GetMargins(2);
    paintDefault = true;
    DoDrawItem(Canvas, r, info, pstPrePaint, paintDefault);
    bool submenuArrow = (item->ItemStyle() & tbisHasSubmenu) && !split;
    uint32_t savedOptions = info.ItemOptions;
    if (submenuArrow) info.ItemOptions &= ~IO_SUBMENU;
    if (paintDefault) theme->PaintMenuItem(Canvas, r, info);
    info.ItemOptions = savedOptions;
    paintDefault = true;
    DoDrawItem(Canvas, r, info, pstPostPaint, paintDefault);
    // Centred on the item: its rectangle lies anywhere in the view, not at the top.
    if (paintDefault && submenuArrow)
      DrawArrowTriangle(Canvas->Handle(), r.Right - 10, (r.Top + r.Bottom) / 2, 3, false, fontColor);
    if (!(item->ItemStyle() & tbisIgnoresClicks))
      r = {r.Left + margins.Left, r.Top + margins.Top, r.Right - margins.Right, r.Bottom - margins.Bottom};
  }

  // 12. The caption.
  TRect imageRect;
  TEXTMETRICW tm{};
  GetTextMetricsW(Canvas->Handle(), &tm);
  auto adjustToMargins = [&](TRect& Rect) {
    if (Rect.Height() - (tm.tmHeight + tm.tmExternalLeading) == margins.Bottom) --Rect.Bottom;
    Rect.Top += tm.tmExternalLeading;
  };
  if (IsCaptionShown()) {
    caption = GetWideCaptionText();
    TRect captionRect;
    if (toolbarStyle) {
      format &= ~static_cast<Cardinal>(DT_VCENTER);
      if (item->Alignment() == taRightJustify) format |= DT_RIGHT;
      if (item->Alignment() == taCenter && glyphTop) format |= DT_CENTER;
      CalcCaptionLayout(Canvas, r, caption, orientation, imageRect, captionRect, false, glyphTop, imageSize.cy,
                        imageSize.cx, format, item->Alignment());
      int vt = info.ViewType;
      bool menuBar = (vt & VT_TOOLBAR) && (vt & 0x0002);
      if (!menuBar && IsPushed && GetCurrentThemeName() == "Default") captionRect = Moved(captionRect, 1, 1);
    } else if (item->ItemStyle() & tbisIgnoresClicks) {
      format = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
      captionRect = r;
    } else {
      // The rectangle is as wide as the text measures, but a font may draw the last glyph a
      // pixel or two further (dots of "Sort..." under some renderers): nothing is cut there.
      format |= DT_VCENTER | DT_NOCLIP;
      captionRect = r;
      captionRect.Left += theme->GetIntegerMetrics(32) + info.PopupMargin + theme->GetIntegerMetrics(33);
      adjustToMargins(captionRect);
      captionRect.Right = captionRect.Left + textSize.cx;
    }
    Canvas->Font()->SetColor(fontColor);
    paintDefault = true;
    DoDrawCaption(Canvas, r0, caption, captionRect, format, rotated, pstPrePaint, paintDefault);
    if (paintDefault) theme->PaintCaption(Canvas, captionRect, info, caption, format, rotated);
    paintDefault = true;
    DoDrawCaption(Canvas, r0, caption, captionRect, format, rotated, pstPostPaint, paintDefault);
  }

  // 13. The shortcut of a menu item.
  if (!toolbarStyle) {
    WideString shortcut = GetShortCutText();
    if (!shortcut.empty()) {
      TRect rect = r;
      rect.Left = rect.Right - rect.Height() - TextWidthOf(Canvas, shortcut);
      adjustToMargins(rect);
      Cardinal scFormat = format;
      Canvas->Font()->SetColor(fontColor);
      paintDefault = true;
      SkinItem()->DoDrawCaption(Canvas, r0, shortcut, rect, scFormat, false, pstPrePaint, paintDefault);
      if (paintDefault) DrawWideText(Canvas, shortcut, rect, SkinTextHorizontal, clNone, gldNone, scFormat);
      paintDefault = true;
      SkinItem()->DoDrawCaption(Canvas, r0, shortcut, rect, scFormat, false, pstPostPaint, paintDefault);
    }
  }

  // 14. The image, or a menu item's check mark.
  if (drawImageOrCheck) {
    if (toolbarStyle) {
      if (imageRect.IsEmpty()) imageRect = r;
      if (arrowBelow) imageRect = Moved(imageRect, -(theme->GetIntegerMetrics(20) - 1) / 2, 0);
    } else {
      imageRect = r;
      imageRect.Right = imageRect.Left + info.PopupMargin;
    }
    if (imageOK) {
      TRect centred = Bounds(imageRect.Left + (imageRect.Width() - imageSize.cx) / 2,
                             imageRect.Top + (imageRect.Height() - imageSize.cy) / 2, imageSize.cx, imageSize.cy);
      DrawItemImage(Canvas, centred, info);
    } else if (!toolbarStyle && item->Checked()) {
      if (item->RadioItem()) info.ItemOptions |= 0x40 /* radio item */;
      theme->PaintCheckMark(Canvas, imageRect, info);
    }
  }
}

void TSkinItemViewer::HintShow(THintInfo& HintInfo) {
  TSkinCustomItem* item = SkinItem();
  bool splitOrNoCaption =
      (item->ItemStyle() & tbisSplitButton) || !(item->ItemStyle() & tbisHasSubmenu) || !IsCaptionShown();
  bool autoHint = !item->EffectiveOptions().Contains(tboNoAutoHint) && splitOrNoCaption;
  WideString shortcut;
  if (Application && Application->HintShortCuts() && item->ShortCut() != 0) shortcut = ShortCutToText(item->ShortCut());
  WideString text = SkinItemHintText(item->Hint(), GetWideCaptionText(), autoHint, shortcut);
  HintInfo.HintStr = text;
  HintInfo.CursorRect = BoundsRect();
  HintInfo.HintWindowClass = &TBitmapHint::StaticClassInfo();
  HintInfo.HideTimeout = 60000;
  TBitmap* bitmap = SkinHintBitmap();
  HintInfo.HintData = bitmap;
  TCanvas* canvas = bitmap->Canvas();
  NONCLIENTMETRICSW ncm{};
  ncm.cbSize = 340;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, ncm.cbSize, &ncm, 0)) canvas->Font()->SetLogFont(ncm.lfStatusFont);
  canvas->Font()->SetColor(clInfoText);
  canvas->Pen()->SetColor(clBlack);
  canvas->Brush()->SetColor(clInfoBk);
  TRect size{0, 0, 1, 1};
  DrawWideText(canvas, text, size, SkinTextHorizontal, clNone, gldNone, DT_CALCRECT | DT_NOPREFIX);
  bitmap->SetSize(size.Width() + 8, size.Height() + 4);
  bool paintDefault = true;
  item->DoDrawHint(bitmap, text, paintDefault);
  if (paintDefault) {
    canvas->Brush()->SetColor(clInfoBk);
    canvas->FillRect({0, 0, bitmap->Width(), bitmap->Height()});
    TRect r = Bounds((bitmap->Width() - size.Width()) / 2 - 2, (bitmap->Height() - size.Height()) / 2, size.Width(),
                     size.Height());
    DrawWideText(canvas, text, r, SkinTextHorizontal, clNone, gldNone, DT_NOPREFIX);
  }
}

void TSkinLabelItemViewer::CalcSize(TCanvas* Canvas, int& AWidth, int& AHeight) {
  TSkinItemViewer::CalcSize(Canvas, AWidth, AHeight);
  if (!IsToolbarStyle() && !SkinItem()->Caption().empty() && SkinItem()->CustomHeight() < 0) {
    TEXTMETRICW tm{};
    GetTextMetricsW(Canvas->Handle(), &tm);
    AHeight = tm.tmHeight;
  }
}
