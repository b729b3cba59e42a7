// Search benchmark: plain search through the editor control against a memchr + memcmp floor,
// the regular-expression engine against the plain search, replace-all of many hits, and
// expressions with nested repetitions under the engine's step budget. Figures are medians.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "editor/TxtEditSearch.h"

namespace {

constexpr int kLines = 2000000;
constexpr int kRuns = 3;
const char* const kLiteral = "Qzf8Kw3p";

// The line generator of the buffer benchmark (lines of 10 to 90 characters, tabs in every
// seventh and eleventh), with the literal in every 10,000th line.
AnsiString Generate(int Lines) {
  AnsiString text;
  text.reserve(static_cast<size_t>(Lines) * 54);
  unsigned seed = 1;
  static const char words[] = "the quick brown fox jumps over a lazy dog while 0123456789 ; { } ( ) = + - / * ";
  for (int i = 0; i < Lines; ++i) {
    seed = seed * 1103515245u + 12345u;
    const int length = 10 + static_cast<int>((seed >> 16) % 81);
    if (i % 7 == 0) text.append(1 + i % 3, '\t');
    for (int k = 0; k < length; ++k) {
      text.push_back(words[(static_cast<unsigned>(i) * 7u + static_cast<unsigned>(k)) % (sizeof words - 1)]);
      if (i % 11 == 0 && k == length / 2) text.push_back('\t');
    }
    if (i % 10000 == 5000) text += kLiteral;
    text.append("\r\n");
  }
  return text;
}

// Hits by repeated searches from the caret, as a user pressing "find next" would.
int SearchAll(TTxtEdit* E, const char* What, TSearchReplaceOptions Options) {
  E->SetCaretXY({1, 1});
  int hits = 0;
  while (E->SearchReplace(What, "", Options) > 0) ++hits;
  return hits;
}

int FloorSearch(TTxtEdit* E, const char* What) {
  const size_t n = std::strlen(What);
  int hits = 0;
  for (int i = 0; i < E->Lines()->Count(); ++i) {
    const std::string_view line = E->Lines()->LineView(i);
    const char* p = line.data();
    const char* end = p + line.size();
    while (static_cast<size_t>(end - p) >= n) {
      const void* q = std::memchr(p, What[0], end - p - n + 1);
      if (!q) break;
      p = static_cast<const char*>(q);
      if (std::memcmp(p, What, n) == 0) {
        ++hits;
        p += n;
      } else {
        ++p;
      }
    }
  }
  return hits;
}

int EngineAll(TTxtEdit* E, TTxtEditSearchCustom& Engine, const char* What, TSearchReplaceOptions Options) {
  Engine.SetOptions(Options);
  Engine.SetPattern(What);
  int hits = 0;
  for (int i = 0; i < E->Lines()->Count(); ++i) hits += Engine.FindAllIn(E->Lines()->LineView(i));
  return hits;
}

void Pathological() {
  std::printf("\nnested repetitions (one search each, budget of the engine):\n");
  struct {
    const char* Expr;
    const char* Tail;  // what makes every attempt fail at the end
  } cases[] = {{"(a+)+\\d", ""}, {"(a|aa)+\\d", ""}, {"(\\w+\\s?)+$", "!"}};
  for (const auto& c : cases) {
    for (int n : {20, 25, 30, 35}) {
      TRegExpr r;
      r.SetExpression(c.Expr);
      const std::string subject = std::string(n, 'a') + c.Tail;
      bool stopped = false;
      const double t0 = Now();
      try {
        r.Exec(subject);
      } catch (const ERegExpr&) {
        stopped = true;
      }
      std::printf("  %-12s n=%2d  %8.1f ms  %s\n", c.Expr, n, (Now() - t0) * 1000.0,
                  stopped ? "stopped by the budget" : "finished");
    }
  }
}

}  // namespace

int wmain() {
  // A control without a window: the figures are those of searching, not of scrolling to hits.
  TTxtEdit control(nullptr);
  TTxtEdit* edit = &control;
  TTxtEditSearch plain(nullptr);
  TTxtEditRegexSearch regex(nullptr);

  {
    const AnsiString text = Generate(kLines);
    std::printf("text: %d lines, %.1f MB\n", kLines, text.size() / 1048576.0);
    edit->SetTextA(text);
  }
  int hits = 0;
  const double floor = Median(
      kRuns, [] {}, [&] { hits = FloorSearch(edit, kLiteral); });
  std::printf("floor memchr+memcmp        %8.1f ms  (%d hits)\n", floor, hits);
  edit->SetSearchEngine(&plain);
  const double plainCase = Median(
      kRuns, [] {}, [&] { hits = SearchAll(edit, kLiteral, {srMatchCase}); });
  std::printf("plain, match case          %8.1f ms  %5.2fx floor  (%d hits)\n", plainCase, plainCase / floor, hits);
  const double plainIgnore = Median(
      kRuns, [] {}, [&] { hits = SearchAll(edit, kLiteral, {}); });
  std::printf("plain, ignore case         %8.1f ms  %5.2fx floor  (%d hits)\n", plainIgnore, plainIgnore / floor, hits);
  const double plainEngine = Median(
      kRuns, [] {}, [&] { hits = EngineAll(edit, plain, kLiteral, {srMatchCase}); });
  std::printf("plain engine, every line   %8.1f ms  %5.2fx floor  (%d hits)\n", plainEngine, plainEngine / floor, hits);
  const double plainEngineIgnore = Median(
      kRuns, [] {}, [&] { hits = EngineAll(edit, plain, kLiteral, {}); });
  std::printf("  ignoring case            %8.1f ms  %5.2fx floor  (%d hits)\n", plainEngineIgnore,
              plainEngineIgnore / floor, hits);

  std::printf("\nregular expressions, every line, against the plain engine:\n");
  const char* const exprs[] = {
      kLiteral,       "(?i)qzf8kw3p", "\\w+ing\\b", "^\\s*$", "quick|brown|lazy|while|jumps|over|fox|dog|the|zebra",
      "(\\w+)\\s+\\1"};
  for (const char* expr : exprs) {
    const double t = Median(
        kRuns, [] {}, [&] { hits = EngineAll(edit, regex, expr, {srMatchCase}); });
    std::printf("  %-52s %8.1f ms  %6.2fx  (%d hits)\n", expr, t, t / plainEngine, hits);
  }

  // 200,000 lines, every other with a key=value pair: 100,000 hits.
  AnsiString pairs;
  for (int i = 0; i < 200000; ++i)
    pairs += i % 2 ? "key" + std::to_string(i) + "=val" + std::to_string(i % 97) + " ;\r\n" : "plain text line\r\n";
  const double pairsPlain = Median(
      kRuns,
      [&] {
        edit->SetTextA(pairs);
        edit->SetSearchEngine(&plain);
      },
      [&] { hits = SearchAll(edit, "=val", {srMatchCase}); });
  std::printf("\nreplace-all on 200,000 lines: plain search of =val %8.1f ms (%d hits)\n", pairsPlain, hits);
  const double replaceRegex = Median(
      kRuns,
      [&] {
        edit->SetTextA(pairs);
        edit->SetSearchEngine(&regex);
      },
      [&] {
        hits = edit->SearchReplace("(\\w+)=(\\w+)", "$2=$1", {srReplaceAll, srEntireScope, srMatchCase});
      });
  std::printf("  regex replace-all $2=$1   %8.1f ms  %6.2fx plain search  (%d hits)\n", replaceRegex,
              replaceRegex / pairsPlain, hits);
  const double replacePlain = Median(
      kRuns,
      [&] {
        edit->SetTextA(pairs);
        edit->SetSearchEngine(&plain);
      },
      [&] {
        hits = edit->SearchReplace("=val", "=>", {srReplaceAll, srEntireScope, srMatchCase});
      });
  std::printf("  plain replace-all         %8.1f ms  %6.2fx plain search  (%d hits)\n", replacePlain,
              replacePlain / pairsPlain, hits);

  Pathological();
  edit->SetSearchEngine(nullptr);
  return 0;
}
