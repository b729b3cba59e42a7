// The default theme: its metrics and colours, and every painting operation checked by the
// pixels it leaves in a memory picture, classic and with visual styles.
#include <gtest/gtest.h>

#include <algorithm>

#include "framework/Bitmap.h"
#include "framework/Graphics.h"
#include "framework/ImageList.h"
#include "tests/themes/ThemeTestSupport.h"
#include "themes/Ui.h"
#include "themes/UiDefaultTheme.h"

namespace {

constexpr uint32_t kMagenta = 0xFF00FF;

// A theme on a picture, with visual styles allowed or not for the test's length.
class DefaultThemeTest : public testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    UiThemeManager()->SetAllowThemes(GetParam());
    UiThemeManager()->SystemUpdate();
    if (GetParam() && !ThemesUsable) GTEST_SKIP() << "visual styles are not active";
    theme = std::make_unique<TUiDefaultTheme>("Default");
  }
  void TearDown() override {
    theme.reset();
    UiThemeManager()->SetAllowThemes(true);
    UiThemeManager()->SystemUpdate();
  }
  TCanvas* On(TTestPicture& pic) { return pic.Canvas(); }
  bool Styled() const { return GetParam(); }
  std::unique_ptr<TUiDefaultTheme> theme;
};

TUiItemInfo Item(int ViewType, int Flags, uint32_t Options = IO_TOOLBARSTYLE) {
  TUiItemInfo i = SimplifiedItemInfo(Flags & 0x0F);
  i.ViewType = ViewType;
  i.ItemOptions = Options;
  return i;
}

TEST(DefaultThemeStartUp, DefaultIsRegisteredAndCurrent) {
  EXPECT_TRUE(IsThemeRegistered("Default"));
  ASSERT_NE(UiNexus(), nullptr);
  EXPECT_EQ(GetCurrentThemeName(), "Default");
  EXPECT_NE(dynamic_cast<TUiDefaultTheme*>(CurrentTheme), nullptr);
  EXPECT_EQ(UiGlyphs()->Count(), 4);  // the embedded glyphs
}

TEST_P(DefaultThemeTest, IntegerAndBooleanMetrics) {
  const int vista7 = UiIsVistaOrLater() && Styled() ? 7 : 2;
  const std::pair<int, int> cases[] = {{10, Styled() ? 16 : 14},
                                       {20, 8},
                                       {21, 3},
                                       {32, 1},
                                       {62, 1},
                                       {33, vista7},
                                       {34, 2},
                                       {36, 2},
                                       {60, 2},
                                       {61, 2},
                                       {35, -1},
                                       {37, 4},
                                       {50, 6},
                                       {65, 13},
                                       {66, 0},
                                       {0, -1},
                                       {11, -1},
                                       {67, -1},
                                       {-3, -1}};
  for (auto [index, expected] : cases) EXPECT_EQ(theme->GetIntegerMetrics(index), expected) << index;
  for (int i : {0, 1, 3, 4, 6, 7, 8, 100}) EXPECT_FALSE(theme->GetBooleanMetrics(i)) << i;
  EXPECT_EQ(theme->GetBooleanMetrics(5), Styled());
}

TEST_P(DefaultThemeTest, ViewColoursBordersAndMargins) {
  if (!Styled()) {
    EXPECT_EQ(theme->ToolbarColor, clBtnFace);
    EXPECT_EQ(theme->ShadowColor, clBtnShadow);
  }
  const std::pair<int, TColor> colours[] = {{VT_TOOLBAR, theme->ToolbarColor},
                                            {VT_MENUBAR, theme->ToolbarColor},
                                            {VT_POPUPMENU, MenuColor},
                                            {VT_CHEVRONPOPUP, MenuColor},
                                            {VT_LISTPOPUP, clWindow},
                                            {VT_TOOLBOXPOPUP, theme->ToolbarColor},
                                            {VT_DOCKPANEL, theme->DockPanelColor},
                                            {VT_STATUSBAR, theme->StatusBarColor},
                                            {0, clBtnFace}};
  for (auto [vt, c] : colours) EXPECT_EQ(theme->GetViewColor(vt), c) << std::hex << vt;
  // The dock-panel colour leans toward the window colour, as the screen can show it.
  EXPECT_EQ(theme->DockPanelColor, MixColorsNearest(theme->ToolbarColor, clWindow, 64));

  const std::pair<int, TPoint> borders[] = {
      {VT_TOOLBAR | VT_FLOATING, {GetSystemMetrics(SM_CXDLGFRAME), GetSystemMetrics(SM_CYDLGFRAME)}},
      {VT_DOCKPANEL | VT_FLOATING | VT_RESIZABLE, {GetSystemMetrics(SM_CXFRAME), GetSystemMetrics(SM_CYFRAME)}},
      {VT_TOOLBAR, {2, 2}},
      {VT_POPUPMENU, {3, 3}},
      {VT_LISTPOPUP, {1, 1}},
      {VT_STATUSBAR, {0, 0}}};
  for (auto [vt, border] : borders) EXPECT_EQ(theme->GetViewBorder(vt), border) << std::hex << vt;

  TUiMargins floating = theme->GetViewMargins(VT_TOOLBAR | VT_FLOATING);
  EXPECT_EQ(floating, (TUiMargins{.Left = 4, .Right = 2, .Top = 4, .Bottom = 1}));
  EXPECT_EQ(theme->GetViewMargins(VT_TOOLBAR), TUiMargins{});
  EXPECT_EQ(theme->GetMargins(7), TUiMargins{});
  if (!Styled()) {
    EXPECT_EQ(theme->GetMargins(1), (TUiMargins{2, 2, 2, 2}));
    EXPECT_EQ(theme->GetMargins(2), (TUiMargins{.Left = 0, .Right = 0, .Top = 2, .Bottom = 2}));
    // Status-bar panels: wider on the right, never read in a rectangle's order.
    EXPECT_EQ(theme->GetMargins(3), (TUiMargins{.Left = 1, .Right = 3, .Top = 1, .Bottom = 1}));
  }
}

TEST_P(DefaultThemeTest, ItemColours) {
  const bool vistaStyled = UiIsVistaOrLater() && Styled();
  struct {
    TUiItemInfo Info;
    TColor Text;
  } cases[] = {
      {Item(VT_TOOLBAR, ISF_DISABLED), clGrayText},
      {Item(VT_TOOLBAR, ISF_HOT), clBtnText},
      {Item(VT_MENUBAR, 0, IO_TOOLBARSTYLE | IO_APPACTIVE), FlatMenuStyle ? MenuTextColor : clBtnText},
      {Item(VT_MENUBAR, 0, IO_TOOLBARSTYLE), clGrayText},  // the application is inactive
      {Item(VT_POPUPMENU, ISF_HOT, 0), vistaStyled ? MenuTextColor : clHighlightText},
      {Item(VT_POPUPMENU, 0, 0), MenuTextColor},
  };
  for (auto& c : cases) EXPECT_EQ(theme->GetItemTextColor(c.Info), c.Text) << c.Info.ViewType;
  EXPECT_EQ(theme->GetItemColor(Item(VT_POPUPMENU, ISF_HOT, 0)), Styled() ? MenuColor : clHighlight);
  EXPECT_EQ(theme->GetItemColor(Item(VT_POPUPMENU, ISF_HOT)), MenuColor);  // toolbar-style
  EXPECT_EQ(theme->GetItemImageBackground(Item(VT_TOOLBAR, 0)), theme->ToolbarColor);
  EXPECT_EQ(theme->GetImageOffset(nullptr, Item(VT_TOOLBAR, ISF_PUSHED), nullptr), (TPoint{1, 1}));
}

TEST_P(DefaultThemeTest, ColoursAreRebuiltOnlyInTheSecondPhase) {
  TColor before = theme->ToolbarColor;
  theme->ToolbarColor = clRed;
  TMessage m{UM_SYSTEMCHANGE, 1, 0, 0};
  theme->Dispatch(m);
  EXPECT_EQ(theme->ToolbarColor, clRed);
  m.WParam = 2;
  theme->Dispatch(m);
  EXPECT_EQ(theme->ToolbarColor, before);
}

// A pushed image moves one pixel, however the viewer asked for the offset.
TEST_P(DefaultThemeTest, PushedImageMovesOnePixel) {
  TImageList list(nullptr);
  list.SetWidth(4);
  list.SetHeight(4);
  TBitmap image;
  image.SetSize(4, 4);
  PatBlt(image.Canvas()->Handle(), 0, 0, 4, 4, BLACKNESS);
  ASSERT_EQ(list.AddMasked(&image, clWhite), 0);
  for (int flags : {0, ISF_PUSHED, ISF_SELECTED}) {
    TTestPicture pic(12, 12);
    theme->PaintImage(On(pic), TRect{2, 2, 6, 6}, Item(VT_TOOLBAR, flags), &list, 0);
    int shift = flags ? 1 : 0;
    EXPECT_NE(pic.At(2 + shift, 2 + shift), 0xFFFFFFu) << flags;
    if (flags) {
      EXPECT_EQ(pic.At(2, 2), 0xFFFFFFu);
    }
    EXPECT_EQ(pic.At(7 + shift, 5), 0xFFFFFFu) << "moved two pixels";
  }
  TTestPicture pic(12, 12);
  theme->PaintImage(On(pic), TRect{2, 2, 6, 6}, Item(VT_TOOLBAR, 0), &list, 5);  // no such image
  EXPECT_EQ(pic.Count(TRect{0, 0, 12, 12}, 0xFFFFFF), 144);
}

TEST_P(DefaultThemeTest, BackgroundSeparatorAndPopupFrame) {
  TTestPicture pic(40, 20, kMagenta);
  theme->PaintBackgnd(On(pic), TRect{0, 0, 40, 20}, TRect{0, 0, 30, 20}, TRect{10, 5, 40, 20}, clBlue, false, 0);
  EXPECT_EQ(pic.Count(TRect{0, 0, 40, 20}, 0xFF0000), 20 * 15);  // only the intersection
  theme->PaintBackgnd(On(pic), TRect{}, TRect{0, 0, 40, 20}, TRect{0, 0, 40, 20}, clRed, true, 0);
  EXPECT_EQ(pic.Count(TRect{0, 0, 40, 20}, 0x0000FF), 0);

  TTestPicture sep(20, 10, kMagenta);
  theme->PaintSeparator(On(sep), TRect{0, 0, 20, 10}, Item(VT_TOOLBAR, 0), true, false);
  EXPECT_EQ(sep.At(5, 4), Sys(theme->ShadowColor));
  EXPECT_EQ(sep.At(5, 5), Sys(theme->HighlightColor));
  EXPECT_EQ(sep.At(5, 3), kMagenta);
  TTestPicture vsep(10, 20, kMagenta);
  theme->PaintSeparator(On(vsep), TRect{0, 0, 10, 20}, Item(VT_TOOLBAR, 0), false, false);
  EXPECT_EQ(vsep.At(4, 7), Sys(theme->ShadowColor));
  EXPECT_EQ(vsep.At(5, 7), Sys(theme->HighlightColor));

  TTestPicture list(20, 20, kMagenta);
  TUiPopupInfo info;
  info.ViewType = VT_LISTPOPUP;
  theme->PaintPopupNCArea(On(list), TRect{0, 0, 20, 20}, info);
  EXPECT_EQ(list.At(0, 0), Sys(clWindowFrame));
  EXPECT_EQ(list.At(1, 5), Sys(clWindow));
  EXPECT_EQ(list.At(2, 5), Sys(clWindow));
  EXPECT_EQ(list.At(3, 5), kMagenta);
  info.ViewType = VT_POPUPMENU;  // flat: a shadow frame; classic: a raised edge; then the menu colour
  theme->PaintPopupNCArea(On(list), TRect{0, 0, 20, 20}, info);
  EXPECT_EQ(list.At(0, 19), Sys(FlatMenuStyle ? clBtnShadow : cl3DDkShadow));
  EXPECT_EQ(list.At(2, 5), Sys(MenuColor));
}

TEST_P(DefaultThemeTest, StatusBarParts) {
  TTestPicture pic(40, 20, kMagenta);
  theme->PaintStatusBar(On(pic), TRect{0, 0, 40, 20}, 0);
  EXPECT_EQ(pic.Count(TRect{0, 0, 40, 20}, kMagenta), 0);
  if (Styled()) return;
  EXPECT_EQ(pic.At(10, 10), Sys(theme->StatusBarColor));
  TTestPicture panel(40, 20, kMagenta);
  theme->PaintStatusBar(On(panel), TRect{0, 0, 40, 20}, 1);
  EXPECT_EQ(panel.At(0, 0), Sys(clBtnShadow));
  EXPECT_EQ(panel.At(37, 19), Sys(clBtnHighlight));  // two pixels in on the right
  EXPECT_EQ(panel.At(38, 10), kMagenta);
  theme->PaintStatusBar(On(panel), TRect{0, 0, 40, 20}, 2);
  EXPECT_EQ(panel.At(39, 19), Sys(clBtnHighlight));
  for (auto [size, lines] : {std::pair{8, 2}, {12, 3}, {16, 4}}) {
    TTestPicture grip(size, size, kMagenta);
    theme->PaintStatusBar(On(grip), TRect{0, 0, size, size}, 3);
    // The corner diagonal of each group: one light line, then the darker ones.
    EXPECT_EQ(grip.At(size - 1, size - 1), Sys(clBtnHighlight)) << size;
    EXPECT_EQ(grip.At(size - lines, size - 1), Sys(clBtnShadow)) << size;
    EXPECT_EQ(grip.At(size - lines - 1, size - 1), Sys(theme->StatusBarColor)) << size;
  }
}

TEST_P(DefaultThemeTest, ButtonsAndMenuItems) {
  TTestPicture hot(20, 20, kMagenta);
  theme->PaintButton(On(hot), TRect{0, 0, 20, 20}, Item(VT_TOOLBAR, ISF_HOT));
  EXPECT_LT(hot.Count(TRect{0, 0, 20, 20}, kMagenta), 400);
  TTestPicture idle(20, 20, kMagenta);
  theme->PaintButton(On(idle), TRect{0, 0, 20, 20}, Item(VT_TOOLBAR, 0));
  if (!Styled()) {
    EXPECT_EQ(idle.Count(TRect{0, 0, 20, 20}, kMagenta), 400);  // a classic idle button is flat
    EXPECT_EQ(hot.At(0, 0), Sys(clBtnHighlight));
    EXPECT_EQ(hot.At(19, 19), Sys(clBtnShadow));
    TTestPicture sel(20, 20, kMagenta);
    theme->PaintButton(On(sel), TRect{0, 0, 20, 20}, Item(VT_TOOLBAR, ISF_SELECTED));
    EXPECT_EQ(sel.At(0, 0), Sys(clBtnShadow));
    EXPECT_EQ(sel.At(5, 5) == Sys(clBtnHighlight) ? sel.At(6, 5) : sel.At(5, 5), Sys(theme->ToolbarColor));

    TTestPicture menu(40, 20, kMagenta);
    theme->PaintMenuItem(On(menu), TRect{0, 0, 40, 20}, Item(VT_POPUPMENU, ISF_HOT, IO_SUBMENU));
    EXPECT_EQ(menu.At(2, 2), Sys(clHighlight));
    EXPECT_GT(menu.Count(TRect{20, 0, 40, 20}, Sys(clHighlightText)), 3);  // the sub-menu arrow
  }
  TTestPicture chevron(16, 16, kMagenta);
  theme->PaintChevron(On(chevron), TRect{0, 0, 16, 16}, Item(VT_TOOLBAR, 0));
  EXPECT_EQ(chevron.Count(TRect{0, 0, 16, 16}, Sys(clBtnText)), 20);  // the 5-row double arrow
  TTestPicture mdi(20, 20, kMagenta);
  theme->PaintMDIButton(On(mdi), TRect{0, 0, 16, 16}, Item(VT_TOOLBAR, 0), DFCS_CAPTIONCLOSE);
  TTestPicture pushedMdi(20, 20, kMagenta);
  theme->PaintMDIButton(On(pushedMdi), TRect{0, 0, 16, 16}, Item(VT_TOOLBAR, ISF_PUSHED), DFCS_CAPTIONCLOSE);
  int n = mdi.Count(TRect{0, 0, 20, 20}, Sys(clBtnText));
  EXPECT_GT(n, 10);
  EXPECT_EQ(pushedMdi.Count(TRect{2, 2, 20, 20}, Sys(clBtnText)), n);
  EXPECT_EQ(mdi.At(4, 4), Sys(clBtnText));
  EXPECT_EQ(pushedMdi.At(6, 6), Sys(clBtnText));
}

TEST_P(DefaultThemeTest, ChecksFramesAndEdits) {
  TTestPicture check(16, 16, kMagenta);
  theme->PaintFrameControl(On(check), TRect{0, 0, 13, 13}, 1, 0, nullptr);
  EXPECT_LT(check.Count(TRect{0, 0, 13, 13}, kMagenta), 169);
  if (!Styled()) {
    EXPECT_EQ(check.At(0, 0), Sys(clBtnShadow));
    EXPECT_EQ(check.At(6, 6), Sys(clWindow));
    theme->PaintFrameControl(On(check), TRect{0, 0, 13, 13}, 1, 1 | 4, nullptr);
    EXPECT_EQ(check.At(1, 1), Sys(clBtnFace));
    EXPECT_GT(check.Count(TRect{0, 0, 13, 13}, Sys(clGrayText)), 8);
    TTestPicture mark(16, 16, kMagenta);
    theme->PaintCheckMark(On(mark), TRect{0, 0, 16, 16}, Item(VT_POPUPMENU, 0, 0));
    EXPECT_GT(mark.Count(TRect{4, 4, 12, 12}, Sys(MenuTextColor)), 8);
  }
  TTestPicture edit(60, 20, kMagenta);
  TUiEditFrameInfo info;
  info.ButtonKind = 1;
  theme->PaintEditFrame(On(edit), TRect{0, 0, 60, 20}, Item(VT_TOOLBAR, 0), info);
  EXPECT_EQ(edit.At(20, 10), Sys(clWindow));
  if (!Styled()) {
    EXPECT_EQ(edit.At(0, 0), Sys(theme->ToolbarColor));
    EXPECT_EQ(edit.At(1, 1), Sys(clWindow));
    EXPECT_GT(edit.Count(TRect{45, 0, 60, 20}, Sys(clBtnText)), 3);  // the drop-down arrow
  }
}

// A designed edit item's frame is drawn as a hot one, so that a designer sees the field.
TEST_P(DefaultThemeTest, ADesignedFrameIsDrawnAsAHotOne) {
  auto frame = [&](uint32_t Options, int Flags) {
    auto pic = std::make_unique<TTestPicture>(60, 20, kMagenta);
    theme->PaintFrame(On(*pic), TRect{0, 0, 60, 20}, Item(VT_TOOLBAR, Flags, Options));
    return pic;
  };
  auto idle = frame(IO_TOOLBARSTYLE, 0);
  auto designed = frame(IO_TOOLBARSTYLE | IO_DESIGNING, 0);
  auto hot = frame(IO_TOOLBARSTYLE, ISF_HOT);
  EXPECT_TRUE(designed->Matches(*hot, false));
  EXPECT_FALSE(designed->Matches(*idle, false));
}

TEST_P(DefaultThemeTest, ToolbarFrameAndHandle) {
  TTestPicture pic(60, 24, kMagenta);
  TCanvas* c = On(pic);
  c->Brush()->SetColor(clBlue);
  TUiToolbarInfo info;
  info.DragHandleStyle = 0;  // double
  theme->PaintToolbarNCArea(c, TRect{0, 0, 60, 24}, info);
  EXPECT_EQ(pic.At(40, 10), 0xFF0000u);                        // filled with the toolbar's colour
  EXPECT_LT(pic.Count(TRect{0, 0, 9, 24}, 0xFF0000), 9 * 24);  // the grip
  EXPECT_EQ(pic.Count(TRect{9, 0, 60, 24}, 0xFF0000), 51 * 24);
  if (!Styled()) {
    EXPECT_EQ(pic.At(2, 5), Sys(clBtnHighlight));  // a raised strip at offset 2
  }
  info.DragHandleStyle = 1;  // none
  theme->PaintToolbarNCArea(c, TRect{0, 0, 60, 24}, info);
  EXPECT_EQ(pic.Count(TRect{0, 0, 60, 24}, 0xFF0000), 60 * 24);
  info.CloseButtonState = 1;
  theme->PaintToolbarNCArea(c, TRect{0, 0, 60, 24}, info);
  EXPECT_GT(pic.Count(TRect{0, 0, 14, 14}, Sys(clBtnText)), 10);  // the cross
  EXPECT_EQ(pic.Count(TRect{14, 0, 60, 24}, 0xFF0000), 46 * 24);
}

TEST_P(DefaultThemeTest, DockFloatingBorderAndDockPanel) {
  TTestPicture dock(60, 30, kMagenta);
  theme->PaintDock(On(dock), TRect{0, 0, 60, 30}, TRect{0, 0, 60, 30}, 0);
  EXPECT_EQ(dock.Count(TRect{0, 0, 60, 30}, kMagenta) == 60 * 30, !Styled());  // styled only
  TTestPicture border(80, 40, kMagenta);
  TUiFloatingBorderInfo f;
  f.BorderSize = {3, 3};
  f.ShowCaption = true;
  f.Caption = L"Tools";
  f.CloseButtonState = 1;
  f.PaintParts = 1 | 2 | 4;
  theme->PaintFloatingBorder(On(border), TRect{0, 0, 80, 40}, f);
  EXPECT_NE(border.At(1, 20), kMagenta);
  EXPECT_NE(border.At(40, 5), kMagenta);
  EXPECT_EQ(border.At(40, 35), kMagenta);  // the client area is left alone
  TTestPicture panel(80, 40, kMagenta);
  TUiDockPanelInfo d;
  d.Caption = L"Panel";
  theme->PaintDockPanelNCArea(On(panel), TRect{0, 0, 80, 40}, d);
  EXPECT_EQ(panel.At(0, 39), Sys(theme->ToolbarColor));
  EXPECT_EQ(panel.At(70, 5), Sys(theme->ToolbarColor));
  EXPECT_EQ(panel.At(40, 30), kMagenta);
}

// The bounding box of the pixels of one colour.
TRect Extent(const TTestPicture& pic, const TRect& R, uint32_t C) {
  TRect box{R.Right, R.Bottom, R.Left, R.Top};
  for (int y = R.Top; y < R.Bottom; ++y)
    for (int x = R.Left; x < R.Right; ++x)
      if (pic.At(x, y) == C)
        box = {std::min(box.Left, x), std::min(box.Top, y), std::max(box.Right, x + 1), std::max(box.Bottom, y + 1)};
  return box;
}

TEST_P(DefaultThemeTest, CaptionsByStateAndColour) {
  const TRect area{0, 0, 60, 20};
  auto paint = [&](TTestPicture& pic, const TUiItemInfo& info, TColor fontColor) {
    TCanvas* c = On(pic);
    c->Font()->SetColor(fontColor);
    theme->PaintCaption(c, TRect{4, 2, 60, 20}, info, L"Wg", DT_SINGLELINE | DT_NOPREFIX, false);
    EXPECT_EQ(c->Font()->Color(), fontColor);  // the canvas font keeps its colour
  };
  TTestPicture plain(60, 20, kMagenta);
  paint(plain, Item(VT_TOOLBAR, 0), clNone);  // clNone: the item's own text colour
  TRect at = Extent(plain, area, Sys(clBtnText));
  ASSERT_FALSE(at.IsEmpty());
  EXPECT_GT(plain.Count(area, kMagenta), 900);  // the brush is transparent
  TTestPicture red(60, 20, kMagenta);
  paint(red, Item(VT_TOOLBAR, 0), clRed);
  EXPECT_EQ(Extent(red, area, 0x0000FF), at);
  TTestPicture pushed(60, 20, kMagenta);
  paint(pushed, Item(VT_TOOLBAR, ISF_PUSHED), clNone);
  EXPECT_EQ(Extent(pushed, area, Sys(clBtnText)), (TRect{at.Left + 1, at.Top + 1, at.Right + 1, at.Bottom + 1}));
  TTestPicture menu(60, 20, kMagenta);
  paint(menu, Item(VT_POPUPMENU, ISF_PUSHED, 0), clNone);  // menu-style items stay in place
  EXPECT_EQ(Extent(menu, area, Sys(MenuTextColor)), at);
  TTestPicture disabled(60, 20, kMagenta);
  paint(disabled, Item(VT_TOOLBAR, ISF_DISABLED), clNone);
  if (Styled()) {
    EXPECT_EQ(Extent(disabled, area, Sys(clGrayText)), at);
    EXPECT_EQ(disabled.Count(area, Sys(clBtnHighlight)), 0);
  } else {
    // Embossed: a light copy one pixel right and down under the shadow-coloured text.
    EXPECT_EQ(Extent(disabled, area, Sys(clBtnShadow)), at);
    TRect light = Extent(disabled, area, Sys(clBtnHighlight));
    EXPECT_EQ(light.Right, at.Right + 1);
    EXPECT_EQ(light.Bottom, at.Bottom + 1);
  }
}

TEST_P(DefaultThemeTest, MenuSeparatorsAndStyledColours) {
  TTestPicture sep(20, 10, kMagenta);
  TUiItemInfo info = Item(VT_POPUPMENU, 0, 0);
  theme->PaintSeparator(On(sep), TRect{0, 0, 20, 10}, info, true, true);
  const int amount = UiIsVistaOrLater() && Styled() ? -20 : -40;
  EXPECT_EQ(sep.At(15, 4), Sys(clBtnShadow));
  EXPECT_EQ(sep.At(15, 5), Sys(ShiftColorChannels(theme->ToolbarColor, amount)));
  if (!Styled()) {
    EXPECT_EQ(theme->HighlightColor, clBtnHighlight);
    return;
  }
  // The lines drawn on toolbars come from the style's rebar face at (25, 25), darkened by 30.
  HTHEME rebar = UiThemeHandle(ucRebar);
  ASSERT_NE(rebar, nullptr);
  TTestPicture face(32, 32, Sys(clBtnFace));
  RECT rc{0, 0, 32, 32};
  UxTheme().DrawThemeBackground(rebar, face.DC(), 0, 0, &rc, nullptr);
  TColor shadow = ShiftColorChannels(TColor(face.At(25, 25)), -30);
  EXPECT_EQ(Sys(theme->ShadowColor), Sys(shadow));
  if (UiIsVistaOrLater()) {
    EXPECT_EQ(Sys(theme->HighlightColor), Sys(ShiftColorChannels(shadow, 40)));
  }
}

INSTANTIATE_TEST_SUITE_P(Paths, DefaultThemeTest, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& p) { return p.param ? "Styled" : "Classic"; });

}  // namespace

TEST_P(DefaultThemeTest, ACheckedMenuItemWithAnImageIsFramedHotOrNot) {
  // The same menu row painted unchecked and checked (selected), idle and hot: the checked one
  // differs in its image column and only there; a disabled one stays as it was.
  auto paint = [&](int Flags, bool Enabled) {
    auto pic = std::make_unique<TTestPicture>(120, 22, kMagenta);
    TUiItemInfo info = Item(VT_POPUPMENU, Flags, 0);
    info.Enabled = Enabled;
    info.ImageShown = 1;
    info.ImageWidth = info.ImageHeight = 16;
    info.PopupMargin = 22;
    theme->PaintMenuItem(On(*pic), TRect{0, 0, 120, 22}, info);
    return pic;
  };
  auto differing = [](const TTestPicture& A, const TTestPicture& B, int Left, int Right) {
    int n = 0;
    for (int y = 0; y < A.Height(); ++y)
      for (int x = Left; x < Right; ++x) n += A.At(x, y) != B.At(x, y);
    return n;
  };
  const int column = theme->GetIntegerMetrics(32) + 22;
  for (int hot : {0, ISF_HOT}) {
    auto off = paint(hot, true), on = paint(hot | ISF_SELECTED, true);
    EXPECT_GT(differing(*off, *on, 0, column), 20) << hot;
    EXPECT_EQ(differing(*off, *on, column + 1, 120), 0) << hot;
  }
  auto offDisabled = paint(0, false), onDisabled = paint(ISF_SELECTED, false);
  EXPECT_EQ(differing(*offDisabled, *onDisabled, 0, 120), 0);
}

// A page-scroll button's triangle points the way its type names: its tip is the narrow end.
TEST_P(DefaultThemeTest, PageScrollArrowsPointTheWayOfTheirButton) {
  const TRect top{0, 0, 16, 8}, bottom{0, 8, 16, 16}, left{0, 0, 8, 16}, right{8, 0, 16, 16};
  const struct {
    int Type;
    TRect Tip, Base;
  } cases[] = {{1, top, bottom}, {2, bottom, top}, {3, left, right}, {4, right, left}};
  for (const auto& c : cases) {
    TTestPicture pic(16, 16, kMagenta);
    theme->PaintPageScrollButton(On(pic), TRect{0, 0, 16, 16}, c.Type, false);
    EXPECT_LT(pic.Count(c.Tip, Sys(clBtnText)), pic.Count(c.Base, Sys(clBtnText))) << c.Type;
  }
}

// Classic: a checked button that is not hot shows the dither in its face, pushed or not.
TEST_P(DefaultThemeTest, ACheckedButtonNotHotIsDithered) {
  if (Styled()) GTEST_SKIP() << "the classic face only";
  const struct {
    int Flags;
    bool Dithered;
  } cases[] = {{ISF_SELECTED, true}, {ISF_SELECTED | ISF_PUSHED, true}, {ISF_SELECTED | ISF_HOT, false}};
  for (const auto& c : cases) {
    TTestPicture pic(20, 20, kMagenta);
    theme->PaintButton(On(pic), TRect{0, 0, 20, 20}, Item(VT_TOOLBAR, c.Flags));
    EXPECT_EQ(pic.Count(TRect{2, 2, 18, 18}, Sys(clBtnHighlight)) > 0, c.Dithered) << c.Flags;
  }
}

// Classic: a transparent toolbar's edit frame sinks while hot, pushed, checked or designed; page scrolls have no edge.
TEST_P(DefaultThemeTest, ClassicTransparentFrameAndPageScrollEdges) {
  if (Styled()) GTEST_SKIP() << "the classic frames only";
  const uint32_t darkShadow = GetSysColor(COLOR_3DDKSHADOW) & 0xFFFFFF, light = GetSysColor(COLOR_3DLIGHT) & 0xFFFFFF;
  for (auto [flags, options] : {std::pair{ISF_HOT, IO_TOOLBARSTYLE},
                                {ISF_PUSHED, IO_TOOLBARSTYLE},
                                {ISF_SELECTED, IO_TOOLBARSTYLE},
                                {0, IO_TOOLBARSTYLE | IO_DESIGNING}}) {
    TTestPicture pic(60, 20, kMagenta);
    theme->PaintFrame(On(pic), TRect{0, 0, 60, 20}, Item(VT_TOOLBAR, flags, options));
    EXPECT_EQ(std::tuple(pic.At(10, 0), pic.At(10, 19)), std::tuple(darkShadow, light)) << flags << " " << options;
  }
  for (bool hot : {false, true}) {
    TTestPicture pic(16, 16, kMagenta);
    theme->PaintPageScrollButton(On(pic), TRect{0, 0, 16, 16}, 2, hot);
    EXPECT_EQ(pic.Count(TRect{0, 0, 16, 1}, kMagenta) + pic.Count(TRect{0, 0, 1, 16}, kMagenta), 32) << hot;
  }
}
