// The visual-styles library bound at run time: one module handle, one table of entry points,
// and whether visual styles can be used now. The program runs on systems without the library.
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
// The library is loaded, IsAppThemed answers non-zero and then IsThemeActive does.
bool VisualStylesUsable();
// Releases the library and empties the table.
void FreeVisualStyles();
