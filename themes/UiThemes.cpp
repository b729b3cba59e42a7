// The theme registry, the theme interface's helpers and the manager of system facts.
#include "themes/UiThemes.h"

#include <algorithm>

#include "framework/Application.h"
#include "framework/Controls.h"
#include "framework/Exceptions.h"
#include "framework/StrRoutines.h"
#include "framework/StringLists.h"
#include "framework/UtilityWindow.h"
#include "themes/UiUtils.h"

bool ThemesUsable = false;
bool FlatMenuStyle = false;
TColor MenuColor = clMenu;
TColor MenuTextColor = clMenuText;
TColor ToolbarFillColor = clBtnFace;
TColor ToolbarTextColor = clBtnText;
bool LowColorDisplay = false;
bool WhiteButtonFace = false;
bool LowColorOrWhiteFace = false;
TColor HotLightColor = clHighlight;

namespace {

struct TThemeRecord {
  AnsiString Name;
  TUiThemeClass ThemeClass = nullptr;
  TUiTheme* Instance = nullptr;
  int RefCount = 0;
};

const wchar_t* const kThemeClassNames[ucCount] = {L"BUTTON",   L"SCROLLBAR",   L"REBAR",  L"TOOLBAR", L"WINDOW",
                                                  L"COMBOBOX", L"EXPLORERBAR", L"STATUS", L"SPIN"};

struct TUiThemesUnit {
  std::vector<TThemeRecord> Registry;
  std::unique_ptr<TUiThemeManager> Manager;

  // The manager is made here, so that the units it uses are made first and end after it.
  TUiThemesUnit() {
    HotLightColor = GetSysColorBrush(COLOR_HOTLIGHT) ? clHotLight : clHighlight;
    Manager = std::make_unique<TUiThemeManager>();
  }
  ~TUiThemesUnit() {
    // Themes still held leave the manager's listeners while it exists.
    for (TThemeRecord& r : Registry) delete r.Instance;
    Registry.clear();
    Manager.reset();
  }
};

TUiThemesUnit& Unit() {
  static TUiThemesUnit unit;
  return unit;
}

bool SameName(const AnsiString& a, const AnsiString& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
           return lower(x) == lower(y);
         });
}

}  // namespace

HV_PUBLISH(TUiDispatcher) {}
HV_PUBLISH(TUiTheme) {}
HV_PUBLISH(TUiThemeManager) {}

// ---- item infos ----

int GetStateFlags(const TUiItemInfo& ItemInfo) {
  int flags = 0;
  if (!ItemInfo.Enabled) flags |= ISF_DISABLED;
  if (ItemInfo.HoverKind == 2) flags |= ISF_HOT;
  if (ItemInfo.Pushed) flags |= ISF_PUSHED;
  if (ItemInfo.Selected) flags |= ISF_SELECTED;
  return flags;
}

TUiItemInfo SimplifiedItemInfo(int Flags) {
  TUiItemInfo info;
  info.Enabled = (Flags & ISF_DISABLED) ? 0 : 1;
  info.HoverKind = (Flags & ISF_HOT) ? 2 : 0;
  info.Pushed = (Flags & ISF_PUSHED) ? 1 : 0;
  info.Selected = (Flags & ISF_SELECTED) ? 1 : 0;
  switch (Flags & 0xF00) {
    case 0x000:
      info.ViewType = VT_TOOLBAR;
      info.ItemOptions = IO_TOOLBARSTYLE;
      break;
    case 0x100: info.ViewType = VT_DOCKPANEL; break;
    case 0x200: info.ViewType = VT_STATUSBAR; break;
    default: info.ViewType = 0;
  }
  return info;
}

// ---- dispatch ----

void TUiDispatcher::Dispatch(TMessage&) {}

void UiDispatch(TObject* Listener, TMessage& Message) {
  if (auto* control = dynamic_cast<TControl*>(Listener))
    control->Dispatch(Message);
  else if (auto* receiver = dynamic_cast<TUiDispatcher*>(Listener))
    receiver->Dispatch(Message);
}

TUiTheme::TUiTheme(const AnsiString& AName) : name_(AName) {}

// ---- registry ----

void RegisterTheme(const AnsiString& Name, TUiThemeClass ThemeClass) {
  if (Name.empty() || !ThemeClass) throw Exception("Cannot register theme");
  TUiThemesUnit& u = Unit();
  if (FindThemeIndex(Name) >= 0) throw Exception("Theme " + Name + " is already registered");
  TThemeRecord r;
  r.Name = Name.substr(0, 255);
  r.ThemeClass = ThemeClass;
  u.Registry.push_back(r);
}

int FindThemeIndex(const AnsiString& Name) {
  const std::vector<TThemeRecord>& registry = Unit().Registry;
  for (size_t i = 0; i < registry.size(); ++i)
    if (SameName(registry[i].Name, Name)) return static_cast<int>(i);
  return -1;
}

bool IsThemeRegistered(const AnsiString& Name) { return FindThemeIndex(Name) >= 0; }

void ListThemes(TStrings* Strings) {
  UI_ASSERT(Strings != nullptr);
  for (const TThemeRecord& r : Unit().Registry) Strings->Add(r.Name);
}

TUiTheme* AcquireTheme(const AnsiString& Name) {
  int index = FindThemeIndex(Name);
  if (index < 0) throw Exception("Unknown theme " + Name);
  TThemeRecord& r = Unit().Registry[index];
  if (r.RefCount == 0) {
    UI_ASSERT(r.Instance == nullptr);
    TUiTheme* theme = r.ThemeClass(r.Name);
    r.Instance = theme;
    TMessage m{UM_SYSTEMCHANGE, static_cast<WPARAM>(Application && Application->Active() ? 1 : 0), 0, 0};
    theme->Dispatch(m);
  }
  ++r.RefCount;
  return r.Instance;
}

void ReleaseTheme(TUiTheme*& Theme) {
  // A null variable matches no record, not even one whose instance is gone.
  if (!Theme) throw Exception("Cannot release theme");
  for (TThemeRecord& r : Unit().Registry) {
    if (r.Instance != Theme) continue;
    if (r.RefCount < 1) throw Exception("Cannot release theme " + r.Name);
    if (--r.RefCount == 0) {
      TUiTheme* instance = r.Instance;
      r.Instance = nullptr;
      Theme = nullptr;
      delete instance;
    }
    return;
  }
  throw Exception("Cannot release theme");
}

void ClearThemeRegistry() {
  TUiThemesUnit& u = Unit();
  for (TThemeRecord& r : u.Registry) delete r.Instance;
  u.Registry.clear();
}

void AddSystemChangeListener(TObject* Obj) {
  if (TUiThemeManager* m = UiThemeManager()) m->AddListener(Obj);
}
void RemoveSystemChangeListener(TObject* Obj) {
  if (TUiThemeManager* m = UiThemeManager()) m->RemoveListener(Obj);
}

// ---- theme manager ----

HTHEME UiThemeHandle(TUiThemeClassId Id) {
  TUiThemeManager* m = UiThemeManager();
  return m ? m->ThemeHandle(Id) : nullptr;
}

TUiThemeManager* UiThemeManager() { return Unit().Manager.get(); }

bool IsWindowsNTAtLeast(int Major, int Minor) {
  OSVERSIONINFOW v{};
  v.dwOSVersionInfoSize = sizeof(v);
  if (!GetVersionExW(&v) || v.dwPlatformId != VER_PLATFORM_WIN32_NT) return false;
  return static_cast<int>(v.dwMajorVersion) > Major ||
         (static_cast<int>(v.dwMajorVersion) == Major && static_cast<int>(v.dwMinorVersion) >= Minor);
}

TUiThemeManager::TUiThemeManager() {
  window_ = std::make_unique<TUtilityWindow>([this](UINT Msg, WPARAM WParam, LPARAM LParam, LRESULT& Result) {
    return HandleMessage(Msg, WParam, LParam, Result);
  });
  SystemUpdate();
}

TUiThemeManager::~TUiThemeManager() {
  CloseHandles();
  FreeVisualStyles();
  window_.reset();
}

HWND TUiThemeManager::Handle() const { return window_ ? window_->Handle() : nullptr; }

void TUiThemeManager::RemoveListener(TObject* Obj) {
  auto it = std::find(listeners_.begin(), listeners_.end(), Obj);
  if (it != listeners_.end()) listeners_.erase(it);
}

void TUiThemeManager::CloseHandles() {
  for (HTHEME& h : handles_) {
    if (h && UxTheme().CloseThemeData) UxTheme().CloseThemeData(h);
    h = nullptr;
  }
}

void TUiThemeManager::SystemUpdate() {
  UiUtilsSystemChanged();
  {
    TWindowDC screen;
    LowColorDisplay = GetDeviceCaps(screen.Get(), BITSPIXEL) * GetDeviceCaps(screen.Get(), PLANES) < 12;
  }
  WhiteButtonFace = (ColorToRGB(clBtnFace) & 0xFFFFFF) == 0xFFFFFF;
  LowColorOrWhiteFace = LowColorDisplay || WhiteButtonFace;
  if (ThemesUsable) CloseHandles();
  FreeVisualStyles();
  ThemesUsable = false;
  if (IsWindowsNTAtLeast(5, 1) && allowThemes_) ThemesUsable = ThemesActive();
  if (ThemesUsable && UxTheme().OpenThemeData)
    for (int i = 0; i < ucCount; ++i) handles_[i] = UxTheme().OpenThemeData(Handle(), kThemeClassNames[i]);
  ToolbarFillColor = clBtnFace;
  ToolbarTextColor = clBtnText;
  if (ThemesUsable && handles_[ucToolbar] && UxTheme().GetThemeColor) {
    // A colour the style does not define leaves the classic one.
    COLORREF c = 0;
    if (SUCCEEDED(UxTheme().GetThemeColor(handles_[ucToolbar], 0, 0, 3802, &c))) ToolbarFillColor = TColor(c);
    if (SUCCEEDED(UxTheme().GetThemeColor(handles_[ucToolbar], 0, 0, 3803, &c))) ToolbarTextColor = TColor(c);
  }
  BOOL flat = FALSE;
  FlatMenuStyle = IsWindowsNTAtLeast(5, 1) && SystemParametersInfoW(0x1022, 0, &flat, 0) && flat;
  MenuColor = clMenu;
  MenuTextColor = clMenuText;
}

LRESULT TUiThemeManager::Broadcast(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage m{Msg, WParam, LParam, 0};
  // A listener may leave the list while it is told: walk a copy.
  std::vector<TObject*> listeners = listeners_;
  // One record for all: a listener that leaves Result alone passes the one before it on.
  for (TObject* listener : listeners) UiDispatch(listener, m);
  return m.Result;
}

bool TUiThemeManager::HandleMessage(UINT Msg, WPARAM WParam, LPARAM, LRESULT&) {
  switch (Msg) {
    case WM_SYSCOLORCHANGE:
    case WM_DISPLAYCHANGE:
    case WM_THEMECHANGED:
      SystemUpdate();
      UiUtilsClearGdiCache();
      if (!listeners_.empty())
        for (WPARAM phase = 1; phase <= 3; ++phase) Broadcast(UM_SYSTEMCHANGE, phase, 0);
      break;
    case WM_ACTIVATEAPP: Broadcast(UM_SYSTEMCHANGE, WParam ? 4 : 5, 0); break;
    default: break;
  }
  return false;
}
