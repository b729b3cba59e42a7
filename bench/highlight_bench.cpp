// Benchmark of the scheme-driven highlighter: a full scan of a 1,000,000-line C-like text with
// the bundled C-like scheme against a floor that reads every byte of every line once, loading and
// preparing the scheme, and the rescan after edits at the top of the text. Medians of several
// rounds; the floor and the scan take turns in every round.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "framework/Streams.h"
#include "framework/Win.h"
#include "highlighting/TxtXmlBundledSchemes.h"

namespace {

double Seconds() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> Values) {
  std::sort(Values.begin(), Values.end());
  return Values[Values.size() / 2];
}

std::vector<AnsiString> MakeSource(int Lines) {
  static const char* const kLines[] = {
      "/* A block comment that opens here",
      "   and closes on the next line */ int counter = 0;",
      "static const char *names[] = {\"alpha\", \"beta \\\"quoted\\\"\", \"gamma\"};",
      "int compute(unsigned long value, double factor) {",
      "  for (int i = 0; i < 100; ++i) { total += values[i] * 3.5; }  // running sum",
      "  if (value > 0x7F && factor != 2.0) return (int)(value / factor);",
      "#define MAX_ITEMS 1024 /* the limit */",
      "  while (count-- > 0) printf(\"%d items of %s\\n\", count, name);",
      "  switch (kind) { case 1: break; default: return sizeof(struct node); }",
      "}",
  };
  std::vector<AnsiString> lines;
  lines.reserve(static_cast<size_t>(Lines));
  for (int i = 0; i < Lines; ++i) lines.emplace_back(kLines[i % 10]);
  return lines;
}

// Reads every byte of every line once.
double Floor(const std::vector<AnsiString>& Lines, unsigned& Sink) {
  const double t0 = Seconds();
  unsigned sum = 0;
  for (const AnsiString& line : Lines)
    for (char c : line) sum += static_cast<unsigned char>(c);
  const double t = Seconds() - t0;
  Sink += sum;
  return t;
}

double FullScan(TTxtXmlHighlighter& H, const std::vector<AnsiString>& Lines, std::vector<void*>& Ranges) {
  const double t0 = Seconds();
  H.ResetRange();
  for (size_t i = 0; i < Lines.size(); ++i) {
    H.SetLine(Lines[i], static_cast<int>(i));
    H.NextToEol();
    Ranges[i] = H.GetRange();
  }
  return Seconds() - t0;
}

// The editor's rescan after a change of line Index: on until a line ends in the state it had.
int Rescan(TTxtXmlHighlighter& H, const std::vector<AnsiString>& Lines, std::vector<void*>& Ranges, size_t Index) {
  if (Index == 0)
    H.ResetRange();
  else
    H.SetRange(Ranges[Index - 1]);
  int scanned = 0;
  for (size_t i = Index; i < Lines.size(); ++i) {
    H.SetLine(Lines[i], static_cast<int>(i));
    H.NextToEol();
    ++scanned;
    void* range = H.GetRange();
    if (range == Ranges[i]) break;
    Ranges[i] = range;
  }
  return scanned;
}

}  // namespace

int wmain() {
  const int kLines = 1000000;
  const int kRounds = 9;
  const AnsiString scheme = BundledSchemeText(L"CLIKE");
  if (scheme.empty()) {
    std::printf("the C-like scheme is not bundled\n");
    return 1;
  }
  std::vector<AnsiString> lines = MakeSource(kLines);
  size_t bytes = 0;
  for (const AnsiString& l : lines) bytes += l.size();

  std::vector<double> loads;
  for (int r = 0; r < 9; ++r) {
    TTxtXmlHighlighter h(nullptr);
    TStringStream stream(scheme);
    const double t0 = Seconds();
    h.LoadFromStream(&stream);
    h.MainRules()->Prepare(h.MainRules());
    loads.push_back(Seconds() - t0);
  }

  TTxtXmlHighlighter h(nullptr);
  TStringStream stream(scheme);
  h.LoadFromStream(&stream);
  std::vector<void*> ranges(lines.size());
  unsigned sink = 0;
  std::vector<double> floors, scans;
  for (int r = 0; r < kRounds; ++r) {
    floors.push_back(Floor(lines, sink));
    scans.push_back(FullScan(h, lines, ranges));
  }

  // An edit that changes no range, then one that opens a comment at the top of the text.
  std::vector<double> plainTimes, commentTimes;
  int plainLines = 0, commentLines = 0;
  for (int r = 0; r < kRounds; ++r) {
    FullScan(h, lines, ranges);
    lines[3] = "int compute(unsigned long value, double scale) {";
    double t0 = Seconds();
    plainLines = Rescan(h, lines, ranges, 3);
    plainTimes.push_back(Seconds() - t0);
    const AnsiString saved = lines[2];
    lines[2] = "/* " + saved;
    t0 = Seconds();
    commentLines = Rescan(h, lines, ranges, 2);
    commentTimes.push_back(Seconds() - t0);
    lines[2] = saved;
  }

  const double floor = Median(floors), scan = Median(scans);
  std::printf("text: %d lines, %.1f MB\n", kLines, static_cast<double>(bytes) / 1e6);
  std::printf("floor (read every byte once):  %8.1f ms\n", floor * 1000);
  std::printf("full scan:                     %8.1f ms  (%.1fx the floor; goal: within 10x)\n", scan * 1000,
              scan / floor);
  std::printf("load and prepare the scheme:   %8.2f ms  (goal: below 20 ms)\n", Median(loads) * 1000);
  std::printf("edit changing no range:        %8.3f ms, %d line(s) rescanned (goal: 1)\n", Median(plainTimes) * 1000,
              plainLines);
  std::printf("edit opening a comment on top: %8.1f ms, %d lines rescanned\n", Median(commentTimes) * 1000,
              commentLines);
  std::printf("(checksum %u)\n", sink);
  return 0;
}
