// Undo and redo of every kind of change: which items a step takes, grouping, paste brackets,
// what is recorded in the opposite list, and the modified flag.
#include <gtest/gtest.h>

#include "editor/TxtEdit.h"
#include "tests/editor/EditingTestSupport.h"

TEST(EditUndo, TypingIsOneStepWithGrouping) {
  TTxtEdit e(nullptr);
  Type(e, "abc");
  EXPECT_EQ(e.UndoList()->ItemCount(), 3);
  EXPECT_EQ(TextAfterUndo(e), "");
  EXPECT_EQ(e.RedoList()->ItemCount(), 3);
  EXPECT_EQ(TextAfterRedo(e), "abc");
  EXPECT_EQ(e.CaretX(), 4);
}

TEST(EditUndo, WithoutGroupingOneCharacterPerStep) {
  TTxtEdit e(nullptr);
  e.SetOptions(e.Options() - eoGroupUndo);
  Type(e, "abc");
  EXPECT_EQ(TextAfterUndo(e), "ab");
  EXPECT_EQ(TextAfterUndo(e), "a");
  e.Redo();
  EXPECT_EQ(TextAfterRedo(e), "abc");
}

TEST(EditUndo, ACaretMoveSeparatesGroups) {
  TTxtEdit e(nullptr);
  Type(e, "one");
  Cmd(e, ecLeft);
  Cmd(e, ecRight);
  Type(e, "two");
  EXPECT_EQ(TextAfterUndo(e), "one");
  EXPECT_EQ(TextAfterUndo(e), "");
  EXPECT_EQ(TextAfterRedo(e), "one");
  EXPECT_EQ(TextAfterRedo(e), "onetwo");
}

TEST(EditUndo, UndoRecordsOnlyIntoTheRedoList) {
  TTxtEdit e(nullptr);
  e.SetTextA("line");
  Select(e, {1, 1}, {5, 1});
  Cmd(e, ecDeleteChar);
  Type(e, "x");
  const int undoItems = e.UndoList()->ItemCount();
  e.Undo();
  // Undo took items off the undo list and put nothing back on it.
  EXPECT_LT(e.UndoList()->ItemCount(), undoItems);
  EXPECT_GT(e.RedoList()->ItemCount(), 0);
  const int redoItems = e.RedoList()->ItemCount();
  const int left = e.UndoList()->ItemCount();
  e.Redo();
  EXPECT_EQ(e.RedoList()->ItemCount(), 0);
  EXPECT_EQ(e.UndoList()->ItemCount(), left + redoItems);
  e.Undo();
  EXPECT_EQ(TextAfterUndo(e), "line");
  // Undo and redo back and forth give the same texts every time.
  for (int i = 0; i < 3; ++i) {
    e.Redo();
    EXPECT_EQ(TextAfterRedo(e), "x");
    e.Undo();
    EXPECT_EQ(TextAfterUndo(e), "line");
  }
}

TEST(EditUndo, ANewChangeClearsRedo) {
  TTxtEdit e(nullptr);
  Type(e, "ab");
  e.Undo();
  EXPECT_TRUE(e.CanRedo());
  Type(e, "c");
  EXPECT_FALSE(e.CanRedo());
}

TEST(EditUndo, DeletedBlockComesBackSelected) {
  TTxtEdit e(nullptr);
  e.SetTextA("one\r\ntwo\r\nthree");
  Select(e, {2, 1}, {3, 3});
  Cmd(e, ecDeleteChar);
  EXPECT_EQ(e.TextA(), "oree");
  EXPECT_EQ(TextAfterUndo(e), "one\r\ntwo\r\nthree");
  EXPECT_EQ(e.SelText(), "ne\r\ntwo\r\nth");
  EXPECT_EQ(TextAfterRedo(e), "oree");
}

TEST(EditUndo, SilentDeletionOnlyMovesTheCaret) {
  TTxtEdit e(nullptr);
  e.SetTextA("abc");
  e.SetCaretXY({4, 1});
  Cmd(e, ecDeleteLastChar);
  EXPECT_EQ(TextAfterUndo(e), "abc");
  EXPECT_FALSE(e.SelAvail());
  EXPECT_EQ(e.CaretXY(), BufferCoord(4, 1));
}

TEST(EditUndo, ColumnDeletionAndItsUndo) {
  TTxtEdit e(nullptr);
  e.SetTextA("abcd\r\nefgh\r\nij");
  Select(e, {2, 1}, {4, 3}, smColumn);
  Cmd(e, ecDeleteChar);
  EXPECT_EQ(e.TextA(), "ad\r\neh\r\ni");
  EXPECT_EQ(TextAfterUndo(e), "abcd\r\nefgh\r\nij");
  EXPECT_EQ(TextAfterRedo(e), "ad\r\neh\r\ni");
}

TEST(EditUndo, CaseChangeRestoresTextSelectionAndCaret) {
  TTxtEdit e(nullptr);
  e.SetTextA("abc def");
  Select(e, {5, 1}, {8, 1});
  Cmd(e, ecUpperCase);
  EXPECT_EQ(e.TextA(), "abc DEF");
  EXPECT_EQ(TextAfterUndo(e), "abc def");
  EXPECT_EQ(e.SelText(), "def");
  EXPECT_EQ(TextAfterRedo(e), "abc DEF");
}

TEST(EditUndo, DragInsertIsSelectedAgainAfterRedo) {
  TTxtEdit e(nullptr);
  e.SetTextA("xy");
  e.SetCaretXY({2, 1});
  e.SetSelText("12");
  ASSERT_EQ(e.TextA(), "x12y");
  // Recorded by hand as a drop would: from the drop point to the end of the insertion.
  e.UndoList()->Clear();
  e.UndoList()->AddChange(urDragDropInsert, {2, 1}, {4, 1}, "", smNormal);
  EXPECT_EQ(TextAfterUndo(e), "xy");
  EXPECT_EQ(TextAfterRedo(e), "x12y");
  EXPECT_EQ(e.SelText(), "12");
}

TEST(EditUndo, CaretAndSelectionItems) {
  TTxtEdit e(nullptr);
  e.SetTextA("abcdef");
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

TEST(EditUndo, BackToTheSavedStateIsUnmodified) {
  TTxtEdit e(nullptr);
  e.SetTextA("saved");
  e.SetModified(false);
  e.SetCaretXY({6, 1});
  Type(e, "!");
  EXPECT_TRUE(e.Modified());
  e.Undo();
  EXPECT_FALSE(e.Modified());
  e.Redo();
  EXPECT_TRUE(e.Modified());
}

TEST(EditUndo, ReadOnlyUndoesNothing) {
  TTxtEdit e(nullptr);
  Type(e, "ab");
  e.SetReadOnly(true);
  EXPECT_FALSE(e.CanUndo());
  EXPECT_EQ(TextAfterUndo(e), "ab");
  e.SetReadOnly(false);
  EXPECT_TRUE(e.CanUndo());
}

TEST(EditUndo, EveryCommandOfALongSessionUndoesToTheStart) {
  TTxtEdit e(nullptr);
  const AnsiString start = "first line\r\n\tsecond\r\n   third\r\nfourth";
  e.SetTextA(start);
  e.SetOptions(e.Options() + eoTabIndent);
  e.SetCaretXY({6, 1});
  Type(e, "XX");
  Cmd(e, ecLineBreak);
  Type(e, "new");
  Cmd(e, ecDeleteLastChar);
  Cmd(e, ecDeleteWord);
  e.SetCaretXY({2, 3});
  Cmd(e, ecTab);
  Cmd(e, ecShiftTab);
  Select(e, {1, 2}, {3, 4});
  Cmd(e, ecBlockIndent);
  Cmd(e, ecBlockUnindent);
  Cmd(e, ecUpperCaseBlock);
  e.SetCaretXY({20, 5});
  Type(e, "past");
  Cmd(e, ecDeleteLine);
  Cmd(e, ecDeleteEOL);
  const AnsiString end = e.TextA();
  int steps = 0;
  while (e.CanUndo() && steps < 100) {
    e.Undo();
    ++steps;
  }
  EXPECT_EQ(e.TextA(), start);
  while (e.CanRedo()) e.Redo();
  EXPECT_EQ(e.TextA(), end);
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
