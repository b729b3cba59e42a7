// The current theme, the nexus that relays system changes to theme listeners, and the queries
// a themed painter makes of views and controls.
#pragma once

#include <vector>

#include "themes/UiThemes.h"

class TBarView;
class TControl;

// The theme every themed control paints with (null until a nexus is made).
extern TUiTheme* CurrentTheme;

// Holds the current theme and relays the manager's system-change notices as theme-change
// notices to its listeners. One exists while the program runs.
class TUiNexus : public TUiDispatcher {
  HV_CLASS(TUiNexus, TUiDispatcher)
 public:
  // Acquires the named theme as the current one and listens to system changes.
  explicit TUiNexus(const AnsiString& ThemeName);
  ~TUiNexus() override;
  void Dispatch(TMessage& Message) override;

  const std::vector<TObject*>& Listeners() const { return listeners_; }
  void AddListener(TObject* Obj);
  void RemoveListener(TObject* Obj);
  LRESULT Broadcast(UINT Msg, WPARAM WParam, LPARAM LParam);

 private:
  std::vector<TObject*> listeners_;
};

// The nexus alive now, or null.
TUiNexus* UiNexus();

// Registers "Default" and makes the program's nexus with it as the current theme; done when the
// program starts, and again by tests after they cleared the registry (nothing when it stands).
void UiStartUp();
// Frees the program's nexus and with it the current theme (at the end, and in tests before
// they clear the registry).
void UiShutDown();

// Makes the named theme current and tells the theme listeners (WParam 1, 2, 3; LParam 1); an
// unregistered name does nothing.
void SetCurrentThemeByName(const AnsiString& Name);
AnsiString GetCurrentThemeName();
void RegisterThemeListener(TObject* Obj);
void UnregisterThemeListener(TObject* Obj);

// The view type a view's window answers (0 for no view or no window).
int GetViewType(TBarView* View);
int GetWindowViewType(TControl* Control);
// The colour behind a control: its answer to the background query, else its own colour.
TColor GetParentBackgroundColor(TControl* Control);

// Drawing outside viewers (status bar, tabs, the application) from a flag word, as
// SimplifiedItemInfo reads it, with the current theme; nothing without one.
TColor GetSimpleItemTextColor(int Flags);
void PaintSimpleCaption(TCanvas* Canvas, const TRect& ARect, int Flags, const WideString& Caption, UINT Format);
void PaintSimpleImage(TCanvas* Canvas, const TRect& ARect, int Flags, TCustomImageList* ImageList, int ImageIndex);

// The themed items, toolbars, docks and popups of this unit.
#include "themes/UiItems.h"  // IWYU pragma: export
