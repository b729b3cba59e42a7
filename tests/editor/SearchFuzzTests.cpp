// Seeded random patterns and lines: the plain engine's skip table finds what a byte-by-byte
// scan finds, and the expression engine finds the same literal hits with all its shortcuts.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "editor/TxtEdit.h"
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

namespace {

// The replace prompt answered from a seeded sequence.
struct TRandomAnswers {
  std::mt19937* Rng = nullptr;
  bool AllowReplaceAll = false;
  std::vector<TTxtReplaceAction> Given;
  void Handler(TObject*, const AnsiString&, const AnsiString&, int, int, TTxtReplaceAction& Action) {
    const int pick = std::uniform_int_distribution<int>(0, 19)(*Rng);
    Action = pick < 12 ? raReplace : pick < 18 ? raSkip : pick == 18 && AllowReplaceAll ? raReplaceAll : raCancel;
    Given.push_back(Action);
  }
};

struct THit {
  int Pos;  // 1-based, in the line as it was
  int Len;
  std::string With;
};

// The hits of one line as a straightforward loop finds them: every leftmost match that does
// not overlap the one before (plain text), or every match of the expression with its
// substitution.
std::vector<THit> ReferenceHits(bool Regex, const std::string& Pattern, const std::string& Replacement, bool Sensitive,
                                const std::string& Line) {
  std::vector<THit> hits;
  if (!Regex) {
    for (int pos : Naive(Pattern, Line, Sensitive, false))
      hits.push_back({pos, static_cast<int>(Pattern.size()), Replacement});
    return hits;
  }
  TRegExpr r;
  r.SetModifierI(!Sensitive);
  r.SetExpression(Pattern);
  for (bool found = r.Exec(Line); found; found = r.ExecNext())
    hits.push_back({r.GetMatchPos(0), r.GetMatchLen(0), r.Substitute(Replacement)});
  return hits;
}

std::string RandomLongLine(std::mt19937& Rng, int MinLen, int MaxLen) {
  std::string s(std::uniform_int_distribution<int>(MinLen, MaxLen)(Rng), 'y');
  for (char& c : s) {
    const int pick = std::uniform_int_distribution<int>(0, 99)(Rng);
    c = pick < 8 ? 'a' : pick < 15 ? 'b' : pick < 19 ? ' ' : pick < 20 ? 'A' : 'y';
  }
  return s;
}

}  // namespace

// Search and replace over lines longer than the scroll width, with both engines, both
// directions, from the caret or over everything, asked or not: the text is what a plain loop
// over the hits makes of it, undo gives the text back and redo makes it again.
TEST(SearchFuzz, LongLinesReplaceAsAReferenceLoopAndUndoRedo) {
  std::mt19937 rng(1024);
  TTxtEdit e(nullptr);
  e.SetMaxUndo(1000000);
  TTxtEditSearch plain(nullptr);
  TTxtEditRegexSearch regex(nullptr);
  TRandomAnswers answers;
  answers.Rng = &rng;
  static const char* const literals[] = {"a", "ab", "ba", "b a", "aab", "yA"};
  static const char* const expressions[] = {"a+", "b", "\\b", "$", "^", "ab|ba", "(a)(b)", "x*", "b\\s", "(a+)(y)"};
  static const char* const replacements[] = {"", "Z", "ZZZ", "$2$1", "<$&>"};
  for (int i = 0; i < 400; ++i) {
    const bool useRegex = i % 2 == 1;
    const std::string pattern =
        useRegex ? expressions[std::uniform_int_distribution<size_t>(0, std::size(expressions) - 1)(rng)]
                 : literals[std::uniform_int_distribution<size_t>(0, std::size(literals) - 1)(rng)];
    const std::string replacement =
        replacements[std::uniform_int_distribution<size_t>(0, std::size(replacements) - 1)(rng)];
    std::vector<std::string> lines;
    const int count = std::uniform_int_distribution<int>(1, 4)(rng);
    for (int k = 0; k < count; ++k)
      lines.push_back(k % 2 ? RandomLongLine(rng, k + 1 == count ? 1 : 0, 60) : RandomLongLine(rng, 1000, 1300));
    std::string text;
    for (size_t k = 0; k < lines.size(); ++k) text += (k ? "\r\n" : "") + lines[k];
    const bool backwards = rng() % 2, prompt = rng() % 3 == 0, all = rng() % 4 != 0, entire = rng() % 2;
    const bool sensitive = rng() % 2;
    TSearchReplaceOptions options{all ? srReplaceAll : srReplace};
    if (backwards) options.Include(srBackwards);
    if (prompt) options.Include(srPrompt);
    if (entire) options.Include(srEntireScope);
    if (sensitive) options.Include(srMatchCase);

    e.SetSearchEngine(useRegex ? static_cast<TTxtEditSearchCustom*>(&regex) : &plain);
    e.SetTextA(text);
    e.UndoList()->Clear();
    e.RedoList()->Clear();
    // A caret past the scroll width stops there: the scope starts or ends where it stopped.
    e.SetCaretXY({std::uniform_int_distribution<int>(1, 1400)(rng), std::uniform_int_distribution<int>(1, count)(rng)});
    const TBufferCoord caret = e.CaretXY();
    answers.Given.clear();
    answers.AllowReplaceAll = rng() % 2;
    e.OnReplaceText = TReplaceTextEvent(&answers, &TRandomAnswers::Handler);
    const int found = e.SearchReplace(pattern, replacement, options);

    // The reference: the hits in the scope in the order of the search, each replaced where it
    // stood in its line as it was, as the answers say.
    std::vector<std::vector<THit>> replaced(lines.size());
    int hits = 0;
    size_t answer = 0;
    bool stop = false, asking = prompt, replaceAll = all;
    for (int k = backwards ? count - 1 : 0; !stop && k >= 0 && k < count; k += backwards ? -1 : 1) {
      const int line = k + 1;
      if (!entire && (backwards ? line > caret.Line : line < caret.Line)) continue;
      std::vector<THit> lineHits = ReferenceHits(useRegex, pattern, replacement, sensitive, lines[k]);
      if (backwards) std::reverse(lineHits.begin(), lineHits.end());
      for (const THit& h : lineHits) {
        if (!entire && line == caret.Line && (backwards ? h.Pos + h.Len > caret.Char : h.Pos < caret.Char)) continue;
        ++hits;
        TTxtReplaceAction action = raReplace;
        if (asking) {
          ASSERT_LT(answer, answers.Given.size()) << pattern;
          action = answers.Given[answer++];
        }
        if (action == raCancel) {
          stop = true;
          break;
        }
        if (action == raReplaceAll) {
          replaceAll = true;
          asking = false;
        }
        if (action != raSkip) replaced[k].push_back(h);
        if (!replaceAll) {
          stop = true;
          break;
        }
      }
    }
    std::string want;
    for (int k = 0; k < count; ++k) {
      std::string line = lines[k];
      std::vector<THit> r = replaced[k];
      std::sort(r.begin(), r.end(), [](const THit& a, const THit& b) { return a.Pos > b.Pos; });
      for (const THit& h : r) line.replace(h.Pos - 1, h.Len, h.With);
      want += (k ? "\r\n" : "") + line;
    }
    auto where = [&](const std::string& Got) {
      size_t d = 0;
      while (d < Got.size() && d < want.size() && Got[d] == want[d]) ++d;
      std::string sizes = " lines";
      for (int k = 0; k < count; ++k) sizes += " " + std::to_string(lines[k].size());
      sizes += " got " + std::to_string(Got.size()) + " want " + std::to_string(want.size());
      return sizes + " first difference at " + std::to_string(d) + ": [" + Got.substr(d > 20 ? d - 20 : 0, 40) +
             "] want [" + want.substr(d > 20 ? d - 20 : 0, 40) + "]";
    };
    const std::string what =
        pattern + " -> " + replacement + " case " + std::to_string(i) + (backwards ? " backwards" : "") +
        (prompt ? " prompt" : "") + (all ? " all" : "") +
        (entire ? " entire" : " caret " + std::to_string(caret.Char) + "," + std::to_string(caret.Line));
    ASSERT_EQ(found, hits) << what;
    ASSERT_TRUE(e.TextA() == want) << what << where(e.TextA());
    while (e.CanUndo()) e.Undo();
    ASSERT_TRUE(e.TextA() == text) << what;
    while (e.CanRedo()) e.Redo();
    ASSERT_TRUE(e.TextA() == want) << what;
    while (e.CanUndo()) e.Undo();
    ASSERT_TRUE(e.TextA() == text) << what;
  }
}
