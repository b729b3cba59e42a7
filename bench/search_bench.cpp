// Search benchmark: plain search through the editor control against a memchr + memcmp floor;
// the expression engine over source-like text line by line (every match of every line, as the
// editor's search asks for them) against the plain engine on the same literal; a replace-all
// with group references; and expressions with nested repetitions and back references on long
// subjects, against a floor of one pass over the subject. Each figure is the median over several
// processes, each process's figure the median of its rounds; each ratio is taken within one
// process, then its median.
//
//   search_bench            (runs the measuring processes and prints the medians)
//   search_bench explosive  (only the expressions with nested repetitions)
//   search_bench budget     (only the commands over exploding lines under the find dialog's budget,
//                            the doubled words it must answer on 5.7, 19 and 45 MB, and counted
//                            groups that never match on 5.8 and 19.4 MB of prose)
//   search_bench unbudgeted (one command over exploding lines without a command's budget, once:
//                            every line has a budget of its own, as before the command's one)
#include "framework/Win.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "app/FindReplace.h"
#include "bench/BenchSupport.h"
#include "editor/TxtEditSearch.h"

namespace {

constexpr int kProcesses = 5;
constexpr int kRounds = 3;
constexpr int kLines = 2000000;
constexpr int kSourceLines = 360000;  // about 12 MB
const char* const kLiteral = "Qzf8Kw3p";
const char* const kSourceLiteral = "length";
const char* const kReplaceExpr = "(\\w+)\\s*=\\s*(\\w+)";
const char* const kReplaceTemplate = "$2=$1";

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

// Source-like text: indented statements of keywords, identifiers, numbers and operators,
// blank lines, and comments in which words are sometimes doubled and sometimes Cyrillic.
AnsiString GenerateSource(int Lines) {
  static const char* const keywords[] = {"if", "else", "while", "for", "return", "int", "static", "const", "auto"};
  static const char* const names[] = {"length", "count", "buffer", "index", "value", "result", "offset", "size",
                                      "node",   "next",  "first",  "last",  "line",  "text",   "width",  "Length"};
  static const char* const comments[] = {"the",
                                         "value",
                                         "of",
                                         "this",
                                         "is",
                                         "kept",
                                         "for",
                                         "the",
                                         "next",
                                         "line",
                                         "\xEF\xF0\xE8\xEC\xE5\xF0",
                                         "\xF1\xF2\xF0\xEE\xEA\xE0"};
  static const char* const operators[] = {" = ", " + ", " - ", " * ", " < ", " == ", "->", "."};
  unsigned seed = 7;
  auto next = [&](unsigned n) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % n;
  };
  AnsiString text;
  text.reserve(static_cast<size_t>(Lines) * 44);
  for (int i = 0; i < Lines; ++i) {
    const unsigned kind = next(16);
    if (kind == 0) {
      text.append(next(3) == 0 ? "    " : "");
    } else if (kind < 3) {
      text.append(2 + 2 * next(4), ' ');
      text += "// ";
      const int n = 3 + static_cast<int>(next(8));
      for (int w = 0; w < n; ++w) {
        const char* word = comments[next(std::size(comments))];
        text += word;
        text += ' ';
        if (next(9) == 0) (text += word) += ' ';
      }
    } else {
      text.append(2 + 2 * next(4), ' ');
      if (next(3) == 0) (text += keywords[next(std::size(keywords))]) += ' ';
      const int n = 1 + static_cast<int>(next(4));
      for (int w = 0; w < n; ++w) {
        text += names[next(std::size(names))];
        if (next(4) == 0) text += std::to_string(next(1000));
        text += operators[next(std::size(operators))];
      }
      text += std::to_string(next(100000));
      text += next(4) == 0 ? ") {" : ";";
    }
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

// Every line with every match replaced through the expression engine's replace-all; the
// total length of the results.
int64_t ReplaceEveryLine(TTxtEdit* E, const char* Expr, const char* Template) {
  TRegExpr r;
  r.SetExpression(Expr);
  AnsiString line;
  int64_t total = 0;
  for (int i = 0; i < E->Lines()->Count(); ++i) {
    line.assign(E->Lines()->LineView(i));
    total += static_cast<int64_t>(r.Replace(line, Template, true).size());
  }
  return total;
}

int EngineAll(TTxtEdit* E, TTxtEditSearchCustom& Engine, const char* What, TSearchReplaceOptions Options) {
  Engine.SetOptions(Options);
  Engine.SetPattern(What);
  int hits = 0;
  for (int i = 0; i < E->Lines()->Count(); ++i) hits += Engine.FindAllIn(E->Lines()->LineView(i));
  return hits;
}

double MedianOf(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// The expressions searched line by line over the source-like text, with their keys.
struct TWorkload {
  const char* Key;
  const char* Expr;
  bool MatchCase;
};
const TWorkload kWorkloads[] = {
    {"re.literal", kSourceLiteral, true},
    {"re.literal.i", kSourceLiteral, false},
    {"re.word", "\\w+", true},
    {"re.repeat", "\\b(\\w+)\\s+\\1\\b", true},
    {"re.blank", "^\\s*$", true},
    {"re.high", "[\\xC0-\\xFF]+", true},
    {"re.keywords", "if|else|while|for|return|int|static|const|auto|zebra", true},
};

// Nested repetitions on subjects that make every attempt fail, with the lengths measured.
struct TPathological {
  const char* Key;
  const char* Expr;
  char Fill;
  const char* Tail;
};
const TPathological kPathological[] = {
    {"p.plus", "(a+)+\\d", 'a', "!1"},
    {"p.alt", "(a|aa)+\\d", 'a', "!1"},
    {"p.words", "(\\w+\\s?)+$", 'a', "!"},
    {"p.dotstar", "(.*a){12}", 'b', "aaaaaaaaaaa"},
    {"p.xx", "(x+x+)+y", 'x', "!y"},
    {"p.backref", "(\\w+)\\1+\\d", 'a', "!1"},
    {"p.dotstar.m", "(.*a){12}", 'b', "aaaaaaaaaaaa"},
    {"p.backref.m", "(\\w+)\\1+\\d", 'a', "1"},
    {"p.backref.alt", "(a|aa)+\\1\\d", 'a', "!1"},
};
const int kPathologicalLengths[] = {20, 100, 1000, 10000, 100000};

// The floor of a search over a subject: one pass that looks at every character.
int FloorPass(const std::string& Subject, char Fill) {
  return static_cast<int>(std::count(Subject.begin(), Subject.end(), Fill));
}

// The frame cap's case runs under a command's time on the engine's own clock.
constexpr int64_t kCommandMs = 2000;
const char* const kExploding = "(\\w+\\s?)+\\1$";

// The line of the doubled words the find dialog's users met, 57 characters with its break (53
// without the doubled word); with Last the last word is given a doubled letter, which kExploding
// finds.
AnsiString DoubledWordLines(int Lines, const char* Last = "dog", const char* Doubled = "the the") {
  AnsiString text;
  text.reserve(static_cast<size_t>(Lines) * 58);
  for (int i = 0; i < Lines; ++i)
    text += "key" + std::to_string(i % 10) + " = the quick brown fox jumps over " + Doubled + " lazy " + Last + "\r\n";
  return text;
}

// Ordinary lines, then lines of Fill characters and a '!', on which kExploding tries every split
// of the run.
AnsiString ExplodingLines(int Lines, int Fill, int Ordinary = 0) {
  AnsiString text = DoubledWordLines(Ordinary, "dogg");
  for (int i = 0; i < Lines; ++i) text += AnsiString(static_cast<size_t>(Fill), 'a') + "!\r\n";
  return text;
}

// The commands of the budget cases, each over the editor's text as the dialog runs them, under
// the dialog's budget of a command or of a search as the user types.
struct TBudgetCase {
  const char* Key;
  const char* What;
  int Lines, Fill;
  bool Typing;
  int Command;  // 0 find next, 1 count over every line, 2 replace-all
  int Ordinary = 0;
};
const TBudgetCase kBudgetCases[] = {
    {"b.find", "find next, 10 lines of 24 a + !", 10, 24, false, 0},
    {"b.count", "count, 10 lines of 24 a + !", 10, 24, false, 1},
    {"b.replace", "replace-all, 10 lines of 24 a + !", 10, 24, false, 2},
    {"b.find26", "find next, 1 line of 26 a + !", 1, 26, false, 0},
    {"b.typing", "as the user types, 10 lines of 24 a + !", 10, 24, true, 0},
    {"b.after", "replace-all, 100,000 hits, then 10 of 24 a + !", 10, 24, false, 2, 100000},
};

// Runs one command; its outcome: -1 stopped as too complex, else the hits.
double RunCommand(TTxtEdit& Edit, TTxtEditRegexSearch& Regex, const TBudgetCase& C, TRegExprBudget* Budget) {
  Regex.SetBudget(Budget);
  double outcome = 0;
  try {
    if (C.Command == 0) {
      Edit.SetCaretXY({1, 1});
      outcome = Edit.SearchReplace(kExploding, "", {srEntireScope});
    } else if (C.Command == 1) {
      outcome = EngineAll(&Edit, Regex, kExploding, {});
    } else {
      outcome = Edit.SearchReplace(kExploding, "$1", {srReplace, srReplaceAll, srEntireScope});
    }
  } catch (const ERegExpr&) {
    outcome = -1;
  }
  Regex.SetBudget(nullptr);
  return outcome;
}

double PeakMemoryMb() {
  PROCESS_MEMORY_COUNTERS c{};
  c.cb = sizeof c;
  GetProcessMemoryInfo(GetCurrentProcess(), &c, sizeof c);
  return static_cast<double>(c.PeakWorkingSetSize) / 1048576.0;
}

// The commands over exploding lines under their budgets, and a search whose choice points the
// cap stops on a 16 MB line, with the peak memory of the process around it.
void BudgetCases(const std::function<void(const std::string&, const std::function<void()>&)>& Timed,
                 std::map<std::string, double>& R) {
  TTxtEdit edit(nullptr);
  TTxtEditRegexSearch regex(nullptr);
  edit.SetSearchEngine(&regex);
  const TFindAndReplace dialog(nullptr, nullptr);
  for (int round = 0; round < kRounds; ++round) {
    for (const TBudgetCase& c : kBudgetCases) {
      edit.SetTextA(ExplodingLines(c.Lines, c.Fill, c.Ordinary));
      double outcome = 0;
      Timed(c.Key, [&] {
        TRegExprBudget budget = dialog.Budget(c.Typing);
        outcome = RunCommand(edit, regex, c, &budget);
      });
      R[std::string(c.Key) + ".outcome"] = outcome;
    }
  }
  edit.SetSearchEngine(nullptr);
  const std::string huge = std::string(16 << 20, 'a') + "c";
  const double before = PeakMemoryMb();
  TRegExpr r;
  r.SetExpression("((a)|(b))*c");
  double outcome = 0;
  Timed("b.frames", [&] {
    TRegExprBudget budget(kCommandMs);
    r.SetBudget(&budget);
    try {
      outcome = r.Exec(huge) ? 1 : 0;
    } catch (const ERegExpr&) {
      outcome = -1;
    }
  });
  R["b.frames.outcome"] = outcome;
  R["b.frames.mb"] = PeakMemoryMb() - before;
}

// An editor and the find dialog's searches over it, with expressions matching case.
struct TDialogSearch {
  TTxtEdit Edit{nullptr};
  TTxtEditSearch Plain{nullptr};
  TTxtEditRegexSearch Regex{nullptr};
  TFindAndReplace Dialog{&Plain, &Regex};
  const TFindSettings Settings{.MatchCase = true, .RegularExpressions = true};
};

// The doubled words replaced through the find dialog's command (the presence test, then the
// replace-all) on 5.7 MB and on 45 MB, and looked for as the user types on 19 MB where only the
// last line has them: each answers, whatever the size. Once per process: they are long.
void DoubledWordCases(const std::function<void(const std::string&, const std::function<void()>&)>& Timed,
                      std::map<std::string, double>& R) {
  TDialogSearch d;
  TTxtEdit& edit = d.Edit;
  TFindAndReplace& dialog = d.Dialog;
  const TFindSettings& settings = d.Settings;
  for (int lines : {100000, 800000}) {
    const std::string key = "i.replace." + std::to_string(lines);
    edit.SetTextA(DoubledWordLines(lines));
    TFindResult result = frNone;
    Timed(key, [&] { result = dialog.Replace(&edit, "\\b(\\w+) \\1\\b", "$1", settings, true); });
    int changed = 0;
    for (int i = 0; i < edit.Lines()->Count(); ++i)
      changed += edit.Lines()->LineView(i).find("the the") == std::string_view::npos;
    R[key + ".outcome"] = result;
    R[key + ".changed"] = changed;
  }
  // As the user types, over 19 MB without a doubled word but on the last line.
  edit.SetTextA(DoubledWordLines(360000, "dog", "the") + "the the");
  TFindResult result = frNone;
  Timed("i.typing", [&] { result = dialog.Find(&edit, "(\\w+) \\1", settings, true, {1, 1}); });
  R["i.typing.outcome"] = result;
  R["i.typing.found"] = edit.SelAvail();
}

// Prose: lines of 100 characters of words, spaces and now and then a comma, each ending in "7.",
// so that an expression that wants two digits in a row is nowhere answered.
AnsiString ProseLines(int Lines) {
  static const char* const words[] = {"the",   "river", "ran",   "past",  "a",     "mill",  "where", "old",
                                      "men",   "sat",   "and",   "spoke", "of",    "rain",  "corn",  "horses",
                                      "while", "their", "wives", "baked", "bread", "under", "slow",  "clouds"};
  unsigned seed = 11;
  AnsiString text, line;
  text.reserve(static_cast<size_t>(Lines) * 102);
  for (int i = 0; i < Lines; ++i) {
    line.clear();
    while (line.size() < 98) {
      seed = seed * 1103515245u + 12345u;
      line += words[(seed >> 16) % std::size(words)];
      line += (seed >> 8) % 7 == 0 ? ", " : " ";
    }
    line.resize(98);
    line.back() = ' ';
    text += line + "7.\r\n";
  }
  return text;
}

// Counted groups that never match on prose: each runs to the end of the document unless the
// budget stops it. Their keys, and the documents' sizes in lines of prose (5.8 and 19.4 MB).
struct TCountedCase {
  const char* Key;
  const char* Expr;
};
const TCountedCase kCountedCases[] = {
    {"c.words", "(\\w+\\s?){2,50}\\d\\d"},
    {"c.commas", "(\\w+,?\\s?){3,40}\\d\\d"},
};
const int kProseSizes[] = {57000, 190000};

// A key typed into the find box, Find next and Replace all, as the dialog runs them, for each
// counted group on each size of prose. Once per process: without a bound they are long.
void CountedCases(const std::function<void(const std::string&, const std::function<void()>&)>& Timed,
                  std::map<std::string, double>& R) {
  TDialogSearch d;
  TTxtEdit& edit = d.Edit;
  TFindAndReplace& dialog = d.Dialog;
  const TFindSettings& settings = d.Settings;
  for (int lines : kProseSizes) {
    edit.SetTextA(ProseLines(lines));
    R["c.mb." + std::to_string(lines)] = static_cast<double>(edit.TextA().size()) / 1e6;
    for (const TCountedCase& c : kCountedCases) {
      for (const char* kind : {"typing", "find", "replace"}) {
        const std::string key = std::string(c.Key) + "." + std::to_string(lines) + "." + kind;
        TFindResult result = frNone;
        Timed(key, [&] {
          result = kind[0] == 'r' ? dialog.Replace(&edit, c.Expr, "x", settings, true)
                                  : dialog.Find(&edit, c.Expr, settings, kind[0] == 't', {1, 1});
        });
        R[key + ".outcome"] = result;
      }
    }
  }
}

// One command over ten exploding lines without a command's budget, each line with the engine's
// own budget: what every command cost before the command's budget.
void Unbudgeted() {
  TTxtEdit edit(nullptr);
  TTxtEditRegexSearch regex(nullptr);
  edit.SetSearchEngine(&regex);
  for (const TBudgetCase& c : kBudgetCases) {
    if (c.Command != 0) continue;
    edit.SetTextA(ExplodingLines(c.Lines, c.Fill));
    const double t0 = Now();
    const double outcome = RunCommand(edit, regex, c, nullptr);
    std::printf("  %-44s %10.1f ms  %s\n", c.What, (Now() - t0) * 1000.0, outcome < 0 ? "stopped" : "answered");
  }
  edit.SetSearchEngine(nullptr);
}

// One process's figures, as "name value" lines in the result file.
void Child(const std::wstring& resultFile, bool explosiveOnly, bool budgetOnly) {
  std::map<std::string, double> r;
  std::map<std::string, std::vector<double>> times;
  auto timed = [&](const std::string& key, const std::function<void()>& step) {
    const double t0 = Now();
    step();
    times[key].push_back(Now() - t0);
  };
  auto write = [&] {
    for (const auto& [key, v] : times) r[key] = MedianOf(v) * 1000.0;
    FILE* f = _wfopen(resultFile.c_str(), L"w");
    for (const auto& [key, value] : r) std::fprintf(f, "%s %.9g\n", key.c_str(), value);
    std::fclose(f);
  };

  if (budgetOnly) {
    BudgetCases(timed, r);
    DoubledWordCases(timed, r);
    CountedCases(timed, r);
    return write();
  }
  // Nested repetitions: one search each; -1 when the engine stopped it as too complex. The
  // floor of each length is taken in the same rounds.
  for (int round = 0; round < kRounds; ++round) {
    for (int n : kPathologicalLengths) {
      const std::string subject(static_cast<size_t>(n), 'a');
      int counted = 0;
      timed("floor." + std::to_string(n), [&] {
        for (int k = 0; k < 100; ++k) counted += FloorPass(subject, static_cast<char>('a' + (k & 1)));
      });
      times["floor." + std::to_string(n)].back() /= 100;
      r["floor.count"] = counted;
    }
    for (const TPathological& p : kPathological) {
      for (int n : kPathologicalLengths) {
        TRegExpr e;
        e.SetExpression(p.Expr);
        const std::string subject = std::string(static_cast<size_t>(n), p.Fill) + p.Tail;
        const std::string key = std::string(p.Key) + "." + std::to_string(n);
        double outcome = 0;
        timed(key, [&] {
          try {
            outcome = e.Exec(subject) ? 1 : 0;
          } catch (const ERegExpr&) {
            outcome = -1;
          }
        });
        r[key + ".outcome"] = outcome;
      }
    }
  }
  if (explosiveOnly) return write();
  BudgetCases(timed, r);

  TTxtEdit control(nullptr);
  TTxtEdit* edit = &control;
  TTxtEditSearch plain(nullptr);
  TTxtEditRegexSearch regex(nullptr);
  int hits = 0;

  // The plain search through the control on the large text.
  edit->SetTextA(Generate(kLines));
  for (int round = 0; round < kRounds; ++round) {
    timed("floor", [&] { hits = FloorSearch(edit, kLiteral); });
    r["floor.hits"] = hits;
    edit->SetSearchEngine(&plain);
    timed("plain.case", [&] { hits = SearchAll(edit, kLiteral, {srMatchCase}); });
    r["plain.case.hits"] = hits;
    timed("plain.ignore", [&] { hits = SearchAll(edit, kLiteral, {}); });
    timed("plain.engine", [&] { hits = EngineAll(edit, plain, kLiteral, {srMatchCase}); });
    timed("plain.engine.i", [&] { hits = EngineAll(edit, plain, kLiteral, {}); });
    edit->SetSearchEngine(nullptr);
  }

  // The expression engine over the source-like text, the plain engine taking turns with it.
  edit->SetTextA(GenerateSource(kSourceLines));
  r["source.lines"] = edit->Lines()->Count();
  r["source.mb"] = static_cast<double>(edit->TextA().size()) / 1048576.0;
  for (int round = 0; round < kRounds; ++round) {
    timed("src.plain", [&] { hits = EngineAll(edit, plain, kSourceLiteral, {srMatchCase}); });
    r["src.plain.hits"] = hits;
    timed("src.plain.i", [&] { hits = EngineAll(edit, plain, kSourceLiteral, {}); });
    r["src.plain.i.hits"] = hits;
    for (const TWorkload& w : kWorkloads) {
      timed(w.Key, [&] {
        hits =
            EngineAll(edit, regex, w.Expr, w.MatchCase ? TSearchReplaceOptions{srMatchCase} : TSearchReplaceOptions{});
      });
      r[std::string(w.Key) + ".hits"] = hits;
    }
    int64_t size = 0;
    timed("re.replace", [&] { size = ReplaceEveryLine(edit, kReplaceExpr, kReplaceTemplate); });
    r["re.replace.size"] = static_cast<double>(size);
  }

  // Replace-all with group references: 200,000 lines, every other with a key=value pair.
  AnsiString pairs;
  for (int i = 0; i < 200000; ++i)
    pairs += i % 2 ? "key" + std::to_string(i) + "=val" + std::to_string(i % 97) + " ;\r\n" : "plain text line\r\n";
  edit->SetSearchEngine(&regex);
  for (int round = 0; round < kRounds; ++round) {
    edit->SetTextA(pairs);
    timed("replace.groups", [&] {
      hits = edit->SearchReplace("(\\w+)=(\\w+)", "$2=$1", {srReplaceAll, srEntireScope, srMatchCase});
    });
    r["replace.groups.hits"] = hits;
    edit->SetTextA(pairs);
    edit->SetSearchEngine(&plain);
    timed("replace.plain", [&] {
      hits = edit->SearchReplace("=val", "=>", {srReplaceAll, srEntireScope, srMatchCase});
    });
    edit->SetSearchEngine(&regex);
  }
  edit->SetSearchEngine(nullptr);
  write();
}

bool RunChild(const std::wstring& resultFile, const std::wstring& mode) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring command = L"\"" + std::wstring(self) + L"\" --child \"" + resultFile + L"\"";
  if (!mode.empty()) command += L" " + mode;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code == 0;
}

std::map<std::string, double> ReadResults(const std::wstring& resultFile) {
  std::map<std::string, double> r;
  FILE* f = _wfopen(resultFile.c_str(), L"r");
  if (!f) return r;
  char key[64];
  double value;
  while (std::fscanf(f, "%63s %lf", key, &value) == 2) r[key] = value;
  std::fclose(f);
  return r;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc >= 3 && std::wstring(argv[1]) == L"--child") {
    const std::wstring mode = argc == 4 ? argv[3] : L"";
    Child(argv[2], mode == L"explosive", mode == L"budget");
    return 0;
  }
  const std::wstring mode = argc == 2 ? argv[1] : L"";
  if (mode == L"unbudgeted") {
    std::printf("one command over exploding lines, each line with the engine's own budget:\n");
    Unbudgeted();
    return 0;
  }
  const bool explosiveOnly = mode == L"explosive", budgetOnly = mode == L"budget";
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring resultFile = std::wstring(temp) + L"hv_search_bench.result";
  std::vector<std::map<std::string, double>> runs;
  for (int i = 0; i < kProcesses; ++i) {
    if (!RunChild(resultFile, mode)) {
      std::fprintf(stderr, "a measuring process failed\n");
      return 1;
    }
    runs.push_back(ReadResults(resultFile));
  }
  DeleteFileW(resultFile.c_str());

  auto median = [&](const std::string& key) {
    std::vector<double> v;
    for (auto& r : runs) v.push_back(r[key]);
    return MedianOf(v);
  };
  auto ratio = [&](const std::string& key, const std::string& floorKey) {
    std::vector<double> v;
    for (auto& r : runs) v.push_back(r[key] / r[floorKey]);
    return MedianOf(v);
  };
  const auto& first = runs.front();
  std::printf("medians of %d processes (each the median of %d rounds); each ratio within one process\n\n", kProcesses,
              kRounds);
  if (!explosiveOnly) {
    const TFindAndReplace dialog(nullptr, nullptr);
    std::printf(
        "commands over exploding lines with %s, each under the find dialog's budget (%lld million steps, as the user "
        "types %lld million, and %lld for each character searched):\n",
        kExploding, static_cast<long long>(dialog.CommandSteps / 1000000),
        static_cast<long long>(dialog.TypingSteps / 1000000), static_cast<long long>(dialog.StepsPerCharacter));
    for (const TBudgetCase& c : kBudgetCases) {
      const double outcome = median(std::string(c.Key) + ".outcome");
      std::printf(
          "  %-44s %10.1f ms  %s\n", c.What, median(c.Key),
          outcome < 0 ? "stopped: too complex" : ("answered, " + std::to_string(int(outcome)) + " hits").c_str());
    }
    std::printf("  %-44s %10.1f ms  %s, peak working set +%.0f MB\n", "((a)|(b))*c on 16 MB of a and c",
                median("b.frames"), median("b.frames.outcome") < 0 ? "stopped: too complex" : "answered",
                median("b.frames.mb"));
    if (budgetOnly) {
      std::printf("\nthe doubled words through the find dialog, which must answer whatever the size:\n");
      auto told = [](double Result) {
        const int r = static_cast<int>(Result);
        return r == frNone ? "answered" : r == frTooComplex ? "WRONG: too complex" : "WRONG: other";
      };
      for (int lines : {100000, 800000}) {
        const std::string key = "i.replace." + std::to_string(lines);
        const std::string what = "\\b(\\w+) \\1\\b by $1, replace-all, " + std::to_string(lines) + " lines";
        std::printf("  %-44s %10.1f ms  %s, %.0f lines changed\n", what.c_str(), median(key),
                    told(median(key + ".outcome")), median(key + ".changed"));
      }
      std::printf("  %-44s %10.1f ms  %s%s\n", "(\\w+) \\1 as the user types, 19 MB", median("i.typing"),
                  told(median("i.typing.outcome")), median("i.typing.found") > 0 ? ", found" : ", NOT found");
      std::printf(
          "\ncounted groups that never match, on prose lines of 100 characters ending in \"7.\" (a typed key "
          "must stop within about a second, a command within a few):\n");
      auto outcome = [](double Result) {
        const int r = static_cast<int>(Result);
        return r == frTooComplex ? "stopped: too complex" : r == frNotFound ? "answered: not found" : "answered";
      };
      for (int lines : kProseSizes) {
        const std::string size = std::to_string(lines);
        char mb[32];
        std::snprintf(mb, sizeof mb, "%.1f MB", median("c.mb." + size));
        for (const TCountedCase& c : kCountedCases) {
          for (const char* kind : {"typing", "find", "replace"}) {
            const std::string key = std::string(c.Key) + "." + size + "." + kind;
            const std::string what = std::string(c.Expr) + ", " + mb + ", " +
                                     (kind[0] == 't'   ? "typed key"
                                      : kind[0] == 'f' ? "find next"
                                                       : "replace all");
            std::printf("  %-44s %10.1f ms  %s\n", what.c_str(), median(key), outcome(median(key + ".outcome")));
          }
        }
      }
    }
  }
  if (budgetOnly) return 0;
  std::printf("\n");
  std::printf("nested repetitions and back references, one search each on n characters of the fill and the tail\n");
  std::printf("(stopped = the engine's too-complex error; x floor = times one pass over the subject):\n");
  for (int n : kPathologicalLengths) {
    std::printf("  n=%d\n", n);
    std::printf("    %-36s %10.6f ms\n", "floor: one pass over n characters", median("floor." + std::to_string(n)));
    for (const TPathological& p : kPathological) {
      const std::string key = std::string(p.Key) + "." + std::to_string(n);
      const double outcome = median(key + ".outcome");
      const std::string what = std::string(p.Expr) + " on " + std::string(1, p.Fill) + "*n " + p.Tail;
      std::printf("    %-36s %10.4f ms %10.0fx floor  %s\n", what.c_str(), median(key),
                  ratio(key, "floor." + std::to_string(n)),
                  outcome < 0   ? "stopped"
                  : outcome > 0 ? "match"
                                : "none");
    }
  }
  if (explosiveOnly) return 0;
  std::printf("\n");
  std::printf("plain search, %d generated lines:\n", kLines);
  std::printf("  %-44s %9.1f ms            (%.0f hits)\n", "floor memchr+memcmp", median("floor"),
              first.at("floor.hits"));
  auto row = [&](const char* what, const char* key, const char* floorKey, const char* hitsKey) {
    std::printf("  %-44s %9.1f ms  %6.2fx    (%.0f hits)\n", what, median(key), ratio(key, floorKey),
                first.count(hitsKey) ? first.at(hitsKey) : 0.0);
  };
  row("control, match case (x floor)", "plain.case", "floor", "plain.case.hits");
  row("control, ignore case (x floor)", "plain.ignore", "floor", "plain.case.hits");
  row("plain engine, every line (x floor)", "plain.engine", "floor", "floor.hits");
  row("  ignoring case (x floor)", "plain.engine.i", "floor", "floor.hits");

  std::printf("\nexpressions, every match of every line, %.0f lines of source-like text (%.1f MB):\n",
              first.at("source.lines"), first.at("source.mb"));
  std::printf("  %-56s %9.1f ms            (%.0f hits)\n", "plain engine: length, match case", median("src.plain"),
              first.at("src.plain.hits"));
  std::printf("  %-56s %9.1f ms            (%.0f hits)\n", "plain engine: length, ignoring case", median("src.plain.i"),
              first.at("src.plain.i.hits"));
  for (const TWorkload& w : kWorkloads) {
    const std::string what = std::string(w.Expr) + (w.MatchCase ? "" : ", ignoring case");
    const std::string key = w.Key;
    std::printf("  %-56s %9.1f ms  %6.2fx plain  (%.0f hits)\n", what.c_str(), median(key),
                ratio(key, w.MatchCase ? "src.plain" : "src.plain.i"), first.at(key + ".hits"));
  }
  {
    const std::string what = std::string(kReplaceExpr) + " by " + kReplaceTemplate + ", replace-all of each line";
    std::printf("  %-56s %9.1f ms            (%.0f characters)\n", what.c_str(), median("re.replace"),
                first.at("re.replace.size"));
  }
  std::printf("  (goal: the literal within 1.50x of the plain engine)\n");

  std::printf("\nthe control's replace-all on 200,000 lines, 100,000 hits:\n");
  std::printf("  %-56s %9.1f ms            (%.0f hits)\n", "(\\w+)=(\\w+) by $2=$1", median("replace.groups"),
              first.at("replace.groups.hits"));
  std::printf("  %-56s %9.1f ms  %6.2fx\n", "plain =val by =>", median("replace.plain"),
              ratio("replace.plain", "replace.groups"));

  return 0;
}
