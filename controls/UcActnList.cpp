// Unicode actions and their links.
#include "controls/UcActnList.h"

#include <iterator>

#include "controls/UcControls.h"
#include "framework/Buttons.h"
#include "framework/ComCtrls.h"
#include "framework/StdCtrls.h"

bool IsUnicodeAction(const TBasicAction* Action) { return dynamic_cast<const IUcUnicodeAction*>(Action) != nullptr; }

namespace {
// Caption and hint of a control copied into an action.
bool AssignFromControl(TCustomAction* Action, TPersistent* Source) {
  auto* control = dynamic_cast<TControl*>(Source);
  if (!control) return false;
  Action->SetCaption(UcControl_GetText(control));
  Action->SetHint(UcControl_GetHint(control));
  return true;
}
}  // namespace

HV_PUBLISH(TUcAction) {}

void TUcAction::Assign(TPersistent* Source) {
  if (!AssignFromControl(this, Source)) inherited::Assign(Source);
}

HV_PUBLISH(TUcHintAction) {}

void TUcHintAction::Assign(TPersistent* Source) {
  if (!AssignFromControl(this, Source)) inherited::Assign(Source);
}

WideString UcAction_GetCaption(TBasicAction* Action) {
  auto* a = dynamic_cast<TCustomAction*>(Action);
  return a ? a->Caption() : WideString();
}

void UcAction_SetCaption(TBasicAction* Action, const WideString& Value) {
  if (auto* a = dynamic_cast<TCustomAction*>(Action)) a->SetCaption(Value);
}

WideString UcAction_GetHint(TBasicAction* Action) {
  auto* a = dynamic_cast<TCustomAction*>(Action);
  return a ? a->Hint() : WideString();
}

void UcAction_SetHint(TBasicAction* Action, const WideString& Value) {
  if (auto* a = dynamic_cast<TCustomAction*>(Action)) a->SetHint(Value);
}

// The action announces the new value itself, in full: no 8-bit form stands in for it.
WideString UcAction_GetNewCaption(TBasicAction*, const WideString& Default) { return Default; }
WideString UcAction_GetNewHint(TBasicAction*, const WideString& Default) { return Default; }

bool UcActionLink_IsCaptionLinked(bool Inherited, TBasicAction* Action, TControl* Client) {
  if (!Inherited) return false;
  const WideString caption = UcAction_GetCaption(Action);
  const WideString text = UcControl_GetText(Client);
  return caption == text;
}

bool UcActionLink_IsHintLinked(bool Inherited, TBasicAction* Action, TControl* Client) {
  if (!Inherited) return false;
  const WideString hint = UcAction_GetHint(Action);
  const WideString own = UcControl_GetHint(Client);
  return hint == own;
}

void UcActionLink_SetCaption(bool IsLinked, TBasicAction* Action, TControl* Client, const WideString& Value) {
  if (IsLinked) UcControl_SetText(Client, UcAction_GetNewCaption(Action, Value));
}

void UcActionLink_SetHint(bool IsLinked, TBasicAction* Action, TControl* Client, const WideString& Value) {
  if (IsLinked) UcControl_SetHint(Client, UcAction_GetNewHint(Action, Value));
}

void UcControl_ActionChange(TControl* Control, TObject* Sender, bool CheckDefaults) {
  // A plain action's caption and hint are the framework's own ActionChange's to give.
  auto* action = dynamic_cast<TCustomAction*>(Sender);
  if (!action || !IsUnicodeAction(action)) return;
  WideString text = UcControl_GetText(Control);
  const std::string& name = Control->Name();
  if (!CheckDefaults || text.empty() || text == WideString(name.begin(), name.end()))
    UcControl_SetText(Control, UcAction_GetCaption(action));
  if (!CheckDefaults || UcControl_GetHint(Control).empty()) UcControl_SetHint(Control, UcAction_GetHint(action));
}

namespace {

// The kinds of client in the order they are tried: the first that the control is decides.
template <class Client, class Link>
struct TLinkKind {
  static bool Matches(TControl* Control) { return dynamic_cast<Client*>(Control) != nullptr; }
  static const TClassInfo& Class() { return Link::StaticClassInfo(); }
  static TControlActionLink* Make(TControl* Control) { return new Link(Control); }
};

struct TLinkChoice {
  bool (*Matches)(TControl*);
  const TClassInfo& (*Class)();
  TControlActionLink* (*Make)(TControl*);
};

template <class Client, class Link>
constexpr TLinkChoice Choice() {
  using K = TLinkKind<Client, Link>;
  return {&K::Matches, &K::Class, &K::Make};
}

constexpr TLinkChoice linkChoices[] = {
    Choice<TListView, TUcListViewActionLink>(),       Choice<TComboBoxEx, TUcComboBoxExActionLink>(),
    Choice<TSpeedButton, TUcSpeedButtonActionLink>(), Choice<TBitBtn, TUcBitBtnActionLink>(),
    Choice<TToolButton, TUcToolButtonActionLink>(),   Choice<TButtonControl, TUcButtonActionLink>(),
    Choice<TWinControl, TUcWinControlActionLink>(),   Choice<TControl, TUcControlActionLink>(),
};

const TLinkChoice& ChoiceFor(TControl* Control) {
  for (const TLinkChoice& c : linkChoices)
    if (c.Matches(Control)) return c;
  return linkChoices[std::size(linkChoices) - 1];
}

}  // namespace

const TClassInfo& UcControl_GetActionLinkClass(TControl* Control) { return ChoiceFor(Control).Class(); }

TControlActionLink* UcControl_CreateActionLink(TControl* Control) { return ChoiceFor(Control).Make(Control); }

HV_PUBLISH(TUcControlActionLink) {}
HV_PUBLISH(TUcWinControlActionLink) {}
HV_PUBLISH(TUcButtonActionLink) {}
HV_PUBLISH(TUcSpeedButtonActionLink) {}
HV_PUBLISH(TUcListViewActionLink) {}
HV_PUBLISH(TUcComboBoxExActionLink) {}
HV_PUBLISH(TUcBitBtnActionLink) {}
HV_PUBLISH(TUcToolButtonActionLink) {}

bool TUcControlActionLink::IsCaptionLinked() {
  return UcActionLink_IsCaptionLinked(inherited::IsCaptionLinked(), Action(), Client());
}

bool TUcControlActionLink::IsHintLinked() {
  return UcActionLink_IsHintLinked(inherited::IsHintLinked(), Action(), Client());
}

void TUcControlActionLink::SetCaption(const WideString& Value) {
  UcActionLink_SetCaption(IsCaptionLinked(), Action(), Client(), Value);
}

void TUcControlActionLink::SetHint(const WideString& Value) {
  UcActionLink_SetHint(IsHintLinked(), Action(), Client(), Value);
}

bool TUcSpeedButtonActionLink::IsImageIndexLinked() { return dynamic_cast<TCustomAction*>(Action()) != nullptr; }

bool TUcBitBtnActionLink::IsImageIndexLinked() { return dynamic_cast<TCustomAction*>(Action()) != nullptr; }

bool TUcToolButtonActionLink::IsImageIndexLinked() {
  auto* button = dynamic_cast<TToolButton*>(Client());
  return inherited::IsImageIndexLinked() && button && button->ImageIndex() == CustomAction()->ImageIndex();
}

void TUcToolButtonActionLink::SetImageIndex(int Value) {
  if (IsImageIndexLinked()) static_cast<TToolButton*>(Client())->SetImageIndex(Value);
}
