// Seeded random patterns and lines: the plain engine's skip table finds what a byte-by-byte
// scan finds, and the expression engine finds the same literal hits with all its shortcuts.
#include <gtest/gtest.h>

#include <random>

#include "editor/TxtEditSearch.h"
#include "framework/Win.h"

namespace {

std::string Random(std::mt19937& Rng, const char* Alphabet, int MinLen, int MaxLen) {
  const std::string a(Alphabet);
  std::string s(std::uniform_int_distribution<int>(MinLen, MaxLen)(Rng), ' ');
  for (char& c : s) c = a[std::uniform_int_distribution<size_t>(0, a.size() - 1)(Rng)];
  return s;
}

char Lower(char C) {
  CharLowerBuffA(&C, 1);
  return C;
}

bool Delimiter(char C) { return !(IsCharAlphaNumericA(C) || C == '_'); }

// Leftmost matches that do not overlap, found by trying every position.
std::vector<int> Naive(const std::string& P, const std::string& T, bool Sensitive, bool Whole) {
  std::vector<int> r;
  const size_t m = P.size();
  for (size_t i = 0; i + m <= T.size();) {
    size_t k = 0;
    while (k < m && (Sensitive ? T[i + k] == P[k] : Lower(T[i + k]) == Lower(P[k]))) ++k;
    const bool word = !Whole || ((i == 0 || Delimiter(T[i - 1])) && (i + m == T.size() || Delimiter(T[i + m])));
    if (k == m && word) {
      r.push_back(static_cast<int>(i) + 1);
      i += m;
    } else {
      ++i;
    }
  }
  return r;
}

std::vector<int> Found(TTxtEditSearchCustom& S, const std::string& Text) {
  std::vector<int> r;
  const int n = S.FindAllIn(Text);
  for (int i = 0; i < n; ++i) r.push_back(S.GetResult(i));
  return r;
}

}  // namespace

TEST(SearchFuzz, SkipTableAgreesWithAByteByByteScan) {
  std::mt19937 rng(1206);
  TTxtEditSearch s(nullptr);
  for (int i = 0; i < 6000; ++i) {
    const std::string pattern = Random(rng, "abAB_ .", 1, 6);
    const std::string text = Random(rng, "abAB_ .", 0, 60);
    const bool sensitive = i % 2, whole = i % 3 == 0;
    TSearchReplaceOptions options;
    if (sensitive) options.Include(srMatchCase);
    if (whole) options.Include(srWholeWord);
    s.SetOptions(options);
    s.SetPattern(pattern);
    ASSERT_EQ(Found(s, text), Naive(pattern, text, sensitive, whole)) << pattern << " in " << text;
  }
}

TEST(SearchFuzz, ExpressionShortcutsFindEveryLiteralHit) {
  std::mt19937 rng(612);
  TTxtEditSearch plain(nullptr);
  TTxtEditRegexSearch regex(nullptr);
  for (int i = 0; i < 3000; ++i) {
    const std::string literal = Random(rng, "abAB", 1, 5);
    const std::string text = Random(rng, "abAB ", 0, 50);
    const bool sensitive = i % 2;
    TSearchReplaceOptions options;
    if (sensitive) options.Include(srMatchCase);
    plain.SetOptions(options);
    plain.SetPattern(literal);
    regex.SetOptions(options);
    // Plain, behind a repetition (which makes the literal required) and as one of two branches.
    for (const std::string& expr : {literal, "x*" + literal, "y|" + literal, "(?i)q*" + literal}) {
      regex.SetPattern(expr);
      if (expr.rfind("(?i)", 0) == 0 && sensitive) continue;
      ASSERT_EQ(Found(regex, text), Found(plain, text)) << expr << " in " << text;
    }
  }
}
