// Line-buffer benchmark: loads, scans and saves a generated text of about 100 MB and prints
// the times against the floor (reading the file and finding its line breaks) and the process
// memory against the file size.
//
//   buffer_bench [file]     (default: a file in the temporary folder, removed afterwards)
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "editor/TxtEditTextBuffer.h"
#include "framework/Win.h"

#include <psapi.h>

namespace {

constexpr int kLines = 2000000;
constexpr int kRuns = 3;

struct Memory {
  double workingSet, peakWorkingSet, pagefile, peakPagefile;  // MB
};

Memory MemoryNow() {
  PROCESS_MEMORY_COUNTERS c{};
  c.cb = sizeof c;
  GetProcessMemoryInfo(GetCurrentProcess(), &c, sizeof c);
  const double mb = 1024.0 * 1024.0;
  return {c.WorkingSetSize / mb, c.PeakWorkingSetSize / mb, c.PagefileUsage / mb, c.PeakPagefileUsage / mb};
}

// Lines of 10 to 90 characters; every seventh starts with tabs, every eleventh has one inside.
void Generate(const std::wstring& name) {
  HANDLE h = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "cannot create the text file\n");
    std::exit(1);
  }
  std::string chunk;
  chunk.reserve(1 << 20);
  unsigned seed = 1;
  auto flush = [&] {
    DWORD done = 0;
    WriteFile(h, chunk.data(), static_cast<DWORD>(chunk.size()), &done, nullptr);
    chunk.clear();
  };
  static const char words[] = "the quick brown fox jumps over a lazy dog while 0123456789 ; { } ( ) = + - / * ";
  for (int i = 0; i < kLines; ++i) {
    seed = seed * 1103515245u + 12345u;
    int length = 10 + static_cast<int>((seed >> 16) % 81);
    if (i % 7 == 0) chunk.append(1 + i % 3, '\t');
    for (int k = 0; k < length; ++k) {
      chunk.push_back(words[(static_cast<unsigned>(i) * 7u + static_cast<unsigned>(k)) % (sizeof words - 1)]);
      if (i % 11 == 0 && k == length / 2) chunk.push_back('\t');
    }
    chunk.append("\r\n");
    if (chunk.size() > (1 << 20) - 256) flush();
  }
  flush();
  CloseHandle(h);
}

int64_t FileSize(const std::wstring& name) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(name.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The least any loader has to do: read the bytes and find where the lines end.
double Floor(const std::wstring& name, int& lines) {
  double start = Now();
  HANDLE h = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  LARGE_INTEGER size;
  GetFileSizeEx(h, &size);
  std::unique_ptr<char[]> bytes(new char[static_cast<size_t>(size.QuadPart)]);
  DWORD done = 0;
  ReadFile(h, bytes.get(), static_cast<DWORD>(size.QuadPart), &done, nullptr);
  CloseHandle(h);
  const char* p = bytes.get();
  const char* end = p + done;
  lines = 1;
  while ((p = FindLineBreak(p, end)) < end) {
    p += (*p == '\r' && p + 1 < end && p[1] == '\n') ? 2 : 1;
    ++lines;
  }
  return Now() - start;
}

double AppendLines(int count) {
  TTxtEditStringList list;
  double start = Now();
  for (int i = 0; i < count; ++i) list.Add("appended line of some ordinary length");
  return Now() - start;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring name;
  bool own = argc < 2;
  if (own) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    name = std::wstring(temp) + L"hv_buffer_bench.txt";
  } else {
    name = argv[1];
  }
  std::wstring saved = name + L".saved";
  if (own) Generate(name);
  const double fileMB = static_cast<double>(FileSize(name)) / (1024.0 * 1024.0);
  std::printf("text file: %.1f MB\n", fileMB);

  // Memory first, in a process that has not yet held the file in any other form.
  Memory before = MemoryNow();
  double firstLoad;
  Memory loaded;
  int count;
  {
    TTxtEditStringList list;
    double start = Now();
    list.LoadFromFile(name);
    firstLoad = Now() - start;
    loaded = MemoryNow();
    count = list.Count();
  }

  double floor = 1e9, load = firstLoad, save = 1e9, expand = 1e9, longest = 1e9;
  int floorLines = 0;
  for (int run = 0; run < kRuns; ++run) floor = std::min(floor, Floor(name, floorLines));
  for (int run = 0; run < kRuns; ++run) {
    TTxtEditStringList list;
    double start = Now();
    list.LoadFromFile(name);
    load = std::min(load, Now() - start);

    start = Now();
    long long total = 0;
    for (int i = 0; i < list.Count(); ++i) total += GetExpandedLength(list.LineView(i), list.TabWidth());
    expand = std::min(expand, Now() - start);

    start = Now();
    int longestLength = list.GetLengthOfLongestLine();
    longest = std::min(longest, Now() - start);

    start = Now();
    list.SaveToFile(saved);
    save = std::min(save, Now() - start);
    if (run == 0)
      std::printf("lines: %d (floor counted %d), expanded columns: %lld, longest line: %d columns, saved %s\n",
                  list.Count(), floorLines, total, longestLength,
                  FileSize(saved) == FileSize(name) ? "the same size" : "A DIFFERENT SIZE");
  }

  std::printf("\n%-44s %9s %9s\n", "time (best of runs)", "seconds", "x floor");
  auto row = [&](const char* what, double t) { std::printf("%-44s %9.3f %9.2f\n", what, t, t / floor); };
  row("floor: read the file, find its line breaks", floor);
  row("LoadFromFile (first, cold process)", firstLoad);
  row("LoadFromFile", load);
  row("SaveToFile", save);
  row("GetExpandedLength over all lines", expand);
  row("GetLengthOfLongestLine (first request)", longest);

  std::printf("\n%-44s %9s %9s\n", "memory after LoadFromFile", "MB", "x file");
  auto mem = [&](const char* what, double mb) { std::printf("%-44s %9.1f %9.2f\n", what, mb, mb / fileMB); };
  mem("working set, growth over the start", loaded.workingSet - before.workingSet);
  mem("peak working set, growth over the start", loaded.peakWorkingSet - before.workingSet);
  mem("pagefile usage, growth over the start", loaded.pagefile - before.pagefile);
  mem("peak pagefile usage, growth over the start", loaded.peakPagefile - before.pagefile);
  mem("working set of the process", loaded.workingSet);
  mem("peak working set of the process", loaded.peakWorkingSet);
  std::printf("(process at the start: working set %.1f MB, pagefile usage %.1f MB; %d lines)\n", before.workingSet,
              before.pagefile, count);

  std::printf("\n%-44s %9s %12s\n", "Add, one line at a time", "seconds", "ns per line");
  for (int n : {250000, 500000, 1000000}) {
    double t = AppendLines(n);
    std::printf("%-44d %9.3f %12.1f\n", n, t, t * 1e9 / n);
  }

  DeleteFileW(saved.c_str());
  if (own) DeleteFileW(name.c_str());
  return 0;
}
