// The visual-styles library bound at run time, once for the whole program: one module, one table
// of entry points, one answer to whether visual styles are on, and one count of their changes
// that every cache of theme data compares with. The program runs on systems without the library.
#pragma once

#include "framework/Types.h"
#include "framework/Win.h"

#include <uxtheme.h>

// The entry points in the order they are looked up.
// clang-format off
#define UI_UXTHEME_ENTRIES(X)                                                                               \
  X(OpenThemeData) X(CloseThemeData) X(DrawThemeBackground) X(DrawThemeText) X(GetThemeBackgroundContentRect) \
  X(GetThemePartSize) X(GetThemeTextExtent) X(GetThemeTextMetrics) X(GetThemeBackgroundRegion)              \
  X(HitTestThemeBackground) X(DrawThemeEdge) X(DrawThemeIcon) X(IsThemePartDefined)                         \
  X(IsThemeBackgroundPartiallyTransparent) X(GetThemeColor) X(GetThemeMetric) X(GetThemeString)             \
  X(GetThemeBool) X(GetThemeInt) X(GetThemeEnumValue) X(GetThemePosition) X(GetThemeFont) X(GetThemeRect)   \
  X(GetThemeMargins) X(GetThemeIntList) X(GetThemePropertyOrigin) X(SetWindowTheme) X(GetThemeFilename)     \
  X(GetThemeSysColor) X(GetThemeSysColorBrush) X(GetThemeSysBool) X(GetThemeSysSize) X(GetThemeSysFont)     \
  X(GetThemeSysString) X(GetThemeSysInt) X(IsThemeActive) X(IsAppThemed) X(GetWindowTheme)                  \
  X(EnableThemeDialogTexture) X(IsThemeDialogTextureEnabled) X(GetThemeAppProperties)                       \
  X(SetThemeAppProperties) X(GetCurrentThemeName) X(GetThemeDocumentationProperty)                          \
  X(DrawThemeParentBackground) X(EnableTheming)
// clang-format on

// Each entry has the signature the library publishes; a missing one stays null.
struct TUxThemeEntries {
#define UI_UXTHEME_FIELD(Name) decltype(&::Name) Name = nullptr;
  UI_UXTHEME_ENTRIES(UI_UXTHEME_FIELD)
#undef UI_UXTHEME_FIELD
};

// The table; every entry is null while the library is not loaded.
TUxThemeEntries& UxTheme();
// The module handle, null while not loaded.
HMODULE UxThemeModule();
// The file loaded; tests name another one to see the library missing.
WideString& UxThemeLibraryName();

// Loads the library and fills the table (only reports success when it is loaded already).
bool LoadVisualStyles();
// The library is loaded, IsAppThemed answers non-zero and then IsThemeActive does (or the
// answer tests fixed with SetThemesActiveOverride).
bool VisualStylesUsable();
// Releases the library and empties the table.
void FreeVisualStyles();

// The one answer to "are visual styles on": the library loaded (on first use) and usable.
bool ThemesActive();
// Fixes the answer (0 or 1) for tests of both branches; -1 asks the system again.
void SetThemesActiveOverride(int Value);
// Counts the changes of visual styles (the library reloaded or released, an override set, a
// theme change seen): whatever was drawn or opened with an older count is stale.
unsigned ThemeGeneration();
// A window saw WM_THEMECHANGED.
void NotifyThemeChanged();
