// Undo and redo beyond the single reasons: the selection a step gives back, caret and selection
// items, read-only controls, long sessions and the modified flag when items are dropped.
#include <gtest/gtest.h>

#include "editor/TxtEdit.h"
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
