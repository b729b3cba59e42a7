// The keyboard shortcuts dialog over a small command list: the owner of a key, assigning,
// removing and reordering, and a key taken from another command whatever its modifier order.
#include <gtest/gtest.h>

#include "app/Global.h"
#include "app/KeyboardShortcutsFrm.h"
#include "app/NSHotKey.h"
#include "app/WindowRoutines.h"
#include "framework/Actions.h"
#include "framework/Application.h"
#include "framework/CodePages.h"
#include "framework/ListControls.h"
#include "framework/StdCtrls.h"
#include "toolbars/BarItem.h"
#include "tests/common/LabelPicture.h"
#include "tests/common/ModalForms.h"

namespace {

class KeyboardShortcuts : public testing::Test {
 protected:
  void SetUp() override {
    RegisterAppClasses();
    owner_ = New<TComponent>(nullptr);
    menu_ = New<TBarCustomItem>(owner_);
    menu_->SetCaption(L"File");
    save_ = Command(L"Save", "Shift+Ctrl+S", {"F2"});
    open_ = Command(L"Open", "Ctrl+O", {});
    find_ = Command(L"Find", "", {});
  }
  void TearDown() override { delete owner_; }
  TBarCustomItem* Command(const WideString& Caption, const char* Key, std::vector<const char*> More) {
    auto* action = New<TAction>(owner_);
    action->SetShortCut(TextToShortCut(AnsiString(Key)));
    for (const char* m : More) action->SecondaryShortCuts()->Add(m);
    auto* item = New<TBarCustomItem>(owner_);
    item->SetAction(action);
    item->SetCaption(Caption);
    menu_->Add(item);
    commands_.AddObject(WideToAnsi(Caption), item);
    return item;
  }
  std::vector<WideString> Keys(TBarCustomItem* Item) { return ActionShortcuts(CommandAction(Item)); }

  TComponent* owner_ = nullptr;
  TBarCustomItem *menu_ = nullptr, *save_ = nullptr, *open_ = nullptr, *find_ = nullptr;
  TStringList commands_;
};

using TKeys = std::vector<WideString>;

TEST_F(KeyboardShortcuts, AKeyIsTakenFromItsOwnerWhateverTheOrderOfItsModifiers) {
  // The caption alone only for an item without a parent, whatever the parent's caption.
  auto *bar = New<TBarCustomItem>(owner_), *help = New<TBarCustomItem>(owner_);
  help->SetCaption(L"&Help");
  bar->Add(help);
  for (auto [item, path] : {std::pair{save_, L"Save, File"}, {menu_, L"File"}, {help, L"Help, "}, {bar, L""}})
    EXPECT_EQ(MenuItemPath(item), path);
  menu_->SetCaption(L"&File");  // captions and labels show no accelerator marks
  EXPECT_EQ(MenuItemPath(save_), L"Save, File");
  menu_->SetCaption(L"File");
  EXPECT_EQ(FindShortcutOwner(&commands_, TextToShortCut(WideString(L"Ctrl+Shift+S")), find_), save_);
  EXPECT_EQ(FindShortcutOwner(&commands_, TextToShortCut(WideString(L"F2")), save_), nullptr);
  // Written in the other order, the key still leaves Save, which keeps F2 as its primary key.
  AssignShortcuts(&commands_, find_, {L"Ctrl+Shift+S", L"Ctrl+O"});
  EXPECT_EQ(Keys(save_), TKeys{L"F2"});
  EXPECT_EQ(Keys(open_), TKeys{});
  EXPECT_EQ(Keys(find_), (TKeys{L"Shift+Ctrl+S", L"Ctrl+O"}));
  // An empty list takes every key away.
  AssignShortcuts(&commands_, find_, {});
  EXPECT_EQ(Keys(find_), TKeys{});
  EXPECT_EQ(CommandAction(find_)->ShortCut(), 0);
}

TEST_F(KeyboardShortcuts, TheDialogAssignsDeletesAndReorders) {
  auto* form = New<TKeyboardShortcutsForm>(nullptr, save_, &commands_);
  form->lstbxShortcuts->HandleNeeded();
  ASSERT_EQ(form->lstbxShortcuts->Items()->Count(), 2);
  // The list is drawn in rows as high as the program's other lists.
  EXPECT_EQ(form->lstbxShortcuts->Style(), lbOwnerDrawFixed);
  EXPECT_EQ(form->lstbxShortcuts->ItemHeight(), TextLineHeight(form->lstbxShortcuts->Font()) + 7);
  // The list's own key in the other modifier order is no new key.
  form->htkShortcut->SetHotKey(TShortCut('S' | scCtrl | scShift));
  EXPECT_EQ(form->htkShortcut->Text(), L"Ctrl+Shift+S");
  form->actnAssign->Update();
  EXPECT_FALSE(form->actnAssign->Enabled());
  // Ctrl+O belongs to Open: the label says so, Assign adds it.
  form->htkShortcut->SetHotKey(TShortCut('O' | scCtrl));
  Word key = 'O';
  form->htkShortcutKeyDown(nullptr, key, {});
  EXPECT_EQ(form->lblCurrentlyAssignedTo->Caption(), L"Currently assigned to:\r\nOpen, File");
  form->actnAssign->Execute();
  EXPECT_EQ(form->lstbxShortcuts->Items()->Strings(2), L"Ctrl+O");
  EXPECT_EQ(form->htkShortcut->HotKey(), 0);
  EXPECT_EQ(form->lblCurrentlyAssignedTo->Caption(), L"");
  // Ctrl+O dragged onto the first entry becomes the primary key.
  form->lstbxShortcuts->SetItemIndex(2);
  form->lstbxShortcutsDragDrop(form->lstbxShortcuts, form->lstbxShortcuts, 4, 2);
  EXPECT_EQ(form->lstbxShortcuts->ItemIndex(), 0);
  // F2 deleted: the selection moves to the entry before it.
  form->lstbxShortcuts->SetItemIndex(2);
  form->actnDelete->Execute();
  EXPECT_EQ(form->lstbxShortcuts->ItemIndex(), 1);
  EXPECT_EQ(ShowModalForm(form, {form->btnOK}), mrOk);
  EXPECT_EQ(Keys(save_), (TKeys{L"Ctrl+O", L"Shift+Ctrl+S"}));
  EXPECT_EQ(Keys(open_), TKeys{});
}

// The owner of a key named by a long command path: the label's last line that fits ends in
// "..." and nothing is drawn below it.
TEST_F(KeyboardShortcuts, ALongOwnerPathEndsTheLastShownLineInAnEllipsis) {
  Command(L"Reopen every document of the last session with its caret and its selection", "Ctrl+R", {});
  std::unique_ptr<TKeyboardShortcutsForm> form(New<TKeyboardShortcutsForm>(nullptr, find_, &commands_));
  form->htkShortcut->SetHotKey(TShortCut('R' | scCtrl));
  Word key = 'R';
  form->htkShortcutKeyDown(nullptr, key, {});
  TLabel* label = form->lblCurrentlyAssignedTo;
  ASSERT_EQ(label->Caption().rfind(L"Currently assigned to:\r\nReopen every", 0), 0u);
  label->SetColor(clWhite);
  TLabelFont font(*label);
  const int line = font.LineHeight(), shown = label->Height() / line;
  ASSERT_GE(shown, 2);
  TLabelPicture picture(*label);
  EXPECT_TRUE(picture.EndsInDots(font.Width(L"..."), (shown - 1) * line, shown * line));
  EXPECT_EQ(picture.TopInk(0, label->Width(), shown * line, label->Height()), INT_MAX);
  // A short owner is shown whole.
  form->htkShortcut->SetHotKey(TShortCut('O' | scCtrl));
  key = 'O';
  form->htkShortcutKeyDown(nullptr, key, {});
  TLabelPicture whole(*label);
  EXPECT_FALSE(whole.EndsInDots(font.Width(L"..."), line, 2 * line));
  EXPECT_GE(whole.RightmostInk(line, 2 * line), 0);
}

// The list drags its own entries: a press still chooses the entry under the mouse (so that
// Delete takes it), and a drag moves the entry pressed, not the one chosen before.
TEST_F(KeyboardShortcuts, APressChoosesTheEntryUnderTheMouseAndADragMovesIt) {
  std::unique_ptr<TKeyboardShortcutsForm> form(New<TKeyboardShortcutsForm>(nullptr, save_, &commands_));
  TListBox* list = form->lstbxShortcuts;
  list->Items()->Add(L"Ctrl+Q");
  form->Show();
  Application->ProcessMessages();
  // The mouse at an entry's middle; a message to the window that has the mouse.
  auto mouse = [&](int Entry, UINT Message) {
    const TRect r = list->ItemRect(Entry);
    const TPoint at{r.Left + 10, (r.Top + r.Bottom) / 2};
    const TPoint screen = list->ClientToScreen(at);
    SetCursorPos(screen.X, screen.Y);
    HWND target = GetCapture() ? GetCapture() : list->Handle();
    POINT local{screen.X, screen.Y};
    ScreenToClient(target, &local);
    SendMessageW(target, Message, Message == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(local.x, local.y));
    Application->ProcessMessages();
  };
  ASSERT_EQ(list->ItemIndex(), -1);
  mouse(1, WM_LBUTTONDOWN);
  mouse(1, WM_LBUTTONUP);
  EXPECT_EQ(list->ItemIndex(), 1);
  form->actnDelete->Update();
  EXPECT_TRUE(form->actnDelete->Enabled());
  // "Ctrl+Q" pressed and dragged onto the first entry becomes the primary key.
  mouse(2, WM_LBUTTONDOWN);
  mouse(1, WM_MOUSEMOVE);
  mouse(0, WM_MOUSEMOVE);
  mouse(0, WM_LBUTTONUP);
  const std::vector<WideString> entries{list->Items()->Strings(0), list->Items()->Strings(1),
                                        list->Items()->Strings(2)};
  EXPECT_EQ(entries, (std::vector<WideString>{L"Ctrl+Q", L"Shift+Ctrl+S", L"F2"}));
  EXPECT_EQ(list->ItemIndex(), 0);
}

// Cancel pressed while the field has the focus is the Esc key; else, or released off, it cancels.
TEST_F(KeyboardShortcuts, CancelPressedWhileTheFieldHasTheFocusIsTheEscKey) {
  for (auto [inField, onTheButton, result, key] :
       {std::tuple{true, true, mrNone, VK_ESCAPE}, {false, true, mrCancel, 0}, {true, false, mrCancel, 0}}) {
    std::unique_ptr<TKeyboardShortcutsForm> form(New<TKeyboardShortcutsForm>(nullptr, find_, &commands_));
    form->Show();
    Application->ProcessMessages();
    (inField ? static_cast<TWinControl*>(form->htkShortcut) : form->lstbxShortcuts)->SetFocus();
    SendMessageW(form->btnCancel->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(form->btnCancel->Handle(), WM_LBUTTONUP, 0, onTheButton ? MAKELPARAM(5, 5) : MAKELPARAM(400, 300));
    Application->ProcessMessages();
    // Released off the button nothing was clicked: Esc, wherever the focus is now, cancels.
    if (!onTheButton) {
      PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 1);
      Application->ProcessMessages();
    }
    EXPECT_EQ(form->ModalResult(), result) << inField << onTheButton;
    EXPECT_EQ(form->htkShortcut->HotKey(), key) << inField << onTheButton;
    form->Hide();
  }
}

// A plain Tab in the field moves the focus on to the next control and is no key of its own.
TEST_F(KeyboardShortcuts, TabInTheFieldMovesTheFocusOn) {
  std::unique_ptr<TKeyboardShortcutsForm> form(New<TKeyboardShortcutsForm>(nullptr, find_, &commands_));
  form->Show();
  Application->ProcessMessages();
  // Ctrl+K is new to the list, so "Assign", next in tab order, can take the focus.
  form->htkShortcut->SetHotKey(TShortCut('K' | scCtrl));
  form->actnAssign->Update();
  ASSERT_TRUE(form->btnAssign->Enabled());
  form->htkShortcut->SetFocus();
  PostMessageW(form->htkShortcut->Handle(), WM_KEYDOWN, VK_TAB, 1);
  for (int i = 0; i < 3; ++i) Application->ProcessMessages();
  EXPECT_TRUE(form->btnAssign->Focused());
  EXPECT_EQ(form->htkShortcut->HotKey(), 0);
  EXPECT_EQ(form->htkShortcut->Text(), L"(None)");
  form->Hide();
}

TEST_F(KeyboardShortcuts, EscInTheFieldIsTheKeyNotACancel) {
  auto* form = New<TKeyboardShortcutsForm>(nullptr, find_, &commands_);
  PostMessageW(form->htkShortcut->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(ShowModalForm(form, {form->btnAssign, form->btnOK}), mrOk);
  EXPECT_EQ(Keys(find_), TKeys{L"Esc"});
}

}  // namespace
