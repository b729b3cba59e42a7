// The command processor: the chain of callbacks and hooked handlers, caret and selection moves,
// scrolling, modes, bookmarks and the read-only rule.
#include <gtest/gtest.h>

#include <tuple>
#include <utility>
#include <vector>

#include "editor/TxtEdit.h"
#include "framework/Clipboard.h"
#include "tests/editor/EditTestSupport.h"
#include "tests/editor/EditingTestSupport.h"

namespace {

struct TChainLog {
  std::vector<std::string> calls;
  TTxtEditorCommand replaceWith = ecNone;
  bool handleBefore = false;

  void Process(TObject*, TTxtEditorCommand& Command, char&, void*) {
    calls.push_back("process " + std::to_string(Command));
    if (replaceWith != ecNone) Command = replaceWith;
  }
  void User(TObject*, TTxtEditorCommand& Command, char&, void*) { calls.push_back("user " + std::to_string(Command)); }
  void Processed(TObject*, TTxtEditorCommand& Command, char&, void*) {
    calls.push_back("processed " + std::to_string(Command));
  }
  void Hook(TObject*, bool After, bool& Handled, TTxtEditorCommand& Command, char&, void*, void* Data) {
    calls.push_back(std::string(After ? "after " : "before ") + static_cast<const char*>(Data) + " " +
                    std::to_string(Command));
    if (!After && handleBefore) Handled = true;
  }
};

}  // namespace

TEST(EditCommands, TheProcessingChain) {
  TTextEdit e("abc");
  TChainLog log;
  e.OnProcessCommand = TProcessCommandEvent(&log, &TChainLog::Process);
  e.OnProcessUserCommand = TProcessCommandEvent(&log, &TChainLog::User);
  e.OnCommandProcessed = TProcessCommandEvent(&log, &TChainLog::Processed);
  static char first[] = "1", second[] = "2";
  e.HookCommandHandler(TCustomTxtEdit::THookedCommandEvent(&log, &TChainLog::Hook), first);
  e.HookCommandHandler(TCustomTxtEdit::THookedCommandEvent(&log, &TChainLog::Hook), second);
  Cmd(e, ecRight);
  EXPECT_EQ(log.calls, (std::vector<std::string>{"process 2", "before 1 2", "before 2 2", "after 1 2", "after 2 2",
                                                 "processed 2"}));
  EXPECT_EQ(e.CaretX(), 2);

  // A user command reaches its own callback and the end of the chain, and is never executed.
  log.calls.clear();
  Cmd(e, ecUserFirst + 3);
  EXPECT_EQ(log.calls.front(), "user 1004");
  EXPECT_EQ(log.calls.back(), "processed 1004");
  EXPECT_EQ(e.TextA(), "abc");

  // The callback may change the command; a handled command is dropped after every hook ran.
  log.calls.clear();
  log.replaceWith = ecLineEnd;
  Cmd(e, ecLeft);
  EXPECT_EQ(e.CaretX(), 4);
  log.replaceWith = ecNone;
  log.handleBefore = true;
  log.calls.clear();
  Cmd(e, ecLeft);
  EXPECT_EQ(e.CaretX(), 4);
  EXPECT_EQ(log.calls, (std::vector<std::string>{"process 1", "before 1 1", "before 2 1", "processed 0"}));
  e.UnhookCommandHandler(TCustomTxtEdit::THookedCommandEvent(&log, &TChainLog::Hook));
  log.handleBefore = false;
  Cmd(e, ecLeft);
  EXPECT_EQ(e.CaretX(), 3);
}

TEST(EditCommands, LeftAndRightAtTheLineEnds) {
  TTextEdit e("ab\r\ncd");
  e.SetOptions(e.Options() - eoScrollPastEol);
  e.SetCaretXY({1, 2});
  EXPECT_EQ(CaretAfter(e, ecLeft), BufferCoord(3, 1));
  EXPECT_EQ(CaretAfter(e, ecRight), BufferCoord(1, 2));
  e.SetCaretXY({3, 2});
  EXPECT_EQ(CaretAfter(e, ecRight), BufferCoord(3, 2));  // past the end of the last line: nothing

  e.SetOptions(e.Options() + eoScrollPastEol);
  e.SetCaretXY({1, 2});
  EXPECT_EQ(CaretAfter(e, ecLeft), BufferCoord(1, 2));
  e.SetCaretXY({3, 2});
  EXPECT_EQ(CaretAfter(e, ecRight), BufferCoord(4, 2));
}

TEST(EditCommands, SelectingTwinsExtendFromTheAnchor) {
  TTextEdit e("hello world\r\nsecond");
  e.SetCaretXY({1, 1});
  Cmd(e, ecSelRight);
  Cmd(e, ecSelRight);
  EXPECT_EQ(e.SelText(), "he");
  Cmd(e, ecSelWordRight);
  EXPECT_EQ(e.SelText(), "hello ");
  Cmd(e, ecSelDown);
  EXPECT_EQ(e.SelectionAnchor(), BufferCoord(1, 1));
  Cmd(e, ecSelEditorBottom);
  EXPECT_EQ(e.SelText(), "hello world\r\nsecond");
  Cmd(e, ecLeft);  // a plain move collapses the selection
  EXPECT_FALSE(e.SelAvail());
  TBufferCoord target{3, 1};
  Cmd(e, ecSelGotoXY, 0, &target);
  EXPECT_EQ(e.SelText(), "llo world\r\nsecon");
  EXPECT_EQ(CaretAfter(e, ecGotoXY, 0, &target), target);
  EXPECT_EQ(CaretAfter(e, ecGotoXY), target);  // without a position nothing happens
}

TEST(EditCommands, HomeAndEndToggle) {
  TTextEdit e("    abc");
  e.SetOptions(e.Options() + eoEnhanceHomeKey);
  for (auto [from, to] : {std::pair{8, 5}, {5, 1}, {1, 5}, {3, 1}}) {
    e.SetCaretXY({from, 1});
    Cmd(e, ecLineStart);
    EXPECT_EQ(e.CaretX(), to) << from;
  }
  e.SetOptions(e.Options() - eoEnhanceHomeKey);
  e.SetCaretXY({8, 1});
  Cmd(e, ecLineStart);
  EXPECT_EQ(e.CaretX(), 1);
  // End toggles between the last non-blank and the line's end.
  e.SetTextA("abc   ");
  for (int to : {4, 7}) EXPECT_EQ(CaretAfter(e, ecLineEnd).Char, to);
  e.SetOptions(e.Options() - eoEnhanceEndKey);
  e.SetCaretXY({1, 1});
  EXPECT_EQ(CaretAfter(e, ecLineEnd).Char, 7);
}

TEST(EditCommands, VerticalMovesKeepTheRememberedColumn) {
  TTextEdit e("abcdefgh\r\nab\r\nabcdefgh");
  e.SetOptions(e.Options() - eoScrollPastEol + eoKeepCaretX);
  e.SetCaretXY({7, 1});
  EXPECT_EQ(CaretAfter(e, ecDown), BufferCoord(3, 2));
  EXPECT_EQ(CaretAfter(e, ecDown), BufferCoord(7, 3));
  EXPECT_EQ(CaretAfter(e, ecDown), BufferCoord(7, 3));  // already on the last line
  EXPECT_EQ(CaretAfter(e, ecEditorTop), BufferCoord(1, 1));
  EXPECT_EQ(CaretAfter(e, ecUp), BufferCoord(1, 1));
}

TEST(EditCommands, WordMovesAndWordSelection) {
  TTextEdit e("foo_bar baz\r\nqux");
  e.SetCaretXY({3, 1});
  EXPECT_EQ(CaretAfter(e, ecWordRight), BufferCoord(9, 1));
  EXPECT_EQ(CaretAfter(e, ecWordLeft), BufferCoord(1, 1));
  e.SetCaretXY({10, 1});
  Cmd(e, ecSelWord);
  EXPECT_EQ(e.SelText(), "baz");
  // Past the text the word selection only moves the caret to the line end.
  e.SetCaretXY({20, 2});
  Cmd(e, ecSelWord);
  EXPECT_FALSE(e.SelAvail());
  EXPECT_EQ(e.CaretXY(), BufferCoord(4, 2));
}

TEST(EditCommands, ModesAndClearAll) {
  TTextEdit e("x");
  Cmd(e, ecToggleMode);
  EXPECT_FALSE(e.InsertMode());
  Cmd(e, ecToggleMode);
  EXPECT_TRUE(e.InsertMode());
  Cmd(e, ecColumnSelect);
  EXPECT_EQ(e.ActiveSelectionMode(), smColumn);

  e.SetBookMark(2, 1, 1);
  Type(e, "ab");
  Cmd(e, ecClearAll);
  EXPECT_EQ(e.Lines()->Count(), 0);
  EXPECT_FALSE(e.Modified());
  EXPECT_FALSE(e.UndoList()->CanUndo());
  EXPECT_FALSE(e.IsBookmark(2));
}

TEST(EditCommands, ReadOnlyRefusesEditsButMoves) {
  TTextEdit e("text");
  e.SetReadOnly(true);
  e.SetCaretXY({1, 1});
  for (TTxtEditorCommand c : {ecDeleteChar, ecDeleteLastChar, ecDeleteWord, ecDeleteLine, ecLineBreak, ecTab,
                              ecUpperCase, ecClearAll, ecBlockIndent})
    Cmd(e, c);
  EXPECT_EQ(TextAfter(e, ecChar, 'z'), "text");
  Cmd(e, ecRight);
  EXPECT_EQ(e.CaretX(), 2);
  Cmd(e, ecSelectAll);
  EXPECT_TRUE(e.SelAvail());
}

TEST(EditCommands, PagingByHalfAPageLessOne) {
  TEditorHost host(NumberedLines(100));
  TTxtEdit& e = host.Edit();
  // A window of twenty rows.
  e.SetBounds(0, 0, 300, 20 * e.TextHeight());
  ASSERT_EQ(e.LinesInWindow(), 20);
  e.SetOptions(e.Options() + eoHalfPageScroll + eoScrollByOneLess);
  e.SetCaretXY({1, 1});
  Cmd(e, ecPageDown);
  EXPECT_EQ(e.CaretY(), 10);
  Cmd(e, ecPageUp);
  EXPECT_EQ(e.CaretY(), 1);
}

// From a known top line and caret, each page command moves view and caret one page the right
// way; the selecting ones select from where the caret was.
TEST(EditCommands, PageUpAndDownWithAndWithoutSelecting) {
  TEditorHost host;
  host.Edit().SetTextA(NumberedLines(100));
  for (TTxtEditorCommand c : {ecPageDown, ecPageUp, ecSelPageDown, ecSelPageUp}) {
    host.Edit().SetTopLine(30);
    host.Edit().SetCaretXY({2, 40});
    Cmd(host.Edit(), c);
    const int line = 40 + (c % ecSelection == ecPageDown ? 1 : -1) * host.Edit().LinesInWindow();
    const int anchor = c >= ecSelection ? 40 : line;
    EXPECT_EQ(host.Edit().TopLine(), line - 10) << c;
    EXPECT_EQ(host.Edit().BlockBegin(), BufferCoord(2, std::min(line, anchor))) << c;
    EXPECT_EQ(host.Edit().BlockEnd(), BufferCoord(2, std::max(line, anchor))) << c;
  }
}

// The view scrolled away (as the mouse wheel does) from a caret that the command leaves.
TEST(EditCommands, ACaretCommandAlwaysBringsTheCaretIntoView) {
  TEditorHost host(NumberedLines(100));
  TTxtEdit& e = host.Edit();
  for (auto [c, atEnd] : {std::pair{ecEditorTop, false},
                          {ecSelEditorTop, false},
                          {ecLineStart, false},
                          {ecUp, false},
                          {ecPageUp, false},
                          {ecEditorBottom, true},
                          {ecDown, true},
                          {ecLineEnd, true}}) {
    e.SetCaretXY(atEnd ? BufferCoord(4, 100) : BufferCoord(1, 1));
    e.SetTopLine(atEnd ? 1 : 60);
    Cmd(e, c);
    EXPECT_TRUE(e.CaretY() >= e.TopLine() && e.CaretY() < e.TopLine() + e.LinesInWindow()) << c;
  }
}

TEST(EditCommands, AColumnBlockGrownDownKeepsItsAnchor) {
  TTextEdit e("abcdefghij\r\nklmnopqrst\r\nuvwxyzABCD");
  for (TTxtEditorCommand c :
       {ecColumnSelect, ecRight, ecRight, ecRight, ecRight, ecRight, ecSelDown, ecSelDown, ecSelRight})
    Cmd(e, c);
  EXPECT_EQ(e.SelText(), "f\r\np\r\nz");
}

TEST(EditCommands, UndoRepaintsTheSelectionItDrops) {
  for (TTxtEditorCommand select : {ecSelectAll, ecSelDown}) {
    TEditorHost host("first\r\nsecond\r\nthird\r\nlast");
    TTxtEdit& e = host.Edit();
    for (TTxtEditorCommand c : {ecEditorBottom, ecChar, ecEditorTop, select, select, select}) Cmd(e, c, 'x');
    host.Settle();
    Cmd(e, ecUndo);
    EXPECT_EQ(host.Capture()->Count(RGBOf(e.SelectedColor()->Background())), 0) << select;
  }
}

TEST(EditCommands, BookmarksToggleAndMove) {
  TTextEdit e("a\r\nb\r\nc");
  e.SetCaretXY({1, 2});
  Cmd(e, ecSetMarker3);
  int x = 0, y = 0;
  ASSERT_TRUE(e.GetBookMark(3, x, y));
  EXPECT_EQ(y, 2);
  Cmd(e, ecSetMarker3);  // the same line: cleared
  EXPECT_FALSE(e.IsBookmark(3));
  Cmd(e, ecSetMarker3);
  e.SetCaretXY({1, 3});
  Cmd(e, ecSetMarker3);  // another line: moved
  ASSERT_TRUE(e.GetBookMark(3, x, y));
  EXPECT_EQ(y, 3);
  e.SetCaretXY({1, 1});
  EXPECT_EQ(CaretAfter(e, ecGotoMarker3), BufferCoord(1, 3));
  // The keys do nothing while the bookmark options disable them.
  e.BookMarkOptions()->SetEnableKeys(false);
  e.SetCaretXY({1, 1});
  EXPECT_EQ(CaretAfter(e, ecGotoMarker3), BufferCoord(1, 1));
}

TEST(EditCommands, BookmarkNumbersOutsideTheTenSlotsAreRefused) {
  TTextEdit e("a");
  e.SetBookMark(-1, 1, 1);
  e.SetBookMark(10, 1, 1);
  EXPECT_EQ(e.Marks()->Count(), 0);
  e.ClearBookMark(-1);
  e.GotoBookMark(-5);
  e.GotoBookMark(12);
  EXPECT_FALSE(e.IsBookmark(-1));
  e.SetBookMark(9, 1, 1);
  EXPECT_TRUE(e.IsBookmark(9));
  e.SetBookMark(0, 1, 5);  // beyond the lines
  EXPECT_FALSE(e.IsBookmark(0));
}

namespace {
struct TMarkDropper {
  int placed = 0, cleared = 0;
  void Place(TObject*, TTxtEditMark*& Mark) {
    ++placed;
    if (Mark->BookmarkNumber() == 4) Mark = nullptr;
  }
  void Clear(TObject*, TTxtEditMark*&) { ++cleared; }
};
}  // namespace

TEST(EditCommands, BookmarkEventsMayDropAMark) {
  TTextEdit e("a");
  TMarkDropper d;
  e.OnPlaceBookmark = TPlaceMarkEvent(&d, &TMarkDropper::Place);
  e.OnClearBookmark = TPlaceMarkEvent(&d, &TMarkDropper::Clear);
  e.SetBookMark(4, 1, 1);
  EXPECT_FALSE(e.IsBookmark(4));
  e.SetBookMark(5, 1, 1);
  e.ClearBookMark(5);
  EXPECT_EQ(d.placed, 2);
  EXPECT_EQ(d.cleared, 1);
}

TEST(EditCommands, PagingSidewaysAndToTheWindowEdges) {
  TEditorHost host;
  TTxtEdit& e = host.Edit();
  // A long first line, so that the selection's anchor may lie far to the right.
  e.SetTextA(AnsiString(200, 'x') + "\r\n" + NumberedLines(99));
  e.SetBounds(0, 0, 300, 10 * e.TextHeight());
  ASSERT_EQ(e.LinesInWindow(), 10);
  const int n = e.CharsInWindow();
  ASSERT_GT(n, 2);
  e.SetOptions(e.Options() + eoScrollPastEol);
  e.SetCaretXY({3, 1});
  EXPECT_EQ(CaretAfter(e, ecPageRight), BufferCoord(3 + n, 1));
  EXPECT_EQ(CaretAfter(e, ecSelPageLeft), BufferCoord(3, 1));
  EXPECT_EQ(e.SelectionAnchor(), BufferCoord(3 + n, 1));
  EXPECT_EQ(CaretAfter(e, ecPageLeft), BufferCoord(1, 1));  // never left of the first column
  EXPECT_FALSE(e.SelAvail());
  Cmd(e, ecSelPageRight);
  EXPECT_EQ(e.SelectionAnchor(), BufferCoord(1, 1));
  EXPECT_EQ(e.CaretXY(), BufferCoord(1 + n, 1));

  // Top and bottom of the window keep the column; the selecting twins extend.
  e.SetTopLine(21);
  e.SetCaretXY({2, 25});
  EXPECT_EQ(CaretAfter(e, ecPageTop), BufferCoord(2, 21));
  EXPECT_EQ(CaretAfter(e, ecSelPageBottom), BufferCoord(2, 30));
  EXPECT_EQ(e.SelectionAnchor(), BufferCoord(2, 21));
  EXPECT_EQ(CaretAfter(e, ecEditorBottom), BufferCoord(3, 100));
  EXPECT_EQ(CaretAfter(e, ecSelEditorTop), BufferCoord(1, 1));
  EXPECT_EQ(e.SelectionAnchor(), BufferCoord(3, 100));
  EXPECT_EQ(CaretAfter(e, ecSelEditorBottom), BufferCoord(3, 100));
}

TEST(EditCommands, ScrollingKeepsTheCaretInTheWindow) {
  TEditorHost host(NumberedLines(100));
  TTxtEdit& e = host.Edit();
  e.SetBounds(0, 0, 300, 10 * e.TextHeight());
  ASSERT_EQ(e.LinesInWindow(), 10);
  // Held on the first or the last visible row, else left where it is.
  const struct {
    int caret;
    TTxtEditorCommand command;
    int top, line;
  } steps[] = {{1, ecScrollDown, 2, 2}, {0, ecScrollDown, 3, 3}, {0, ecScrollUp, 2, 3}, {11, ecScrollUp, 1, 10}};
  for (const auto& s : steps) {
    if (s.caret) e.SetCaretXY({1, s.caret});
    Cmd(e, s.command);
    EXPECT_EQ(std::pair(e.TopLine(), e.CaretY()), std::pair(s.top, s.line)) << s.command;
  }
  // A caret out of sight is only scrolled into view.
  e.SetTopLine(50);
  Cmd(e, ecScrollDown);
  EXPECT_EQ(e.CaretY(), 10);
  EXPECT_LE(e.TopLine(), 10);
  EXPECT_GE(e.TopLine() + e.LinesInWindow() - 1, 10);

  for (auto [from, c, to] : {std::tuple{5, ecScrollLeft, 4}, {5, ecScrollRight, 6}, {1, ecScrollLeft, 1}}) {
    e.SetLeftChar(from);
    Cmd(e, c);
    EXPECT_EQ(e.LeftChar(), to) << from;
  }
}

namespace {

struct TFocusLog {
  std::vector<TTxtEditorCommand> commands;
  std::vector<std::string> help;
  void Processed(TObject*, TTxtEditorCommand& Command, char&, void*) { commands.push_back(Command); }
  void Help(TObject*, const AnsiString& Word) { help.push_back(Word); }
};

}  // namespace

TEST(EditCommands, ContextHelpAndFocusCommands) {
  TEditorHost host("call helper();");
  TTxtEdit& e = host.Edit();
  TFocusLog log;
  e.OnContextHelp = TContextHelpEvent(&log, &TFocusLog::Help);
  e.SetCaretXY({7, 1});
  Cmd(e, ecContextHelp);
  EXPECT_EQ(log.help, (std::vector<std::string>{"helper"}));

  // Gaining and losing the focus run their commands through the chain.
  e.OnCommandProcessed = TProcessCommandEvent(&log, &TFocusLog::Processed);
  SetFocus(nullptr);
  host.Settle();
  log.commands.clear();
  SetFocus(host.Wnd());
  host.Settle();
  EXPECT_EQ(log.commands, (std::vector<TTxtEditorCommand>{ecGotFocus}));
  SetFocus(nullptr);
  host.Settle();
  EXPECT_EQ(log.commands, (std::vector<TTxtEditorCommand>{ecGotFocus, ecLostFocus}));
}

TEST(EditCommands, ClipboardAndUndoCommands) {
  TTextEdit e("one two");
  Select(e, {1, 1}, {4, 1});
  Cmd(e, ecCopy);
  EXPECT_EQ(Clipboard()->AsWideText(), L"one");
  Select(e, {4, 1}, {8, 1});
  EXPECT_EQ(TextAfter(e, ecCut), "one");
  EXPECT_EQ(Clipboard()->AsWideText(), L" two");
  e.SetCaretXY({1, 1});
  EXPECT_EQ(TextAfter(e, ecPaste), " twoone");
  EXPECT_EQ(TextAfter(e, ecUndo), "one");
  EXPECT_EQ(TextAfter(e, ecUndo), "one two");
  EXPECT_EQ(TextAfter(e, ecRedo), "one");

  // A cut without a selection changes neither the text nor the clipboard.
  e.SetCaretXY({2, 1});
  EXPECT_EQ(TextAfter(e, ecCut), "one");
  EXPECT_EQ(Clipboard()->AsWideText(), L" two");
}
