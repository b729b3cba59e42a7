// The find and replace dialog over the main window: opened by the main window's commands on its
// tabs, typed into and clicked as a user does, with its results in the active editor, its
// histories, its layout between the tabs and its settings in the preferences file.
#include "framework/Win.h"

#include <gtest/gtest.h>

#include "app/FindAndReplaceFrm.h"
#include "app/Startup.h"
#include "app/MainDataModule.h"
#include "app/MainActions.h"
#include "controls/ApPageList.h"
#include "controls/PngImageList.h"
#include "foundation/ApFormPlacement.h"
#include "foundation/ApStrHolder.h"
#include "foundation/LgLanguage.h"
#include "framework/Actions.h"
#include "framework/ComCtrls.h"
#include "framework/ExtCtrls.h"
#include "framework/GdiHandles.h"
#include "framework/Graphics.h"
#include "framework/IniFiles.h"
#include "framework/ListControls.h"
#include "framework/ScopeGuards.h"
#include "framework/StdCtrls.h"
#include "themes/SkinControls.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/DocumentTestSupport.h"
#include "tests/app/MemoryShortSearch.h"

namespace {

class FindDialog : public DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    module_.reset(New<TMainDataModule>(nullptr));
    Make();
    edit_ = form_->ActiveEditor();
  }
  void TearDown() override {
    FreeFindAndReplaceForm();
    DocumentTest::TearDown();
    module_.reset();
  }
  TAction* Act(const char* Name) { return form_->Commands->Action(Name); }
  bool Enabled(TAction* Action) {
    Action->Update();
    return Action->Enabled();
  }
  // The main window's command that opens the dialog on a tab; the dialog, shown and active.
  TFindAndReplaceForm* Open(const char* Command) {
    EXPECT_TRUE(Act(Command)->Execute()) << Command;
    dialog_ = FindAndReplaceForm;
    Application->ProcessMessages();
    return dialog_;
  }
  // Each character typed into a box, the messages handled between keys as they come.
  void Type(TComboBox* Box, const WideString& Text) {
    for (wchar_t c : Text) {
      SendMessageW(Box->EditHandle(), WM_CHAR, c, 1);
      Application->ProcessMessages();
    }
  }
  void Erase(TComboBox* Box, int Count) {
    for (int i = 0; i < Count; ++i) {
      SendMessageW(Box->EditHandle(), WM_CHAR, VK_BACK, 1);
      Application->ProcessMessages();
    }
  }
  // A key pressed in a window, through the application's message loop.
  void Key(HWND Window, WPARAM Key) {
    PostMessageW(Window, WM_KEYDOWN, Key, 1);
    PostMessageW(Window, WM_KEYUP, Key, 0xC0000001);
    Application->ProcessMessages();
  }
  void Click(TButton* Button) {
    SendMessageW(Button->Handle(), BM_CLICK, 0, 0);
    Application->ProcessMessages();
  }
  std::vector<WideString> Items(TComboBox* Box) {
    std::vector<WideString> items;
    for (int i = 0; i < Box->Items()->Count(); ++i) items.push_back(Box->Items()->Strings(i));
    return items;
  }
  AnsiString Text() { return edit_->Lines()->Text(); }

  std::unique_ptr<TMainDataModule> module_;
  TTxtEdit* edit_ = nullptr;
  TFindAndReplaceForm* dialog_ = nullptr;
};

}  // namespace

TEST_F(FindDialog, CommandsOpenTheirTabsAndFollowTheDialog) {
  for (const char* name : {"actnFindNext", "actnFindPrevious"}) EXPECT_FALSE(Enabled(Act(name))) << name;
  EXPECT_TRUE(Enabled(Act("actnFind")) && Enabled(Act("actnReplace")) && Enabled(Act("actnGoto")));
  const std::pair<const char*, const char*> tabs[] = {
      {"actnReplace", "tbshtReplace"}, {"actnGoto", "tbshtGoTo"}, {"actnFind", "tbshtFind"}};
  for (const auto& [command, tab] : tabs) {
    Open(command);
    EXPECT_TRUE(dialog_->Visible()) << command;
    EXPECT_EQ(dialog_->pgcntrlFindAndReplace->ActivePage()->Name(), tab);
  }
  // Created once, with the application as owner, in front of its window only, which stays usable.
  EXPECT_EQ(dialog_->Owner(), Application);
  EXPECT_TRUE(IsWindowEnabled(form_->Handle()));
  EXPECT_FALSE(GetWindowLongW(dialog_->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(dialog_->Caption(), L"Find and replace");
  // Find next and previous need a find text; the print preview disables the whole lot.
  EXPECT_FALSE(Enabled(Act("actnFindNext")));
  dialog_->cmbxFindWhat->SetText(L"x");
  EXPECT_TRUE(Enabled(Act("actnFindNext")) && Enabled(Act("actnFindPrevious")));
  ASSERT_TRUE(Act("actnPrintPreview")->Execute());
  for (const char* name : {"actnFind", "actnFindNext", "actnReplace", "actnGoto"})
    EXPECT_FALSE(Enabled(Act(name))) << name;
  EXPECT_FALSE(Enabled(dialog_->actnFindNext) || Enabled(dialog_->actnReplaceAll));
  // Esc closes the dialog.
  ASSERT_TRUE(Act("actnPrintPreview")->Execute());
  Key(dialog_->cmbxFindWhat->EditHandle(), VK_ESCAPE);
  EXPECT_FALSE(dialog_->Visible());
}

TEST_F(FindDialog, TypingFindsFromTheCaretSavedAtActivation) {
  edit_->SetTextA("a ab abc\r\nabcd\r\nab");
  edit_->SetCaretXY({2, 1});
  Open("actnFind");
  dialog_->cmbxFindWhat->SetText(L"");
  EXPECT_EQ(dialog_->SavedCaret, (TBufferCoord{2, 1}));
  // Letter by letter, the first match after the saved caret.
  std::vector<TBufferCoord> starts;
  for (wchar_t c : WideString(L"abcd")) {
    Type(dialog_->cmbxFindWhat, WideString(1, c));
    starts.push_back(edit_->BlockBegin());
  }
  EXPECT_EQ(starts, (std::vector<TBufferCoord>{{3, 1}, {3, 1}, {6, 1}, {1, 2}}));
  EXPECT_EQ(dialog_->Result(), -1);
  // A letter more finds nothing: the label says so and the caret goes back.
  Type(dialog_->cmbxFindWhat, L"e");
  EXPECT_EQ(dialog_->Result(), 1);
  EXPECT_EQ(dialog_->lblFindWhatResult->Caption(), L"Search string not found.");
  EXPECT_EQ(dialog_->lblFindWhatResult->ImageIndex(), 1);
  EXPECT_EQ(edit_->CaretXY(), (TBufferCoord{2, 1}));
  // Erased back to nothing: the label is clear again; typing does not fill the history.
  Erase(dialog_->cmbxFindWhat, 5);
  EXPECT_EQ(dialog_->Result(), -1);
  EXPECT_TRUE(dialog_->lblFindWhatResult->Caption().empty());
  EXPECT_EQ(dialog_->cmbxFindWhat->Items()->Count(), 0);
  // Searching up, typing finds backwards from the saved caret, round the end.
  SendMessageW(dialog_->rdbtnSearchUp->Handle(), BM_CLICK, 0, 0);
  Type(dialog_->cmbxFindWhat, L"ab");
  EXPECT_EQ(edit_->BlockBegin(), (TBufferCoord{1, 3}));
}

TEST_F(FindDialog, FindNextWrapsRoundAndSaysSo) {
  edit_->SetTextA("target one\r\nplain\r\nplain target");
  edit_->SetCaretXY({1, 2});
  Open("actnFind");
  dialog_->cmbxFindWhat->SetText(L"target");
  Click(dialog_->btnFindNext);
  EXPECT_EQ(edit_->BlockBegin(), (TBufferCoord{7, 3}));
  EXPECT_EQ(dialog_->Result(), -1);
  // Only above the caret now: the end is reached and the match above selected.
  Click(dialog_->btnFindNext);
  EXPECT_EQ(edit_->BlockBegin(), (TBufferCoord{1, 1}));
  EXPECT_EQ(dialog_->lblFindWhatResult->Caption(), L"Reached end of document, continued from beginning.");
  EXPECT_EQ(dialog_->lblFindWhatResult->ImageIndex(), 0);
  // The main window's Find previous goes the other way, round the start.
  ASSERT_TRUE(Act("actnFindPrevious")->Execute());
  EXPECT_EQ(edit_->BlockBegin(), (TBufferCoord{7, 3}));
  EXPECT_EQ(dialog_->Result(), 0);
  // Match case and whole words from the check boxes.
  SendMessageW(dialog_->chckbxMatchCase->Handle(), BM_CLICK, 0, 0);
  dialog_->cmbxFindWhat->SetText(L"Target");
  Click(dialog_->btnFindNext);
  EXPECT_EQ(dialog_->Result(), 1);
  EXPECT_EQ(edit_->CaretXY(), dialog_->SavedCaret);
}

TEST_F(FindDialog, EnterInABoxRunsThatBoxsCommand) {
  edit_->SetTextA("one two one\r\nthree");
  edit_->SetCaretXY({1, 1});
  Open("actnReplace");
  dialog_->cmbxFindWhat->SetText(L"one");
  dialog_->cmbxReplaceWith->SetText(L"1");
  // On the replace tab Enter in the find box finds, in the replace box replaces.
  Key(dialog_->cmbxFindWhat->EditHandle(), VK_RETURN);
  EXPECT_EQ(Text(), "one two one\r\nthree");
  EXPECT_EQ(edit_->SelText(), "one");
  Key(dialog_->cmbxReplaceWith->EditHandle(), VK_RETURN);
  EXPECT_EQ(Text(), "1 two one\r\nthree");
  EXPECT_EQ(Items(dialog_->cmbxReplaceWith), (std::vector<WideString>{L"1"}));
  // An empty find box too: the replacement finds nothing and says so, the finding goes back to
  // where the dialog was activated.
  dialog_->cmbxFindWhat->SetText(L"");
  dialog_->cmbxReplaceWith->SetText(L"2");
  Key(dialog_->cmbxReplaceWith->EditHandle(), VK_RETURN);
  EXPECT_EQ(dialog_->Result(), 1);
  EXPECT_EQ(Text(), "1 two one\r\nthree");
  EXPECT_EQ(Items(dialog_->cmbxReplaceWith), (std::vector<WideString>{L"2", L"1"}));
  ASSERT_NE(edit_->CaretXY(), dialog_->SavedCaret);
  Key(dialog_->cmbxFindWhat->EditHandle(), VK_RETURN);
  EXPECT_EQ(dialog_->Result(), -1);
  EXPECT_EQ(edit_->CaretXY(), dialog_->SavedCaret);
}

TEST_F(FindDialog, ReplacesOneAtATimeOrAllOfThemSearchingEitherWay) {
  edit_->SetTextA("cat dog cat\r\ncat");
  edit_->SetCaretXY({1, 2});
  Open("actnReplace");
  dialog_->cmbxFindWhat->SetText(L"cat");
  dialog_->cmbxReplaceWith->SetText(L"fox");
  // One at a time from the caret, then round to the start.
  Click(dialog_->btnReplace);
  EXPECT_EQ(Text(), "cat dog cat\r\nfox");
  EXPECT_EQ(dialog_->Result(), -1);
  Click(dialog_->btnReplace);
  EXPECT_EQ(Text(), "fox dog cat\r\nfox");
  EXPECT_EQ(dialog_->Result(), 0);
  // All, with "Search up" and the caret in the middle: still the whole text, one undo step.
  SendMessageW(dialog_->rdbtnSearchUp->Handle(), BM_CLICK, 0, 0);
  edit_->SetTextA("cat dog cat\r\ncat cat");
  edit_->SetCaretXY({5, 1});
  Click(dialog_->btnReplaceAll);
  EXPECT_EQ(Text(), "fox dog fox\r\nfox fox");
  edit_->Undo();
  EXPECT_EQ(Text(), "cat dog cat\r\ncat cat");
  // Nothing to replace: "not found" and the text untouched.
  dialog_->cmbxFindWhat->SetText(L"emu");
  Click(dialog_->btnReplaceAll);
  EXPECT_EQ(dialog_->Result(), 1);
  EXPECT_EQ(Text(), "cat dog cat\r\ncat cat");
}

TEST_F(FindDialog, GoToLineOrColumnWithinTheLineCount) {
  edit_->SetTextA("short\r\nthis line is long\r\nend");
  edit_->SetCaretXY({1, 2});
  Open("actnGoto");
  EXPECT_EQ(dialog_->lblNumber->Caption(), L"Line number:");
  struct {
    const wchar_t* Typed;
    bool Column;
    bool Enabled;
    TBufferCoord Caret;
  } const cases[] = {
      {L"0", false, false, {1, 2}},     {L"4", false, false, {1, 2}}, {L"abc", false, false, {1, 2}},
      {L"line 3", false, true, {1, 3}}, {L"1", false, true, {1, 1}},  {L"5", true, false, {1, 1}},
      {L"3", true, true, {3, 1}},       {L"2", true, true, {2, 1}},
  };
  for (const auto& c : cases) {
    SendMessageW((c.Column ? dialog_->rdbtnColumn : dialog_->rdbtnLine)->Handle(), BM_CLICK, 0, 0);
    dialog_->cmbxNumber->SetText(c.Typed);
    EXPECT_EQ(Enabled(dialog_->actnGo), c.Enabled) << c.Typed;
    // Enter runs "Go" even when it is disabled, and the number goes into the history.
    Key(dialog_->cmbxNumber->EditHandle(), VK_RETURN);
    EXPECT_EQ(edit_->CaretXY(), c.Caret) << c.Typed;
  }
  EXPECT_EQ(dialog_->lblNumber->Caption(), L"Column number:");
  EXPECT_EQ(Items(dialog_->cmbxNumber), (std::vector<WideString>{L"2", L"3", L"5", L"1", L"-1", L"4", L"0"}));
}

TEST_F(FindDialog, HistoriesKeepFifteenEntriesNewestFirst) {
  edit_->SetTextA("text");
  Open("actnFind");
  for (int i = 1; i <= 17; ++i) {
    dialog_->cmbxFindWhat->SetText(L"entry" + std::to_wstring(i));
    Click(dialog_->btnFindNext);
  }
  std::vector<WideString> items = Items(dialog_->cmbxFindWhat);
  ASSERT_EQ(items.size(), 15u);
  EXPECT_EQ(items.front(), L"entry17");
  EXPECT_EQ(items.back(), L"entry3");
  // An entry used again moves to the top, once; the box shows it with its caret kept.
  dialog_->cmbxFindWhat->SetText(L"entry9");
  dialog_->cmbxFindWhat->SetSelStart(2);
  Click(dialog_->btnFindNext);
  items = Items(dialog_->cmbxFindWhat);
  EXPECT_EQ(items.size(), 15u);
  EXPECT_EQ(std::count(items.begin(), items.end(), L"entry9"), 1);
  EXPECT_EQ(items[0], L"entry9");
  EXPECT_EQ(items[1], L"entry17");
  EXPECT_EQ(dialog_->cmbxFindWhat->ItemIndex(), 0);
  EXPECT_EQ(dialog_->cmbxFindWhat->SelStart(), 2);
}

TEST_F(FindDialog, TabsShareTheirPanelsAndButtons) {
  Open("actnFind");
  struct Tab {
    const char* Command;
    TTabSheet* Page;
    bool Replace;
    TButton* Default;
    TApStandardPage* Buttons;
    TWinControl* Focus;
  };
  const Tab tabs[] = {
      {"actnReplace", dialog_->tbshtReplace, true, dialog_->btnReplace, dialog_->stndrdpgReplace,
       dialog_->cmbxFindWhat},
      {"actnFind", dialog_->tbshtFind, false, dialog_->btnFindNext, dialog_->stndrdpgReplace, dialog_->cmbxFindWhat},
      {"actnGoto", dialog_->tbshtGoTo, false, dialog_->btnGo, dialog_->stndrdpgGoto, dialog_->cmbxNumber},
  };
  SendMessageW(dialog_->btnMoreLess->Handle(), BM_CLICK, 0, 0);
  for (const Tab& t : tabs) {
    Open(t.Command);
    EXPECT_EQ(dialog_->pnlButtons->Parent(), t.Page) << t.Command;
    EXPECT_EQ(dialog_->pglstFindAndReplace->ActivePage(), t.Buttons) << t.Command;
    for (TButton* b : {dialog_->btnFindNext, dialog_->btnReplace, dialog_->btnGo})
      EXPECT_EQ(b->Default(), b == t.Default) << t.Command << " " << b->Name();
    EXPECT_EQ(dialog_->ActiveControl(), t.Focus) << t.Command;
    if (t.Page == dialog_->tbshtGoTo) {
      EXPECT_LT(dialog_->pnlButtons->TabOrder(), dialog_->pnlGoToObject->TabOrder());
      continue;
    }
    EXPECT_EQ(dialog_->pnlFindWhat->Parent(), t.Page);
    EXPECT_EQ(dialog_->pnlSearchParameters->Parent(), t.Page);
    EXPECT_EQ(dialog_->btnReplace->Visible(), t.Replace);
    EXPECT_EQ(dialog_->btnReplaceAll->Visible(), t.Replace);
    // Find box at the top, the replace box under it, the parameters under both.
    EXPECT_EQ(dialog_->pnlFindWhat->Top(), 0);
    if (t.Replace) {
      EXPECT_EQ(dialog_->pnlReplaceWith->Top(), dialog_->pnlFindWhat->Height());
    }
    const int below = dialog_->pnlFindWhat->Height() + (t.Replace ? dialog_->pnlReplaceWith->Height() : 0);
    EXPECT_EQ(dialog_->pnlSearchParameters->Top(), below) << t.Command;
    // Tab goes from the find box to the replace box, the buttons, then the parameters.
    EXPECT_EQ(dialog_->pnlFindWhat->TabOrder(), 0);
    if (t.Replace) {
      EXPECT_EQ(dialog_->pnlReplaceWith->TabOrder(), 1);
    }
    EXPECT_LT(dialog_->pnlButtons->TabOrder(), dialog_->pnlSearchParameters->TabOrder());
  }
}

TEST_F(FindDialog, MoreAndLessGrowAndShrinkTheDialog) {
  Open("actnGoto");
  const int height = dialog_->ClientHeight(), pages = dialog_->pgcntrlFindAndReplace->Height();
  const int grow = dialog_->pnlSearchParameters->Height();
  ASSERT_FALSE(dialog_->pnlSearchParameters->Visible());
  EXPECT_FALSE(dialog_->pnlGoToObject->Visible());
  dialog_->actnMoreLess->Update();
  EXPECT_EQ(dialog_->btnMoreLess->Caption(), L"More >>");
  SendMessageW(dialog_->btnMoreLess->Handle(), BM_CLICK, 0, 0);
  dialog_->actnMoreLess->Update();
  EXPECT_EQ(dialog_->btnMoreLess->Caption(), L"<< Less");
  EXPECT_TRUE(dialog_->pnlSearchParameters->Visible() && dialog_->pnlGoToObject->Visible());
  EXPECT_EQ(dialog_->ClientHeight(), height + grow);
  EXPECT_EQ(dialog_->pgcntrlFindAndReplace->Height(), pages + grow);
  // The buttons stay at the bottom of the grown page.
  const TTabSheet* page = dialog_->tbshtGoTo;
  EXPECT_EQ(dialog_->pnlButtons->Top() + dialog_->pnlButtons->Height(), page->Height());
  SendMessageW(dialog_->btnMoreLess->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(dialog_->ClientHeight(), height);
  EXPECT_FALSE(dialog_->pnlGoToObject->Visible());
}

TEST_F(FindDialog, StoredPropertiesAreWrittenAndReadBack) {
  {
    TIniFile other(folder_.File(L"Preferences.ini"));
    other.WriteString("Other", "Key", "kept");
  }
  edit_->SetTextA("alpha beta");
  Open("actnReplace");
  dialog_->cmbxFindWhat->SetText(L"alpha");
  dialog_->cmbxReplaceWith->SetText(L"gamma");
  Click(dialog_->btnReplace);
  dialog_->cmbxNumber->Items()->Add(L"7");
  for (TCheckBox* box : {dialog_->chckbxMatchCase, dialog_->chckbxRegularExpressions})
    SendMessageW(box->Handle(), BM_CLICK, 0, 0);
  SendMessageW(dialog_->btnMoreLess->Handle(), BM_CLICK, 0, 0);
  const int grown = dialog_->ClientHeight();
  Key(dialog_->cmbxFindWhat->EditHandle(), VK_ESCAPE);
  ASSERT_FALSE(dialog_->Visible());
  // Written under the dialog's own section of the preferences file, which keeps the rest.
  TMemIniFile ini(folder_.File(L"Preferences.ini"));
  const struct {
    const char* Section;
    const char* Key;
    const char* Value;
  } stored[] = {
      {"FindAndReplaceForm", "chckbxMatchCase_Checked", "1"},
      {"FindAndReplaceForm", "chckbxWholeWordsOnly_Checked", "0"},
      {"FindAndReplaceForm", "chckbxRegularExpressions_Checked", "1"},
      {"FindAndReplaceForm", "pnlSearchParameters_Visible", "1"},
      {"FindAndReplaceForm\\cmbxFindWhat_Items", "Item0", "alpha"},
      {"FindAndReplaceForm\\cmbxReplaceWith_Items", "Item0", "gamma"},
      {"FindAndReplaceForm\\cmbxNumber_Items", "Count", "1"},
      {"Other", "Key", "kept"},
  };
  for (const auto& v : stored) EXPECT_EQ(ini.ReadString(v.Section, v.Key, ""), v.Value) << v.Section << " " << v.Key;
  EXPECT_NE(ini.ReadString("FindAndReplaceForm", "NormPos", ""), "");

  // A new dialog shows them again, expanded as it was left.
  FreeFindAndReplaceForm();
  Open("actnFind");
  EXPECT_EQ(Items(dialog_->cmbxFindWhat), (std::vector<WideString>{L"alpha"}));
  EXPECT_EQ(Items(dialog_->cmbxReplaceWith), (std::vector<WideString>{L"gamma"}));
  EXPECT_EQ(Items(dialog_->cmbxNumber), (std::vector<WideString>{L"7"}));
  EXPECT_TRUE(dialog_->chckbxMatchCase->Checked() && dialog_->chckbxRegularExpressions->Checked());
  EXPECT_FALSE(dialog_->chckbxWholeWordsOnly->Checked());
  EXPECT_TRUE(dialog_->MoreShown() && dialog_->pnlSearchParameters->Visible());
  EXPECT_EQ(dialog_->ClientHeight(), grown);
}

TEST_F(FindDialog, LongStoredHistoriesAreCutToFifteen) {
  Open("actnFind");
  for (int i = 0; i < 40; ++i) dialog_->cmbxFindWhat->Items()->Add(L"e" + std::to_wstring(i));
  dialog_->Close();
  FreeFindAndReplaceForm();
  Open("actnFind");
  EXPECT_EQ(dialog_->cmbxFindWhat->Items()->Count(), FindHistoryCount);
  EXPECT_EQ(dialog_->cmbxFindWhat->Items()->Strings(0), L"e0");
}

TEST_F(FindDialog, ShowingTakesTheSelectionOrTheWordAtTheCaret) {
  edit_->SetTextA("first second\r\nthird");
  edit_->SetCaretXY({9, 1});
  Open("actnFind");
  EXPECT_EQ(dialog_->cmbxFindWhat->Text(), L"second");
  dialog_->Close();
  // A selection over two lines gives its first line.
  edit_->SetBlockBegin({7, 1});
  edit_->SetBlockEnd({3, 2});
  Open("actnFind");
  EXPECT_EQ(dialog_->cmbxFindWhat->Text(), L"second");
  EXPECT_EQ(dialog_->Result(), -1);
  dialog_->Close();
  // Nothing under the caret empties the box.
  edit_->SetTextA("   ");
  edit_->SetCaretXY({2, 1});
  Open("actnFind");
  EXPECT_EQ(dialog_->cmbxFindWhat->Text(), L"");
}

// A selection of several words goes into the find box whole, not the word at the caret.
TEST_F(FindDialog, ShowingTakesASelectionOfSeveralWords) {
  edit_->SetTextA("one two three\r\nfour");
  edit_->SetCaretXY({8, 1});
  edit_->SetBlockBegin({1, 1});
  edit_->SetBlockEnd({8, 1});
  Open("actnFind");
  EXPECT_EQ(dialog_->cmbxFindWhat->Text(), L"one two");
}

TEST_F(FindDialog, TheHiddenDialogStartsFromTheSelection) {
  edit_->SetTextA("abc abc\r\nabc");
  Open("actnFind");
  dialog_->cmbxFindWhat->SetText(L"abc");
  dialog_->Close();
  edit_->SetBlockBegin({5, 1});
  edit_->SetBlockEnd({8, 1});
  form_->Commands->UpdateStatusBar(false);
  EXPECT_EQ(dialog_->SavedCaret, (TBufferCoord{5, 1}));
  // F3 and Shift+F3 search on from there with the dialog away.
  ASSERT_TRUE(Act("actnFindNext")->Execute());
  EXPECT_EQ(edit_->BlockBegin(), (TBufferCoord{1, 2}));
  ASSERT_TRUE(Act("actnFindPrevious")->Execute());
  EXPECT_EQ(edit_->BlockBegin(), (TBufferCoord{5, 1}));
  // While the dialog shows, the position taken at activation stays.
  Open("actnFind");
  const TBufferCoord saved = dialog_->SavedCaret;
  edit_->SetCaretXY({1, 2});
  form_->Commands->UpdateStatusBar(false);
  EXPECT_EQ(dialog_->SavedCaret, saved);
}

TEST_F(FindDialog, TheLabelsFollowALanguageChange) {
  edit_->SetTextA("abc");
  Open("actnGoto");
  dialog_->SetResult(0);
  EXPECT_EQ(dialog_->lblFindWhatResult->Images(), static_cast<TCustomImageList*>(MainDataModule->pngmglstBanner));
  // The translated texts arrive in the holder; the handler shows them.
  TApMultiStringHolder* holder = dialog_->mltstrnghldrFindAndReplace;
  holder->GetStringsByName("sReachedEnd")->SetText("Am Ende angekommen.");
  holder->GetStringsByName("sNumber")->SetText("%s-Nummer:");
  holder->GetStringsByName("sLine")->SetText("Zeilen");
  dialog_->lngcntrlrFindAndReplaceLanguageChanged(dialog_->lngcntrlrFindAndReplace);
  EXPECT_EQ(dialog_->lblFindWhatResult->Caption(), L"Am Ende angekommen.");
  EXPECT_EQ(dialog_->lblFindWhatResult->ImageIndex(), 0);
  EXPECT_EQ(dialog_->lblNumber->Caption(), L"Zeilen-Nummer:");
  // A translation whose format does not take the text gives the English one.
  for (const char* hostile : {"Nummer %d:", "%s %s", "%", "%1:s", "%x"}) {
    holder->GetStringsByName("sNumber")->SetText(hostile);
    dialog_->lngcntrlrFindAndReplaceLanguageChanged(dialog_->lngcntrlrFindAndReplace);
    EXPECT_EQ(dialog_->lblNumber->Caption(), L"Zeilen number:") << hostile;
  }
  // One without a directive is shown as it is.
  holder->GetStringsByName("sNumber")->SetText("Nummer:");
  dialog_->lngcntrlrFindAndReplaceLanguageChanged(dialog_->lngcntrlrFindAndReplace);
  EXPECT_EQ(dialog_->lblNumber->Caption(), L"Nummer:");
}

// An expression the engine cannot use: typing says so in the label only, with no box and nothing
// in "Errors.log"; Find next and Replace all each say it once in a box, with the engine's text
// and position. An expression too complex for the text the same way, within the budgets.
TEST_F(FindDialog, ExpressionErrorsAreToldOncePerCommandAndQuietlyWhileTyping) {
  const WideString log = ErrorLogFile();
  DeleteFileW(log.c_str());
  edit_->SetTextA("abc 123\r\nabc 456");
  const AnsiString small = Text();
  Open("actnReplace");
  SendMessageW(dialog_->chckbxRegularExpressions->Handle(), BM_CLICK, 0, 0);
  ASSERT_TRUE(dialog_->chckbxRegularExpressions->Checked());
  Type(dialog_->cmbxFindWhat, L"(abc[0-9");
  const WideString bad = L"Error in the regular expression: TRegExpr(comp): Unmatched [] (pos 8)";
  EXPECT_TRUE(boxes_.Shown.empty());
  EXPECT_EQ(dialog_->Result(), frBadExpression);
  EXPECT_EQ(dialog_->lblFindWhatResult->Caption(), bad);
  EXPECT_EQ(GetFileAttributesW(log.c_str()), INVALID_FILE_ATTRIBUTES);
  // A replace-all that stops says first that it replaced nothing; the commands after it do not.
  const WideString nothing = L"Nothing was replaced. ";
  for (TButton* button : {dialog_->btnFindNext, dialog_->btnReplaceAll, dialog_->btnFindNext, dialog_->btnReplace,
                          dialog_->btnReplaceAll, dialog_->btnReplace}) {
    boxes_.Clear();
    Click(button);
    const WideString told = (button == dialog_->btnReplaceAll ? nothing : L"") + bad;
    EXPECT_EQ(boxes_.Shown, std::vector<WideString>{told + L"|Halcorn Verdan|16"}) << WideToAnsi(button->Caption());
    EXPECT_EQ(dialog_->lblFindWhatResult->Caption(), told);
  }
  EXPECT_EQ(Text(), small);

  AnsiString text;
  for (int i = 0; i < 10; ++i) text += AnsiString(24, 'a') + "!\r\n";
  edit_->SetTextA(text);
  const AnsiString exploding = Text();
  dialog_->Search()->CommandSteps = 3000000;
  dialog_->Search()->TypingSteps = 300000;
  dialog_->cmbxFindWhat->SetText(L"");
  boxes_.Clear();
  Type(dialog_->cmbxFindWhat, L"(\\w+\\s?)+\\1$");
  const WideString tooComplex = L"The expression is too complex for this text: the search was stopped.";
  EXPECT_TRUE(boxes_.Shown.empty());
  EXPECT_EQ(dialog_->lblFindWhatResult->Caption(), tooComplex);
  for (TButton* button : {dialog_->btnFindNext, dialog_->btnReplaceAll, dialog_->btnFindNext, dialog_->btnReplaceAll}) {
    boxes_.Clear();
    Click(button);
    const WideString told = (button == dialog_->btnReplaceAll ? nothing : L"") + tooComplex;
    EXPECT_EQ(boxes_.Shown, std::vector<WideString>{told + L"|Halcorn Verdan|16"}) << WideToAnsi(button->Caption());
    EXPECT_EQ(dialog_->lblFindWhatResult->Caption(), told);
    // The label may be too narrow for it: the whole text is its hint.
    EXPECT_EQ(dialog_->lblFindWhatResult->Hint(), told);
  }
  EXPECT_TRUE(Text() == exploding);
  EXPECT_EQ(GetFileAttributesW(log.c_str()), INVALID_FILE_ATTRIBUTES);
  // The label's texts follow a language change.
  TApMultiStringHolder* holder = dialog_->mltstrnghldrFindAndReplace;
  holder->GetStringsByName("sTooComplex")->SetText("Zu komplex.");
  holder->GetStringsByName("sNothingReplaced")->SetText("Nichts ersetzt.");
  dialog_->lngcntrlrFindAndReplaceLanguageChanged(dialog_->lngcntrlrFindAndReplace);
  EXPECT_EQ(dialog_->lblFindWhatResult->Caption(), L"Nichts ersetzt. Zu komplex.");
}

// The result line shows its whole text in each language, where the user looks: an expression
// error (the engine's text with its position, up to three digits), the too-complex, not-found and
// wrapped texts. The drawn text lies inside the label, needs no more room than it gets, and the
// label inside its panel.
TEST_F(FindDialog, TheResultLineShowsItsWholeTextInEachLanguage) {
  TScopeExit restore([] { LangManager().SetLanguageID(LangManager().DefaultLanguageID()); });
  ASSERT_TRUE(LangManager().RegisterLanguageFile(BuildPath(L"app\\Languages\\Russian.lng")));
  Open("actnReplace");
  SendMessageW(dialog_->chckbxRegularExpressions->Handle(), BM_CLICK, 0, 0);
  const AnsiString lead(120, 'a');
  const AnsiString bad[] = {"(ab", "[b-a]", "(?#note", "a{3,2}", lead + "(ab", lead + "a{3,2}"};
  TSkinLabel* label = dialog_->lblFindWhatResult;
  auto expectWhole = [&] {
    TWindowDC screen;
    TCanvas canvas;
    canvas.SetHandle(screen.Get());
    canvas.Font()->Assign(label->Font());
    TRect image, drawn;
    label->CalcLayout(&canvas, image, drawn);
    const WideString text = label->Caption();
    RECT need{0, 0, drawn.Width(), 0};
    DrawTextW(canvas.Handle(), text.c_str(), static_cast<int>(text.size()), &need,
              label->CaptionFormat() | DT_CALCRECT);
    canvas.SetHandle(nullptr);
    const TRect bounds = label->BoundsRect();
    EXPECT_TRUE(drawn.Left >= 0 && drawn.Top >= 0 && drawn.Right <= label->ClientWidth() &&
                drawn.Bottom <= label->ClientHeight() && need.right <= drawn.Width() && need.bottom <= drawn.Height() &&
                bounds.Right <= dialog_->pnlFindWhat->ClientWidth() &&
                bounds.Bottom <= dialog_->pnlFindWhat->ClientHeight())
        << WideToUtf8(text) << ": " << drawn.Right << "x" << drawn.Bottom << " in " << bounds.Width() << "x"
        << bounds.Height();
  };
  for (LANGID language : {LANGID(1049), LANGID(1033)}) {
    LangManager().SetLanguageID(language);
    for (const AnsiString& pattern : bad) {
      dialog_->cmbxFindWhat->SetText(AnsiToWide(pattern));
      dialog_->Find(true, false);
      ASSERT_EQ(dialog_->Result(), frBadExpression) << pattern;
      EXPECT_EQ(label->Caption()[0], language == 1049 ? L'\u041e' : L'E');
      expectWhole();
    }
    for (int result : {frReachedEnd, frNotFound, frTooComplex, frOutOfMemory}) {
      dialog_->SetResult(result);
      expectWhole();
    }
  }
}

// The result line describes the active document: the next update clears it once that changes.
TEST_F(FindDialog, TheResultLineFollowsTheActiveDocument) {
  edit_->SetTextA("apple banana");
  Open("actnFind");
  // Step 0 changes nothing, 1 makes another document, 2 goes back to the first, 3 closes it.
  for (int step = 0; step < 4; ++step) {
    dialog_->cmbxFindWhat->SetText(L"cherry");
    dialog_->actnFindNextExecute(dialog_->actnFindNext);
    ASSERT_EQ(dialog_->Result(), frNotFound) << step;
    if (step == 1) form_->NewDocument();
    if (step == 2) form_->ActivateDocument(Doc(0));
    if (step == 3) form_->CloseDocument(form_->ActiveDocument());
    dialog_->UpdateActions();  // what the message loop's idle time does
    EXPECT_EQ(dialog_->Result(), step == 0 ? frNotFound : frNone) << step;
    EXPECT_EQ(dialog_->lblFindWhatResult->Caption().empty(), step > 0) << step;
  }
  // The document now active holds the text: Find next finds it there.
  form_->ActiveEditor()->SetTextA("a cherry");
  dialog_->actnFindNextExecute(dialog_->actnFindNext);
  EXPECT_EQ(dialog_->Result(), frNone);
  EXPECT_EQ(form_->ActiveEditor()->SelText(), "cherry");
}

// Run under the code pages 1252 and 1251 by the encoding tests.
using ForeignCodePageFind = FindDialog;

// Text the code page cannot hold stays in the box and its history as typed and is found nowhere.
TEST_F(ForeignCodePageFind, TheBoxAndItsHistoryKeepWhatWasTyped) {
  edit_->SetTextA("a ?? b ??? c ?");
  const AnsiString text = Text();
  Open("actnReplace");
  const struct {
    WideString Typed;
    bool Expression;
  } cases[] = {{L"日本", false}, {L"жук ?", false}, {L"日+", true}, {L"[日?]", true}};
  enum TWay { wTyping, wFindNext, wEnter, wReplace, wReplaceAll };
  for (const auto& c : cases) {
    if (dialog_->chckbxRegularExpressions->Checked() != c.Expression)
      SendMessageW(dialog_->chckbxRegularExpressions->Handle(), BM_CLICK, 0, 0);
    for (TWay way : {wTyping, wFindNext, wEnter, wReplace, wReplaceAll}) {
      const std::string what = WideToUtf8(c.Typed) + " way " + std::to_string(way);
      edit_->SetCaretXY({3, 1});
      dialog_->SavedCaret = {3, 1};
      dialog_->cmbxFindWhat->SetText(L"");
      dialog_->cmbxReplaceWith->SetText(L"x");
      boxes_.Clear();
      if (way != wTyping) dialog_->cmbxFindWhat->SetText(c.Typed);
      switch (way) {
        case wTyping: Type(dialog_->cmbxFindWhat, c.Typed); break;
        case wFindNext: Click(dialog_->btnFindNext); break;
        case wEnter: Key(dialog_->cmbxFindWhat->EditHandle(), VK_RETURN); break;
        case wReplace: Click(dialog_->btnReplace); break;
        case wReplaceAll: Click(dialog_->btnReplaceAll); break;
      }
      if (way != wTyping) {
        EXPECT_EQ(dialog_->cmbxFindWhat->Items()->Strings(0), c.Typed) << what;
      }
      EXPECT_EQ(dialog_->cmbxFindWhat->Text(), c.Typed) << what;
      EXPECT_EQ(dialog_->Result(), frNotFound) << what;
      EXPECT_TRUE(boxes_.Shown.empty()) << what;
      EXPECT_TRUE(Text() == text) << what;
      EXPECT_FALSE(edit_->SelAvail()) << what;
      EXPECT_EQ(edit_->CaretXY(), (TBufferCoord{3, 1})) << what;
    }
  }
}

// A replace-all short of memory says that nothing was replaced, and why, in each language.
TEST_F(FindDialog, AReplaceAllShortOfMemorySaysNothingWasReplaced) {
  // The dialog is made with the engine short of memory in place of its own.
  TClassInfo standIn;
  standIn.Name = TTxtEditRegexSearch::StaticClassInfo().Name;
  standIn.Parent = &TTxtEditRegexSearch::StaticClassInfo();
  standIn.NewComponent = [](TComponent* Owner) -> TComponent* { return New<TMemoryShortSearch>(Owner); };
  RegisterClass(standIn);
  {
    TScopeExit restore([] { RegisterClass(TTxtEditRegexSearch::StaticClassInfo()); });
    Open("actnReplace");
  }
  auto* engine = dynamic_cast<TMemoryShortSearch*>(dialog_->edtrgxsrchFindAndReplace);
  ASSERT_NE(engine, nullptr);
  TScopeExit language([] { LangManager().SetLanguageID(LangManager().DefaultLanguageID()); });
  ASSERT_TRUE(LangManager().RegisterLanguageFile(BuildPath(L"app\\Languages\\Russian.lng")));
  edit_->SetTextA("no\r\nhit\r\nhit");
  const AnsiString text = Text();
  SendMessageW(dialog_->chckbxRegularExpressions->Handle(), BM_CLICK, 0, 0);
  dialog_->cmbxFindWhat->SetText(L"h.t");
  const std::pair<LANGID, WideString> told[] = {
      {LANGID(1033), L"Nothing was replaced. There is not enough memory for this command."},
      {LANGID(1049), L"Ничего не заменено. Для этой команды недостаточно памяти."},
  };
  for (const auto& [id, message] : told) {
    LangManager().SetLanguageID(id);
    // The presence test reaches the first hit on line 2; the replacing runs short on the way.
    engine->Lines = 0, engine->Allowed = 3;
    boxes_.Clear();
    Click(dialog_->btnReplaceAll);
    EXPECT_EQ(dialog_->Result(), frOutOfMemory) << id;
    EXPECT_EQ(dialog_->lblFindWhatResult->Caption(), message) << id;
    EXPECT_EQ(boxes_.Shown, std::vector<WideString>{message + L"|Halcorn Verdan|16"}) << id;
    EXPECT_TRUE(Text() == text) << id;
  }
}
