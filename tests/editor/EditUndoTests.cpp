// Undo and redo beyond the single reasons: the selection a step gives back, caret and selection
// items, read-only controls, long sessions and the modified flag when items are dropped, and the
// caret shown in the window after each step.
#include <gtest/gtest.h>

#include "editor/TxtEdit.h"
#include "editor/TxtEditClipboard.h"
#include "framework/Clipboard.h"
#include "framework/Streams.h"
#include "tests/editor/EditTestSupport.h"
#include "tests/editor/EditingTestSupport.h"

// After one undo step: the text back, and the selection and caret the change started from.
TEST(EditUndo, AStepGivesBackTheSelectionOrTheCaret) {
  const struct {
    const char* Start;
    TBufferCoord From, To;
    TTxtEditorCommand Command;
    const char* Selected;
  } cases[] = {
      {"one\r\ntwo\r\nthree", {2, 1}, {3, 3}, ecDeleteChar, "ne\r\ntwo\r\nth"},
      {"abc def", {5, 1}, {8, 1}, ecUpperCase, "def"},
      {"abc", {4, 1}, {4, 1}, ecDeleteLastChar, ""},  // a silent deletion only moves the caret
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Start);
    TTextEdit e(c.Start);
    Select(e, c.From, c.To);
    const AnsiString changed = TextAfter(e, c.Command);
    EXPECT_EQ(TextAfterUndo(e), c.Start);
    EXPECT_EQ(e.SelText(), c.Selected);
    EXPECT_EQ(e.CaretXY(), c.To);
    EXPECT_EQ(TextAfterRedo(e), changed);
  }
}

TEST(EditUndo, CaretAndSelectionItems) {
  TTextEdit e("abcdef");
  e.SetCaretXY({5, 1});
  e.UndoList()->AddChange(urCaret, {2, 1}, {2, 1}, "", smNormal);
  e.Undo();
  EXPECT_EQ(e.CaretXY(), BufferCoord(2, 1));
  e.Redo();
  EXPECT_EQ(e.CaretXY(), BufferCoord(5, 1));
  e.UndoList()->Clear();
  e.RedoList()->Clear();
  e.UndoList()->AddChange(urSelection, {2, 1}, {4, 1}, "", smNormal);
  e.Undo();
  EXPECT_EQ(e.SelText(), "bc");
  e.Redo();
  EXPECT_FALSE(e.SelAvail());
}

// Each item is reversed in its own selection mode, which stays; a selection's restores the one before.
TEST(EditUndo, AnItemIsReversedInItsOwnSelectionMode) {
  for (auto [reason, mode, redoMode] : {std::tuple{urCaret, smColumn, smColumn},
                                        {urCaret, smLine, smLine},
                                        {urLineBreak, smColumn, smColumn},
                                        {urSelection, smLine, smNormal}}) {
    TTextEdit e("abcdef\r\n");
    e.SetCaretXY({4, 1});
    ASSERT_EQ(e.ActiveSelectionMode(), smNormal);
    e.UndoList()->AddChange(reason, {4, 1}, {4, 1}, "", mode);
    e.Undo();
    EXPECT_EQ(e.ActiveSelectionMode(), mode) << reason;
    e.SetActiveSelectionMode(smNormal);
    e.Redo();
    EXPECT_EQ(e.ActiveSelectionMode(), redoMode) << reason << mode;
  }
  // An item past the end of a blank line is reached with spaces: tabs would replace the line's blanks.
  for (const bool tabs : {false, true}) {
    TTextEdit e("  \r\nz");
    e.SetTabWidth(2);
    e.SetOptions(tabs ? e.Options() - eoTabsToSpaces : e.Options() + eoTabsToSpaces);
    e.UndoList()->AddChange(urDelete, {5, 1}, {6, 1}, "x", smNormal);
    EXPECT_EQ(TextAfterUndo(e), "    x\r\nz") << tabs;
    EXPECT_EQ(e.Options().Contains(eoTabsToSpaces), !tabs) << tabs;
  }
}

// Undone last, a paste's markers (normal mode) must not turn the column block back into a stream.
TEST(EditUndo, UndoingAPasteSelectsTheColumnBlockItReplaced) {
  for (const bool fromAnotherProgram : {false, true}) {
    TTextEdit e("abcd\r\nefgh\r\nijkl");
    if (fromAnotherProgram) Clipboard()->SetAsWideText(L"X");
    if (!fromAnotherProgram) TxtEditCopyToClipboard("X", smNormal);
    Select(e, {2, 1}, {4, 3}, smColumn);
    e.PasteFromClipboard();
    ASSERT_NE(e.TextA(), "abcd\r\nefgh\r\nijkl") << fromAnotherProgram;
    EXPECT_EQ(TextAfterUndo(e), "abcd\r\nefgh\r\nijkl") << fromAnotherProgram;
    EXPECT_EQ(e.ActiveSelectionMode(), smColumn) << fromAnotherProgram;
    EXPECT_EQ(e.SelText(), "bc\r\nfg\r\njk") << fromAnotherProgram;
  }
}

TEST(EditUndo, ReadOnlyUndoesNothing) {
  TTxtEdit e(nullptr);
  Type(e, "ab");
  e.SetReadOnly(true);
  EXPECT_FALSE(e.CanUndo());
  EXPECT_FALSE(e.GetCanUndo());
  EXPECT_EQ(TextAfterUndo(e), "ab");
  e.SetReadOnly(false);
  EXPECT_TRUE(e.CanUndo());
  EXPECT_TRUE(e.GetCanUndo());
  EXPECT_FALSE(e.GetCanRedo());
  e.Undo();
  EXPECT_TRUE(e.GetCanRedo());
  e.SetReadOnly(true);
  EXPECT_FALSE(e.GetCanRedo());
  const AnsiString undone = e.TextA();
  EXPECT_EQ(TextAfterRedo(e), undone);
}

TEST(EditUndo, DroppedItemsNeverLeaveAChangedTextUnmodified) {
  // Without undo every change still marks the text modified.
  TTxtEdit e(nullptr);
  e.SetMaxUndo(0);
  e.SetTextA("saved");
  e.SetModified(false);
  e.SetCaretXY({6, 1});
  Type(e, "!");
  EXPECT_EQ(e.TextA(), "saved!");
  EXPECT_FALSE(e.CanUndo());
  EXPECT_TRUE(e.Modified());
  Type(e, "?");
  EXPECT_TRUE(e.Modified());

  // With room for two steps: three changes, the first is dropped; undoing what is left does
  // not reach the saved text, so the text stays modified.
  TTxtEdit f(nullptr);
  f.SetOptions(f.Options() - eoGroupUndo);
  f.SetMaxUndo(2);
  f.SetTextA("");
  f.SetModified(false);
  Type(f, "abc");
  while (f.CanUndo()) f.Undo();
  EXPECT_EQ(f.TextA(), "a");
  EXPECT_TRUE(f.Modified());
  while (f.CanRedo()) f.Redo();
  EXPECT_EQ(f.TextA(), "abc");
  EXPECT_TRUE(f.Modified());
}

// The end of an undo block tells the change event; what it raises reaches the caller, and the
// change itself is recorded and undone as usual.
TEST(EditUndo, AnExceptionFromTheChangeEventReachesTheCaller) {
  struct TRaiser {
    void Changed(TObject*) { throw Exception("changed"); }
  } raiser;
  TTxtEdit e(nullptr);
  e.OnChange = TNotifyEvent(&raiser, &TRaiser::Changed);
  EXPECT_THROW(Type(e, "x"), Exception);
  EXPECT_EQ(e.TextA(), "x");
  e.OnChange = {};
  EXPECT_EQ(TextAfterUndo(e), "");
  EXPECT_EQ(e.Options(), TxtEditDefaultOptions);  // scrolling past the line ends is off again
}

// After an undo or a redo the caret is inside the text and its cell wholly in the window, as after
// an edit, wherever the window was scrolled to before the step: for a replacement of the whole
// text (read like a file that ends with a line break, so that its last line is empty), a
// deletion at the end, a paste far from the top and a character deleted after the caret, whose
// redo leaves the caret where it was, with word wrap off and on.
TEST(EditUndo, AfterEachStepTheCaretIsInTheWindow) {
  enum TChange { chWholeText, chEndDeleted, chPasteFarAway, chDeletedAfterCaret };
  const struct {
    const char* Name;
    TChange Change;
  } changes[] = {
      {"the whole text replaced", chWholeText},
      {"the end deleted", chEndDeleted},
      {"a paste far away", chPasteFarAway},
      {"a character deleted after the caret", chDeletedAfterCaret},
  };
  AnsiString text;
  for (int i = 1; i <= 3000; ++i) text += "line " + std::to_string(i) + " of the text, with words enough to wrap\r\n";
  for (bool wrap : {false, true})
    for (const auto& c : changes) {
      SCOPED_TRACE(std::string(c.Name) + (wrap ? ", wrapped" : ""));
      TEditorHost host;
      TTxtEdit& e = host.Edit();
      e.SetScrollBars(ssBoth);
      e.SetWordWrap(wrap);
      TStringStream stream(text);
      e.Lines()->LoadFromStream(&stream);
      const int count = e.Lines()->Count();
      switch (c.Change) {
        case chWholeText:
          e.SelectAll();
          e.SetSelText("sorted\r\n" + e.SelText());
          break;
        case chEndDeleted:
          e.SetBlockBegin({5, count - 30});
          e.SetBlockEnd({1, count});
          e.SetSelText("");
          break;
        case chPasteFarAway:
          e.SetCaretXY({5, 2500});
          TxtEditCopyToClipboard("pasted\r\nlines\r\n", smNormal);
          Cmd(e, ecPaste);
          break;
        case chDeletedAfterCaret:
          e.SetCaretXY({3, 2500});
          Cmd(e, ecDeleteChar);
          break;
      }
      for (const char* step : {"undo", "redo", "undo again", "redo again"}) {
        // The window elsewhere: at the top when the caret is low, at the bottom when it is high.
        e.SetTopLine(e.DisplayY() > e.DisplayLineCount() / 2 ? 1 : e.DisplayLineCount());
        host.Settle();
        if (step[0] == 'u')
          e.Undo();
        else
          e.Redo();
        host.Settle();
        EXPECT_GE(e.CaretY(), 1) << step;
        EXPECT_LE(e.CaretY(), e.Lines()->Count()) << step;
        EXPECT_GE(e.DisplayY(), e.TopLine()) << step;
        EXPECT_LE(e.DisplayY(), e.TopLine() + e.LinesInWindow() - 1) << step;
        EXPECT_GE(e.DisplayX(), e.LeftChar()) << step;
        EXPECT_LE(e.DisplayX(), e.LeftChar() + e.CharsInWindow()) << step;
      }
    }
}
