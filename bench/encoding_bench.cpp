// Text-file encodings benchmark: loads one generated text of about 50 MB stored as ANSI, UTF-8
// with and without a mark, UTF-16 LE and BE and KOI8-R, each with detection, and prints each
// load's time against the ANSI load in the same run and each load's peak memory against the
// file size. The memory of a load is measured in a process of its own that loads only that
// file, so that no earlier load raises the peak.
//
//   encoding_bench            (the files go to the temporary folder and are removed afterwards)
//
// The text is ASCII with Cyrillic words; run it with the Russian ANSI code page (for example
// LC_ALL=ru_RU.UTF-8) so that the Unicode files convert without loss.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/Encoding.h"
#include "bench/BenchSupport.h"
#include "framework/Win.h"

#include <psapi.h>

namespace {

constexpr int kRuns = 5;
constexpr size_t kTargetBytes = 50u << 20;

struct TFormat {
  const wchar_t* file;
  const char* title;
};

const TFormat kFormats[] = {
    {L"hv_enc_ansi.txt", "ANSI"},
    {L"hv_enc_utf8.txt", "UTF-8 without a mark"},
    {L"hv_enc_utf8bom.txt", "UTF-8 with a mark"},
    {L"hv_enc_utf16le.txt", "UTF-16 LE"},
    {L"hv_enc_utf16be.txt", "UTF-16 BE"},
    {L"hv_enc_koi8.txt", "KOI8-R"},
};

std::wstring TempName(const wchar_t* Name) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  return std::wstring(temp) + Name;
}

void WriteAll(const std::wstring& Name, const std::string& Bytes) {
  HANDLE h = CreateFileW(Name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD done = 0;
  WriteFile(h, Bytes.data(), static_cast<DWORD>(Bytes.size()), &done, nullptr);
  CloseHandle(h);
}

std::string Encode(const WideString& Text, UINT CodePage) {
  const int n =
      WideCharToMultiByte(CodePage, 0, Text.data(), static_cast<int>(Text.size()), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CodePage, 0, Text.data(), static_cast<int>(Text.size()), s.data(), n, nullptr, nullptr);
  return s;
}

// Lines of source-like ASCII with a Cyrillic word in every third one, CR LF breaks.
void Generate() {
  static const wchar_t* words[] = {L"value", L"count", L"index", L"result", L"offset"};
  static const wchar_t* russian[] = {L"\u0441\u0442\u0440\u043e\u043a\u0430", L"\u0442\u0435\u043a\u0441\u0442",
                                     L"\u0444\u0430\u0439\u043b"};
  WideString text;
  text.reserve(kTargetBytes + 200);
  for (unsigned i = 0; text.size() < kTargetBytes; ++i) {
    if (i % 7 == 0) text += L"\t";
    text += L"line ";
    text += std::to_wstring(i);
    for (unsigned k = 0; k < 6 + i % 5; ++k) {
      text += L' ';
      text += words[(i + k) % 5];
    }
    if (i % 3 == 0) {
      text += L" // ";
      text += russian[(i / 3) % 3];
    }
    text += L";\r\n";
  }
  std::string utf16(text.size() * 2, '\0');
  std::memcpy(utf16.data(), text.data(), utf16.size());
  std::string swapped = utf16;
  for (size_t i = 0; i + 1 < swapped.size(); i += 2) std::swap(swapped[i], swapped[i + 1]);
  WriteAll(TempName(kFormats[0].file), Encode(text, 1251));
  WriteAll(TempName(kFormats[1].file), Encode(text, CP_UTF8));
  WriteAll(TempName(kFormats[2].file), "\xEF\xBB\xBF" + Encode(text, CP_UTF8));
  WriteAll(TempName(kFormats[3].file), "\xFF\xFE" + utf16);
  WriteAll(TempName(kFormats[4].file), "\xFE\xFF" + swapped);
  WriteAll(TempName(kFormats[5].file), Encode(text, 20866));
}

double FileMB(const std::wstring& Name) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(Name.c_str(), GetFileExInfoStandard, &data)) return 0;
  return static_cast<double>((static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow) / (1024.0 * 1024.0);
}

double WorkingSetMB(bool Peak) {
  PROCESS_MEMORY_COUNTERS c{};
  c.cb = sizeof c;
  GetProcessMemoryInfo(GetCurrentProcess(), &c, sizeof c);
  return static_cast<double>(Peak ? c.PeakWorkingSetSize : c.WorkingSetSize) / (1024.0 * 1024.0);
}

// The child: loads one file once and reports the peak working set's growth in its exit code
// (tenths of a MB).
int MeasureOne(const std::wstring& Name) {
  TTxtEditStringList lines;
  lines.Add("warm up");
  const double before = WorkingSetMB(false);
  LoadTextFile(&lines, Name, teAutoSelect);
  return static_cast<int>((WorkingSetMB(true) - before) * 10.0);
}

double PeakGrowthMB(const std::wstring& Name) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring command = L"\"" + std::wstring(self) + L"\" --measure \"" + Name + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return static_cast<double>(code) / 10.0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 3 && std::wstring(argv[1]) == L"--measure") return MeasureOne(argv[2]);
  Generate();
  std::printf("ANSI code page %u; %d runs, medians\n\n", GetACP(), kRuns);
  std::printf("%-22s %8s %6s %9s %8s %12s %8s\n", "load with detection", "file MB", "code", "ms", "x ANSI", "peak MB",
              "x file");
  double ansiMs = 0;
  for (const TFormat& format : kFormats) {
    const std::wstring name = TempName(format.file);
    TTextEncoding code = 0;
    bool lossy = false;
    auto lines = std::make_unique<TTxtEditStringList>();
    const double ms = Median(
        kRuns, [&] { lines = std::make_unique<TTxtEditStringList>(); },
        [&] { code = LoadTextFile(lines.get(), name, teAutoSelect, lossy); });
    if (ansiMs == 0) ansiMs = ms;
    const double peak = PeakGrowthMB(name);
    const double size = FileMB(name);
    std::printf("%-22s %8.1f %6d %9.1f %8.2f %12.1f %8.2f%s\n", format.title, size, code, ms, ms / ansiMs, peak,
                peak / size, lossy ? "  (characters lost)" : "");
  }
  for (const TFormat& format : kFormats) DeleteFileW(TempName(format.file).c_str());
  return 0;
}
