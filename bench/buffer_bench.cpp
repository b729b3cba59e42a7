// Line-buffer benchmark: loads, sets and saves a generated text of about 100 MB, 2 million
// lines, and prints the times against their floors and the memory against the file size.
// Each figure is the median over several processes; each ratio is taken within one process
// (the operation against its floor, measured in turns in that same process), then its median.
//
//   buffer_bench [file]     (default: a file in the temporary folder, removed afterwards)
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "editor/TxtEditClipboard.h"
#include "editor/TxtEditTextBuffer.h"
#include "framework/Win.h"

#include <psapi.h>

namespace {

constexpr int kLines = 2000000;
constexpr int kProcesses = 7;
constexpr int kRounds = 3;

double MemoryMB(bool Peak) {
  PROCESS_MEMORY_COUNTERS c{};
  c.cb = sizeof c;
  GetProcessMemoryInfo(GetCurrentProcess(), &c, sizeof c);
  return (Peak ? c.PeakWorkingSetSize : c.WorkingSetSize) / (1024.0 * 1024.0);
}

std::string ReadAll(const std::wstring& name) {
  HANDLE h = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  LARGE_INTEGER size;
  GetFileSizeEx(h, &size);
  std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
  DWORD done = 0;
  ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
  CloseHandle(h);
  return bytes;
}

// The least any loader has to do: one read of the whole file, and a count of its LFs with the
// C library's memchr.
double LoadFloor(const std::wstring& name, int& lines) {
  const double start = Now();
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
  while (const void* hit = std::memchr(p, '\n', static_cast<size_t>(end - p))) {
    p = static_cast<const char*>(hit) + 1;
    ++lines;
  }
  const double t = Now() - start;
  bytes.reset();
  return t;
}

// The least a save has to do: create the file and write the same bytes with one WriteFile;
// with Flush, also wait for them to reach the disk, as a save that must not lose the old file
// on a failure does.
double SaveFloor(const std::wstring& name, const std::string& bytes, bool Flush) {
  const double start = Now();
  HANDLE h = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD done = 0;
  WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
  if (Flush) FlushFileBuffers(h);
  CloseHandle(h);
  return Now() - start;
}

double MedianOf(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// The editor control shown on a form: a file loaded into it and painted, against a 100-line
// file; and the text pasted into the empty editor.
void EditorFigures(const std::wstring& name, const std::string& bytes,
                   std::map<std::string, std::vector<double>>& times) {
  auto form = std::make_unique<TForm>(nullptr, CreateNew);
  TTxtEdit* edit = ShowEditor(*form);
  HWND wnd = edit->Handle();
  const std::wstring small = name + L".small";
  {
    std::string text;
    for (int i = 0; i < 100; ++i) text += "a line of a small file " + std::to_string(i) + "\r\n";
    SaveFloor(small, text, false);
  }
  auto shown = [&](const std::wstring& file) {
    const double start = Now();
    edit->Lines()->LoadFromFile(file);
    Pump();
    UpdateWindow(wnd);
    return Now() - start;
  };
  for (int round = 0; round < kRounds; ++round) {
    times["editor.small"].push_back(shown(small));
    times["editor.large"].push_back(shown(name));
    edit->Lines()->Clear();
    Pump();
  }
  DeleteFileW(small.c_str());
  TxtEditCopyToClipboard(bytes, smNormal);
  for (int round = 0; round < kRounds; ++round) {
    edit->Lines()->Clear();
    edit->UndoList()->Clear();
    Pump();
    UpdateWindow(wnd);
    const double start = Now();
    edit->PasteFromClipboard();
    Pump();
    UpdateWindow(wnd);
    times["paste"].push_back(Now() - start);
  }
  edit->Lines()->Clear();
}

// One process's figures, as "name value" lines in the result file. The first load of the
// process gives the memory figures; then each operation and its floor take turns, several
// rounds, and the process reports the median of each.
void Child(const std::wstring& name, const std::wstring& resultFile) {
  std::map<std::string, double> r;
  {
    const double before = MemoryMB(false);
    TTxtEditStringList list;
    const double start = Now();
    list.LoadFromFile(name);
    r["load.first"] = Now() - start;
    r["load.memory"] = MemoryMB(false) - before;
    r["load.peak"] = MemoryMB(true) - before;
    r["lines"] = list.Count();
    const double t = Now();
    r["longest.columns"] = list.GetLengthOfLongestLine();
    r["longest"] = Now() - t;
  }
  const std::string bytes = ReadAll(name);
  const std::wstring saved = name + L".saved";
  SaveFloor(saved, bytes, false);  // the file each save replaces
  std::map<std::string, std::vector<double>> times;
  for (int round = 0; round < kRounds; ++round) {
    int lines = 0;
    times["floor"].push_back(LoadFloor(name, lines));
    r["floor.lines"] = lines;
    {
      TTxtEditStringList list;
      double start = Now();
      list.LoadFromFile(name);
      times["load"].push_back(Now() - start);
      times["savefloor"].push_back(SaveFloor(saved, bytes, false));
      times["savefloor.flush"].push_back(SaveFloor(saved, bytes, true));
      start = Now();
      list.SaveToFile(saved);
      times["save"].push_back(Now() - start);
      if (round == 0) r["save.same"] = ReadAll(saved) == bytes;
    }
    {
      TTxtEditStringList list;
      const double before = MemoryMB(false);
      const double start = Now();
      list.SetText(bytes);
      times["settext"].push_back(Now() - start);
      r["settext.memory"] = MemoryMB(false) - before;
      r["settext.lines"] = list.Count();
    }
  }
  DeleteFileW(saved.c_str());
  EditorFigures(name, bytes, times);
  for (const auto& [key, v] : times) r[key] = MedianOf(v);
  FILE* f = _wfopen(resultFile.c_str(), L"w");
  for (const auto& [key, value] : r) std::fprintf(f, "%s %.9g\n", key.c_str(), value);
  std::fclose(f);
}

bool RunChild(const std::wstring& name, const std::wstring& resultFile) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring command = L"\"" + std::wstring(self) + L"\" --child \"" + name + L"\" \"" + resultFile + L"\"";
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

int64_t FileSize(const std::wstring& name) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(name.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 4 && std::wstring(argv[1]) == L"--child") {
    Child(argv[2], argv[3]);
    return 0;
  }
  std::wstring name;
  const bool own = argc < 2;
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  name = own ? std::wstring(temp) + L"hv_buffer_bench.txt" : std::wstring(argv[1]);
  if (own && !WriteLargeTextFile(name, kLines)) {
    std::fprintf(stderr, "cannot create the text file\n");
    return 1;
  }
  const double fileMB = static_cast<double>(FileSize(name)) / (1024.0 * 1024.0);
  const std::wstring resultFile = std::wstring(temp) + L"hv_buffer_bench.result";

  std::vector<std::map<std::string, double>> runs;
  for (int i = 0; i < kProcesses; ++i) {
    if (!RunChild(name, resultFile)) {
      std::fprintf(stderr, "a measuring process failed\n");
      return 1;
    }
    runs.push_back(ReadResults(resultFile));
  }
  DeleteFileW(resultFile.c_str());
  if (own) DeleteFileW(name.c_str());

  auto median = [&](const char* key) {
    std::vector<double> v;
    for (auto& r : runs) v.push_back(r[key]);
    return MedianOf(v);
  };
  auto ratio = [&](const char* key, const char* floorKey) {
    std::vector<double> v;
    for (auto& r : runs) v.push_back(r[key] / r[floorKey]);
    return MedianOf(v);
  };
  const auto& first = runs.front();
  std::printf("text file: %.1f MB, %.0f lines (the floor counted %.0f, SetText made %.0f); saved %s\n", fileMB,
              first.at("lines"), first.at("floor.lines"), first.at("settext.lines"),
              first.at("save.same") != 0 ? "byte for byte the same" : "A DIFFERENT TEXT");
  std::printf("medians of %d processes (each the median of %d rounds); each ratio within one process\n\n", kProcesses,
              kRounds);
  std::printf("%-52s %9s %9s %9s\n", "time", "ms", "x floor", "goal");
  auto row = [&](const char* what, const char* key, const char* floorKey, const char* goal) {
    std::printf("%-52s %9.1f %9.2f %9s\n", what, median(key) * 1000, floorKey ? ratio(key, floorKey) : 1.0, goal);
  };
  row("load floor: one ReadFile, memchr count of the LFs", "floor", nullptr, "");
  row("LoadFromFile", "load", "floor", "1.20");
  row("LoadFromFile, the first in a fresh process", "load.first", "floor", "");
  row("SetText from memory", "settext", "floor", "");
  row("save floor: one WriteFile", "savefloor", nullptr, "");
  row("save floor: one WriteFile and a flush to disk", "savefloor.flush", nullptr, "");
  row("SaveToFile (beside the file, flushed, replacing)", "save", "savefloor.flush", "1.30");
  std::printf("%-52s %9s %9.2f %9s\n", "SaveToFile against the unflushed floor", "", ratio("save", "savefloor"), "");
  std::printf("%-52s %9s %9.2f %9s\n", "SetText against LoadFromFile", "", ratio("settext", "load"), "1.50");
  row("GetLengthOfLongestLine (first request)", "longest", nullptr, "");
  row("editor: a 100-line file loaded and shown", "editor.small", nullptr, "");
  row("editor: the file loaded and shown", "editor.large", nullptr, "");
  {
    std::vector<double> v;
    for (auto& r : runs) v.push_back(r["editor.large"] / (r["load"] + r["editor.small"]));
    std::printf("%-52s %9s %9.2f %9s\n", "  against LoadFromFile + the 100-line file", "", MedianOf(v), "1.50");
  }
  row("editor: the text pasted into the empty editor", "paste", nullptr, "");
  std::printf("%-52s %9s %9.2f %9s\n", "  against LoadFromFile", "", ratio("paste", "load"), "1.50");

  std::printf("\n%-52s %9s %9s %9s\n", "memory, growth of the working set", "MB", "x file", "goal");
  auto mem = [&](const char* what, const char* key, const char* goal) {
    std::printf("%-52s %9.1f %9.2f %9s\n", what, median(key), median(key) / fileMB, goal);
  };
  mem("after LoadFromFile", "load.memory", "1.30");
  mem("peak during LoadFromFile", "load.peak", "1.40");
  mem("after SetText (besides the text itself)", "settext.memory", "1.30");
  return 0;
}
