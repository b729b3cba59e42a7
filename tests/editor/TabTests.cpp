// Tab expansion: every routine against one straightforward model of the rule.
#include <gtest/gtest.h>

#include "editor/TxtEditTabs.h"

namespace {

std::string Model(const std::string& line, int width) {
  std::string out;
  for (char c : line) {
    if (c != '\t')
      out.push_back(c);
    else if (width < 2)
      out.push_back(' ');
    else
      out.append(static_cast<size_t>(width - static_cast<int>(out.size()) % width), '\t');
  }
  return out;
}

const char* const kLines[] = {"",
                              "abc",
                              "\t",
                              "a\tb",
                              "\t\t",
                              "ab\tc\td\t",
                              "abcdefgh\tx",
                              "\t x \t\ty",
                              "12345678901234567\t",
                              "abcdefghijklmnopqrstuvwxyz0123456789\tz\r\n\t",
                              "\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\tend"};

}  // namespace

TEST(Tabs, EveryWidthAndEveryRoutineAgreeWithTheRule) {
  for (int width = 0; width <= 70; ++width) {
    TConvertTabsProc best = GetBestConvertTabsProc(width);
    TConvertTabsProcEx bestEx = GetBestConvertTabsProcEx(width);
    for (const char* text : kLines) {
      std::string line(text);
      std::string expected = Model(line, width);
      bool hasTabs = false;
      SCOPED_TRACE("width " + std::to_string(width) + " line '" + line + "'");
      EXPECT_EQ(best(line, width), expected);
      EXPECT_EQ(bestEx(line, width, hasTabs), expected);
      EXPECT_EQ(hasTabs, line.find('\t') != std::string::npos);
      EXPECT_EQ(GetExpandedLength(line, width), static_cast<int>(Model(line, width < 1 ? 1 : width).size()));
      // Appended after other text, the columns still count from the line's start.
      std::string appended = "pre";
      AppendExpandedLine(line, width, appended);
      EXPECT_EQ(appended, "pre" + expected);
      if (width >= 2) {
        EXPECT_EQ(ConvertTabs(line, width), expected);
      }
      if (IsPowerOfTwo(width)) {
        EXPECT_EQ(ConvertTabs2nEx(line, width, hasTabs), expected);
      }
    }
  }
}

TEST(Tabs, HasTabsCountsTheCharactersBeforeTheFirst) {
  int before = -1;
  EXPECT_FALSE(GetHasTabs("", before));
  EXPECT_EQ(before, 0);
  EXPECT_FALSE(GetHasTabs("abc", before));
  EXPECT_EQ(before, 3);
  EXPECT_TRUE(GetHasTabs(std::string("a\0b\tc", 5), before));
  EXPECT_EQ(before, 3);
}

TEST(Tabs, ZeroBytesAreOrdinaryCharacters) {
  std::string line("\0\t\0", 3);
  EXPECT_EQ(ConvertTabs(line, 4), std::string("\0\t\t\t\0", 5));
  EXPECT_EQ(GetExpandedLength(line, 4), 5);
}

TEST(Tabs, HugeWidthsDoNotOverflowTheLength) {
  EXPECT_EQ(GetExpandedLength("\t\t\t", 1 << 30), 2147483647);
  EXPECT_EQ(GetExpandedLength("\t", -3), 1);
}
