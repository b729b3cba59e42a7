// Unicode actions and the links that carry their captions and hints to controls.
#include "framework/Win.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include "ControlsTestSupport.h"
#include "controls/UcActnList.h"
#include "controls/UcControls.h"
#include "framework/Buttons.h"
#include "framework/ComCtrls.h"
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

namespace {

// A control of the framework that takes the Unicode links, as the Unicode controls do.
template <class Base>
class TUcLinked : public Base {
 public:
  explicit TUcLinked(TComponent* AOwner) : Base(AOwner) {}

 protected:
  TControlActionLink* CreateActionLink() override { return UcControl_CreateActionLink(this); }
};

// The text the tool button's one button shows, and its image.
WideString ToolButtonText(TToolButton* B) {
  wchar_t text[64] = {};
  SendMessageW(B->Handle(), TB_GETBUTTONTEXTW, 1, reinterpret_cast<LPARAM>(text));
  return text;
}
int ToolButtonImage(TToolButton* B) {
  TBBUTTONINFOW info{};
  info.cbSize = sizeof info;
  info.dwMask = TBIF_IMAGE;
  SendMessageW(B->Handle(), TB_GETBUTTONINFOW, 1, reinterpret_cast<LPARAM>(&info));
  return info.iImage;
}

}  // namespace

// The first kind a control is decides its link: a bitmap button is a button, but gets the
// bitmap button's link; a tool button gets its own, not the windowed control's.
TEST_F(UcAction, LinkClassFollowsTheKindOfClient) {
  struct Case {
    TControl* Control;
    const char* Link;
  } cases[] = {
      {new TListView(form), "TUcListViewActionLink"},       {new TComboBoxEx(form), "TUcComboBoxExActionLink"},
      {new TSpeedButton(form), "TUcSpeedButtonActionLink"}, {new TBitBtn(form), "TUcBitBtnActionLink"},
      {new TToolButton(form), "TUcToolButtonActionLink"},   {new TButton(form), "TUcButtonActionLink"},
      {new TCheckBox(form), "TUcButtonActionLink"},         {new TEdit(form), "TUcWinControlActionLink"},
      {new TLabel(form), "TUcControlActionLink"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(UcControl_GetActionLinkClass(c.Control).Name, c.Link);
    std::unique_ptr<TControlActionLink> link(UcControl_CreateActionLink(c.Control));
    EXPECT_EQ(std::string(link->ClassName()), c.Link);
  }
}

// Each of the four clients shows the action's exact Unicode caption and hint, and follows a
// change while it still shows the action's value.
TEST_F(UcAction, ListViewComboBoxExBitBtnAndToolButtonShowTheUnicodeCaptionAndHint) {
  auto* list = new TUcLinked<TListView>(form);
  auto* combo = new TUcLinked<TComboBoxEx>(form);
  auto* bitBtn = new TUcLinked<TBitBtn>(form);
  auto* tool = new TUcLinked<TToolButton>(form);
  list->AddItem(Greek);
  combo->AddItem(Greek, 2);
  TWinControl* clients[] = {list, combo, bitBtn, tool};
  for (TWinControl* c : clients) {
    c->SetParent(form);
    c->HandleNeeded();
    c->SetAction(action);
    EXPECT_EQ(UcControl_GetText(c), Cyrillic) << c->ClassName();
    EXPECT_EQ(UcControl_GetHint(c), L"short|" + Greek) << c->ClassName();
  }
  EXPECT_EQ(ToolButtonText(tool), Cyrillic);
  action->SetCaption(Greek);
  action->SetHint(Cyrillic);
  for (TWinControl* c : clients) {
    EXPECT_EQ(UcControl_GetText(c), Greek) << c->ClassName();
    EXPECT_EQ(UcControl_GetHint(c), Cyrillic) << c->ClassName();
  }
  EXPECT_EQ(ToolButtonText(tool), Greek);
  // A link whose client shows a text of its own leaves it.
  for (TWinControl* c : clients) {
    std::unique_ptr<TControlActionLink> link(UcControl_CreateActionLink(c));
    link->SetAction(action);
    UcControl_SetText(c, L"own");
    link->SetCaption(Cyrillic);
    EXPECT_EQ(UcControl_GetText(c), L"own") << c->ClassName();
    UcControl_SetText(c, Greek);
    link->SetCaption(Cyrillic);
    EXPECT_EQ(UcControl_GetText(c), Cyrillic) << c->ClassName();
    link->SetAction(nullptr);
  }
  EXPECT_EQ(ToolButtonText(tool), Cyrillic);
  // The items stay as they were given.
  EXPECT_EQ(list->Items(0), Greek);
  EXPECT_EQ(combo->Items(0) + std::to_wstring(combo->ItemImageIndex(0)), Greek + L"2");
  for (TWinControl* c : clients) c->SetAction(nullptr);
}

// The tool button shows the action's image while it shows the same one; the bitmap button's
// link never passes an image on, yet counts the image as linked for any full action.
TEST_F(UcAction, ToolButtonTakesTheActionsImageAndTheBitmapButtonKeepsItsOwn) {
  auto* tool = new TUcLinked<TToolButton>(form);
  tool->SetParent(form);
  tool->HandleNeeded();
  action->SetImageIndex(3);
  tool->SetAction(action);
  EXPECT_EQ(tool->ImageIndex(), 3);
  action->SetImageIndex(4);
  EXPECT_EQ(tool->ImageIndex(), 4);
  EXPECT_EQ(ToolButtonImage(tool), 4);
  tool->SetAction(nullptr);
  // The link passes an image on only while the button shows the action's own.
  TUcToolButtonActionLink toolLink(tool);
  toolLink.SetAction(action);
  tool->SetImageIndex(7);
  EXPECT_FALSE(toolLink.IsImageIndexLinked());
  toolLink.SetImageIndex(5);
  EXPECT_EQ(tool->ImageIndex(), 7);
  tool->SetImageIndex(4);
  EXPECT_TRUE(toolLink.IsImageIndexLinked());
  toolLink.SetImageIndex(5);
  EXPECT_EQ(tool->ImageIndex(), 5);
  EXPECT_EQ(ToolButtonImage(tool), 5);
  toolLink.SetAction(nullptr);
  action->SetImageIndex(5);

  auto* bitBtn = new TBitBtn(form);
  TUcBitBtnActionLink link(bitBtn);
  link.SetAction(action);
  EXPECT_TRUE(link.IsImageIndexLinked());
  link.SetImageIndex(9);  // nothing to pass it to, and nothing happens
  EXPECT_EQ(action->ImageIndex(), 5);
  TBasicAction bare(form);
  link.SetAction(&bare);
  EXPECT_FALSE(link.IsImageIndexLinked());
  link.SetAction(nullptr);
}
