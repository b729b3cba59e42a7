// The budget of a search command: one budget of steps and time shared by every search of the
// command, over however many lines, so that a command over many exploding lines stops once; and
// the cap on the choice points of one attempt. Limits are injected, never timed.
#include <gtest/gtest.h>

#include "framework/Win.h"

#include <psapi.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "editor/TxtEdit.h"
#include "editor/TxtEditSearch.h"
#include "tests/editor/SearchTestSupport.h"

namespace {

// The expression a user met that explodes on a run of word characters ending in a non-word
// one: every split of the run into words is tried.
const char* const kExploding = "(\\w+\\s?)+\\1$";

// A clock that moves one millisecond each time it is asked.
int64_t clockNow = 0;
int clockAsked = 0;
int64_t SteppingClock() {
  ++clockAsked;
  return ++clockNow;
}

std::string Repeated(const std::string& S, int N) {
  std::string r;
  for (int i = 0; i < N; ++i) r += S;
  return r;
}

}  // namespace

TEST(SearchBudget, IsSharedByTheSearchesOfACommand) {
  // What one search of a small exploding line costs, measured through a budget without limits.
  TRegExpr r;
  r.SetExpression(kExploding);
  const std::string line = std::string(10, 'a') + "!";
  TRegExprBudget probe(0);
  r.SetBudget(&probe);
  EXPECT_FALSE(r.Exec(line));
  const int64_t one = probe.StepsUsed();
  ASSERT_GT(one, 1000);
  // A budget of three and a half searches answers three, stops the fourth and refuses the rest
  // without searching.
  const struct {
    int64_t Steps;
    int Answered;
  } cases[] = {
      {one * 7 / 2, 3},
      {one / 2, 0},
      {one * 10 + 1, 10},
  };
  for (const auto& c : cases) {
    TRegExprBudget budget(0, c.Steps);
    r.SetBudget(&budget);
    int answered = 0, stopped = 0;
    for (int i = 0; i < 10; ++i) {
      const int code = CodeOf([&] { EXPECT_FALSE(r.Exec(line)); });
      if (code == 0) ++answered;
      if (code == TRegExpr::reeTooComplex) ++stopped;
    }
    EXPECT_EQ(answered, c.Answered) << c.Steps;
    EXPECT_EQ(stopped, 10 - c.Answered) << c.Steps;
    EXPECT_LE(budget.StepsUsed(), std::min(c.Steps + one, one * 10)) << c.Steps;
    EXPECT_EQ(budget.Spent(), c.Answered < 10) << c.Steps;
  }
  // Without a budget again the engine answers as before, and a search that needs no matcher
  // work answers under a spent budget's successor.
  r.SetBudget(nullptr);
  EXPECT_FALSE(r.Exec(line));
  EXPECT_TRUE(r.Exec("abab"));
}

TEST(SearchBudget, OneCommandOverManyExplodingLinesStopsOnce) {
  // Ten lines of 24 word characters and a '!': each alone would take seconds. Find next,
  // replace-all and a count over every line (as the presence test makes) all stop on the first
  // line, once, and leave the text and the paint lock as they were.
  std::string text;
  for (int i = 0; i < 10; ++i) text += std::string(24, 'a') + "!\r\n";
  const struct {
    const char* Name;
    TSearchReplaceOptions Options;
  } commands[] = {
      {"find next", {srEntireScope}},
      {"replace all", {srReplace, srReplaceAll, srEntireScope}},
      {"find up", {srBackwards, srEntireScope}},
  };
  for (const auto& c : commands) {
    TTxtEdit e(nullptr);
    TCountingRegexSearch regex(nullptr);
    e.SetSearchEngine(&regex);
    e.SetTextA(text);
    const AnsiString before = e.TextA();
    TRegExprBudget budget(0, 2000000);
    regex.SetBudget(&budget);
    const int code = CodeOf([&] { e.SearchReplace(kExploding, "x", c.Options); });
    EXPECT_EQ(code, TRegExpr::reeTooComplex) << c.Name;
    EXPECT_EQ(regex.Lines, 1) << c.Name;
    EXPECT_LE(budget.StepsUsed(), 2000000 + 100000) << c.Name;
    EXPECT_TRUE(e.TextA() == before) << c.Name;
    EXPECT_EQ(e.PaintLock(), 0) << c.Name;
    // The spent budget stops the next search at once, without any work.
    const int64_t used = budget.StepsUsed();
    EXPECT_EQ(CodeOf([&] { e.SearchReplace("(a|b)+!", "x", c.Options); }), TRegExpr::reeTooComplex) << c.Name;
    EXPECT_EQ(budget.StepsUsed(), used) << c.Name;
    EXPECT_TRUE(e.TextA() == before) << c.Name;
    regex.SetBudget(nullptr);
  }
  // A count over every line, as the find dialog's presence test makes it.
  TCountingRegexSearch regex(nullptr);
  regex.SetPattern(kExploding);
  TRegExprBudget budget(0, 2000000);
  regex.SetBudget(&budget);
  int stopped = 0, searched = 0;
  for (int i = 0; i < 10; ++i) {
    ++searched;
    if (CodeOf([&] { regex.FindAll(std::string(24, 'a') + "!"); }) == TRegExpr::reeTooComplex) {
      ++stopped;
      break;
    }
  }
  EXPECT_EQ(stopped, 1);
  EXPECT_EQ(searched, 1);
}

TEST(SearchBudget, TheClockStopsASearchAndIsAskedSparingly) {
  // With a time limit the clock is asked now and then as the matcher works: a search of a line of
  // 26 word characters stops once the clock passes the limit.
  clockNow = 0;
  clockAsked = 0;
  TRegExpr r;
  r.SetExpression(kExploding);
  TRegExprBudget budget(40, 0, SteppingClock);
  r.SetBudget(&budget);
  EXPECT_EQ(CodeOf([&] { r.Exec(std::string(26, 'a') + "!"); }), TRegExpr::reeTooComplex);
  EXPECT_GE(clockAsked, 40);
  EXPECT_LE(clockAsked, 44);
  // The matcher did tens of thousands of steps between two looks at the clock.
  EXPECT_GE(budget.StepsUsed(), int64_t(30) << 16);
  // A search that answers in time does not look at the clock at all beyond its start.
  clockAsked = 0;
  TRegExprBudget ample(1000000, 0, SteppingClock);
  r.SetBudget(&ample);
  EXPECT_FALSE(r.Exec("aaaa!"));
  EXPECT_LE(clockAsked, 1);
  EXPECT_FALSE(ample.Spent());
}

TEST(SearchBudget, TheChoicePointsOfAnAttemptAreCapped) {
  // Every character of a long run pushes choice points: a small cap answers "too complex" where
  // the default answers, and leaves the object usable.
  const struct {
    const char* Expr;
    std::string Input;
    bool Match;
  } cases[] = {
      {"((a)|(b))*c", std::string(2000, 'a') + "c", true},
      {"((a)|(b))*c", Repeated("ab", 1000) + "c", true},
      {"(a|b)*c", std::string(2000, 'b') + "c", true},
      {"((a)|(b))*", std::string(2000, 'a'), true},
  };
  for (const auto& c : cases) {
    TRegExpr r;
    r.SetExpression(c.Expr);
    r.SetFrameLimit(1000);
    EXPECT_EQ(CodeOf([&] { r.Exec(c.Input); }), TRegExpr::reeTooComplex) << c.Expr;
    EXPECT_TRUE(r.Exec("abc")) << c.Expr;
    r.SetFrameLimit(0);
    EXPECT_EQ(r.Exec(c.Input), c.Match) << c.Expr;
  }
}

namespace {
// A clock the test moves: between searches by a lot (the replacing, the painting, a loaded
// machine), inside them by Inside at every look.
int64_t movedNow = 0;
int64_t movedInside = 0;
int64_t MovedClock() { return movedNow += movedInside; }

// The working set of the process now, sampled by a clock that never moves.
size_t largestWorkingSet = 0;
size_t WorkingSet() {
  PROCESS_MEMORY_COUNTERS c{};
  c.cb = sizeof c;
  GetProcessMemoryInfo(GetCurrentProcess(), &c, sizeof c);
  return c.WorkingSetSize;
}
int64_t MemoryClock() {
  largestWorkingSet = std::max(largestWorkingSet, WorkingSet());
  return 0;
}

// The doubled words the find dialog's users met, and source-like lines.
std::vector<std::string> OrdinaryLines(int N) {
  std::vector<std::string> lines;
  static const char* const source[] = {"  if (length < 10) count = buffer[index] + 1;", "    return value;", "",
                                       "  // the value of this is kept for the next line", "}"};
  for (int i = 0; i < N; ++i)
    lines.push_back(i % 2 ? "key" + std::to_string(i % 10) + " = the quick brown fox jumps over the the lazy dog"
                          : source[i / 2 % std::size(source)]);
  return lines;
}
}  // namespace

// The time of a timed budget counts only while the matcher works: a clock that moves a lot
// between searches, never inside them, never stops many ordinary searches, while an exploding
// search still stops once its own time is up.
TEST(SearchBudget, TimeCountsOnlyWhileTheMatcherWorks) {
  movedNow = 1000;
  movedInside = 0;
  TRegExpr r;
  r.SetExpression("(\\w+\\s?)+$");
  TRegExprBudget budget(50, 0, MovedClock);
  r.SetBudget(&budget);
  const std::vector<std::string> lines = OrdinaryLines(2000);
  for (const std::string& line : lines) {
    ASSERT_EQ(CodeOf([&] { r.Exec(line); }), 0) << "after " << budget.StepsUsed() << " steps";
    movedNow += 1000;
  }
  // The ordinary searches did enough work for the clock to be asked many times.
  EXPECT_GT(budget.StepsUsed(), 10 * TRegExprBudget::ClockStride);
  EXPECT_FALSE(budget.Spent());
  // Inside a search the clock moves a millisecond at each look: an exploding search stops at
  // about the fiftieth look.
  movedInside = 1;
  r.SetExpression(kExploding);
  const int64_t before = budget.StepsUsed();
  EXPECT_EQ(CodeOf([&] { r.Exec(std::string(26, 'a') + "!"); }), TRegExpr::reeTooComplex);
  EXPECT_LE(budget.StepsUsed() - before, 53 * TRegExprBudget::ClockStride);
  EXPECT_GE(budget.MillisecondsUsed(), 50);
  EXPECT_TRUE(budget.Spent());
}

// Under a limit of steps every search and every character searched bring their share: ordinary
// expressions answer over far more lines than the limit alone would pay for, one that explodes
// after them stops within the limit and its own line's share, and without the shares the limit
// alone stops the first line.
TEST(SearchBudget, EachSearchAndCharacterBringTheirShare) {
  // Shares ample for the heaviest of these on the doubled words, where it takes about 200 steps
  // a character.
  const int64_t perSearch = 4096, perCharacter = 256;
  const std::vector<std::string> lines = OrdinaryLines(2000);
  const char* const ordinary[] = {
      "\\b(\\w+) \\1\\b",
      "(\\w+) \\1",
      "(\\w+\\s?)+$",
      "(.*)(.*)(.*)x",
      "(\\w+\\s?){20}x",
      "(.*a){12}",
      "(\\w+)\\s(\\w+)\\s(\\w+)\\s\\1",
      "l[a-z]mbda|lazy",
  };
  for (const char* expr : ordinary) {
    TTxtEditRegexSearch regex(nullptr);
    regex.SetPattern(expr);
    TRegExprBudget budget(0, 1000);
    budget.SetShares(perSearch, perCharacter);
    regex.SetBudget(&budget);
    for (const std::string& line : lines) ASSERT_EQ(CodeOf([&] { regex.FindAllIn(line); }), 0) << expr;
    EXPECT_FALSE(budget.Spent()) << expr;
    // What the lines left over is kept only up to the limit: an exploding line stops within it
    // and its own share.
    regex.SetPattern(kExploding);
    const std::string exploding = std::string(24, 'a') + "!";
    const int64_t before = budget.StepsUsed();
    EXPECT_EQ(CodeOf([&] { regex.FindAllIn(exploding); }), TRegExpr::reeTooComplex) << expr;
    EXPECT_LE(budget.StepsUsed() - before, 1000 + perSearch + perCharacter * 25 + 100) << expr;
    EXPECT_TRUE(budget.Spent()) << expr;
  }
  // Without the shares the limit alone pays for less than a line.
  TTxtEditRegexSearch regex(nullptr);
  regex.SetPattern("(.*)(.*)(.*)x");
  TRegExprBudget budget(0, 1000);
  regex.SetBudget(&budget);
  EXPECT_EQ(CodeOf([&] { regex.FindAllIn(lines[1]); }), TRegExpr::reeTooComplex);
}

// The share of the text is the same for every expression, however many states it remembers: a
// counted group that never matches stops within the limit and the shares of what it searched,
// while ordinary expressions answer on the same text under the same shares.
TEST(SearchBudget, TheTextsShareIsTheSameForEveryExpression) {
  // Prose of 100 characters ending in "7.", where two digits in a row are nowhere.
  const std::vector<std::string> lines(
      300, "the river ran past a mill where old men, sat and spoke of rain and corn, horses while wives baked 7.");
  const int64_t perSearch = 16, perCharacter = 64;
  const struct {
    const char* Expr;
    bool Stops;
  } cases[] = {
      {"(\\w+\\s?){2,50}\\d\\d", true},   {"(\\w+,?\\s?){3,40}\\d\\d", true},
      {"([a-z]+,? ?){3,40}\\d\\d", true}, {"(\\w+) \\1", false},
      {"\\b(\\w+) \\1\\b", false},        {"(\\w+\\s?)+\\d", false},
      {"(\\w+ ){2,5}\\d\\d", false},
  };
  for (const auto& c : cases) {
    TTxtEditRegexSearch regex(nullptr);
    regex.SetPattern(c.Expr);
    TRegExprBudget budget(0, 1000);
    budget.SetShares(perSearch, perCharacter);
    regex.SetBudget(&budget);
    int code = 0, searched = 0, hits = 0;
    for (const std::string& line : lines) {
      ++searched;
      code = CodeOf([&] { hits += regex.FindAllIn(line); });
      if (code != 0) break;
    }
    EXPECT_EQ(code, c.Stops ? TRegExpr::reeTooComplex : 0) << c.Expr;
    EXPECT_LE(budget.StepsUsed(), 1000 + (searched + hits) * perSearch + searched * 100 * perCharacter + 1) << c.Expr;
  }
}

// A line's characters bring their share once, however many searches find its hits: on a line of
// 4,000 characters where every search runs to its end, the searches stop after the line's own
// share; a short line of the same kind answers every hit.
TEST(SearchBudget, ALinesShareComesOnceForAllItsSearches) {
  const struct {
    int Length;
    int Hits;  // -1: stopped
  } cases[] = {{4000, -1}, {40, 20}};
  for (const auto& c : cases) {
    std::string line;
    while (static_cast<int>(line.size()) < c.Length) line += "x ";
    TTxtEditRegexSearch regex(nullptr);
    regex.SetPattern("x.*z|x");
    TRegExprBudget budget(0, 1000);
    budget.SetShares(16, 8);
    regex.SetBudget(&budget);
    int hits = 0;
    const int code = CodeOf([&] { hits = regex.FindAllIn(line); });
    EXPECT_EQ(code == 0 ? hits : -1, c.Hits) << c.Length;
    EXPECT_LE(budget.StepsUsed(), 1000 + 8 * c.Length + 16 * (c.Length / 2 + 1) + 1) << c.Length;
  }
}

// Without a limit set, the choice points of one attempt are capped by the length of the line up to
// a most: a backtracking expression on a line of more than 512K characters stops as too complex
// there, and the memory of the process stays under the cap while it searches.
TEST(SearchBudget, TheChoicePointsOfALongLineStopAtTheCap) {
  const std::string line = std::string(8 << 20, 'a') + "c";
  TRegExpr r;
  r.SetExpression("((a)|(b))*c");
  // The clock samples the memory every few tens of thousands of steps.
  TRegExprBudget budget(INT64_MAX / 2, 0, MemoryClock);
  r.SetBudget(&budget);
  const size_t before = WorkingSet();
  largestWorkingSet = before;
  EXPECT_EQ(CodeOf([&] { r.Exec(line); }), TRegExpr::reeTooComplex);
  // 16M choice points of 16 bytes, and a little for the memory of failed states.
  EXPECT_LE(largestWorkingSet - before, (size_t(256) + 32) << 20) << (largestWorkingSet - before) / 1048576 << " MB";
  // It was the cap, far below the steps a search of this line may take.
  EXPECT_LT(budget.StepsUsed(), 200000000);
  EXPECT_GT(budget.StepsUsed(), 1000000);
  // The object answers again, on a line within the cap.
  r.SetBudget(nullptr);
  EXPECT_TRUE(r.Exec(std::string(1000, 'a') + "c"));
}
