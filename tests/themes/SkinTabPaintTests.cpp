// The four tab styles by their pixels: the pane under the tabs and single tabs.
#include <gtest/gtest.h>

#include "framework/VisualStyles.h"
#include "tests/themes/SkinPictureSupport.h"
#include "themes/SkinTabs.h"
#include "themes/Ui.h"

namespace {

constexpr COLORREF Pane = 0x55AA00;

struct TPicture : TSkinPicture {
  TPicture(int W, int H) : TSkinPicture(W, H, 0x0000FF, Pane) {}
};

COLORREF sys(TColor C) { return ColorToRGB(C) & 0xFFFFFF; }

bool stylesUsable() { return LoadVisualStyles() && VisualStylesUsable(); }

}  // namespace

TEST(SkinTabPaint, PaneInFlatStyles) {
  UiStartUp();
  struct {
    TSkinTabThemeType Style;
    COLORREF Outer[2];  // top-left, bottom-right of the outer ring
    COLORREF Inner[2];  // of the second ring
  } cases[] = {{tttNone, {sys(clWindow), sys(clWindowFrame)}, {Pane, sys(clBtnShadow)}},
               {tttFlat, {sys(clWindow), sys(clBtnShadow)}, {Pane, Pane}}};
  for (auto& c : cases) {
    TPicture p(60, 30);
    DrawTabToolbarBackground(p.Canvas(), TRect(0, 0, 60, 30), static_cast<TColor>(Pane), c.Style, ttpTop);
    SCOPED_TRACE(static_cast<int>(c.Style));
    EXPECT_EQ(p.At(0, 0), c.Outer[0]);
    EXPECT_EQ(p.At(59, 29), c.Outer[1]);
    EXPECT_EQ(p.At(1, 1), c.Inner[0]);
    EXPECT_EQ(p.At(58, 28), c.Inner[1]);
    EXPECT_EQ(p.At(30, 15), Pane);
  }
}

TEST(SkinTabPaint, StyleInUse) {
  UiStartUp();
  TSkinTabThemeType windows = stylesUsable() ? tttWindows : tttNone;
  EXPECT_EQ(GetTabThemeTypeInUse(tttUi), windows);  // under "Default"
  EXPECT_EQ(GetTabThemeTypeInUse(tttWindows), windows);
  EXPECT_EQ(GetTabThemeTypeInUse(tttFlat), tttFlat);
  // Without visual styles the Windows style is the plain one.
  FreeVisualStyles();
  UxThemeLibraryName() = L"no-such-uxtheme-library.dll";
  EXPECT_EQ(GetTabThemeTypeInUse(tttWindows), tttNone);
  EXPECT_EQ(GetTabThemeTypeInUse(tttUi), tttNone);
  UxThemeLibraryName() = L"uxtheme.dll";
  LoadVisualStyles();
}

TEST(SkinTabPaint, PaneAndTabsOfTheWindowsStyle) {
  UiStartUp();
  if (!stylesUsable()) GTEST_SKIP() << "no visual styles in this prefix";
  TPicture top(60, 30), bottom(60, 30), plain(60, 30);
  DrawTabToolbarBackground(top.Canvas(), TRect(0, 0, 60, 30), clBtnFace, tttWindows, ttpTop);
  DrawTabToolbarBackground(bottom.Canvas(), TRect(0, 0, 60, 30), clBtnFace, tttWindows, ttpBottom);
  DrawTabToolbarBackground(plain.Canvas(), TRect(0, 0, 60, 30), clBtnFace, tttNone, ttpTop);
  EXPECT_TRUE(bottom.Matches(top, true));
  EXPECT_FALSE(top.Matches(plain, false));
  TPicture normal(40, 20), flipped(40, 20), active(40, 20);
  DrawTabItemBackground(normal.Canvas(), TRect(0, 0, 40, 20), true, 0, tttWindows, false, false, false, false);
  DrawTabItemBackground(flipped.Canvas(), TRect(0, 0, 40, 20), true, 0, tttWindows, true, false, false, false);
  DrawTabItemBackground(active.Canvas(), TRect(0, 0, 40, 20), true, 0, tttWindows, false, false, false, true);
  EXPECT_TRUE(flipped.Matches(normal, true));
  EXPECT_FALSE(active.Matches(normal, false));
}

TEST(SkinTabPaint, TabsInFlatStyles) {
  UiStartUp();
  struct {
    TSkinTabThemeType Style;
    bool Checked, Focused;
    COLORREF Corner, Centre, FocusAt;  // (0, 0), (20, 10), (3, 3)
  } cases[] = {
      {tttNone, false, false, 0x0000FF, 0x0000FF, 0x0000FF},  // an inactive plain tab: nothing
      {tttFlat, false, true, 0x0000FF, 0x0000FF, 0x0000FF},
      {tttNone, true, false, sys(clWindow), Pane, Pane},
      {tttFlat, true, false, sys(clWindow), Pane, Pane},
  };
  for (auto& c : cases) {
    TPicture p(40, 20);
    DrawTabItemBackground(p.Canvas(), TRect(0, 0, 40, 20), true, 1, c.Style, false, c.Focused, false, c.Checked);
    SCOPED_TRACE(testing::Message() << c.Style << c.Checked << c.Focused);
    EXPECT_EQ(p.At(0, 0), c.Corner);
    EXPECT_EQ(p.At(20, 10), c.Centre);
    EXPECT_EQ(p.At(3, 3), c.FocusAt);
  }
}
