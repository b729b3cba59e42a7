// What the user sees after a command: a selection dropped by undo is no longer painted, a
// column block grows with Shift from its anchor, and a caret command leaves the caret in view.
#include <gtest/gtest.h>

#include <utility>

#include "editor/TxtEdit.h"
#include "tests/editor/EditTestSupport.h"
#include "tests/editor/EditingTestSupport.h"

TEST(EditViewState, UndoRepaintsTheSelectionItDrops) {
  for (TTxtEditorCommand select : {ecSelectAll, ecSelDown}) {
    TEditorHost host;
    host.Edit().SetTextA("first\r\nsecond\r\nthird\r\nlast");
    host.Edit().SetCaretXY({5, 4});
    Type(host.Edit(), "typed");
    host.Edit().SetCaretXY({1, 1});
    for (int i = 0; i < 3; ++i) Cmd(host.Edit(), select);
    host.Settle();
    Cmd(host.Edit(), ecUndo);
    EXPECT_EQ(host.Capture()->Count(RGBOf(host.Edit().SelectedColor()->Background())), 0) << select;
  }
}

TEST(EditViewState, AColumnBlockGrownDownKeepsItsAnchor) {
  TTxtEdit e(nullptr);
  e.SetTextA("abcdefghij\r\nklmnopqrst\r\nuvwxyzABCD");
  for (TTxtEditorCommand c : {ecColumnSelect, ecRight, ecRight, ecRight, ecRight, ecRight, ecSelDown, ecSelDown, ecSelRight})
    Cmd(e, c);
  EXPECT_EQ(e.SelText(), "f\r\np\r\nz");
}

// The view is scrolled away (as the mouse wheel does) from a caret that the command leaves.
TEST(EditViewState, ACaretCommandAlwaysBringsTheCaretIntoView) {
  TEditorHost host;
  TTxtEdit& e = host.Edit();
  e.SetTextA(NumberedLines(100));
  for (auto [c, atEnd] : {std::pair{ecEditorTop, false}, {ecSelEditorTop, false}, {ecLineStart, false}, {ecUp, false},
                          {ecPageUp, false}, {ecEditorBottom, true}, {ecDown, true}, {ecLineEnd, true}}) {
    e.SetCaretXY(atEnd ? BufferCoord(4, 100) : BufferCoord(1, 1));
    e.SetTopLine(atEnd ? 1 : 60);
    Cmd(e, c);
    EXPECT_TRUE(e.CaretY() >= e.TopLine() && e.CaretY() < e.TopLine() + e.LinesInWindow()) << c;
  }
}
