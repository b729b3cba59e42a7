// The customize dialog: the toolbars page, page keys, commands and separators dragged, and a
// shortcut reassigned from one command to another.
#include <gtest/gtest.h>

#include "framework/Actions.h"
#include "framework/Application.h"
#include "tests/common/MessageBoxRecorder.h"
#include "tests/themes/CustomizerTestSupport.h"
#include "themes/SkinCustomizerForm.h"
#include "themes/SkinToolbar.h"

namespace {

void pump() {
  MSG msg;
  for (int i = 0; i < 50 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// The dialog as tests reach it, with the keys of the form.
class TTestCustomizeForm : public TSkinCustomizeForm {
 public:
  using TSkinCustomizeForm::KeyDown;
  using TSkinCustomizeForm::TSkinCustomizeForm;
  static TSkinCustomCustomizeForm* Make(TComponent* AOwner) { return New<TTestCustomizeForm>(AOwner); }
};

struct TDialog : TLayoutForm {
  TDialog() {
    C->OnGetCustomizeForm = TSkinGetCustomizeFormClassEvent(this, &TDialog::FormClass);
    // A menu bar of three commands; "Open" runs an action with its own shortcut.
    Menu = NewSkinToolbar(&Form);
    Menu->SetName("MenuBar");
    SetCustomizable(Menu, false);
    Actions = new TActionList(&Form);
    OpenAction = new TAction(&Form);
    OpenAction->SetActionList(Actions);
    OpenAction->SetCaption(L"&Open");
    OpenAction->SetShortCut(ShortCut('O', TShiftState{ssCtrl}));
    for (const wchar_t* c : {L"&New", L"&Open", L"&Close"}) {
      auto* item = new TBarCustomItem(&Form);
      item->SetCaption(c);
      Menu->Items()->Add(item);
    }
    Menu->Items()->Items(0)->SetShortCut(ShortCut('N', TShiftState{ssCtrl}));
    Menu->Items()->Items(1)->SetAction(OpenAction);
    C->SetMenuBar(Menu);
    C->Show();
    pump();
    Dialog = static_cast<TTestCustomizeForm*>(C->CustomizeForm());
  }
  ~TDialog() {
    C->Close();
    pump();
  }
  void FormClass(TObject*, TSkinCustomizeFormClass& Class) { Class = &TTestCustomizeForm::Make; }
  TBarCustomItem* MenuItem(int I) { return Menu->Items()->Items(I); }
  TBarCustomToolbar* Menu;
  TActionList* Actions;
  TAction* OpenAction;
  TTestCustomizeForm* Dialog = nullptr;
};

}  // namespace

TEST(SkinCustomizeForm, ListsFilledWhenShown) {
  TDialog d;
  ASSERT_NE(d.Dialog, nullptr);
  EXPECT_TRUE(d.Dialog->Visible());
  // Customizable toolbars only, checked when visible, the first selected.
  ASSERT_EQ(d.Dialog->lbToolbars->Items()->Count(), 2);
  EXPECT_TRUE(d.Dialog->lbToolbars->Checked(0));
  EXPECT_EQ(d.Dialog->lbToolbars->ItemIndex(), 0);
  EXPECT_TRUE(d.Dialog->cbVisible->Checked());
  TStringsW* commands = d.Dialog->lbCommands->Items();
  ASSERT_EQ(commands->Count(), 3);
  EXPECT_EQ(commands->Strings(0), L"--[Separator]--");
  EXPECT_EQ(commands->Strings(2), L"Spare2");
  ASSERT_EQ(d.Dialog->lbShortcuts->Items()->Count(), 3);
  EXPECT_EQ(d.Dialog->lbShortcuts->Items()->Strings(1), L"Open");
  EXPECT_EQ(d.Dialog->cbThemes->Items()->Strings(d.Dialog->cbThemes->ItemIndex()), L"Default");
  // Closing the dialog ends customizing.
  d.C->Close();
  pump();
  EXPECT_FALSE(d.C->Showing());
  EXPECT_EQ(d.C->CustomizeForm(), nullptr);
}

TEST(SkinCustomizeForm, ToolbarsShownHiddenAndTheirTextMode) {
  TDialog d;
  HWND list = d.Dialog->lbToolbars->Handle();
  // Space toggles the check of the selected toolbar.
  PostMessageW(list, WM_CHAR, L' ', 0);
  pump();
  EXPECT_FALSE(d.A->Visible());
  EXPECT_FALSE(d.Dialog->cbVisible->Checked());
  // The "Visible" box shows it again.
  d.Dialog->cbVisible->SetChecked(true);
  d.Dialog->VisibleClicked(nullptr);
  EXPECT_TRUE(d.A->Visible());
  EXPECT_TRUE(d.Dialog->lbToolbars->Checked(0));
  // The text mode goes to the selected toolbar only.
  d.Dialog->lbToolbars->SetItemIndex(1);
  d.Dialog->ToolbarSelected(nullptr);
  d.Dialog->cbText->SetItemIndex(3);
  d.Dialog->TextModeChosen(nullptr);
  EXPECT_EQ(Mode(d.B), 3);
  EXPECT_EQ(Mode(d.A), 0);
}

TEST(SkinCustomizeForm, CtrlTabStepsBackAtTheEnds) {
  struct {
    int From;
    bool Shift;
    int To;
  } cases[] = {{0, false, 1}, {1, false, 2}, {2, false, 1}, {2, true, 1}, {1, true, 0}, {0, true, 1}};
  TDialog d;
  for (auto& c : cases) {
    d.Dialog->SetActiveTabIndex(c.From);
    Word key = VK_TAB;
    d.Dialog->KeyDown(key, c.Shift ? TShiftState{ssCtrl, ssShift} : TShiftState{ssCtrl});
    EXPECT_EQ(d.Dialog->ActiveTabIndex(), c.To) << c.From << c.Shift;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(d.Dialog->Sheet(i)->Visible(), i == c.To);
  }
}

TEST(SkinCustomizeForm, SeparatorsAndCommandsDragged) {
  TDialog d;
  // The separator entry with no spare separator makes one.
  d.Dialog->CommandDragStart(0);
  TBarCustomItem* sep = d.Dialog->DraggedItem();
  ASSERT_NE(dynamic_cast<TBarSeparatorItem*>(sep), nullptr);
  EXPECT_EQ(sep->Name().rfind("CustomizerUniqueSeparator", 0), 0u);
  EXPECT_EQ(sep->Parent(), d.C->Items());
  // Dropped on a toolbar: it leaves the spare separators; the entry itself stays.
  d.C->Items()->Remove(sep);
  d.A->Items()->Add(sep);
  d.Dialog->CommandDragEnd(true);
  EXPECT_EQ(d.Dialog->SeparatorsList()->Count(), 0);
  EXPECT_EQ(d.Dialog->lbCommands->Items()->Count(), 3);
  // A command dragged out leaves the list; one dropped on the list comes back to it.
  d.Dialog->CommandDragStart(1);
  EXPECT_EQ(d.Dialog->DraggedItem()->Name(), "Spare1");
  d.Dialog->CommandDragEnd(true);
  EXPECT_EQ(d.Dialog->lbCommands->Items()->Count(), 2);
  auto* save = static_cast<TBarCustomItem*>(d.Form.FindComponent("Save"));
  d.Dialog->ItemDropped(save);
  EXPECT_EQ(save->Parent(), d.C->Items());
  EXPECT_EQ(d.Dialog->lbCommands->Items()->Strings(2), L"Save");
  // The list takes item drags, and nothing else; one of its own entries dropped back on it
  // changes nothing.
  TSkinItemDragObject fromToolbar(static_cast<TSkinToolbar*>(d.A), sep), fromList(nullptr, save);
  TDragObject other;
  bool accept = true;
  d.Dialog->lbCommands->OnDragOver(d.Dialog->lbCommands, &other, 5, 5, dsDragMove, accept);
  EXPECT_FALSE(accept);
  d.Dialog->lbCommands->OnDragOver(d.Dialog->lbCommands, &fromList, 5, 5, dsDragMove, accept);
  EXPECT_TRUE(accept);
  d.Dialog->lbCommands->OnDragDrop(d.Dialog->lbCommands, &fromList, 5, 5);
  EXPECT_EQ(d.Dialog->lbCommands->Items()->Count(), 3);
  d.Dialog->lbCommands->OnDragOver(d.Dialog->lbCommands, &fromToolbar, 5, 5, dsDragMove, accept);
  EXPECT_TRUE(accept);
  d.Dialog->lbCommands->OnDragDrop(d.Dialog->lbCommands, &fromToolbar, 5, 5);
  EXPECT_EQ(d.Dialog->SeparatorsList()->Items(0), sep);
  EXPECT_EQ(d.A->Items()->IndexOf(sep), -1);
}

// A drag from the list that ends nowhere, or back on the list, takes nothing out of it: the
// command stays listed and the spare separator stays spare.
TEST(SkinCustomizeForm, DragEndingWhereTheItemCannotGoLeavesTheListAsItWas) {
  TDialog d;
  TSkinListBox* list = d.Dialog->lbCommands;
  d.Dialog->CommandDragStart(0);  // makes the one spare separator
  d.Dialog->CommandDragEnd(false);
  ASSERT_EQ(d.Dialog->SeparatorsList()->Count(), 1);
  const WideString before = list->Items()->Text();
  struct {
    int Index;
    bool OnTheList;
  } cases[] = {{1, false}, {1, true}, {2, false}, {0, false}, {0, true}};
  for (auto c : cases) {
    list->SetItemIndex(c.Index);
    TDragObject* drag = nullptr;
    list->OnStartDrag(list, drag);
    ASSERT_NE(drag, nullptr) << c.Index;
    list->OnEndDrag(list, c.OnTheList ? list : nullptr, 5, 5);
    EXPECT_EQ(list->Items()->Text(), before) << c.Index << c.OnTheList;
    EXPECT_EQ(d.Dialog->SeparatorsList()->Count(), 1) << c.Index << c.OnTheList;
    EXPECT_EQ(d.Dialog->DraggedItem(), nullptr);
  }
  // A drop on a toolbar does take the command out.
  list->SetItemIndex(1);
  TDragObject* drag = nullptr;
  list->OnStartDrag(list, drag);
  list->OnEndDrag(list, d.A, 5, 5);
  EXPECT_EQ(list->Items()->Count(), 2);
}

TEST(SkinCustomizeForm, ShortcutReassigned) {
  const TShortCut ctrlO = ShortCut('O', TShiftState{ssCtrl}), ctrlN = ShortCut('N', TShiftState{ssCtrl});
  struct {
    int Answer;
    int Selected;
    TShortCut Key;
    TShortCut New, Open, Action;  // afterwards: "New", "Open" and Open's action
    int Asked;
  } cases[] = {
      // "New" takes Ctrl+O: "Open" and its action give it up.
      {IDOK, 0, ctrlO, ctrlO, TShortCut(0), TShortCut(0), 1},
      {IDCANCEL, 0, ctrlO, ctrlN, ctrlO, ctrlO, 1},
      // A free key goes to the action of an action-linked command.
      {IDOK, 1, ShortCut('P', TShiftState{ssCtrl}), ctrlN, ShortCut('P', TShiftState{ssCtrl}),
       ShortCut('P', TShiftState{ssCtrl}), 0},
      // No key clears the command, and its action with it.
      {IDOK, 1, TShortCut(0), ctrlN, TShortCut(0), TShortCut(0), 0},
  };
  for (auto& c : cases) {
    TDialog d;
    TMessageBoxRecorder answer(c.Answer);
    d.Dialog->lbShortcuts->SetItemIndex(c.Selected);
    d.Dialog->ShortcutSelected(nullptr);
    EXPECT_EQ(d.Dialog->HotKey1->HotKey(), d.MenuItem(c.Selected)->ShortCut());
    d.Dialog->HotKey1->SetHotKey(c.Key);
    PostMessageW(d.Dialog->btnChange->Handle(), WM_KEYDOWN, VK_SPACE, 0);
    PostMessageW(d.Dialog->btnChange->Handle(), WM_KEYUP, VK_SPACE, 0);
    pump();
    SCOPED_TRACE(testing::Message() << c.Answer << " " << c.Selected << " " << c.Key);
    EXPECT_EQ(d.MenuItem(0)->ShortCut(), c.New);
    EXPECT_EQ(d.MenuItem(1)->ShortCut(), c.Open);
    EXPECT_EQ(d.OpenAction->ShortCut(), c.Action);
    ASSERT_EQ(static_cast<int>(answer.Texts.size()), c.Asked);
    if (c.Asked) {
      EXPECT_EQ(answer.Captions[0], L"Change Shortcut");
      EXPECT_EQ(answer.Texts[0],
                L"The shortcut is already being used by the \"Open\" command. Do you want to reassign it to the "
                L"\"New\" command?");
      EXPECT_EQ(answer.LastFlags, UINT(MB_OKCANCEL | MB_ICONWARNING));
    }
  }
}
