// The four tab styles by their pixels: the pane under the tabs and single tabs.
#include <gtest/gtest.h>

#include "framework/Bitmap.h"
#include "themes/SkinTabs.h"
#include "themes/Ui.h"
#include "themes/UiUxThemes.h"

namespace {

constexpr COLORREF Pane = 0x55AA00;

struct TPicture {
  TPicture(int W, int H) : W(W), H(H) {
    Bitmap.SetPixelFormat(pf32bit);
    Bitmap.SetSize(W, H);
    Bitmap.Canvas()->Brush()->SetColor(static_cast<TColor>(0x0000FF));
    Bitmap.Canvas()->FillRect(TRect(0, 0, W, H));
    Bitmap.Canvas()->Brush()->SetColor(static_cast<TColor>(Pane));
  }
  COLORREF At(int X, int Y) { return GetPixel(Bitmap.Canvas()->Handle(), X, Y); }
  bool MirrorOf(TPicture& Other) {
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x)
        if (At(x, y) != Other.At(x, H - 1 - y)) return false;
    return true;
  }
  bool SameAs(TPicture& Other) {
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x)
        if (At(x, y) != Other.At(x, y)) return false;
    return true;
  }
  int W, H;
  TBitmap Bitmap;
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
    DrawTabToolbarBackground(p.Bitmap.Canvas(), TRect(0, 0, 60, 30), static_cast<TColor>(Pane), c.Style, ttpTop);
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
  EXPECT_EQ(GetTabThemeTypeInUse(tttNone), tttNone);
  EXPECT_EQ(ActiveTabExtension(tttNone, ttpBottom), 2);
  EXPECT_EQ(ActiveTabExtension(tttNone, ttpTop), 1);
  EXPECT_EQ(ActiveTabExtension(tttUi, ttpTop), 1);
  EXPECT_FALSE(TabUiStyleFlipped());
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
  DrawTabToolbarBackground(top.Bitmap.Canvas(), TRect(0, 0, 60, 30), clBtnFace, tttWindows, ttpTop);
  DrawTabToolbarBackground(bottom.Bitmap.Canvas(), TRect(0, 0, 60, 30), clBtnFace, tttWindows, ttpBottom);
  DrawTabToolbarBackground(plain.Bitmap.Canvas(), TRect(0, 0, 60, 30), clBtnFace, tttNone, ttpTop);
  EXPECT_TRUE(bottom.MirrorOf(top));
  EXPECT_FALSE(top.SameAs(plain));
  TPicture normal(40, 20), flipped(40, 20), active(40, 20);
  DrawTabItemBackground(normal.Bitmap.Canvas(), TRect(0, 0, 40, 20), true, 0, tttWindows, false, false, false, false);
  DrawTabItemBackground(flipped.Bitmap.Canvas(), TRect(0, 0, 40, 20), true, 0, tttWindows, true, false, false, false);
  DrawTabItemBackground(active.Bitmap.Canvas(), TRect(0, 0, 40, 20), true, 0, tttWindows, false, false, false, true);
  EXPECT_TRUE(flipped.MirrorOf(normal));
  EXPECT_FALSE(active.SameAs(normal));
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
    DrawTabItemBackground(p.Bitmap.Canvas(), TRect(0, 0, 40, 20), true, 1, c.Style, false, c.Focused, false, c.Checked);
    SCOPED_TRACE(testing::Message() << c.Style << c.Checked << c.Focused);
    EXPECT_EQ(p.At(0, 0), c.Corner);
    EXPECT_EQ(p.At(20, 10), c.Centre);
    EXPECT_EQ(p.At(3, 3), c.FocusAt);
  }
  // A focused active tab shows its focus rectangle 3 pixels inside.
  TPicture plain(40, 20), focused(40, 20);
  DrawTabItemBackground(plain.Bitmap.Canvas(), TRect(0, 0, 40, 20), true, 0, tttNone, false, false, false, true);
  DrawTabItemBackground(focused.Bitmap.Canvas(), TRect(0, 0, 40, 20), true, 0, tttNone, false, true, false, true);
  int row3 = 0, row2 = 0;
  for (int x = 0; x < 40; ++x) {
    row3 += plain.At(x, 3) != focused.At(x, 3);
    row2 += plain.At(x, 2) != focused.At(x, 2);
  }
  EXPECT_GT(row3, 10);
  EXPECT_EQ(row2, 0);
}
