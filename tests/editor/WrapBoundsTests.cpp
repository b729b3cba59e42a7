// The bounds of word wrap: the shortest row a word break may leave (a break character exactly
// at the minimum row length ends the row after it, one column earlier it is not used), and a
// line whose row count passes what a byte holds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/TxtEditWordWrap.h"
#include "editor/TxtEditWords.h"

namespace {

struct TOneLine : ITxtWrapSource {
  std::string line;
  int width = 10;
  int LineCount() override { return 1; }
  std::string_view ExpandedLine(int, AnsiString&) override { return line; }
  int CharsInWindow() override { return width; }
  int TabWidth() override { return 8; }
  TTxtCharSet IdentChars() override { return TxtDefaultIdentChars(); }
};

std::vector<int> RowsOf(const std::string& Line, int Width) {
  TOneLine source;
  source.line = Line;
  source.width = Width;
  TTxtWordWrapPlugin wrap(source);
  std::vector<int> rows;
  for (int i = 1; i <= wrap.RowCount(); ++i) rows.push_back(wrap.GetRowLength(i));
  return rows;
}

}  // namespace

TEST(WordWrapBounds, ABreakExactlyAtTheShortestRowIsTheLastOneUsed) {
  for (int width : {4, 9, 10, 12, 30, 100, 255}) {
    // The plug-in's minimum row length; a break character after it ends the row after itself.
    const int shortest = width - width / 3;
    const int total = 2 * width + 5;
    for (int blank = 0; blank < width; ++blank) {
      std::string line(static_cast<size_t>(total), 'a');
      line[static_cast<size_t>(blank)] = ' ';
      const int first = blank >= shortest + 1 ? blank + 1 : width;
      EXPECT_EQ(RowsOf(line, width).front(), first) << "width " << width << ", blank at " << blank;
    }
  }
}

namespace {

struct TLines : ITxtWrapSource {
  std::vector<std::string> lines;
  int width = 10;
  int LineCount() override { return static_cast<int>(lines.size()); }
  std::string_view ExpandedLine(int Index, AnsiString&) override { return lines[static_cast<size_t>(Index)]; }
  int CharsInWindow() override { return width; }
  int TabWidth() override { return 8; }
  TTxtCharSet IdentChars() override { return TxtDefaultIdentChars(); }
};

// The plug-in's rows and positions against those of a fresh wrap of the same lines.
void ExpectAsFresh(TTxtWordWrapPlugin& Kept, TLines& Source, const std::string& What) {
  TTxtWordWrapPlugin fresh(Source);
  ASSERT_EQ(Kept.RowCount(), fresh.RowCount()) << What;
  for (int row = 1; row <= fresh.RowCount(); ++row)
    ASSERT_EQ(Kept.GetRowLength(row), fresh.GetRowLength(row)) << What << " row " << row;
  for (int line = 1; line <= Source.LineCount() + 1; ++line) {
    for (int ch : {1, 9, 10, 11, 2549, 2550, 2551, 2560, 2561, 2570, 2600}) {
      const TDisplayCoord d = fresh.BufferToDisplayPos({ch, line});
      ASSERT_EQ(Kept.BufferToDisplayPos({ch, line}), d) << What << " line " << line << " char " << ch;
      ASSERT_EQ(Kept.DisplayToBufferPos(d), fresh.DisplayToBufferPos(d)) << What << " line " << line << " char " << ch;
    }
  }
}

}  // namespace

// A row count is kept in a byte up to 255 rows past a line's first; from there on the line is a
// big one. An edited line that needs exactly 255, 256 or 257 rows, and back, keeps every row and
// position of a fresh wrap, and so do the lines after it.
TEST(WordWrapBounds, AnEditedLineOfExactly255Or256Rows) {
  TLines source;
  source.lines = {"first", "x", std::string(35, 'b'), "last"};
  TTxtWordWrapPlugin wrap(source);
  // Ten characters a row and no break characters: N rows take 10 * N characters.
  for (int rows : {255, 256, 257, 256, 255, 254, 1, 256, 3, 255}) {
    source.lines[1] = std::string(static_cast<size_t>(10 * rows), 'a');
    wrap.LinesPutted(1, 1);
    ASSERT_NO_FATAL_FAILURE(ExpectAsFresh(wrap, source, "edited to " + std::to_string(rows) + " rows"));
  }
  // Inserted and deleted whole, before and after another big line.
  for (int rows : {255, 256}) {
    source.lines.insert(source.lines.begin() + 1, std::string(static_cast<size_t>(10 * rows), 'c'));
    wrap.LinesInserted(1, 1);
    ASSERT_NO_FATAL_FAILURE(ExpectAsFresh(wrap, source, "inserted " + std::to_string(rows) + " rows"));
  }
  source.lines.erase(source.lines.begin() + 1);
  wrap.LinesDeleted(1, 1);
  ASSERT_NO_FATAL_FAILURE(ExpectAsFresh(wrap, source, "deleted"));
}

namespace {

// Lines of Rows rows each at ten characters a row, none with a break character.
std::string RowsLong(int Rows, char C = 'a') { return std::string(static_cast<size_t>(10 * Rows), C); }

}  // namespace

// Inside an update, lines whose rows changed are kept aside by their index; lines inserted or
// deleted at or before such a line move it. Whatever lines are aside, before, at or after the
// place of the insertion or deletion, the rows and positions stay those of a fresh wrap, during
// the update and after it.
TEST(WordWrapBounds, LinesInsertedOrDeletedAtALineKeptAside) {
  const struct {
    const char* Name;
    std::vector<int> Aside;  // the lines given other rows first
    bool Insert;
    int At, Count;
  } cases[] = {
      {"insert at the only line aside", {4}, true, 4, 1},
      {"insert at the last line aside", {1, 4}, true, 4, 2},
      {"insert at the first of two", {4, 7}, true, 4, 1},
      {"insert before the line aside", {4}, true, 3, 1},
      {"insert after the lines aside", {1, 4}, true, 5, 2},
      {"delete the only line aside", {4}, false, 4, 1},
      {"delete from the last line aside", {1, 4}, false, 4, 2},
      {"delete across a line aside", {4}, false, 3, 3},
      {"delete after the lines aside", {1, 4}, false, 5, 2},
      {"delete the line before the one aside", {5}, false, 4, 1},
  };
  for (const auto& c : cases) {
    TLines source;
    for (int i = 0; i < 10; ++i) source.lines.push_back(RowsLong(1 + i % 3, char('a' + i)));
    TTxtWordWrapPlugin wrap(source);
    wrap.BeginUpdate();
    for (int line : c.Aside) {
      source.lines[static_cast<size_t>(line)] = RowsLong(5 + line);
      wrap.LinesPutted(line, 1);
    }
    ASSERT_EQ(wrap.AsideLineCount(), static_cast<int>(c.Aside.size())) << c.Name;
    const auto at = source.lines.begin() + c.At;
    if (c.Insert) {
      source.lines.insert(at, static_cast<size_t>(c.Count), RowsLong(2, 'n'));
      wrap.LinesInserted(c.At, c.Count);
    } else {
      source.lines.erase(at, at + c.Count);
      wrap.LinesDeleted(c.At, c.Count);
    }
    ASSERT_NO_FATAL_FAILURE(ExpectAsFresh(wrap, source, std::string(c.Name) + ", in the update"));
    wrap.EndUpdate();
    ASSERT_NO_FATAL_FAILURE(ExpectAsFresh(wrap, source, std::string(c.Name) + ", settled"));
  }
}

// More lines are aside than are taken one by one when the update ends, so the tables are built
// anew in one pass; one of them needs exactly as many rows as a byte holds or one more or less,
// coming from a line of one row or a big one. It settles to the rows of a fresh wrap, and the
// line can be edited on from there.
TEST(WordWrapBounds, ManyLinesAsideWithOneOfExactly255Or256Rows) {
  const struct {
    int From, To;  // the rows of the line in the middle
  } cases[] = {{1, 255}, {1, 256}, {1, 257}, {256, 255}, {255, 256}, {257, 256}, {300, 255}, {256, 1}, {256, 256}};
  for (const auto& c : cases) {
    const std::string what = std::to_string(c.From) + " rows to " + std::to_string(c.To);
    TLines source;
    for (int i = 0; i < 41; ++i) source.lines.push_back(RowsLong(i == 20 ? c.From : 1 + i % 2));
    TTxtWordWrapPlugin wrap(source);
    wrap.BeginUpdate();
    for (int i = 0; i < 41; i += 2) {
      source.lines[static_cast<size_t>(i)] = i == 20 ? RowsLong(c.To) : RowsLong(3 + i % 5);
      wrap.LinesPutted(i, 1);
    }
    ASSERT_GT(wrap.AsideLineCount(), 16) << what;
    ASSERT_NO_FATAL_FAILURE(ExpectAsFresh(wrap, source, what + ", in the update"));
    wrap.EndUpdate();
    ASSERT_NO_FATAL_FAILURE(ExpectAsFresh(wrap, source, what + ", settled"));
    for (int rows : {c.To + 1, 2, c.To}) {
      source.lines[20] = RowsLong(rows);
      wrap.LinesPutted(20, 1);
      ASSERT_NO_FATAL_FAILURE(ExpectAsFresh(wrap, source, what + ", then " + std::to_string(rows)));
    }
  }
}
