// The line tools: a function over each line of a text that keeps its final break, and the
// captions of the go-to-bookmark items.
#include <gtest/gtest.h>

#include "app/LineFunctions.h"
#include "app/TextRoutines.h"

namespace {

struct TLinesCase {
  const char* Text;
  TLineFunction Fn;
  const char* Expected;
};

}  // namespace

TEST(LineTools, EachLineTransformedAndTheFinalBreakKept) {
  const TLinesCase cases[] = {
      {"ab\r\ncd", UpperCaseLine, "AB\r\nCD"},
      // A selection up to column 1 of the next line ends in a break: it stays, nothing is joined.
      {"ab\r\ncd\r\n", UpperCaseLine, "AB\r\nCD\r\n"},
      {"ab\n", UpperCaseLine, "AB\n"},
      {"\r\n", UpperCaseLine, "\r\n"},
      {"", UpperCaseLine, ""},
      // Lone LF and CR breaks inside split lines too; empty lines survive.
      {"a\nb\rc\r\n\r\nd", UpperCaseLine, "A\r\nB\r\nC\r\n\r\nD"},
      {"  x  \r\n\t y", TrimLeftLine, "x  \r\ny"},
      {"  x  \r\n y \r\n", TrimRightLine, "  x\r\n y\r\n"},
      {"a  b   c\r\n", CollapseSpaces, "a b c\r\n"},
  };
  for (const TLinesCase& c : cases) EXPECT_EQ(ApplyToLines(c.Text, c.Fn), c.Expected) << c.Text;
}

TEST(LineTools, BookmarkCaptionsCutLongLinesAndKeepEmptyOnes) {
  const AnsiString line43(43, 'x'), line44 = AnsiString(40, 'y') + "abcd";
  struct {
    int Index;
    bool IsSet;
    AnsiString Line;
    const char* Expected;
  } const cases[] = {
      {3, false, "text", "3"},
      {0, true, "  int main()  ", "0 int main()"},
      {5, true, "   \t ", "old"},  // a set bookmark on an empty line keeps its caption
      {9, true, "", "old"},
  };
  for (const auto& c : cases) EXPECT_EQ(BookmarkCaption(c.Index, c.IsSet, c.Line, "old"), c.Expected);
  EXPECT_EQ(BookmarkCaption(1, true, line43, ""), "1 " + line43);
  EXPECT_EQ(BookmarkCaption(1, true, line44, ""), "1 " + AnsiString(40, 'y') + "...");
}
