// Replace-all, its undo and its redo in a shown editor window: about 660,000 hits of "lambda"
// in a generated 50 MB text, each timed up to the repainted window, against the floor of the
// same text built by plain string work in the same run, and the text's load into the window.
// Then the same replace-all as the find dialog gives it, with the expression engine and under
// the command's time budget, which must answer with every hit replaced, not "too complex".
//
// First of all, while the process holds little else, a replace-all in which every character is
// a hit ("a" by "b", and the expression "." by "b", searching down and up) over 40 MB of text
// without a window: the most memory the process holds while it runs (its working set, sampled
// by a thread every few milliseconds), beside the text's size and the memory held before and
// after it, with its time and its undo's.
//
// With word wrap on it runs in the wide window, where no line wraps, and in a window narrower
// than most lines, where the lines really wrap and a hit near a row's end changes the rows of its
// line: there with a word of the same length and with a longer one.
//
//   replace_bench           (the 50 MB text, medians of 3 runs, word wrap off and on)
//   replace_bench 10        (a tenth of the texts, for code that takes long per hit)
#include "framework/Win.h"

#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/FindReplace.h"
#include "bench/BenchSupport.h"
#include "editor/TxtEditSearch.h"
#include "framework/Forms.h"

namespace {

constexpr int kRuns = 3;
constexpr int kLines = 796000;
const char* const kFind = "lambda";
const char* const kReplace = "LAMBDA";
// Longer: a line near a row's end gains a row, and its undo takes it back.
const char* const kReplaceLonger = "LAMBDA_";
constexpr int kNarrowColumns = 60;

// Lines of 20 to 100 characters like the file benchmarks' text, five of every six with the
// word looked for somewhere inside.
AnsiString Generate(int Lines) {
  AnsiString text;
  text.reserve(static_cast<size_t>(Lines) * 64);
  unsigned seed = 1;
  for (int i = 0; i < Lines; ++i) {
    seed = seed * 1103515245u + 12345u;
    const int length = 20 + static_cast<int>((seed >> 16) % 81);
    AppendSampleLine(text, i, length, i % 6 == 0 ? -1 : static_cast<int>((seed >> 8) % static_cast<unsigned>(length)),
                     kFind);
    if (i + 1 < Lines) text.append("\r\n");
  }
  return text;
}

// The floor: every occurrence of From replaced by To with plain string work.
AnsiString ReplaceByStrings(const AnsiString& Text, const char* From, const char* To) {
  const size_t n = std::strlen(From);
  AnsiString out;
  out.reserve(Text.size());
  size_t at = 0;
  for (size_t hit; (hit = Text.find(From, at, n)) != AnsiString::npos; at = hit + n) {
    out.append(Text, at, hit - at);
    out += To;
  }
  out.append(Text, at, AnsiString::npos);
  return out;
}

struct TFigures {
  double Load = 0, Replace = 0, Undo = 0, Redo = 0, Floor = 0;
  int Hits = 0;
  int Rows = 0;  // of the replaced text, with word wrap
  bool Exact = true;
};

// Wnd is null for a control without a window.
TFigures Measure(TTxtEdit* Edit, HWND Wnd, const AnsiString& Text, bool Wrap, const char* With = kReplace) {
  TTxtEditSearch engine(nullptr);
  Edit->SetSearchEngine(&engine);
  Edit->SetWordWrap(Wrap);
  std::vector<double> load, replace, undo, redo, floor;
  TFigures f;
  AnsiString expected;
  auto timed = [&](std::vector<double>& Into, const std::function<void()>& Step) {
    const double t0 = Now();
    Step();
    Into.push_back((Now() - t0) * 1000.0);
  };
  for (int run = 0; run < kRuns; ++run) {
    timed(floor, [&] { expected = ReplaceByStrings(Text, kFind, With); });
    timed(load, [&] {
      Edit->SetTextA(Text);
      if (Wnd) UpdateWindow(Wnd);
    });
    Edit->SetCaretXY({1, 1});
    Pump();
    timed(replace, [&] {
      f.Hits = Edit->SearchReplace(kFind, With, {srReplace, srReplaceAll, srEntireScope, srMatchCase});
      if (Wnd) UpdateWindow(Wnd);
    });
    f.Exact = f.Exact && Edit->TextA() == expected;
    Pump();
    timed(undo, [&] {
      Edit->Undo();
      if (Wnd) UpdateWindow(Wnd);
    });
    f.Exact = f.Exact && Edit->TextA() == Text;
    Pump();
    timed(redo, [&] {
      Edit->Redo();
      if (Wnd) UpdateWindow(Wnd);
    });
    f.Exact = f.Exact && Edit->TextA() == expected;
    f.Rows = Edit->DisplayLineCount();
    Pump();
  }
  Edit->SetSearchEngine(nullptr);
  Edit->SetWordWrap(false);
  auto median = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
  };
  f.Load = median(load);
  f.Replace = median(replace);
  f.Undo = median(undo);
  f.Redo = median(redo);
  f.Floor = median(floor);
  return f;
}

// Replace-all through the find dialog's command with the expression engine: its own budget,
// the presence test over the whole text first, then the replacements.
void MeasureCommand(TTxtEdit* Edit, HWND Wnd, const AnsiString& Text) {
  TTxtEditSearch plain(nullptr);
  TTxtEditRegexSearch regex(nullptr);
  TFindAndReplace finder(&plain, &regex);
  TFindSettings settings;
  settings.MatchCase = true;
  settings.RegularExpressions = true;
  const AnsiString expected = ReplaceByStrings(Text, kFind, kReplace);
  std::vector<double> replace;
  bool exact = true;
  TFindResult result = frNone;
  for (int run = 0; run < kRuns; ++run) {
    Edit->SetTextA(Text);
    Edit->SetCaretXY({1, 1});
    Pump();
    const double t0 = Now();
    result = finder.Replace(Edit, kFind, kReplace, settings, true);
    if (Wnd) UpdateWindow(Wnd);
    replace.push_back((Now() - t0) * 1000.0);
    exact = exact && result == frNone && Edit->TextA() == expected;
    Pump();
  }
  Edit->SetSearchEngine(nullptr);
  std::sort(replace.begin(), replace.end());
  std::printf("the find dialog's replace-all, expression engine, under its command budget:\n");
  std::printf("  %-34s %10.1f ms  (%s)\n", "replace-all", replace[replace.size() / 2],
              exact                    ? "every hit replaced"
              : result == frTooComplex ? "WRONG: stopped as too complex"
                                       : "WRONG text");
}

// The working set of the process in MB, now and the most of it while a watch runs.
double WorkingSetMB() {
  PROCESS_MEMORY_COUNTERS c{};
  c.cb = sizeof c;
  GetProcessMemoryInfo(GetCurrentProcess(), &c, sizeof c);
  return static_cast<double>(c.WorkingSetSize) / 1048576.0;
}

class TMemoryWatch {
 public:
  TMemoryWatch()
      : most_(WorkingSetMB()), thread_([this] {
          while (!stop_) {
            most_ = std::max(most_.load(), WorkingSetMB());
            Sleep(2);
          }
        }) {}
  double Stop() {
    stop_ = true;
    thread_.join();
    return std::max(most_.load(), WorkingSetMB());
  }

 private:
  std::atomic<bool> stop_{false};
  std::atomic<double> most_;
  std::thread thread_;
};

// Every character a hit, over Megabytes of lines of 100 characters, in a control without a
// window; one run each (a second would only measure the heap the first left behind).
void MeasureEveryCharacter(int Megabytes) {
  const size_t lines = static_cast<size_t>(Megabytes) * 1048576 / 102;
  AnsiString text;
  text.reserve(lines * 102);
  for (size_t i = 0; i < lines; ++i) text.append(100, 'a').append(i + 1 < lines ? "\r\n" : "");
  std::printf("every character a hit, %.1f MB of text (%zu lines), no window, one run:\n",
              static_cast<double>(text.size()) / 1048576.0, lines);
  std::printf("  %-22s %10s %10s %10s %10s %10s %10s\n", "", "held", "peak", "after", "replace", "undo", "");
  TTxtEditSearch plain(nullptr);
  TTxtEditRegexSearch regex(nullptr);
  const struct {
    const char* Name;
    TTxtEditSearchCustom* Engine;
    const char* Find;
    bool Up;
  } kinds[] = {{"plain a -> b", &plain, "a", false},
               {"expression . -> b", &regex, ".", false},
               {"plain a -> b, up", &plain, "a", true},
               {"expression . -> b, up", &regex, ".", true}};
  for (const auto& k : kinds) {
    bool exact = true;
    double held = 0, peak = 0, after = 0, replace = 0, undo = 0;
    {
      TTxtEdit edit(nullptr);
      edit.SetSearchEngine(k.Engine);
      edit.SetTextA(text);
      edit.SetCaretXY({1, 1});
      held = WorkingSetMB();
      int hits = 0;
      TSearchReplaceOptions options{srReplace, srReplaceAll, srEntireScope, srMatchCase};
      if (k.Up) options << srBackwards;
      TMemoryWatch watch;
      const double t0 = Now();
      try {
        hits = edit.SearchReplace(k.Find, "b", options);
      } catch (const std::exception& x) {
        const double failed = (Now() - t0) * 1000.0;
        // Line by line: a copy of the whole text may not fit in what is left.
        bool kept = edit.Lines()->Count() == static_cast<int>(lines);
        for (int i = 0; kept && i < edit.Lines()->Count(); ++i)
          kept = edit.Lines()->LineView(i) == std::string_view(text.data(), 100);
        std::printf("  %-22s %7.0f MB %7.0f MB  FAILED after %.0f ms: %s, %s\n", k.Name, held, watch.Stop(), failed,
                    x.what(), kept ? "the text as it was" : "WRONG: the text changed");
        continue;
      }
      replace = (Now() - t0) * 1000.0;
      peak = watch.Stop();
      after = WorkingSetMB();
      exact = hits == static_cast<int>(lines) * 100 && edit.Lines()->Count() == static_cast<int>(lines) &&
              edit.Lines()->Strings(static_cast<int>(lines) - 1) == AnsiString(100, 'b');
      const double t1 = Now();
      edit.Undo();
      undo = (Now() - t1) * 1000.0;
      exact = exact && edit.TextA() == text;
      edit.SetSearchEngine(nullptr);
    }
    std::printf("  %-22s %7.0f MB %7.0f MB %7.0f MB %7.0f ms %7.0f ms  (%s)\n", k.Name, held, peak, after, replace,
                undo, exact ? "every character replaced, undo exact" : "WRONG");
  }
  std::printf(
      "  (held: the process with the text loaded; peak: the most during the replace-all;\n"
      "   after: once it is done, with its undo step)\n\n");
}

void Report(const char* What, const TFigures& f) {
  std::printf("%s (%d hits, %d rows, text %s after replace, undo and redo):\n", What, f.Hits, f.Rows,
              f.Exact ? "exact" : "WRONG");
  auto row = [&](const char* name, double ms) {
    std::printf("  %-34s %10.1f ms  %8.2fx floor  %6.2fx load\n", name, ms, ms / f.Floor, ms / f.Load);
  };
  std::printf("  %-34s %10.1f ms\n", "floor: the same text by strings", f.Floor);
  row("load into the window", f.Load);
  row("replace-all", f.Replace);
  row("undo", f.Undo);
  row("redo", f.Redo);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int divisor = argc >= 2 ? std::max(1, static_cast<int>(std::wcstol(argv[1], nullptr, 10))) : 1;
  MeasureEveryCharacter(std::max(1, 40 / divisor));
  const AnsiString text = Generate(kLines / divisor);
  std::printf("%d lines, %.1f MB, medians of %d runs, each step timed up to the repainted window\n\n", kLines / divisor,
              static_cast<double>(text.size()) / 1048576.0, kRuns);
  auto form = std::make_unique<TForm>(nullptr, CreateNew);
  TTxtEdit* edit = ShowEditor(*form);
  Report("word wrap off", Measure(edit, edit->Handle(), text, false));
  Report("word wrap on", Measure(edit, edit->Handle(), text, true));
  // Narrower than most lines: 20 to 100 characters wrap at 60 columns.
  const int wide = form->Width();
  form->SetWidth(wide - (edit->CharsInWindow() - kNarrowColumns) * edit->CharWidth());
  Pump();
  char what[64];
  std::snprintf(what, sizeof what, "word wrap on, %d columns", edit->CharsInWindow());
  Report(what, Measure(edit, edit->Handle(), text, true));
  std::snprintf(what, sizeof what, "word wrap on, %d columns, a longer word", edit->CharsInWindow());
  Report(what, Measure(edit, edit->Handle(), text, true, kReplaceLonger));
  form->SetWidth(wide);
  Pump();
  MeasureCommand(edit, edit->Handle(), text);
  // The same control's work without a window, for comparison.
  TTxtEdit headless(nullptr);
  Report("word wrap off, no window", Measure(&headless, nullptr, text, false));
  return 0;
}
