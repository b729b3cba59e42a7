// The current theme and the relay of theme changes.
#include "themes/Ui.h"

#include <algorithm>

#include "framework/Controls.h"
#include "themes/UiDefaultTheme.h"
#include "toolbars/BarView.h"

TUiTheme* CurrentTheme = nullptr;

namespace {
TUiNexus* nexus = nullptr;
TUiNexus* programNexus = nullptr;

// The default theme is current from start-up; the theme unit it uses is made first, so it
// ends after this.
struct TUiUnit {
  TUiUnit() { UiStartUp(); }
  ~TUiUnit() { UiShutDown(); }
} uiUnit;
}  // namespace

void UiStartUp() {
  RegisterDefaultTheme();
  if (!programNexus) programNexus = new TUiNexus("Default");
}

void UiShutDown() {
  delete programNexus;
  programNexus = nullptr;
}

HV_PUBLISH(TUiNexus) {}

TUiNexus::TUiNexus(const AnsiString& ThemeName) {
  CurrentTheme = AcquireTheme(ThemeName);
  AddSystemChangeListener(this);
  nexus = this;
}

TUiNexus::~TUiNexus() {
  if (nexus == this) nexus = nullptr;
  RemoveSystemChangeListener(this);
  if (CurrentTheme) ReleaseTheme(CurrentTheme);
  CurrentTheme = nullptr;
}

void TUiNexus::Dispatch(TMessage& Message) {
  if (Message.Msg == UM_SYSTEMCHANGE) Message.Result = Broadcast(UM_THEMECHANGE, Message.WParam, 0);
}

void TUiNexus::AddListener(TObject* Obj) {
  if (std::find(listeners_.begin(), listeners_.end(), Obj) == listeners_.end()) listeners_.push_back(Obj);
}

void TUiNexus::RemoveListener(TObject* Obj) {
  auto it = std::find(listeners_.begin(), listeners_.end(), Obj);
  if (it != listeners_.end()) listeners_.erase(it);
}

LRESULT TUiNexus::Broadcast(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage m{Msg, WParam, LParam, 0};
  std::vector<TObject*> listeners = listeners_;
  // One record for all: a listener that leaves Result alone passes the one before it on.
  for (TObject* listener : listeners) UiDispatch(listener, m);
  return m.Result;
}

TUiNexus* UiNexus() { return nexus; }

void SetCurrentThemeByName(const AnsiString& Name) {
  if (!IsThemeRegistered(Name)) return;
  // The new theme is acquired before the old one is let go: switching to the current theme
  // then keeps its only instance alive instead of freeing and remaking it.
  TUiTheme* old = CurrentTheme;
  CurrentTheme = AcquireTheme(Name);
  if (old) ReleaseTheme(old);
  if (nexus)
    for (WPARAM phase = 1; phase <= 3; ++phase) nexus->Broadcast(UM_THEMECHANGE, phase, 1);
}

AnsiString GetCurrentThemeName() { return CurrentTheme ? CurrentTheme->Name() : AnsiString(); }

void RegisterThemeListener(TObject* Obj) {
  if (nexus) nexus->AddListener(Obj);
}

void UnregisterThemeListener(TObject* Obj) {
  if (nexus) nexus->RemoveListener(Obj);
}

int GetWindowViewType(TControl* Control) {
  if (!Control) return 0;
  TMessage m{UM_GETVIEWTYPE, 0, 0, 0};
  Control->Dispatch(m);
  return static_cast<int>(m.Result);
}

int GetViewType(TBarView* View) { return View ? GetWindowViewType(View->Window()) : 0; }

TColor GetParentBackgroundColor(TControl* Control) {
  if (!Control) return clBtnFace;
  TMessage m{UM_GETBACKGROUNDCOLOR, 0, 0, 0};
  Control->Dispatch(m);
  if (m.Result) return TColor(static_cast<int32_t>(m.WParam));
  return Control->Color();
}

TColor GetSimpleItemTextColor(int Flags) {
  return CurrentTheme ? CurrentTheme->GetItemTextColor(SimplifiedItemInfo(Flags)) : clNone;
}

void PaintSimpleCaption(TCanvas* Canvas, const TRect& ARect, int Flags, const WideString& Caption, UINT Format) {
  if (CurrentTheme) CurrentTheme->PaintCaption(Canvas, ARect, SimplifiedItemInfo(Flags), Caption, Format, false);
}

void PaintSimpleImage(TCanvas* Canvas, const TRect& ARect, int Flags, TCustomImageList* ImageList, int ImageIndex) {
  if (CurrentTheme) CurrentTheme->PaintImage(Canvas, ARect, SimplifiedItemInfo(Flags), ImageList, ImageIndex);
}
