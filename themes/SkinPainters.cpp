// Glyph painters of the skinned controls, the parent background, window placement, rectangle
// texts and the task-bar query.
#include "themes/SkinPainters.h"

#include <shellapi.h>

#include <memory>
#include <vector>

#include "framework/Bitmap.h"
#include "framework/Controls.h"
#include "framework/Conversions.h"
#include "framework/Graphics.h"
#include "framework/ImageList.h"
#include "framework/Screen.h"
#include "framework/StrRoutines.h"
#include "themes/Ui.h"
#include "themes/UiUtils.h"

namespace {

bool ThemeNamed(const char* Name) { return GetCurrentThemeName() == Name; }

TRect Inset(const TRect& R, int D) { return {R.Left + D, R.Top + D, R.Right - D, R.Bottom - D}; }

// The item record of a button painted by the current theme: a toolbar button of an active
// application, always under the mouse.
TUiItemInfo ButtonInfo(bool Enabled) {
  TUiItemInfo info;
  info.ViewType = VT_PLAINTOOLBAR;
  info.ItemOptions = IO_TOOLBARSTYLE | IO_APPACTIVE;
  info.Enabled = Enabled;
  info.HoverKind = 2;
  return info;
}

void DrawAluminumButton(TCanvas* ACanvas, const TRect& ARect, bool Pushed) {
  HDC dc = ACanvas->Handle();
  const TColor base = TColor(0xDFDFDF);
  TColor top = ShiftColorChannels(base, 16), bottom = ShiftColorChannels(base, -16);
  if (Pushed) std::swap(top, bottom);
  GradFill(dc, Inset(ARect, 2), top, bottom, false);
  TColor light = ShiftColorChannels(base, 24), dark = ShiftColorChannels(base, -24);
  if (Pushed) std::swap(light, dark);
  TRect frame = Inset(ARect, 1);
  FrameRect3D(dc, frame, light, dark, false);
  RoundRectEx(dc, ARect, 2, 2, clNone, ShiftColorChannels(base, -64));
}

void DrawThemeButton(TCanvas* ACanvas, const TRect& ARect, bool Enabled, bool Pushed, bool Hot, bool Checked) {
  if (!CurrentTheme) return;
  if (ThemeNamed("Aluminum")) {
    DrawAluminumButton(ACanvas, ARect, Pushed || Checked);
    return;
  }
  TUiItemInfo info = ButtonInfo(Enabled);
  bool idle = !Pushed && !Hot && !Checked;
  if (ThemeNamed("OfficeXP") && idle) {
    info.ViewType |= VT_OPAQUEITEMS;
    info.HoverKind = 0;
  }
  if (ThemeNamed("Athen") || ThemeNamed("Dream")) {
    if (idle) {
      info.ViewType = VT_POPUP;
      CurrentTheme->PaintFrame(ACanvas, ARect, info);
      return;
    }
    if (Checked) {
      info.Selected = 1;
      info.Pushed = 0;
      info.HoverKind = Hot ? 2 : 0;
      CurrentTheme->PaintButton(ACanvas, ARect, info);
      return;
    }
  }
  if (Hot && !Pushed && !Checked) {
    // A hot button is painted over a copy of what lies under it and blended back, so that only
    // the pixels the theme changed are lightened.
    info.Pushed = info.Selected = 0;
    TUiTheme* theme = CurrentTheme;
    DrawBlendedIcon(
        ACanvas->Handle(), ARect, ARect.Width(), ARect.Height(),
        [theme, &ARect, &info](HDC DC, int X, int Y) {
          TCanvas canvas;
          canvas.SetHandle(DC);
          theme->PaintButton(&canvas, Bounds(X, Y, ARect.Width(), ARect.Height()), info);
          canvas.SetHandle(nullptr);
        },
        180, TColor(0xFFFFFF));
    return;
  }
  info.Pushed = info.Selected = (Pushed || Checked) ? 1 : 0;
  CurrentTheme->PaintButton(ACanvas, ARect, info);
}

}  // namespace

void DrawSkinCheckBox(TCanvas* ACanvas, const TRect& ARect, bool Enabled, TSkinThemeType SkinType, bool Focused,
                      bool Pushed, bool Hot, TCheckBoxState State) {
  HDC dc = ACanvas->Handle();
  RECT rc = ToRECT(ARect);
  switch (SkinType) {
    case thtWindows: {
      int state = State == cbChecked ? 5 : State == cbGrayed ? 9 : 1;
      state += !Enabled ? 3 : Pushed ? 2 : Hot ? 1 : 0;
      if (HTHEME theme = UiThemeHandle(ucButton))
        if (UxTheme().DrawThemeBackground)
          UxTheme().DrawThemeBackground(theme, dc, 3 /* check box */, state, &rc, nullptr);
      break;
    }
    case thtUi: {
      if (!CurrentTheme) break;
      int flags = !Enabled ? 4 : 0;
      flags |= State == cbChecked ? 1 : State == cbGrayed ? 2 : 0;
      if (Enabled) flags |= (Hot ? 8 : 0) | (Pushed ? 16 : 0) | (Focused ? 32 : 0);
      CurrentTheme->PaintFrameControl(ACanvas, ARect, 1, flags, nullptr);
      break;
    }
    default: {
      UINT flags = DFCS_BUTTONCHECK;
      if (State == cbChecked) flags |= DFCS_CHECKED;
      if (State == cbGrayed) flags |= DFCS_BUTTON3STATE | DFCS_CHECKED;
      if (!Enabled) flags |= DFCS_INACTIVE;
      if (Pushed) flags |= DFCS_PUSHED;
      DrawFrameControl(dc, &rc, DFC_BUTTON, flags);
      break;
    }
  }
}

void DrawSkinButton(TCanvas* ACanvas, const TRect& ARect, bool Enabled, bool Pushed, bool Hot, bool Checked,
                    bool Default, TSkinThemeType SkinType, int Mode) {
  if (Mode == SkinButtonDockBackground) {
    if (CurrentTheme) CurrentTheme->PaintDock(ACanvas, ARect, ARect, 1);
    return;
  }
  HDC dc = ACanvas->Handle();
  switch (SkinType) {
    case thtWindows: {
      int state = !Enabled ? 4 : (Pushed || Checked) ? 3 : Hot ? 2 : Default ? 5 : 1;
      RECT rc = ToRECT(ARect);
      if (HTHEME theme = UiThemeHandle(ucButton))
        if (UxTheme().DrawThemeBackground)
          UxTheme().DrawThemeBackground(theme, dc, 1 /* push button */, state, &rc, nullptr);
      break;
    }
    case thtUi: DrawThemeButton(ACanvas, ARect, Enabled, Pushed, Hot, Checked); break;
    default: {
      TRect r = ARect;
      FillRectEx(dc, r, clBtnFace);
      if (Default) FrameRectEx(dc, r, clWindowFrame, true);
      if (Pushed || Checked) {
        FrameRectEx(dc, r, clBtnShadow, false);
      } else {
        RECT rc = ToRECT(r);
        DrawFrameControl(dc, &rc, DFC_BUTTON, DFCS_BUTTONPUSH);
      }
      break;
    }
  }
}

void DrawSkinEditFrame(TCanvas* ACanvas, const TRect& ARect, bool Enabled, bool Hot, TSkinThemeType SkinType,
                       bool ExcludeInner) {
  HDC dc = ACanvas->Handle();
  TSaveDC saved(ExcludeInner ? dc : nullptr);
  if (ExcludeInner) {
    TRect inner = Inset(ARect, Hot ? 1 : 2);
    ExcludeClipRect(dc, inner.Left, inner.Top, inner.Right, inner.Bottom);
  }
  if (SkinType == thtWindows) {
    RECT rc = ToRECT(ARect);
    if (HTHEME theme = UiThemeHandle(ucComboBox))
      if (UxTheme().DrawThemeBackground) UxTheme().DrawThemeBackground(theme, dc, 0, 0, &rc, nullptr);
  } else if (SkinType == thtUi && CurrentTheme) {
    TUiItemInfo info = ButtonInfo(Enabled);
    info.HoverKind = Hot ? 2 : 0;
    CurrentTheme->PaintEditFrame(ACanvas, ARect, info, TUiEditFrameInfo{});
  }
}

void DrawParentBackground(TControl* Control, HDC DC, const TRect& ARect, int X, int Y) {
  TWinControl* parent = Control ? Control->Parent() : nullptr;
  if (!parent) {
    FillRectEx(DC, ARect, clBtnFace);
    return;
  }
  if (!parent->HandleAllocated()) return;
  TPoint p = parent->ScreenToClient(Control->ClientToScreen({X, Y}));
  LRESULT answered;
  {
    TSaveDC saved(DC);
    OffsetWindowOrgEx(DC, p.X, p.Y, nullptr);
    POINT old;
    GetBrushOrgEx(DC, &old);
    SetBrushOrgEx(DC, old.x - p.X, old.y - p.Y, nullptr);
    answered = SendMessageW(parent->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(DC), 0);
  }
  if (!answered && parent->Color() != clNone) FillRectEx(DC, ARect, parent->Color());
}

void DrawSkinListItem(TCanvas* ACanvas, const TRect& ARect, bool Selected, TSkinThemeType SkinType, bool Focused,
                      bool Hot) {
  if (SkinType == thtUi && CurrentTheme) {
    ACanvas->FillRect(ARect);
    if (Selected) {
      TUiItemInfo info = ButtonInfo(true);
      info.HoverKind = Hot || Selected ? 2 : 0;
      ACanvas->Font()->SetColor(CurrentTheme->GetItemTextColor(info));
      if (ThemeNamed("Dream") || ThemeNamed("SentimoX"))
        CurrentTheme->PaintMenuItem(ACanvas, ARect, info);
      else
        CurrentTheme->PaintButton(ACanvas, ARect, info);
    }
    return;
  }
  if (Selected) {
    ACanvas->Brush()->SetColor(clHighlight);
    ACanvas->Font()->SetColor(clHighlightText);
  }
  ACanvas->FillRect(ARect);
  if (Focused) {
    HDC dc = ACanvas->Handle();
    SetTextColor(dc, 0);
    SetBkColor(dc, 0xFFFFFF);
    RECT rc = ToRECT(ARect);
    DrawFocusRect(dc, &rc);
  }
}

void DrawArrowTriangle(HDC DC, int X, int Y, int Size, bool Down, TColor Color) {
  std::vector<TPoint> points = Down ? std::vector<TPoint>{{X - Size, Y}, {X + Size, Y}, {X, Y + Size}}
                                    : std::vector<TPoint>{{X, Y - Size}, {X, Y + Size}, {X + Size, Y}};
  PolygonEx(DC, points, Color, Color);
}

void DrawImageWithShadow(TCanvas* ACanvas, const TRect& ARect, TCustomImageList* ImageList, int ImageIndex) {
  if (!ImageList) return;
  HDC dc = ACanvas->Handle();
  DrawShadowedIcon(dc, ARect, ImageList, ImageIndex, 1);
  DrawShadowedIcon(dc, {ARect.Left + 1, ARect.Top + 1, ARect.Right + 1, ARect.Bottom + 1}, ImageList, ImageIndex, 1);
  ImageList->Draw(ACanvas, ARect.Left - 1, ARect.Top - 1, ImageIndex, true);
}

// ---- window placement, rectangle texts, the task bar ----

namespace {
HWND ExistingWindow(TControl* Control) {
  auto* win = dynamic_cast<TWinControl*>(Control);
  return win && win->HandleAllocated() ? win->Handle() : nullptr;
}
}  // namespace

int GetWindowPlacementState(TControl* Control, TRect& RestoreBounds) {
  RestoreBounds = {};
  HWND wnd = ExistingWindow(Control);
  WINDOWPLACEMENT wp{};
  wp.length = sizeof(wp);
  if (!wnd || !GetWindowPlacement(wnd, &wp)) return 0;
  const RECT& r = wp.rcNormalPosition;
  RestoreBounds = {r.left, r.top, r.right - r.left, r.bottom - r.top};
  return wp.showCmd == SW_SHOWMINIMIZED ? 1 : wp.showCmd == SW_SHOWMAXIMIZED ? 2 : 0;
}

void SetWindowPlacementState(TControl* Control, int State, const TRect& RestoreBounds) {
  HWND wnd = ExistingWindow(Control);
  if (!wnd) return;
  WINDOWPLACEMENT wp{};
  wp.length = sizeof(wp);
  // The members not given (flags, minimized and maximized positions) stay the window's own.
  GetWindowPlacement(wnd, &wp);
  wp.showCmd = State == 1 ? SW_SHOWMINIMIZED : State == 2 ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
  const TRect& b = RestoreBounds;
  if (b.Left || b.Top || b.Right || b.Bottom)
    wp.rcNormalPosition = RECT{b.Left, b.Top, b.Left + b.Right, b.Top + b.Bottom};
  SetWindowPlacement(wnd, &wp);
}

WideString RectToText(const TRect& R) {
  return std::to_wstring(R.Left) + L", " + std::to_wstring(R.Top) + L", " + std::to_wstring(R.Right) + L", " +
         std::to_wstring(R.Bottom);
}

bool TextToRect(const WideString& Text, TRect& R) {
  R = {};
  int values[4];
  int count = 0;
  size_t start = 0;
  while (true) {
    size_t comma = Text.find(L',', start);
    WideString field = Text.substr(start, comma == WideString::npos ? WideString::npos : comma - start);
    AnsiString trimmed;
    for (wchar_t c : field) {
      if (c > 0x7F) return false;
      trimmed += static_cast<char>(c);
    }
    trimmed = Trim(trimmed);
    if (count == 4 || !TryStrToInt(trimmed, values[count])) return false;
    ++count;
    if (comma == WideString::npos) break;
    start = comma + 1;
  }
  if (count != 4) return false;
  R = {values[0], values[1], values[2], values[3]};
  return true;
}

bool GetTaskbarInfo(UINT& Edge, TRect& R, UINT& State) {
  Edge = 0;
  State = 0;
  R = {};
  HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr);
  if (!tray) return false;
  APPBARDATA data{};
  data.cbSize = sizeof(data);
  data.hWnd = tray;
  if (!SHAppBarMessage(ABM_GETTASKBARPOS, &data)) return false;
  Edge = data.uEdge;
  R = ToTRect(data.rc);
  State = static_cast<UINT>(SHAppBarMessage(ABM_GETSTATE, &data));
  return true;
}

// ---- shared objects ----

namespace {
struct TSkinShared {
  std::unique_ptr<TImageList> Glyphs;
  HCURSOR Hand = nullptr;
  bool CursorsAdded = false;
};
TSkinShared& Shared() {
  static TSkinShared s;
  return s;
}
}  // namespace

TCustomImageList* SkinGlyphs() {
  TSkinShared& s = Shared();
  if (!s.Glyphs) {
    s.Glyphs = std::make_unique<TImageList>(nullptr);
    s.Glyphs->SetWidth(16);
    s.Glyphs->SetHeight(16);
    try {
      TBitmap bitmap;
      bitmap.LoadFromResourceName(GetModuleHandleW(nullptr), L"SKINGLYPHS");
      s.Glyphs->AddMasked(&bitmap, TColor(0xFF00FF));
    } catch (const Exception&) {
      // A program built without the resource shows its system menu without glyphs.
    }
  }
  return s.Glyphs.get();
}

HCURSOR SkinHandCursor() {
  TSkinShared& s = Shared();
  if (!s.Hand) s.Hand = LoadCursorW(nullptr, MAKEINTRESOURCEW(32649));
  return s.Hand;
}

void RegisterSkinCursors() {
  TSkinShared& s = Shared();
  if (s.CursorsAdded || !Screen) return;
  s.CursorsAdded = true;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (HCURSOR move = LoadCursorW(instance, L"CZMOVE")) Screen->SetCursors(crSkinItemMove, move);
  if (HCURSOR cancel = LoadCursorW(instance, L"CZCANCEL")) Screen->SetCursors(crSkinItemCancel, cancel);
}
