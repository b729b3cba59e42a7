// Setting and pasting a text of many lines into the editor: the text, the caret, bookmarks and
// undo for every line-break style, at the start, inside and at the end of a line, with texts
// small and large enough to get a block of their own in the line buffer.
#include <gtest/gtest.h>

#include <string>

#include "editor/TxtEdit.h"
#include "editor/TxtEditClipboard.h"
#include "tests/editor/EditingTestSupport.h"

namespace {

// The text as the control gives it back: every break a CR LF.
std::string WithCrLf(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    if (text[i] == '\r' || text[i] == '\n')
      out += "\r\n";
    else
      out += text[i];
  }
  return out;
}

// Lines with a trailing blank on every third; Break null mixes all three styles.
std::string Pasted(int Lines, const char* Break, bool FinalBreak) {
  static const char* const mixed[] = {"\r\n", "\n", "\r"};
  std::string text;
  for (int i = 0; i < Lines; ++i) {
    text += "pasted line " + std::to_string(i) + (i % 3 == 0 ? " \t" : "");
    if (FinalBreak || i + 1 < Lines) text += Break ? Break : mixed[i % 3];
  }
  return text;
}

TBufferCoord EndOf(const std::string& Text) {
  int line = 1;
  size_t start = 0;
  for (size_t at = Text.find("\r\n"); at != std::string::npos; at = Text.find("\r\n", at + 2)) {
    ++line;
    start = at + 2;
  }
  return {static_cast<int>(Text.size() - start) + 1, line};
}

int MarkLine(const TCustomTxtEdit& e, int Number) {
  int x = 0, y = 0;
  return e.GetBookMark(Number, x, y) ? y : 0;
}

}  // namespace

TEST(EditLargePaste, TextCaretBookmarksAndUndoForEveryBreakStyle) {
  const std::string before = "first\r\nabcdef\r\nlast";
  for (const char* brk : {"\r\n", "\n", "\r", static_cast<const char*>(nullptr)})
    for (int lines : {3, 4000})
      for (bool finalBreak : {false, true})
        for (int column : {1, 4, 7}) {
          const std::string text = Pasted(lines, brk, finalBreak);
          SCOPED_TRACE(testing::Message() << (brk ? int(brk[0]) : 0) << " " << lines << " lines, final break "
                                          << finalBreak << ", column " << column);
          TTextEdit e(before);
          e.SetBookMark(1, 1, 1);
          e.SetBookMark(2, 1, 3);
          e.SetCaretXY({column, 2});
          e.SetSelText(text);
          const std::string upToCaret = "first\r\n" + std::string("abcdef", size_t(column - 1)) + WithCrLf(text);
          const std::string after = upToCaret + std::string("abcdef").substr(size_t(column - 1)) + "\r\nlast";
          ASSERT_EQ(e.TextA(), after);
          EXPECT_EQ(e.CaretXY(), EndOf(upToCaret));
          EXPECT_EQ(MarkLine(e, 1), 1);
          EXPECT_EQ(MarkLine(e, 2), e.Lines()->Count());
          EXPECT_EQ(TextAfterUndo(e), before);
          EXPECT_EQ(MarkLine(e, 2), 3);
          EXPECT_EQ(TextAfterRedo(e), after);
          EXPECT_EQ(TextAfterUndo(e), before);
        }
}

TEST(EditLargePaste, TrimmingTakesTheBlanksOfEveryLineWhateverTheSize) {
  for (int lines : {3, 4000}) {
    TTextEdit e("ab");
    e.SetOptions(e.Options() + eoTrimTrailingSpaces);
    e.SetCaretXY({2, 1});
    e.SetSelText(Pasted(lines, "\r\n", false));
    std::string expected = "a" + WithCrLf(Pasted(lines, "\r\n", false)) + "b";
    for (size_t at; (at = expected.find(" \t\r\n")) != std::string::npos;) expected.erase(at, 2);
    EXPECT_EQ(e.TextA(), expected) << lines;
  }
}

TEST(EditLargePaste, WholeLinesGoInBeforeTheCaretLine) {
  for (int lines : {3, 4000}) {
    TTextEdit e("one\r\ntwo");
    e.SetCaretXY({1, 2});
    e.SetSelectionMode(smLine);
    const std::string text = Pasted(lines, "\n", true);
    e.SetSelText(text);
    EXPECT_EQ(e.TextA(), "one\r\n" + WithCrLf(text) + "two") << lines;
    EXPECT_EQ(TextAfterUndo(e), "one\r\ntwo");
  }
}

// A large clipboard text is split where it was read: at the start, inside and at the end of a
// line, in an empty editor, for every break style.
TEST(EditLargePaste, AClipboardPasteUndoesAndRedoesWhole) {
  for (const char* brk : {"\r\n", "\n", "\r", static_cast<const char*>(nullptr)})
    for (const char* before : {"", "abcdef"})
      for (int column : {1, 4, 7}) {
        if (!*before && column > 1) continue;
        const std::string text = Pasted(20000, brk, column == 4);
        SCOPED_TRACE(testing::Message() << (brk ? int(brk[0]) : 0) << " column " << column);
        TxtEditCopyToClipboard(text, smNormal);
        TTextEdit e(before);
        e.SetCaretXY({column, 1});
        e.PasteFromClipboard();
        const std::string kept(before);
        const std::string after = kept.substr(0, size_t(column - 1)) + WithCrLf(text) +
                                  kept.substr(std::min(kept.size(), size_t(column - 1)));
        ASSERT_EQ(e.TextA(), after);
        EXPECT_EQ(TextAfterUndo(e), before);
        EXPECT_EQ(TextAfterRedo(e), after);
      }
}
