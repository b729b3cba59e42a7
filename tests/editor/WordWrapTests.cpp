// Word wrap: line breaks into rows, position conversions, row tables kept in step with changes,
// the editor with wrap on; also the text setter's undo pair and text dragged between editors.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

#include "editor/TxtEditWordWrap.h"
#include "editor/TxtEditWords.h"
#include "tests/editor/EditTestSupport.h"
#include "tests/editor/EditingTestSupport.h"
#include "tests/editor/TestHighlighter.h"

namespace {

struct TFakeSource : ITxtWrapSource {
  std::vector<std::string> lines;  // already expanded
  int width = 10;
  int LineCount() override { return static_cast<int>(lines.size()); }
  std::string_view ExpandedLine(int Index, AnsiString&) override { return lines[size_t(Index)]; }
  int CharsInWindow() override { return width; }
  int TabWidth() override { return 8; }
  TTxtCharSet IdentChars() override { return TxtDefaultIdentChars(); }
};

std::vector<int> Rows(const std::string& S, int Width, int TabWidth = 8, TTxtLeadByteTest Lead = nullptr) {
  TTxtWrapRules r{Width, std::max(Width - Width / 3, 1), TabWidth, {}, Lead};
  for (int c = 0; c <= 32; ++c) r.BreakChars[c] = true;
  r.BreakChars[int('-')] = true;
  std::vector<uint8_t> rows;
  TxtWrapLine(S, r, rows);
  return {rows.begin(), rows.end()};
}

std::vector<int> AllRows(ITxtEditBufferPlugin& w) {
  std::vector<int> r;
  for (int i = 1; i <= w.RowCount(); ++i) r.push_back(w.GetRowLength(i));
  return r;
}

bool Lead81(unsigned char c) { return c >= 0x81 && c <= 0x9F; }

std::string L(int n, char c = 'a') { return std::string(size_t(n), c); }

// The control's rows equal those of a plug-in that wraps its text afresh.
void ExpectFreshRows(TTxtEdit& e, const char* What) {
  TTxtWordWrapPlugin fresh(&e);
  EXPECT_EQ(AllRows(*e.WordWrapPlugin()), AllRows(fresh)) << What;
}

AnsiString Words(int N) {
  AnsiString s;
  for (int i = 0; i < N; ++i) s += "word" + std::to_string(i % 10) + " ";
  return s;
}

// Selects "beta " of From's first line, presses it and releases over To at Drop with Ctrl or
// Shift held, moving the real mouse, since drag targets are found under it.
AnsiString Drag(TTxtEdit& From, TTxtEdit& To, TBufferCoord Drop, BYTE Ctrl = 0, BYTE Shift = 0) {
  Select(From, {7, 1}, {12, 1});
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_CONTROL] = Ctrl;
  keys[VK_SHIFT] = Shift;
  SetKeyboardState(keys);
  auto at = [](TTxtEdit& E, TBufferCoord P) {
    const TPoint p = E.RowColumnToPixels(E.BufferToDisplayPos(P));
    return E.ClientToScreen({p.X + 1, p.Y + 3});
  };
  auto mouse = [&](UINT Msg, TPoint S) {
    SetCursorPos(S.X, S.Y);
    const TPoint p = From.ScreenToClient(S);
    SendMessageW(From.Handle(), Msg, Msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(p.X, p.Y));
  };
  const TPoint g = at(From, {9, 1}), d = at(To, Drop);
  for (auto [msg, p] :
       {std::pair{WM_LBUTTONDOWN, g}, {WM_MOUSEMOVE, {g.X, g.Y + 12}}, {WM_MOUSEMOVE, d}, {WM_LBUTTONUP, d}})
    mouse(msg, p);
  keys[VK_CONTROL] = keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
  return To.TextA();
}

}  // namespace

TEST(WordWrap, BreakRules) {
  const std::string tabs = "x" + L(319, '\t') + "y";
  struct {
    std::string text;
    int width, tabWidth;
    std::vector<int> rows;
  } cases[] = {
      {"aaaa bbbb cccc", 10, 8, {10, 4}},  // the break after the blank at 9
      {"aa " + L(13), 10, 8, {10, 6}},     // a blank before MinRowLength is not used
      {L(10) + "   bbb", 10, 8, {13, 3}},  // blanks hang at the row's end
      {"abcdefgh-ijkl", 10, 8, {9, 4}},    // a non-identifier character breaks after itself
      {L(25), 10, 8, {10, 10, 5}},         // hard cuts
      {"", 10, 8, {0}},
      {L(10), 10, 8, {10}},
      {"a" + L(300, ' ') + "b", 10, 8, {255, 46, 1}},  // a blank run is cut at 255
      {tabs, 100, 8, {248, 73}},                       // ... at a tab stop when tab fill would be cut
      {"ab cd", 1, 8, {1, 2, 1, 1}},
      {L(300), 300, 8, {255, 45}},
      // A tab as wide as a row has no stop to step back to; once a row of length 0 forever.
      {"x" + L(255, '\t'), 10, 256, {255, 1}},
  };
  for (const auto& c : cases) EXPECT_EQ(Rows(c.text, c.width, c.tabWidth), c.rows) << c.text.size();
  // Double-byte characters move whole; at width 1 a row takes both bytes rather than none.
  EXPECT_EQ(Rows("abc\x81"
                 "de",
                 4, 8, Lead81),
            (std::vector<int>{3, 3}));
  EXPECT_EQ(Rows("\x81"
                 "a"
                 "\x82"
                 "b",
                 1, 8, Lead81),
            (std::vector<int>{2, 2}));
}

TEST(WordWrap, FuzzedLinesAreCoveredByRowsThatAdvance) {
  std::mt19937 rng(1402);
  for (int n = 0; n < 3000; ++n) {
    std::string s(rng() % 700, 'a');
    for (char& c : s) c = "ab -\t\x81\x82"[rng() % 7];
    const std::vector<int> rows = Rows(s, 1 + int(rng() % 255), 1 + int(rng() % 256), rng() % 2 ? Lead81 : nullptr);
    ASSERT_EQ(std::accumulate(rows.begin(), rows.end(), size_t(0)), s.size());
    ASSERT_TRUE(s.empty() || std::count(rows.begin(), rows.end(), 0) == 0);
  }
}

TEST(WordWrap, Conversions) {
  TFakeSource src;
  src.lines = {"aaaa bbbb cccc", "", L(25)};
  TTxtWordWrapPlugin w(src);
  EXPECT_EQ(AllRows(w), (std::vector<int>{10, 4, 0, 10, 10, 5}));
  const TBufferCoord b[] = {{10, 1}, {11, 1}, {15, 1}, {1, 2}, {21, 3}, {3, 5}};
  const TDisplayCoord d[] = {{10, 1}, {1, 2}, {5, 2}, {1, 3}, {1, 6}, {3, 8}};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(w.BufferToDisplayPos(b[i]), d[i]) << i;
    EXPECT_EQ(w.DisplayToBufferPos(d[i]), b[i]) << i;
  }
  // Far right of a middle row: the next row's start; of a line's last row: the width + 1.
  EXPECT_EQ(w.DisplayToBufferPos({40, 1}), (TBufferCoord{11, 1}));
  EXPECT_EQ(w.DisplayToBufferPos({40, 2}), (TBufferCoord{21, 1}));
  EXPECT_THROW(w.GetRowLength(7), EListError);
  EXPECT_THROW(w.LinesDeleted(2, 5), EAssertionFailed);
  src.width = 0;  // no text area: nothing wrapped, positions map one to one
  w.DisplayChanged();
  EXPECT_EQ(w.DisplayToBufferPos({4, 2}), (TBufferCoord{4, 2}));
}

TEST(WordWrap, RandomEditsMatchAFreshWrap) {
  // Each change reports its row delta and leaves a full wrap's tables; rows map to lines and back.
  std::mt19937 rng(77);
  TFakeSource src;
  for (int i = 0; i < 300; ++i) src.lines.push_back(L(int(rng() % 45)));
  TTxtWordWrapPlugin w(src);
  for (int step = 0; step < 300; ++step) {
    const int before = w.RowCount(), n = w.LineCount(), at = int(rng() % size_t(n + 1)), k = 1 + int(rng() % 20);
    int delta = 0;
    if (step % 3 == 0) {
      for (int i = 0; i < k; ++i) src.lines.insert(src.lines.begin() + at, L(int(rng() % 45)));
      delta = w.LinesInserted(at, k);
    } else if (step % 3 == 1 && at + k <= n) {
      src.lines.erase(src.lines.begin() + at, src.lines.begin() + at + k);
      delta = -w.LinesDeleted(at, k);
    } else if (at < n) {
      src.lines[size_t(at)] = L(int(rng() % 45));
      delta = w.LinesPutted(at, 1);
    }
    TTxtWordWrapPlugin fresh(src);
    ASSERT_EQ(AllRows(w), AllRows(fresh)) << step;
    ASSERT_EQ(w.RowCount() - before, delta) << step;
  }
  int row = 0;
  for (int line = 1; line <= w.LineCount(); ++line)
    for (int k = 0; k * 10 < std::max(1, int(src.lines[size_t(line - 1)].size())); ++k) {
      ASSERT_EQ(w.DisplayToBufferPos({1, ++row}), (TBufferCoord{1 + 10 * k, line}));
      ASSERT_EQ(w.BufferToDisplayPos({1 + 10 * k, line}), (TDisplayCoord{1, row}));
    }
}

TEST(EditWrap, SwitchingKeepsTheTopLineAndRowsFollowEdits) {
  TEditorHost host;
  TTxtEdit& e = host.Edit();
  e.SetBounds(0, 0, e.GutterWidth() + 2 + 20 * e.CharWidth(), host.Height());
  AnsiString text;
  for (int i = 1; i <= 40; ++i) text += (i % 4 == 0 ? Words(9) : "\tline") + "\r\n";
  e.SetTextA(text);
  e.SetTopLine(10);
  e.SetWordWrap(true);
  EXPECT_EQ(e.RowToLine(e.TopLine()), 10);
  e.SetTopLine(1);
  host.Settle();
  const TRect two = host.Cell(1, 2), five = host.Cell(1, 5);
  e.Lines()->SetStrings(1, "TWO");  // the same rows: only that line's are repainted
  EXPECT_TRUE(host.PendingAt(two.Left + 1, two.Top + 1));
  EXPECT_FALSE(host.PendingAt(five.Left + 1, five.Top + 1));
  e.Lines()->SetStrings(1, Words(6));  // more rows: everything below moves
  EXPECT_TRUE(host.PendingAt(five.Left + 1, five.Top + 1));
  Select(e, {1, 2}, {1, 4});
  e.SetSelText("one\r\n" + Words(12) + "\r\nthree");
  Cmd(e, ecDeleteLine);
  ExpectFreshRows(e, "edited");
  while (e.UndoList()->CanUndo()) e.Undo();
  e.SetTabWidth(16);
  ExpectFreshRows(e, "undone, tab width");
  e.SetBounds(0, 0, e.GutterWidth() + 2 + 13 * e.CharWidth(), host.Height());
  ExpectFreshRows(e, "narrower");
}

// A paste large enough to get a block of its own, opening a comment in its middle that the
// text after it closes: rows and highlighter states as a fresh editor with the same text has.
TEST(EditWrap, ALargePasteKeepsRowsAndHighlighterStatesRight) {
  TEditorHost host;
  TTxtEdit& e = host.Edit();
  TTestHighlighter highlighter(nullptr);
  e.SetHighlighter(&highlighter);
  e.SetBounds(0, 0, e.GutterWidth() + 2 + 20 * e.CharWidth(), host.Height());
  e.SetTextA("begin\r\nab cd\r\nx */ y\r\nend");
  e.SetWordWrap(true);
  AnsiString text;
  for (int i = 0; i < 3000; ++i) text += (i == 1500 ? "/* " : "") + Words(1 + i % 7) + "\n";
  auto expectFresh = [&](const char* What) {
    ExpectFreshRows(e, What);
    TTxtEdit fresh(nullptr);
    fresh.SetHighlighter(&highlighter);
    fresh.SetTextA(e.TextA());
    ASSERT_EQ(fresh.Lines()->Count(), e.Lines()->Count()) << What;
    for (int i = 0; i < e.Lines()->Count(); ++i)
      ASSERT_EQ(e.Lines()->GetRange(i), fresh.Lines()->GetRange(i)) << What << " line " << i;
  };
  e.SetCaretXY({3, 2});
  e.SetSelText(text);
  expectFresh("pasted");
  e.Undo();
  expectFresh("undone");
  e.SetHighlighter(nullptr);
}

TEST(EditSelText, InsertionPastTheScrollWidthUndoesWhole) {
  // The caret stops at the scroll width + 1; the insertion's record must reach its end.
  TTxtEdit e(nullptr);
  e.SetOptions(e.Options() + eoScrollPastEol - eoAutoSizeMaxScrollWidth);
  const AnsiString line(999, 'a'), added = AnsiString(100, 'b') + "\r\nc" + AnsiString(1100, 'd');
  e.SetTextA(line);
  e.SetCaretXY({1000, 1});
  e.SetSelText(added);
  EXPECT_EQ(TextAfterUndo(e), line);
  EXPECT_EQ(TextAfterRedo(e), line + added);
  EXPECT_EQ(TextAfterUndo(e), line);
}

TEST(EditDrag, WithinAndBetweenEditorsMovesOrCopiesAsOneStep) {
  TEditorHost host(320, 150);
  host.Form().SetBounds(0, 0, 700, 200);
  TTxtEdit &a = host.Edit(), &b = *new TTxtEdit(&host.Form());
  b.SetParent(&host.Form());
  b.SetBounds(340, 0, 320, 150);
  const AnsiString text = "alpha beta gamma\r\nsecond line";
  a.SetOptions(a.Options() + eoDragDropEditing);
  a.SetTextA(text);
  // Each drop inside the selection's own editor gives a text and is undone in one step.
  auto dropAt = [&](TBufferCoord At, BYTE Ctrl) {
    const AnsiString made = Drag(a, a, At, Ctrl);
    EXPECT_EQ(TextAfterUndo(a), text);
    return made;
  };
  EXPECT_EQ(dropAt({9, 1}, 0), text);  // onto itself: nothing
  EXPECT_EQ(dropAt({8, 2}, 0), "alpha gamma\r\nsecond beta line");
  EXPECT_EQ(dropAt({1, 1}, 0), "beta alpha gamma\r\nsecond line");
  EXPECT_EQ(dropAt({12, 1}, 0x80), "alpha beta beta gamma\r\nsecond line");  // copied at its end
  // To another editor: copied, or moved with Shift, one undo step in each; never read-only.
  b.SetTextA("xyz");
  EXPECT_EQ(Drag(a, b, {2, 1}), "xbeta yz");
  EXPECT_EQ(Drag(a, b, {1, 1}, 0, 0x80), "beta xbeta yz");
  EXPECT_EQ(a.TextA(), "alpha gamma\r\nsecond line");
  EXPECT_EQ(TextAfterUndo(b), "xbeta yz");
  EXPECT_EQ(TextAfterUndo(a), text);
  b.SetReadOnly(true);
  EXPECT_EQ(Drag(a, b, {1, 1}, 0, 0x80), "xbeta yz");
  EXPECT_EQ(a.TextA(), text);
}
