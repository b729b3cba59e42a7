// A window painted by the current theme: a docked toolbar, a popup menu and a status bar.
// THEME_TEST_HOLD_MS keeps it on screen for a screenshot.
#include <gtest/gtest.h>

#include <cstdlib>

#include "framework/Graphics.h"
#include "tests/themes/ThemeTestSupport.h"
#include "themes/Ui.h"

namespace {

void PaintSample(TCanvas* C, TUiTheme* T) {
  T->PaintDock(C, TRect{0, 0, 440, 32}, TRect{0, 0, 440, 32}, 0);
  C->Brush()->SetColor(T->GetViewColor(VT_TOOLBAR));
  T->PaintToolbarNCArea(C, TRect{2, 2, 300, 30}, TUiToolbarInfo{});
  const int flags[] = {0, ISF_HOT, ISF_PUSHED, ISF_HOT, 0, ISF_SELECTED, ISF_DISABLED, 0};
  const wchar_t* names[] = {L"Open", L"Save", L"Close", L"Undo", L"", L"Word wrap", L"Print", L"Recent files"};
  for (int i = 0; i < 3; ++i) {
    TRect r{14 + i * 44, 4, 54 + i * 44, 28};
    T->PaintButton(C, r, SimplifiedItemInfo(flags[i]));
    T->PaintCaption(C, r, SimplifiedItemInfo(flags[i]), names[i], DT_SINGLELINE | DT_CENTER | DT_VCENTER, false);
  }
  C->Brush()->SetColor(MenuColor);
  C->FillRect(TRect{20, 40, 200, 160});
  T->PaintPopupNCArea(C, TRect{20, 40, 200, 160}, TUiPopupInfo{nullptr, VT_POPUPMENU, {3, 3}, {}});
  for (int i = 3; i < 8; ++i) {
    TRect r{23, 43 + (i - 3) * 19, 197, 62 + (i - 3) * 19};
    TUiItemInfo item = SimplifiedItemInfo(flags[i]);
    item.ViewType = VT_POPUPMENU;
    item.ItemOptions = i == 7 ? IO_SUBMENU : 0;
    if (i == 4) {
      T->PaintSeparator(C, r, item, true, false);
      continue;
    }
    T->PaintMenuItem(C, r, item);
    if (item.Selected) T->PaintCheckMark(C, TRect{r.Left, r.Top, r.Left + 20, r.Bottom}, item);
    C->Font()->SetColor(clNone);
    T->PaintCaption(C, TRect{r.Left + 24, r.Top, r.Right, r.Bottom}, item, names[i], DT_SINGLELINE | DT_VCENTER, false);
  }
  const TRect bar[] = {{0, 210, 440, 232}, {2, 212, 200, 232}, {202, 212, 420, 232}, {420, 216, 436, 232}};
  for (int part = 0; part < 4; ++part) T->PaintStatusBar(C, bar[part], part);
}

TEST(DefaultThemeForm, PaintsAToolbarAMenuAndAStatusBar) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
  wc.lpszClassName = L"DefaultThemeSample";
  RegisterClassW(&wc);
  HWND wnd = CreateWindowExW(0, wc.lpszClassName, L"Default theme", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 460, 280,
                             nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(wnd, nullptr);
  const char* hold = std::getenv("THEME_TEST_HOLD_MS");
  DWORD until = GetTickCount() + (hold ? std::atoi(hold) : 0);
  uint32_t hotPixel = 0, plainPixel = 0;
  do {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    HDC dc = GetDC(wnd);
    TCanvas canvas;
    canvas.SetHandle(dc);
    PaintSample(&canvas, CurrentTheme);
    hotPixel = GetPixel(dc, 150, 52);  // the hot item, right of its text
    plainPixel = GetPixel(dc, 150, 135);
    canvas.SetHandle(nullptr);
    ReleaseDC(wnd, dc);
    Sleep(50);
  } while (GetTickCount() < until);
  EXPECT_EQ(plainPixel, Sys(MenuColor));
  if (ThemesUsable)
    EXPECT_NE(hotPixel, Sys(MenuColor));
  else
    EXPECT_EQ(hotPixel, Sys(clHighlight));
  DestroyWindow(wnd);
}

}  // namespace
