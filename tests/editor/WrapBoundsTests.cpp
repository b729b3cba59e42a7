// The shortest row a word break may leave: a break character exactly at the minimum row length
// ends the row after it, one column earlier it is not used.
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
