// The editor control with word wrap on: switching it, rows that follow every edit, the resize
// and tab-width rewraps, the repaint of changed rows; the text setter's undo pair; text
// dragged within and between two editors.
#include <gtest/gtest.h>

#include "editor/TxtEditWordWrap.h"
#include "tests/editor/EditTestSupport.h"
#include "tests/editor/EditingTestSupport.h"

namespace {

std::vector<int> RowsOf(ITxtEditBufferPlugin& w) {
  std::vector<int> r;
  for (int i = 1; i <= w.RowCount(); ++i) r.push_back(w.GetRowLength(i));
  return r;
}

// The control's rows equal those of a plug-in that wraps the text afresh.
void ExpectFreshRows(TTxtEdit& e, const char* What) {
  ASSERT_TRUE(e.WordWrap()) << What;
  TTxtWordWrapPlugin fresh(&e);
  EXPECT_EQ(RowsOf(*e.WordWrapPlugin()), RowsOf(fresh)) << What;
}

// Sets the text area to Columns whole characters.
void SetColumns(TEditorHost& Host, int Columns) {
  TTxtEdit& e = Host.Edit();
  e.SetBounds(0, 0, e.GutterWidth() + 2 + Columns * e.CharWidth(), Host.Height());
  Host.Settle();
}

AnsiString Words(int N) {
  AnsiString s;
  for (int i = 0; i < N; ++i) s += "word" + std::to_string(i % 10) + " ";
  return s;
}

}  // namespace

TEST(EditWrap, SwitchingKeepsTheTopLineAndTheCaret) {
  TEditorHost host;
  TTxtEdit& e = host.Edit();
  AnsiString text;
  for (int i = 1; i <= 60; ++i) text += (i % 4 == 0 ? Words(30) : "line " + std::to_string(i)) + "\r\n";
  e.SetTextA(text);
  e.SetTopLine(10);
  e.SetLeftChar(5);
  e.SetCaretXY({3, 12});
  e.SetWordWrap(true);
  ASSERT_NE(dynamic_cast<TTxtWordWrapPlugin*>(e.WordWrapPlugin()), nullptr);
  EXPECT_EQ(e.LeftChar(), 1);
  EXPECT_EQ(e.RowToLine(e.TopLine()), 10);
  EXPECT_GT(e.DisplayLineCount(), 61);
  EXPECT_EQ(e.CaretXY(), (TBufferCoord{3, 12}));
  EXPECT_EQ(static_cast<TTxtWordWrapPlugin*>(e.WordWrapPlugin())->MaxRowLength(), e.CharsInWindow());
  e.SetWordWrap(false);
  EXPECT_FALSE(e.WordWrap());
  EXPECT_EQ(e.TopLine(), 10);
}

TEST(EditWrap, RowsFollowEveryKindOfEdit) {
  TEditorHost host;
  TTxtEdit& e = host.Edit();
  SetColumns(host, 20);
  e.SetTextA("short\r\n" + Words(8) + "\r\n\tx\ty\r\nlast");
  e.SetWordWrap(true);
  ExpectFreshRows(e, "switched on");
  e.SetCaretXY({6, 1});
  Type(e, " and now a good deal longer than twenty");
  ExpectFreshRows(e, "typed");
  Cmd(e, ecLineBreak);
  ExpectFreshRows(e, "line break");
  Select(e, {1, 2}, {1, 4});
  e.SetSelText("one\r\n" + Words(12) + "\r\nthree");
  ExpectFreshRows(e, "replaced lines");
  e.SetCaretXY({1, 3});
  Cmd(e, ecDeleteLine);
  ExpectFreshRows(e, "deleted line");
  while (e.UndoList()->CanUndo()) e.Undo();
  ExpectFreshRows(e, "undone");
  EXPECT_EQ(e.TextA(), "short\r\n" + Words(8) + "\r\n\tx\ty\r\nlast");
  e.SetTabWidth(16);
  ExpectFreshRows(e, "tab width");
  SetColumns(host, 13);
  EXPECT_EQ(static_cast<TTxtWordWrapPlugin*>(e.WordWrapPlugin())->MaxRowLength(), 13);
  ExpectFreshRows(e, "narrower window");
  e.Lines()->Clear();
  EXPECT_EQ(e.DisplayLineCount(), 0);
  e.SetTextA(Words(40));
  ExpectFreshRows(e, "new text");
}

TEST(EditWrap, IdentifierCharactersDecideTheBreaks) {
  TEditorHost host;
  TTxtEdit& e = host.Edit();
  EXPECT_TRUE(e.IdentChars().Contains('!'));
  EXPECT_TRUE(e.IdentChars().Contains(0xFF));
  EXPECT_FALSE(e.IdentChars().Contains(' '));
  SetColumns(host, 10);
  e.SetTextA("abcdefgh!ijklm");  // '!' is part of a word without a highlighter: a hard cut
  e.SetWordWrap(true);
  EXPECT_EQ(RowsOf(*e.WordWrapPlugin()), (std::vector<int>{10, 4}));
}

TEST(EditWrap, AChangedRowCountRepaintsToTheEnd) {
  TEditorHost host;
  TTxtEdit& e = host.Edit();
  SetColumns(host, 20);
  e.SetTextA("one\r\ntwo\r\nthree\r\nfour\r\nfive");
  e.SetWordWrap(true);
  host.Settle();
  const TRect two = host.Cell(1, 2), five = host.Cell(1, 5);
  e.Lines()->SetStrings(1, "TWO");  // same rows: that line's rows only
  EXPECT_TRUE(host.PendingAt(two.Left + 1, two.Top + 1));
  EXPECT_FALSE(host.PendingAt(five.Left + 1, five.Top + 1));
  host.Settle();
  e.Lines()->SetStrings(1, Words(6));  // more rows: everything below moves
  EXPECT_TRUE(host.PendingAt(five.Left + 1, five.Top + 1));
  EXPECT_EQ(e.RowToLine(5), 4);
}

TEST(EditWrap, ScrollPastEolOffBringsTheCaretBack) {
  TTxtEdit e(nullptr);
  e.SetTextA("abc");
  e.SetCaretXY({9, 1});
  EXPECT_EQ(e.CaretX(), 9);
  e.SetOptions(e.Options() - eoScrollPastEol);
  EXPECT_EQ(e.CaretX(), 4);
}

TEST(EditSelText, AnEmptyTextWithoutSelectionRecordsNothing) {
  TTxtEdit e(nullptr);
  e.SetTextA("abc");
  e.SetSelText("");
  EXPECT_FALSE(e.UndoList()->CanUndo());
  EXPECT_EQ(e.TextA(), "abc");
}

TEST(EditSelText, InsertionPastTheScrollWidthUndoesWhole) {
  // The caret stops at the scroll width + 1, but the insertion's record must reach its end.
  TTxtEdit e(nullptr);
  e.SetOptions(e.Options() + eoScrollPastEol - eoAutoSizeMaxScrollWidth);
  const AnsiString line(999, 'a');
  e.SetTextA(line);
  e.SetCaretXY({1000, 1});
  e.SetSelText(AnsiString(100, 'b') + "\r\nc" + AnsiString(1100, 'd'));
  EXPECT_EQ(e.CaretX(), e.MaxScrollWidth() + 1);
  EXPECT_EQ(TextAfterUndo(e), line);
  EXPECT_EQ(TextAfterRedo(e), line + AnsiString(100, 'b') + "\r\nc" + AnsiString(1100, 'd'));
  EXPECT_EQ(TextAfterUndo(e), line);
  e.SetCaretXY({1000, 1});
  e.SetSelText(AnsiString(100, 'b'));
  EXPECT_EQ(TextAfterUndo(e), line);
}

// ---- dragging text with the mouse ----

namespace {

// Two editors side by side on one shown form.
struct TTwoEditors {
  TTwoEditors() {
    form = std::make_unique<TForm>(nullptr, CreateNew);
    form->SetBounds(0, 0, 700, 200);
    a = Add(0);
    b = Add(340);
    form->Show();
    Settle();
  }
  ~TTwoEditors() {
    SetKeys(false, false);
    form.reset();
  }
  TTxtEdit* Add(int Left) {
    auto* e = new TTxtEdit(form.get());
    e->SetBorderStyle(bsNone);
    e->SetScrollBars(ssNone);
    e->SetOptions(e->Options() + eoNoCaret + eoDragDropEditing);
    e->SetParent(form.get());
    e->SetBounds(Left, 0, 320, 150);
    return e;
  }
  static void Settle() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  static void SetKeys(bool Ctrl, bool Shift) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = Ctrl ? 0x80 : 0;
    keys[VK_SHIFT] = Shift ? 0x80 : 0;
    SetKeyboardState(keys);
  }
  static TPoint At(TTxtEdit* E, TBufferCoord P) {
    const TPoint p = E->RowColumnToPixels(E->BufferToDisplayPos(P));
    return {p.X + 1, p.Y + E->TextHeight() / 2};
  }
  // Presses inside From's selection at Grab and releases over To at Drop, moving the real mouse.
  void Drag(TTxtEdit* From, TBufferCoord Grab, TTxtEdit* To, TBufferCoord Drop) {
    const TPoint g = At(From, Grab);
    const TPoint gs = From->ClientToScreen(g);
    SetCursorPos(gs.X, gs.Y);
    SendMessageW(From->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(g.X, g.Y));
    const TPoint ds = To->ClientToScreen(At(To, Drop));
    for (int step = 1; step <= 3; ++step) {
      const TPoint s{gs.X + (ds.X - gs.X) * step / 3, gs.Y + (ds.Y - gs.Y) * step / 3 + (step == 1 ? 12 : 0)};
      SetCursorPos(s.X, s.Y);
      const TPoint local = From->ScreenToClient(s);
      SendMessageW(From->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(local.X, local.Y));
    }
    const TPoint local = From->ScreenToClient(ds);
    SendMessageW(From->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(local.X, local.Y));
    Settle();
  }
  std::unique_ptr<TForm> form;
  TTxtEdit* a = nullptr;
  TTxtEdit* b = nullptr;
};

}  // namespace

TEST(EditDrag, WithinAnEditorMovesOrCopiesAsOneStep) {
  TTwoEditors t;
  TTxtEdit& e = *t.a;
  e.SetTextA("alpha beta gamma\r\nsecond line");
  struct Case {
    bool ctrl;
    TBufferCoord drop;
    AnsiString text;
  } cases[] = {
      {false, {8, 2}, "alpha gamma\r\nsecond beta line"},       // moved after itself
      {false, {1, 1}, "beta alpha gamma\r\nsecond line"},         // moved before itself
      {true, {12, 1}, "alpha beta beta gamma\r\nsecond line"},     // copied at its own end
      {false, {9, 1}, "alpha beta gamma\r\nsecond line"},          // onto itself: nothing
  };
  for (const Case& c : cases) {
    Select(e, {7, 1}, {12, 1});
    t.SetKeys(c.ctrl, false);
    const int steps = e.UndoList()->ItemCount();
    t.Drag(&e, {9, 1}, &e, c.drop);
    EXPECT_EQ(e.TextA(), c.text) << c.drop.Char << "," << c.drop.Line;
    if (c.text == "alpha beta gamma\r\nsecond line") {
      EXPECT_EQ(e.UndoList()->ItemCount(), steps);
      continue;
    }
    EXPECT_EQ(e.SelText(), "beta ");
    EXPECT_EQ(TextAfterUndo(e), "alpha beta gamma\r\nsecond line");
    EXPECT_EQ(TextAfterRedo(e), c.text);
    EXPECT_EQ(TextAfterUndo(e), "alpha beta gamma\r\nsecond line");
  }
}

TEST(EditDrag, BetweenEditorsCopiesOrMovesWithShift) {
  TTwoEditors t;
  t.a->SetTextA("one two three");
  t.b->SetTextA("xyz");
  Select(*t.a, {5, 1}, {9, 1});
  t.Drag(t.a, {6, 1}, t.b, {2, 1});
  EXPECT_EQ(t.b->TextA(), "xtwo yz");
  EXPECT_EQ(t.a->TextA(), "one two three");
  EXPECT_FALSE(t.a->UndoList()->CanUndo());
  Select(*t.a, {5, 1}, {9, 1});
  t.SetKeys(false, true);
  t.Drag(t.a, {6, 1}, t.b, {1, 1});
  EXPECT_EQ(t.b->TextA(), "two xtwo yz");
  EXPECT_EQ(t.a->TextA(), "one three");
  EXPECT_EQ(TextAfterUndo(*t.b), "xtwo yz");  // one step in each editor
  EXPECT_EQ(TextAfterUndo(*t.a), "one two three");
  EXPECT_EQ(TextAfterUndo(*t.b), "xyz");
  // A read-only editor takes nothing.
  t.b->SetReadOnly(true);
  Select(*t.a, {5, 1}, {9, 1});
  t.Drag(t.a, {6, 1}, t.b, {1, 1});
  EXPECT_EQ(t.b->TextA(), "xyz");
  EXPECT_EQ(t.a->TextA(), "one two three");
}

// ---- events, the mouse cursor, shared buffers with word wrap ----

namespace {

class TTransientEdit : public TTxtEdit {
 public:
  using TTxtEdit::TTxtEdit;
  using TTxtEdit::DoOnPaintTransientEx;
  std::vector<TTransientType> painted;
  void Painted(TObject*, TCanvas*, TTransientType Type) { painted.push_back(Type); }
};

struct TCursorLog {
  TBufferCoord at;
  TCursor cursor = crDefault;
  void Cursor(TObject*, const TBufferCoord& At, TCursor& C) {
    at = At;
    cursor = C;
  }
};

}  // namespace

TEST(EditEvents, TransientPaintsWaitForTheOutermostLock) {
  TTransientEdit e(nullptr);
  e.OnPaintTransient = TPaintTransient(&e, &TTransientEdit::Painted);
  e.DoOnPaintTransientEx(ttBefore, true);   // outermost: paints, then locks
  e.DoOnPaintTransientEx(ttBefore, true);   // locked
  e.DoOnPaintTransientEx(ttAfter, false);   // locked
  e.DoOnPaintTransientEx(ttAfter, true);    // still one lock left
  e.DoOnPaintTransientEx(ttAfter, true);    // the last lock goes: paints
  e.DoOnPaintTransientEx(ttAfter, false);
  EXPECT_EQ(e.painted, (std::vector<TTransientType>{ttBefore, ttAfter, ttAfter}));
}

TEST(EditEvents, TheMouseCursorOverTheSelectionAndTheText) {
  TEditorHost host;
  TTxtEdit& e = host.Edit();
  e.SetOptions(e.Options() + eoDragDropEditing);
  e.SetTextA("alpha beta");
  Select(e, {7, 1}, {11, 1});
  TCursorLog log;
  e.OnMouseCursor = TMouseCursorEvent(&log, &TCursorLog::Cursor);
  auto hover = [&](int Column) {
    const TRect cell = host.Cell(Column, 1);
    const TPoint s = e.ClientToScreen({cell.Left + 1, cell.Top + 2});
    SetCursorPos(s.X, s.Y);
    SendMessageW(host.Wnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(host.Wnd()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  };
  hover(8);
  EXPECT_EQ(log.at, (TBufferCoord{8, 1}));
  EXPECT_EQ(log.cursor, crArrow);  // the selection can be dragged
  hover(2);
  EXPECT_EQ(log.at, (TBufferCoord{2, 1}));
  EXPECT_EQ(log.cursor, crIBeam);
  e.SetOptions(e.Options() - eoDragDropEditing);
  hover(8);
  EXPECT_EQ(log.cursor, crIBeam);
}

TEST(EditEvents, DroppedFilesFollowTheOption) {
  TEditorHost host;
  TTxtEdit& e = host.Edit();
  auto accepts = [&] { return (GetWindowLongW(host.Wnd(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0; };
  EXPECT_FALSE(accepts());
  e.SetOptions(e.Options() + eoDropFiles);
  EXPECT_TRUE(accepts());
  e.SetOptions(e.Options() - eoDropFiles);
  EXPECT_FALSE(accepts());
}

TEST(EditWrap, ASharedBufferIsWrappedForEachViewAndReleased) {
  TEditorHost host;
  TTxtEdit& owner = host.Edit();
  SetColumns(host, 20);
  auto* viewer = new TTxtEdit(&host.Form());
  viewer->SetParent(&host.Form());
  viewer->SetBounds(0, 0, owner.Width(), 100);
  host.Settle();
  owner.SetTextA("one\r\n" + Words(9));
  viewer->SetTextA(Words(3));
  viewer->SetWordWrap(true);
  viewer->SetLinesPointer(&owner);
  ExpectFreshRows(*viewer, "shared");
  owner.SetCaretXY({1, 1});
  Type(owner, Words(5));
  ExpectFreshRows(*viewer, "edited through the other control");
  viewer->UnHookTextBuffer();
  EXPECT_TRUE(viewer->WordWrap());
  EXPECT_EQ(viewer->TextA(), Words(3));
  ExpectFreshRows(*viewer, "own buffer again");
  Type(owner, "x");
  ExpectFreshRows(*viewer, "no longer hears the other");
}
