// The main window's commands: the update rules of its actions in each state of the active
// document, the line tools through their actions, the caption and the status-bar panels.
#include <gtest/gtest.h>

#include <functional>

#include "app/DocumentTabs.h"
#include "app/MainActions.h"
#include "editor/TxtEditPrintHeaderFooter.h"
#include "framework/Actions.h"
#include "framework/Application.h"
#include "themes/UiStatusBars.h"
#include "tests/app/DocumentTestSupport.h"

namespace {

class MainCommands : public DocumentTest {
 protected:
  TMainCommands& Make() {
    TMainForm& form = DocumentTest::Make();
    return CommandsOf(form);
  }
  TTxtEdit* Edit() { return form_->ActiveEditor(); }
  TAction* Act(const char* Name) {
    TAction* action = form_->Commands->Action(Name);
    EXPECT_NE(action, nullptr) << Name;
    return action;
  }
  bool Enabled(const char* Name) {
    TAction* action = Act(Name);
    action->Update();
    return action->Enabled();
  }
  bool Checked(const char* Name) {
    TAction* action = Act(Name);
    action->Update();
    return action->Checked();
  }
  void Run(const char* Name) { EXPECT_TRUE(Act(Name)->Execute()) << Name; }
  std::vector<AnsiString> Lines() {
    std::vector<AnsiString> lines;
    for (int i = 0; i < Edit()->Lines()->Count(); ++i) lines.push_back(Edit()->Lines()->Strings(i));
    return lines;
  }
  void Select(TBufferCoord From, TBufferCoord To) {
    Edit()->SetCaretXY(To);
    Edit()->SetBlockBegin(From);
    Edit()->SetBlockEnd(To);
  }
};

using TLines = std::vector<AnsiString>;

}  // namespace

TEST_F(MainCommands, ShortcutsReachTheirActions) {
  Make();
  EXPECT_GE(form_->actnlstMain->ActionCount(), 90);
  // Main and secondary keys, the OEM keys of Ctrl+= and Ctrl+-, and the bookmark numbers.
  const std::pair<const char*, const char*> keys[] = {
      {"Alt+Ctrl+F2", "actnOpen"},        {"F2", "actnSave"},         {"Shift+Alt+BkSp", "actnRedo"},
      {"Shift+Ctrl+Tab", "actnPrevious"}, {"Ctrl+R", "actnReplace"},  {"Shift+Ctrl+7", "actnToggleBookmark7"},
      {"Ctrl+0", "actnGotoBookmark0"},    {"Ctrl+-", "actnDecrease"},
  };
  for (const auto& [key, name] : keys) EXPECT_TRUE(Act(name)->HasShortCut(TextToShortCut(AnsiString(key)))) << name;
  EXPECT_EQ(Act("actnIncrease")->ShortCut(), TShortCut(scCtrl | VK_OEM_PLUS));
  EXPECT_EQ(Act("actnGotoBookmark4")->Tag(), 4);
  EXPECT_EQ(Act("actnOnTheInternet")->Caption(), L"Halcorn Verdan on the Internet");
}

TEST_F(MainCommands, UpdateRulesFollowTheActiveDocument) {
  Make();
  Edit()->SetTextA("first line\r\n\r\nthird (x)");
  Edit()->SetCaretXY({3, 1});
  // state: one document, caret on line 1, no selection, writable, edit view
  struct {
    const char* Name;
    bool Enabled;
  } const plain[] = {
      {"actnCreateNew", true},
      {"actnClose", true},
      {"actnCloseOtherTabs", false},
      {"actnNext", false},
      {"actnCut", false},
      {"actnCopy", false},
      {"actnUndo", false},
      {"actnSelectAll", true},
      {"actnSelectLine", true},
      {"actnDeleteLine", true},
      {"actnMoveLineUp", false},
      {"actnMoveLineDown", true},
      {"actnBlockIndent", false},
      {"actnUppercase", true},
      {"actnDateAndTime", true},
      {"actnCopyFilePathName", false},
      {"actnGotoBookmark2", false},
      {"actnClearBookmarks", false},
      {"actnSort", true},
      {"actnLinesProcessing", true},
      {"actnStatistics", true},
      {"actnPreferences", true},
      {"actnAbout", true},
      {"actnIncrease", true},
      {"actnNormal", false},
      {"actnMatchBracket", false},
  };
  for (const auto& c : plain) EXPECT_EQ(Enabled(c.Name), c.Enabled) << c.Name;

  // A selection, an empty caret line and the last line.
  Select({1, 1}, {6, 1});
  EXPECT_TRUE(Enabled("actnCut") && Enabled("actnCopy") && Enabled("actnBlockIndent"));
  Edit()->SetCaretXY({1, 2});
  EXPECT_FALSE(Enabled("actnSelectLine") || Enabled("actnDeleteLine"));
  EXPECT_TRUE(Enabled("actnMoveLineUp") && Enabled("actnMoveLineDown"));
  Edit()->SetCaretXY({7, 3});
  EXPECT_FALSE(Enabled("actnMoveLineDown"));
  EXPECT_TRUE(Enabled("actnMatchBracket"));

  // Read-only: editing commands go, viewing ones stay; the command itself toggles it.
  Run("actnReadOnly");
  EXPECT_TRUE(Edit()->ReadOnly());
  EXPECT_TRUE(Checked("actnReadOnly"));
  EXPECT_EQ(form_->ActiveDocument()->Item()->ImageIndex(), 0);
  for (const char* name : {"actnUppercase", "actnDateAndTime", "actnMoveLineUp", "actnJoinLines", "actnFile",
                           "actnSort", "actnLinesProcessing"})
    EXPECT_FALSE(Enabled(name)) << name;
  EXPECT_TRUE(Enabled("actnSelectAll") && Enabled("actnWordWrap") && Enabled("actnStatistics"));
  Run("actnReadOnly");
  EXPECT_EQ(form_->ActiveDocument()->Item()->ImageIndex(), -1);

  // Modified: undo follows; word wrap is checked while on.
  Run("actnUppercase");
  EXPECT_TRUE(Enabled("actnUndo"));
  EXPECT_TRUE(Checked("actnWordWrap"));  // documents start wrapped
  Run("actnWordWrap");
  EXPECT_FALSE(Checked("actnWordWrap"));

  // Print preview: no edit view any more.
  Run("actnPrintPreview");
  EXPECT_TRUE(Checked("actnPrintPreview"));
  for (const char* name : {"actnUndo", "actnSelectAll", "actnWordWrap", "actnReadOnly", "actnToggleBookmark1"})
    EXPECT_FALSE(Enabled(name)) << name;
  EXPECT_TRUE(Enabled("actnUnixLF") && Enabled("actnIncrease"));
  Run("actnPrintPreview");
  EXPECT_FALSE(Checked("actnPrintPreview"));

  // Two documents: switching.
  form_->NewDocument();
  EXPECT_TRUE(Enabled("actnNext"));
  Run("actnPrevious");
  EXPECT_EQ(form_->ActiveDocument(), Doc(0));
}

TEST_F(MainCommands, CaseCommandsKeepTheSelectionAndTheLineAfterIt) {
  Make();
  Edit()->SetTextA("one two\r\nthree four\r\nfive");
  // The selection ends at column 1 of line 2: only line 1 changes, and line 2 is not joined.
  Select({1, 1}, {1, 2});
  Run("actnUppercase");
  EXPECT_EQ(Lines(), (TLines{"ONE TWO", "three four", "five"}));
  EXPECT_EQ(Edit()->BlockBegin(), (TBufferCoord{1, 1}));
  EXPECT_EQ(Edit()->BlockEnd(), (TBufferCoord{1, 2}));
  // One undo step gives the text back.
  Edit()->Undo();
  EXPECT_EQ(Lines(), (TLines{"one two", "three four", "five"}));

  // Without a selection every line changes and the caret stays.
  Edit()->SetCaretXY({3, 2});
  Run("actnCapitalizeEachWord");
  EXPECT_EQ(Lines(), (TLines{"One Two", "Three Four", "Five"}));
  EXPECT_FALSE(Edit()->SelAvail());
  EXPECT_EQ(Edit()->CaretXY(), (TBufferCoord{3, 2}));
  Run("actnLowercase");
  Select({1, 2}, {6, 2});
  Run("actnSentenceCase");
  EXPECT_EQ(Lines()[1], "Three four");
  EXPECT_EQ(Lines()[0], "one two");
}

TEST_F(MainCommands, SpaceCommandsAndJoinLines) {
  Make();
  Edit()->SetTextA("  a   b  \r\n\tc  d\r\nlast");
  Run("actnDeleteExcessSpaces");
  Run("actnTrimTrailingSpaces");
  Run("actnTrimLeadingSpaces");
  EXPECT_EQ(Lines(), (TLines{"a b", "c d", "last"}));
  // Join keeps the break that ends the selection.
  Select({1, 1}, {1, 3});
  Run("actnJoinLines");
  EXPECT_EQ(Lines(), (TLines{"a b c d", "last"}));
  Edit()->SetCaretXY({1, 1});
  Run("actnJoinLines");
  EXPECT_EQ(Lines(), (TLines{"a b c d last"}));
}

TEST_F(MainCommands, SelectDeleteAndMoveLines) {
  Make();
  Edit()->SetTextA("alpha\r\nbeta\r\ngamma");
  Edit()->SetCaretXY({2, 2});
  Run("actnSelectLine");
  EXPECT_EQ(Edit()->SelText(), "beta");
  Edit()->SetCaretXY({3, 2});
  Run("actnMoveLineUp");
  EXPECT_EQ(Lines(), (TLines{"beta", "alpha", "gamma"}));
  EXPECT_EQ(Edit()->CaretXY(), (TBufferCoord{3, 1}));
  EXPECT_FALSE(Enabled("actnMoveLineUp"));
  Run("actnMoveLineDown");
  Run("actnMoveLineDown");
  EXPECT_EQ(Lines(), (TLines{"alpha", "gamma", "beta"}));
  EXPECT_EQ(Edit()->CaretXY(), (TBufferCoord{3, 3}));
  EXPECT_FALSE(Enabled("actnMoveLineDown"));
  Edit()->Undo();
  EXPECT_EQ(Lines(), (TLines{"alpha", "beta", "gamma"}));
  Edit()->SetCaretXY({1, 1});
  Run("actnDeleteLine");
  EXPECT_EQ(Lines(), (TLines{"beta", "gamma"}));
}

TEST_F(MainCommands, LineBreakStylesMarkTheDocumentModified) {
  Make();
  Edit()->SetTextA("a\nb");
  Edit()->Lines()->SetLineBreakFormat(lbfLF);
  Edit()->SetModified(false);
  EXPECT_TRUE(Checked("actnUnixLF"));
  EXPECT_FALSE(Checked("actnDosCRLF") || Checked("actnMacCR"));
  Run("actnUnixLF");  // the same style still counts as a change
  EXPECT_TRUE(Edit()->Modified());
  Run("actnMacCR");
  EXPECT_EQ(Edit()->Lines()->LineBreakFormat(), lbfCR);
  EXPECT_TRUE(Checked("actnMacCR"));
}

TEST_F(MainCommands, FontSizeStopsAtTheOptionLimits) {
  Make();
  const int normal = Edit()->Font()->Size();
  while (Enabled("actnIncrease")) Run("actnIncrease");
  EXPECT_EQ(Edit()->Font()->Size(), 26);
  EXPECT_EQ(Edit()->Gutter()->Font()->Size(), 24);
  EXPECT_TRUE(Enabled("actnNormal"));
  Run("actnNormal");
  EXPECT_EQ(Edit()->Font()->Size(), normal);
  EXPECT_FALSE(Enabled("actnNormal"));
  while (Enabled("actnDecrease")) Run("actnDecrease");
  EXPECT_EQ(Edit()->Font()->Size(), 9);
}

// Normal size gives the editor the option's size and the gutter its own, two points smaller,
// from a larger and from a smaller size alike.
TEST_F(MainCommands, NormalFontSizePutsTheGutterBackAtItsOptionSize) {
  Make();
  const int normal = ::Options->EditorFontSize;
  for (const char* change : {"actnIncrease", "actnDecrease"}) {
    for (int i = 0; i < 2 && Enabled(change); ++i) Run(change);
    if (!Enabled("actnNormal")) continue;  // the option's size is the smallest already
    Run("actnNormal");
    EXPECT_EQ(Edit()->Font()->Size(), normal) << change;
    EXPECT_EQ(Edit()->Gutter()->Font()->Size(), normal - 2) << change;
  }
}

// A font size changed in the print preview reaches the print object and its page number at
// once: the preview shows the new size.
TEST_F(MainCommands, FontSizesReachThePrintObject) {
  Make();
  Run("actnPrintPreview");
  TTxtEditPrint* print = form_->ActiveFrame()->edtprntEditor;
  for (const char* change : {"actnIncrease", "actnIncrease", "actnDecrease", "actnNormal"}) {
    Run(change);
    EXPECT_EQ(print->Font()->Size(), Edit()->Font()->Size()) << change;
    ASSERT_EQ(print->Header()->Count(), 1);
    EXPECT_EQ(print->Header()->Get(0)->Font()->Size(), Edit()->Font()->Size()) << change;
  }
}

// Clear bookmarks clears every one, the first (0) and the last (9) too.
TEST_F(MainCommands, ClearBookmarksClearsTheFirstAndTheLast) {
  Make();
  Edit()->SetTextA("a\r\nb\r\nc");
  for (int i : {0, 5, 9}) Edit()->SetBookMark(i, 1, 1 + i % 3);
  Run("actnClearBookmarks");
  for (int i = 0; i <= 9; ++i) EXPECT_FALSE(Edit()->IsBookmark(i)) << i;
  EXPECT_EQ(Edit()->Marks()->Count(), 0);
}

TEST_F(MainCommands, BookmarksToggleGoAndNameTheirLines) {
  Make();
  Edit()->SetTextA("void f();\r\n   \r\n" + AnsiString(50, 'z'));
  Edit()->SetCaretXY({2, 1});
  Run("actnToggleBookmark1");
  EXPECT_TRUE(Checked("actnToggleBookmark1"));
  EXPECT_FALSE(Enabled("actnGotoBookmark1"));  // the caret is at it already
  Edit()->SetCaretXY({1, 2});
  Run("actnToggleBookmark2");
  Edit()->SetCaretXY({1, 3});
  Run("actnToggleBookmark3");
  EXPECT_TRUE(Enabled("actnGotoBookmark1"));
  Run("actnGotoBookmark1");
  EXPECT_EQ(Edit()->CaretXY(), (TBufferCoord{2, 1}));
  form_->Commands->UpdateBookmarkCaptions();
  EXPECT_EQ(Act("actnGotoBookmark1")->Caption(), L"1 void f();");
  EXPECT_EQ(Act("actnGotoBookmark2")->Caption(), L"2");  // empty line: caption kept
  EXPECT_EQ(Act("actnGotoBookmark3")->Caption(), L"3 " + WideString(40, L'z') + L"...");
  EXPECT_EQ(Act("actnGotoBookmark5")->Caption(), L"5");
  // The print preview keeps the names; the items are only disabled there.
  Act("actnGotoBookmark1")->SetCaption(L"1");
  Run("actnPrintPreview");
  form_->Commands->UpdateBookmarkCaptions();
  EXPECT_EQ(Act("actnGotoBookmark1")->Caption(), L"1 void f();");
  EXPECT_FALSE(Enabled("actnGotoBookmark3"));
  Run("actnPrintPreview");
  EXPECT_TRUE(Enabled("actnClearBookmarks"));
  Run("actnClearBookmarks");
  EXPECT_FALSE(Checked("actnToggleBookmark1") || Enabled("actnClearBookmarks"));
}

TEST_F(MainCommands, CaptionAndStatusPanelsFollowTheDocument) {
  TMainForm::StartupFiles() = {folder_.Write(L"notes.txt", "ab\r\ncd")};
  TMainCommands& commands = Make();
  Edit()->SetTextA("ab\xe9\r\ncd");
  commands.UpdateCaption();
  EXPECT_EQ(form_->Caption(), form_->ActiveDocument()->FileName + L" \u2014 Halcorn Verdan");
  EXPECT_EQ(Application->Title(), L"notes.txt \u2014 Halcorn Verdan");
  EXPECT_EQ(commands.Panels[3].Text, L"No highlighting");
  Edit()->SetCaretXY({3, 1});
  commands.UpdateStatusBar(false);
  EXPECT_EQ(commands.Panels[0].Text, L"Ln 1, col 3");
  EXPECT_EQ(commands.Panels[1].Text, L"233 (0xE9)");
  EXPECT_EQ(commands.Panels[2].Text, L"Insert");
  // A click on the insert panel switches to overtype; past the line's text the code is 0.
  commands.PanelClick(2);
  EXPECT_EQ(commands.Panels[2].Text, L"Overtype");
  Edit()->SetCaretXY({9, 2});
  commands.UpdateStatusBar(false);
  EXPECT_EQ(commands.Panels[1].Text, L"0 (0x0)");
  // The print preview empties and disables the first three panels.
  Run("actnPrintPreview");
  commands.UpdateStatusBar(false);
  EXPECT_TRUE(commands.Panels[0].Text.empty() && !commands.Panels[0].Enabled && !commands.Panels[2].Enabled);
  EXPECT_TRUE(commands.Panels[3].Enabled);
}

// A caret move or a switch of the insert mode shows on the status bar at once, before the
// application is idle again (a key held down repeats without idle time between).
TEST_F(MainCommands, TheStatusBarFollowsTheCaretAtOnce) {
  Make();
  Edit()->SetTextA("ab\xe9\r\ncd");
  // An editor tells of its changes once it has a window.
  ASSERT_NE(Edit()->Handle(), nullptr);
  TUiStatusBar* bar = form_->stsbrMain;
  ASSERT_NE(bar, nullptr);
  auto panel = [bar](int Index) { return bar->Panels()->Items(Index)->Caption(); };
  struct {
    const char* Change;
    std::function<void(TTxtEdit*)> Make;
    const wchar_t* Position;
    const wchar_t* Code;
    const wchar_t* Mode;
  } const cases[] = {
      {"column",
       [](TTxtEdit* e) {
         e->SetCaretXY({3, 1});
       },
       L"Ln 1, col 3", L"233 (0xE9)", L"Insert"},
      {"line",
       [](TTxtEdit* e) {
         e->SetCaretXY({3, 2});
       },
       L"Ln 2, col 3", L"0 (0x0)", L"Insert"},
      {"line and column",
       [](TTxtEdit* e) {
         e->SetCaretXY({2, 1});
       },
       L"Ln 1, col 2", L"98 (0x62)", L"Insert"},
      {"insert mode", [](TTxtEdit* e) { e->SetInsertMode(false); }, L"Ln 1, col 2", L"98 (0x62)", L"Overtype"},
      {"insert mode back", [](TTxtEdit* e) { e->SetInsertMode(true); }, L"Ln 1, col 2", L"98 (0x62)", L"Insert"},
  };
  for (const auto& c : cases) {
    c.Make(Edit());
    EXPECT_EQ(panel(0), c.Position) << c.Change;
    EXPECT_EQ(panel(1), c.Code) << c.Change;
    EXPECT_EQ(panel(2), c.Mode) << c.Change;
  }
  // A deletion at the caret moves no caret but changes the character under it: the idle
  // update shows that one.
  Edit()->CommandProcessor(ecDeleteChar, 0, nullptr);
  bool done = true;
  CommandsOf(*form_).AppIdle(nullptr, done);
  EXPECT_EQ(panel(1), L"233 (0xE9)");
}

// Switching between the editor and the print preview hands the keyboard to the page shown and
// brings the panels up to date at once, from the command and from the preview's Close alike.
TEST_F(MainCommands, TheViewShownTakesTheKeyboardAndThePanels) {
  Make();
  form_->Show();
  form_->StartupDone = true;
  Edit()->SetTextA("ab");
  Edit()->SetFocus();
  TDocumentFrame* frame = form_->ActiveFrame();
  auto panel = [this] { return form_->stsbrMain->Panels()->Items(0)->Caption(); };
  struct {
    const char* Step;
    std::function<void()> Run;
    TWinControl* Focus;
    const wchar_t* Position;
  } const steps[] = {
      {"preview", [this] { Run("actnPrintPreview"); }, frame->edtprntprvwDocument, L""},
      {"editor", [this] { Run("actnPrintPreview"); }, frame->edtDocument, L"Ln 1, col 1"},
      {"preview again", [this] { Run("actnPrintPreview"); }, frame->edtprntprvwDocument, L""},
      {"the preview's Close", [frame] { frame->actnCloseExecute(nullptr); }, frame->edtDocument, L"Ln 1, col 1"},
  };
  for (const auto& step : steps) {
    step.Run();
    EXPECT_EQ(GetFocus(), step.Focus->Handle()) << step.Step;
    EXPECT_EQ(panel(), step.Position) << step.Step;
  }
  form_->Hide();
}

TEST_F(MainCommands, LinkActionsShowOnlyOverALink) {
  Make();
  Edit()->SetTextA("see http://example.org/x now");
  Edit()->SetCaretXY({8, 1});
  form_->Commands->UpdateEditorPopup();
  EXPECT_TRUE(Act("actnOpenLink")->Visible() && Act("actnCopyLinkAddress")->Visible());
  Edit()->SetCaretXY({1, 1});
  form_->Commands->UpdateEditorPopup();
  EXPECT_FALSE(Act("actnOpenLink")->Visible() || Act("actnCopyLinkAddress")->Visible());
}
