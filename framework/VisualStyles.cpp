// Binds "uxtheme.dll" at run time and keeps the one answer to whether visual styles are on.
#include "framework/VisualStyles.h"

#include "framework/SystemHandles.h"

namespace {

struct TUxThemeState {
  TModuleHandle Module;
  TUxThemeEntries Entries;
  WideString LibraryName = L"uxtheme.dll";
  int Override = -1;
  unsigned Generation = 0;
};

TUxThemeState& State() {
  static TUxThemeState state;
  return state;
}

}  // namespace

TUxThemeEntries& UxTheme() { return State().Entries; }
HMODULE UxThemeModule() { return State().Module.Get(); }
WideString& UxThemeLibraryName() { return State().LibraryName; }

bool LoadVisualStyles() {
  TUxThemeState& s = State();
  if (s.Module) return true;
  s.Module = TModuleHandle(s.LibraryName.c_str());
  if (!s.Module) return false;
  ++s.Generation;
#define UI_UXTHEME_LOOKUP(Name) s.Entries.Name = s.Module.Proc<decltype(&::Name)>(#Name);
  UI_UXTHEME_ENTRIES(UI_UXTHEME_LOOKUP)
#undef UI_UXTHEME_LOOKUP
  return true;
}

bool VisualStylesUsable() {
  TUxThemeState& s = State();
  if (!s.Module) return false;
  if (s.Override >= 0) return s.Override != 0;
  if (!s.Entries.IsAppThemed || !s.Entries.IsAppThemed()) return false;
  return s.Entries.IsThemeActive && s.Entries.IsThemeActive();
}

void FreeVisualStyles() {
  TUxThemeState& s = State();
  if (!s.Module) return;
  s.Module.Reset();
  s.Entries = TUxThemeEntries();
  ++s.Generation;
}

bool ThemesActive() { return LoadVisualStyles() && UxTheme().OpenThemeData && VisualStylesUsable(); }

void SetThemesActiveOverride(int Value) {
  State().Override = Value < 0 ? -1 : (Value ? 1 : 0);
  ++State().Generation;
}

unsigned ThemeGeneration() { return State().Generation; }
void NotifyThemeChanged() { ++State().Generation; }
