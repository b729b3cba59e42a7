// Unicode actions and the action links that pass an action's caption and hint on to Unicode
// controls. Every action of the framework carries wide texts; a Unicode action is marked by
// IUcUnicodeAction. The links follow a value only while the client still shows exactly the
// action's value, and are told of a change before the action stores it.
#pragma once

#include "framework/Actions.h"
#include "framework/Controls.h"

class TMenuItem;
class TMenuActionLink;

// The mark of a Unicode action.
class IUcUnicodeAction {
 public:
  static constexpr const char* IID = "{59D0AE37-8161-4AD6-9102-14B28E5761EB}";
  virtual ~IUcUnicodeAction() = default;
};

bool IsUnicodeAction(const TBasicAction* Action);

class TUcAction : public TAction, public IUcUnicodeAction {
  HV_CLASS(TUcAction, TAction)
 public:
  explicit TUcAction(TComponent* AOwner) : TAction(AOwner) {}
  // From a control too: its text becomes the caption, its hint the hint.
  void Assign(TPersistent* Source) override;
};

class TUcHintAction : public THintAction, public IUcUnicodeAction {
  HV_CLASS(TUcHintAction, THintAction)
 public:
  explicit TUcHintAction(TComponent* AOwner) : THintAction(AOwner) {}
  void Assign(TPersistent* Source) override;
};

// Caption and hint of any action (empty for an action without them).
WideString UcAction_GetCaption(TBasicAction* Action);
void UcAction_SetCaption(TBasicAction* Action, const WideString& Value);
WideString UcAction_GetHint(TBasicAction* Action);
void UcAction_SetHint(TBasicAction* Action, const WideString& Value);
// The value a link gives its client when the action announces a new caption (hint) Default.
WideString UcAction_GetNewCaption(TBasicAction* Action, const WideString& Default);
WideString UcAction_GetNewHint(TBasicAction* Action, const WideString& Default);

// The link tests: the inherited test and the client showing exactly the action's value.
bool UcActionLink_IsCaptionLinked(bool Inherited, TBasicAction* Action, TControl* Client);
bool UcActionLink_IsHintLinked(bool Inherited, TBasicAction* Action, TControl* Client);
void UcActionLink_SetCaption(bool IsLinked, TBasicAction* Action, TControl* Client, const WideString& Value);
void UcActionLink_SetHint(bool IsLinked, TBasicAction* Action, TControl* Client, const WideString& Value);

// The caption and hint part of a control's ActionChange: the text unless CheckDefaults and
// the control shows a text of its own (not empty and not its Name); the hint unless
// CheckDefaults and the control has one.
void UcControl_ActionChange(TControl* Control, TObject* Sender, bool CheckDefaults);
// The Unicode link class for a kind of control (list view, extended combo box, speed button,
// bitmap button, tool button, button, windowed, any).
const TClassInfo& UcControl_GetActionLinkClass(TControl* Control);
// A new link of that class for the control.
TControlActionLink* UcControl_CreateActionLink(TControl* Control);

class TUcControlActionLink : public TControlActionLink {
  HV_CLASS(TUcControlActionLink, TControlActionLink)
 public:
  explicit TUcControlActionLink(TControl* AClient) : TControlActionLink(AClient) {}
  bool IsCaptionLinked() override;
  bool IsHintLinked() override;
  void SetCaption(const WideString& Value) override;
  void SetHint(const WideString& Value) override;
};

class TUcWinControlActionLink : public TUcControlActionLink {
  HV_CLASS(TUcWinControlActionLink, TUcControlActionLink)
 public:
  using TUcControlActionLink::TUcControlActionLink;
};

class TUcButtonActionLink : public TUcWinControlActionLink {
  HV_CLASS(TUcButtonActionLink, TUcWinControlActionLink)
 public:
  using TUcWinControlActionLink::TUcWinControlActionLink;
};

class TUcListViewActionLink : public TUcWinControlActionLink {
  HV_CLASS(TUcListViewActionLink, TUcWinControlActionLink)
 public:
  using TUcWinControlActionLink::TUcWinControlActionLink;
};

class TUcComboBoxExActionLink : public TUcWinControlActionLink {
  HV_CLASS(TUcComboBoxExActionLink, TUcWinControlActionLink)
 public:
  using TUcWinControlActionLink::TUcWinControlActionLink;
};

// A bitmap button keeps its own picture: the action's image is never pushed to it.
class TUcBitBtnActionLink : public TUcButtonActionLink {
  HV_CLASS(TUcBitBtnActionLink, TUcButtonActionLink)
 public:
  using TUcButtonActionLink::TUcButtonActionLink;
  bool IsImageIndexLinked() override;
  void SetImageIndex(int) override {}
};

// A tool button shows the action's image while it still shows the same one.
class TUcToolButtonActionLink : public TUcControlActionLink {
  HV_CLASS(TUcToolButtonActionLink, TUcControlActionLink)
 public:
  using TUcControlActionLink::TUcControlActionLink;
  bool IsImageIndexLinked() override;
  void SetImageIndex(int Value) override;
};

// A speed button keeps its own glyph: the action's image is never pushed to it.
class TUcSpeedButtonActionLink : public TUcControlActionLink {
  HV_CLASS(TUcSpeedButtonActionLink, TUcControlActionLink)
 public:
  using TUcControlActionLink::TUcControlActionLink;
  bool IsImageIndexLinked() override;
  void SetImageIndex(int) override {}
};
