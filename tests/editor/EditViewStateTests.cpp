// What the user sees after a command: a selection gone after undo is no longer painted, a
// column block grows with Shift from its anchor, and a caret command leaves the caret in view.
#include <gtest/gtest.h>

#include <string>

#include "editor/TxtEdit.h"
#include "tests/editor/EditTestSupport.h"
#include "tests/editor/EditingTestSupport.h"

namespace {

// Pixels where the screen differs from a full repaint of the control.
int StaleAfterSettle(TEditorHost& host) {
  auto shown = host.Capture();
  host.Edit().Invalidate();
  auto full = host.Capture();
  int differing = 0;
  for (int y = 0; y < full->Height(); ++y)
    for (int x = 0; x < full->Width(); ++x)
      if (shown->Pixel(x, y) != full->Pixel(x, y)) ++differing;
  return differing;
}

}  // namespace

TEST(EditViewState, UndoLeavesNoSelectionPaintedThatIsGone) {
  struct TCase {
    const char* name;
    void (*select)(TTxtEdit&);
  };
  const TCase cases[] = {
      {"select all", [](TTxtEdit& e) { Cmd(e, ecSelectAll); }},
      {"three lines down", [](TTxtEdit& e) {
         e.SetCaretXY({1, 1});
         for (int i = 0; i < 3; ++i) Cmd(e, ecSelDown);
       }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TEditorHost host;
    TTxtEdit& e = host.Edit();
    e.SetTextA("first line\r\nsecond line\r\nthird line\r\nfourth line\r\nlast");
    e.SetCaretXY({5, 5});
    Type(e, "typed");
    c.select(e);
    host.Settle();
    ASSERT_TRUE(e.SelAvail());
    Cmd(e, ecUndo);
    EXPECT_EQ(Line(e, 5), "last");
    EXPECT_FALSE(e.SelAvail());
    EXPECT_EQ(StaleAfterSettle(host), 0);
    // And back: redo paints what it selects and leaves nothing stale either.
    Cmd(e, ecRedo);
    EXPECT_EQ(StaleAfterSettle(host), 0);
  }
}

TEST(EditViewState, AColumnBlockGrownDownKeepsItsAnchor) {
  TEditorHost host;
  TTxtEdit& e = host.Edit();
  e.SetTextA("abcdefghij\r\nklmnopqrst\r\nuvwxyzABCD\r\nEFGHIJKLMN");
  Cmd(e, ecColumnSelect);
  for (int i = 0; i < 5; ++i) Cmd(e, ecRight);
  Cmd(e, ecSelDown);
  Cmd(e, ecSelDown);
  EXPECT_FALSE(e.SelAvail());  // no width yet
  Cmd(e, ecSelRight);
  EXPECT_EQ(e.BlockBegin(), BufferCoord(6, 1));
  EXPECT_EQ(e.BlockEnd(), BufferCoord(7, 3));
  EXPECT_EQ(e.SelText(), "f\r\np\r\nz");
  Cmd(e, ecSelRight);
  Cmd(e, ecSelUp);
  EXPECT_EQ(e.SelText(), "fg\r\npq");
  // A move without Shift drops the anchor; the next Shift move starts a new block.
  Cmd(e, ecDown);
  Cmd(e, ecSelDown);
  Cmd(e, ecSelRight);
  EXPECT_EQ(e.SelText(), "B\r\nL");
  // In normal mode an empty selection still starts where the caret is.
  Cmd(e, ecNormalSelect);
  e.SetCaretXY({2, 1});
  Cmd(e, ecSelRight);
  EXPECT_EQ(e.SelText(), "b");
  host.Settle();
}

// The view is scrolled away (as the mouse wheel does) from a caret that the command then
// leaves where it is, or moves only within the text it cannot leave.
TEST(EditViewState, ACaretCommandAlwaysBringsTheCaretIntoView) {
  struct TCase {
    TTxtEditorCommand command;
    TBufferCoord caret;
    int scrolledTop;
  };
  const TCase cases[] = {
      {ecEditorTop, {1, 1}, 60},    {ecSelEditorTop, {1, 1}, 60}, {ecLineStart, {1, 1}, 60},
      {ecLeft, {1, 1}, 60},         {ecUp, {1, 1}, 60},           {ecPageUp, {1, 1}, 60},
      {ecEditorBottom, {4, 100}, 1}, {ecDown, {4, 100}, 1},       {ecLineEnd, {4, 100}, 1},
      {ecPageDown, {4, 100}, 1},    {ecSelLineEnd, {4, 100}, 1},
  };
  TEditorHost host;
  TTxtEdit& e = host.Edit();
  e.SetTextA(NumberedLines(100));
  e.SetBounds(0, 0, 300, 20 * e.TextHeight());
  ASSERT_EQ(e.LinesInWindow(), 20);
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.command);
    e.SetCaretXY(c.caret);
    e.SetTopLine(c.scrolledTop);
    ASSERT_EQ(e.TopLine(), c.scrolledTop);
    Cmd(e, c.command);
    EXPECT_EQ(e.CaretXY(), c.caret);
    EXPECT_GE(e.CaretY(), e.TopLine());
    EXPECT_LT(e.CaretY(), e.TopLine() + e.LinesInWindow());
  }
  // Sideways as well: a caret at the start of a line scrolled out of view to the left.
  e.SetTextA(std::string(300, 'x'));
  e.SetCaretXY({1, 1});
  e.SetLeftChar(200);
  Cmd(e, ecLineStart);
  EXPECT_EQ(e.LeftChar(), 1);
  host.Settle();
}
