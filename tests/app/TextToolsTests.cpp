// The line tools' text work: the locale's stable sort, insertion and numbering, and the
// statistics' counting rules (ANSI is code page 1252, the user locale English; the TextToolsSort
// tests also run under code page 1251 and the Russian locale).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "app/TextTools.h"
#include "framework/Conversions.h"
#include "framework/Win.h"

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

// Pieces of random lines. The bytes above 127 are accented Latin letters under code page 1252
// and Cyrillic ones under 1251; the word sort treats hyphens and apostrophes apart, ignores a
// soft hyphen (AD) and a NUL, and expands "\xe6" to "ae" under 1252.
const char* const kPieces[] = {
    "a",    "b",    "e",    "z",    "A",    "E",    "Z",    "0",     "1",    "9",     "10",   " ",    ".",    ",",
    "!",    "_",    "~",    "(",    "\t",   "-",    "'",    "co-op", "coop", "don't", "dont", "ae",   "\xe0", "\xc0",
    "\xe9", "\xc9", "\xff", "\xdf", "\xb8", "\xa8", "\xe6", "\xc6",  "\xfc", "\xdc",  "\xf1", "\xad",
};

// Count random lines of up to six pieces; about one in four repeats an earlier line, as it
// stands, in upper case, or with an ignored character put in.
TTextLines RandomLines(size_t Count, unsigned Seed) {
  auto next = [&] {
    Seed = Seed * 1103515245u + 12345u;
    return Seed >> 8;
  };
  TTextLines lines;
  while (lines.size() < Count) {
    AnsiString line;
    if (!lines.empty() && next() % 4 == 0) {
      line = lines[next() % lines.size()];
      if (next() % 2)
        std::transform(line.begin(), line.end(), line.begin(),
                       [](char c) { return std::toupper(static_cast<unsigned char>(c)); });
      if (next() % 3 == 0) line.insert(next() % (line.size() + 1), next() % 2 ? std::string(1, '\0') : "\xad");
    } else {
      for (unsigned n = next() % 7; n; --n) line += kPieces[next() % (sizeof kPieces / sizeof *kPieces)];
    }
    lines.push_back(line);
  }
  return lines;
}

int LocaleOrder(const AnsiString& A, const AnsiString& B, bool MatchCase) {
  return CompareStringA(LOCALE_USER_DEFAULT, MatchCase ? 0 : NORM_IGNORECASE, A.data(), static_cast<int>(A.size()),
                        B.data(), static_cast<int>(B.size())) -
         2;
}

// What the sort must give: CompareStringA's order with equal lines in their order, then the
// first of each run of equal lines alone when duplicates go.
TTextLines ExpectedSort(TTextLines Lines, bool Ascending, bool MatchCase, bool RemoveDuplicates) {
  const int sign = Ascending ? 1 : -1;
  std::stable_sort(Lines.begin(), Lines.end(),
                   [&](const AnsiString& A, const AnsiString& B) { return sign * LocaleOrder(A, B, MatchCase) < 0; });
  if (RemoveDuplicates)
    Lines.erase(
        std::unique(Lines.begin(), Lines.end(),
                    [&](const AnsiString& A, const AnsiString& B) { return LocaleOrder(A, B, MatchCase) == 0; }),
        Lines.end());
  return Lines;
}

struct TSortWay {
  bool Ascending, MatchCase, RemoveDuplicates;
};
const TSortWay kSortWays[] = {{true, false, false}, {true, true, false}, {false, false, false}, {false, true, false},
                              {true, false, true},  {true, true, true},  {false, false, true},  {false, true, true}};

TTextLines Sorted(TTextLines Lines, const TSortWay& Way) {
  SortTextLines(Lines, Way.Ascending, Way.MatchCase, Way.RemoveDuplicates);
  return Lines;
}

TEST(TextToolsSort, EveryPairOfSortedLinesStandsInTheLocalesOrder) {
  const TTextLines lines = RandomLines(2000, 7);
  for (const TSortWay& way : kSortWays) {
    SCOPED_TRACE(testing::Message() << way.Ascending << way.MatchCase << way.RemoveDuplicates);
    const TTextLines sorted = Sorted(lines, way);
    EXPECT_EQ(sorted, ExpectedSort(lines, way.Ascending, way.MatchCase, way.RemoveDuplicates));
    TTextLines compared = lines;
    SortTextLinesByComparison(compared, way.Ascending, way.MatchCase, way.RemoveDuplicates);
    EXPECT_EQ(compared, sorted);
    int wrong = 0;
    for (size_t i = 0; i < sorted.size(); ++i)
      for (size_t j = i + 1; j < sorted.size(); ++j) {
        const int order = LocaleOrder(sorted[i], sorted[j], way.MatchCase) * (way.Ascending ? 1 : -1);
        wrong += order > 0 || (way.RemoveDuplicates && order == 0);
      }
    EXPECT_EQ(wrong, 0);
  }
}

TEST(TextToolsSort, ManyLinesSortAsFewDo) {
  // Enough lines for their keys to fill several blocks.
  const TTextLines lines = RandomLines(50000, 11);
  for (const TSortWay& way : {kSortWays[0], kSortWays[3], kSortWays[5], kSortWays[6]}) {
    SCOPED_TRACE(testing::Message() << way.Ascending << way.MatchCase << way.RemoveDuplicates);
    EXPECT_TRUE(Sorted(lines, way) == ExpectedSort(lines, way.Ascending, way.MatchCase, way.RemoveDuplicates));
  }
}

TEST(TextToolsSort, ManyLinesJoinAndSplitBack) {
  // Many lines, the last without a break after it.
  TTextLines lines = RandomLines(60000, 3);
  lines.push_back("last");
  AnsiString expected;
  for (const AnsiString& line : lines) expected += line + "\r\n";
  expected.resize(expected.size() - 2);
  const AnsiString joined = JoinTextLines(lines);
  EXPECT_TRUE(joined == expected);
  EXPECT_TRUE(SplitTextLines(joined) == lines);
  EXPECT_TRUE(JoinTextLines(SplitTextLineViews(joined)) == expected);
}

TEST(TextToolsSort, LinesThatEachStandTwiceLeaveOneOfEach) {
  const TTextLines once = RandomLines(3000, 5);
  TTextLines twice = once;
  twice.insert(twice.end(), once.begin(), once.end());
  for (const TSortWay& way : kSortWays) {
    if (!way.RemoveDuplicates) continue;
    SCOPED_TRACE(testing::Message() << way.Ascending << way.MatchCase);
    const TTextLines unique = Sorted(once, way);
    EXPECT_EQ(Sorted(twice, way), unique);
    EXPECT_EQ(unique, ExpectedSort(once, way.Ascending, way.MatchCase, true));
  }
}

TEST(TextToolsSort, EqualLinesKeepTheirOrder) {
  const AnsiString nul(1, '\0'), shy = "\xad";
  const struct {
    TTextLines Lines;
    TSortWay Way;
    TTextLines Expected;
  } cases[] = {
      // Equal without case: by their places, in both directions; the first of them stays.
      {{"b", "B", "a", "A", "b"}, {true, false, false}, {"a", "A", "b", "B", "b"}},
      {{"b", "B", "a", "A", "b"}, {false, false, false}, {"b", "B", "b", "a", "A"}},
      {{"B", "b", "a", "A", "b"}, {true, false, true}, {"a", "B"}},
      {{"B", "b", "a", "A", "b"}, {false, false, true}, {"B", "a"}},
      // With case only the same letters are equal.
      {{"b", "B", "a", "A", "b"}, {true, true, false}, {"a", "A", "b", "b", "B"}},
      {{"b", "B", "a", "A", "b"}, {true, true, true}, {"a", "A", "b", "B"}},
      // Ignored characters: an empty line equals one of a soft hyphen or a NUL, with case too.
      {{"x", shy, "", nul, "w"}, {true, true, false}, {shy, "", nul, "w", "x"}},
      {{"x", "", shy, nul, "w"}, {false, true, true}, {"x", "w", ""}},
      {{"a" + shy + "b", "ab", "a" + nul + "b"}, {true, true, true}, {"a" + shy + "b"}},
      // The word sort puts "co-op" apart from "coop", after it, with case or without.
      {{"co-op", "coop", "coop"}, {true, false, true}, {"coop", "co-op"}},
      {{}, {true, true, true}, {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Sorted(c.Lines, c.Way), c.Expected)
        << JoinTextLines(c.Lines) << " " << c.Way.Ascending << c.Way.MatchCase << c.Way.RemoveDuplicates;
  }
}

TEST(TextToolsSort, CyrillicLinesFollowTheRussianAlphabet) {
  // Under code page 1251: "я", "Б", "ж", "ё", "а", "е", "А".
  if (GetACP() != 1251) GTEST_SKIP() << "Cyrillic needs code page 1251";
  const TTextLines lines{"\xff", "\xc1", "\xe6", "\xb8", "\xe0", "\xe5", "\xc0"};
  EXPECT_EQ(JoinTextLines(Sorted(lines, {true, false, false})), "\xe0\r\n\xc0\r\n\xc1\r\n\xe5\r\n\xb8\r\n\xe6\r\n\xff");
  EXPECT_EQ(JoinTextLines(Sorted(lines, {false, true, true})), "\xff\r\n\xe6\r\n\xb8\r\n\xe5\r\n\xc1\r\n\xc0\r\n\xe0");
}

// Both splits against lines written out by hand: every break form and their mixes, the empty
// line a doubled break leaves at the end, and a lone CR at the end that ends the line before it.
TEST(TextTools, LinesSplitAtEveryBreakKindWithoutAFinalEmptyLine) {
  const struct {
    std::string Text;
    TTextLines Lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb", {"a", "b"}},
      {"a\nb", {"a", "b"}},
      {"a\rb", {"a", "b"}},
      {"a\nb\rc", {"a", "b", "c"}},
      {"one\r\ntwo\nthree\rfour", {"one", "two", "three", "four"}},
      // A final break ends its line and opens none; a doubled one leaves an empty last line.
      {"a\r\n", {"a"}},
      {"a\n", {"a"}},
      {"a\r\n\r\n", {"a", ""}},
      {"a\n\n", {"a", ""}},
      {"a\r\r", {"a", ""}},
      {"\n", {""}},
      {"\r\n\r\n\r\n", {"", "", ""}},
      // A lone CR at the end, after a CR LF or alone; LF CR is two breaks, CR CR LF too.
      {"a\r", {"a"}},
      {"a\r\nb\r", {"a", "b"}},
      {"\r", {""}},
      {"a\n\rb", {"a", "", "b"}},
      {"\r\r\n", {"", ""}},
      {"a\r\r\nb", {"a", "", "b"}},
      {"\r\nx", {"", "x"}},
      // Tabs, spaces and other control characters stay in their line.
      {"a\tb \x01\nc\v\f", {"a\tb \x01", "c\v\f"}},
      {std::string("a\0b\nc", 5), {std::string("a\0b", 3), "c"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SplitTextLines(c.Text), c.Lines) << c.Text;
    const TTextLineViews views = SplitTextLineViews(c.Text);
    EXPECT_EQ(TTextLines(views.begin(), views.end()), c.Lines) << c.Text;
    // The views lie inside the text they were split from.
    for (std::string_view v : views)
      EXPECT_TRUE(v.data() >= c.Text.data() && v.data() + v.size() <= c.Text.data() + c.Text.size()) << c.Text;
  }
}

TEST(TextTools, InsertionAndNumberingPutTheirTextsOnEveryLine) {
  TTextLines lines{"one", "", "three"};
  InsertAroundLines(lines, "", ",");
  EXPECT_EQ(JoinTextLines(lines), "one,\r\n,\r\nthree,");
  InsertAroundLines(lines, "<", ">");
  EXPECT_EQ(JoinTextLines(lines), "<one,>\r\n<,>\r\n<three,>");

  // The numbers are written as the locale writes them.
  const struct {
    double Start;
    const char* Postfix;
    char Separator;
    const char* Expected;
  } cases[] = {{9, ") ", '.', "9) a\r\n10) b\r\n11) c"},
               {2.5, ". ", '.', "2.5. a\r\n3.5. b\r\n4.5. c"},
               {2.5, ". ", ',', "2,5. a\r\n3,5. b\r\n4,5. c"},
               {-1.25, " ", ',', "-1,25 a\r\n-0,25 b\r\n0,75 c"},
               {0, "", ',', "0a\r\n1b\r\n2c"},
               {999999, ":", '.', "999999:a\r\n1000000:b\r\n1000001:c"}};
  for (const auto& c : cases) {
    TFormatSettings settings = TFormatSettings::English();
    settings.DecimalSeparator = c.Separator;
    TFormatSettingsOverride locale(settings);
    TTextLines abc{"a", "b", "c"};
    NumberLines(abc, c.Start, c.Postfix);
    EXPECT_EQ(JoinTextLines(abc), c.Expected) << c.Start << c.Separator;
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
