// Focus: the active control of a form, Tab and Shift+Tab in tab order through the message
// loop, keys that a control asks for with WM_GETDLGCODE, OnEnter and OnExit.
#include <gtest/gtest.h>

#include "ControlTestSupport.h"
#include "framework/Actions.h"
#include "framework/ListControls.h"
#include "framework/Screen.h"
#include "framework/ShortCuts.h"
#include "framework/StdCtrls.h"

namespace {

struct TFocusForm {
  TFocusForm() {
    Form = new TForm(nullptr, CreateNew);
    Form->SetBounds(60, 60, 300, 200);
    First = Add(Form, 0);
    Panel = new TWcPanel(Form);
    Panel->SetBounds(0, 40, 200, 100);
    Panel->SetParent(Form);
    Inner = Add(Panel, 0);
    NoTab = Add(Panel, 30);
    NoTab->SetTabStop(false);
    Invisible = Add(Panel, 60);
    Invisible->Hide();
    Last = Add(Form, 150);
  }
  ~TFocusForm() { Free(Form); }
  static TWcControl* Add(TWinControl* parent, int top) {
    auto* c = new TWcControl(parent->Owner() ? parent->Owner() : parent);
    c->SetBounds(0, top, 50, 20);
    c->SetParent(parent);
    return c;
  }
  TForm* Form;
  TWcPanel* Panel;
  TWcControl *First, *Inner, *NoTab, *Invisible, *Last;
};

// A key pressed on the focused window, through the application's loop.
void PressKey(Word key) {
  PostMessageW(GetFocus(), WM_KEYDOWN, key, 1);
  PostMessageW(GetFocus(), WM_KEYUP, key, 0xC0000001);
  Pump();
}

}  // namespace

TEST(ControlFocus, TabMovesTheFocusInTabOrderAndShiftTabBack) {
  TFocusForm f;
  f.Form->Show();
  Pump();
  // A shown form puts the focus on its first tab stop.
  EXPECT_TRUE(f.First->Focused());
  PressKey(VK_TAB);
  EXPECT_TRUE(f.Inner->Focused());  // into the panel; the panel itself is no tab stop
  PressKey(VK_TAB);
  EXPECT_TRUE(f.Last->Focused());  // neither the one without TabStop nor the hidden one
  PressKey(VK_TAB);
  EXPECT_TRUE(f.First->Focused());  // round again
  SetModifiers(true, false, false);
  PressKey(VK_TAB);
  SetModifiers(false, false, false);
  EXPECT_TRUE(f.Last->Focused());
  // The key never reached the controls as a key.
  EXPECT_EQ(std::count(f.First->Log.begin(), f.First->Log.end(), "keydown 9 []"), 0);

  // Changing the tab order changes the way.
  f.Last->SetTabOrder(0);
  PressKey(VK_TAB);
  EXPECT_TRUE(f.First->Focused());
}

// A control that keeps Tab hands the move to its form as a dialog does (WM_NEXTDLGCTL).
TEST(ControlFocus, TheFormMovesTheFocusWhenAControlAsksItTo) {
  TFocusForm f, other;
  f.Form->Show();
  Pump();
  // From, backwards, the control named (or none), and where the focus goes.
  const std::tuple<TWcControl*, bool, TWcControl*, TWcControl*> cases[] = {
      {f.First, 0, nullptr, f.Inner}, {f.Inner, 0, nullptr, f.Last},      {f.Last, 0, nullptr, f.First},
      {f.Inner, 1, nullptr, f.First}, {f.First, 1, nullptr, f.Last},      {f.First, 0, f.Last, f.Last},
      {f.Last, 0, f.Inner, f.Inner},  {f.Inner, 0, other.First, f.Inner},
  };
  for (const auto& [from, back, named, to] : cases) {
    from->SetFocus();
    PostMessageW(f.Form->Handle(), WM_NEXTDLGCTL, named ? reinterpret_cast<WPARAM>(named->Handle()) : back, !!named);
    Pump();
    EXPECT_TRUE(to->Focused()) << back << " from " << from->Name();
  }
}

TEST(ControlFocus, AControlThatWantsTabsAndArrowsGetsThem) {
  TFocusForm f;
  f.Form->Show();
  Pump();
  f.First->DialogCode = DLGC_WANTTAB | DLGC_WANTARROWS;
  PressKey(VK_TAB);
  PressKey(VK_DOWN);
  EXPECT_TRUE(f.First->Focused());
  std::vector<std::string> keys;
  for (const std::string& s : f.First->Log)
    if (s.rfind("keydown", 0) == 0) keys.push_back(s);
  EXPECT_EQ(keys, (std::vector<std::string>{"keydown 9 []", "keydown 40 []"}));
  // Without them the arrows move between the controls of the same parent, tab stops or not.
  f.First->DialogCode = 0;
  PressKey(VK_DOWN);
  EXPECT_TRUE(f.Panel->Focused());
  PressKey(VK_UP);
  EXPECT_TRUE(f.First->Focused());
}

TEST(ControlFocus, EnterAndExitFollowTheFocusOneControlAtATime) {
  TFocusForm f;
  f.Form->Show();
  Pump();
  f.First->Log.clear();
  f.Inner->SetFocus();
  EXPECT_EQ(f.First->Log, std::vector<std::string>{"exit"});
  EXPECT_EQ(f.Inner->Log, std::vector<std::string>{"enter"});
  // A control that cannot take the focus refuses to become the active control.
  EXPECT_THROW(f.Form->SetActiveControl(f.Invisible), EInvalidOperation);
  f.Panel->SetEnabled(false);
  EXPECT_FALSE(f.Inner->CanFocus());
  // Disabling the container of the focused control takes the focus away from it.
  EXPECT_EQ(f.Form->ActiveControl(), nullptr);
  f.Panel->SetEnabled(true);
}

TEST(ControlFocus, AFocusedControlThatGoesAwayLeavesNoTrace) {
  TFocusForm f;
  f.Form->Show();
  Pump();
  f.Inner->SetFocus();
  ASSERT_EQ(Screen->ActiveControl(), f.Inner);
  delete f.Inner;
  EXPECT_EQ(f.Form->ActiveControl(), nullptr);
  EXPECT_TRUE(f.Form->Focused());
  // The focus can go on from nowhere.
  PressKey(VK_TAB);
  EXPECT_NE(f.Form->ActiveControl(), nullptr);
}

TEST(ControlFocus, DialogKeysAndCharactersReachTheForm) {
  TFocusForm f;
  f.Form->Show();
  Pump();
  struct TRecorder : TWcPanel {
    using TWcPanel::TWcPanel;
    std::vector<std::string> seen;
    void WndProc(TMessage& m) override {
      if (m.Msg == CM_DIALOGKEY) seen.push_back("key " + std::to_string(m.WParam));
      if (m.Msg == CM_DIALOGCHAR) seen.push_back("char " + std::to_string(m.WParam));
      TWcPanel::WndProc(m);
    }
  };
  auto* recorder = new TRecorder(f.Form);
  recorder->SetParent(f.Form);
  PressKey(VK_RETURN);
  PressKey(VK_ESCAPE);
  // A character that the control does not take goes to the form as a dialog character.
  PostMessageW(GetFocus(), WM_CHAR, L'q', 1);
  Pump();
  // Nothing took Enter and Escape, so their characters followed.
  EXPECT_EQ(recorder->seen, (std::vector<std::string>{"key 13", "char 13", "key 27", "char 27", "char 113"}));
  f.First->DialogCode = DLGC_WANTCHARS | DLGC_WANTALLKEYS;
  recorder->seen.clear();
  PressKey(VK_RETURN);
  PostMessageW(GetFocus(), WM_CHAR, L'q', 1);
  Pump();
  EXPECT_TRUE(recorder->seen.empty());
}

namespace {

// An action of the form on a key, as dialogs put Cancel on Esc; it counts its runs.
struct TKeyAction {
  void Execute(TObject*) { ++Runs; }
  int Runs = 0;
};

}  // namespace

TEST(ControlFocus, EnterAndEscapeCloseAnOpenDropDownListBeforeTheForm) {
  // Each key on an open list of either style closes only the list; on the closed list it is the
  // form's and pushes its default or cancel button, or runs the form's action on that key.
  struct {
    TComboBoxStyle Style;
    Word Key;
    bool Action;
    TModalResult Button;
  } const cases[] = {
      {csDropDownList, VK_ESCAPE, false, mrCancel}, {csDropDownList, VK_RETURN, false, mrOk},
      {csDropDown, VK_ESCAPE, false, mrCancel},     {csDropDown, VK_RETURN, false, mrOk},
      {csDropDownList, VK_ESCAPE, true, mrNone},    {csDropDown, VK_RETURN, true, mrNone},
  };
  for (const auto& c : cases) {
    TKeyAction run;
    auto* form = new TForm(nullptr, CreateNew);
    if (c.Action) {
      auto* list = new TActionList(form);
      auto* action = new TAction(form);
      action->SetActionList(list);
      action->SetShortCut(ShortCut(c.Key, {}));
      action->SetOnExecute(TNotifyEvent(&run, &TKeyAction::Execute));
    }
    form->SetBounds(60, 60, 300, 200);
    auto* combo = new TComboBox(form);
    combo->SetStyle(c.Style);
    combo->SetParent(form);
    combo->SetBounds(10, 10, 150, 24);
    for (const wchar_t* item : {L"one", L"two", L"three"}) combo->Items()->Add(item);
    auto* ok = new TButton(form);
    ok->SetParent(form);
    ok->SetBounds(10, 100, 75, 25);
    ok->SetDefault(true);
    ok->SetModalResult(mrOk);
    auto* cancel = new TButton(form);
    cancel->SetParent(form);
    cancel->SetBounds(100, 100, 75, 25);
    cancel->SetCancel(true);
    cancel->SetModalResult(mrCancel);
    form->Show();
    Pump();
    combo->SetFocus();
    Pump();
    combo->SetDroppedDown(true);
    Pump();
    ASSERT_TRUE(combo->DroppedDown()) << c.Style;
    PressKey(c.Key);
    EXPECT_FALSE(combo->DroppedDown()) << c.Style << " " << c.Key;
    EXPECT_EQ(form->ModalResult(), mrNone) << c.Style << " " << c.Key;
    EXPECT_EQ(run.Runs, 0) << c.Style << " " << c.Key;
    PressKey(c.Key);
    EXPECT_EQ(form->ModalResult(), c.Button) << c.Style << " " << c.Key;
    EXPECT_EQ(run.Runs, c.Action ? 1 : 0) << c.Style << " " << c.Key;
    Free(form);
  }
}
