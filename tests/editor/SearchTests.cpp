// The plain search engine and search and replace in the editor control: scopes, directions,
// replacing with and without asking, and that a replace-all is one undo step.
#include <gtest/gtest.h>

#include <vector>

#include "editor/TxtEdit.h"
#include "editor/TxtEditSearch.h"
#include "tests/editor/EditingTestSupport.h"
#include "tests/framework/Raised.h"

namespace {

std::vector<int> FindAll(TTxtEditSearchCustom& S, const std::string& Pattern, const std::string& Text,
                         TSearchReplaceOptions Options = {}) {
  S.SetOptions(Options);
  S.SetPattern(Pattern);
  std::vector<int> r;
  const int n = S.FindAll(Text);
  for (int i = 0; i < n; ++i) r.push_back(S.GetResult(i));
  return r;
}

using V = std::vector<int>;

// Answers the replace prompt from a script and remembers where it was asked.
struct TPrompter {
  std::vector<TTxtReplaceAction> Answers;
  std::vector<TBufferCoord> Asked;
  void Handler(TObject*, const AnsiString&, const AnsiString&, int Line, int Column, TTxtReplaceAction& Action) {
    Asked.push_back({Column, Line});
    Action = Asked.size() <= Answers.size() ? Answers[Asked.size() - 1] : raCancel;
  }
};

struct TSearchFixture : ::testing::Test {
  TTxtEdit e{nullptr};
  TTxtEditSearch plain{nullptr};
  TTxtEditRegexSearch regex{nullptr};
  void SetUp() override { e.SetSearchEngine(&plain); }
  int Run(const char* Search, const char* Replace, TSearchReplaceOptions Options) {
    return e.SearchReplace(Search, Replace, Options);
  }
};

}  // namespace

TEST(PlainSearch, SkipTableFindsEveryNonOverlappingMatch) {
  TTxtEditSearch s(nullptr);
  EXPECT_EQ(FindAll(s, "aa", "aaaaa"), V({1, 3}));
  EXPECT_EQ(FindAll(s, "abcab", "xabcabcabx"), V({2}));
  EXPECT_EQ(FindAll(s, "ab", "b"), V());
  EXPECT_EQ(FindAll(s, "x", "axbxx"), V({2, 4, 5}));
  EXPECT_EQ(FindAll(s, "aab", "aaaab aab"), V({3, 7}));
  EXPECT_EQ(FindAll(s, "ABC", "abc aBc ABC"), V({1, 5, 9}));
  EXPECT_EQ(FindAll(s, "ABC", "abc aBc ABC", {srMatchCase}), V({9}));
  EXPECT_EQ(FindAll(s, "\xC4", "\xE4\xC4", {}), V({1, 2}));
  const std::string longPattern = std::string(300, 'q') + "z";
  EXPECT_EQ(FindAll(s, longPattern, "zz" + longPattern + "q"), V({3}));
  EXPECT_EQ(s.GetLength(7), static_cast<int>(longPattern.size()));
  EXPECT_EQ(s.GetResult(1), 0);
  EXPECT_EQ(s.GetResult(-1), 0);
  EXPECT_EQ(s.Replace("found", "new"), "new");
}

TEST(PlainSearch, WholeWords) {
  TTxtEditSearch s(nullptr);
  EXPECT_EQ(FindAll(s, "an", "an apple (an) and an_x an", {srWholeWord}), V({1, 11, 24}));
  EXPECT_EQ(FindAll(s, "an", "ban an", {srWholeWord}), V({5}));
  EXPECT_EQ(FindAll(s, "AN", "an", {srWholeWord}), V({1}));
}

TEST(PlainSearch, CountsAndRejectsAnEmptyPattern) {
  TTxtEditSearch s(nullptr);
  FindAll(s, "a", "aXa");
  s.FindAll("a");
  EXPECT_EQ(s.Count(), 3);
  s.SetPattern("a");
  EXPECT_EQ(s.Count(), 0);
  s.SetPattern("");
  EXPECT_THROW(s.FindAll("abc"), Exception);
}

TEST(RegexSearch, FindsAndSubstitutesPerMatch) {
  TTxtEditRegexSearch s(nullptr);
  EXPECT_EQ(FindAll(s, "a*", "baa"), V({1, 2, 4}));
  EXPECT_EQ(FindAll(s, "AB", "ab Ab", {}), V({1, 4}));
  EXPECT_EQ(FindAll(s, "AB", "ab Ab", {srMatchCase}), V());
  EXPECT_EQ(FindAll(s, "(\\w)(\\d)", "a1 b2 a1"), V({1, 4, 7}));
  EXPECT_EQ(s.Replace("b2", "$2$1"), "2b");
  EXPECT_EQ(s.Replace("a1", "$2$1"), "1a");
  EXPECT_EQ(s.Replace("c3", "<$1>"), "<c>");
  // A match that holds only where it stands in the line: the occurrence alone would not match.
  EXPECT_EQ(FindAll(s, "\\Ba", "ba a"), V({2}));
  EXPECT_EQ(s.Replace("a", "<$0>"), "<a>");
}

TEST_F(TSearchFixture, NeedsAnEngineAndASearchText) {
  e.SetSearchEngine(nullptr);
  EXPECT_EQ(Raised<ETxtEditError>([&] { Run("a", "", {}); }), "No search engine has been assigned");
  e.SetSearchEngine(&plain);
  e.SetTextA("abc");
  EXPECT_EQ(Run("", "", {srReplaceAll}), 0);
  // The engine's own destruction detaches it.
  {
    TTxtEditSearch temporary(nullptr);
    e.SetSearchEngine(&temporary);
  }
  EXPECT_EQ(e.SearchEngine(), nullptr);
}

TEST_F(TSearchFixture, ForwardsAndBackwardsFromTheCaret) {
  e.SetTextA("xab ab ab\r\nab");
  e.SetCaretXY({3, 1});
  EXPECT_EQ(Run("ab", "", {}), 1);
  EXPECT_EQ(e.BlockBegin(), BufferCoord(5, 1));
  EXPECT_EQ(e.CaretXY(), BufferCoord(7, 1));
  EXPECT_EQ(Run("ab", "", {}), 1);
  EXPECT_EQ(e.BlockBegin(), BufferCoord(8, 1));
  EXPECT_EQ(Run("ab", "", {}), 1);
  EXPECT_EQ(e.BlockBegin(), BufferCoord(1, 2));
  EXPECT_EQ(Run("ab", "", {}), 0);
  // Backwards: the caret stays at the hit's start, so repeating finds the one before.
  e.SetCaretXY({7, 1});
  EXPECT_EQ(Run("ab", "", {srBackwards}), 1);
  EXPECT_EQ(e.BlockBegin(), BufferCoord(5, 1));
  EXPECT_EQ(e.CaretXY(), BufferCoord(5, 1));
  EXPECT_EQ(Run("ab", "", {srBackwards}), 1);
  EXPECT_EQ(e.CaretXY(), BufferCoord(2, 1));
  EXPECT_EQ(Run("ab", "", {srBackwards}), 0);
  // A hit that would end after the caret is not found backwards.
  e.SetCaretXY({6, 1});
  EXPECT_EQ(Run("ab", "", {srBackwards}), 1);
  EXPECT_EQ(e.BlockBegin(), BufferCoord(2, 1));
  // The entire scope ignores the caret.
  EXPECT_EQ(Run("ab", "", {srBackwards, srEntireScope}), 1);
  EXPECT_EQ(e.BlockBegin(), BufferCoord(1, 2));
}

TEST_F(TSearchFixture, ReplaceAllShiftsLaterHitsAndIsOneUndoStep) {
  e.SetTextA("aaa\r\nxa");
  EXPECT_EQ(Run("a", "bb", {srReplaceAll, srEntireScope}), 4);
  EXPECT_EQ(e.TextA(), "bbbbbb\r\nxbb");
  EXPECT_EQ(e.PaintLock(), 0);
  EXPECT_EQ(TextAfterUndo(e), "aaa\r\nxa");
  EXPECT_EQ(TextAfterRedo(e), "bbbbbb\r\nxbb");
  // Shrinking and backwards.
  e.SetTextA("abcabc abc");
  EXPECT_EQ(Run("abc", "-", {srReplaceAll, srEntireScope, srBackwards}), 3);
  EXPECT_EQ(e.TextA(), "-- -");
  EXPECT_EQ(TextAfterUndo(e), "abcabc abc");
}

TEST_F(TSearchFixture, ReplaceOneHitAtATime) {
  e.SetTextA("one two one");
  EXPECT_EQ(Run("one", "1", {srReplace, srEntireScope}), 1);
  EXPECT_EQ(e.TextA(), "1 two one");
  EXPECT_EQ(e.CaretXY(), BufferCoord(2, 1));
  EXPECT_EQ(Run("one", "1", {srReplace}), 1);
  EXPECT_EQ(e.TextA(), "1 two 1");
}

TEST_F(TSearchFixture, SelectionScopes) {
  e.SetTextA("ab ab ab\r\nab ab ab\r\nab ab ab");
  // Normal: from (4,1) to (6,3).
  Select(e, {4, 1}, {6, 3});
  EXPECT_EQ(Run("ab", "X", {srReplaceAll, srSelectionOnly, srEntireScope}), 7);
  EXPECT_EQ(e.TextA(), "ab X X\r\nX X X\r\nX X ab");
  // Line: whole lines 2..3 whatever the characters.
  e.SetTextA("ab ab\r\nab ab\r\nab ab");
  Select(e, {4, 2}, {2, 3}, smLine);
  EXPECT_EQ(Run("ab", "X", {srReplaceAll, srSelectionOnly, srEntireScope}), 4);
  EXPECT_EQ(e.TextA(), "ab ab\r\nX X\r\nX X");
  // Column: characters 3..6 of every line, made from right to left.
  e.SetTextA("ab ab ab\r\nab ab ab\r\nab ab ab");
  Select(e, {7, 3}, {3, 1}, smColumn);
  EXPECT_EQ(Run("ab", "", {srSelectionOnly, srEntireScope}), 1);
  EXPECT_EQ(e.BlockBegin(), BufferCoord(4, 1));
  e.SetSelectionMode(smNormal);
  Select(e, {7, 3}, {3, 1}, smColumn);
  EXPECT_EQ(Run("ab", "X", {srReplaceAll, srSelectionOnly, srEntireScope}), 3);
  EXPECT_EQ(e.TextA(), "ab X ab\r\nab X ab\r\nab X ab");
  // No selection: the whole text from the caret on.
  e.SetSelectionMode(smNormal);
  e.SetTextA("ab ab");
  e.SetCaretXY({2, 1});
  EXPECT_EQ(Run("ab", "X", {srReplaceAll, srSelectionOnly}), 1);
  EXPECT_EQ(e.TextA(), "ab X");
}

TEST_F(TSearchFixture, PromptAnswers) {
  TPrompter p;
  e.OnReplaceText = TReplaceTextEvent(&p, &TPrompter::Handler);
  e.SetTextA("a a a a");
  p.Answers = {raSkip, raReplace, raCancel};
  EXPECT_EQ(Run("a", "bb", {srReplaceAll, srPrompt, srEntireScope}), 3);
  EXPECT_EQ(e.TextA(), "a bb a a");
  // The position asked about follows the earlier replacement.
  ASSERT_EQ(p.Asked.size(), 3u);
  EXPECT_EQ(p.Asked[2], BufferCoord(6, 1));
  // Replace-all from the prompt: no more questions, one undo step for all of it.
  e.SetTextA("a a\r\na a");
  e.UndoList()->Clear();
  p.Asked.clear();
  p.Answers = {raReplace, raReplaceAll};
  EXPECT_EQ(Run("a", "c", {srReplace, srReplaceAll, srPrompt, srEntireScope}), 4);
  EXPECT_EQ(p.Asked.size(), 2u);
  EXPECT_EQ(e.TextA(), "c c\r\nc c");
  EXPECT_EQ(e.PaintLock(), 0);
  EXPECT_EQ(TextAfterUndo(e), "c a\r\na a");
  EXPECT_EQ(TextAfterUndo(e), "a a\r\na a");
}

TEST_F(TSearchFixture, RegularExpressionReplaceAndItsErrors) {
  e.SetSearchEngine(&regex);
  e.SetTextA("k1=v1 k2=v2\r\nz=9");
  EXPECT_EQ(Run("(\\w+)=(\\w+)", "$2:$1", {srReplaceAll, srEntireScope}), 3);
  EXPECT_EQ(e.TextA(), "v1:k1 v2:k2\r\n9:z");
  EXPECT_THROW(Run("(a", "", {srReplaceAll, srEntireScope}), ERegExpr);
  EXPECT_EQ(e.PaintLock(), 0);
  // Nested repetitions answer; an expression too complex for a line is reported, not left
  // running.
  e.SetTextA(std::string(40, 'a') + "\r\nz=9");
  EXPECT_EQ(Run("(a|aa)+\\d", "", {srReplaceAll, srEntireScope}), 0);
  e.SetTextA(std::string(3000, 'a') + "1\r\nz=9");
  try {
    Run("(a|aa)+\\1\\d\\d", "", {srReplaceAll, srEntireScope});
    ADD_FAILURE();
  } catch (const ERegExpr& x) {
    EXPECT_EQ(x.ErrorCode, TRegExpr::reeTooComplex);
  }
  EXPECT_EQ(e.PaintLock(), 0);
}

TEST_F(TSearchFixture, ReplaceAllOfManyHitsOnALongLine) {
  std::string line;
  for (int i = 0; i < 20000; ++i) line += "ab ";
  // Past the scroll width the caret stops, and an undo record of an insertion with it.
  e.SetOptions(e.Options() - eoScrollPastEol);
  e.SetTextA(line);
  EXPECT_EQ(Run("ab", "xyz", {srReplaceAll, srEntireScope}), 20000);
  std::string want;
  for (int i = 0; i < 20000; ++i) want += "xyz ";
  // Compared as a whole, but a failure should not print the whole line.
  EXPECT_TRUE(e.TextA() == want) << e.TextA().size();
  EXPECT_TRUE(TextAfterUndo(e) == line);
}

TEST_F(TSearchFixture, AHitPastTheScrollWidthIsReplacedExactly) {
  const std::string head(1100, 'x');
  e.SetTextA(head + "ab cd");
  EXPECT_EQ(Run("ab", "Z", {srReplace, srEntireScope}), 1);
  EXPECT_TRUE(e.TextA() == head + "Z cd");
}

// Every edit past the scroll width lands where the text says: a redone replacement, an empty hit
// replaced (the text goes in where the hit is, not where the caret stopped), and undo of both.
TEST_F(TSearchFixture, RedoOfAReplacementPastTheScrollWidth) {
  const std::string head(1030, 'y');
  for (TTxtEditSearchCustom* engine : std::initializer_list<TTxtEditSearchCustom*>{&plain, &regex}) {
    e.SetSearchEngine(engine);
    for (TSearchReplaceOptions options :
         {TSearchReplaceOptions{srReplaceAll, srEntireScope}, TSearchReplaceOptions{srReplace, srEntireScope}}) {
      e.SetTextA(head + "ab");
      EXPECT_EQ(Run("a", "Z", options), 1);
      EXPECT_TRUE(e.TextA() == head + "Zb");
      EXPECT_TRUE(TextAfterUndo(e) == head + "ab");
      EXPECT_TRUE(TextAfterRedo(e) == head + "Zb") << e.TextA().substr(1020);
      EXPECT_TRUE(TextAfterUndo(e) == head + "ab");
    }
  }
}

TEST_F(TSearchFixture, EmptyHitsPastTheScrollWidth) {
  TPrompter p;
  p.Answers.assign(10, raReplace);
  e.OnReplaceText = TReplaceTextEvent(&p, &TPrompter::Handler);
  e.SetSearchEngine(&regex);
  const std::string head(1024, 'y');
  struct {
    const char* Expr;
    const char* Replacement;
    TSearchReplaceOptions Options;
    std::string Text, Want;
  } cases[] = {
      {"$", ";", {srReplace, srEntireScope}, head + "ab", head + "ab;"},
      {"$", ";", {srReplaceAll, srEntireScope}, head + "ab", head + "ab;"},
      {"$", ";", {srReplaceAll, srEntireScope, srPrompt}, head + "ab", head + "ab;"},
      {"$", ";", {srReplaceAll, srEntireScope, srBackwards}, head + "ab", head + "ab;"},
      {"\\b",
       "$",
       {srReplaceAll, srEntireScope, srBackwards},
       std::string(1020, 'y') + " ab ab",
       "$" + std::string(1020, 'y') + "$ $ab$ $ab$"},
      {"\\b",
       "$",
       {srReplaceAll, srEntireScope},
       std::string(1020, 'y') + " ab ab",
       "$" + std::string(1020, 'y') + "$ $ab$ $ab$"},
      {"\\b",
       "$",
       {srReplaceAll, srEntireScope, srPrompt, srBackwards},
       std::string(1020, 'y') + " ab ab",
       "$" + std::string(1020, 'y') + "$ $ab$ $ab$"},
      {"\\b",
       "$",
       {srReplaceAll, srEntireScope, srPrompt},
       std::string(1020, 'y') + " ab ab",
       "$" + std::string(1020, 'y') + "$ $ab$ $ab$"},
  };
  for (const auto& c : cases) {
    e.SetTextA(c.Text);
    e.UndoList()->Clear();
    p.Asked.clear();
    Run(c.Expr, c.Replacement, c.Options);
    EXPECT_TRUE(e.TextA() == c.Want) << c.Expr << " " << e.TextA().substr(1000);
    EXPECT_TRUE(TextAfterUndo(e) == c.Text) << c.Expr << " " << e.TextA().substr(1000);
    EXPECT_TRUE(TextAfterRedo(e) == c.Want) << c.Expr << " " << e.TextA().substr(1000);
  }
}

// With column selection mode but nothing selected, replacing every hit at once ends as answering
// the prompt with "replace" every time, and both take every hit: the scope is the text, whose
// end moves with the replacements before it (only a column selection's end stays).
TEST_F(TSearchFixture, ColumnModeWithoutASelectionReplacesAllAsPrompted) {
  TPrompter p;
  p.Answers.assign(10, raReplace);
  e.OnReplaceText = TReplaceTextEvent(&p, &TPrompter::Handler);
  // A search leaves its hit selected as characters: each run starts in column mode again.
  auto run = [&](const char* Text, bool Prompted) {
    e.SetSelectionMode(smNormal);
    e.SetSelectionMode(smColumn);
    e.SetTextA(Text);
    p.Asked.clear();
    return Run("a", "bb",
               Prompted ? TSearchReplaceOptions{srReplaceAll, srPrompt, srEntireScope}
                        : TSearchReplaceOptions{srReplaceAll, srEntireScope});
  };
  for (bool prompted : {false, true}) {
    for (TTxtEditSearchCustom* engine : std::initializer_list<TTxtEditSearchCustom*>{&plain, &regex}) {
      e.SetSearchEngine(engine);
      EXPECT_EQ(run("aaaa", prompted), 4) << prompted;
      EXPECT_EQ(e.TextA(), "bbbbbbbb") << prompted;
      EXPECT_EQ(run("aaaa\r\naaaaa", prompted), 9) << prompted;
      EXPECT_EQ(e.TextA(), "bbbbbbbb\r\nbbbbbbbbbb") << prompted;
      // A column selection keeps its end: hits pushed past it by the replacements stay.
      e.SetTextA("aaaa\r\naaaaa");
      e.SetSelectionMode(smColumn);
      e.SetCaretXY({1, 1});
      e.SetBlockBegin({1, 1});
      e.SetBlockEnd({4, 2});
      p.Asked.clear();
      const int inColumn = Run("a", "bb",
                               prompted ? TSearchReplaceOptions{srReplaceAll, srPrompt, srSelectionOnly}
                                        : TSearchReplaceOptions{srReplaceAll, srSelectionOnly});
      EXPECT_EQ(inColumn, 4) << prompted;
      EXPECT_EQ(e.TextA(), "bbbbaa\r\nbbbbaaa") << prompted;
    }
  }
  e.SetSelectionMode(smNormal);
}

// A hit selected as whole lines would take the rest of its line with the replacement.
TEST_F(TSearchFixture, HitsAreSelectedAsCharactersInEverySelectionMode) {
  TPrompter p{std::vector(10, raReplace), {}};
  e.OnReplaceText = TReplaceTextEvent(&p, &TPrompter::Handler);
  const TSearchReplaceOptions one{srReplace, srEntireScope}, all{srReplaceAll, srEntireScope},
      asked{srReplaceAll, srPrompt, srEntireScope};
  const std::tuple<TTxtSelectionMode, TSearchReplaceOptions, const char*> cases[] = {
      {smLine, one, "aX\r\nc\tbd"},   {smLine, all, "aX\r\nc\tXd"},   {smLine, asked, "aX\r\nc\tXd"},
      {smColumn, one, "aX\r\nc\tbd"}, {smColumn, all, "aX\r\nc\tXd"}, {smNormal, all, "aX\r\nc\tXd"}};
  for (const auto& [mode, options, want] : cases) {
    e.SetSelectionMode(mode);
    e.SetTextA("ab\r\nc\tbd");
    Run("b", "X", options);
    EXPECT_EQ(e.TextA(), want) << mode;
    EXPECT_EQ(e.SelectionMode(), mode) << mode;
  }
}
