// The editor control's structure: defaults, destruction in every order with shared and
// attached objects, caret clamping, scroll bar arrows, status reports, repaint rules, cell metrics and the reactions to
// buffer changes.
#include <gtest/gtest.h>

#include <climits>
#include <numeric>
#include <vector>

#include "editor/TxtEdit.h"
#include "editor/TxtEditSearch.h"
#include "framework/ImageList.h"
#include "framework/StdCtrls.h"
#include "tests/editor/EditTestSupport.h"
#include "tests/editor/EditingTestSupport.h"
#include "tests/editor/TestHighlighter.h"

namespace {

// Counts status reports and remembers what they said.
struct TStatusLog {
  void Changed(TObject*, TTxtStatusChanges Changes) {
    ++calls;
    last = Changes;
  }
  int calls = 0;
  TTxtStatusChanges last;
};

struct TCounter {
  void Fire(TObject*) { ++count; }
  int count = 0;
};

// A search engine that finds nothing; only its lifetime matters here.
class TNullSearch : public TTxtEditSearchCustom {
 public:
  using TTxtEditSearchCustom::TTxtEditSearchCustom;
  AnsiString GetPattern() override { return {}; }
  void SetPattern(const AnsiString&) override {}
  int GetLength(int) override { return 0; }
  int GetResult(int) override { return 0; }
  int GetResultCount() override { return 0; }
  void SetOptions(TSearchReplaceOptions) override {}
  int FindAll(const AnsiString&) override { return 0; }
  AnsiString Replace(const AnsiString&, const AnsiString& R) override { return R; }
};

}  // namespace

TEST(EditControl, LineTextOfAnEmptyBuffer) {
  TTxtEdit edit(nullptr);
  EXPECT_EQ(edit.LineText(), "");
  edit.SetLineText("first");
  EXPECT_EQ(edit.Lines()->Count(), 1);
  EXPECT_EQ(edit.LineText(), "first");
}

// While designed, an editor whose text is its name (trailing blanks aside) keeps the two
// together on a rename; other text, a running editor and one being read keep their text.
TEST(EditControl, DesignedEditorsTextFollowsItsName) {
  struct Case {
    bool Designing, Loading;
    const char* Text;
    const char* After;
  } cases[] = {
      {true, false, "", "Renamed"},
      {true, false, "Edit1", "Renamed"},
      {true, false, "Edit1  \r\n", "Renamed"},
      {true, false, "Edit1x", "Edit1x"},
      {true, false, "Edit1\r\nmore", "Edit1\r\nmore"},
      {true, true, "Edit1", "Edit1"},
      {false, false, "Edit1", "Edit1"},
  };
  for (const Case& c : cases) {
    TComponent owner(nullptr);
    owner.SetDesigning(c.Designing);
    auto* edit = new TTxtEdit(&owner);
    if (*c.Text) {
      edit->SetName("Edit1");
      edit->SetTextA(c.Text);
    }
    if (c.Loading) edit->SetLoading(true);
    edit->SetName("Renamed");
    EXPECT_EQ(edit->TextA(), c.After) << c.Text << c.Designing << c.Loading;
  }
}

// A designed editor shows no caret: switching its mode reports the change but leaves the caret
// shape as it was; running, the caret takes the shape of the new mode.
TEST(EditControl, ADesignedEditorKeepsItsCaretShapeWhenTheModeChanges) {
  for (bool designing : {false, true}) {
    TComponent owner(nullptr);
    owner.SetDesigning(designing);
    auto* edit = new TTxtEdit(&owner);
    edit->SetInsertCaret(ctHorizontalLine);
    const TPoint insertShape = edit->CaretOffset();
    edit->SetOverwriteCaret(ctVerticalLine);
    ASSERT_EQ(edit->CaretOffset(), insertShape);
    TStatusLog log;
    edit->OnStatusChange = TStatusChangeEvent(&log, &TStatusLog::Changed);
    edit->SetInsertMode(false);
    EXPECT_EQ(log.calls, 1);
    EXPECT_TRUE(log.last.Contains(scInsertMode));
    EXPECT_EQ(edit->CaretOffset() == insertShape, designing);
    EXPECT_EQ(edit->CaretOffset() == (TPoint{-1, 0}), !designing);
  }
}

namespace {

bool AcceptsFiles(HWND Wnd) { return (GetWindowLongW(Wnd, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0; }

// Whether the window still took dropped files when it was destroyed.
struct TDestroyWatch {
  void Proc(TMessage& Message) {
    if (Message.Msg == WM_DESTROY) acceptedAtDestroy = AcceptsFiles(wnd);
    previous(Message);
  }
  HWND wnd;
  TWndMethod previous;
  bool acceptedAtDestroy = false;
};

}  // namespace

// Only a running editor registers its window for dropped files (when it is made, when
// eoDropFiles is set) and unregisters it (when the option is cleared, before the window goes); a
// designed one leaves the registration as it finds it.
TEST(EditControl, OnlyARunningEditorRegistersForDroppedFiles) {
  enum TStep { Create, SetOption, ClearOption, Destroy };
  struct Case {
    bool Designing;
    TStep Step;
    bool Accepts;
  } cases[] = {
      {false, Create, true},       {true, Create, false},     {false, SetOption, true}, {true, SetOption, false},
      {false, ClearOption, false}, {true, ClearOption, true}, {false, Destroy, false},  {true, Destroy, true},
  };
  for (const Case& c : cases) {
    TForm form(nullptr, CreateNew);
    form.SetDesigning(c.Designing);
    auto* edit = new TTxtEdit(&form);
    if (c.Step != SetOption) edit->SetOptions(edit->Options() + eoDropFiles);
    edit->SetParent(&form);
    HWND wnd = edit->Handle();
    // Registered by whoever owns the window, for the steps that may unregister it.
    if (c.Step >= ClearOption) DragAcceptFiles(wnd, TRUE);
    if (c.Step == SetOption) edit->SetOptions(edit->Options() + eoDropFiles);
    if (c.Step == ClearOption) edit->SetOptions(edit->Options() - eoDropFiles);
    bool accepts = AcceptsFiles(wnd);
    if (c.Step == Destroy) {
      TDestroyWatch watch{wnd, edit->WindowProc};
      edit->WindowProc = TWndMethod(&watch, &TDestroyWatch::Proc);
      edit->SetParent(nullptr);
      edit->WindowProc = watch.previous;
      accepts = watch.acceptedAtDestroy;
    }
    EXPECT_EQ(accepts, c.Accepts) << c.Designing << c.Step;
  }
}

namespace {

struct TCursorAsks {
  void Ask(TObject*, const TBufferCoord&, TCursor&) { ++count; }
  int count = 0;
};

}  // namespace

// The cursor over a running editor's text is the editor's to choose (and its handler's); a
// designed editor, another hit area or a message about a child window go to the framework.
TEST(EditControl, OnlyARunningEditorChoosesTheCursorOverItsText) {
  struct Case {
    bool Designing;
    WORD HitTest;
    bool OwnWindow;
    bool Asked;
  } cases[] = {
      {false, HTCLIENT, true, true},   {true, HTCLIENT, true, false},   {false, HTVSCROLL, true, false},
      {false, HTCLIENT, false, false}, {true, HTVSCROLL, false, false},
  };
  for (const Case& c : cases) {
    TForm form(nullptr, CreateNew);
    form.SetDesigning(c.Designing);
    auto* edit = new TTxtEdit(&form);
    edit->SetParent(&form);
    TCursorAsks asks;
    edit->OnMouseCursor = TMouseCursorEvent(&asks, &TCursorAsks::Ask);
    const HWND about = c.OwnWindow ? edit->Handle() : form.Handle();
    SendMessageW(edit->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(about), MAKELPARAM(c.HitTest, WM_MOUSEMOVE));
    EXPECT_EQ(asks.count, c.Asked ? 1 : 0) << c.Designing << c.HitTest << c.OwnWindow;
  }
}

TEST(EditControl, AttachedObjectsFreedFirstAreForgotten) {
  TEditorHost host("if 12 /* x */");
  TTxtEdit& edit = host.Edit();
  auto* highlighter = new TTestHighlighter(nullptr);
  auto* search = new TNullSearch(nullptr);
  auto* images = new TImageList(nullptr);
  edit.SetHighlighter(highlighter);
  edit.SetSearchEngine(search);
  edit.BookMarkOptions()->SetBookmarkImages(images);
  host.Settle();
  delete highlighter;
  EXPECT_EQ(edit.Highlighter(), nullptr);
  delete search;
  EXPECT_EQ(edit.SearchEngine(), nullptr);
  delete images;
  EXPECT_EQ(edit.BookMarkOptions()->BookmarkImages(), nullptr);
  // Still paints without them.
  edit.Invalidate();
  host.Settle();
}

TEST(EditControl, SetFocusGoesToTheLastControlOfTheFocusList) {
  TEditorHost host;
  TTxtEdit& edit = host.Edit();
  TEdit *first = new TEdit(&host.Form()), *second = new TEdit(&host.Form()), *elsewhere = new TEdit(&host.Form());
  auto* other = new TTxtEdit(&host.Form());
  for (TWinControl* c : std::initializer_list<TWinControl*>{first, second, other, elsewhere})
    c->SetParent(&host.Form()), c->SetBounds(0, 250, 80, 20);
  // Whose list, what is added ('+'), removed ('-') or freed ('x'), and who is focused then.
  const std::tuple<TTxtEdit*, TWinControl*, char, TWinControl*> steps[] = {
      {&edit, nullptr, ' ', &edit}, {&edit, first, '+', first},  {&edit, second, '+', second},
      {&edit, first, '+', second},  {&edit, second, '-', first}, {&edit, first, 'x', &edit},
      {&edit, other, '+', other},   {other, &edit, '+', &edit},  // two lists naming each other
  };
  for (auto [list, control, op, focus] : steps) {
    if (op == '+') list->AddFocusControl(control);
    if (op == '-') list->RemoveFocusControl(control);
    if (op == 'x') delete control;
    elsewhere->SetFocus();
    host.Settle();
    edit.SetFocus();
    host.Settle();
    EXPECT_EQ(GetFocus(), focus->Handle()) << op;
  }
  EXPECT_EQ(edit.FocusList().size(), 1u);
}

TEST(EditControl, TheControlFreedFirstLeavesItsObjectsUsable) {
  auto highlighter = std::make_unique<TTestHighlighter>(nullptr);
  auto search = std::make_unique<TNullSearch>(nullptr);
  auto images = std::make_unique<TImageList>(nullptr);
  {
    TEditorHost host;
    host.Edit().SetHighlighter(highlighter.get());
    host.Edit().SetSearchEngine(search.get());
    host.Edit().BookMarkOptions()->SetBookmarkImages(images.get());
    host.Edit().SetTextA("while 1");
    host.Settle();
  }
  // The highlighter no longer calls the freed control when it changes.
  highlighter->linesSet = 0;
  highlighter->Keyword()->SetForeground(clRed);
  EXPECT_EQ(highlighter->linesSet, 0);
  // Two controls with one highlighter, freed in both orders: the one left still hears it.
  for (int order = 0; order < 2; ++order) {
    auto a = std::make_unique<TTxtEdit>(nullptr);
    auto b = std::make_unique<TTxtEdit>(nullptr);
    for (TTxtEdit* e : {a.get(), b.get()}) {
      e->SetHighlighter(highlighter.get());
      e->SetTextA("x\r\ny\r\nz");
    }
    if (order == 0)
      a.reset();
    else
      b.reset();
    highlighter->linesSet = 0;
    highlighter->DefHighlightChange(highlighter.get());
    EXPECT_EQ(highlighter->linesSet, 3) << order;
  }
}

TEST(EditControl, SharingWithOneselfOrInACircleIsRefused) {
  TEditorHost a, d;
  a.Edit().SetLinesPointer(&a.Edit());
  EXPECT_EQ(a.Edit().ChainedEditor(), nullptr);
  d.Edit().SetLinesPointer(&a.Edit());
  a.Edit().SetLinesPointer(&d.Edit());
  EXPECT_EQ(a.Edit().ChainedEditor(), nullptr);
  EXPECT_EQ(d.Edit().Lines(), a.Edit().Lines());
}

// Controls sharing buffers (Parent: whose buffer each one is given, -1 none) go in every order;
// those left show their root's buffer and hear every change of it and of its undo list.
static void FreeSharersInEveryOrder(std::vector<int> Parent) {
  const size_t n = Parent.size();
  std::vector<size_t> order(n);
  std::iota(order.begin(), order.end(), 0);
  do {
    std::vector<int> parent = Parent;
    std::vector<std::unique_ptr<TEditorHost>> hosts(n);
    std::vector<TCounter> changed(n);
    for (size_t i = 0; i < n; ++i) {
      hosts[i] = std::make_unique<TEditorHost>();
      hosts[i]->Edit().OnChange = TNotifyEvent(&changed[i], &TCounter::Fire);
      hosts[i]->Edit().SetTextA("a\r\nb\r\nc");
      if (parent[i] >= 0) hosts[i]->Edit().SetLinesPointer(&hosts[size_t(parent[i])]->Edit());
    }
    for (size_t gone : order) {
      hosts[gone].reset();
      parent[gone] = -2;  // -2: gone or letting go, as those sharing through it do
      for (size_t k = 0; k < n * n; ++k)
        if (parent[k % n] >= 0 && parent[size_t(parent[k % n])] == -2) parent[k % n] = -2;
      for (size_t r = 0; r < n; ++r) {
        if (!hosts[r] || parent[r] >= 0) continue;
        for (size_t i = 0; i < n; ++i) changed[i].count = 0, hosts[i] ? hosts[i]->Edit().SetCaretXY({2, 3}) : void();
        hosts[r]->Edit().UndoList()->AddChange(urInsert, {1, 1}, {2, 1}, "", smNormal);
        hosts[r]->Edit().Lines()->Clear();
        for (size_t i = 0; i < n; ++i) {
          size_t root = i;
          while (parent[root] >= 0) root = size_t(parent[root]);
          // Heard the undo list (one change) and the buffer (caret back on line 1), or neither.
          const int heard = hosts[i] ? hosts[i]->Edit().CaretY() + changed[i].count : 3;
          EXPECT_EQ(heard, hosts[i] && root == r ? 2 : 3) << i << r << gone;
        }
        hosts[r]->Edit().SetTextA("a\r\nb\r\nc");
      }
    }
  } while (std::next_permutation(order.begin(), order.end()));
}

TEST(EditControl, SharersGoInEveryOrder) {
  for (const std::vector<int>& parent : {std::vector{-1, 0, 1}, {-1, 0, 0}, {-1, 0, 0, 0}, {-1, 0, 0, 2}})
    FreeSharersInEveryOrder(parent);
}

// Left on a line the own text has not, the caret would make a typed character fill in lines.
TEST(EditControl, LettingGoOfASharedBufferBringsTheCaretIntoTheOwnText) {
  for (const bool shown : {false, true}) {
    TEditorHost host("x\r\ny"), other(NumberedLines(1000));
    TTxtEdit &a = other.Edit(), &b = host.Edit();
    if (!shown) b.SetParent(nullptr);
    b.SetLinesPointer(&a);
    b.SetCaretXY({2, 900});
    b.UnHookTextBuffer();
    EXPECT_EQ(b.CaretXY(), BufferCoord(2, 2)) << shown;
    EXPECT_EQ(b.TopLine(), 1) << shown;
    Cmd(b, ecChar, 'z');
    EXPECT_EQ(b.TextA(), "x\r\nyz") << shown;
    EXPECT_EQ(a.Lines()->Count(), 1000) << shown;
  }
}

TEST(EditControl, RepeatedConversionsFollowChangesOfTheLine) {
  TTxtEdit edit(nullptr);
  AnsiString line;
  for (int i = 0; i < 1000; ++i) line += "\tabc";
  edit.SetTextA(line);
  // Each answer is the plain walk's, whatever was converted before.
  auto check = [&](const AnsiString& text, int lineNo, int ch) {
    const int tw = edit.TabWidth();
    const int col = TxtCharToColumn(text, ch, tw);
    EXPECT_EQ(edit.BufferToDisplayPos({ch, lineNo}).Column, col) << ch;
    EXPECT_EQ(edit.DisplayToBufferPos({col, lineNo}).Char, ch) << ch;
    EXPECT_EQ(edit.DisplayToBufferPos({col + 3, lineNo}).Char, TxtColumnToChar(text, col + 3, tw)) << ch;
  };
  for (int ch : {4001, 3001, 4001, 2, 3999}) check(line, 1, ch);
  // The line changes: its tabs move, and nothing of the old walk is reused.
  const AnsiString shifted = "x" + line;
  edit.Lines()->SetStrings(0, shifted);
  for (int ch : {4001, 3001, 4002}) check(shifted, 1, ch);
  edit.SetTabWidth(4);
  for (int ch : {4002, 17, 4002}) check(shifted, 1, ch);
  edit.Lines()->Insert(0, "\t");
  check("\t", 1, 2);
  for (int ch : {4002, 100}) check(shifted, 2, ch);
}

TEST(EditControl, CaretIsClampedToTheText) {
  TTextEdit edit("0123456789\r\nab");
  edit.SetCaretXY({50, 1});
  EXPECT_EQ(edit.CaretXY(), (TBufferCoord{50, 1}));  // eoScrollPastEol is on by default
  edit.SetCaretXY({5000, 1});
  EXPECT_EQ(edit.CaretX(), 1025);  // MaxScrollWidth + 1
  edit.SetOptions(edit.Options() + eoAutoSizeMaxScrollWidth);
  edit.SetCaretXY({5000, 1});
  EXPECT_EQ(edit.CaretX(), 5000);
  edit.SetOptions(edit.Options() - eoAutoSizeMaxScrollWidth);
  edit.SetCaretXY({50, 1});
  // Turning eoScrollPastEol off puts a caret beyond the end back at the end.
  edit.SetOptions(edit.Options() - eoScrollPastEol);
  EXPECT_EQ(edit.CaretXY(), (TBufferCoord{11, 1}));
  edit.SetCaretXY({50, 2});
  EXPECT_EQ(edit.CaretXY(), (TBufferCoord{3, 2}));
  edit.SetCaretXY({-5, 99});
  EXPECT_EQ(edit.CaretXY(), (TBufferCoord{1, 2}));
  // A line above the first counts as the first, at its start.
  edit.SetCaretXY({3, 0});
  EXPECT_EQ(edit.CaretXY(), (TBufferCoord{1, 1}));
  // The selection collapses onto the caret.
  EXPECT_EQ(edit.BlockBegin(), edit.CaretXY());
  EXPECT_EQ(edit.BlockEnd(), edit.CaretXY());
  // An empty buffer keeps the caret at (1, 1).
  edit.Lines()->Clear();
  edit.SetCaretXY({7, 7});
  EXPECT_EQ(edit.CaretXY(), (TBufferCoord{1, 1}));
}

TEST(EditControl, SelectionEndsAreClampedAndOrdered) {
  TTextEdit edit("abc\r\ndefgh");
  edit.SetBlockBegin({3, 2});
  edit.SetBlockEnd({2, 1});
  EXPECT_EQ(edit.BlockBegin(), (TBufferCoord{2, 1}));
  EXPECT_EQ(edit.BlockEnd(), (TBufferCoord{3, 2}));
  EXPECT_TRUE(edit.IsPointInSelection({3, 1}));
  EXPECT_FALSE(edit.IsPointInSelection({3, 2}));
  // In a character-stream selection an end cannot lie past its line's end.
  edit.SetBlockEnd({40, 1});
  EXPECT_EQ(edit.SelectionEnd(), (TBufferCoord{4, 1}));
  edit.SetBlockBegin({9, 9});
  EXPECT_EQ(edit.SelectionAnchor(), (TBufferCoord{6, 2}));
  EXPECT_FALSE(edit.SelAvail());
  // A column selection of no width is no selection.
  edit.SetSelectionMode(smColumn);
  edit.SetBlockBegin({2, 1});
  edit.SetBlockEnd({2, 2});
  EXPECT_FALSE(edit.SelAvail());
  // With eoNoSelection the ends collapse at the anchor and stay there.
  edit.SetBlockEnd({3, 2});
  ASSERT_TRUE(edit.SelAvail());
  edit.SetOptions(edit.Options() + eoNoSelection);
  EXPECT_FALSE(edit.SelAvail());
  edit.SetBlockEnd({4, 2});
  EXPECT_EQ(edit.SelectionEnd(), (TBufferCoord{2, 1}));
}

TEST(EditControl, EnsureCursorPosVisibleCentresWhenAsked) {
  TEditorHost host(NumberedLines(500));
  TTxtEdit& edit = host.Edit();
  const int rows = edit.LinesInWindow();
  edit.GotoLineAndCenter(300);
  EXPECT_EQ(edit.TopLine(), 300 - (rows - 1) / 2);
  const int top = edit.TopLine();
  edit.SetCaretXY({1, top + rows + 3});
  EXPECT_EQ(edit.TopLine(), top + 4);
  edit.SetCaretXY({1, 2});
  EXPECT_EQ(edit.TopLine(), 2);
}

namespace {

// Whether the window shows the first (up or left) and the second (down or right) arrow usable.
struct TArrowState {
  bool First, Second;
  bool operator==(const TArrowState&) const = default;
};

TArrowState Arrows(HWND Wnd, int Bar) {
  SCROLLBARINFO info{};
  info.cbSize = sizeof info;
  GetScrollBarInfo(Wnd, Bar == SB_VERT ? OBJID_VSCROLL : OBJID_HSCROLL, &info);
  return {(info.rgstate[1] & STATE_SYSTEM_UNAVAILABLE) == 0, (info.rgstate[5] & STATE_SYSTEM_UNAVAILABLE) == 0};
}

}  // namespace

TEST(EditControl, ScrollBarArrowsFollowTheEndsOfTheRange) {
  TEditorHost host;
  TTxtEdit& edit = host.Edit();
  edit.SetScrollBars(ssBoth);
  edit.SetTextA(NumberedLines(100));
  host.Settle();
  // Without eoDisableScrollArrows both arrows work wherever the text stands.
  EXPECT_EQ(Arrows(host.Wnd(), SB_VERT), (TArrowState{true, true}));
  edit.SetOptions(edit.Options() + eoDisableScrollArrows);
  host.Settle();  // the bars are drawn later: that must not enable the arrows again
  EXPECT_EQ(Arrows(host.Wnd(), SB_VERT), (TArrowState{false, true}));
  EXPECT_EQ(Arrows(host.Wnd(), SB_HORZ), (TArrowState{false, true}));
  edit.SetTopLine(100);
  edit.SetLeftChar(5000);
  host.Settle();
  EXPECT_EQ(Arrows(host.Wnd(), SB_VERT), (TArrowState{true, false}));
  EXPECT_EQ(Arrows(host.Wnd(), SB_HORZ), (TArrowState{true, false}));
}

// A change of the line height inside the update lock reaches the scroll bar when the lock ends.
TEST(EditControl, ALineHeightChangedWhileLockedReachesTheScrollBar) {
  TEditorHost host(NumberedLines(100));
  TTxtEdit& edit = host.Edit();
  edit.SetScrollBars(ssVertical);
  host.Settle();
  edit.BeginUpdate();
  edit.SetExtraLineSpacing(edit.TextHeight());
  edit.EndUpdate();
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_PAGE;
  GetScrollInfo(host.Wnd(), SB_VERT, &si);
  EXPECT_EQ(static_cast<int>(si.nPage), edit.LinesInWindow());
}

// Without eoScrollPastEol the horizontal bar spans the longest line, which a tab width changes.
TEST(EditControl, TheTabWidthReachesTheHorizontalBar) {
  TEditorHost host(std::string(12, '\t') + "x");
  TTxtEdit& edit = host.Edit();
  edit.SetOptions(edit.Options() - eoScrollPastEol);
  edit.SetScrollBars(ssHorizontal);
  for (const int width : {8, 2}) {
    edit.SetTabWidth(width);
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE;
    GetScrollInfo(host.Wnd(), SB_HORZ, &si);
    EXPECT_EQ(si.nMax, 12 * width + 1);
  }
}

TEST(EditControl, StatusChangesAreGatheredWhileLocked) {
  TEditorHost host(NumberedLines(50));
  TTxtEdit& edit = host.Edit();
  TStatusLog log;
  edit.OnStatusChange = TStatusChangeEvent(&log, &TStatusLog::Changed);
  edit.BeginUpdate();
  edit.SetCaretXY({2, 1});
  edit.SetCaretXY({2, 40});
  edit.SetInsertMode(false);
  EXPECT_EQ(log.calls, 0);
  edit.EndUpdate();
  EXPECT_EQ(log.calls, 1);
  for (TTxtStatusChange c : {scCaretX, scCaretY, scTopLine, scInsertMode, scSelection})
    EXPECT_TRUE(log.last.Contains(c));
  edit.SetReadOnly(true);
  EXPECT_EQ(log.calls, 2);
  EXPECT_EQ(log.last, TTxtStatusChanges{scReadOnly});
  edit.SetReadOnly(true);
  EXPECT_EQ(log.calls, 2);
}

TEST(EditControl, UnchangedSettersRepaintNothing) {
  TEditorHost host(NumberedLines(20));
  TTxtEdit& edit = host.Edit();
  edit.SetActiveLineColor(clYellow);
  host.Settle();
  ASSERT_FALSE(host.AnythingPending());
  edit.SetActiveLineColor(clYellow);
  edit.SetOptions(edit.Options());
  edit.SetTabWidth(edit.TabWidth());
  edit.SetRightEdge(edit.RightEdge());
  edit.SetTopLine(edit.TopLine());
  EXPECT_FALSE(host.AnythingPending());
  // A change repaints the caret line only.
  edit.SetActiveLineColor(clAqua);
  const TRect caretCell = host.Cell(1, 1);
  EXPECT_TRUE(host.PendingAt(caretCell.Left + 1, caretCell.Top + 1));
  EXPECT_FALSE(host.PendingAt(caretCell.Left + 1, caretCell.Top + edit.TextHeight() + 1));
  host.Settle();
  // The right edge's colour repaints a strip around the line.
  edit.SetRightEdge(10);
  host.Settle();
  edit.SetRightEdgeColor(clRed);
  const int x = 10 * edit.CharWidth() + edit.TextOffset();
  EXPECT_TRUE(host.PendingAt(x, 5));
  EXPECT_FALSE(host.PendingAt(x + 5, 5));
}

// Options that stop scrolling past the text's end or its longest line bring a window scrolled
// there back over the text, as the scroll bars can show it.
TEST(EditControl, OptionsThatForbidScrollingPastTheTextBringTheWindowBack) {
  struct Case {
    TTxtEditorOption Option;
    bool Vertical;
  } cases[] = {{eoScrollPastEof, true}, {eoScrollPastEol, false}};
  for (const Case& c : cases) {
    TEditorHost host(NumberedLines(20));
    TTxtEdit& edit = host.Edit();
    edit.SetOptions(edit.Options() + eoScrollPastEof + eoScrollPastEol);
    edit.SetTopLine(18);
    edit.SetLeftChar(30);
    ASSERT_EQ(c.Vertical ? edit.TopLine() : edit.LeftChar(), c.Vertical ? 18 : 30);
    edit.SetOptions(edit.Options() - c.Option);
    // The last line at the window's bottom; the lines are shorter than the window is wide.
    EXPECT_EQ(c.Vertical ? edit.TopLine() : edit.LeftChar(), c.Vertical ? 21 - edit.LinesInWindow() : 1);
  }
}

TEST(EditControl, CaretLineNumberIsRepaintedWithoutAStatusHandler) {
  TEditorHost host;
  TTxtEdit& edit = host.Edit();
  edit.Gutter()->SetShowLineNumbers(true);
  edit.SetTextA(NumberedLines(30));
  host.Settle();
  ASSERT_FALSE(edit.OnStatusChange);
  edit.SetCaretXY({1, 5});
  const int th = edit.TextHeight();
  EXPECT_TRUE(host.PendingAt(2, 0 * th + th / 2));  // the old caret line's number
  EXPECT_TRUE(host.PendingAt(2, 4 * th + th / 2));  // the new one's
  EXPECT_FALSE(host.PendingAt(2, 2 * th + th / 2));
  host.Settle();
  // A status handler changes nothing about it.
  TStatusLog log;
  edit.OnStatusChange = TStatusChangeEvent(&log, &TStatusLog::Changed);
  edit.SetCaretXY({1, 9});
  EXPECT_GE(log.calls, 1);
  EXPECT_TRUE(host.PendingAt(2, 4 * th + th / 2));
  EXPECT_TRUE(host.PendingAt(2, 8 * th + th / 2));
  EXPECT_FALSE(host.PendingAt(2, 6 * th + th / 2));
  host.Settle();
  // Inside a paint lock the old and new lines are those before and after the whole change.
  edit.BeginUpdate();
  edit.SetCaretXY({1, 12});
  edit.SetCaretXY({1, 3});
  edit.EndUpdate();
  EXPECT_TRUE(host.PendingAt(2, 8 * th + th / 2));
  EXPECT_TRUE(host.PendingAt(2, 2 * th + th / 2));
  host.Settle();
  edit.OnStatusChange = {};
  // With every line numbered nothing changes in the gutter.
  edit.Gutter()->SetNumberAllLines(true);
  host.Settle();
  edit.SetCaretXY({1, 7});
  EXPECT_FALSE(host.PendingAt(2, 6 * th + th / 2));
}

TEST(EditControl, NegativeLineSpacingKeepsLinesOnePixelHigh) {
  TEditorHost host(NumberedLines(1000));
  TTxtEdit& edit = host.Edit();
  edit.SetExtraLineSpacing(-1000);
  EXPECT_EQ(edit.TextHeight(), 1);
  EXPECT_EQ(edit.LinesInWindow(), host.Height());
  edit.Invalidate();
  host.Settle();  // paints without dividing by zero
  EXPECT_EQ(edit.PixelsToRowColumn(40, 10).Row, 11);
  // The extremes neither wrap round nor break painting or hit tests.
  edit.SetExtraLineSpacing(INT_MIN);
  EXPECT_EQ(edit.TextHeight(), 1);
  edit.SetExtraLineSpacing(INT_MAX);
  EXPECT_EQ(edit.TextHeight(), INT_MAX);
  EXPECT_EQ(edit.LinesInWindow(), 0);
  edit.Invalidate();
  host.Settle();
  EXPECT_EQ(edit.PixelsToRowColumn(40, 10).Row, edit.TopLine());
}

TEST(EditControl, ProportionalFontsAreReplacedByFixedPitch) {
  TTxtEdit edit(nullptr);
  TFont serif;
  serif.SetName(L"DejaVu Serif");
  serif.SetSize(12);
  serif.SetStyle({fsItalic});
  edit.SetFont(&serif);
  // The same name when the system substitutes a fixed-pitch face for it, else the default face.
  EXPECT_TRUE(edit.Font()->Name() == L"DejaVu Serif" || edit.Font()->Name() == L"Courier New");
  EXPECT_EQ(edit.Font()->Pitch(), fpFixed);
  // What the system gives for it advances every letter alike.
  TWindowDC screen;
  TSelectObject selection(screen.Get(), edit.Font()->Handle());
  SIZE narrow{}, wide{};
  GetTextExtentPoint32W(screen.Get(), L"i", 1, &narrow);
  GetTextExtentPoint32W(screen.Get(), L"W", 1, &wide);
  EXPECT_EQ(narrow.cx, wide.cx);

  TFont courier;
  courier.SetName(L"Courier New");
  courier.SetSize(11);
  edit.SetFont(&courier);
  EXPECT_EQ(edit.Font()->Name(), L"Courier New");
}

TEST(EditControl, HighlighterRangesFollowEdits) {
  TTextEdit edit("a\r\n/* open\r\nstill\r\nclose */\r\nb");
  TTestHighlighter h(nullptr);
  edit.SetHighlighter(&h);
  TTxtEditStringList& lines = *edit.Lines();
  // Which lines end inside the comment, one digit per line.
  auto inComment = [&] {
    std::string r;
    for (int i = 0; i < lines.Count(); ++i) r += lines.GetRange(i) == reinterpret_cast<void*>(1) ? '1' : '0';
    return r;
  };
  EXPECT_EQ(inComment(), "01100");
  // Closing the comment early rescans down to the first unchanged range; "close */" then closes
  // nothing.
  lines.SetStrings(1, "/* open */");
  EXPECT_EQ(inComment(), "00000");
  // A change that leaves the range alone scans one line only.
  h.linesSet = 0;
  lines.SetStrings(4, "c");
  EXPECT_EQ(h.linesSet, 1);
  // Inserted lines are scanned: "a" is inside, "/* open */" closes it.
  lines.Insert(0, "/*");
  EXPECT_EQ(inComment(), "110000");
  lines.Delete(0);
  EXPECT_EQ(inComment(), "00000");
  // Swapping two lines rescans them from the ranges above: "a" moved below "/* open" is inside.
  lines.SetStrings(1, "/* open");
  EXPECT_EQ(inComment(), "01100");
  lines.Exchange(0, 1);
  EXPECT_EQ(inComment(), "11100");
  // An attribute change scans everything again.
  h.linesSet = 0;
  h.Keyword()->SetForeground(clRed);
  EXPECT_EQ(h.linesSet, lines.Count());
}

TEST(EditControl, ChangesMarkModifiedAndFireOnChange) {
  TTxtEdit edit(nullptr);
  TCounter changed;
  edit.OnChange = TNotifyEvent(&changed, &TCounter::Fire);
  edit.UndoList()->AddChange(urInsert, {1, 1}, {2, 1}, "", smNormal);
  EXPECT_TRUE(edit.Modified());
  EXPECT_EQ(changed.count, 1);
  // A block fires once at its end.
  edit.UndoList()->BeginBlock();
  edit.UndoList()->AddChange(urInsert, {2, 1}, {3, 1}, "", smNormal);
  edit.UndoList()->AddChange(urInsert, {3, 1}, {4, 1}, "", smNormal);
  EXPECT_EQ(changed.count, 1);
  edit.UndoList()->EndBlock();
  EXPECT_EQ(changed.count, 2);
  // A new change empties the redo list.
  edit.RedoList()->AddChange(urInsert, {1, 1}, {2, 1}, "", smNormal);
  edit.UndoList()->AddChange(urInsert, {4, 1}, {5, 1}, "", smNormal);
  EXPECT_FALSE(edit.RedoList()->CanUndo());
  edit.SetModified(false);
  EXPECT_FALSE(edit.Modified());
  EXPECT_TRUE(edit.UndoList()->IsAtSavedState());
  // MaxUndo below 0 is ignored.
  edit.SetMaxUndo(-1);
  EXPECT_EQ(edit.MaxUndo(), 1024);
  edit.SetMaxUndo(7);
  EXPECT_EQ(edit.RedoList()->MaxUndoActions(), 7);
}

TEST(EditControl, MarksFollowInsertedAndDeletedLines) {
  TTxtEdit edit(nullptr);
  auto add = [&](int line) {
    auto* m = new TTxtEditMark();
    m->SetLine(line);
    edit.Marks()->Add(m);
    return m;
  };
  TTxtEditMark* before = add(2);
  TTxtEditMark* inside = add(6);
  TTxtEditMark* after = add(10);
  edit.DoLinesInserted(3, 2);
  EXPECT_EQ(before->Line(), 2);
  EXPECT_EQ(inside->Line(), 8);
  EXPECT_EQ(after->Line(), 12);
  edit.DoLinesDeleted(5, 4);  // lines 5..8
  EXPECT_EQ(inside->Line(), 5);
  EXPECT_EQ(after->Line(), 8);
}

TEST(EditControl, WorksThroughAWordWrapPlugin) {
  TEditorHost host("0123456789abcdefghij\r\nshort\r\n" + AnsiString(25, 'z'));
  TTxtEdit& edit = host.Edit();
  edit.SetBounds(0, 0, edit.GutterWidth() + 2 + 10 * edit.CharWidth(), host.Height());  // ten columns
  edit.SetLeftChar(3);
  edit.SetWordWrap(true);
  EXPECT_EQ(edit.LeftChar(), 1);
  EXPECT_EQ(edit.DisplayLineCount(), 2 + 1 + 3);
  EXPECT_EQ(edit.LineToRow(2), 3);
  EXPECT_EQ(edit.RowToLine(5), 3);
  EXPECT_EQ(edit.BufferToDisplayPos({15, 1}), (TDisplayCoord{5, 2}));
  EXPECT_EQ(edit.DisplayToBufferPos({5, 2}), (TBufferCoord{15, 1}));
  edit.SetTopLine(4);
  EXPECT_EQ(edit.TopLine(), 1);  // everything fits
  edit.SetWordWrap(false);
  EXPECT_EQ(edit.DisplayLineCount(), 3);
}

// Told of each caret move, a transient painter seeking the matching bracket would search per hit.
TEST(EditControl, ACommandTellsTheTransientPainterOnceWhenItEnds) {
  AnsiString text;
  for (int i = 0; i < 500; ++i) text += "(a) [b] (c)\r\n";
  TEditorHost host(text);
  TTxtEdit& e = host.Edit();
  TTxtEditSearch search(nullptr);
  e.SetSearchEngine(&search);
  const std::vector<TTransientType> once{ttAfter}, replaced{ttBefore, ttAfter, ttAfter};
  // ecNone: a replace-all of 1000 hits, whose search brackets itself with the painter too.
  const std::tuple<TTxtEditorCommand, char, std::vector<TTransientType>> cases[] = {
      {ecRight, 0, once}, {ecChar, 'x', once}, {ecDeleteLastChar, 0, once}, {ecNone, 0, replaced}, {ecUndo, 0, once}};
  for (const auto& [command, ch, told] : cases) {
    e.SetCaretXY({3, 1});
    TTransientLog log;
    e.OnPaintTransient = TPaintTransient(&log, &TTransientLog::Paint);
    if (command) Cmd(e, command, ch);
    if (!command) e.SearchReplace("a", "A", {srReplaceAll, srEntireScope});
    e.OnPaintTransient = TPaintTransient();
    EXPECT_EQ(log.calls, told) << command;
    EXPECT_TRUE(log.canvas) << command;
  }
}
