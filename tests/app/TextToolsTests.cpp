// The line tools' text work: the locale's stable sort, insertion and numbering, and the
// statistics' counting rules (ANSI is code page 1252, the user locale English).
#include <gtest/gtest.h>

#include "app/TextTools.h"

namespace {

AnsiString Sorted(const AnsiString& Text, bool Ascending, bool MatchCase, bool RemoveDuplicates) {
  TTextLines lines = SplitTextLines(Text);
  SortTextLines(lines, Ascending, MatchCase, RemoveDuplicates);
  return JoinTextLines(lines);
}

TEST(TextTools, SortFollowsTheLocaleAndKeepsEqualLinesInOrder) {
  const struct {
    const char* Text;
    bool Ascending, MatchCase, RemoveDuplicates;
    const char* Expected;
  } cases[] = {
      // Equal without case: the first of them stays first, in both directions.
      {"b\r\nA\r\na", true, false, false, "A\r\na\r\nb"},
      {"b\r\na\r\nA", true, false, false, "a\r\nA\r\nb"},
      {"b\r\nA\r\na", true, false, true, "A\r\nb"},
      {"A\r\nb\r\na", false, false, false, "b\r\nA\r\na"},
      {"A\r\nb\r\na", false, false, true, "b\r\nA"},
      // With case the locale puts the small letter first and keeps both.
      {"b\r\nA\r\na", true, true, true, "a\r\nA\r\nb"},
      {"b\r\nA\r\na", false, true, false, "b\r\nA\r\na"},
      // The locale's order, not the bytes': "é" sorts with "e", before "f"; case comes after letters.
      {"f\r\n\xe9\r\nE\r\nd", true, false, false, "d\r\nE\r\n\xe9\r\nf"},
      {"x10\r\nx9\r\nx1", true, true, false, "x1\r\nx10\r\nx9"},
      {"same\r\nsame\r\nsame", true, true, true, "same"},
      {"", true, true, true, ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Sorted(c.Text, c.Ascending, c.MatchCase, c.RemoveDuplicates), c.Expected)
        << c.Text << " " << c.Ascending << c.MatchCase << c.RemoveDuplicates;
}

TEST(TextTools, LinesSplitAtEveryBreakKindWithoutAFinalEmptyLine) {
  const struct {
    const char* Text;
    size_t Count;
    const char* Last;
  } cases[] = {{"a\r\nb", 2, "b"}, {"a\nb\rc", 3, "c"}, {"a\r\n", 1, "a"}, {"a\r\n\r\n", 2, ""}, {"", 0, ""}};
  for (const auto& c : cases) {
    const TTextLines lines = SplitTextLines(c.Text);
    ASSERT_EQ(lines.size(), c.Count) << c.Text;
    if (c.Count) {
      EXPECT_EQ(lines.back(), c.Last) << c.Text;
    }
  }
}

TEST(TextTools, InsertionAndNumberingPutTheirTextsOnEveryLine) {
  TTextLines lines{"one", "", "three"};
  InsertAroundLines(lines, "", ",");
  EXPECT_EQ(JoinTextLines(lines), "one,\r\n,\r\nthree,");
  InsertAroundLines(lines, "<", ">");
  EXPECT_EQ(JoinTextLines(lines), "<one,>\r\n<,>\r\n<three,>");

  const struct {
    double Start;
    const char* Postfix;
    const char* Expected;
  } cases[] = {{9, ") ", "9) a\r\n10) b\r\n11) c"},
               {2.5, ". ", "2.5. a\r\n3.5. b\r\n4.5. c"},
               {0, "", "0a\r\n1b\r\n2c"},
               {999999, ":", "999999:a\r\n1000000:b\r\n1000001:c"}};
  for (const auto& c : cases) {
    TTextLines abc{"a", "b", "c"};
    NumberLines(abc, c.Start, c.Postfix);
    EXPECT_EQ(JoinTextLines(abc), c.Expected) << c.Start;
  }
}

TEST(TextTools, StatisticsKeepTheirCountingRules) {
  const struct {
    const char* Text;
    int Words, Punctuation, WithSpaces, NoSpaces, Lines;
  } cases[] = {
      {"one two", 2, 0, 7, 6, 1},
      {"a, b.", 2, 2, 5, 4, 1},
      {"x\r\ny", 2, 0, 2, 2, 2},
      {"", 0, 0, 0, 0, 1},
      // The first word counts; a tab separates nothing, a trailing space is no space.
      {"word", 1, 0, 4, 4, 1},
      {"\tword", 1, 0, 5, 5, 1},
      {"a\tb c", 2, 0, 5, 4, 1},
      {"a ", 1, 0, 2, 2, 1},
      // Separators at the start open no word of their own.
      {" a", 1, 0, 2, 1, 1},
      {"\r\na", 1, 0, 1, 1, 2},
      {"-x", 1, 1, 2, 2, 1},
      // Runs of separators start one word; every mark counts, the last byte too.
      {"a  b\r\n\r\n c", 3, 0, 6, 3, 3},
      {"(x)-y?!", 1, 5, 7, 7, 1},
      {"\r\n", 0, 0, 0, 0, 2},
      {" ", 0, 0, 1, 1, 1},
  };
  for (const auto& c : cases) {
    const TTextCounts n = CountText(c.Text);
    EXPECT_EQ(n.Words, c.Words) << c.Text;
    EXPECT_EQ(n.Punctuation, c.Punctuation) << c.Text;
    EXPECT_EQ(n.CharsWithSpaces, c.WithSpaces) << c.Text;
    EXPECT_EQ(n.CharsNoSpaces, c.NoSpaces) << c.Text;
    EXPECT_EQ(n.Lines, c.Lines) << c.Text;
  }
  const TTextCounts big = CountText(AnsiString(1234566, 'x') + ".");
  EXPECT_EQ(big.CharsWithSpaces, 1234567);
  EXPECT_EQ(big.Punctuation, 1);
}

}  // namespace
