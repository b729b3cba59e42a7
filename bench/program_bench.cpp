// Start-up benchmark of the whole program: the time from starting Verdan.exe with a file to the
// text shown, for the 100 MB text of the buffer benchmark and for a 100-line file, against the
// line buffer's LoadFromFile of the same large text, all measured in one run. "Shown" is when
// the main window is visible, has handled a message sent after it appeared, and its editor has
// no part left to paint. Each round starts the program afresh with each file, and the load in
// a fresh process of this benchmark; the figures are medians of the rounds, and the ratio is
// taken within each round.
//
//   program_bench [path of Verdan.exe]   (default: ..\app\Verdan.exe beside this program's folder)
#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "editor/TxtEditTextBuffer.h"
#include "framework/Win.h"

namespace {

constexpr int kLines = 2000000;
constexpr int kRounds = 11;

std::wstring SelfPath() {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  return self;
}

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L"\\/") + 1); }

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

// Starts the program with File and returns the seconds until the file is shown, or a negative
// number when the program ended or did not show it within a minute. The program is closed
// again (asked to, and ended only when it does not go) before this returns.
double TimeShown(const std::wstring& Program, const std::wstring& File) {
  std::wstring command = L"\"" + Program + L"\" \"" + File + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  const double start = Now();
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
  double shown = -1;
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
        shown = Now() - start;
        break;
      }
    }
    Sleep(1);
  }
  if (main) PostMessageW(main, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(pi.hProcess, 30000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  WaitForSingleObject(pi.hProcess, INFINITE);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return shown;
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
  if (!WriteLargeTextFile(large, kLines) || !WriteLargeTextFile(small, 100)) {
    std::fprintf(stderr, "cannot create the text files\n");
    return 1;
  }
  // The first program of a session starts the system's desktop process; that is not ours.
  TimeShown(program, small);

  std::vector<double> smallTimes, largeTimes, loadTimes, ratios;
  for (int round = 0; round < kRounds; ++round) {
    const double s = TimeShown(program, small);
    const double l = TimeShown(program, large);
    const double load = TimeLoad(large, resultFile);
    if (s < 0 || l < 0 || load < 0) {
      std::fprintf(stderr, "round %d failed: the program did not show a file, or the load failed\n", round + 1);
      return 1;
    }
    smallTimes.push_back(s);
    largeTimes.push_back(l);
    loadTimes.push_back(load);
    ratios.push_back(l / (load + s));
  }
  DeleteFileW(large.c_str());
  DeleteFileW(small.c_str());
  DeleteFileW(resultFile.c_str());

  std::printf("Verdan.exe started with a file until the text is shown; medians of %d rounds\n\n", kRounds);
  std::printf("%-58s %9s %9s\n", "time", "ms", "goal");
  std::printf("%-58s %9.1f\n", "the program with a 100-line file", MedianOf(smallTimes) * 1000);
  std::printf("%-58s %9.1f\n", "LoadFromFile of the 100 MB text (a fresh process)", MedianOf(loadTimes) * 1000);
  std::printf("%-58s %9.1f\n", "the program with the 100 MB text", MedianOf(largeTimes) * 1000);
  std::printf("%-58s %9.2f %9s\n", "  against LoadFromFile + the 100-line file (x)", MedianOf(ratios), "1.50");
  return 0;
}
