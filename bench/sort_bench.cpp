// Sorting lines as the sort dialog does it: 800,000 generated lines of about 60 characters
// (mixed case, accented letters, digits, punctuation, hyphens and apostrophes) sorted in the
// user's locale with and without "Match case" and "Remove duplicates", and 200,000 lines that
// each stand twice with duplicates removed; against the floors of the same lines sorted by their
// bytes with std::stable_sort and of the text's opening as a file in a shown editor, all in the
// same run.
// Then the whole command on the shown editor (select all, the selected text, its lines, the
// sort, the joined text put back as one undoable edit, the repaint) and its steps one by one.
// Every sorted result is checked against the locale's comparison of neighbours, untimed.
//
//   sort_bench            (medians of 5 runs)
//   sort_bench RUNS N     (RUNS runs over an N-th of the lines, for code that takes long)
#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/Encoding.h"
#include "app/TextTools.h"
#include "app/WindowRoutines.h"
#include "bench/BenchSupport.h"
#include "framework/Forms.h"

namespace {

constexpr int kLines = 800000;
constexpr int kTwiceLines = 200000;

// Words of the generated lines: plain, capitalised and upper-case variants of the same words,
// accented Latin (code page 1252), numbers and the marks the locale's word sort treats apart.
const char* const kWords[] = {
    "the",
    "The",
    "THE",
    "quick",
    "Quick",
    "brown",
    "fox",
    "jumps",
    "over",
    "lazy",
    "dog",
    "co-op",
    "coop",
    "don't",
    "dont",
    "caf\xe9",
    "cafe",
    "Caf\xe9",
    "na\xefve",
    "\xfc"
    "ber",
    "Stra\xdf"
    "e",
    "r\xe9sum\xe9",
    "resume",
    "\xe6on",
    "aeon",
    "12",
    "007",
    "3.14",
    "x_1",
    "(note)",
    "end.",
    "a,b",
    "--",
    "'quoted'",
    "Zebra",
    "zebra",
    "\xc9lan",
    "elan",
    "\xf1"
    "and\xfa",
    "fa\xe7"
    "ade",
    "Apple",
    "apple",
    "APPLE",
    "item-42",
    "item42",
};

unsigned next(unsigned& Seed) {
  Seed = Seed * 1103515245u + 12345u;
  return Seed >> 8;
}

// Lines of 20 to 100 characters of words separated by spaces, from its own seed.
TTextLines MakeLines(int Count, unsigned Seed) {
  TTextLines lines;
  lines.reserve(static_cast<size_t>(Count));
  for (int i = 0; i < Count; ++i) {
    const size_t length = 20 + next(Seed) % 81;
    AnsiString line;
    while (line.size() < length) {
      if (!line.empty()) line += ' ';
      line += kWords[next(Seed) % (sizeof kWords / sizeof *kWords)];
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

// True when every line stands after its neighbour in the locale's order (or equal, and then
// not when duplicates were to go).
bool InOrder(const TTextLines& Lines, bool Ascending, bool MatchCase, bool Unique) {
  for (size_t i = 1; i < Lines.size(); ++i) {
    const int c = CompareLinesInLocale(Lines[i - 1], Lines[i], MatchCase) * (Ascending ? 1 : -1);
    if (c > 0 || (Unique && c == 0)) return false;
  }
  return true;
}

struct TRow {
  const char* Name;
  double Ms;
  int Checked = -1;  // 1: the result's order checked, 0: found wrong, -1: a step without an order
};

void Print(const std::vector<TRow>& Rows, double Floor, double Opening) {
  std::printf("  %-52s %9.1f ms\n", "floor: std::stable_sort by bytes", Floor);
  std::printf("  %-52s %9.1f ms  %7.2fx floor\n", "floor: the file's opening in the shown editor", Opening,
              Opening / Floor);
  for (const TRow& r : Rows)
    std::printf("  %-52s %9.1f ms  %7.2fx floor  %6.2fx opening  %s\n", r.Name, r.Ms, r.Ms / Floor, r.Ms / Opening,
                r.Checked < 0 ? ""
                : r.Checked   ? "order checked"
                              : "WRONG ORDER");
}

double ByBytes(int Runs, const TTextLines& Lines, bool Unique) {
  TTextLines copy;
  return Median(
      Runs, [&] { copy = Lines; },
      [&] {
        std::stable_sort(copy.begin(), copy.end());
        if (Unique) copy.erase(std::unique(copy.begin(), copy.end()), copy.end());
      });
}

// The text's opening as a file into the shown editor, as the program opens it: read, its
// encoding detected, loaded and painted.
double OpeningTime(int Runs, TTxtEdit& Edit, const AnsiString& Text) {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  const std::wstring name = std::wstring(folder) + L"hv_sort_bench.txt";
  HANDLE h = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD done = 0;
  const bool written = h != INVALID_HANDLE_VALUE &&
                       WriteFile(h, Text.data(), static_cast<DWORD>(Text.size()), &done, nullptr) &&
                       done == Text.size();
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  const double ms = written ? Median(
                                  Runs, [&] { Edit.SetTextA(AnsiString()); },
                                  [&] {
                                    LoadTextFile(Edit.Lines(), name, teAutoSelect);
                                    UpdateWindow(Edit.Handle());
                                  })
                            : 0;
  DeleteFileW(name.c_str());
  return ms;
}

TRow SortRow(int Runs, const char* Name, const TTextLines& Lines, bool Ascending, bool MatchCase, bool Unique) {
  TTextLines copy;
  const double ms = Median(
      Runs, [&] { copy = Lines; }, [&] { SortTextLines(copy, Ascending, MatchCase, Unique); });
  return {Name, ms, InOrder(copy, Ascending, MatchCase, Unique) ? 1 : 0};
}

// The dialog's command on the shown editor, from the loaded text to the repainted window.
TRow CommandRow(int Runs, TTxtEdit& Edit, const AnsiString& Text, bool MatchCase, bool Unique) {
  const double ms = Median(
      Runs,
      [&] {
        Edit.SetTextA(Text);
        Edit.SetCaretXY({1, 1});
        UpdateWindow(Edit.Handle());
        Pump();
      },
      [&] {
        LockUpdate(Edit.Handle());
        SortEditorLines(Edit, true, MatchCase, Unique);
        LockUpdate(nullptr);
        UpdateWindow(Edit.Handle());
      });
  TTextLines lines = SplitTextLines(Edit.TextA());
  return {MatchCase ? "the sort command, match case, whole text" : "the sort command, whole text", ms,
          InOrder(lines, true, MatchCase, Unique) ? 1 : 0};
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int runs = argc >= 2 ? std::max(1, static_cast<int>(std::wcstol(argv[1], nullptr, 10))) : 5;
  const int divisor = argc >= 3 ? std::max(1, static_cast<int>(std::wcstol(argv[2], nullptr, 10))) : 1;
  const TTextLines lines = MakeLines(kLines / divisor, 1);
  const AnsiString text = JoinTextLines(lines);
  std::printf("%d lines, %.1f MB, ANSI code page %u, medians of %d runs\n\n", kLines / divisor,
              static_cast<double>(text.size()) / 1048576.0, GetACP(), runs);

  auto form = std::make_unique<TForm>(nullptr, CreateNew);
  TTxtEdit* edit = ShowEditor(*form);
  const double opening = OpeningTime(runs, *edit, text);

  const double floor = ByBytes(runs, lines, false);
  std::printf("sorting the lines:\n");
  Print({SortRow(runs, "ascending", lines, true, false, false),
         SortRow(runs, "ascending, match case", lines, true, true, false),
         SortRow(runs, "ascending, remove duplicates", lines, true, false, true),
         SortRow(runs, "ascending, match case, remove duplicates", lines, true, true, true),
         SortRow(runs, "descending", lines, false, false, false)},
        floor, opening);

  TTextLines twice = MakeLines(kTwiceLines / divisor, 2);
  twice.insert(twice.end(), twice.begin(), twice.end());
  std::printf("\n%d lines that each stand twice:\n", kTwiceLines / divisor);
  Print({SortRow(runs, "ascending, remove duplicates", twice, true, false, true),
         SortRow(runs, "ascending, match case, remove duplicates", twice, true, true, true)},
        ByBytes(runs, twice, true), OpeningTime(runs, *edit, JoinTextLines(twice)));

  std::printf("\nthe command on the shown editor, up to the repainted window:\n");
  std::vector<TRow> command{CommandRow(runs, *edit, text, false, false), CommandRow(runs, *edit, text, true, true)};
  // Its steps one by one, on the loaded text.
  auto step = [&](const char* Name, const std::function<void()>& Prepare, const std::function<void()>& Work) {
    command.push_back({Name, Median(runs, Prepare, Work)});
  };
  AnsiString selected, joined;
  TTextLineViews split;
  edit->SetTextA(text);
  edit->SelectAll();
  const auto nothing = [] {};
  step("  step: the selected text", nothing, [&] { selected = edit->SelText(); });
  step("  step: its lines", nothing, [&] { split = SplitTextLineViews(selected); });
  std::reverse(split.begin(), split.end());
  step("  step: the lines joined in another order", nothing, [&] { joined = JoinTextLines(split); });
  auto select = [&] {
    edit->SetTextA(text);
    edit->SelectAll();
    Pump();
  };
  step("  step: the joined text put in place of the selection", select, [&] {
    LockUpdate(edit->Handle());
    edit->SetSelText(joined);
    LockUpdate(nullptr);
    UpdateWindow(edit->Handle());
  });
  Print(command, floor, opening);
  return 0;
}
