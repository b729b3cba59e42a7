// Word wrap: line breaks into rows, position conversions, row tables kept in step with changes,
// the editor with wrap on; also the text setter's undo pair and text dragged between editors.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

#include "editor/TxtEditSearch.h"
#include "editor/TxtEditWordWrap.h"
#include "editor/TxtEditWords.h"
#include "tests/editor/EditTestSupport.h"
#include "tests/editor/EditingTestSupport.h"
#include "framework/Streams.h"
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

// The rows of every line, each broken by itself, and the conversions between positions over
// them as the rules define them: what the plug-in's tables must give, worked out without them.
struct TRowModel {
  std::vector<std::vector<int>> lines;
  int width = 0;

  int RowCount() const {
    int n = 0;
    for (const auto& rows : lines) n += static_cast<int>(rows.size());
    return n;
  }
  std::vector<int> All() const {
    std::vector<int> all;
    for (const auto& rows : lines) all.insert(all.end(), rows.begin(), rows.end());
    return all;
  }
  TDisplayCoord ToDisplay(TBufferCoord P) const {
    const int lineCount = static_cast<int>(lines.size());
    if (P.Line > lineCount) return {P.Char, RowCount() + P.Line - lineCount};
    int row = 0;
    for (int l = 0; l < P.Line - 1; ++l) row += static_cast<int>(lines[size_t(l)].size());
    const std::vector<int>& rows = lines[size_t(P.Line - 1)];
    int total = 0;
    for (size_t r = 0; r < rows.size(); ++r) {
      total += rows[r];
      if (total >= P.Char) return {rows[r] + P.Char - total, row + static_cast<int>(r) + 1};
    }
    return {rows.back() + P.Char - total, row + static_cast<int>(rows.size())};
  }
  TBufferCoord ToBuffer(TDisplayCoord D) const {
    const int rowCount = RowCount();
    if (D.Row > rowCount) return {D.Column, D.Row - rowCount + static_cast<int>(lines.size())};
    int row = 0;
    for (size_t l = 0;; ++l) {
      const std::vector<int>& rows = lines[l];
      if (D.Row <= row + static_cast<int>(rows.size())) {
        const int r = D.Row - row - 1;
        const bool last = r == static_cast<int>(rows.size()) - 1;
        int ch = std::min(D.Column, last ? width + 1 : rows[size_t(r)] + 1);
        for (int k = 0; k < r; ++k) ch += rows[size_t(k)];
        return {ch, static_cast<int>(l) + 1};
      }
      row += static_cast<int>(rows.size());
    }
  }
};

TTxtWrapRules RulesOf(int Width, int TabWidth, TTxtCharSet Ident) {
  TTxtWrapRules r{std::min(Width, 255),
                  std::max(std::min(Width, 255) - std::min(Width, 255) / 3, 1),
                  TabWidth,
                  {},
                  TxtEditLeadByteTest()};
  for (int c = 0; c < 256; ++c) r.BreakChars[c] = !Ident.Contains(static_cast<unsigned char>(c));
  return r;
}

TRowModel ModelOf(const std::vector<std::string>& Expanded, const TTxtWrapRules& Rules) {
  TRowModel m;
  m.width = Rules.MaxRowLength;
  for (const std::string& line : Expanded) {
    std::vector<uint8_t> rows;
    TxtWrapLine(line, Rules, rows);
    m.lines.emplace_back(rows.begin(), rows.end());
  }
  return m;
}

// The plug-in's rows are the model's, and positions convert as the model converts them: at
// line starts and ends, in the middle of rows, beyond the last line and far right of rows.
void ExpectModel(ITxtEditBufferPlugin& W, const TRowModel& M, std::mt19937& Rng, const std::string& What) {
  ASSERT_EQ(W.RowCount(), M.RowCount()) << What;
  ASSERT_EQ(AllRows(W), M.All()) << What;
  const int lines = static_cast<int>(M.lines.size()), rows = M.RowCount();
  for (int k = 0; k < 60; ++k) {
    const TBufferCoord b{1 + static_cast<int>(Rng() % 400), 1 + static_cast<int>(Rng() % size_t(lines + 3))};
    ASSERT_EQ(W.BufferToDisplayPos(b), M.ToDisplay(b)) << What << " char " << b.Char << " line " << b.Line;
    const TDisplayCoord d{1 + static_cast<int>(Rng() % size_t(M.width + 40)),
                          1 + static_cast<int>(Rng() % size_t(rows + 3))};
    ASSERT_EQ(W.DisplayToBufferPos(d), M.ToBuffer(d)) << What << " column " << d.Column << " row " << d.Row;
  }
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
  // Blanks that break nothing (a highlighter's word characters) still hang at the end of the row
  // that a break before them ends: the next row starts with the word.
  TTxtWrapRules rules{10, 7, 8, {}, nullptr};
  rules.BreakChars[int('-')] = true;
  std::vector<uint8_t> rows;
  TxtWrapLine("abcdefgh- jklmnop", rules, rows);
  EXPECT_EQ(std::vector<int>(rows.begin(), rows.end()), (std::vector<int>{10, 7}));
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

// Thousands of wrapped lines, many blocks of them, each put line starting or stopping to wrap
// (as a replacement's deletion and insertion make it) or changing its rows: the rows and the
// positions are those of a fresh wrap after every change.
TEST(WordWrap, LinesThatStartOrStopWrappingAmongManyKeepAFreshWrap) {
  std::mt19937 rng(2027);
  TFakeSource src;
  auto line = [&] { return L(rng() % 4 == 0 ? 5 : 11 + int(rng() % 40), "ab -"[rng() % 4]); };
  for (int i = 0; i < 3000; ++i) src.lines.push_back(line());
  TTxtWordWrapPlugin w(src);
  for (int step = 0; step < 400; ++step) {
    const int at = int(rng() % src.lines.size());
    const int before = w.RowCount();
    src.lines[size_t(at)] = step % 5 == 0 ? L(2600) : line();
    const int delta = w.LinesPutted(at, 1);
    ASSERT_EQ(w.RowCount() - before, delta) << step;
    if (step % 20 != 19) continue;
    TTxtWordWrapPlugin fresh(src);
    ASSERT_EQ(AllRows(w), AllRows(fresh)) << step;
    for (int k = 0; k < 50; ++k) {
      const TBufferCoord p{1 + int(rng() % 12), 1 + int(rng() % src.lines.size())};
      ASSERT_EQ(w.BufferToDisplayPos(p), fresh.BufferToDisplayPos(p)) << step;
      const TDisplayCoord d{1 + int(rng() % 8), 1 + int(rng() % size_t(fresh.RowCount()))};
      ASSERT_EQ(w.DisplayToBufferPos(d), fresh.DisplayToBufferPos(d)) << step;
    }
  }
}

// Lines that fit take one row from their known length, without their text: the rows must be
// those of the same lines wrapped from the text.
struct TKnownLengthSource : TFakeSource {
  int ExpandedLength(int Index) override { return static_cast<int>(lines[size_t(Index)].size()); }
};

TEST(WordWrap, KnownLengthsGiveTheRowsOfTheText) {
  for (int width : {10, 300}) {
    TFakeSource plain;
    TKnownLengthSource known;
    plain.lines = known.lines = {"", L(9), L(10), L(11), "ab cd ef gh ij", L(255), L(256), L(600)};
    plain.width = known.width = width;
    TTxtWordWrapPlugin fromText(plain), fromLengths(known);
    EXPECT_EQ(AllRows(fromLengths), AllRows(fromText)) << width;
  }
}

namespace {

// A line of letters, breaks, blanks and tabs: one in Kinds of thousands of characters (hundreds
// of rows), two in Kinds of up to 300, the others within 4 characters of Width.
std::string FuzzedLine(std::mt19937& Rng, int Width, unsigned Kinds) {
  const unsigned kind = Rng() % Kinds;
  const size_t length = kind == 0  ? 2600 + Rng() % 3000
                        : kind < 3 ? Rng() % 300
                                   : size_t(std::max(0, Width + int(Rng() % 9) - 4));
  std::string s(length, 'a');
  for (char& c : s) c = "aaab- \t"[Rng() % 7];
  return s;
}

}  // namespace

// Random lines around the width, some of hundreds of rows (more than a byte counts), lines
// coming and going in every way: the tables hold only the lines of several rows, and every
// row and position is the model's, whether the lengths are known beforehand or not.
TEST(WordWrap, FuzzedEditsKeepTheRowsAndPositionsOfTheModel) {
  std::mt19937 rng(4141);
  auto line = [&](int Width) { return FuzzedLine(rng, Width, 20); };
  for (int round = 0; round < 24; ++round) {
    TFakeSource plain;
    TKnownLengthSource known;
    TFakeSource& src = round % 2 ? static_cast<TFakeSource&>(known) : plain;
    src.width = round % 3 == 0 ? 1 + int(rng() % 12) : 8 + int(rng() % 80);
    for (int i = 0, n = int(rng() % 200); i < n; ++i) src.lines.push_back(line(src.width));
    TTxtWordWrapPlugin w(src);
    auto model = [&] { return ModelOf(src.lines, RulesOf(src.width, 8, TxtDefaultIdentChars())); };
    const std::string what = "round " + std::to_string(round);
    ASSERT_NO_FATAL_FAILURE(ExpectModel(w, model(), rng, what + " wrapped"));
    for (int step = 0; step < 40; ++step) {
      const int n = w.LineCount(), at = int(rng() % size_t(n + 1)), k = 1 + int(rng() % 6);
      const int before = w.RowCount();
      int delta = 0;
      const unsigned op = rng() % 7;
      if (op < 2) {
        for (int i = 0; i < k; ++i) src.lines.insert(src.lines.begin() + at, line(src.width));
        delta = w.LinesInserted(at, k);
      } else if (op < 4 && at + k <= n) {
        src.lines.erase(src.lines.begin() + at, src.lines.begin() + at + k);
        delta = -w.LinesDeleted(at, k);
      } else if (op < 6 && at + k <= n) {
        for (int i = at; i < at + k; ++i) src.lines[size_t(i)] = line(src.width);
        delta = w.LinesPutted(at, k);
      } else if (op == 6) {
        src.width = 1 + int(rng() % 100);
        w.DisplayChanged();
        delta = w.RowCount() - before;
      }
      const std::string when = what + " step " + std::to_string(step);
      ASSERT_EQ(w.RowCount() - before, delta) << when;
      const TRowModel m = model();
      ASSERT_NO_FATAL_FAILURE(ExpectModel(w, m, rng, when));
      int wrapped = 0, stored = 0;
      for (const auto& rows : m.lines)
        if (rows.size() > 1) ++wrapped, stored += static_cast<int>(rows.size()) - 1;
      ASSERT_EQ(w.WrappedLineCount(), wrapped) << when;
      ASSERT_EQ(w.StoredRowCount(), stored) << when;
    }
  }
}

// Edits inside an update, most of them puts that change the rows of lines near the width, some
// lines of hundreds of rows, lines inserted and deleted among those kept aside, the width
// changed: every row and position is the model's in the middle of the update, a run of puts
// leaves the tables as they were, and when the update ends they hold exactly the lines of
// several rows again.
TEST(WordWrap, EditsInsideAnUpdateKeepThePositionsAndSettleWhenItEnds) {
  std::mt19937 rng(5151);
  auto line = [&](int Width) { return FuzzedLine(rng, Width, 30); };
  size_t mostAside = 0;
  for (int round = 0; round < 16; ++round) {
    TFakeSource plain;
    TKnownLengthSource known;
    TFakeSource& src = round % 2 ? static_cast<TFakeSource&>(known) : plain;
    src.width = round % 4 == 0 ? 1 + int(rng() % 12) : 8 + int(rng() % 80);
    for (int i = 0, n = 150 + int(rng() % 300); i < n; ++i) src.lines.push_back(line(src.width));
    TTxtWordWrapPlugin w(src);
    auto model = [&] { return ModelOf(src.lines, RulesOf(src.width, 8, TxtDefaultIdentChars())); };
    const std::string what = "round " + std::to_string(round);
    w.BeginUpdate();
    int wrapped = w.WrappedLineCount(), stored = w.StoredRowCount();
    for (int step = 0; step < 150; ++step) {
      const int n = w.LineCount(), at = int(rng() % size_t(n)), k = 1 + int(rng() % 3);
      const int before = w.RowCount();
      // A line after the change, asked for before it and after it.
      const TBufferCoord probe{1, std::min(n, at + k + 1 + int(rng() % 4))};
      w.BufferToDisplayPos(probe);
      const unsigned op = rng() % 30;
      int delta = 0;
      if (op == 0) {
        for (int i = 0; i < k; ++i) src.lines.insert(src.lines.begin() + at, line(src.width));
        delta = w.LinesInserted(at, k);
      } else if (op == 1 && at + k < n) {
        src.lines.erase(src.lines.begin() + at, src.lines.begin() + at + k);
        delta = -w.LinesDeleted(at, k);
      } else if (op == 2 && round % 3 == 0) {
        src.width = 1 + int(rng() % 100);
        w.DisplayChanged();
        delta = w.RowCount() - before;
      } else if (at + k <= n) {
        for (int i = at; i < at + k; ++i) src.lines[size_t(i)] = line(src.width);
        delta = w.LinesPutted(at, k);
        ASSERT_EQ(w.WrappedLineCount(), wrapped) << what << " step " << step << ": the tables moved";
        ASSERT_EQ(w.StoredRowCount(), stored) << what << " step " << step << ": the tables moved";
      }
      wrapped = w.WrappedLineCount();
      stored = w.StoredRowCount();
      mostAside = std::max(mostAside, size_t(w.AsideLineCount()));
      const std::string when = what + " step " + std::to_string(step);
      ASSERT_EQ(w.RowCount() - before, delta) << when;
      if (probe.Line <= w.LineCount()) {
        ASSERT_EQ(w.BufferToDisplayPos(probe), model().ToDisplay(probe)) << when << " line " << probe.Line;
      }
      if (op < 3 || step % 10 == 9) {
        ASSERT_NO_FATAL_FAILURE(ExpectModel(w, model(), rng, when));
      }
    }
    // The last line's place, asked for just before the tables take the lines aside and after.
    const TBufferCoord last{1, w.LineCount()};
    const TDisplayCoord shown = w.BufferToDisplayPos(last);
    w.EndUpdate();
    EXPECT_EQ(w.AsideLineCount(), 0) << what;
    EXPECT_EQ(w.BufferToDisplayPos(last), shown) << what;
    const TRowModel m = model();
    ASSERT_NO_FATAL_FAILURE(ExpectModel(w, m, rng, what + " settled"));
    int wrappedLines = 0, storedRows = 0;
    for (const auto& rows : m.lines)
      if (rows.size() > 1) ++wrappedLines, storedRows += static_cast<int>(rows.size()) - 1;
    ASSERT_EQ(w.WrappedLineCount(), wrappedLines) << what;
    ASSERT_EQ(w.StoredRowCount(), storedRows) << what;
  }
  // Enough lines were aside at once for their sums to be kept in a tree and merged in one pass.
  EXPECT_GT(mostAside, size_t(16));
}

// More lines change their rows in one update than are kept aside: the tables take them in on
// the way, positions stay exact, and the rows end as a fresh wrap's.
TEST(WordWrap, AnUpdateOfMoreLinesThanAreKeptAsideSettlesOnTheWay) {
  TFakeSource src;
  src.lines.assign(70000, L(9));
  TTxtWordWrapPlugin w(src);
  w.BeginUpdate();
  for (int i = 0; i < 70000; ++i) {
    src.lines[size_t(i)] = L(11);
    ASSERT_EQ(w.LinesPutted(i, 1), 1) << i;
  }
  EXPECT_LT(w.AsideLineCount(), 70000);
  EXPECT_EQ(w.RowCount(), 140000);
  EXPECT_EQ(w.BufferToDisplayPos({11, 70000}), (TDisplayCoord{1, 140000}));
  EXPECT_EQ(w.DisplayToBufferPos({1, 139999}), (TBufferCoord{1, 70000}));
  w.EndUpdate();
  TTxtWordWrapPlugin fresh(src);
  EXPECT_EQ(AllRows(w), AllRows(fresh));
}

// The lines with tabs expanded as the buffer's width expands them, worked out apart from it.
std::vector<std::string> ExpandedLines(TTxtEdit& E) {
  std::vector<std::string> out;
  const int width = E.Lines()->TabWidth();
  for (int i = 0; i < E.Lines()->Count(); ++i) {
    std::string x;
    for (char c : std::string(E.Lines()->Strings(i))) {
      if (c != '\t')
        x.push_back(c);
      else if (width < 2)
        x.push_back(' ');
      else
        x.append(size_t(width) - x.size() % size_t(width), '\t');
    }
    out.push_back(x);
  }
  return out;
}

// A text loaded with wrap on, its widths recorded while it is split: random lines around the
// wrap width with tabs anywhere, then edits of every kind. The rows are those of a fresh wrap
// of the same text and of the rules applied to each line's expansion, and positions convert
// as the model converts them.
TEST(EditWrap, FuzzedLoadsAndEditsKeepTheRowsOfAFreshWrap) {
  TEditorHost host;
  TTxtEdit& e = host.Edit();
  e.SetBounds(0, 0, e.GutterWidth() + 2 + 24 * e.CharWidth(), host.Height());
  e.SetWordWrap(true);
  const int width = e.CharsInWindow();
  ASSERT_GT(width, 10);
  std::mt19937 rng(4142);
  auto line = [&] {
    const unsigned kind = rng() % 25;
    const size_t length = kind == 0 ? 6200 + rng() % 200 : kind < 3 ? rng() % 200 : size_t(width) + rng() % 13 - 6;
    std::string s(length, 'a');
    for (char& c : s) c = "aaaaxy  -\t"[rng() % 10];
    return s;
  };
  auto check = [&](const std::string& What) {
    ITxtEditBufferPlugin& w = *e.WordWrapPlugin();
    TTxtWordWrapPlugin fresh(&e);
    ASSERT_EQ(AllRows(w), AllRows(fresh)) << What;
    const TRowModel m = ModelOf(ExpandedLines(e), RulesOf(width, e.Lines()->TabWidth(), e.IdentChars()));
    ASSERT_NO_FATAL_FAILURE(ExpectModel(w, m, rng, What));
  };
  for (int round = 0; round < 30; ++round) {
    e.SetTabWidth(1 + int(rng() % 9));
    std::string text;
    for (int i = 0, n = 1 + int(rng() % 300); i < n; ++i) text += line() + (rng() % 4 ? "\r\n" : "\n");
    if (rng() % 2) text += line();
    TStringStream stream(text);
    e.Lines()->LoadFromStream(&stream);
    const std::string what = "round " + std::to_string(round);
    ASSERT_NO_FATAL_FAILURE(check(what + " loaded"));
    TTxtEditStringList& lines = *e.Lines();
    for (int step = 0; step < 20; ++step) {
      const int n = lines.Count(), at = int(rng() % size_t(n + 1)), k = 1 + int(rng() % 4);
      switch (rng() % 7) {
        case 0: lines.Insert(at, line()); break;
        case 1: lines.InsertText(at, line() + "\r\n" + line() + "\n" + line()); break;
        case 2:
          if (at < n) lines.SetStrings(at, line());
          break;
        case 3: lines.DeleteLines(std::min(at, std::max(n - 1, 0)), k); break;
        case 4:
          if (at < n && n > 1) lines.Exchange(at, int(rng() % size_t(n)));
          break;
        case 5: e.SetTabWidth(1 + int(rng() % 9)); break;
        default:
          // Typing and a replacement across lines, through the editor's own commands.
          Select(e, {1 + int(rng() % 40), 1 + int(rng() % size_t(std::max(n, 1)))},
                 {1 + int(rng() % 40), 1 + int(rng() % size_t(std::max(n, 1)))});
          e.SetSelText(line() + "\r\n" + line());
          Type(e, "ab\tc d");
      }
      ASSERT_NO_FATAL_FAILURE(check(what + " step " + std::to_string(step)));
    }
  }
}

// A load tells the editor of its lines in one report: the editor ends as adding them one by
// one leaves it, its scroll width grown to the longest line (not only the first), every line's
// highlighter state scanned and every row wrapped.
TEST(EditWrap, ALoadLeavesTheEditorAsAddingItsLinesOneByOneWould) {
  TTestHighlighter highlighter(nullptr);
  std::vector<AnsiString> lines = {"short", "a /* comment", Words(40), AnsiString(3000, 'x'), "end */ b", ""};
  AnsiString text;
  for (const AnsiString& line : lines) text += (text.empty() ? "" : "\r\n") + line;
  TEditorHost loadedHost, addedHost;
  TTxtEdit &loaded = loadedHost.Edit(), &added = addedHost.Edit();
  for (TTxtEdit* e : {&loaded, &added}) {
    e->SetOptions(e->Options() + eoScrollPastEol + eoAutoSizeMaxScrollWidth);
    e->SetHighlighter(&highlighter);
    e->SetWordWrap(true);
  }
  TStringStream stream(text);
  loaded.Lines()->LoadFromStream(&stream);
  for (const AnsiString& line : lines) added.Lines()->Add(line);
  // The final break gives the loaded text its empty last line.
  EXPECT_EQ(loaded.TextA(), added.TextA());
  EXPECT_EQ(loaded.MaxScrollWidth(), 3000);
  EXPECT_EQ(added.MaxScrollWidth(), 3000);
  EXPECT_EQ(AllRows(*loaded.WordWrapPlugin()), AllRows(*added.WordWrapPlugin()));
  for (int i = 0; i < loaded.Lines()->Count(); ++i)
    EXPECT_EQ(loaded.Lines()->GetRange(i), added.Lines()->GetRange(i)) << "line " << i;
  EXPECT_EQ(loaded.Lines()->GetRange(3), reinterpret_cast<void*>(intptr_t(1)));  // inside the comment
  for (TTxtEdit* e : {&loaded, &added}) e->SetHighlighter(nullptr);
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
  // A drop ends as a caret move selecting it; grouped, it joins the typing before, not after.
  struct TCommandLog {
    void Processed(TObject*, TTxtEditorCommand& Command, char&, void*) { commands.push_back(Command); }
    std::vector<TTxtEditorCommand> commands;
  } log;
  b.OnCommandProcessed = TProcessCommandEvent(&log, &TCommandLog::Processed);
  for (const bool grouping : {true, false}) {
    SCOPED_TRACE(grouping);
    b.SetOptions(grouping ? b.Options() + eoGroupUndo : b.Options() - eoGroupUndo);
    b.SetTextA("xyz");
    b.SetCaretXY({4, 1});
    Type(b, "q");
    log.commands.clear();
    EXPECT_EQ(Drag(a, b, {2, 1}), "xbeta yzq");
    EXPECT_EQ(log.commands, std::vector<TTxtEditorCommand>{ecSelGotoXY});
    EXPECT_EQ(b.SelText(), "beta ");
    EXPECT_EQ(b.CaretXY(), (TBufferCoord{2, 1}));
    EXPECT_EQ(Drag(a, b, {1, 1}, 0, 0x80), "beta xbeta yzq");
    EXPECT_EQ(a.TextA(), "alpha gamma\r\nsecond line");
    EXPECT_EQ(TextAfterUndo(b), "xbeta yzq");
    EXPECT_EQ(TextAfterUndo(b), grouping ? "xyz" : "xyzq");
    EXPECT_EQ(TextAfterUndo(a), text);
  }
  b.SetReadOnly(true);
  EXPECT_EQ(Drag(a, b, {1, 1}, 0, 0x80), "xyzq");
  EXPECT_EQ(a.TextA(), text);
}

TEST(EditWrap, ADisplayPositionRightOfARowsEndKeepsTheCaretOnThatRow) {
  TEditorHost host;
  TTxtEdit& e = host.Edit();
  e.SetBounds(0, 0, e.GutterWidth() + 2 + 10 * e.CharWidth(), host.Height());
  e.SetOptions(e.Options() - eoScrollPastEol);
  e.SetTextA("aaaa bbbb cccc\r\nxy");
  e.SetWordWrap(true);
  ASSERT_EQ(e.WordWrapPlugin()->GetRowLength(1), 10);
  struct TCase {
    TDisplayCoord at;
    TBufferCoord caret;
    TDisplayCoord shown;
    bool atEol;
  };
  const TCase cases[] = {
      {{3, 1}, {3, 1}, {3, 1}, false},    // inside a row
      {{11, 1}, {11, 1}, {11, 1}, true},  // just past the first row's end
      {{30, 1}, {11, 1}, {11, 1}, true},  // far right of it
      {{1, 2}, {11, 1}, {1, 2}, false},   // the start of the next row: the same buffer position
      {{30, 2}, {15, 1}, {5, 2}, false},  // right of a line's last row stays on it
      {{9, 3}, {3, 2}, {3, 3}, false},    // the next line
  };
  for (const TCase& c : cases) {
    e.SetInternalDisplayXY(c.at);
    EXPECT_EQ(e.CaretXY(), c.caret) << c.at.Column << "," << c.at.Row;
    EXPECT_EQ(e.DisplayXY(), c.shown) << c.at.Column << "," << c.at.Row;
    EXPECT_EQ(e.CaretAtEOL(), c.atEol) << c.at.Column << "," << c.at.Row;
    EXPECT_EQ(e.LastCaretX(), c.shown.Column) << c.at.Column << "," << c.at.Row;
  }
  // Without word wrap the display position is simply the buffer position.
  e.SetWordWrap(false);
  e.SetInternalDisplayXY({3, 2});
  EXPECT_EQ(e.CaretXY(), (TBufferCoord{3, 2}));
  EXPECT_FALSE(e.CaretAtEOL());
}

// A row's end is the next row's start: a sideways move across it only changes where the caret shows.
TEST(EditWrap, SidewaysMovesAtARowsEndOnlyChangeWhereTheCaretShows) {
  TEditorHost host("aaaa bbbb cccc dddd eeee");
  TTxtEdit& e = host.Edit();
  e.SetBounds(0, 0, e.GutterWidth() + 2 + 10 * e.CharWidth(), host.Height());
  e.SetOptions(e.Options() - eoScrollPastEol);
  e.SetWordWrap(true);
  ASSERT_EQ(e.CharsInWindow(), 10);
  // From the end of row 1 or the start of row 2: the caret, at its row's end, and shown where.
  const std::tuple<TTxtEditorCommand, bool, TBufferCoord, bool, TDisplayCoord> cases[] = {
      {ecRight, true, {11, 1}, false, {1, 2}},        {ecPageRight, true, {11, 1}, false, {1, 2}},
      {ecLeft, false, {11, 1}, true, {11, 1}},        {ecPageLeft, false, {11, 1}, true, {11, 1}},
      {ecLeft, true, {10, 1}, false, {10, 1}},        {ecPageRight, false, {21, 1}, true, {11, 2}},
      {ecSelPageRight, true, {11, 1}, false, {1, 2}},
  };
  for (const auto& [command, atEolBefore, caret, atEol, shown] : cases) {
    SCOPED_TRACE(testing::Message() << command << (atEolBefore ? " from the end of row 1" : " from row 2"));
    e.SetCaretXY({1, 1});
    e.SetInternalDisplayXY(atEolBefore ? TDisplayCoord{11, 1} : TDisplayCoord{1, 2});
    ASSERT_EQ(e.CaretXY(), (TBufferCoord{11, 1}));
    ASSERT_EQ(e.CaretAtEOL(), atEolBefore);
    Cmd(e, command);
    EXPECT_EQ(e.CaretXY(), caret);
    EXPECT_EQ(e.CaretAtEOL(), atEol);
    EXPECT_EQ(e.DisplayXY(), shown);
  }
}

// A replace-all whose replacements break lines and change the rows of the lines they leave, in
// a 9-column editor: each replacement puts its line aside inside the command's update and
// inserts lines next to it. The rows end as a fresh wrap's, and so do they after undo and redo.
TEST(EditWrap, AReplaceAllThatBreaksLinesKeepsTheRowsOfAFreshWrap) {
  const struct {
    const char* Find;
    const char* With;
    bool Backwards;
  } cases[] = {
      {"b", "\r\nxxxxxxxxxxxx\r\n", true},
      {"b", "\r\nxxxxxxxxxxxx\r\n", false},
      {"bb", "\r\n", true},
      {"bb", "\r\n", false},
      {"a", "yyyyyyyyy\r\n", true},
      {"c", "\r\n\r\n", true},
  };
  TEditorHost host;
  TTxtEdit& e = host.Edit();
  e.SetBounds(0, 0, e.GutterWidth() + 2 + 9 * e.CharWidth(), host.Height());
  e.SetWordWrap(true);
  ASSERT_EQ(e.CharsInWindow(), 9);
  TTxtEditSearch engine(nullptr);
  e.SetSearchEngine(&engine);
  AnsiString text;
  for (int i = 0; i < 30; ++i) text += AnsiString(size_t(i % 4), 'a') + "bb cc" + L(i % 23, 'c') + "bb a\r\n";
  for (const auto& c : cases) {
    const std::string what = std::string(c.Find) + (c.Backwards ? " backwards" : " forwards");
    e.SetTextA(text);
    const AnsiString loaded = e.TextA();
    TSearchReplaceOptions options{srReplace, srReplaceAll, srEntireScope};
    if (c.Backwards) options << srBackwards;
    ASSERT_GT(e.SearchReplace(c.Find, c.With, options), 30) << what;
    ExpectFreshRows(e, (what + ", replaced").c_str());
    e.Undo();
    ASSERT_EQ(e.TextA(), loaded) << what;
    ExpectFreshRows(e, (what + ", undone").c_str());
    e.Redo();
    ExpectFreshRows(e, (what + ", redone").c_str());
  }
  e.SetSearchEngine(nullptr);
}
