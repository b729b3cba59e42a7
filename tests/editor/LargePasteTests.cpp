// Setting and pasting a text of many lines into the editor: the text, the caret, bookmarks and
// undo for every line-break style, at the start, inside and at the end of a line, with texts
// small and large enough to get a block of their own in the line buffer.
#include <gtest/gtest.h>

#include <string>

#include "editor/TxtEdit.h"
#include "editor/TxtEditClipboard.h"
#include "tests/editor/EditingTestSupport.h"

namespace {

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
          const std::string after = "first\r\n" + std::string("abcdef", size_t(column - 1)) +
                                    Pasted(lines, "\r\n", finalBreak) +
                                    std::string("abcdef").substr(size_t(column - 1)) + "\r\nlast";
          ASSERT_EQ(e.TextA(), after);
          const std::string last = "pasted line " + std::to_string(lines - 1) + ((lines - 1) % 3 == 0 ? " \t" : "");
          EXPECT_EQ(e.CaretXY(), finalBreak ? BufferCoord(1, lines + 2) : BufferCoord(int(last.size()) + 1, lines + 1));
          EXPECT_EQ(MarkLine(e, 1), 1);
          EXPECT_EQ(MarkLine(e, 2), e.Lines()->Count());
          EXPECT_EQ(TextAfterUndo(e), before);
          EXPECT_EQ(MarkLine(e, 2), 3);
          EXPECT_EQ(TextAfterRedo(e), after);
          EXPECT_EQ(TextAfterUndo(e), before);
        }
}

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
        const std::string after = kept.substr(0, size_t(column - 1)) + Pasted(20000, "\r\n", column == 4) +
                                  kept.substr(std::min(kept.size(), size_t(column - 1)));
        ASSERT_EQ(e.TextA(), after);
        EXPECT_EQ(TextAfterUndo(e), before);
        EXPECT_EQ(TextAfterRedo(e), after);
      }
}
