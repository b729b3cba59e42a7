// The visual-styles library bound at run time: loaded, released, missing, on and off.
#include <gtest/gtest.h>

#include "themes/UiUxThemes.h"

namespace {

int appThemedCalls = 0;
int themeActiveCalls = 0;
BOOL appThemedAnswer = TRUE;
BOOL themeActiveAnswer = TRUE;
BOOL WINAPI FakeIsAppThemed() {
  ++appThemedCalls;
  return appThemedAnswer;
}
BOOL WINAPI FakeIsThemeActive() {
  ++themeActiveCalls;
  return themeActiveAnswer;
}

struct UxThemesTest : testing::Test {
  void TearDown() override {
    FreeVisualStyles();
    UxThemeLibraryName() = L"uxtheme.dll";
  }
};

TEST_F(UxThemesTest, LoadsEveryEntryAndReleasesThem) {
  FreeVisualStyles();
  ASSERT_TRUE(LoadVisualStyles());
  HMODULE module = UxThemeModule();
  ASSERT_NE(module, nullptr);
  EXPECT_TRUE(LoadVisualStyles());  // already loaded: the same module
  EXPECT_EQ(UxThemeModule(), module);
  const TUxThemeEntries& e = UxTheme();
  // The entries the painters and the usability test call.
  const void* used[] = {reinterpret_cast<const void*>(e.OpenThemeData),
                        reinterpret_cast<const void*>(e.CloseThemeData),
                        reinterpret_cast<const void*>(e.DrawThemeBackground),
                        reinterpret_cast<const void*>(e.DrawThemeText),
                        reinterpret_cast<const void*>(e.GetThemeBackgroundContentRect),
                        reinterpret_cast<const void*>(e.GetThemeTextExtent),
                        reinterpret_cast<const void*>(e.GetThemeBackgroundRegion),
                        reinterpret_cast<const void*>(e.GetThemeColor),
                        reinterpret_cast<const void*>(e.GetThemeMargins),
                        reinterpret_cast<const void*>(e.IsAppThemed),
                        reinterpret_cast<const void*>(e.IsThemeActive)};
  for (const void* p : used) EXPECT_NE(p, nullptr);
  EXPECT_EQ(reinterpret_cast<void*>(e.OpenThemeData), reinterpret_cast<void*>(GetProcAddress(module, "OpenThemeData")));
  EXPECT_EQ(reinterpret_cast<void*>(e.EnableTheming), reinterpret_cast<void*>(GetProcAddress(module, "EnableTheming")));
  // The real answer agrees with the library's own.
  EXPECT_EQ(VisualStylesUsable(), IsAppThemed() && IsThemeActive());

  FreeVisualStyles();
  EXPECT_EQ(UxThemeModule(), nullptr);
  EXPECT_EQ(UxTheme().OpenThemeData, nullptr);
  EXPECT_EQ(UxTheme().IsThemeActive, nullptr);
  EXPECT_FALSE(VisualStylesUsable());
  FreeVisualStyles();  // twice is harmless
  EXPECT_TRUE(LoadVisualStyles());
}

TEST_F(UxThemesTest, MissingLibraryLeavesTheTableEmpty) {
  FreeVisualStyles();
  UxThemeLibraryName() = L"no-such-uxtheme-library.dll";
  EXPECT_FALSE(LoadVisualStyles());
  EXPECT_EQ(UxThemeModule(), nullptr);
  EXPECT_EQ(UxTheme().OpenThemeData, nullptr);
  EXPECT_FALSE(VisualStylesUsable());
}

TEST_F(UxThemesTest, UsableOnlyWhenBothAnswersAreYes) {
  struct {
    BOOL AppThemed, ThemeActive;
    bool Usable;
    int ActiveCalls;
  } cases[] = {{TRUE, TRUE, true, 1}, {TRUE, FALSE, false, 1}, {FALSE, TRUE, false, 0}, {FALSE, FALSE, false, 0}};
  ASSERT_TRUE(LoadVisualStyles());
  for (const auto& c : cases) {
    UxTheme().IsAppThemed = FakeIsAppThemed;
    UxTheme().IsThemeActive = FakeIsThemeActive;
    appThemedAnswer = c.AppThemed;
    themeActiveAnswer = c.ThemeActive;
    appThemedCalls = themeActiveCalls = 0;
    EXPECT_EQ(VisualStylesUsable(), c.Usable);
    EXPECT_EQ(appThemedCalls, 1);
    EXPECT_EQ(themeActiveCalls, c.ActiveCalls);  // not asked when the application is not themed
  }
}

}  // namespace
