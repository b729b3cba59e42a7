// A window painted by the current theme: a docked toolbar, a popup menu, a dock panel and a
// status bar. THEME_TEST_HOLD_MS keeps it on screen for a screenshot.
#include <gtest/gtest.h>

#include <cstdlib>

#include "framework/Graphics.h"
#include "tests/themes/ThemeTestSupport.h"
#include "themes/Ui.h"

namespace {

void PaintSample(TCanvas* C, TUiTheme* T) {
  TUiItemInfo tb = SimplifiedItemInfo(0);
  T->PaintDock(C, TRect{0, 0, 440, 32}, TRect{0, 0, 440, 32}, 0);
  C->Brush()->SetColor(T->GetViewColor(VT_TOOLBAR));
  T->PaintToolbarNCArea(C, TRect{2, 2, 300, 30}, TUiToolbarInfo{});
  const wchar_t* names[] = {L"New", L"Open", L"Save"};
  for (int i = 0; i < 3; ++i) {
    TRect r{14 + i * 44, 4, 54 + i * 44, 28};
    TUiItemInfo item = SimplifiedItemInfo(i == 1 ? ISF_HOT : i == 2 ? ISF_PUSHED : 0);
    T->PaintButton(C, r, item);
    T->PaintCaption(C, r, item, names[i], DT_SINGLELINE | DT_CENTER | DT_VCENTER, false);
  }
  T->PaintSeparator(C, TRect{146, 4, 152, 28}, tb, false, false);
  T->PaintChevron(C, TRect{280, 4, 294, 28}, tb);
  C->Brush()->SetColor(MenuColor);
  C->FillRect(TRect{20, 40, 200, 160});
  T->PaintPopupNCArea(C, TRect{20, 40, 200, 160}, TUiPopupInfo{nullptr, VT_POPUPMENU, {3, 3}, {}});
  const wchar_t* items[] = {L"Undo", L"Cut", L"", L"Word wrap", L"Recent files", L"Print"};
  for (int i = 0; i < 6; ++i) {
    TRect r{23, 43 + i * 19, 197, 62 + i * 19};
    TUiItemInfo item = SimplifiedItemInfo(i == 1 ? ISF_HOT : i == 5 ? ISF_DISABLED : i == 3 ? ISF_SELECTED : 0);
    item.ViewType = VT_POPUPMENU;
    item.ItemOptions = i == 4 ? IO_SUBMENU : 0;
    if (i == 2) {
      T->PaintSeparator(C, r, item, true, false);
      continue;
    }
    T->PaintMenuItem(C, r, item);
    if (i == 3) T->PaintCheckMark(C, TRect{r.Left, r.Top, r.Left + 20, r.Bottom}, item);
    C->Font()->SetColor(clNone);
    T->PaintCaption(C, TRect{r.Left + 24, r.Top, r.Right, r.Bottom}, item, items[i], DT_SINGLELINE | DT_VCENTER, false);
  }
  TUiDockPanelInfo panel;
  panel.Caption = L"Panel";
  panel.CloseButtonState = 1;
  T->PaintDockPanelNCArea(C, TRect{240, 40, 430, 200}, panel);
  T->PaintStatusBar(C, TRect{0, 210, 440, 232}, 0);
  T->PaintStatusBar(C, TRect{2, 212, 200, 232}, 1);
  T->PaintStatusBar(C, TRect{202, 212, 420, 232}, 2);
  T->PaintStatusBar(C, TRect{420, 216, 436, 232}, 3);
}

TEST(DefaultThemeForm, PaintsAToolbarAMenuAPanelAndAStatusBar) {
  ASSERT_NE(CurrentTheme, nullptr);
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
  wc.lpszClassName = L"DefaultThemeSample";
  RegisterClassW(&wc);
  HWND wnd = CreateWindowExW(0, wc.lpszClassName, L"Default theme", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 460,
                             280, nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(wnd, nullptr);
  const char* hold = std::getenv("THEME_TEST_HOLD_MS");
  DWORD until = GetTickCount() + (hold ? std::atoi(hold) : 0);
  uint32_t menuPixel = 0;
  do {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    HDC dc = GetDC(wnd);
    TCanvas canvas;
    canvas.SetHandle(dc);
    PaintSample(&canvas, CurrentTheme);
    menuPixel = GetPixel(dc, 100, 75);  // inside the hot menu item
    canvas.SetHandle(nullptr);
    ReleaseDC(wnd, dc);
    Sleep(50);
  } while (GetTickCount() < until);
  TUiItemInfo hot = SimplifiedItemInfo(ISF_HOT);
  hot.ViewType = VT_POPUPMENU;
  hot.ItemOptions = 0;
  if (!ThemesUsable) {
    EXPECT_EQ(menuPixel, Sys(CurrentTheme->GetItemColor(hot)));
  }
  EXPECT_NE(menuPixel, Sys(clWindow));
  DestroyWindow(wnd);
  UnregisterClassW(wc.lpszClassName, wc.hInstance);
}

}  // namespace
