// Seeded random expressions, subjects and templates: every case ends in a result or a clear
// error of the engine, and a match always lies inside the subject with its groups inside it.
#include <gtest/gtest.h>

#include <random>

#include "editor/TxtEditRegExpr.h"

namespace {

std::string RandomText(std::mt19937& Rng, const std::string& Alphabet, int MaxLen) {
  std::string s(std::uniform_int_distribution<int>(0, MaxLen)(Rng), ' ');
  for (char& c : s) c = Alphabet[std::uniform_int_distribution<size_t>(0, Alphabet.size() - 1)(Rng)];
  return s;
}

// Pieces an expression is built from, so that most cases get past the compiler.
std::string RandomExpression(std::mt19937& Rng) {
  static const char* const pieces[] = {"a",    "b",   "ab",  ".",    "\\d",   "\\w",  "\\s",   "\\b", "^",     "$",
                                       "(",    ")",   "|",   "*",    "+",     "?",    "*?",    "{2}", "{1,3}", "[a-c]",
                                       "[^b]", "\\1", "\\2", "(?i)", "(?-g)", "(?m)", "\\x41", "{",   "]",     "\\"};
  std::string s;
  const int n = std::uniform_int_distribution<int>(0, 12)(Rng);
  for (int i = 0; i < n; ++i) s += pieces[std::uniform_int_distribution<size_t>(0, std::size(pieces) - 1)(Rng)];
  return s;
}

}  // namespace

TEST(RegExprFuzz, RandomExpressionsEndInAResultOrAClearError) {
  std::mt19937 rng(20261206);
  int compiled = 0, matched = 0;
  for (int i = 0; i < 4000; ++i) {
    const std::string expr = i % 4 == 0 ? RandomText(rng, "ab()|*+?{}[]^$.\\-,0123dwsx#", 14) : RandomExpression(rng);
    const std::string subject = RandomText(rng, "aab AB1_\r\n-", 40);
    TRegExpr r;
    r.SetStepBudget(200000);
    r.SetExpression(expr);
    try {
      r.Compile();
    } catch (const ERegExpr& e) {
      EXPECT_GE(e.ErrorCode, 100) << expr;
      EXPECT_LT(e.ErrorCode, 1000) << expr;
      EXPECT_NE(r.ErrorMsg(e.ErrorCode), "Unknown error") << expr;
      EXPECT_LE(e.CompilerErrorPos, static_cast<int>(expr.size())) << expr;
      continue;
    }
    ++compiled;
    try {
      for (bool found = r.Exec(subject); found; found = r.ExecNext()) {
        ++matched;
        const int pos = r.GetMatchPos(0), len = r.GetMatchLen(0);
        ASSERT_GE(pos, 1) << expr;
        ASSERT_LE(pos + len, static_cast<int>(subject.size()) + 1) << expr;
        for (int g = 1; g < TRegExpr::NSUBEXP; ++g) {
          if (r.GetMatchPos(g) < 0) continue;
          EXPECT_GE(r.GetMatchPos(g), 1) << expr;
          EXPECT_LE(r.GetMatchPos(g) + r.GetMatchLen(g), static_cast<int>(subject.size()) + 1) << expr;
        }
        r.Substitute(RandomText(rng, "$&{}1290\\x", 8));
      }
    } catch (const ERegExpr& e) {
      EXPECT_EQ(e.ErrorCode, TRegExpr::reeTooComplex) << expr;
    }
  }
  // The generator must reach the matcher often, or the test proves little.
  EXPECT_GT(compiled, 1000);
  EXPECT_GT(matched, 1000);
}
