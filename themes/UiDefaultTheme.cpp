// The built-in theme: metrics, colours and every painting operation, each in a visual-styled and
// a classic form.
#include "themes/UiDefaultTheme.h"

#include <algorithm>
#include <memory>

#include "framework/Bitmap.h"
#include "framework/Exceptions.h"
#include "framework/Graphics.h"
#include "framework/ImageList.h"
#include "toolbars/BarCommon.h"
#include "themes/UiUtils.h"

HV_PUBLISH(TUiDefaultTheme) {}

namespace {

bool IsToolbarView(int vt) { return (vt & VT_TOOLBAR) != 0; }
bool IsMenuBarView(int vt) { return (vt & VT_MENUBAR) == VT_MENUBAR; }
bool IsPopupView(int vt) { return (vt & VT_POPUP) != 0 && !IsToolbarView(vt); }
bool IsMenuPopup(int vt) { return IsPopupView(vt) && (vt & VT_POPUPMENU) == VT_POPUPMENU; }
bool IsListPopup(int vt) { return IsPopupView(vt) && (vt & VT_LISTPOPUP) == VT_LISTPOPUP; }
bool IsToolBoxPopup(int vt) { return IsPopupView(vt) && (vt & VT_TOOLBOXPOPUP) == VT_TOOLBOXPOPUP; }
bool IsChevronPopup(int vt) { return IsPopupView(vt) && (vt & VT_CHEVRONPOPUP) == VT_CHEVRONPOPUP; }
bool IsDockPanelView(int vt) { return (vt & VT_DOCKPANEL) != 0; }

bool IsHot(const TUiItemInfo& I) { return (GetStateFlags(I) & ISF_HOT) != 0; }
bool IsToolbarStyle(const TUiItemInfo& I) { return (I.ItemOptions & IO_TOOLBARSTYLE) != 0; }
bool AppActive(const TUiItemInfo& I) { return (I.ItemOptions & IO_APPACTIVE) != 0; }
bool StyledVista() { return ThemesUsable && UiIsVistaOrLater(); }

TRect Inflated(const TRect& R, int dx, int dy) { return {R.Left - dx, R.Top - dy, R.Right + dx, R.Bottom + dy}; }

// Draws a visual-style part; false when the style or the class is not there.
bool DrawStyled(HTHEME Theme, HDC DC, int Part, int State, const TRect& R) {
  if (!ThemesUsable || !Theme || !UxTheme().DrawThemeBackground) return false;
  RECT rc = ToRECT(R);
  return SUCCEEDED(UxTheme().DrawThemeBackground(Theme, DC, Part, State, &rc, nullptr));
}
bool DrawStyled(TUiThemeClassId Id, HDC DC, int Part, int State, const TRect& R) {
  return DrawStyled(UiThemeHandle(Id), DC, Part, State, R);
}

void Edge(HDC DC, const TRect& R, UINT EdgeKind, UINT Flags) {
  RECT rc = ToRECT(R);
  DrawEdge(DC, &rc, EdgeKind, Flags);
}

// A triangle of Size rows pointing in Direction (0 left, 1 right, 2 up, 3 down) centred in R.
void Triangle(HDC DC, const TRect& R, int Size, int Direction, TColor Color) {
  if (Size < 1) return;
  int cx = (R.Left + R.Right) / 2;
  int cy = (R.Top + R.Bottom) / 2;
  for (int i = 0; i < Size; ++i) {
    int len = Size - 1 - i;  // half the row's length
    switch (Direction) {
      case 3: DrawLineEx(DC, cx - len, cy - Size / 2 + i, cx + len + 1, cy - Size / 2 + i, Color); break;
      case 2: DrawLineEx(DC, cx - len, cy + Size / 2 - i, cx + len + 1, cy + Size / 2 - i, Color); break;
      case 1: DrawLineEx(DC, cx - Size / 2 + i, cy - len, cx - Size / 2 + i, cy + len + 1, Color); break;
      default: DrawLineEx(DC, cx + Size / 2 - i, cy - len, cx + Size / 2 - i, cy + len + 1, Color); break;
    }
  }
}

// A 7 x 7 cross with its top-left corner at (X, Y).
void Cross(HDC DC, int X, int Y, TColor Color) {
  for (int i = 0; i < 2; ++i) {
    DrawLineEx(DC, X + i, Y, X + 7, Y + 7 - i, Color);
    DrawLineEx(DC, X, Y + i, X + 7 - i, Y + 7, Color);
    DrawLineEx(DC, X + 6 - i, Y, X - 1, Y + 7 - i, Color);
    DrawLineEx(DC, X + 6, Y + i, X - 1 + i, Y + 7, Color);
  }
}

// A check mark around (cx, cy): a closed seven-point line two pixels thick.
void CheckMark(HDC DC, int cx, int cy, TColor Color) {
  PolyLineEx(DC,
             {{cx - 3, cy - 1},
              {cx - 1, cy + 1},
              {cx + 3, cy - 3},
              {cx + 3, cy - 2},
              {cx - 1, cy + 2},
              {cx - 3, cy},
              {cx - 3, cy - 1}},
             Color);
}

// One line of caption text in the small-caption font, vertically centred, cut with an ellipsis.
void SmallCaptionText(HDC DC, const TRect& R, const WideString& Text, TColor Color) {
  TSelectObject font;
  font.Select(DC, UiDockCaptionFont()->Handle());
  SetBkMode(DC, TRANSPARENT);
  SetTextColor(DC, ColorToRGB(Color));
  RECT rc = ToRECT(R);
  DrawTextW(DC, Text.c_str(), -1, &rc, DT_SINGLELINE | DT_END_ELLIPSIS | DT_VCENTER | DT_NOPREFIX);
}

// Double arrows: right-pointing (5 rows used) and down-pointing (8 rows).
constexpr uint8_t kChevronRight[8] = {0xD8, 0x6C, 0x36, 0x6C, 0xD8, 0, 0, 0};
constexpr uint8_t kChevronDown[8] = {0x88, 0xD8, 0x70, 0x20, 0x88, 0xD8, 0x70, 0x20};

struct TUnitState {
  std::unique_ptr<TImageList> Glyphs;
  std::unique_ptr<TFont> CaptionFont;
  bool Vista = false;
  bool Made = false;
};

TUnitState& Unit() {
  static TUnitState s;
  if (!s.Made) {
    s.Made = true;
    OSVERSIONINFOW v{};
    v.dwOSVersionInfoSize = sizeof(v);
    s.Vista = GetVersionExW(&v) && v.dwMajorVersion >= 6;
    s.CaptionFont = std::make_unique<TFont>();
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = 340;  // the record without the padded width: accepted on every version
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, ncm.cbSize, &ncm, 0))
      s.CaptionFont->SetLogFont(ncm.lfSmCaptionFont);
    s.Glyphs = std::make_unique<TImageList>(nullptr);
    s.Glyphs->SetWidth(16);
    s.Glyphs->SetHeight(16);
    try {
      TBitmap bitmap;
      bitmap.LoadFromResourceName(GetModuleHandleW(nullptr), L"UIGLYPHS");
      s.Glyphs->AddMasked(&bitmap, clWhite);
    } catch (const Exception&) {
      // A program built without the resource paints its MDI buttons without glyphs.
    }
  }
  return s;
}

}  // namespace

TCustomImageList* UiGlyphs() { return Unit().Glyphs.get(); }
TFont* UiDockCaptionFont() { return Unit().CaptionFont.get(); }
bool UiIsVistaOrLater() { return Unit().Vista; }

void RegisterDefaultTheme() {
  if (!IsThemeRegistered("Default")) RegisterTheme("Default", UiThemeClassOf<TUiDefaultTheme>());
}

// ---- life and colours ----

TUiDefaultTheme::TUiDefaultTheme(const AnsiString& AName) : TUiTheme(AName) {
  AddSystemChangeListener(this);
  UpdateColors();
}

TUiDefaultTheme::~TUiDefaultTheme() {
  RemoveSystemChangeListener(this);
  CloseMenuTheme();
}

void TUiDefaultTheme::Dispatch(TMessage& Message) {
  if (Message.Msg == UM_SYSTEMCHANGE && Message.WParam == 2) {
    CloseMenuTheme();
    UpdateColors();
  }
}

HTHEME TUiDefaultTheme::MenuThemeHandle() {
  if (!ThemesUsable) return nullptr;
  if (!menuThemeOpened_ && UxTheme().OpenThemeData) {
    menuThemeOpened_ = true;
    menuTheme_ = UxTheme().OpenThemeData(UiThemeManager()->Handle(), L"MENU");
  }
  return menuTheme_;
}

void TUiDefaultTheme::CloseMenuTheme() {
  if (menuTheme_ && UxTheme().CloseThemeData) UxTheme().CloseThemeData(menuTheme_);
  menuTheme_ = nullptr;
  menuThemeOpened_ = false;
}

void TUiDefaultTheme::UpdateColors() {
  ToolbarColor = clBtnFace;
  HighlightColor = clBtnHighlight;
  ShadowColor = clBtnShadow;
  HTHEME rebar = ThemesUsable ? UiThemeHandle(ucRebar) : nullptr;
  if (rebar && UxTheme().DrawThemeBackground) {
    // The style's rebar face, sampled and darkened, gives the lines drawn on it.
    TCreatedDC dc(CreateCompatibleDC(nullptr));
    TBitmapHandle bitmap(CreateBitmap(32, 32, 1, 32, nullptr));
    TSelectObject select;
    select.Select(dc.Get(), bitmap.Get());
    FillRectEx(dc.Get(), Rect(0, 0, 32, 32), clBtnFace);
    DrawStyled(rebar, dc.Get(), 0, 0, Rect(0, 0, 32, 32));
    ShadowColor = ShiftColorChannels(TColor(GetPixel(dc.Get(), 25, 25)), -30);
    if (UiIsVistaOrLater()) HighlightColor = ShiftColorChannels(ShadowColor, 40);
  }
  ToolbarTextColor = clBtnText;
  StatusBarColor = clBtnFace;
  if (ThemesUsable && UxTheme().GetThemeColor) {
    COLORREF c = 0;
    if (HTHEME h = UiThemeHandle(ucToolbar)) {
      if (SUCCEEDED(UxTheme().GetThemeColor(h, 0, 0, 3802, &c))) ToolbarColor = TColor(c);
      if (SUCCEEDED(UxTheme().GetThemeColor(h, 0, 0, 3803, &c))) ToolbarTextColor = TColor(c);
    }
    if (HTHEME h = UiThemeHandle(ucStatus))
      if (SUCCEEDED(UxTheme().GetThemeColor(h, 0, 0, 3802, &c))) StatusBarColor = TColor(c);
  }
  DockPanelColor = MixColorsNearest(ToolbarColor, clWindow, 64);
}

// ---- metrics ----

int TUiDefaultTheme::GetIntegerMetrics(int Index) {
  switch (Index) {
    case 10: return ThemesUsable ? 16 : 14;
    case 20: return 8;
    case 21: return 3;
    case 32:
    case 62: return 1;
    case 33: return StyledVista() ? 7 : 2;
    case 34:
    case 36:
    case 60:
    case 61: return 2;
    case 37: return 4;
    case 50: return 6;
    case 65: return 13;
    case 66: return 0;
    default: return -1;  // 35 included
  }
}

bool TUiDefaultTheme::GetBooleanMetrics(int Index) { return Index == 5 && ThemesUsable; }

TPoint TUiDefaultTheme::GetImageOffset(TCanvas*, const TUiItemInfo& ItemInfo, TCustomImageList*) {
  return (ItemInfo.Pushed || ItemInfo.Selected) ? TPoint{1, 1} : TPoint{0, 0};
}

TColor TUiDefaultTheme::GetViewColor(int ViewType) {
  if (IsToolbarView(ViewType)) return ToolbarColor;
  if (ViewType & VT_POPUP) {
    if (IsMenuPopup(ViewType) || IsChevronPopup(ViewType)) return MenuColor;
    if (IsListPopup(ViewType)) return clWindow;
    return ToolbarColor;
  }
  if (IsDockPanelView(ViewType)) return DockPanelColor;
  if (ViewType & VT_STATUSBAR) return StatusBarColor;
  return clBtnFace;
}

TColor TUiDefaultTheme::GetItemColor(const TUiItemInfo& ItemInfo) {
  if (!ThemesUsable && IsHot(ItemInfo) && IsMenuPopup(ItemInfo.ViewType) && !IsToolbarStyle(ItemInfo))
    return clHighlight;
  return GetViewColor(ItemInfo.ViewType);
}

TColor TUiDefaultTheme::GetItemTextColor(const TUiItemInfo& ItemInfo) {
  if (!ItemInfo.Enabled) return clGrayText;
  int vt = ItemInfo.ViewType;
  bool menuBar = IsMenuBarView(vt);
  if (IsToolbarStyle(ItemInfo) && IsToolbarView(vt) && !menuBar) return clBtnText;
  if (IsToolbarStyle(ItemInfo) && menuBar && !FlatMenuStyle) return AppActive(ItemInfo) ? clBtnText : clGrayText;
  if (IsHot(ItemInfo)) return StyledVista() ? MenuTextColor : clHighlightText;
  if (menuBar && !AppActive(ItemInfo)) return clGrayText;
  return MenuTextColor;
}

TColor TUiDefaultTheme::GetItemImageBackground(const TUiItemInfo& ItemInfo) {
  if (FlatMenuStyle) {
    int vt = ItemInfo.ViewType;
    if (IsMenuBarView(vt) && IsHot(ItemInfo)) return clHighlight;
    if (IsChevronPopup(vt)) return ToolbarColor;
    if (IsMenuPopup(vt) && IsHot(ItemInfo) && !IsToolbarStyle(ItemInfo)) return ToolbarColor;
  }
  return GetViewColor(ItemInfo.ViewType);
}

TUiMargins TUiDefaultTheme::GetMargins(int MarginID) {
  switch (MarginID) {
    case 1: {
      HTHEME h = ThemesUsable ? UiThemeHandle(ucToolbar) : nullptr;
      MARGINS m{};
      // The content margins of a hot toolbar button.
      if (h && UxTheme().GetThemeMargins &&
          SUCCEEDED(UxTheme().GetThemeMargins(h, nullptr, 1, 2, 3602 /* content margins */, nullptr, &m)))
        return {m.cxLeftWidth, m.cxRightWidth, m.cyTopHeight, m.cyBottomHeight};
      return {2, 2, 2, 2};
    }
    case 2: return StyledVista() ? TUiMargins{0, 0, 3, 3} : TUiMargins{0, 0, 2, 2};
    case 3: {
      HTHEME h = ThemesUsable ? UiThemeHandle(ucStatus) : nullptr;
      if (h && UxTheme().GetThemeBackgroundContentRect) {
        RECT probe{0, 0, 100, 100};
        RECT content{};
        TWindowDC screen;
        if (SUCCEEDED(UxTheme().GetThemeBackgroundContentRect(h, screen.Get(), 1, 0, &probe, &content)))
          return {content.left, 100 - content.right, content.top, 100 - content.bottom};
      }
      return {1, 3, 1, 1};
    }
    default: return {};
  }
}

TPoint TUiDefaultTheme::GetViewBorder(int ViewType) {
  if (ViewType & (VT_TOOLBAR | VT_DOCKPANEL)) {
    if (ViewType & VT_FLOATING) {
      if (ViewType & VT_RESIZABLE) return {GetSystemMetrics(SM_CXFRAME), GetSystemMetrics(SM_CYFRAME)};
      return {GetSystemMetrics(SM_CXDLGFRAME), GetSystemMetrics(SM_CYDLGFRAME)};
    }
    return {2, 2};
  }
  if (ViewType & VT_POPUP) return IsListPopup(ViewType) ? TPoint{1, 1} : TPoint{3, 3};
  return {0, 0};
}

TUiMargins TUiDefaultTheme::GetViewMargins(int ViewType) {
  TUiMargins m;
  if ((ViewType & VT_TOOLBAR) && (ViewType & VT_FLOATING)) {
    m.Left = 4;
    m.Top = 4;
    m.Right = 2;
    m.Bottom = 1;
  }
  return m;
}

// ---- painting ----

void TUiDefaultTheme::PaintBackgnd(TCanvas* Canvas, const TRect&, const TRect& PaintRect, const TRect& ClipRect,
                                   TColor Color, bool Transparent, int) {
  HDC dc = Canvas->Handle();
  if (Transparent) return;
  TRect r{std::max(PaintRect.Left, ClipRect.Left), std::max(PaintRect.Top, ClipRect.Top),
          std::min(PaintRect.Right, ClipRect.Right), std::min(PaintRect.Bottom, ClipRect.Bottom)};
  if (!r.IsEmpty()) FillRectEx(dc, r, Color);
}

void TUiDefaultTheme::PaintButton(TCanvas* Canvas, const TRect& ARect, const TUiItemInfo& ItemInfo) {
  HDC dc = Canvas->Handle();
  int flags = GetStateFlags(ItemInfo);
  bool hot = flags & ISF_HOT;
  bool pushed = flags & ISF_PUSHED;
  bool selected = flags & ISF_SELECTED;
  if (IsMenuBarView(ItemInfo.ViewType) && FlatMenuStyle) {
    if (hot || pushed) FillRectEx(dc, ARect, clHighlight);
    return;
  }
  if (ThemesUsable && UiThemeHandle(ucToolbar)) {
    int part = std::clamp<int>(ItemInfo.IsPopupParent, 0, 3) + 1;
    int state;
    if (!ItemInfo.Enabled)
      state = ItemInfo.HoverKind == 1 ? 2 : 4;
    else if (pushed)
      state = 3;
    else if (selected)
      state = hot ? 6 : 5;
    else
      state = hot ? 2 : 1;
    DrawStyled(ucToolbar, dc, part, state, ARect);
    if (part == 4) PaintDropDownArrow(Canvas, ARect, ItemInfo);
    return;
  }
  if (pushed || selected) {
    if (selected && !hot) DitherRect(dc, Inflated(ARect, -1, -1), ToolbarColor, clBtnHighlight);
    Edge(dc, ARect, BDR_SUNKENOUTER, BF_RECT);
  } else if (hot) {
    Edge(dc, ARect, BDR_RAISEDINNER, BF_RECT);
  }
  if (ItemInfo.IsPopupParent == 3) PaintDropDownArrow(Canvas, ARect, ItemInfo);
}

void TUiDefaultTheme::PaintMenuItem(TCanvas* Canvas, const TRect& ARect, const TUiItemInfo& ItemInfo) {
  HDC dc = Canvas->Handle();
  TRect r = ARect;
  int check = GetSystemMetrics(SM_CXMENUCHECK);
  bool hot = IsHot(ItemInfo);
  if (ItemInfo.IsPopupParent == 2) {
    // A split item: the arrow part keeps the menu-check width at the right.
    TRect arrow{r.Right - check, r.Top, r.Right, r.Bottom};
    if (ItemInfo.DropDownPushed)
      Edge(dc, arrow, BDR_SUNKENOUTER, BF_RECT);
    else if (hot)
      Edge(dc, arrow, BDR_RAISEDINNER, BF_RECT);
    r.Right -= check;
  }
  // A selected item is a checked one: a menu item whose image stands in the place of the check
  // mark shows that it is on by its frame.
  if (ItemInfo.Enabled && (hot || ItemInfo.Pushed || ItemInfo.Selected)) {
    PaintMenuItemFrame(Canvas, r, ItemInfo);
  } else if (HTHEME menu = UiIsVistaOrLater() ? MenuThemeHandle() : nullptr; menu && ItemInfo.PopupMargin > 0) {
    // Every row of a styled menu carries the image-column gutter, as separators and the
    // palette rows do; without it the gutter would show only in stripes.
    DrawStyled(menu, dc, 13, 0, Rect(r.Left, r.Top, r.Left + ItemInfo.PopupMargin, r.Bottom));
  }
  if (ItemInfo.ItemOptions & IO_SUBMENU) {
    int x = ARect.Right - check * 2 / 3;
    TRect box{x - 4, ARect.Top, x + 4, ARect.Bottom};
    if (!ItemInfo.Enabled) {
      Triangle(dc, box, 4, 1, clBtnHighlight);  // light, one pixel right of and below the shadow
      Triangle(dc, Rect(box.Left - 1, box.Top - 1, box.Right - 1, box.Bottom - 1), 4, 1, clBtnShadow);
    } else {
      Triangle(dc, box, 4, 1, (hot && !StyledVista()) ? clHighlightText : MenuTextColor);
    }
  }
}

void TUiDefaultTheme::PaintMenuItemFrame(TCanvas* Canvas, const TRect& ARect, const TUiItemInfo& ItemInfo) {
  HDC dc = Canvas->Handle();
  HTHEME menu = UiIsVistaOrLater() ? MenuThemeHandle() : nullptr;
  if (menu) {
    if (ItemInfo.PopupMargin > 0)
      DrawStyled(menu, dc, 13, 0, Rect(ARect.Left, ARect.Top, ARect.Left + ItemInfo.PopupMargin, ARect.Bottom));
    if (!IsHot(ItemInfo) || !DrawStyled(menu, dc, 14, 2, ARect)) {
      if (IsHot(ItemInfo)) FillRectEx(dc, ARect, clHighlight);
    }
  } else if (IsHot(ItemInfo)) {
    FillRectEx(dc, ARect, clHighlight);
  }
  if (!ItemInfo.Selected || ItemInfo.PopupMargin <= 0 || (ItemInfo.ItemOptions & IO_TOOLBARSTYLE)) return;
  // The image column of a checked item: a sunken frame, over the style's check background where
  // there is one (which alone may look like the hot fill or like nothing).
  const int left = ARect.Left + GetIntegerMetrics(32);
  const TRect cell{left, ARect.Top, left + ItemInfo.PopupMargin, ARect.Bottom};
  if (menu) DrawStyled(menu, dc, 12, 2, cell);
  Edge(dc, cell, BDR_SUNKENOUTER, BF_RECT);
}

void TUiDefaultTheme::PaintSeparator(TCanvas* Canvas, const TRect& ARect, const TUiItemInfo& ItemInfo, bool Horizontal,
                                     bool LineOnly) {
  HDC dc = Canvas->Handle();
  int vt = ItemInfo.ViewType;
  bool menu = IsMenuPopup(vt) || IsChevronPopup(vt);
  TColor c1 = ShadowColor;
  TColor c2 = HighlightColor;
  TRect r = ARect;
  if (menu) {
    c1 = clBtnShadow;
    c2 = ShiftColorChannels(ToolbarColor, StyledVista() ? -20 : -40);
    HTHEME theme = StyledVista() ? MenuThemeHandle() : nullptr;
    if (theme && Horizontal) {
      if (!LineOnly && ItemInfo.PopupMargin > 0)
        DrawStyled(theme, dc, 13, 0, Rect(r.Left, r.Top, r.Left + ItemInfo.PopupMargin, r.Bottom));
      r.Left += ItemInfo.PopupMargin + 4;
    }
  }
  if (Horizontal) {
    int y = (r.Top + r.Bottom) / 2 - 1;
    DrawLineEx(dc, r.Left, y, r.Right, y, c1);
    DrawLineEx(dc, r.Left, y + 1, r.Right, y + 1, c2);
  } else {
    int x = (r.Left + r.Right) / 2 - 1;
    DrawLineEx(dc, x, r.Top, x, r.Bottom, c1);
    DrawLineEx(dc, x + 1, r.Top, x + 1, r.Bottom, c2);
  }
}

void TUiDefaultTheme::PaintPopupNCArea(TCanvas* Canvas, const TRect& ARect, const TUiPopupInfo& PopupInfo) {
  HDC dc = Canvas->Handle();
  TRect r = ARect;
  if (IsListPopup(PopupInfo.ViewType)) {
    FrameRectEx(dc, r, clWindowFrame, true);
    FrameRectEx(dc, r, clWindow, true);
    FrameRectEx(dc, r, clWindow, true);
    return;
  }
  TColor face = IsToolBoxPopup(PopupInfo.ViewType) ? ToolbarColor : MenuColor;
  if (FlatMenuStyle) {
    FrameRectEx(dc, r, clBtnShadow, true);
    FrameRectEx(dc, r, face, true);
    FrameRectEx(dc, r, face, true);
  } else {
    Edge(dc, r, EDGE_RAISED, BF_RECT);
    r = Inflated(r, -2, -2);
    FrameRectEx(dc, r, face, true);
  }
}

void TUiDefaultTheme::PaintDropDownArrow(TCanvas* Canvas, const TRect& ARect, const TUiItemInfo& ItemInfo) {
  HDC dc = Canvas->Handle();
  if (!ItemInfo.Enabled) {
    Triangle(dc, Rect(ARect.Left + 1, ARect.Top + 1, ARect.Right + 1, ARect.Bottom + 1), 3, 3, clBtnHighlight);
    Triangle(dc, ARect, 3, 3, clBtnShadow);
    return;
  }
  Triangle(dc, ARect, 3, 3, IsPopupView(ItemInfo.ViewType) ? MenuTextColor : clBtnText);
}

void TUiDefaultTheme::PaintDock(TCanvas* Canvas, const TRect&, const TRect& DockRect, int DockPosition) {
  HDC dc = Canvas->Handle();
  if (!ThemesUsable) return;
  TRect r = DockRect;
  if (DockPosition == 2 || DockPosition == 3) ++r.Bottom;
  DrawStyled(ucRebar, dc, 0, 0, r);
}

void TUiDefaultTheme::PaintMDIButton(TCanvas* Canvas, const TRect& ARect, const TUiItemInfo& ItemInfo,
                                     UINT ButtonKind) {
  HDC dc = Canvas->Handle();
  int index;
  switch (ButtonKind) {
    case DFCS_CAPTIONMIN: index = 0; break;
    case DFCS_CAPTIONRESTORE: index = 2; break;
    case DFCS_CAPTIONCLOSE: index = 3; break;
    default: index = 1; break;
  }
  TRect r = ARect;
  if (ItemInfo.Pushed) r = Rect(r.Left + 2, r.Top + 2, r.Right + 2, r.Bottom + 2);
  if (UiGlyphs()->Count() > index) DrawGlyph(dc, r, UiGlyphs(), index, clBtnText);
}

void TUiDefaultTheme::PaintPageScrollButton(TCanvas* Canvas, const TRect& ARect, int ButtonType, bool Hot) {
  HDC dc = Canvas->Handle();
  DrawStyled(ucToolbar, dc, 1, Hot ? 3 : 2, ARect);
  int half = std::min(ARect.Width(), ARect.Height()) / 2;
  // Button types 1 up, 2 down, 3 left, 4 right, in the triangle's own directions.
  static constexpr int kDirection[5] = {-1, 2, 3, 0, 1};
  if (ButtonType >= 1 && ButtonType <= 4) Triangle(dc, ARect, half * 3 / 4, kDirection[ButtonType], clBtnText);
}

void TUiDefaultTheme::PaintFrame(TCanvas* Canvas, const TRect& ARect, const TUiItemInfo& ItemInfo) {
  HDC dc = Canvas->Handle();
  bool hot = (ItemInfo.Enabled && ItemInfo.HoverKind > 0) || (!ItemInfo.Enabled && ItemInfo.HoverKind == 1);
  bool opaque = IsToolbarView(ItemInfo.ViewType) && (ItemInfo.ViewType & VT_OPAQUEITEMS);
  bool active = ItemInfo.Pushed || ItemInfo.Selected || hot || (ItemInfo.ItemOptions & IO_DESIGNING);
  TRect r = ARect;
  if (ThemesUsable && UiThemeHandle(ucComboBox)) {
    FrameRectEx(dc, r, opaque ? clBtnShadow : ToolbarColor, true);
    if (active) DrawStyled(ucComboBox, dc, 0, 0, ARect);
    TRect inner = Inflated(ARect, -2, -2);
    FrameRectEx(dc, inner, clWindow, false);
    return;
  }
  if (opaque) {
    if (active)
      Edge(dc, r, EDGE_SUNKEN, BF_RECT);
    else
      Edge(dc, Inflated(r, -1, -1), BDR_SUNKENOUTER, BF_RECT | BF_FLAT);
    return;
  }
  if (active)
    Edge(dc, r, BDR_SUNKENINNER, BF_RECT);
  else
    FrameRectEx(dc, r, ToolbarColor, false);
  r = Inflated(r, -1, -1);
  FrameRectEx(dc, r, clWindow, false);
}

void TUiDefaultTheme::PaintEditFrame(TCanvas* Canvas, const TRect& ARect, const TUiItemInfo& ItemInfo,
                                     const TUiEditFrameInfo& EditFrameInfo) {
  HDC dc = Canvas->Handle();
  PaintFrame(Canvas, ARect, ItemInfo);
  int inset = GetIntegerMetrics(60);
  TRect inner = Inflated(ARect, -inset, -inset);
  if (ItemInfo.Enabled) FillRectEx(dc, inner, clWindow);
  if (EditFrameInfo.ButtonKind) {
    int width = EditFrameInfo.ButtonWidth > 0 ? EditFrameInfo.ButtonWidth : GetIntegerMetrics(65);
    TRect button{ARect.Right - width - 2, ARect.Top, ARect.Right, ARect.Bottom};
    PaintEditButton(Canvas, button, ItemInfo, {EditFrameInfo.ButtonKind, EditFrameInfo.ButtonState});
  }
}

void TUiDefaultTheme::PaintEditButton(TCanvas* Canvas, const TRect& ARect, const TUiItemInfo& ItemInfo,
                                      const TUiEditButtonInfo& EditButtonInfo) {
  HDC dc = Canvas->Handle();
  int st = EditButtonInfo.ButtonState;
  bool disabled = st & 1;
  bool hot = st & 2;
  auto styledState = [&](bool pressed) { return disabled ? 4 : pressed ? 3 : hot ? 2 : 1; };
  if (ThemesUsable) {
    TRect r = hot ? Inflated(ARect, 1, 1) : ARect;
    if (EditButtonInfo.ButtonKind == 1 && DrawStyled(ucComboBox, dc, 1, styledState(st & 4), r)) return;
    if (EditButtonInfo.ButtonKind == 2 && UiThemeHandle(ucSpin)) {
      int mid = (r.Top + r.Bottom) / 2;
      DrawStyled(ucSpin, dc, 1, styledState(st & 4), Rect(r.Left, r.Top, r.Right, mid));
      DrawStyled(ucSpin, dc, 2, styledState(st & 8), Rect(r.Left, mid, r.Right, r.Bottom));
      return;
    }
  }
  bool opaque = IsToolbarView(ItemInfo.ViewType) && (ItemInfo.ViewType & VT_OPAQUEITEMS);
  bool pressed = st & (4 | 8);
  TRect r = Inflated(ARect, -2, -2);
  TColor line = (hot || pressed) ? ToolbarColor : opaque ? clBtnShadow : clWindow;
  DrawLineEx(dc, r.Left, r.Top, r.Left, r.Bottom, line);
  r.Left += 1;
  if (opaque) FillRectEx(dc, r, clBtnFace);
  if (hot || pressed) {
    TRect f = r;
    if (EditButtonInfo.ButtonKind == 2) {
      int mid = (r.Top + r.Bottom) / 2;
      TRect up{r.Left, r.Top, r.Right, mid};
      TRect down{r.Left, mid, r.Right, r.Bottom};
      FrameRect3D(dc, up, (st & 4) ? clBtnShadow : clBtnHighlight, (st & 4) ? clBtnHighlight : clBtnShadow, false);
      FrameRect3D(dc, down, (st & 8) ? clBtnShadow : clBtnHighlight, (st & 8) ? clBtnHighlight : clBtnShadow, false);
    } else {
      FrameRect3D(dc, f, pressed ? clBtnShadow : clBtnHighlight, pressed ? clBtnHighlight : clBtnShadow, false);
    }
  }
  TUiItemInfo arrowInfo = ItemInfo;
  arrowInfo.Enabled = !disabled;
  arrowInfo.ViewType = VT_TOOLBAR;
  if (EditButtonInfo.ButtonKind == 2) {
    int mid = (r.Top + r.Bottom) / 2;
    TColor c = disabled ? clBtnShadow : clBtnText;
    Triangle(dc, Rect(r.Left, r.Top, r.Right, mid), 3, 2, c);
    Triangle(dc, Rect(r.Left, mid, r.Right, r.Bottom), 3, 3, c);
  } else {
    PaintDropDownArrow(Canvas, r, arrowInfo);
  }
}

void TUiDefaultTheme::PaintCaption(TCanvas* Canvas, const TRect& ARect, const TUiItemInfo& ItemInfo,
                                   const WideString& Caption, UINT Format, bool Rotated) {
  TColor color = Canvas->Font()->Color();
  if (color == clNone) color = GetItemTextColor(ItemInfo);
  Canvas->Brush()->SetStyle(bsClear);
  TColor saved = Canvas->Font()->Color();
  auto draw = [&](const TRect& R, TColor C) {
    Canvas->Font()->SetColor(C);
    if (Rotated) {
      Canvas->TextWidth(WideString());  // makes the canvas select its font
      HDC dc = Canvas->Handle();
      SetTextColor(dc, ColorToRGB(C));
      SetBkMode(dc, TRANSPARENT);
      DrawRotatedText(dc, Caption, R, Format);
    } else {
      TRect r = R;
      Canvas->DrawText(r, Caption, Format);
    }
  };
  TRect r = ARect;
  if (!ItemInfo.Enabled) {
    if ((ItemInfo.HoverKind == 1 && IsPopupView(ItemInfo.ViewType)) || ThemesUsable) {
      draw(r, color);
    } else {
      draw(Rect(r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1), clBtnHighlight);
      draw(r, clBtnShadow);
    }
  } else {
    bool flatMenuBar = IsMenuBarView(ItemInfo.ViewType) && FlatMenuStyle;
    if (IsToolbarStyle(ItemInfo) && (ItemInfo.Pushed || ItemInfo.Selected) && !flatMenuBar)
      r = Rect(r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1);
    draw(r, color);
  }
  Canvas->Font()->SetColor(saved);
}

void TUiDefaultTheme::PaintCheckMark(TCanvas* Canvas, const TRect& ARect, const TUiItemInfo& ItemInfo) {
  HDC dc = Canvas->Handle();
  bool radio = ItemInfo.ItemOptions & IO_RADIOITEM;
  HTHEME menu = UiIsVistaOrLater() ? MenuThemeHandle() : nullptr;
  if (menu) {
    DrawStyled(menu, dc, 12, ItemInfo.Enabled ? 2 : 1, Inflated(ARect, 0, 3));
    int state = (radio ? 3 : 1) + (ItemInfo.Enabled ? 0 : 1);
    if (DrawStyled(menu, dc, 11, state, ARect)) return;
  }
  TColor c;
  if (!ItemInfo.Enabled)
    c = clBtnShadow;
  else if (IsHot(ItemInfo) && !IsToolbarStyle(ItemInfo) && !ThemesUsable)
    c = clHighlightText;
  else
    c = IsPopupView(ItemInfo.ViewType) ? MenuTextColor : clBtnText;
  int cx = (ARect.Left + ARect.Right) / 2;
  int cy = (ARect.Top + ARect.Bottom) / 2;
  if (radio) {
    RoundRectEx(dc, cx - 2, cy - 3, cx + 2, cy + 3, 2, 2, c, c);
    RoundRectEx(dc, cx - 3, cy - 2, cx + 3, cy + 2, 2, 2, c, c);
  } else {
    CheckMark(dc, cx, cy, c);
  }
}

void TUiDefaultTheme::PaintImage(TCanvas* Canvas, const TRect& ARect, const TUiItemInfo& ItemInfo,
                                 TCustomImageList* ImageList, int ImageIndex) {
  if (!ImageList || ImageIndex < 0 || ImageIndex >= ImageList->Count()) return;
  HDC dc = Canvas->Handle();
  // The one move of a pushed image; callers pass the unshifted rectangle.
  TRect r = ARect;
  if (ItemInfo.Pushed || ItemInfo.Selected) r = Rect(r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1);
  bool popup = IsPopupView(ItemInfo.ViewType);
  if ((popup && !FlatMenuStyle) || (!popup && !ThemesUsable)) {
    ImageList->Draw(Canvas, r.Left, r.Top, ImageIndex, ItemInfo.Enabled != 0);
    return;
  }
  if (!ItemInfo.Enabled) {
    DrawShadowedIcon(dc, r, ImageList, ImageIndex, 0);
    return;
  }
  bool dark = IsToolbarView(ItemInfo.ViewType) && IsDarkColor(GetItemImageBackground(ItemInfo), 100);
  bool normal = !ItemInfo.Pushed && !ItemInfo.Selected && !IsHot(ItemInfo);
  if (normal && !dark && !LowColorOrWhiteFace)
    DrawBlendedIcon(dc, r, ImageList, ImageIndex, 178, clWhite);
  else if (dark)
    DrawHighContrastIcon(dc, r, ImageList, ImageIndex);
  else
    ImageList->Draw(Canvas, r.Left, r.Top, ImageIndex, true);
}

void TUiDefaultTheme::PaintToolbarNCArea(TCanvas* Canvas, const TRect& ARect, const TUiToolbarInfo& ToolbarInfo) {
  HDC dc = Canvas->Handle();
  FillRectEx(dc, ARect, Canvas->Brush()->Color());
  TRect r = ARect;
  if (ToolbarInfo.BorderStyle == 1) {
    if (ThemesUsable) {
      // A light line outside a dark one on every side.
      FrameRect3D(dc, r, HighlightColor, ShadowColor, true);
      FrameRect3D(dc, r, ShadowColor, HighlightColor, true);
    } else {
      Edge(dc, r, BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
      r = Inflated(r, -1, -1);
    }
  }
  if (!ToolbarInfo.Docked) return;
  bool close = ToolbarInfo.CloseButtonState & 1;
  int style = ToolbarInfo.DragHandleStyle;  // 0 double, 1 none, 2 single
  int thickness = close ? 14 : style == 0 ? 9 : style == 2 ? 6 : 0;
  if (thickness == 0) return;
  int offset = style == 0 ? (close ? 3 : 2) : style == 2 ? (close ? 5 : 3) : 0;
  bool vertical = ToolbarInfo.IsVertical;
  TRect grip =
      vertical ? Rect(r.Left, r.Top, r.Right, r.Top + thickness) : Rect(r.Left, r.Top, r.Left + thickness, r.Bottom);
  if (close) {
    int trim = ThemesUsable ? 1 : 2;
    TRect b = Rect(grip.Left, grip.Top, grip.Left + thickness - 1, grip.Top + thickness - 1);
    if (vertical) {
      b = Rect(grip.Right - thickness + 1, grip.Top, grip.Right, grip.Top + thickness - 1);
      b.Left += trim;
    } else {
      b.Right -= trim;
    }
    b.Bottom -= trim;
    int s = ToolbarInfo.CloseButtonState;
    bool pushed = s & 4;
    bool hot = s & 2;
    if (!DrawStyled(ucToolbar, dc, 1, pushed ? 3 : hot ? 2 : 1, b)) {
      if (pushed)
        Edge(dc, b, BDR_SUNKENOUTER, BF_RECT);
      else if (hot)
        Edge(dc, b, BDR_RAISEDINNER, BF_RECT);
    }
    int x = b.Left + (b.Width() - 7) / 2 + (pushed ? 1 : 0);
    int y = b.Top + (b.Height() - 7) / 2 + (pushed ? 1 : 0);
    Cross(dc, x, y, clBtnText);
    if (vertical)
      grip.Right = b.Left - 1;
    else
      grip.Top = b.Bottom + 1;
  }
  if (style == 1) return;
  if (ThemesUsable) {
    if (vertical) {
      for (int x = grip.Left + 2; x + 2 <= grip.Right - 2; x += 4) {
        FillRectEx(dc, Rect(x + 1, grip.Top + offset + 1, x + 3, grip.Top + offset + 3), HighlightColor);
        FillRectEx(dc, Rect(x, grip.Top + offset, x + 2, grip.Top + offset + 2), ShadowColor);
      }
    } else {
      for (int y = grip.Top + 2; y + 2 <= grip.Bottom - 2; y += 4) {
        FillRectEx(dc, Rect(grip.Left + offset + 1, y + 1, grip.Left + offset + 3, y + 3), HighlightColor);
        FillRectEx(dc, Rect(grip.Left + offset, y, grip.Left + offset + 2, y + 2), ShadowColor);
      }
    }
    return;
  }
  int strips = style == 0 ? 2 : 1;
  for (int i = 0; i < strips; ++i) {
    TRect strip = vertical
                      ? Rect(grip.Left + 2, grip.Top + offset + i * 3, grip.Right - 2, grip.Top + offset + i * 3 + 3)
                      : Rect(grip.Left + offset + i * 3, grip.Top + 2, grip.Left + offset + i * 3 + 3, grip.Bottom - 2);
    Edge(dc, strip, BDR_RAISEDINNER, BF_RECT);
  }
}

void TUiDefaultTheme::PaintStatusBar(TCanvas* Canvas, const TRect& ARect, int Part) {
  HDC dc = Canvas->Handle();
  switch (Part) {
    case 0:
      if (!DrawStyled(ucStatus, dc, 0, 0, ARect)) FillRectEx(dc, ARect, StatusBarColor);
      break;
    case 1:
    case 2:
      if (!DrawStyled(ucStatus, dc, Part, 0, ARect)) {
        TRect r = ARect;
        if (Part == 1) r.Right -= 2;
        FrameRect3D(dc, r, clBtnShadow, clBtnHighlight, false);
      }
      break;
    case 3:
      if (!DrawStyled(ucStatus, dc, 3, 0, ARect)) {
        int size = std::min(ARect.Width(), ARect.Height());
        int n = size < 9 ? 2 : size <= 14 ? 3 : 4;
        int right = ARect.Right;
        int bottom = ARect.Bottom;
        // Diagonals from the bottom-right corner: per group a light line then darker ones,
        // and a line of the bar's colour closing it.
        auto diagonal = [&](int d, TColor c) {
          if (d <= size) DrawLineEx(dc, right - d, bottom - 1, right, bottom - 1 - d, c);
        };
        for (int g = 0; g < 3; ++g) {
          int base = g * (n + 1);
          for (int j = 0; j < n; ++j) diagonal(base + j + 1, j == 0 ? clBtnHighlight : clBtnShadow);
          diagonal(base + n + 1, StatusBarColor);
        }
      }
      break;
    default: break;
  }
}

void TUiDefaultTheme::PaintChevron(TCanvas* Canvas, const TRect& ARect, const TUiItemInfo& ItemInfo) {
  PaintButton(Canvas, ARect, ItemInfo);
  HDC dc = Canvas->Handle();
  bool vertical = ItemInfo.IsVertical;
  const uint8_t(&pattern)[8] = vertical ? kChevronDown : kChevronRight;
  int w = vertical ? 5 : 7;
  int h = vertical ? 8 : 5;
  int x = ARect.Left + (ARect.Width() - w) / 2;
  int y = ARect.Top + (ARect.Height() - h) / 2;
  if (ItemInfo.Pushed) {
    ++x;
    ++y;
  }
  if (!ItemInfo.Enabled) {
    DrawGlyph(dc, x + 1, y + 1, pattern, clBtnHighlight);
    DrawGlyph(dc, x, y, pattern, clBtnShadow);
  } else {
    DrawGlyph(dc, x, y, pattern, clBtnText);
  }
}

void TUiDefaultTheme::PaintFloatingBorder(TCanvas* Canvas, const TRect& ARect, const TUiFloatingBorderInfo& Info) {
  HDC dc = Canvas->Handle();
  TRect inner = Inflated(ARect, -Info.BorderSize.X, -Info.BorderSize.Y);
  int captionHeight = GetSystemMetrics(SM_CYSMCAPTION) - 1;
  TRect caption{inner.Left, inner.Top, inner.Right, inner.Top + captionHeight};
  TRect close{caption.Right - captionHeight, caption.Top, caption.Right, caption.Bottom};
  bool closeShown = Info.CloseButtonState & 1;
  bool closePushed = Info.CloseButtonState & 4;
  bool closeHot = Info.CloseButtonState & 2;
  HTHEME window = ThemesUsable ? UiThemeHandle(ucWindow) : nullptr;
  int state = Info.Active ? 1 : 2;
  if (window) {
    if (Info.PaintParts & 1) {
      DrawStyled(window, dc, 12, state, Rect(ARect.Left, inner.Bottom, ARect.Right, ARect.Bottom));
      DrawStyled(window, dc, 10, state, Rect(ARect.Left, ARect.Top, inner.Left, inner.Bottom));
      DrawStyled(window, dc, 11, state, Rect(inner.Right, ARect.Top, ARect.Right, inner.Bottom));
    }
    if ((Info.PaintParts & 2) && Info.ShowCaption) {
      DrawStyled(window, dc, 2, state, Rect(ARect.Left, ARect.Top, ARect.Right, caption.Bottom));
      TRect text = caption;
      text.Left += 2;
      if (closeShown) text.Right = close.Left;
      SmallCaptionText(dc, text, Info.Caption, Info.Active ? clCaptionText : clInactiveCaptionText);
    }
    if ((Info.PaintParts & 4) && Info.ShowCaption && closeShown)
      DrawStyled(window, dc, 19, closePushed ? 3 : closeHot ? 2 : 1, close);
    return;
  }
  if (Info.PaintParts & 1) {
    // The frame between the outer edge and the client area, filled, with a raised edge.
    FillRectEx(dc, Rect(ARect.Left, ARect.Top, ARect.Right, inner.Top), clBtnFace);
    FillRectEx(dc, Rect(ARect.Left, inner.Bottom, ARect.Right, ARect.Bottom), clBtnFace);
    FillRectEx(dc, Rect(ARect.Left, inner.Top, inner.Left, inner.Bottom), clBtnFace);
    FillRectEx(dc, Rect(inner.Right, inner.Top, ARect.Right, inner.Bottom), clBtnFace);
    Edge(dc, ARect, EDGE_RAISED, BF_RECT);
  }
  if (!Info.ShowCaption) return;
  BOOL gradient = FALSE;
  SystemParametersInfoW(SPI_GETGRADIENTCAPTIONS, 0, &gradient, 0);
  TColor captionColor = Info.Active ? (gradient ? clGradientActiveCaption : clActiveCaption)
                                    : (gradient ? clGradientInactiveCaption : clInactiveCaption);
  if (Info.PaintParts & 2) {
    RECT rc = ToRECT(caption);
    UINT flags = DC_SMALLCAP | DC_TEXT | (Info.Active ? DC_ACTIVE : 0) | (gradient ? DC_GRADIENT : 0);
    if (!Info.Window || !DrawCaption(Info.Window, dc, &rc, flags)) {
      FillRectEx(dc, caption, Info.Active ? clActiveCaption : clInactiveCaption);
      SmallCaptionText(dc, Rect(caption.Left + 2, caption.Top, caption.Right, caption.Bottom), Info.Caption,
                       Info.Active ? clCaptionText : clInactiveCaptionText);
    }
    DrawLineEx(dc, caption.Left, caption.Bottom, caption.Right, caption.Bottom, clBtnFace);
  }
  if ((Info.PaintParts & 4) && closeShown) {
    FillRectEx(dc, close, captionColor);
    RECT rc = ToRECT(Inflated(close, -2, -2));
    DrawFrameControl(dc, &rc, DFC_CAPTION, DFCS_CAPTIONCLOSE | (closePushed ? DFCS_PUSHED : 0));
  }
}

void TUiDefaultTheme::PaintFrameControl(TCanvas* Canvas, const TRect& ARect, int Kind, int State, void*) {
  HDC dc = Canvas->Handle();
  bool checked = State & 1;
  bool mixed = State & 2;
  bool disabled = State & 4;
  bool hot = State & 8;
  bool pushed = State & 16;
  if (ThemesUsable && UiThemeHandle(ucButton)) {
    int base = checked ? 5 : (mixed && Kind == 1) ? 9 : 1;
    int offset = disabled ? 3 : pushed ? 2 : hot ? 1 : 0;
    if (DrawStyled(ucButton, dc, Kind == 2 ? 2 : 3, base + offset, ARect)) return;
  }
  if ((hot || pushed) && !disabled) {
    RECT rc = ToRECT(ARect);
    UINT flags =
        (Kind == 2 ? DFCS_BUTTONRADIO : DFCS_BUTTONCHECK) | (checked ? DFCS_CHECKED : 0) | (pushed ? DFCS_PUSHED : 0);
    DrawFrameControl(dc, &rc, DFC_BUTTON, flags);
    return;
  }
  TColor face = disabled ? clBtnFace : clWindow;
  if (Kind == 2) {
    RoundRectEx(dc, ARect, ARect.Width(), ARect.Height(), face, clBtnShadow);
    if (checked) {
      TRect dot = Inflated(ARect, -3, -3);
      RoundRectEx(dc, dot, dot.Width(), dot.Height(), clBtnText, clBtnText);
    }
    return;
  }
  TRect r = ARect;
  FrameRectEx(dc, r, clBtnShadow, true);
  if (mixed && !disabled)
    DitherRect(dc, r, clWindow, clBtnFace);
  else
    FillRectEx(dc, r, face);
  if (checked || mixed) {
    TColor c = disabled ? clGrayText : mixed ? clBtnShadow : clBtnText;
    int cx = (ARect.Left + ARect.Right) / 2;
    int cy = (ARect.Top + ARect.Bottom) / 2;
    CheckMark(dc, cx, cy, c);
  }
}

void TUiDefaultTheme::PaintDockPanelNCArea(TCanvas* Canvas, const TRect& ARect, const TUiDockPanelInfo& Info) {
  HDC dc = Canvas->Handle();
  TRect r = ARect;
  FrameRectEx(dc, r, ToolbarColor, true);
  int h = GetSystemMetrics(SM_CYSMCAPTION) - 1;
  TRect bar = Info.IsVertical ? Rect(r.Left, r.Top, r.Left + h, r.Bottom) : Rect(r.Left, r.Top, r.Right, r.Top + h);
  FillRectEx(dc, bar, ToolbarColor);
  TRect text = bar;
  bool close = Info.CloseButtonState & 1;
  TRect button = Info.IsVertical ? Rect(bar.Left, bar.Bottom - h, bar.Right, bar.Bottom)
                                 : Rect(bar.Right - h, bar.Top, bar.Right, bar.Bottom);
  if (close) {
    if (Info.IsVertical)
      text.Bottom = button.Top;
    else
      text.Right = button.Left;
  }
  if (Info.IsVertical) {
    TSelectObject font;
    font.Select(dc, UiDockCaptionFont()->Handle());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(clBtnText));
    DrawRotatedText(dc, Info.Caption, Rect(text.Left, text.Top + 2, text.Right, text.Bottom),
                    DT_SINGLELINE | DT_CENTER | DT_END_ELLIPSIS);
  } else {
    SmallCaptionText(dc, Rect(text.Left + 2, text.Top, text.Right, text.Bottom), Info.Caption, clBtnText);
  }
  if (close) {
    bool pushed = Info.CloseButtonState & 4;
    if (pushed)
      Edge(dc, button, BDR_SUNKENOUTER, BF_RECT);
    else if (Info.CloseButtonState & 2)
      Edge(dc, button, BDR_RAISEDINNER, BF_RECT);
    Cross(dc, button.Left + (button.Width() - 7) / 2 + pushed, button.Top + (button.Height() - 7) / 2 + pushed,
          clBtnText);
  }
}
