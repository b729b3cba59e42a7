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

namespace {
// Registered with the painting every tab uses, so that a form file finds them as soon as one is
// used.
const bool registered = [] {
  RegisterClasses(
      {&TSkinTabControl::StaticClassInfo(), &TSkinTabItem::StaticClassInfo(), &TSkinTabSheet::StaticClassInfo()});
  return true;
}();
}  // namespace
