// The regular-expression engine without any window: syntax, compile errors, matching,
// continuing after a match, substitution, and the limits that keep hard expressions safe.
#include <gtest/gtest.h>

#include <tuple>

#include "editor/TxtEditRegExpr.h"

namespace {

struct TMatchCase {
  const char* Expr;
  std::string Input;
  int Pos;  // 1-based, 0 = no match
  int Len;
};

// Where the first match is: "pos:len", or "none".
std::string FirstMatch(TRegExpr& R, const std::string& Input) {
  if (!R.Exec(Input)) return "none";
  return std::to_string(R.GetMatchPos(0)) + ":" + std::to_string(R.GetMatchLen(0));
}

std::string FirstMatch(const char* Expr, const std::string& Input) {
  TRegExpr r;
  r.SetExpression(Expr);
  return FirstMatch(r, Input);
}

// Every match of a search and its continuations: "pos:len pos:len ...".
std::string AllMatches(TRegExpr& R, const std::string& Input) {
  std::string all;
  for (bool found = R.Exec(Input); found; found = R.ExecNext())
    all += (all.empty() ? "" : " ") + std::to_string(R.GetMatchPos(0)) + ":" + std::to_string(R.GetMatchLen(0));
  return all;
}

int CompileError(const std::string& Expr, std::string* Message = nullptr) {
  TRegExpr r;
  r.SetExpression(Expr);
  try {
    r.Compile();
  } catch (const ERegExpr& e) {
    if (Message) *Message = e.what();
    return e.ErrorCode;
  }
  return 0;
}

// An expression, a subject and the first match ("pos:len", "none" or "error <code>").
using TOutcomeCase = std::tuple<const char*, const char*, const char*>;
std::string Outcome(const std::string& Expr, const std::string& Input) {
  if (const int code = CompileError(Expr)) return "error " + std::to_string(code);
  TRegExpr r;
  r.SetExpression(Expr);
  return FirstMatch(r, Input);
}

}  // namespace

TEST(RegExpr, Syntax) {
  const TMatchCase cases[] = {
      {"abc", "xxabcx", 3, 3},
      {"a|bc|d", "xbc", 2, 2},
      {"a{3}", "aaaa", 1, 3},
      {"xa{3}y", "xaay", 0, 0},
      {"a{2,}", "baaaa", 2, 4},
      {"a{2,3}", "aaaaa", 1, 3},
      {"a{2,3}?", "aaaaa", 1, 2},
      {"a{,3}", "a{,3}", 1, 5},
      {"x{", "x{", 1, 2},
      {"{2}", "a{2}", 2, 3},
      {"x(?i){2}", "x{2}", 1, 4},
      {"x|{2}", "{2}", 1, 3},
      {"a.*b", "a1b2b", 1, 5},
      {"a.*?b", "a1b2b", 1, 3},
      {"a+?", "aaa", 1, 1},
      {"(ab)+", "ababx", 1, 4},
      {"(ab)*?c", "ababc", 1, 5},
      {"(a|b){2,3}c", "ababc", 2, 4},
      {"(ab){2}", "abab", 1, 4},
      {"(ab)?c", "xc", 2, 1},
      {"(ab)??c", "abc", 1, 3},
      {"[]a]+", "x]a]", 2, 3},
      {"[^a-c]+", "abcxyz", 4, 3},
      {"[a-]+", "b-a-", 2, 3},
      {"[\\d.]+", "v1.25", 2, 4},
      {"[\\D]", "12D", 3, 1},
      {"[\\x41-\\x43]+", "xABCD", 2, 3},
      {"\\d+", "ab123c", 3, 3},
      {"\\D+", "12ab3", 3, 2},
      {"\\w+", "  foo_1 ", 3, 5},
      {"\\s+", "a \t\r\nb", 2, 4},
      {"\\t\\x41\\x{42}\\e", "\tAB\x1b", 1, 4},
      {"\\.\\*", "a.*", 2, 2},
      {"\\Aab", "abab", 1, 2},
      {"ab\\Z", "abab", 3, 2},
      {"^ab", "xab", 0, 0},
      {"ab$", "abx", 0, 0},
      {"(a)(b)\\2\\1", "abba", 1, 4},
      {"(a)\\1+", "aaaa", 1, 4},
      {"(?i)(a)\\1", "aA", 1, 2},
      {"(a)\\1", "aA", 0, 0},
      {"(a)|\\1b", "b", 0, 0},
      {"(?i)abc", "xAbC", 2, 3},
      {"(?i)abc(?-i)d", "ABCd", 1, 4},
      {"(?i)abc(?-i)d", "ABCD", 0, 0},
      {"(a(?i)b)B", "aBb", 0, 0},
      {"(a(?i)b)B", "aBB", 1, 3},
      {"(?i)[a-c]+", "xBCa", 2, 3},
      {"a(?#note)b", "ab", 1, 2},
      {"(?x) a b # comment\n c", "abc", 1, 3},
      {"(?s-s).", "\r\nx", 3, 1},
      {"(?g-g)a+", "aaa", 1, 1},
      {"\\bfoo\\b", "a foo.", 3, 3},
      {"\\bfoo\\b", "afoo", 0, 0},
      {"\\Boo", "foo", 2, 2},
      {"a*", "baa", 1, 0},
      {"(a|ab)(c|bcd)(d*)", "abcd", 1, 4},
      // The shortcuts that skip ahead to a first character must never miss a match.
      {"(?i)a*B", "aab", 1, 3},
      {"(?i)a+bc", "xAABC", 2, 4},
      {"(?i)x*hello", "HeLLo", 1, 5},
      {"(?i)abc", "ABC", 1, 3},
      {"a*bc|x", "x", 1, 1},
      {"a+bcd|ef", "ef", 1, 2},
      {"(?i)a*?B", "ab", 1, 2},
      {"(?i)[a-z]*Z", "abz", 1, 3},
      {"(?i)(ab)*C", "ababc", 1, 5},
      // A zero byte is a character like any other, and the end of the input is none.
      {"a\\x00b", std::string("xa\0b", 4), 2, 3},
      {"a\\x00", "ab", 0, 0},
      {"[\\x00]", "ab", 0, 0},
      {"b[^a]", "ab", 0, 0},
  };
  for (const auto& c : cases) {
    const std::string want = c.Pos ? std::to_string(c.Pos) + ":" + std::to_string(c.Len) : "none";
    EXPECT_EQ(FirstMatch(c.Expr, c.Input), want) << c.Expr;
  }
}

TEST(RegExpr, LiteralRunBeforeQuantifierIsSplit) {
  EXPECT_EQ(FirstMatch("abc*", "abccc"), "1:5");
  EXPECT_EQ(FirstMatch("abc*", "ab"), "1:2");
  EXPECT_EQ(FirstMatch("abc+", "abcabc"), "1:3");
  EXPECT_EQ(FirstMatch("abc{2}", "abcc"), "1:4");
}

TEST(RegExpr, ExtendedSyntaxIgnoresBlanksInEveryPart) {
  const TOutcomeCase cases[] = {
      {"(?x)a+ ?", "aaa", "1:1"},        {"(?x)a{2} ?", "aaa", "1:2"},   {"(?x)a* ?b", "aab", "1:3"},
      {"(?x)a{1, 2}", "aaa", "1:2"},     {"(?x)a{ 2 }", "aaa", "1:2"},   {"(?x)a{1 0}", "aaaaaaaaaaaa", "1:10"},
      {"(?x)a{1, }", "aaa", "1:3"},      {"(?x)a{#n\n2}", "aaa", "1:2"}, {"(?x)a{1,2 ,3}", "a{1,2,3}", "1:8"},
      {"(?x)[a b]+", "b a", "1:1"},      {"(?x)[ ^a]", "ab", "2:1"},     {"(?x)[^ ]a]", "]ab", "3:1"},
      {"(?x)[a - c]+", "b-d", "1:1"},    {"(?x)[a -]+", "-a x", "1:2"},  {"(?x)[a# note\n]", "#a", "2:1"},
      {"(?x)[\\ ]", "a b", "2:1"},       {"(?x)[ ]", "a", "error 113"},  {"(?x)(?i m)^b", "a\nB", "3:1"},
      {"(?x)(?i-m )^b", "a\nB", "none"}, {"(?x)\\ a", "x a", "2:2"},     {"a{1, 2}", "a{1, 2}", "1:7"},
      {"[a b]+", "b a", "1:3"},          {"a+ ?", "aa ", "1:3"},         {"(?i m)a", "a", "error 127"}};
  for (auto [expr, input, want] : cases) EXPECT_EQ(Outcome(expr, input), want) << expr;
}

// A repeated reference to a group closed before it that can match nothing is refused (106).
TEST(RegExpr, CompileErrorsWithTheirPositions) {
  struct {
    std::string Expr;
    int Code;
    int Pos;
  } cases[] = {
      {"", 100, 0},         {"(((((((((((((((a)))))))))))))))", 102, 15},
      {"(ab", 103, 3},      {"ab)", 104, 2},
      {"(a*)*", 106, 4},    {"(\\b){2}", 106, 4},
      {"a**", 107, 2},      {"a{2}{3}", 107, 4},
      {"\\xg0", 108, 2},    {"[z-a]", 109, 4},
      {"ab\\", 110, 3},     {"\\x", 111, 2},
      {"\\x{100}", 112, 7}, {"\\x{1000000041}", 112, 14},
      {"[abc", 113, 4},     {"*a", 115, 1},
      {"x(?i)*", 115, 5},   {"a{123456789}", 122, 11},
      {"a{2,1}", 124, 6},   {"a(?#open", 125, 3},
      {"(?q)a", 127, 2},    {"()\\1*", 106, 4},
      {"(a*)\\1+", 106, 6}, {"(a|())\\2{2}", 106, 8},
      {"()(\\1)*", 106, 6}, {"(b?)x\\1*?", 106, 7},
  };
  for (const auto& c : cases) {
    TRegExpr r;
    r.SetExpression(c.Expr);
    try {
      r.Compile();
      ADD_FAILURE() << c.Expr;
    } catch (const ERegExpr& e) {
      EXPECT_EQ(e.ErrorCode, c.Code) << c.Expr;
      EXPECT_EQ(e.CompilerErrorPos, c.Pos) << c.Expr;
      EXPECT_EQ(e.what(), r.ErrorMsg(c.Code) + " (pos " + std::to_string(c.Pos) + ")") << c.Expr;
      EXPECT_EQ(r.LastError(), c.Code);
      EXPECT_EQ(r.LastError(), c.Code);  // reading leaves it, and so does a good compile
      r.SetExpression("a");
      r.Compile();
      EXPECT_EQ(r.LastError(), c.Code);
    }
  }
  EXPECT_EQ(CompileError("((((((((((((((a))))))))))))))"), 0);
  // A reference with width, to a group not closed yet or to none repeats; "?" follows anything.
  for (const char* expr : {"(a)\\1*", "(a*)\\1?", "(a\\1*)", "\\1*(a*)", "(a)\\2+", "(a*)(\\1b)*"})
    EXPECT_EQ(CompileError(expr), 0) << expr;
  std::string msg;
  CompileError("a{2,1}", &msg);
  EXPECT_EQ(msg, "TRegExpr(comp): BRACE Min Param Greater then Max (pos 6)");
  CompileError("ab\\", &msg);
  EXPECT_EQ(msg, "TRegExpr(comp): Parse Atom Trailing \\ (pos 3)");
  // A failed compile leaves no program: the next search fails the same way.
  TRegExpr r;
  r.SetExpression("a{2,1}");
  EXPECT_THROW(r.Exec("aa"), ERegExpr);
  EXPECT_THROW(r.Exec("aa"), ERegExpr);
}

TEST(RegExpr, ErrorMessagesOfEveryCode) {
  TRegExpr r;
  EXPECT_EQ(r.ErrorMsg(0), "No errors");
  EXPECT_EQ(r.ErrorMsg(101), "Unknown error");
  EXPECT_EQ(r.ErrorMsg(128),
            "TRegExpr(comp): LinePairedSeparator must countain two different chars or no chars at all");
}

TEST(RegExpr, ExecutionErrors) {
  TRegExpr r;
  auto code = [&](auto F) {
    try {
      F();
    } catch (const ERegExpr& e) {
      EXPECT_EQ(e.CompilerErrorPos, 0);
      return e.ErrorCode;
    }
    return 0;
  };
  EXPECT_EQ(code([&] { r.Compile(); }), 1003);
  r.SetExpression("a");
  EXPECT_EQ(code([&] { r.ExecPos(1); }), 1005);
  EXPECT_EQ(code([&] { r.Substitute("$1"); }), 1005);
  EXPECT_EQ(code([&] { r.ExecNext(); }), 1007);
  EXPECT_TRUE(r.Exec("aa"));
  EXPECT_EQ(code([&] { r.ExecPos(0); }), 1006);
  EXPECT_FALSE(r.ExecPos(4));
  EXPECT_EQ(code([&] { r.GetModifier(7); }), 1013);
  EXPECT_EQ(code([&] { r.SetModifier(0, true); }), 1013);
  EXPECT_EQ(code([&] { r.SetLinePairedSeparator("aa"); }), 128);
  EXPECT_EQ(code([&] { r.SetLinePairedSeparator("abc"); }), 128);
  r.SetLinePairedSeparator("");
  // Eleven nested loops active at once exceed the loop stack.
  std::string deep = "a";
  for (int i = 0; i < 11; ++i) deep = "(" + deep + "){1,2}";
  r.SetExpression(deep);
  EXPECT_EQ(code([&] { r.Exec("aa"); }), 1014);
  deep = "a";
  for (int i = 0; i < 10; ++i) deep = "(" + deep + "){1,2}";
  r.SetExpression(deep);
  EXPECT_TRUE(r.Exec("aa"));
}

TEST(RegExpr, WordAndSpaceCharactersCanBeChanged) {
  TRegExpr r;
  r.SetExpression("\\w+\\s\\b");
  EXPECT_EQ(FirstMatch(r, "ab-cd ef"), "4:3");
  r.WordChars = "abcdef-";
  r.SpaceChars = "+";
  EXPECT_EQ(FirstMatch(r, "ab-cd+ef"), "1:6");
  // A change between a search and the next one on the same input counts too.
  r.SetExpression("\\w+");
  r.WordChars = "abcd";
  EXPECT_EQ(FirstMatch(r, "ab-cd"), "1:2");
  r.WordChars = "abcd-";
  ASSERT_TRUE(r.ExecNext());
  EXPECT_EQ(r.GetMatchPos(0), 3);
  EXPECT_EQ(r.GetMatchLen(0), 3);
  // A program compiled before a change (word characters, or space "-") is made again.
  for (auto [expr, before, after, input, want] : {std::tuple{"\\w+\\b", "abcd", "abcd-", "ab-cd ", "1:5"},
                                                  {"\\w+\\b", "abcd-", "abcd", "ab-cd", "1:2"},
                                                  {"[\\w]+", "ab", "abc", "cab", "1:3"},
                                                  {"\\W", "ab", "abc", "cab", "none"},
                                                  {"\\s", "", "", "a-b c", "2:1"},
                                                  {"\\S+", "", "", "a-b c", "1:1"},
                                                  {"[\\s]", "", "", "a-b c", "2:1"}}) {
    TRegExpr w;
    w.SetExpression(expr);
    if (*before) w.WordChars = before;
    w.Compile();
    if (*after) w.WordChars = after;
    if (!*after) w.SpaceChars = "-";
    EXPECT_EQ(FirstMatch(w, input), want) << expr << " in " << input;
  }
}

TEST(RegExpr, AZeroByteInTheExpressionIsACharacter) {
  using namespace std::string_literals;
  for (auto [expr, want] : {std::pair{"a\0b"s, "2:3"}, {"[\0]b"s, "3:2"}, {"a\0|b"s, "2:2"}, {"(\0)\\1"s, "none"}})
    EXPECT_EQ(Outcome(expr, "xa\0b"s), want) << expr.size();
}

TEST(RegExpr, CaseInversionCanBeReplaced) {
  TRegExpr r;
  r.InvertCase = [](char C) { return C == 'x' ? 'y' : C == 'y' ? 'x' : C; };
  r.SetExpression("(?i)x[x]");
  EXPECT_EQ(FirstMatch(r, "Xyy"), "2:2");
}

TEST(RegExpr, ModifiersAndTheirStrings) {
  TRegExpr r;
  uint32_t mods = 0;
  EXPECT_TRUE(TRegExpr::ParseModifiersStr("iG-s", mods));
  EXPECT_EQ(mods, rmIgnoreCase | rmGreedy);
  EXPECT_FALSE(TRegExpr::ParseModifiersStr("mq", mods));
  EXPECT_TRUE(mods & rmMultiLine);
  // A modifier change at execution recompiles.
  r.SetExpression("abc");
  EXPECT_FALSE(r.Exec("ABC"));
  r.SetModifier(1, true);
  EXPECT_TRUE(r.Exec("ABC"));
}

TEST(RegExpr, MultiLineAnchorsAndDot) {
  TRegExpr r;
  r.SetExpression("^b");
  EXPECT_FALSE(r.Exec("a\r\nb"));
  r.SetModifier(5, true);
  EXPECT_EQ(FirstMatch(r, "a\r\nb"), "4:1");
  r.SetExpression("a$");
  EXPECT_EQ(FirstMatch(r, "xa\r\nb"), "2:1");
  // Never between the two characters of the pair.
  r.SetExpression("^");
  EXPECT_EQ(AllMatches(r, "a\r\nb"), "1:0 4:0");
  r.SetExpression("$");
  EXPECT_EQ(AllMatches(r, "a\r\nb"), "2:0 5:0");
  r.SetModifier(3, false);
  r.SetExpression(".+");
  EXPECT_EQ(FirstMatch(r, "\r\nab\rc"), "3:2");
}

TEST(RegExpr, ExecNextStepsOverEmptyMatches) {
  TRegExpr r;
  r.SetExpression("a*");
  EXPECT_EQ(AllMatches(r, "baa"), "1:0 2:2 4:0");
}

// What a search learned about an input (where the literal a match needs stands) holds for
// searches from later offsets only: an earlier offset looks again.
TEST(RegExpr, SearchesFromAnyOffsetOfTheSameInput) {
  const std::pair<const char*, std::vector<std::pair<int, int>>> cases[] = {
      // offset, then the expected 1-based position (0: none)
      {"ab", {{4, 4}, {1, 1}, {2, 4}, {8, 0}, {1, 1}, {7, 7}, {5, 7}}},
      {"a+b", {{4, 4}, {1, 1}, {8, 0}, {2, 4}}},
      {"x*b", {{3, 5}, {1, 2}, {6, 8}, {9, 0}, {2, 2}}},
      {"\\d", {{2, 0}, {1, 0}}},
  };
  for (const auto& [expr, steps] : cases) {
    TRegExpr r;
    r.SetExpression(expr);
    r.SetInputView("ab ab ab");
    for (const auto& [offset, want] : steps) {
      const bool found = r.ExecPos(offset);
      EXPECT_EQ(found ? r.GetMatchPos(0) : 0, want) << expr << " from " << offset;
    }
  }
}

TEST(RegExpr, GroupPositions) {
  TRegExpr r;
  r.SetExpression("(a)|(b)");
  ASSERT_TRUE(r.Exec("xb"));
  EXPECT_EQ(r.GetMatchPos(2), 2);
  EXPECT_EQ(r.GetMatchPos(1), -1);
  EXPECT_EQ(r.GetMatchLen(1), -1);
  EXPECT_EQ(r.GetMatchPos(15), -1);
  EXPECT_EQ(r.GetMatchPos(-1), -1);
  r.SetExpression("(a|b)*c");
  ASSERT_TRUE(r.Exec("abac"));
  EXPECT_EQ(r.GetMatchLen(1), 1);
  EXPECT_EQ(r.GetMatchPos(1), 3);
  // A failed alternative leaves no group behind.
  r.SetExpression("(x)y|xz");
  ASSERT_TRUE(r.Exec("xz"));
  EXPECT_EQ(r.GetMatchPos(1), -1);
}

TEST(RegExpr, SubstituteTemplates) {
  TRegExpr r;
  r.SetExpression("(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)");
  ASSERT_TRUE(r.Exec("-abcdefghijk-"));
  const std::pair<const char*, const char*> cases[] = {
      {"$10", "j"},    {"${1}0", "a0"}, {"\\$1", "$1"}, {"$&", "abcdefghijk"}, {"${&}", "abcdefghijk"},
      {"[$2]", "[b]"}, {"$", "$"},      {"$x", "$x"},   {"${x}", "${x}"},      {"${12", "${12"},
      {"\\\\", "\\"},  {"a\\", "a\\"},  {"$15", ""},    {"$4294967297", ""},   {"${4294967297}", ""},
      {"", ""},
  };
  for (const auto& [tpl, want] : cases) EXPECT_EQ(r.Substitute(tpl), want) << tpl;
}

TEST(RegExpr, ReplaceAllMatches) {
  TRegExpr r;
  r.SetExpression("(\\w+)=");
  EXPECT_EQ(r.Replace("x= y=", "[$1]", true), "[x] [y]");
  EXPECT_EQ(r.Replace("x= y=", "[$1]", false), "[$1] [$1]");
  EXPECT_EQ(r.Replace("none", "[$1]", true), "none");
  r.SetExpression("a*");
  EXPECT_EQ(r.Replace("baa", "-", false), "-b--");
}

TEST(RegExpr, CyrillicRangesWidenOnlyOverTheirLetter) {
  // Ranges that do not span the place of yo do not take it in.
  for (auto [expr, yo, found] : {std::tuple{"[\\xE0-\\xFF]", "\xB8", true},
                                 {"[\\xC0-\\xDF]", "\xA8", true},
                                 {"[\\xC0-\\xFF]", "\xA8", true},
                                 {"[\\xC0-\\xFF]", "\xB8", true},
                                 {"[\\xF0-\\xF1]", "\xB8", false},
                                 {"[\\xE0-\\xE5]", "\xB8", false},
                                 {"[\\xC6-\\xDF]", "\xA8", false},
                                 // A range that starts below the letters is a range of bytes.
                                 {"[\\xBF-\\xFF]", "\xB8", false},
                                 {"[\\xB9-\\xE6]", "\xB8", false},
                                 {"[\\xA9-\\xDF]", "\xA8", false},
                                 {"[\\xC0-\\xE6]", "\xB8", true},
                                 {"[\\xC5-\\xE5]", "\xA8", true},
                                 {"[\\xC5-\\xE5]", "\xB8", false}})
    EXPECT_EQ(FirstMatch(expr, yo) != "none", found) << expr << yo;
  TRegExpr r;
  r.SetExpression("[\\xE0-\\xFF]");
  r.SetModifier(2, false);
  EXPECT_FALSE(r.Exec("\xB8"));
}

TEST(RegExpr, BackReferencesStopWithinTheBudget) {
  // A back reference makes a state depend on the groups: such a search is only bounded. Here
  // every start in a long run of word characters tries every length of the group.
  struct {
    const char* Expr;
    std::string Input;
  } cases[] = {
      {"(\\w+)\\1+\\d", std::string(3000, 'a') + "b1"},
      {"(a|aa)+\\1\\d\\d", std::string(3000, 'a') + "1"},
  };
  for (const auto& c : cases) {
    TRegExpr r;
    r.SetExpression(c.Expr);
    r.SetStepBudget(20000000);
    try {
      EXPECT_FALSE(r.Exec(c.Input)) << c.Expr;
      ADD_FAILURE() << c.Expr << " was expected to stop";
    } catch (const ERegExpr& e) {
      EXPECT_EQ(e.ErrorCode, TRegExpr::reeTooComplex) << c.Expr;
      EXPECT_NE(std::string(e.what()).find("Too Complex"), std::string::npos);
    }
  }
  // Work that is quadratic in a long line counts against the budget too.
  for (const char* expr : {"[a-z]+\\d", "(.*)\\1x", "a*?\\d"}) {
    TRegExpr r;
    r.SetExpression(expr);
    try {
      EXPECT_FALSE(r.Exec(std::string(300000, 'a'))) << expr;
    } catch (const ERegExpr& e) {
      EXPECT_EQ(e.ErrorCode, TRegExpr::reeTooComplex) << expr;
    }
  }
  // A small budget is met for sure, and the object stays usable after it.
  TRegExpr r;
  r.SetExpression("(\\w+)\\1+\\d");
  r.SetStepBudget(10000);
  EXPECT_THROW(r.Exec(std::string(300, 'a') + "b1"), ERegExpr);
  EXPECT_EQ(r.GetMatchPos(1), -1);
  EXPECT_TRUE(r.Exec("aaa1"));
}

// Nested and alternated repetitions that take a plain backtracker exponential time answer
// within the default budget, whatever the length: the matcher remembers the states that failed.
TEST(RegExpr, NestedRepetitionsAnswerRight) {
  struct {
    const char* Expr;
    char Fill;
    const char* Tail;
    const char* Want;  // "none", or the whole match and group 1 as "pos:len pos:len" (n = the fill)
  } cases[] = {
      {"(a+)+\\d", 'a', "!1", "none"},
      {"(a+)+\\d", 'a', "1", "1:n+1 1:n"},
      {"(a|aa)+\\d", 'a', "!1", "none"},
      {"(a|aa)+\\d", 'a', "1", "1:n+1 n:1"},
      {"(\\w+\\s?)+$", 'a', "!", "none"},
      {"(\\w+\\s?)+$", 'a', " b", "1:n+2 n+2:1"},
      {"(.*a){12}", 'b', "aaaaaaaaaaa", "none"},
      {"(.*a){12}", 'b', "aaaaaaaaaaaa", "1:n+12 n+12:1"},
      {"(x+x+)+y", 'x', "!y", "none"},
      {"(x+x+)+y", 'x', "y", "1:n+1 1:n"},
      {"(\\w+)\\1+\\d", 'a', "!1", "none"},
      {"(a|aa)+\\1\\d", 'a', "!1", "none"},
      {"(a|aa)+\\1\\d", 'a', "1", "1:n+1 n-1:1"},
      {"(.*a){12}", 'a', "!", "1:n n:1"},
  };
  auto expand = [](std::string Want, int N) {
    // "n+k", "n-k" and "n" stand for numbers that grow with the fill.
    if (Want == "none") return Want;
    std::string out;
    for (size_t i = 0; i < Want.size(); ++i) {
      if (Want[i] != 'n') {
        out += Want[i];
        continue;
      }
      int v = N;
      if (i + 1 < Want.size() && (Want[i + 1] == '+' || Want[i + 1] == '-')) {
        size_t j = i + 2;
        int k = 0;
        while (j < Want.size() && isdigit(static_cast<unsigned char>(Want[j]))) k = k * 10 + (Want[j++] - '0');
        v += Want[i + 1] == '+' ? k : -k;
        i = j - 1;
      }
      out += std::to_string(v);
    }
    return out;
  };
  // Without the looks ahead for what a match needs the memory alone answers, as long as no back
  // reference makes the states depend on the groups, and within work that grows with the line
  // as fast as the line does.
  for (const auto& c : cases) {
    for (int n : {20, 21, 100, 1000, 10000, 40000, 100000}) {
      for (const bool shortcuts : {true, false}) {
        if (!shortcuts && std::string(c.Expr).find("\\1") != std::string::npos) continue;
        TRegExpr r;
        r.SetExpression(c.Expr);
        r.SetShortcuts(shortcuts);
        if (!shortcuts) r.SetStepBudget(1000000 + int64_t(1000) * n);
        const std::string subject = std::string(static_cast<size_t>(n), c.Fill) + c.Tail;
        std::string got;
        try {
          got = r.Exec(subject) ? std::to_string(r.GetMatchPos(0)) + ":" + std::to_string(r.GetMatchLen(0)) + " " +
                                      std::to_string(r.GetMatchPos(1)) + ":" + std::to_string(r.GetMatchLen(1))
                                : "none";
        } catch (const ERegExpr& e) {
          got = "error " + std::to_string(e.ErrorCode);
        }
        EXPECT_EQ(got, expand(c.Want, n)) << c.Expr << " n=" << n << (shortcuts ? "" : " (the memory alone)");
      }
    }
  }
}

// A start inside the run of a counted loop's leading repetition is covered by the failed start
// at the head of the run, when the loop must pass at least once: without the memory of failures
// such a search still needs work that grows only as fast as the line.
TEST(RegExpr, ALeadingRepetitionInsideACountedLoopCoversItsRun) {
  const struct {
    const char* Expr;
    std::string Input;
    const char* Want;
  } cases[] = {
      {"(.*a){2}", std::string(100000, 'b') + "a", "none"},
      {"((.*a){2}){2}", std::string(100000, 'b') + "aaa", "none"},
      {"(b*a){2,}?c", std::string(100000, 'b') + "ac", "none"},
      {"(.*a){2}", std::string(100000, 'b') + "aa", "1:100002"},
      // A loop that may pass no time at all starts a match anywhere.
      {"(.*a){0,2}x", "bbx", "3:1"},
      {"(.*a){0,2}?x", "bbbx", "4:1"},
  };
  for (const auto& c : cases) {
    TRegExpr r;
    r.SetExpression(c.Expr);
    r.SetFailureMemory(TRegExpr::fmNever);
    r.SetStepBudget(1000000 + int64_t(100) * static_cast<int64_t>(c.Input.size()));
    std::string got;
    ASSERT_NO_THROW(got = FirstMatch(r, c.Input)) << c.Expr;
    EXPECT_EQ(got, c.Want) << c.Expr;
  }
}

// A back reference to a group of word characters repeated before a digit, which is explosive
// for a backtracker: without a digit among the word characters no start can match, and with one
// at the end of the run the group is the longest part the run is a repetition of.
TEST(RegExpr, RepeatedReferenceBeforeADigitAnswersAtEveryLength) {
  const struct {
    int N;
    const char* Tail;
    const char* Want;
  } cases[] = {
      {20, "1", "1:21 1:10"},
      {21, "1", "1:22 1:7"},
      {100, "1", "1:101 1:50"},
      {1000, "1", "1:1001 1:500"},
      {10000, "1", "1:10001 1:5000"},
      {100000, "1", "1:100001 1:50000"},
      {20, "!1", "none"},
      {100000, "!1", "none"},
      {20, " 111", "22:3 22:1"},
      {100000, " 111", "100002:3 100002:1"},
      {99999, "!aa1", "100001:3 100001:1"},
  };
  // A reference that ignores case can take characters no node of the expression takes.
  EXPECT_EQ(FirstMatch("([a-z])(?i)\\1\\d", "bA aA1"), "4:3");
  EXPECT_EQ(FirstMatch("(?i)([a-z]+)\\1+\\d", "abcABCAbc1"), "1:10");
  for (const auto& c : cases) {
    TRegExpr r;
    r.SetExpression("(\\w+)\\1+\\d");
    const std::string subject = std::string(static_cast<size_t>(c.N), 'a') + c.Tail;
    std::string got;
    ASSERT_NO_THROW(got = r.Exec(subject)
                              ? std::to_string(r.GetMatchPos(0)) + ":" + std::to_string(r.GetMatchLen(0)) + " " +
                                    std::to_string(r.GetMatchPos(1)) + ":" + std::to_string(r.GetMatchLen(1))
                              : "none")
        << c.N << c.Tail;
    EXPECT_EQ(got, c.Want) << c.N << c.Tail;
  }
}

// A line of millions of characters gets the choice points its repetition needs.
TEST(RegExpr, AVeryLongLineHasTheChoicePointsItNeeds) {
  std::string ab;
  for (int i = 0; i < 2000000; ++i) ab += "ab";
  const struct {
    const char* Expr;
    const char* Tail;
    int Pos, Len;
  } cases[] = {
      {"(a|b)*c", "c", 1, 4000001},
      {"(a|b)*c", "xc", 4000002, 1},
      {"(ab|b)+c", "c", 1, 4000001},
  };
  for (const auto& c : cases) {
    TRegExpr r;
    r.SetExpression(c.Expr);
    std::string got;
    ASSERT_NO_THROW(got = FirstMatch(r, ab + c.Tail)) << c.Expr << " ..." << c.Tail;
    EXPECT_EQ(got, std::to_string(c.Pos) + ":" + std::to_string(c.Len)) << c.Expr << " ..." << c.Tail;
  }
}

// An empty pass ends a repetition, which would loop forever; the compiler refuses most such loops.
TEST(RegExpr, AnEmptyPassEndsARepetition) {
  const TOutcomeCase cases[] = {
      {"()\\1*", "abc", "error 106"},     {"()\\1+", "x", "error 106"},       {"()\\1*?x", "ab x", "error 106"},
      {"()\\1{3,}", "a", "error 106"},    {"()\\1{2,5}?b", "b", "error 106"}, {"(a|())\\2*b", "ab", "error 106"},
      {"(a|())\\2*b", "b", "error 106"},  {"(a)\\1*", "aaaa", "1:4"},         {"(a)\\1{1,2}", "aaaa", "1:3"},
      {"(a*)\\1*b", "aaab", "error 106"}, {"(a*)(\\1)*b", "b", "error 106"},  {"x()\\1*?y", "xy", "error 106"},
      {"(\\2|a())*b", "ab", "1:2"},       {"(\\2|a())+b", "aab", "1:3"},      {"(\\2|a())*?b", "ab", "1:2"},
      {"(\\2|a()){2,}b", "ab", "1:2"},    {"(\\2|a()){2,}?b", "ab", "1:2"},   {"(x\\3|\\3|a()())*b", "ab", "1:2"},
  };
  for (auto [expr, input, want] : cases) EXPECT_EQ(Outcome(expr, input), want) << expr << " in " << input;
}

// Below its minimum a counted repetition makes every pass its count asks for, empty or not;
// only once the minimum is met does an empty pass end it.
TEST(RegExpr, AnEmptyPassBelowTheMinimumGoesOn) {
  for (const char* expr : {"()(\\S.|\\1\\B){2,4}?.", "()(\\S.|\\1\\B){2,4}.", "()(\\1\\B|\\S.){2}.",
                           "()(\\S.|\\1\\B){3}", "()(\\1\\B|a){2,}?b", "()(\\1|x){3}"})
    EXPECT_EQ(CompileError(expr), 106) << expr;
  const TOutcomeCase cases[] = {
      {"(\\2\\B|\\w()){3}.", "ab c", "1:2"}, {"(\\2\\B|\\w()){3}.", "a bc", "3:2"}, {"(\\2|a()){3}", "a", "1:1"},
      {"(\\2|a()){3}", "", "none"},          {"(\\2|a()){2,4}?x", "ax", "1:2"},
  };
  for (auto [expr, input, want] : cases) EXPECT_EQ(Outcome(expr, input), want) << expr << " in " << input;
}

TEST(RegExpr, LongRepetitionsDoNotUseTheStack) {
  std::string ab;
  for (int i = 0; i < 500000; ++i) ab += "ab";
  const std::pair<const char*, int> cases[] = {
      {"(ab)*", 1000000}, {"(a|b)*", 1000000}, {"(.)*", 1000000}, {"(ab)*?$", 1000000}, {"(?:ab)", -1}};
  for (const auto& [expr, len] : cases) {
    TRegExpr r;
    r.SetExpression(expr);
    if (len < 0) {
      EXPECT_THROW(r.Exec(ab), ERegExpr);
      continue;
    }
    ASSERT_TRUE(r.Exec(ab)) << expr;
    EXPECT_EQ(r.GetMatchLen(0), len) << expr;
  }
}
