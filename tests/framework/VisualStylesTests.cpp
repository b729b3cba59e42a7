// The visual-styles library bound at run time: loaded, released, missing, on and off, and the
// one answer with its count of changes.
#include <gtest/gtest.h>

#include "framework/VisualStyles.h"

namespace {

int appThemedCalls = 0, themeActiveCalls = 0;
BOOL appThemedAnswer = TRUE, themeActiveAnswer = TRUE;
BOOL WINAPI FakeIsAppThemed() { return ++appThemedCalls, appThemedAnswer; }
BOOL WINAPI FakeIsThemeActive() { return ++themeActiveCalls, themeActiveAnswer; }

struct UxThemesTest : testing::Test {
  void TearDown() override {
    FreeVisualStyles();
    UxThemeLibraryName() = L"uxtheme.dll";
    SetThemesActiveOverride(-1);
  }
};

TEST_F(UxThemesTest, LoadsEveryEntryAndReleasesThem) {
  FreeVisualStyles();
  ASSERT_TRUE(LoadVisualStyles());
  HMODULE module = UxThemeModule();
  ASSERT_NE(module, nullptr);
  EXPECT_TRUE(LoadVisualStyles());  // already loaded: the same module
  EXPECT_EQ(UxThemeModule(), module);
  // Every entry is what the library exports under its name.
#define CHECK_ENTRY(Name) \
  EXPECT_EQ(reinterpret_cast<void*>(UxTheme().Name), reinterpret_cast<void*>(GetProcAddress(module, #Name))) << #Name;
  UI_UXTHEME_ENTRIES(CHECK_ENTRY)
#undef CHECK_ENTRY
  // The real answer agrees with the library's own.
  EXPECT_EQ(VisualStylesUsable(), IsAppThemed() && IsThemeActive());

  FreeVisualStyles();
  EXPECT_EQ(UxThemeModule(), nullptr);
  EXPECT_EQ(UxTheme().OpenThemeData, nullptr);
  EXPECT_FALSE(VisualStylesUsable());
  FreeVisualStyles();  // twice is harmless

  UxThemeLibraryName() = L"no-such-uxtheme-library.dll";
  EXPECT_FALSE(LoadVisualStyles());
  EXPECT_EQ(UxTheme().OpenThemeData, nullptr);
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

TEST_F(UxThemesTest, OneAnswerForEveryLayer) {
  FreeVisualStyles();
  // The answer loads the library when nobody has yet.
  const bool system = IsAppThemed() && IsThemeActive();
  EXPECT_EQ(ThemesActive(), system);
  EXPECT_NE(UxThemeModule(), nullptr);
  const struct {
    int Override;
    bool Active;
  } cases[] = {{0, false}, {1, true}, {-1, system}};
  for (const auto& c : cases) {
    SetThemesActiveOverride(c.Override);
    EXPECT_EQ(ThemesActive(), c.Active) << c.Override;
    EXPECT_EQ(VisualStylesUsable(), c.Active) << c.Override;  // the table's own answer agrees
  }
  // Without the library nothing is themed, whatever a test fixed.
  FreeVisualStyles();
  UxThemeLibraryName() = L"no-such-uxtheme-library.dll";
  SetThemesActiveOverride(1);
  EXPECT_FALSE(ThemesActive());
  EXPECT_FALSE(VisualStylesUsable());
}

TEST_F(UxThemesTest, EveryChangeIsCounted) {
  ASSERT_TRUE(LoadVisualStyles());
  const struct {
    const char* Change;
    void (*Make)();
    bool Counted;
  } cases[] = {
      {"load when loaded", [] { LoadVisualStyles(); }, false},
      {"answer asked", [] { ThemesActive(); }, false},
      {"release", [] { FreeVisualStyles(); }, true},
      {"release when released", [] { FreeVisualStyles(); }, false},
      {"load", [] { LoadVisualStyles(); }, true},
      {"override", [] { SetThemesActiveOverride(0); }, true},
      {"override lifted", [] { SetThemesActiveOverride(-1); }, true},
      {"theme change seen", [] { NotifyThemeChanged(); }, true},
  };
  for (const auto& c : cases) {
    unsigned before = ThemeGeneration();
    c.Make();
    EXPECT_EQ(ThemeGeneration() != before, c.Counted) << c.Change;
  }
}

}  // namespace
