// Unicode actions and the links that carry their captions and hints to controls.
#include <gtest/gtest.h>

#include "ControlsTestSupport.h"
#include "controls/UcActnList.h"
#include "controls/UcControls.h"
#include "framework/Buttons.h"
#include "framework/ExtCtrls.h"
#include "framework/StdCtrls.h"

namespace {

const WideString Cyrillic = L"\x0421\x043E\x0445\x0440\x0430\x043D\x0438\x0442\x044C";     // Сохранить
const WideString Greek = L"\x0391\x03C0\x03BF\x03B8\x03AE\x03BA\x03B5\x03C5\x03C3\x03B7";  // Αποθήκευση

// A button with the Unicode links, which remembers the action's caption as its own caption
// changed.
class TUcTestButton : public TButton {
  HV_CLASS(TUcTestButton, TButton)
 public:
  explicit TUcTestButton(TComponent* AOwner) : TButton(AOwner) {}
  WideString CaptionSeenDuringChange;

 protected:
  TControlActionLink* CreateActionLink() override { return UcControl_CreateActionLink(this); }
  void CMTextChanged(TMessage& Message) override {
    if (Action()) CaptionSeenDuringChange = UcAction_GetCaption(Action());
    inherited::CMTextChanged(Message);
  }
};
HV_PUBLISH(TUcTestButton) {}

class UcAction : public ShownForm {
 protected:
  void SetUp() override {
    ShownForm::SetUp();
    action = new TUcAction(form);
    action->SetCaption(Cyrillic);
    action->SetHint(L"short|" + Greek);
    button = new TUcTestButton(form);
    button->SetParent(form);
    button->HandleNeeded();
  }
  TUcAction* action = nullptr;
  TUcTestButton* button = nullptr;
};

}  // namespace

TEST_F(UcAction, LinkedControlShowsTheExactCaptionAndHint) {
  button->SetAction(action);
  EXPECT_EQ(UcControl_GetText(button), Cyrillic);
  EXPECT_EQ(UcControl_GetHint(button), L"short|" + Greek);
  action->SetCaption(Greek);
  EXPECT_EQ(UcControl_GetText(button), Greek);
  // While the change reached the button the action still had its former caption.
  EXPECT_EQ(button->CaptionSeenDuringChange, Cyrillic);
  TAction plain(form);  // a plain action gives its caption too
  plain.SetCaption(Cyrillic);
  button->SetAction(&plain);
  EXPECT_EQ(UcControl_GetText(button), Cyrillic);
  button->SetAction(nullptr);
}

TEST_F(UcAction, LinkFollowsOnlyAnExactlySharedValue) {
  std::unique_ptr<TControlActionLink> link(UcControl_CreateActionLink(button));
  link->SetAction(action);
  UcControl_SetText(button, Cyrillic);
  UcControl_SetHint(button, action->Hint());
  EXPECT_TRUE(link->IsCaptionLinked() && link->IsHintLinked());
  // The framework's own link would still follow a caption that differs in its hot key.
  UcControl_SetText(button, L"&" + Cyrillic);
  UcControl_SetHint(button, L"short|" + Greek.substr(1));
  EXPECT_FALSE(link->IsCaptionLinked() || link->IsHintLinked());
  link->SetCaption(Greek);
  link->SetHint(Greek);
  EXPECT_EQ(UcControl_GetText(button), L"&" + Cyrillic);
  EXPECT_EQ(UcControl_GetHint(button), L"short|" + Greek.substr(1));
  UcControl_SetText(button, Cyrillic);
  link->SetCaption(Greek);
  EXPECT_EQ(UcControl_GetText(button), Greek);
  link->SetAction(nullptr);
}

TEST_F(UcAction, StoredTestsFollowTheLink) {
  button->SetAction(action);
  EXPECT_FALSE(UcControl_IsCaptionStored(button) || UcControl_IsHintStored(button));
  UcControl_SetHint(button, L"own");
  EXPECT_TRUE(UcControl_IsHintStored(button) && UcControl_IsCaptionStored(new TLabel(form)));
}

TEST_F(UcAction, ActionChangeWithDefaultsKeepsTextsOfTheControlsOwn) {
  struct Case {
    const wchar_t* text;
    const wchar_t* hint;
    bool checkDefaults;
    bool takesCaption;
    bool takesHint;
  } cases[] = {
      {L"", L"", true, true, true},
      {L"Button1", L"", true, true, true},  // the control's name counts as no caption
      {L"Own", L"own hint", true, false, false},
      {L"Own", L"own hint", false, true, true},
  };
  button->SetName("Button1");
  for (const Case& c : cases) {
    UcControl_SetText(button, c.text);
    UcControl_SetHint(button, c.hint);
    UcControl_ActionChange(button, action, c.checkDefaults);
    EXPECT_EQ(UcControl_GetText(button), c.takesCaption ? Cyrillic : WideString(c.text)) << c.text;
    EXPECT_EQ(UcControl_GetHint(button), c.takesHint ? action->Hint() : WideString(c.hint)) << c.text;
  }
}

TEST_F(UcAction, AssignTakesTextAndHintOfAControl) {
  UcControl_SetText(button, Greek);
  UcControl_SetHint(button, Cyrillic);
  TUcAction copy(nullptr);
  copy.Assign(button);
  EXPECT_TRUE(copy.Caption() == Greek && copy.Hint() == Cyrillic);
  TUcHintAction hint(nullptr);
  hint.Assign(action);
  EXPECT_EQ(hint.Hint(), action->Hint());
}
