// What the application asks of an editor: the word, link and byte at the caret, and marks.
#include <gtest/gtest.h>

#include "app/EditorQueries.h"

namespace {

TEST(EditorQueries, WordAndByteAtTheCaret) {
  TTxtEdit edit(nullptr);
  edit.Lines()->SetText("see www.example.org/a?b=1, ok\r\n\r\nend");
  edit.SetCaretXY({8, 1});
  EXPECT_EQ(GetWordAtCaret(&edit) + char(CharAtCaret(&edit)), "www.example.org/a?b=1.");
  edit.SetCaretXY({4, 1});  // just behind "see"
  EXPECT_EQ(GetWordAtCaret(&edit), "see");
  TTxtCharSet letters;
  for (char c = 'a'; c <= 'z'; ++c) letters.Include(static_cast<unsigned char>(c));
  EXPECT_EQ(GetWordAt(&edit, {30, 1}, letters, true), "ok");
  for (const TBufferCoord& outside : {TBufferCoord{31, 1}, TBufferCoord{1, 2}, TBufferCoord{1, 4}})
    EXPECT_EQ(GetWordAt(&edit, outside, letters, true), "");
  edit.SetCaretXY({4, 3});
  EXPECT_EQ(CharAtCaret(&edit), -1);

  auto* mark = new TTxtEditMark;
  mark->SetLine(3);
  edit.Marks()->Add(mark);
  EXPECT_TRUE(LineHasMark(3, &edit) && !LineHasMark(1, &edit));
}

}  // namespace
