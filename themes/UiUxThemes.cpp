// Binds "uxtheme.dll" at run time.
#include "themes/UiUxThemes.h"

namespace {

struct TUxThemeState {
  HMODULE Module = nullptr;
  TUxThemeEntries Entries;
  WideString LibraryName = L"uxtheme.dll";
  ~TUxThemeState() {
    if (Module) FreeLibrary(Module);
  }
};

TUxThemeState& State() {
  static TUxThemeState state;
  return state;
}

}  // namespace

TUxThemeEntries& UxTheme() { return State().Entries; }
HMODULE UxThemeModule() { return State().Module; }
WideString& UxThemeLibraryName() { return State().LibraryName; }

bool LoadVisualStyles() {
  TUxThemeState& s = State();
  if (s.Module) return true;
  UINT oldMode = SetErrorMode(SEM_NOOPENFILEERRORBOX | SEM_FAILCRITICALERRORS);
  s.Module = LoadLibraryW(s.LibraryName.c_str());
  SetErrorMode(oldMode);
  if (!s.Module) return false;
#define UI_UXTHEME_LOOKUP(Name) \
  s.Entries.Name = reinterpret_cast<decltype(&::Name)>(reinterpret_cast<void*>(GetProcAddress(s.Module, #Name)));
  UI_UXTHEME_ENTRIES(UI_UXTHEME_LOOKUP)
#undef UI_UXTHEME_LOOKUP
  return true;
}

bool VisualStylesUsable() {
  TUxThemeState& s = State();
  if (!s.Module) return false;
  if (!s.Entries.IsAppThemed || !s.Entries.IsAppThemed()) return false;
  return s.Entries.IsThemeActive && s.Entries.IsThemeActive();
}

void FreeVisualStyles() {
  TUxThemeState& s = State();
  if (!s.Module) return;
  FreeLibrary(s.Module);
  s.Module = nullptr;
  s.Entries = TUxThemeEntries();
}
