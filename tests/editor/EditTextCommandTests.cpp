// The text-changing commands: typing, line breaks with indentation, the deleting commands, Tab
// and Shift+Tab, block indent and unindent, and case changes; each undone exactly.
#include <gtest/gtest.h>

#include <vector>

#include "editor/TxtEdit.h"
#include "tests/editor/EditTestSupport.h"
#include "tests/editor/EditingTestSupport.h"

TEST(EditTyping, CharactersInsertAndOverwrite) {
  TTextEdit e("ac");
  e.SetCaretXY({2, 1});
  EXPECT_EQ(TextAfter(e, ecChar, 'b'), "abc");
  e.SetInsertMode(false);
  EXPECT_EQ(TextAfter(e, ecChar, 'X'), "abX");
  EXPECT_EQ(TextAfter(e, ecChar, 'Y'), "abXY");  // at the end overwrite appends
  // Typing and overwriting are changes of one kind: one step undoes them all.
  EXPECT_EQ(TextAfterUndo(e), "ac");
}

TEST(EditTyping, ControlCharactersAreIgnored) {
  TTextEdit e("x");
  for (char c : {'\t', '\b', '\x7f', '\x01', '\r'}) Cmd(e, ecChar, c);
  EXPECT_EQ(e.TextA(), "x");
  EXPECT_FALSE(e.UndoList()->CanUndo());
}

TEST(EditTyping, TypingOverASelectionReplacesIt) {
  TTextEdit e("one two");
  Select(e, {5, 1}, {8, 1});
  EXPECT_EQ(TextAfter(e, ecChar, '2'), "one 2");
  EXPECT_EQ(TextAfterUndo(e), "one two");
}

TEST(EditTyping, PastTheLineEndTheFillingIsUndoneToo) {
  TTextEdit e("ab\r\n");
  e.SetCaretXY({6, 1});
  Cmd(e, ecChar, 'x');
  EXPECT_EQ(Line(e, 1), "ab   x");
  EXPECT_EQ(TextAfterUndo(e), "ab");
  // On an empty line the filling may be tabs, and it still goes away with the character.
  e.SetOptions(e.Options() - eoTabsToSpaces);
  e.SetTabWidth(4);
  e.SetTextA("");
  e.SetCaretXY({10, 1});
  Cmd(e, ecChar, 'y');
  EXPECT_EQ(Line(e, 1), "\t\t y");
  e.Undo();
  EXPECT_EQ(Line(e, 1), "");
  EXPECT_FALSE(e.Modified());
}

TEST(EditTyping, NothingChangesPastTheScrollWidth) {
  TTextEdit e("ab");
  e.SetMaxScrollWidth(10);
  e.SetCaretXY({11, 1});
  ASSERT_EQ(e.CaretX(), 11);
  EXPECT_EQ(TextAfter(e, ecChar, 'x'), "ab");
  EXPECT_FALSE(e.UndoList()->CanUndo());
  e.SetCaretXY({10, 1});
  EXPECT_EQ(TextAfter(e, ecChar, 'x'), "ab       x");
}

// The scroll width stops an insertion only: typing over a character past it (a line longer than
// the width, without eoScrollPastEol) replaces that character.
TEST(EditTyping, TheScrollWidthHoldsBackInsertingOnly) {
  struct Case {
    bool Insert;
    int Caret;
    size_t Length;  // of the line after typing x there
  } cases[] = {{true, 1030, 1100}, {true, 1024, 1101}, {false, 1030, 1100}, {false, 1024, 1100}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Insert << " " << c.Caret);
    TTextEdit e(std::string(1100, 'a'));
    e.SetOptions(e.Options() - eoScrollPastEol);
    e.SetInsertMode(c.Insert);
    e.SetCaretXY({c.Caret, 1});
    Cmd(e, ecChar, 'x');
    EXPECT_EQ(Line(e, 1).size(), c.Length);
    EXPECT_EQ(Line(e, 1).find('x'), c.Length == 1100 && c.Insert ? std::string::npos : size_t(c.Caret - 1));
  }
}

// Typing that reaches the window's right edge scrolls the text on by the window's width less
// one column, at most 25 columns.
TEST(EditTyping, ReachingTheRightEdgeScrollsAStretch) {
  for (const auto& [width, ime] : {std::pair{120, false}, {400, false}, {400, true}}) {
    TEditorHost h(width, 100);
    TTxtEdit& e = h.Edit();
    const int chars = e.CharsInWindow();
    std::string text(static_cast<size_t>(chars), 'a');
    if (ime)
      Cmd(e, ecImeStr, '\0', text.data());
    else
      Type(e, text);
    EXPECT_EQ(e.LeftChar(), 1 + std::min(chars - 1, 25)) << width << ime;
    Type(e, "b");  // within the window the text stays
    EXPECT_EQ(e.LeftChar(), 1 + std::min(chars - 1, 25)) << width << ime;
  }
}

TEST(EditTyping, ImeStringsInsertAsOne) {
  TTextEdit e("ab");
  e.SetCaretXY({2, 1});
  char s[] = "XYZ";
  EXPECT_EQ(TextAfter(e, ecImeStr, 0, s), "aXYZb");
  e.SetInsertMode(false);
  e.SetCaretXY({1, 1});
  char t[] = "12";
  EXPECT_EQ(TextAfter(e, ecImeStr, 0, t), "12YZb");
  e.Undo();
  EXPECT_EQ(TextAfterUndo(e), "ab");
}

TEST(EditLineBreaks, AutoIndentKeepsTheLeadingBlanks) {
  TTextEdit e("    abcdef");
  e.SetCaretXY({8, 1});
  EXPECT_EQ(TextAfter(e, ecLineBreak), "    abc\r\n    def");
  EXPECT_EQ(e.CaretXY(), BufferCoord(5, 2));
  EXPECT_EQ(TextAfterUndo(e), "    abcdef");

  e.SetOptions(e.Options() - eoAutoIndent);
  e.SetCaretXY({8, 1});
  EXPECT_EQ(TextAfter(e, ecLineBreak), "    abc\r\ndef");
  EXPECT_EQ(e.CaretXY(), BufferCoord(1, 2));
}

TEST(EditLineBreaks, TheFourPlacesOfTheCaret) {
  TTxtEdit e(nullptr);
  // At the start of a line: an empty line before it.
  e.SetTextA("  abc");
  e.SetCaretXY({1, 1});
  EXPECT_EQ(TextAfter(e, ecLineBreak), "\r\n  abc");
  EXPECT_EQ(e.CaretXY(), BufferCoord(1, 2));
  EXPECT_EQ(TextAfterUndo(e), "  abc");
  // Past the end: the new line gets the indentation of the line.
  e.SetCaretXY({9, 1});
  EXPECT_EQ(TextAfter(e, ecLineBreak), "  abc\r\n  ");
  EXPECT_EQ(e.CaretXY(), BufferCoord(3, 2));
  EXPECT_EQ(TextAfterUndo(e), "  abc");
  // On an empty line: the indentation of the nearest line above, in virtual space.
  e.SetTextA("   x\r\n\r\n");
  e.SetCaretXY({1, 2});
  EXPECT_EQ(TextAfter(e, ecLineBreak), "   x\r\n\r\n");
  EXPECT_EQ(e.CaretXY(), BufferCoord(4, 3));
  // Insert line leaves the caret where it is.
  e.SetTextA("abcd");
  e.SetCaretXY({3, 1});
  EXPECT_EQ(TextAfter(e, ecInsertLine), "ab\r\ncd");
  EXPECT_EQ(e.CaretXY(), BufferCoord(3, 1));
  e.Undo();
  EXPECT_EQ(TextAfterRedo(e), "ab\r\ncd");
}

// A bookmark stays with the text of its line: it moves down when the break puts its whole line
// below (at the line's start, on an empty line), and stays for a break inside or after it.
TEST(EditLineBreaks, BookmarksStayWithTheTextOfTheirLine) {
  struct Case {
    const char* Text;
    TBufferCoord Caret;
    int Line;
  } cases[] = {
      {"a\r\nbcd\r\ne", {1, 2}, 3}, {"a\r\nbcd\r\ne", {2, 2}, 2}, {"a\r\nbcd\r\ne", {9, 2}, 2},
      {"a\r\n\r\ne", {1, 2}, 3},    {"a\r\nbcd\r\ne", {2, 1}, 3}, {"a\r\nbcd\r\ne", {1, 3}, 2},
  };
  for (const Case& c : cases) {
    TTextEdit e(c.Text);
    e.SetBookMark(0, 1, 2);
    e.SetCaretXY(c.Caret);
    Cmd(e, ecLineBreak);
    int x = 0, y = 0;
    ASSERT_TRUE(e.GetBookMark(0, x, y));
    EXPECT_EQ(y, c.Line) << c.Text << " " << c.Caret.Char << "," << c.Caret.Line;
  }
}

TEST(EditDeleting, BackspaceAndDelete) {
  TTextEdit e("abc\r\ndef");
  e.SetCaretXY({1, 2});
  EXPECT_EQ(TextAfter(e, ecDeleteLastChar), "abcdef");
  EXPECT_EQ(e.CaretXY(), BufferCoord(4, 1));
  EXPECT_EQ(TextAfter(e, ecDeleteLastChar), "abdef");
  EXPECT_EQ(TextAfter(e, ecDeleteChar), "abef");
  EXPECT_EQ(TextAfterUndo(e), "abdef");
  e.Undo();  // both backspaces at once
  EXPECT_EQ(e.TextA(), "abc\r\ndef");
}

TEST(EditDeleting, SmartBackspaceGoesToTheIndentationAbove) {
  TTextEdit e("if\r\n  a\r\n      b");
  e.SetCaretXY({7, 3});
  Cmd(e, ecDeleteLastChar);
  EXPECT_EQ(Line(e, 3), "  b");
  EXPECT_EQ(e.CaretXY(), BufferCoord(3, 3));
  e.Undo();
  EXPECT_EQ(Line(e, 3), "      b");
  // Without smart deletion: back to the previous tab stop.
  e.SetOptions(e.Options() - eoSmartTabDelete);
  e.SetTabWidth(4);
  e.SetCaretXY({7, 3});
  Cmd(e, ecDeleteLastChar);
  EXPECT_EQ(Line(e, 3), "    b");
}

// Right after a line's leading blanks Backspace takes them back to an indentation, which only
// auto-indentation gives a line (without it a line has none, and one blank goes); lines of
// blanks alone above are passed over.
TEST(EditDeleting, BackspaceAfterLeadingBlanks) {
  struct Case {
    bool AutoIndent, Smart;
    const char* Text;
    const char* Last;
  } cases[] = {
      {true, true, "if\r\n  a\r\n      b", "  b"},     {true, false, "if\r\n  a\r\n      b", "    b"},
      {false, true, "if\r\n  a\r\n      b", "     b"}, {false, false, "if\r\n  a\r\n      b", "     b"},
      {true, true, "  a\r\n\r\n      b", "  b"},       {true, true, "  a\r\n  \r\n      b", "  b"},
  };
  for (const Case& c : cases) {
    TTextEdit e(c.Text);
    e.SetTabWidth(4);
    TTxtEditorOptions options = e.Options() - eoAutoIndent - eoSmartTabDelete;
    if (c.AutoIndent) options.Include(eoAutoIndent);
    if (c.Smart) options.Include(eoSmartTabDelete);
    e.SetOptions(options);
    e.SetCaretXY({7, 3});
    Cmd(e, ecDeleteLastChar);
    EXPECT_EQ(Line(e, 3), c.Last) << c.AutoIndent << c.Smart << c.Text;
  }
}

TEST(EditDeleting, WordsLinesAndLineParts) {
  TTextEdit e("alpha beta gamma");
  e.SetCaretXY({7, 1});
  EXPECT_EQ(TextAfter(e, ecDeleteWord), "alpha gamma");
  EXPECT_EQ(e.CaretX(), 7);
  EXPECT_EQ(TextAfter(e, ecDeleteLastWord), "gamma");
  e.SetCaretXY({3, 1});
  EXPECT_EQ(TextAfter(e, ecDeleteEOL), "ga");
  EXPECT_EQ(TextAfter(e, ecDeleteBOL), "");
  for (int i = 0; i < 4; ++i) e.Undo();
  EXPECT_EQ(e.TextA(), "alpha beta gamma");

  e.SetTextA("one\r\ntwo\r\nthree");
  e.SetCaretXY({2, 2});
  EXPECT_EQ(TextAfter(e, ecDeleteLine), "one\r\nthree");
  EXPECT_EQ(e.CaretXY(), BufferCoord(1, 2));
  EXPECT_EQ(TextAfter(e, ecDeleteLine), "one\r\n");  // the last line is emptied
  Cmd(e, ecDeleteLine);                              // an empty last line stays
  EXPECT_EQ(e.Lines()->Count(), 2);
  e.Undo();
  EXPECT_EQ(TextAfterUndo(e), "one\r\ntwo\r\nthree");
}

// Past the text's end, blanks filled in by a deletion would be a change no undo takes back.
TEST(EditDeleting, EveryDeletingCommandIsBracketedByTheTransientPaint) {
  const char *text = "alpha beta\r\ngamma", *end = "ab\r\ncd";
  const std::tuple<const char*, TTxtEditorCommand, TBufferCoord, const char*> cases[] = {
      {text, ecDeleteLastChar, {7, 1}, "alphabeta\r\ngamma"},
      {text, ecDeleteChar, {6, 1}, "alphabeta\r\ngamma"},
      {text, ecDeleteWord, {7, 1}, "alpha \r\ngamma"},
      {text, ecDeleteEOL, {3, 1}, "al\r\ngamma"},
      {text, ecDeleteLastWord, {11, 1}, "alpha \r\ngamma"},
      {text, ecDeleteBOL, {7, 1}, "beta\r\ngamma"},
      {text, ecDeleteLine, {3, 1}, "gamma"},
      {text, ecDeleteBOL, {1, 2}, text},
      {end, ecDeleteEOL, {6, 1}, end},
      {end, ecDeleteEOL, {6, 2}, end},
      {end, ecDeleteWord, {6, 2}, end},
      {end, ecDeleteChar, {6, 2}, end},
  };
  for (const auto& [before, command, caret, after] : cases) {
    SCOPED_TRACE(testing::Message() << command << " at " << caret.Char << "," << caret.Line);
    TTextEdit e(before);
    e.SetCaretXY(caret);
    TTransientLog log;
    e.OnPaintTransient = TPaintTransient(&log, &TTransientLog::Paint);
    EXPECT_EQ(TextAfter(e, command), after);
    EXPECT_EQ(log.calls, (std::vector<TTransientType>{ttBefore, ttAfter}));
    if (after == before) {
      EXPECT_EQ(e.CaretXY(), caret);
      EXPECT_EQ(e.UndoList()->ItemCount(), 0);
    }
  }
}

TEST(EditTabs, TabInsertsSpacesToTheNextStop) {
  TTextEdit e("ab");
  e.SetTabWidth(4);
  e.SetOptions(e.Options() - eoSmartTabs);
  e.SetCaretXY({3, 1});
  EXPECT_EQ(TextAfter(e, ecTab), "ab  ");
  EXPECT_EQ(e.CaretX(), 5);
  e.SetOptions(e.Options() - eoTabsToSpaces);
  EXPECT_EQ(TextAfter(e, ecTab), "ab  \t");
  e.Undo();
  EXPECT_EQ(TextAfterUndo(e), "ab");
}

TEST(EditTabs, ShiftTabRemovesBlanksBackToTheStop) {
  TTextEdit e("      x");
  e.SetTabWidth(4);
  e.SetOptions(e.Options() - eoSmartTabs);
  e.SetCaretXY({7, 1});
  EXPECT_EQ(TextAfter(e, ecShiftTab), "    x");
  EXPECT_EQ(TextAfterUndo(e), "      x");
  // Shift+Tab never removes text.
  e.SetTextA("abcd");
  e.SetCaretXY({5, 1});
  EXPECT_EQ(TextAfter(e, ecShiftTab), "abcd");
  // Nor when a word of the line above starts left of the caret's text.
  e.SetOptions(e.Options() + eoSmartTabs);
  e.SetTextA("ab cd ef\r\nwxyzuv");
  e.SetCaretXY({7, 2});
  EXPECT_EQ(TextAfter(e, ecShiftTab), "ab cd ef\r\nwxyzuv");
}

TEST(EditTabs, TabIndentWorksOnABlock) {
  TTextEdit e("a\r\nb\r\nc");
  e.SetOptions(e.Options() + eoTabIndent);
  e.SetTabWidth(2);
  Select(e, {1, 1}, {2, 2});
  EXPECT_EQ(TextAfter(e, ecTab), "  a\r\n  b\r\nc");
  EXPECT_EQ(TextAfter(e, ecShiftTab), "a\r\nb\r\nc");
}

TEST(EditBlocks, IndentAndUnindentWithUndo) {
  TTextEdit e("one\r\n two\r\nthree\r\nfour");
  e.SetTabWidth(4);
  // The last line is left out when the selection ends at its start.
  Select(e, {2, 1}, {1, 3});
  EXPECT_EQ(TextAfter(e, ecBlockIndent), "    one\r\n     two\r\nthree\r\nfour");
  EXPECT_EQ(e.SelectionAnchor(), BufferCoord(6, 1));
  Cmd(e, ecBlockIndent);
  // Two indents are two undo steps even with grouping.
  EXPECT_EQ(TextAfterUndo(e), "    one\r\n     two\r\nthree\r\nfour");
  EXPECT_EQ(e.SelectionAnchor(), BufferCoord(6, 1));
  EXPECT_EQ(TextAfterUndo(e), "one\r\n two\r\nthree\r\nfour");
  EXPECT_EQ(e.SelectionAnchor(), BufferCoord(2, 1));
  EXPECT_EQ(TextAfterRedo(e), "    one\r\n     two\r\nthree\r\nfour");

  EXPECT_EQ(TextAfter(e, ecBlockUnindent), "one\r\n two\r\nthree\r\nfour");
  EXPECT_EQ(TextAfter(e, ecBlockUnindent), "one\r\ntwo\r\nthree\r\nfour");
  EXPECT_EQ(TextAfter(e, ecBlockUnindent), "one\r\ntwo\r\nthree\r\nfour");  // nothing left to remove
  EXPECT_EQ(TextAfterUndo(e), "one\r\n two\r\nthree\r\nfour");
  EXPECT_EQ(TextAfterRedo(e), "one\r\ntwo\r\nthree\r\nfour");
}

TEST(EditCase, WordAndBlockCommands) {
  TTextEdit e("hello World");
  e.SetCaretXY({3, 1});
  EXPECT_EQ(TextAfter(e, ecUpperCase), "HELLO World");
  e.SetCaretXY({8, 1});
  EXPECT_EQ(TextAfter(e, ecToggleCase), "HELLO wORLD");
  EXPECT_EQ(TextAfter(e, ecTitleCase), "HELLO World");
  Select(e, {1, 1}, {6, 1});
  EXPECT_EQ(TextAfter(e, ecLowerCaseBlock), "hello World");
  EXPECT_EQ(e.SelText(), "hello");  // a block command keeps the selection
  // Without a selection a block command converts the character right of the caret.
  e.SetCaretXY({7, 1});
  EXPECT_EQ(TextAfter(e, ecLowerCaseBlock), "hello world");
  EXPECT_EQ(e.CaretX(), 8);
  EXPECT_EQ(TextAfterUndo(e), "hello World");
}

TEST(EditCase, EveryCaseCommandOnASelection) {
  const struct {
    TTxtEditorCommand Command;
    const char* Result;
    bool KeepsSelection;
  } cases[] = {
      {ecUpperCase, "MIXED case", false},      {ecLowerCase, "mixed case", false},
      {ecToggleCase, "MiXeD case", false},     {ecTitleCase, "Mixed case", false},
      {ecUpperCaseBlock, "MIXED case", true},  {ecLowerCaseBlock, "mixed case", true},
      {ecToggleCaseBlock, "MiXeD case", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Command);
    TTextEdit e("mIxEd case");
    Select(e, {1, 1}, {6, 1});
    Cmd(e, c.Command);
    EXPECT_EQ(e.TextA(), c.Result);
    EXPECT_EQ(e.SelAvail(), c.KeepsSelection);
    EXPECT_EQ(TextAfterUndo(e), "mIxEd case");
    EXPECT_EQ(TextAfterRedo(e), c.Result);
  }
}

// One command on a text with the caret at a place (tab width 4): the text it leaves, and one
// undo step gives the text back exactly.
TEST(EditTextCommands, OneCommandAndItsUndo) {
  const struct {
    const char* Start;
    TBufferCoord Caret;
    TTxtEditorCommand Command;
    const char* End;
  } cases[] = {
      {"ab", {3, 1}, ecDeleteChar, "ab"},            // at the end of the last line: nothing
      {"ab\r\ncd", {5, 1}, ecDeleteChar, "ab  cd"},  // past the end: the gap is filled
      {"ab\r\n  cd", {3, 1}, ecDeleteWord, "abcd"},
      {"ab\r\n  cd", {5, 1}, ecDeleteWord, "ab  cd"},
      {"int   value;\r\nx", {2, 2}, ecTab, "int   value;\r\nx     "},  // aligned with the line above
      {"\xe9t\xe9", {1, 1}, ecUpperCase, "\xc9T\xc9"},                 // letters of the code page
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Start);
    TTextEdit e(c.Start);
    e.SetTabWidth(4);
    e.SetCaretXY(c.Caret);
    EXPECT_EQ(TextAfter(e, c.Command), c.End);
    EXPECT_EQ(TextAfterUndo(e), c.Start);
  }
  TTextEdit e("\tx\r\n      y\r\n  \tz");  // a tab or up to a tab width of spaces
  e.SetTabWidth(4);
  e.SelectAll();
  EXPECT_EQ(TextAfter(e, ecBlockUnindent), "x\r\n  y\r\nz");
  EXPECT_EQ(TextAfterUndo(e), "\tx\r\n      y\r\n  \tz");
}
