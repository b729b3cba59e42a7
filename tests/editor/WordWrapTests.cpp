// Word wrap: where lines break into rows, the conversions between buffer and display positions,
// and the row tables kept in step with inserted, deleted and changed lines.
#include <gtest/gtest.h>

#include <random>

#include "editor/TxtEdit.h"
#include "editor/TxtEditWordWrap.h"
#include "tests/editor/EditTestSupport.h"
#include "tests/editor/EditingTestSupport.h"

namespace {

// Lines given as already expanded text, and a width.
struct TFakeSource : ITxtWrapSource {
  std::vector<std::string> lines;
  int width = 10;
  int tabWidth = 8;
  int LineCount() override { return static_cast<int>(lines.size()); }
  std::string_view ExpandedLine(int Index, AnsiString&) override { return lines[size_t(Index)]; }
  int CharsInWindow() override { return width; }
  int TabWidth() override { return tabWidth; }
  TTxtCharSet IdentChars() override {
    TTxtCharSet s;
    for (int c = 33; c < 256; ++c) s.Include(static_cast<unsigned char>(c));
    s.Exclude('-');
    return s;
  }
};

std::vector<int> Rows(const std::string& S, int Width, int TabWidth = 8, TTxtLeadByteTest Lead = nullptr) {
  TTxtWrapRules r;
  r.MaxRowLength = Width;
  r.MinRowLength = std::max(Width - Width / 3, 1);
  r.TabWidth = TabWidth;
  r.LeadByte = Lead;
  for (int c = 0; c <= 32; ++c) r.BreakChars[c] = true;
  r.BreakChars[int('-')] = true;
  std::vector<uint8_t> rows;
  const int n = TxtWrapLine(S, r, rows);
  EXPECT_EQ(n, static_cast<int>(rows.size()));
  return {rows.begin(), rows.end()};
}

std::vector<int> AllRows(TTxtWordWrapPlugin& w) {
  std::vector<int> r;
  for (int i = 1; i <= w.RowCount(); ++i) r.push_back(w.GetRowLength(i));
  return r;
}

bool Lead81(unsigned char c) { return c >= 0x81 && c <= 0x9F; }

const std::string L(int n, char c = 'a') { return std::string(size_t(n), c); }

}  // namespace

TEST(WordWrap, BreakRules) {
  const std::string tab(8, '\t');
  struct Case {
    std::string text;
    int width;
    std::vector<int> rows;
  } cases[] = {
      {"aaaa bbbb cccc", 10, {10, 4}},        // the break after the blank at 9
      {"aa " + L(13), 10, {10, 6}},           // a blank before MinRowLength is not used
      {L(10) + "   bbb", 10, {13, 3}},        // blanks hang at the row's end
      {L(25), 10, {10, 10, 5}},               // hard cuts
      {"", 10, {0}},                          // an empty line is one empty row
      {L(10), 10, {10}},                      // exactly the width: one row
      {"abcdefgh-ijkl", 10, {9, 4}},          // a non-identifier character breaks after itself
      {"a" + L(300, ' ') + "b", 10, {255, 46, 1}},  // a blank run is cut at 255
      {"ab cd", 1, {1, 2, 1, 1}},             // width 1: every row one character but the blank's
      {L(300), 255, {255, 45}},
  };
  for (const Case& c : cases) EXPECT_EQ(Rows(c.text, c.width), c.rows) << c.text.size() << " w" << c.width;
}

TEST(WordWrap, TabFillStepsBackToATabStop) {
  // "x" then tabs to column 320 with width 100: the blank run passes 255 and steps back to the
  // stop at 248 (255 - 255 mod 8) rather than cutting a tab's fill.
  const std::string s = "x" + std::string(319, '\t') + "y";
  EXPECT_EQ(Rows(s, 100), (std::vector<int>{248, 73}));
}

TEST(WordWrap, EveryRowAdvancesEvenWhereTheTextWouldStall) {
  // A tab 256 wide leaves no stop to step back to; width 1 with a double-byte character
  // would step back onto the row's start. Both once gave rows of length 0 forever.
  EXPECT_EQ(Rows("x" + std::string(255, '\t'), 10, 256), (std::vector<int>{255, 1}));
  EXPECT_EQ(Rows(std::string(256, '\t'), 10, 256), (std::vector<int>{255, 1}));
  EXPECT_EQ(Rows("\x81" "a" "\x82" "b", 1, 8, Lead81), (std::vector<int>{2, 2}));
  // A wider row steps back off the trail byte so that the character moves whole.
  EXPECT_EQ(Rows("abc\x81" "de", 4, 8, Lead81), (std::vector<int>{3, 3}));
  // Tab width 128 gives rows of 128, shorter than MinRowLength: the tables still grow.
  TFakeSource src;
  src.width = 255;
  src.tabWidth = 128;
  src.lines.assign(40, "z" + std::string(2000, '\t'));
  TTxtWordWrapPlugin w(src);
  EXPECT_EQ(w.RowCount(), 40 * 15);
  for (int i = 1; i <= w.RowCount(); ++i) ASSERT_GT(w.GetRowLength(i), 0);
}

TEST(WordWrap, FuzzedLinesAlwaysCoverTheirText) {
  std::mt19937 rng(1402);
  const char alphabet[] = "ab -\t\x81\x82";
  for (int n = 0; n < 3000; ++n) {
    std::string s(rng() % 700, 'a');
    for (char& c : s) c = alphabet[rng() % 7];
    const int width = 1 + int(rng() % 300 % 255);
    const int tab = 1 + int(rng() % 256);
    size_t sum = 0;
    for (int len : Rows(s, width, tab, rng() % 2 ? Lead81 : nullptr)) {
      ASSERT_TRUE(len > 0 || s.empty());
      ASSERT_LE(len, 255);
      sum += size_t(len);
    }
    ASSERT_EQ(sum, s.size());
  }
}

TEST(WordWrap, PluginSettingsAndConversions) {
  TFakeSource src;
  src.lines = {"aaaa bbbb cccc", "", L(25)};
  TTxtWordWrapPlugin w(src);
  EXPECT_EQ(w.MaxRowLength(), 10);
  EXPECT_EQ(w.MinRowLength(), 7);
  EXPECT_EQ(AllRows(w), (std::vector<int>{10, 4, 0, 10, 10, 5}));
  struct {
    TBufferCoord b;
    TDisplayCoord d;
  } pairs[] = {{{1, 1}, {1, 1}}, {{10, 1}, {10, 1}}, {{11, 1}, {1, 2}}, {{15, 1}, {5, 2}},
               {{20, 1}, {10, 2}}, {{1, 2}, {1, 3}}, {{21, 3}, {1, 6}}, {{3, 5}, {3, 8}}};
  for (const auto& p : pairs) EXPECT_EQ(w.BufferToDisplayPos(p.b), p.d) << p.b.Char << "," << p.b.Line;
  for (const auto& p : pairs) {
    if (p.b.Char > 15 && p.b.Line == 1) continue;  // past the line's last row: clamped
    EXPECT_EQ(w.DisplayToBufferPos(p.d), p.b) << p.d.Column << "," << p.d.Row;
  }
  // Far right of a middle row: the next row's start; of a line's last row: the width + 1.
  EXPECT_EQ(w.DisplayToBufferPos({40, 1}), (TBufferCoord{11, 1}));
  EXPECT_EQ(w.DisplayToBufferPos({40, 2}), (TBufferCoord{21, 1}));
  EXPECT_EQ(w.DisplayToBufferPos({40, 4}), (TBufferCoord{11, 3}));
  EXPECT_THROW(w.GetRowLength(0), EListError);
  EXPECT_THROW(w.GetRowLength(7), EListError);
  EXPECT_THROW(w.BufferToDisplayPos({0, 1}), EAssertionFailed);
  EXPECT_THROW(w.DisplayToBufferPos({1, 0}), EAssertionFailed);
  // A width past 255 wraps at 255; a zero width wraps nothing.
  src.width = 300;
  w.DisplayChanged();
  EXPECT_EQ(w.MaxRowLength(), 255);
  src.width = 0;
  w.DisplayChanged();
  EXPECT_EQ(w.RowCount(), 0);
  EXPECT_EQ(w.LinesInserted(9, 1), 0);
  EXPECT_EQ(w.DisplayToBufferPos({4, 2}), (TBufferCoord{4, 2}));
  src.width = -1;
  EXPECT_THROW(w.DisplayChanged(), EAssertionFailed);
}

TEST(WordWrap, IncrementalChangesMatchAFullWrap) {
  TFakeSource src;
  src.lines = {L(25), "a", "bb cc", L(12)};
  TTxtWordWrapPlugin w(src);
  auto check = [&](const char* what) {
    TTxtWordWrapPlugin fresh(src);
    EXPECT_EQ(AllRows(w), AllRows(fresh)) << what;
    EXPECT_EQ(w.LineCount(), fresh.LineCount()) << what;
    for (int line = 1; line <= w.LineCount(); ++line)
      EXPECT_EQ(w.BufferToDisplayPos({1, line}), fresh.BufferToDisplayPos({1, line})) << what;
  };
  src.lines.insert(src.lines.begin() + 1, {L(31), "", "x"});
  EXPECT_EQ(w.LinesInserted(1, 3), 4 + 1 + 1);
  check("insert before the end");
  src.lines.push_back(L(11));
  EXPECT_EQ(w.LinesInserted(7, 1), 2);
  check("insert at the end");
  src.lines[0] = "a";
  EXPECT_EQ(w.LinesPutted(0, 1), -2);
  src.lines[2] = L(40);
  EXPECT_EQ(w.LinesPutted(2, 1), 3);
  check("put");
  src.lines.erase(src.lines.begin() + 1, src.lines.begin() + 3);
  EXPECT_EQ(w.LinesDeleted(1, 2), 4 + 4);
  check("delete inside");
  src.lines.resize(3);
  w.LinesDeleted(3, 3);
  check("delete the last lines");
  EXPECT_THROW(w.LinesDeleted(2, 5), EAssertionFailed);
  EXPECT_THROW(w.LinesInserted(9, 1), EAssertionFailed);
  EXPECT_THROW(w.LinesPutted(0, 0), EAssertionFailed);
  check("after refused changes");
}

TEST(WordWrap, TablesGrowInSteps) {
  TFakeSource src;
  src.lines.assign(256, "ab");
  TTxtWordWrapPlugin w(src);
  EXPECT_EQ(w.LineCapacity(), 512);  // a request of a whole multiple gets one step more
  EXPECT_EQ(w.RowCapacity(), 512);
}

TEST(WordWrap, OnlyAnEditorOwnsThePlugin) {
  TComponent other(nullptr);
  try {
    TTxtWordWrapPlugin w(&other);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "TTxtWordWrapPlugin must be owned by TCustomTxtEdit");
  }
}

TEST(WordWrap, EveryRowMapsToItsLineAndBack) {
  std::mt19937 rng(7);
  for (int lines : {1, 2, 3, 5, 64, 1000}) {
    TFakeSource src;
    for (int i = 0; i < lines; ++i) src.lines.push_back(L(int(rng() % 45)));
    TTxtWordWrapPlugin w(src);
    int row = 0;
    for (int line = 1; line <= lines; ++line) {
      const int rows = std::max(1, (int(src.lines[size_t(line - 1)].size()) + 9) / 10);
      for (int k = 0; k < rows; ++k) {
        ++row;
        ASSERT_EQ(w.DisplayToBufferPos({1, row}), (TBufferCoord{1 + 10 * k, line})) << lines << " row " << row;
        ASSERT_EQ(w.BufferToDisplayPos({1 + 10 * k, line}), (TDisplayCoord{1, row}));
      }
    }
    EXPECT_EQ(w.RowCount(), row);
  }
}
