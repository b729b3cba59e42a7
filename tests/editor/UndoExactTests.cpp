// Undo and redo give back every byte: column blocks padded to their column, column deletions
// over tabs, whole-line changes of an empty selection, edits with word wrap on, blanks trimmed
// at line ends, replace-all inside a selection on long lines, and one command of more changes
// than the undo limit.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "editor/TxtEdit.h"
#include "editor/TxtEditSearch.h"
#include "tests/editor/EditTestSupport.h"
#include "tests/editor/EditingTestSupport.h"

namespace {

// Undoes everything, checks the text, redoes everything, checks again, twice.
void ExpectRoundTrips(TCustomTxtEdit& e, const AnsiString& Before, const AnsiString& After) {
  for (int round = 0; round < 2; ++round) {
    while (e.CanUndo()) e.Undo();
    ASSERT_EQ(e.TextA(), Before) << "undone, round " << round;
    while (e.CanRedo()) e.Redo();
    ASSERT_EQ(e.TextA(), After) << "redone, round " << round;
  }
}

}  // namespace

// The blanks that carry a column block out to its column belong to the change.
TEST(UndoExact, ColumnInsertionUndoesItsPadding) {
  const struct {
    const char* Name;
    const char* Start;
    TBufferCoord From, To;
    const char* Value;
  } cases[] = {
      {"empty text, block below it", "", {6, 2}, {17, 1}, " "},
      {"short lines", "ab\r\n\r\nx", {5, 1}, {7, 3}, "1\r\n2\r\n3"},
      {"one short line", "abc\r\nabcdefgh", {6, 2}, {8, 1}, "Z"},
      {"past the last line", "a", {4, 1}, {6, 1}, "p\r\nq\r\nr"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TTextEdit e(c.Start);
    const AnsiString before = e.TextA();
    Select(e, c.From, c.To, smColumn);
    e.SetSelText(c.Value);
    const AnsiString after = e.TextA();
    ASSERT_NO_FATAL_FAILURE(ExpectRoundTrips(e, before, after));
  }
}

// A column is cut in display columns: on lines with tabs its characters lie elsewhere on each
// line, and undo puts them back there.
TEST(UndoExact, ColumnDeletionOverTabsAndShortLines) {
  const struct {
    const char* Start;
    TBufferCoord From, To;
  } cases[] = {
      {"\tabcdef\r\nabcdefghijkl", {3, 1}, {7, 2}},
      {"abcdefghijkl\r\nab", {4, 1}, {9, 2}},
      {"a\tb\tc\r\nabcdefghijklmnop\r\n\t\tx", {2, 1}, {12, 3}},
      {"0123456789\r\n\tx", {12, 2}, {3, 1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Start);
    TTextEdit e(c.Start);
    e.SetTabWidth(4);
    Select(e, c.From, c.To, smColumn);
    e.SetSelText("");
    const AnsiString after = e.TextA();
    ASSERT_NE(after, AnsiString(c.Start));
    ASSERT_NO_FATAL_FAILURE(ExpectRoundTrips(e, c.Start, after));
  }
}

// Whole-line mode with nothing selected replaces nothing: the line stays, and text goes in as
// lines that undo takes out again.
TEST(UndoExact, LineModeWithoutSelectionKeepsTheLine) {
  const struct {
    const char* Start;
    TBufferCoord At;
    const char* Value;
    const char* After;
  } cases[] = {
      {"b", {8, 2}, "", "b"},
      {"b", {1, 1}, "", "b"},
      {"a\r\nb", {3, 1}, "", "a\r\nb"},
      {"a\r\nb", {3, 1}, "x\r\n", "x\r\na\r\nb"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Start) + " + " + c.Value);
    TTextEdit e(c.Start);
    e.SetSelectionMode(smLine);
    e.SetCaretXY(c.At);
    e.SetBlockBegin(c.At);  // both ends there
    e.SetSelText(c.Value);
    ASSERT_EQ(e.TextA(), c.After);
    ASSERT_NO_FATAL_FAILURE(ExpectRoundTrips(e, c.Start, c.After));
  }
}

// With word wrap on at the narrowest width, a block indent and typing past a line's end: the
// blanks that carry the insertion out are counted in characters, not in the columns of a row.
TEST(UndoExact, IndentAndTypingWithWrapAtWidthOne) {
  TEditorHost host;
  TTxtEdit& e = host.Edit();
  e.SetBounds(0, 0, e.GutterWidth() + 2 + 1 * e.CharWidth(), host.Height());
  e.SetWordWrap(true);
  ASSERT_EQ(e.CharsInWindow(), 1);
  for (bool tabsToSpaces : {true, false}) {
    for (TTxtSelectionMode mode : {smNormal, smLine, smColumn}) {
      SCOPED_TRACE(std::to_string(tabsToSpaces) + " mode " + std::to_string(mode));
      e.SetOptions(tabsToSpaces ? e.Options() + eoTabsToSpaces : e.Options() - eoTabsToSpaces);
      e.SetTextA("\r\n\xE0\r\n");
      e.UndoList()->Clear();
      e.RedoList()->Clear();
      const AnsiString before = e.TextA();
      Select(e, {5, 3}, {2, 1}, mode);
      Cmd(e, ecBlockIndent);
      Select(e, {10, 1}, {10, 1}, mode);
      Type(e, "c");
      Select(e, {7, 2}, {7, 2}, mode);
      e.SetSelText("d");
      const AnsiString after = e.TextA();
      ASSERT_NO_FATAL_FAILURE(ExpectRoundTrips(e, before, after));
    }
  }
}

// Replace-all inside a selection that reaches past the scroll width, backwards: an expression
// that matches the empty string hits nearly every place of the long first line.
TEST(UndoExact, BackwardsReplaceAllInALongSelection) {
  std::string long1, long2(1100, 'y');
  for (int i = 0; i < 2245; ++i) long1 += "_aay"[i % 7 % 4];
  const AnsiString text = long1 + "\r\n" + long2;
  TTextEdit e(text);
  TTxtEditRegexSearch regex(nullptr);
  e.SetSearchEngine(&regex);
  Select(e, {15, 1}, {1025, 2});
  const int hits = e.SearchReplace("(_aa)*", "\\$", {srReplaceAll, srBackwards, srSelectionOnly});
  ASSERT_GT(hits, 0);
  const AnsiString after = e.TextA();
  ASSERT_NE(after, text);
  ASSERT_NO_FATAL_FAILURE(ExpectRoundTrips(e, text, after));
}

// One replace-all of more hits than the undo list keeps items is undone whole, and the list
// says nothing was lost.
TEST(UndoExact, AReplaceAllLargerThanTheLimitIsUndoneWhole) {
  for (bool backwards : {false, true}) {
    SCOPED_TRACE(backwards ? "backwards" : "forwards");
    AnsiString text;
    for (int i = 0; i < 513; ++i) text += i % 3 == 0 ? "b\r\n" : "ab";
    TTextEdit e(text);
    TTxtEditSearch plain(nullptr);
    e.SetSearchEngine(&plain);
    TSearchReplaceOptions options{srReplaceAll, srEntireScope};
    if (backwards) options.Include(srBackwards);
    ASSERT_EQ(e.SearchReplace("b", "xyz", options), 513);
    const AnsiString after = e.TextA();
    EXPECT_FALSE(e.UndoList()->FullUndoImpossible());
    e.Undo();
    EXPECT_EQ(e.TextA(), text);
    EXPECT_FALSE(e.CanUndo());
    e.Redo();
    EXPECT_EQ(e.TextA(), after);
  }
}

// With trailing blanks trimmed, the blanks a change trims away (its own or those the line had)
// belong to the change: undo gives them back, redo trims them again.
TEST(UndoExact, TrimmedBlanksComeBackOnUndo) {
  const struct {
    const char* Name;
    const char* Start;
    TBufferCoord From, To;
    TTxtSelectionMode Mode;
    TTxtEditorCommand Command;  // ecNone: the selection is replaced by Value
    const char* Value;
    const char* After;
  } cases[] = {
      {"delete line", "a  \r\nb \t\r\nc", {1, 2}, {1, 2}, smNormal, ecDeleteLine, "", "a  \r\nc"},
      {"delete the last line", "a\r\nb  ", {2, 2}, {2, 2}, smNormal, ecDeleteLine, "", "a\r\n"},
      {"unindent", "  a  \r\n  b\t\r\nc", {1, 1}, {3, 2}, smNormal, ecBlockUnindent, "", "a  \r\nb\t\r\nc"},
      {"unindent a column", "  a \r\n  b", {1, 1}, {3, 2}, smColumn, ecBlockUnindent, "", "a \r\nb"},
      {"line break after a blank", "ab cd  ", {4, 1}, {4, 1}, smNormal, ecLineBreak, "", "ab\r\ncd  "},
      {"line break in blanks", "ab \t x", {4, 1}, {4, 1}, smNormal, ecLineBreak, "", "ab\r\n\t x"},
      {"typing before blanks", "a \t\r\nz", {2, 1}, {2, 1}, smNormal, ecChar, "b", "ab\r\nz"},
      {"overwriting before blanks", "ax \t", {2, 1}, {2, 1}, smNormal, ecChar, "b", "ab"},
      {"composed text before blanks", "ab \t", {2, 1}, {2, 1}, smNormal, ecImeStr, "xy", "axyb"},
      {"deleting before blanks", "ab  \r\ncd", {2, 1}, {2, 1}, smNormal, ecDeleteChar, "", "a\r\ncd"},
      {"backspace joining a line with blanks", "a\r\nb \t", {1, 2}, {1, 2}, smNormal, ecDeleteLastChar, "", "ab"},
      {"pasting lines with blanks", "ab  ", {3, 1}, {3, 1}, smNormal, ecNone, "x \r\ny\t\r\nz ", "abx\r\ny\r\nz"},
      {"replacing before blanks", "abc \t", {2, 1}, {3, 1}, smNormal, ecNone, "X", "aXc"},
      {"deleting a column", "ab  \r\ncd \t", {1, 1}, {3, 2}, smColumn, ecNone, "", "\r\n"},
      {"deleting whole lines", "a \r\nb\r\nc  ", {1, 2}, {2, 2}, smLine, ecNone, "q  ", "a \r\nq\r\nc  "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TTextEdit e(c.Start);
    e.SetOptions(e.Options() + eoTrimTrailingSpaces);
    // Loaded text keeps its blanks; only lines a change touches lose theirs.
    e.SetTextA(c.Start);
    e.UndoList()->Clear();
    const bool overwrite = std::string(c.Name).starts_with("overwriting");
    e.SetInsertMode(!overwrite);
    Select(e, c.From, c.To, c.Mode);
    if (c.Command == ecNone)
      e.SetSelText(c.Value);
    else if (c.Command == ecChar)
      Type(e, c.Value);
    else if (c.Command == ecImeStr)
      Cmd(e, c.Command, '\0', const_cast<char*>(c.Value));
    else
      Cmd(e, c.Command);
    EXPECT_EQ(e.TextA(), AnsiString(c.After));
    EXPECT_NO_FATAL_FAILURE(ExpectRoundTrips(e, c.Start, c.After));
  }
}

namespace {

// An editor of its own on the host's form that drags text, with room for the drops below.
TTxtEdit& DraggingEditor(TEditorHost& Host) {
  TTxtEdit& e = *new TTxtEdit(&Host.Form());
  e.SetParent(&Host.Form());
  e.SetBounds(0, 0, 300, 150);
  e.SetOptions(e.Options() + eoDragDropEditing + eoScrollPastEol);
  return e;
}

}  // namespace

// A block dragged inside its editor and dropped elsewhere is undone in one step and redone byte
// for byte: a column block pads the short lines it lands on, trimming drops the blanks left
// behind, whole lines leave the line they went in before, a drop past a line's end takes back the
// blanks that carried it out.
TEST(UndoExact, DroppedBlocksUndoExactly) {
  const struct {
    const char* Start;
    TBufferCoord From, To;
    TTxtSelectionMode Mode;
    TBufferCoord Drop;
    bool Trim;
    const char* After;  // nullptr: any other text
  } cases[] = {
      {"abcd\r\nefgh\r\n\r\nx", {2, 1}, {4, 2}, smColumn, {3, 4}, false, nullptr},
      {"abcd\r\nefgh\r\n\r\nx", {2, 1}, {4, 2}, smColumn, {3, 4}, true, nullptr},
      {"a\tbc\r\nefgh\r\nij", {1, 1}, {3, 2}, smColumn, {2, 3}, false, nullptr},
      {"ab  cd  \r\nx  ", {3, 1}, {5, 1}, smNormal, {2, 2}, true, nullptr},
      {"ab  \r\ncd \r\nef", {2, 1}, {2, 2}, smNormal, {3, 3}, true, nullptr},
      {"xbx\r\n ab -xa   \r\n- \r\nx-   a -a",
       {1, 3},
       {1, 4},
       smLine,
       {1, 2},
       false,
       "xbx\r\n- \r\nx-   a -a\r\n ab -xa   \r\n"},
      {"abc\r\nxyz", {1, 1}, {3, 1}, smNormal, {12, 2}, false, "c\r\nxyz        ab"},
      {"abc\r\nxyz", {1, 1}, {3, 1}, smNormal, {12, 2}, true, "c\r\nxyz        ab"},
      {"a\r\nb\r\nc\r\nd", {1, 1}, {1, 2}, smLine, {1, 4}, false, "c\r\na\r\nb\r\nd"},
      {"a\r\nb\r\nc\r\nd", {1, 2}, {1, 3}, smLine, {1, 1}, true, "b\r\nc\r\na\r\nd"},
  };
  TEditorHost host;
  TTxtEdit& e = DraggingEditor(host);
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Start) + (c.Trim ? " trimming" : ""));
    e.SetOptions(c.Trim ? e.Options() + eoTrimTrailingSpaces : e.Options() - eoTrimTrailingSpaces);
    e.SetTextA(c.Start);
    e.UndoList()->Clear();
    e.RedoList()->Clear();
    Select(e, c.From, c.To, c.Mode);
    DropAt(e, e, c.Drop);
    const AnsiString after = e.TextA();
    ASSERT_NE(after, AnsiString(c.Start));
    if (c.After) {
      EXPECT_EQ(after, AnsiString(c.After));
    }
    e.Undo();
    EXPECT_EQ(e.TextA(), AnsiString(c.Start)) << "one undo step";
    EXPECT_NO_FATAL_FAILURE(ExpectRoundTrips(e, c.Start, after));
  }
}

// A drop onto the dragged text itself is refused and records nothing: whole lines by their lines
// (moved onto the line after them they would stay where they were), a column block by its
// columns on its own lines; copied, the text may go in at its edges.
TEST(UndoExact, DropsOntoTheDraggedTextAreRefused) {
  const char* lines = "ab\r\ncd\r\nef\r\ngh";
  const char* columns = "abcd\r\nefgh\r\nijkl";
  const struct {
    const char* Start;
    TBufferCoord From, To;
    TTxtSelectionMode Mode;
    bool Copy;
    TBufferCoord Drop;
    const char* After;  // nullptr: refused
  } cases[] = {
      {lines, {1, 2}, {1, 3}, smLine, false, {1, 2}, nullptr},
      {lines, {1, 2}, {1, 3}, smLine, false, {2, 3}, nullptr},
      {lines, {1, 2}, {1, 3}, smLine, false, {1, 4}, nullptr},
      {lines, {1, 2}, {1, 3}, smLine, false, {2, 1}, "cd\r\nef\r\nab\r\ngh"},
      {lines, {1, 2}, {1, 3}, smLine, true, {1, 2}, "ab\r\ncd\r\nef\r\ncd\r\nef\r\ngh"},
      {lines, {1, 2}, {1, 3}, smLine, true, {1, 3}, nullptr},
      {lines, {1, 2}, {1, 3}, smLine, true, {3, 4}, "ab\r\ncd\r\nef\r\ncd\r\nef\r\ngh"},
      {columns, {2, 1}, {4, 2}, smColumn, false, {3, 2}, nullptr},
      {columns, {2, 1}, {4, 2}, smColumn, false, {4, 1}, nullptr},
      {columns, {2, 1}, {4, 2}, smColumn, false, {5, 1}, "adbc\r\nehfg\r\nijkl"},
      {columns, {2, 1}, {4, 2}, smColumn, false, {2, 3}, "ad\r\neh\r\nibcjkl\r\n fg"},
      {columns, {2, 1}, {4, 2}, smColumn, true, {3, 1}, nullptr},
      {columns, {2, 1}, {4, 2}, smColumn, true, {2, 2}, "abcd\r\nebcfgh\r\nifgjkl"},
      {"abcdef", {2, 1}, {4, 1}, smNormal, false, {3, 1}, nullptr},
      {"abcdef", {2, 1}, {4, 1}, smNormal, false, {4, 1}, nullptr},
      {"abcdef", {2, 1}, {4, 1}, smNormal, true, {3, 1}, nullptr},
      {"abcdef", {2, 1}, {4, 1}, smNormal, true, {4, 1}, "abcbcdef"},
      {"abcdef", {2, 1}, {4, 1}, smNormal, true, {2, 1}, "abcbcdef"},
  };
  TEditorHost host;
  TTxtEdit& e = DraggingEditor(host);
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Start) + " mode " + std::to_string(c.Mode) + (c.Copy ? " copied to " : " moved to ") +
                 std::to_string(c.Drop.Char) + "," + std::to_string(c.Drop.Line));
    e.SetTextA(c.Start);
    e.UndoList()->Clear();
    e.RedoList()->Clear();
    Select(e, c.From, c.To, c.Mode);
    {
      THeldKeys keys(c.Copy ? std::initializer_list<int>{VK_CONTROL} : std::initializer_list<int>{});
      DropAt(e, e, c.Drop);
    }
    EXPECT_EQ(e.TextA(), AnsiString(c.After ? c.After : c.Start));
    EXPECT_EQ(e.CanUndo(), c.After != nullptr);
    if (c.After) {
      EXPECT_NO_FATAL_FAILURE(ExpectRoundTrips(e, c.Start, c.After));
    }
  }
}

// A drop records what it was: within its editor a drag and drop, whose redo selects the dropped
// text again; from another editor an insertion, whose redo leaves the caret after it. Undo puts
// the text back in one step either way.
TEST(UndoExact, ADropRecordsItsKindAndItsRedoSelectsAsTheKindSays) {
  const struct {
    const char* Name;
    bool FromOther, Copy;
    const char* After;
    TBufferCoord SelBegin, SelEnd;  // after the redo
  } cases[] = {
      {"moved within the editor", false, false, "one three two four", {11, 1}, {15, 1}},
      {"copied within the editor", false, true, "one two three two four", {15, 1}, {19, 1}},
      {"from another editor", true, false, "one two three two four", {19, 1}, {19, 1}},
  };
  TEditorHost host;
  TTxtEdit& e = DraggingEditor(host);
  TTxtEdit other(nullptr);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const AnsiString start = "one two three four";
    e.SetTextA(start);
    other.SetTextA(start);
    TTxtEdit& source = c.FromOther ? other : e;
    Select(source, {5, 1}, {9, 1});  // "two "
    {
      THeldKeys keys(c.Copy ? std::initializer_list<int>{VK_CONTROL} : std::initializer_list<int>{});
      DropAt(e, source, {15, 1});  // before "four"
    }
    ASSERT_EQ(e.TextA(), AnsiString(c.After));
    const std::vector<TTxtUndoReason> reasons = Reasons(e.UndoList());
    const auto count = [&](TTxtUndoReason R) { return std::count(reasons.begin(), reasons.end(), R); };
    EXPECT_EQ(count(urDragDropInsert), c.FromOther ? 0 : 1);
    EXPECT_EQ(count(urInsert), c.FromOther ? 1 : 0);
    EXPECT_EQ(TextAfterUndo(e), start);
    EXPECT_EQ(TextAfterRedo(e), AnsiString(c.After));
    EXPECT_EQ(e.BlockBegin(), c.SelBegin);
    EXPECT_EQ(e.BlockEnd(), c.SelEnd);
    EXPECT_EQ(e.SelText(), c.FromOther ? "" : "two ");
  }
}
