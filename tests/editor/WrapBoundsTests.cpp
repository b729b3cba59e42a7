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
