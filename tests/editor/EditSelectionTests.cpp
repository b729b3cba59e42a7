// The editor's selected text in the three modes, replacing it (delete, then insert in a mode),
// selecting everything, and the clipboard commands with what they record for undo.
#include <gtest/gtest.h>

#include "editor/TxtEdit.h"
#include "editor/TxtEditClipboard.h"
#include "framework/Clipboard.h"
#include "tests/editor/EditingTestSupport.h"

TEST(EditSelection, SelectedTextInTheThreeModes) {
  TTextEdit e("abcdef\r\nghij\r\nkl\r\nmnopq");
  Select(e, {3, 1}, {2, 3});
  EXPECT_EQ(e.SelText(), "cdef\r\nghij\r\nk");
  Select(e, {2, 2}, {4, 2});
  EXPECT_EQ(e.SelText(), "hi");
  // Backwards: the anchor after the moving end.
  Select(e, {2, 3}, {3, 1});
  EXPECT_EQ(e.SelText(), "cdef\r\nghij\r\nk");

  Select(e, {3, 2}, {1, 3}, smLine);
  EXPECT_EQ(e.SelText(), "ghij\r\nkl\r\n");
  // A line selection ending on the last line has no final line break.
  Select(e, {1, 3}, {2, 4}, smLine);
  EXPECT_EQ(e.SelText(), "kl\r\nmnopq");

  Select(e, {2, 1}, {5, 4}, smColumn);
  EXPECT_EQ(e.SelText(), "bcd\r\nhij\r\nl  \r\nnop");
  // Zero width is no column selection.
  Select(e, {3, 1}, {3, 4}, smColumn);
  EXPECT_FALSE(e.SelAvail());
  EXPECT_EQ(e.SelText(), "");
}

TEST(EditSelection, ColumnTextWithTrimmingHasNoPadding) {
  TTextEdit e("abcdef\r\nx");
  e.SetOptions(e.Options() + eoTrimTrailingSpaces);
  Select(e, {2, 1}, {5, 2}, smColumn);
  EXPECT_EQ(e.SelText(), "bcd\r\n");
}

TEST(EditSelection, ColumnsFollowTabs) {
  TTxtEdit e(nullptr);
  e.SetTabWidth(4);
  e.SetTextA("\tabc\r\n12345678");
  // Display columns 5..7 are "ab" after the tab and "567" below.
  Select(e, {2, 1}, {8, 2}, smColumn);
  EXPECT_EQ(e.SelText(), "abc\r\n567");
}

// Only a line that ends inside a column block is padded, out to the block's right column.
TEST(EditSelection, ColumnTextPadsShortLinesToTheBlocksWidth) {
  struct Case {
    const char* Line;
    int Left, Right;  // display columns, the right one after the block
    const char* Text;
  } cases[] = {
      {"\tabcdefgh", 1, 10, "\ta"},  // a tab in a long line: nothing to pad
      {"\tab", 1, 14, "\tab   "},    // ends at column 11
      {"ab", 4, 7, "   "},           // ends before the block
      {"abcdef", 2, 5, "bcd"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Line);
    TTextEdit e(AnsiString(c.Line) + "\r\n" + std::string(20, 'x'));
    Select(e, e.DisplayToBufferPos({c.Left, 1}), {c.Right, 2}, smColumn);
    EXPECT_EQ(e.SelText(), AnsiString(c.Text) + "\r\n" + std::string(size_t(c.Right - c.Left), 'x'));
  }
}

TEST(EditSelection, NormalPasteOfTwoLinesInsideALine) {
  TTextEdit e("xyz");
  e.SetCaretXY({3, 1});
  e.SetSelTextPrimitive(smNormal, "a\r\nb", false);
  EXPECT_EQ(e.TextA(), "xya\r\nbz");
  EXPECT_EQ(e.CaretXY(), BufferCoord(2, 2));
  EXPECT_FALSE(e.SelAvail());
}

TEST(EditSelection, NormalInsertPastTheLineEndFillsUpToTheCaret) {
  TTextEdit e("ab\r\n\r\nz");
  e.SetCaretXY({5, 1});
  e.SetSelTextPrimitive(smNormal, "X", false);
  EXPECT_EQ(Line(e, 1), "ab  X");
  // A blank line is filled with tabs where tabs are allowed.
  e.SetOptions(e.Options() - eoTabsToSpaces);
  e.SetTabWidth(4);
  e.SetCaretXY({10, 2});
  e.SetSelTextPrimitive(smNormal, "Y", false);
  EXPECT_EQ(Line(e, 2), "\t\t Y");
}

TEST(EditSelection, DeletingInEachMode) {
  TTextEdit e("abcdef\r\nghij\r\nkl");
  Select(e, {3, 1}, {2, 2});
  e.SetSelTextPrimitive(smNormal, "", false);
  EXPECT_EQ(e.TextA(), "abhij\r\nkl");
  EXPECT_EQ(e.CaretXY(), BufferCoord(3, 1));

  e.SetTextA("abcdef\r\nghij\r\nkl");
  Select(e, {2, 1}, {4, 3}, smColumn);
  e.SetSelTextPrimitive(smNormal, "", false);
  EXPECT_EQ(e.TextA(), "adef\r\ngj\r\nk");

  e.SetTextA("a\r\nb\r\nc\r\nd");
  Select(e, {1, 2}, {1, 3}, smLine);
  e.SetSelTextPrimitive(smNormal, "", false);
  EXPECT_EQ(e.TextA(), "a\r\nd");
  EXPECT_EQ(e.CaretXY(), BufferCoord(1, 2));
  // Down to the last line: that line stays, emptied.
  e.SetTextA("a\r\nb\r\nc");
  Select(e, {1, 2}, {1, 3}, smLine);
  e.SetSelTextPrimitive(smNormal, "", false);
  EXPECT_EQ(e.Lines()->Count(), 2);
  EXPECT_EQ(e.TextA(), "a\r\n");
}

TEST(EditSelection, ColumnInsertPadsAndAppendsLines) {
  TTextEdit e("abcdef\r\nx");
  e.SetCaretXY({4, 1});
  e.SetSelTextPrimitive(smColumn, "12\r\n34\r\n56", true);
  EXPECT_EQ(e.TextA(), "abc12def\r\nx  34\r\n   56");
  EXPECT_EQ(e.CaretXY(), BufferCoord(6, 3));
  // One paste item per line, and a line break for the appended line.
  std::vector<TTxtUndoReason> reasons = Reasons(e.UndoList());
  EXPECT_EQ(reasons, (std::vector<TTxtUndoReason>{urPaste, urPaste, urLineBreak, urPaste}));
}

// A short line is carried out to the insert column even where its piece is empty, so that the
// block keeps its shape; trimming takes the blanks away again, and undo gives the line back.
TEST(EditSelection, ColumnInsertPadsShortLinesForEmptyPieces) {
  struct Case {
    const char* Name;
    const char* Text;
    const char* Block;
    bool Trim;
    const char* After;
  } cases[] = {
      {"empty middle piece", "abcdef\r\nx\r\nghijkl", "12\r\n\r\n34", false, "abc12def\r\nx  \r\nghi34jkl"},
      {"empty last piece", "abcdef\r\nx", "12\r\n", false, "abc12def\r\nx  "},
      {"line long enough", "abcdef\r\nxyzw", "12\r\n", false, "abc12def\r\nxyzw"},
      {"trimmed away", "abcdef\r\nx", "12\r\n", true, "abc12def\r\nx"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TTextEdit e(c.Text);
    if (c.Trim) e.SetOptions(e.Options() + eoTrimTrailingSpaces);
    e.SetCaretXY({4, 1});
    e.SetSelTextPrimitive(smColumn, c.Block, true);
    EXPECT_EQ(e.TextA(), c.After);
    while (e.CanUndo()) e.Undo();
    EXPECT_EQ(e.TextA(), c.Text);
  }
}

TEST(EditSelection, LinePasteOfNWholeLinesInsertsNLines) {
  TTextEdit e("one\r\ntwo\r\nthree\r\nfour");
  Select(e, {1, 2}, {1, 3}, smLine);
  const AnsiString copied = e.SelText();
  ASSERT_EQ(copied, "two\r\nthree\r\n");
  e.SetCaretXY({2, 1});
  e.SetSelTextPrimitive(smLine, copied, false);
  EXPECT_EQ(e.TextA(), "two\r\nthree\r\none\r\ntwo\r\nthree\r\nfour");
  EXPECT_EQ(e.Lines()->Count(), 6);
  EXPECT_EQ(e.CaretXY(), BufferCoord(1, 3));
}

TEST(EditSelection, SelectAllKeepsTheCaret) {
  TTextEdit e("ab\r\ncde");
  e.SetCaretXY({2, 1});
  e.SelectAll();
  EXPECT_EQ(e.SelectionAnchor(), BufferCoord(1, 1));
  EXPECT_EQ(e.SelectionEnd(), BufferCoord(4, 2));
  EXPECT_EQ(e.CaretXY(), BufferCoord(2, 1));
  EXPECT_EQ(e.SelText(), "ab\r\ncde");
  TTxtEdit empty(nullptr);
  empty.SelectAll();
  EXPECT_FALSE(empty.SelAvail());
}

TEST(EditSelection, SetSelTextRecordsDeleteAndInsertInOneBlock) {
  TTextEdit e("hello world");
  Select(e, {7, 1}, {12, 1});
  e.SetSelText("there");
  EXPECT_EQ(e.TextA(), "hello there");
  EXPECT_EQ(TextAfterUndo(e), "hello world");
  EXPECT_EQ(e.SelText(), "world");
  EXPECT_EQ(TextAfterRedo(e), "hello there");
}

TEST(EditSelection, TypingOverAColumnBlockUndoesExactly) {
  TTextEdit e("abcd\r\nefgh");
  Select(e, {2, 1}, {4, 2}, smColumn);
  e.SetSelText("X");
  // The caret of a deleted column block is on its moving end's line.
  EXPECT_EQ(e.TextA(), "ad\r\neXh");
  EXPECT_EQ(TextAfterUndo(e), "abcd\r\nefgh");
}

// Text that replaces a column block goes in at the block's left column on its last line, however
// the block was drawn: never past the end of a line the deletion shortened.
TEST(EditSelection, ReplacingAColumnBlockStartsAtItsLeftColumn) {
  struct Case {
    const char* Name;
    TBufferCoord Anchor, End;
    const char* After;
  } cases[] = {
      {"drawn down to the right", {2, 1}, {4, 2}, "ad\r\neXh"},
      {"drawn down to the left", {4, 1}, {2, 2}, "ad\r\neXh"},
      {"drawn up to the right", {2, 2}, {4, 1}, "ad\r\neXh"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TTextEdit e("abcd\r\nefgh");
    Select(e, c.Anchor, c.End, smColumn);
    e.SetSelText("X");
    EXPECT_EQ(e.TextA(), c.After);
    EXPECT_EQ(TextAfterUndo(e), "abcd\r\nefgh");
  }
}

// Trimmed, a column block's short line is stored anew without its blanks, and cut without padding.
TEST(EditSelection, ColumnDeletionStoresEveryLineOfTheBlock) {
  for (const bool trim : {true, false}) {
    TTextEdit e("abcdef\r\nx \r\nghijkl"), c("abcd\r\ne");
    e.SetOptions(trim ? e.Options() + eoTrimTrailingSpaces : e.Options());
    c.SetOptions(e.Options());
    Select(e, {4, 1}, {7, 3}, smColumn);
    e.SetSelText(AnsiString());
    EXPECT_EQ(e.TextA(), trim ? "abc\r\nx\r\nghi" : "abc\r\nx \r\nghi");
    EXPECT_EQ(TextAfterUndo(e), "abcdef\r\nx \r\nghijkl");
    Select(c, {2, 1}, {4, 2}, smColumn);
    c.CutToClipboard();
    EXPECT_EQ(TxtEditReadClipboard().Text, trim ? "bc\r\n" : "bc\r\n  ");
    EXPECT_EQ(c.TextA(), "ad\r\ne");
    EXPECT_EQ(c.Options().Contains(eoTrimTrailingSpaces), trim);
    EXPECT_EQ(TextAfterUndo(c), "abcd\r\ne");
  }
}

TEST(EditSelection, ReplacingWholeLinesUndoesExactly) {
  for (int last : {2, 3}) {
    SCOPED_TRACE(last);
    TTextEdit e("a\r\nb\r\nc");
    Select(e, {1, 2}, {1, last}, smLine);
    e.SetSelText("X");
    EXPECT_EQ(TextAfterUndo(e), "a\r\nb\r\nc");
    EXPECT_EQ(e.Lines()->Count(), 3);
    e.Redo();
    EXPECT_EQ(TextAfterUndo(e), "a\r\nb\r\nc");
  }
}

// ---- the clipboard ----

TEST(EditClipboard, ColumnCopyKeepsPaddingEvenWithTrimming) {
  TTextEdit e("abcd\r\ne");
  e.SetOptions(e.Options() + eoTrimTrailingSpaces);
  Select(e, {2, 1}, {4, 2}, smColumn);
  e.CopyToClipboard();
  EXPECT_EQ(TxtEditReadClipboard().Text, "bc\r\n  ");
  EXPECT_TRUE(e.Options().Contains(eoTrimTrailingSpaces));
}

TEST(EditClipboard, ZeroBytesSurviveCopyAndPaste) {
  TTextEdit e(std::string("a\0b", 3));
  e.SelectAll();
  e.CopyToClipboard();
  // The editor's own block gives the text as it was; its Unicode copy ends at the zero byte.
  EXPECT_EQ(e.GetClipboardText(), std::string("a\0b", 3));
  e.SetCaretXY({4, 1});
  e.PasteFromClipboard();
  EXPECT_EQ(e.TextA(), std::string("a\0ba\0b", 6));
  // Also at the end of what was copied, through the system's clipboard.
  e.SetTextA(std::string("x\0\0", 3));
  e.SelectAll();
  e.CopyToClipboard();
  e.SetCaretXY({1, 1});
  e.PasteFromClipboard();
  EXPECT_EQ(e.TextA(), std::string("x\0\0x\0\0", 6));
}

TEST(EditClipboard, CutMovesTheTextAndUndoBringsItBack) {
  TTextEdit e("one two");
  Select(e, {1, 1}, {5, 1});
  e.CutToClipboard();
  EXPECT_EQ(e.TextA(), "two");
  EXPECT_EQ(TxtEditReadClipboard().Text, "one ");
  EXPECT_EQ(TextAfterUndo(e), "one two");
}

TEST(EditClipboard, ReadOnlyCutAndPasteChangeNothing) {
  TTextEdit e("text");
  Clipboard()->SetAsWideText(L"clip");
  e.SetReadOnly(true);
  Select(e, {1, 1}, {3, 1});
  e.CutToClipboard();
  e.PasteFromClipboard();
  EXPECT_EQ(e.TextA(), "text");
  EXPECT_EQ(Clipboard()->AsWideText(), L"clip");
  EXPECT_FALSE(e.CanPaste());
  EXPECT_FALSE(e.GetCanPaste());
  e.SetReadOnly(false);
  EXPECT_TRUE(e.GetCanPaste());
  Clipboard()->Clear();
  EXPECT_FALSE(e.GetCanPaste());
}

TEST(EditClipboard, CutDeletesNothingWhenTheClipboardIsHeld) {
  TTextEdit e("precious");
  Select(e, {1, 1}, {9, 1});
  HWND other = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_TRUE(other);
  ASSERT_TRUE(OpenClipboard(other));
  EXPECT_THROW(e.CutToClipboard(), EClipboardException);
  CloseClipboard();
  DestroyWindow(other);
  EXPECT_EQ(e.TextA(), "precious");
  EXPECT_FALSE(e.UndoList()->CanUndo());
}
