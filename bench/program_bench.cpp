// Start-up benchmark of the whole program: the time from starting Verdan.exe with a file to the
// text shown, for the 100 MB text of the buffer benchmark and for a 100-line file, against the
// line buffer's LoadFromFile of the same large text, all measured in one run; and the program's
// resident memory once it shows each file. "Shown" is when the main window is visible, has
// handled a message sent after it appeared, and its editor has no part left to paint. Each
// round starts the program afresh with each file, with word wrap on (as it starts by default)
// and off (set in its preferences before the start), and the load in a fresh process of this
// benchmark; the figures are medians of the rounds, and each ratio is taken within its round.
//
//   program_bench [path of Verdan.exe]   (default: ..\app\Verdan.exe beside this program's folder)
#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "editor/TxtEditTextBuffer.h"
#include "foundation/SysRoutines.h"
#include "framework/Win.h"

#include <psapi.h>

namespace {

constexpr int kLines = 2000000;
constexpr int kRounds = 11;

std::wstring SelfPath() {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  return self;
}

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L"\\/") + 1); }

// The program's preferences, where the start with word wrap off turns it off.
std::wstring PreferencesFile() {
  const AnsiString folder = GetAppdataFolder() + "\\Halcorn Verdan";
  CreateDirectoryA(folder.c_str(), nullptr);
  return std::wstring(folder.begin(), folder.end()) + L"\\Preferences.ini";
}

// Writes preferences that hold nothing but the word-wrap choice: every other setting at its
// default, whatever an earlier start wrote back.
bool SetWordWrap(const std::wstring& Preferences, bool On) {
  FILE* f = _wfopen(Preferences.c_str(), L"wb");
  if (!f) return false;
  std::fprintf(f, "[Editor]\r\nWordWrap=%d\r\n", On ? 1 : 0);
  return std::fclose(f) == 0;
}

struct TWindowSearch {
  DWORD Process;
  const wchar_t* ClassName;
  HWND Found = nullptr;
};

bool HasClass(HWND wnd, const wchar_t* name) {
  wchar_t cls[64];
  return GetClassNameW(wnd, cls, 64) > 0 && std::wstring(cls) == name;
}

BOOL CALLBACK FindTopLevel(HWND wnd, LPARAM param) {
  auto* search = reinterpret_cast<TWindowSearch*>(param);
  DWORD process = 0;
  GetWindowThreadProcessId(wnd, &process);
  if (process != search->Process || !IsWindowVisible(wnd) || !HasClass(wnd, search->ClassName)) return TRUE;
  search->Found = wnd;
  return FALSE;
}

BOOL CALLBACK FindChild(HWND wnd, LPARAM param) {
  auto* search = reinterpret_cast<TWindowSearch*>(param);
  if (!IsWindowVisible(wnd) || !HasClass(wnd, search->ClassName)) return TRUE;
  search->Found = wnd;
  return FALSE;
}

struct TShown {
  double Seconds = -1;  // negative: the program ended or did not show the file within a minute
  double MemoryMB = 0;  // its resident memory once it showed the file
};

// Starts the program with File and measures the time until the file is shown and the memory
// it holds then. The program is closed again (asked to, and ended only when it does not go)
// before this returns.
TShown Show(const std::wstring& Program, const std::wstring& File) {
  std::wstring command = L"\"" + Program + L"\" \"" + File + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  TShown result;
  const double start = Now();
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return result;
  HWND main = nullptr;
  while (Now() - start < 60) {
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) break;
    if (!main) {
      TWindowSearch search{pi.dwProcessId, L"TMainForm"};
      EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&search));
      main = search.Found;
    }
    if (main) {
      TWindowSearch editor{pi.dwProcessId, L"TTxtEdit"};
      EnumChildWindows(main, FindChild, reinterpret_cast<LPARAM>(&editor));
      DWORD_PTR answer = 0;
      if (editor.Found && SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &answer) &&
          !GetUpdateRect(editor.Found, nullptr, FALSE)) {
        result.Seconds = Now() - start;
        break;
      }
    }
    Sleep(1);
  }
  if (result.Seconds >= 0) {
    PROCESS_MEMORY_COUNTERS c{};
    c.cb = sizeof c;
    if (GetProcessMemoryInfo(pi.hProcess, &c, sizeof c)) result.MemoryMB = c.WorkingSetSize / (1024.0 * 1024.0);
  }
  if (main) PostMessageW(main, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(pi.hProcess, 30000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  WaitForSingleObject(pi.hProcess, INFINITE);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return result;
}

// The line buffer's load of File in a fresh process (this program with --load), as the program
// loads it; negative on a failure.
double TimeLoad(const std::wstring& File, const std::wstring& ResultFile) {
  std::wstring command = L"\"" + SelfPath() + L"\" --load \"" + File + L"\" \"" + ResultFile + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  double t = -1;
  if (FILE* f = code == 0 ? _wfopen(ResultFile.c_str(), L"r") : nullptr) {
    if (std::fscanf(f, "%lf", &t) != 1) t = -1;
    std::fclose(f);
  }
  return t;
}

int LoadChild(const std::wstring& File, const std::wstring& ResultFile) {
  TTxtEditStringList list;
  const double start = Now();
  list.LoadFromFile(File);
  const double t = Now() - start;
  FILE* f = _wfopen(ResultFile.c_str(), L"w");
  if (!f) return 1;
  std::fprintf(f, "%.9g\n", t);
  std::fclose(f);
  return 0;
}

double MedianOf(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

double FileSizeMB(const std::wstring& Name) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(Name.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<double>(data.nFileSizeHigh) * 4294967296.0 + data.nFileSizeLow) / (1024.0 * 1024.0);
}

// The figures of one word-wrap setting, one entry per round.
struct TSeries {
  std::vector<double> Small, Large, TimeRatio, SmallMemory, LargeMemory, MemoryRatio;
};

void PrintSeries(const char* Title, const TSeries& S) {
  std::printf("%s\n", Title);
  std::printf("  %-62s %9.1f\n", "the program with a 100-line file (ms)", MedianOf(S.Small) * 1000);
  std::printf("  %-62s %9.1f\n", "the program with the 100 MB text (ms)", MedianOf(S.Large) * 1000);
  std::printf("  %-62s %9.2f %9s\n", "  against LoadFromFile + the 100-line file (x)", MedianOf(S.TimeRatio), "1.20");
  std::printf("  %-62s %9.1f\n", "resident memory with the 100-line file (MB)", MedianOf(S.SmallMemory));
  std::printf("  %-62s %9.1f\n", "resident memory with the 100 MB text (MB)", MedianOf(S.LargeMemory));
  std::printf("  %-62s %9.2f %9s\n", "  the text's part, against its file size (x)", MedianOf(S.MemoryRatio), "1.35");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 4 && std::wstring(argv[1]) == L"--load") return LoadChild(argv[2], argv[3]);
  const std::wstring program = argc > 1 ? std::wstring(argv[1]) : FolderOf(SelfPath()) + L"..\\app\\Verdan.exe";
  if (GetFileAttributesW(program.c_str()) == INVALID_FILE_ATTRIBUTES) {
    std::fprintf(stderr, "no program at %ls\n", program.c_str());
    return 1;
  }
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring large = std::wstring(temp) + L"hv_program_bench.txt";
  const std::wstring small = std::wstring(temp) + L"hv_program_bench_small.txt";
  const std::wstring resultFile = std::wstring(temp) + L"hv_program_bench.result";
  const std::wstring preferences = PreferencesFile();
  if (!WriteLargeTextFile(large, kLines) || !WriteLargeTextFile(small, 100)) {
    std::fprintf(stderr, "cannot create the text files\n");
    return 1;
  }
  const double fileMB = FileSizeMB(large);
  // The first program of a session starts the system's desktop process; that is not ours.
  SetWordWrap(preferences, true);
  Show(program, small);

  TSeries wrapped, unwrapped;
  std::vector<double> loadTimes;
  for (int round = 0; round < kRounds; ++round) {
    const double load = TimeLoad(large, resultFile);
    bool failed = load < 0;
    // The settings take turns in going first: a start just after a large one may find the
    // system still giving back that one's memory.
    TSeries* first = round % 2 ? &unwrapped : &wrapped;
    for (TSeries* series : {first, first == &wrapped ? &unwrapped : &wrapped}) {
      if (!SetWordWrap(preferences, series == &wrapped)) failed = true;
      const TShown s = Show(program, small);
      const TShown l = Show(program, large);
      if (s.Seconds < 0 || l.Seconds < 0) failed = true;
      series->Small.push_back(s.Seconds);
      series->Large.push_back(l.Seconds);
      series->TimeRatio.push_back(l.Seconds / (load + s.Seconds));
      series->SmallMemory.push_back(s.MemoryMB);
      series->LargeMemory.push_back(l.MemoryMB);
      series->MemoryRatio.push_back((l.MemoryMB - s.MemoryMB) / fileMB);
    }
    if (failed) {
      std::fprintf(stderr, "round %d failed: the program did not show a file, or the load failed\n", round + 1);
      return 1;
    }
    loadTimes.push_back(load);
  }
  DeleteFileW(large.c_str());
  DeleteFileW(small.c_str());
  DeleteFileW(resultFile.c_str());
  DeleteFileW(preferences.c_str());

  std::printf("Verdan.exe started with a file until the text is shown; medians of %d rounds\n", kRounds);
  std::printf("the 100 MB text: %.1f MB; LoadFromFile of it (a fresh process): %.1f ms\n\n", fileMB,
              MedianOf(loadTimes) * 1000);
  std::printf("  %-62s %9s %9s\n", "", "figure", "goal");
  PrintSeries("word wrap on (the default)", wrapped);
  PrintSeries("word wrap off", unwrapped);
  return 0;
}
