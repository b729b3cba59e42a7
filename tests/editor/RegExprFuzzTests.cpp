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

// Under x, blanks and # comments (not after a backslash or between "(" and "?") change nothing.
TEST(RegExprFuzz, BlanksChangeNothingInExtendedSyntax) {
  // The pieces, '_' marking where blanks may stand inside one (the piece as written has none).
  static const char* const pieces[] = {
      "a",     "b",   "a_b",   ".",       "\\d",    "\\w",     "^",     "$",     "(",         ")",      "|",
      "*",     "+",   "?",     "*_?",     "{_2_}",  "{1_,_3}", "{1_2}", "{1,_}", "[_a_-_c_]", "[_^_b]", "[a_-_]",
      "[_]a]", "\\1", "(?i_)", "(?-_g_)", "(?i_m)", "\\x41",   "{",     "]",     "\\",        "-"};
  static const char* const blanks[] = {" ", "\t", "\r\n", "  ", "#c\n", "# x]\r"};
  std::mt19937 rng(7102);
  auto blank = [&] { return std::string(blanks[rng() % std::size(blanks)]); };
  int compiled = 0, matched = 0;
  for (int i = 0; i < 6000; ++i) {
    std::string plain = "(?x)", spaced = "(?x)";
    const int n = 1 + static_cast<int>(rng() % 10);
    bool open = false;  // the expression ends in "(", "(?" or a backslash: no blank may follow
    for (int k = 0; k < n; ++k) {
      const char* piece = pieces[rng() % std::size(pieces)];
      if (!open && rng() % 2) spaced += blank();
      for (const char* c = piece; *c; ++c) {
        if (*c != '_') plain += *c;
        spaced += *c == '_' ? (rng() % 2 ? blank() : std::string()) : std::string(1, *c);
      }
      open = plain.back() == '(' || plain.back() == '\\' || plain.ends_with("(?");
    }
    if (!open && rng() % 2) spaced += blank();
    std::string subject(rng() % 24, ' ');
    for (char& c : subject) c = "aabAB1]-{}\r\n "[rng() % 13];
    auto outcome = [&](const std::string& Expr) {
      TRegExpr r;
      r.SetStepBudget(200000);
      r.SetExpression(Expr);
      std::string all;
      try {
        for (bool found = r.Exec(subject); found; found = r.ExecNext())
          for (int g = 0; g < TRegExpr::NSUBEXP; ++g)
            all += std::to_string(r.GetMatchPos(g)) + ":" + std::to_string(r.GetMatchLen(g)) + (g ? " " : "| ");
      } catch (const ERegExpr& e) {
        all += "error " + std::to_string(e.ErrorCode);
      }
      return all;
    };
    const std::string want = outcome(plain);
    compiled += want.rfind("error", 0) != 0;
    matched += want.find('|') != std::string::npos;
    ASSERT_EQ(outcome(spaced), want) << plain << " as " << spaced << " in " << subject;
  }
  EXPECT_GT(compiled, 2400);
  EXPECT_GT(matched, 700);
}

namespace {

// A random expression built as a tree, so that most get past the compiler: literals, classes,
// anchors, groups, alternation and every kind of repetition, nested.
std::string RandomTree(std::mt19937& Rng, int Depth) {
  auto pick = [&](int N) { return std::uniform_int_distribution<int>(0, N - 1)(Rng); };
  static const char* const atoms[] = {"a", "b", "ab", ".", "[ab]", "[^a]", "\\w", "\\s", "\\d", "\\b", "^", "$", "\\B"};
  static const char* const quantifiers[] = {"*", "+", "?", "*?", "+?", "??", "{2}", "{1,3}", "{0,2}?", "{2,}", "{1,}?"};
  std::string s;
  const int pieces = 1 + pick(3);
  for (int i = 0; i < pieces; ++i) {
    std::string atom;
    if (Depth > 0 && pick(3) == 0) {
      atom = "(" + RandomTree(Rng, Depth - 1);
      while (pick(3) == 0) atom += "|" + RandomTree(Rng, Depth - 1);
      atom += ")";
    } else {
      atom = atoms[pick(static_cast<int>(std::size(atoms)))];
    }
    if (pick(2) == 0) atom += quantifiers[pick(static_cast<int>(std::size(quantifiers)))];
    s += atom;
  }
  return s;
}

// Every match of a search and its continuations with all their groups.
std::string AllMatchesAndGroups(TRegExpr& R, const std::string& Input) {
  std::string all;
  for (bool found = R.Exec(Input); found; found = R.ExecNext()) {
    for (int g = 0; g < TRegExpr::NSUBEXP; ++g)
      if (R.GetMatchPos(g) >= 0)
        all +=
            std::to_string(g) + "@" + std::to_string(R.GetMatchPos(g)) + ":" + std::to_string(R.GetMatchLen(g)) + " ";
    all += "| ";
  }
  return all;
}

}  // namespace

// The memory of failed states and the looks ahead for what a match needs only cut work: with
// them as by default, and with the memory from the start of every search, each match and every
// group of it are those the matcher alone finds trying every position.
TEST(RegExprFuzz, ShortcutsAndTheMemoryNeverChangeAResult) {
  std::mt19937 rng(44044);
  int compared = 0;
  for (int i = 0; i < 10000; ++i) {
    std::string expr = RandomTree(rng, 3);
    // Alternatives at the top too, which have shortcuts of their own; words among them.
    if (i % 4 == 0) expr += "|" + RandomTree(rng, 2);
    if (i % 10 == 1) {
      static const char* const words[] = {"ab", "ba", "aAb", "b a", "abb", "Ba"};
      expr = words[rng() % std::size(words)];
      for (int k = rng() % 4; k >= 0; --k) expr += std::string("|") + words[rng() % std::size(words)];
    }
    const std::string subject = RandomText(rng,
                                           i % 5 == 0    ? "ab \r\n1"
                                           : i % 10 == 1 ? "aAbB "
                                                         : "aab b",
                                           i % 7 == 0 ? 150 : 30);
    TRegExpr plain, usual, remembering;
    plain.SetFailureMemory(TRegExpr::fmNever);
    plain.SetShortcuts(false);
    // The matcher alone only has to answer the searches a short budget allows.
    plain.SetStepBudget(20000000);
    remembering.SetFailureMemory(TRegExpr::fmAlways);
    const bool ignoreCase = i % 3 == 0;
    for (TRegExpr* r : {&plain, &usual, &remembering}) {
      r->SetModifierI(ignoreCase);
      r->SetExpression(expr);
    }
    try {
      plain.Compile();
    } catch (const ERegExpr&) {
      continue;
    }
    std::string want;
    try {
      want = AllMatchesAndGroups(plain, subject);
    } catch (const ERegExpr& e) {
      ASSERT_EQ(e.ErrorCode, TRegExpr::reeTooComplex) << expr;
      // Too much work for the matcher alone; with the memory the search ends.
      EXPECT_NO_THROW(AllMatchesAndGroups(remembering, subject)) << expr << " in " << subject;
      continue;
    }
    for (TRegExpr* r : {&usual, &remembering}) {
      std::string got;
      ASSERT_NO_THROW(got = AllMatchesAndGroups(*r, subject)) << expr << " in " << subject;
      ASSERT_EQ(got, want) << expr << " in " << subject << (r == &usual ? " (as usual)" : " (remembering)");
    }
    ++compared;
  }
  EXPECT_GT(compared, 4000);
}

// Nested repetitions over subjects that make them explode: with the memory the search answers
// as a search without it does on the short ones, and answers on the long ones.
TEST(RegExprFuzz, RememberingFailuresAnswersExplosiveSearches) {
  std::mt19937 rng(4404);
  static const char* const exprs[] = {"(a+)+b",    "(a|aa)+b",   "(a*a)+b",      "((a|ab)+)+c", "(a+a+)+b",
                                      "(.*a){5}b", "(a|b|ab)*c", "(\\w+\\s?)+$", "(a+?)+?b",    "(a{1,2})+b"};
  for (int i = 0; i < 300; ++i) {
    const std::string expr = exprs[i % std::size(exprs)];
    const int n = std::uniform_int_distribution<int>(5, i < 200 ? 16 : 2000)(rng);
    std::string subject = RandomText(rng, "aaaaab", n);
    subject += i % 2 ? "!" : "";
    TRegExpr plain, remembering;
    plain.SetFailureMemory(TRegExpr::fmNever);
    plain.SetExpression(expr);
    remembering.SetExpression(expr);
    std::string got;
    ASSERT_NO_THROW(got = AllMatchesAndGroups(remembering, subject)) << expr << " in " << subject;
    if (i < 200) {
      EXPECT_EQ(got, AllMatchesAndGroups(plain, subject)) << expr << " in " << subject;
    }
  }
}

// The explosive forms at seeded lengths from 20 to 100,000 characters: each is answered, never
// "too complex", and right: a failed line answers no match; a line that matches gives the match
// the rule of the form says.
TEST(RegExprFuzz, ExplosiveFormsAnswerRightAtAnyLength) {
  std::mt19937 rng(5252);
  for (int i = 0; i < 60; ++i) {
    const int n = i < 3 ? 20 + i : std::uniform_int_distribution<int>(20, 100000)(rng) & ~1;
    const bool matches = i % 2 == 0;
    std::string expr, subject, want;
    switch (i % 6 / 2) {
      case 0:
        // n times b, then eleven or twelve a: twelve passes end at the last a.
        expr = "(.*a){12}";
        subject = std::string(static_cast<size_t>(n), 'b') + std::string(matches ? 12 : 11, 'a');
        want = matches ? "1:" + std::to_string(n + 12) : "none";
        break;
      case 1:
        expr = "(a+)+\\d";
        subject = std::string(static_cast<size_t>(n), 'a') + (matches ? "1" : "!1");
        want = matches ? "1:" + std::to_string(n + 1) : "none";
        break;
      default:
        // An even run before the digit is its half twice.
        expr = "(\\w+)\\1+\\d";
        subject = std::string(static_cast<size_t>(n), 'a') + (matches ? "1" : "!1");
        want = matches ? "1:" + std::to_string(n + 1) + " 1:" + std::to_string(n / 2) : "none";
        break;
    }
    TRegExpr r;
    r.SetExpression(expr);
    std::string got;
    ASSERT_NO_THROW(got = r.Exec(subject) ? std::to_string(r.GetMatchPos(0)) + ":" + std::to_string(r.GetMatchLen(0))
                                          : "none")
        << expr << " n=" << n;
    if (expr.find("\\1") != std::string::npos && got != "none") got += " 1:" + std::to_string(r.GetMatchLen(1));
    EXPECT_EQ(got, want) << expr << " n=" << n;
  }
}
