// Unicode text benchmark: UTF-8 decoding and encoding, loading a UTF-8 file into both wide
// string lists, and NFC normalization of text that is already normalized, over about 50 MB,
// against the floor of the system's own UTF-8 decoding (MultiByteToWideChar) of the same bytes.
//
//   unicode_bench [file]     (default: a file in the temporary folder, removed afterwards)
#include <cstdio>
#include <string>

#include "bench/BenchSupport.h"
#include "foundation/UcStringLists.h"
#include "foundation/UcUnicodeData.h"
#include "foundation/UcWideStrings.h"
#include "framework/Win.h"

namespace {

constexpr size_t kBytes = 50u << 20;
constexpr int kRuns = 5;

// Mostly ASCII lines of source-like text with accented Latin, Cyrillic and CJK words mixed in,
// all in NFC.
std::string MakeUtf8() {
  static const char* words[] = {"the",
                                "quick",
                                "brown",
                                "fox",
                                "jumps",
                                "caf\xC3\xA9",
                                "na\xC3\xAFve",
                                "\xD0\x96\xD1\x83\xD0\xBA",
                                "\xE6\x97\xA5\xE6\x9C\xAC",
                                "{",
                                "}",
                                "x = y + z;",
                                "0123456789",
                                "\xC3\x85ngstr\xC3\xB6m"};
  std::string text;
  text.reserve(kBytes + 256);
  unsigned seed = 7;
  while (text.size() < kBytes) {
    seed = seed * 1103515245u + 12345u;
    int count = 2 + static_cast<int>((seed >> 16) % 12);
    for (int k = 0; k < count; ++k) {
      text += words[(seed >> (k % 16)) % (sizeof words / sizeof *words)];
      text += ' ';
    }
    text += "\r\n";
  }
  return text;
}

void WriteFileBytes(const std::wstring& Name, const std::string& Bytes) {
  HANDLE h = CreateFileW(Name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "cannot create the text file\n");
    std::exit(1);
  }
  DWORD done = 0;
  WriteFile(h, "\xEF\xBB\xBF", 3, &done, nullptr);
  for (size_t at = 0; at < Bytes.size(); at += 1 << 20) {
    DWORD part = static_cast<DWORD>(std::min<size_t>(1 << 20, Bytes.size() - at));
    WriteFile(h, Bytes.data() + at, part, &done, nullptr);
  }
  CloseHandle(h);
}

void Report(const char* What, double Ms, double Floor) {
  std::printf("%-44s %9.1f ms  %6.2f x floor\n", What, Ms, Ms / Floor);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring name;
  bool own = argc < 2;
  if (own) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    name = std::wstring(dir) + L"unicode_bench.txt";
  } else {
    name = argv[1];
  }
  const std::string utf8 = MakeUtf8();
  if (own) WriteFileBytes(name, utf8);
  const int n = static_cast<int>(utf8.size());
  std::printf("text: %.1f MB of UTF-8, %d runs each, medians\n", utf8.size() / 1048576.0, kRuns);

  WideString wide;
  const double floor = Median(
      kRuns, [&] { wide.clear(); },
      [&] {
        int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), n, nullptr, 0);
        wide.resize(static_cast<size_t>(length));
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), n, wide.data(), length);
      });
  Report("floor: MultiByteToWideChar (UTF-8)", floor, floor);

  WideString decoded;
  Report("UTF-8 decoding (DecodeUtf8ToWide)",
         Median(
             kRuns, [&] { decoded = WideString(); }, [&] { decoded = DecodeUtf8ToWide(utf8); }),
         floor);
  if (decoded != wide) std::printf("  (the decoded text differs from the system's)\n");

  std::string encoded;
  Report("UTF-8 encoding (EncodeWideToUtf8)",
         Median(
             kRuns, [&] { encoded = std::string(); }, [&] { encoded = EncodeWideToUtf8(decoded); }),
         floor);
  if (encoded != utf8) std::printf("  (the encoded text differs from the source)\n");
  encoded = std::string();

  std::string system;
  Report("  for comparison: WideCharToMultiByte (UTF-8)",
         Median(
             kRuns, [&] { system = std::string(); },
             [&] {
               int length = WideCharToMultiByte(CP_UTF8, 0, decoded.data(), static_cast<int>(decoded.size()), nullptr,
                                                0, nullptr, nullptr);
               system.resize(static_cast<size_t>(length));
               WideCharToMultiByte(CP_UTF8, 0, decoded.data(), static_cast<int>(decoded.size()), system.data(), length,
                                   nullptr, nullptr);
             }),
         floor);
  system = std::string();

  WideNormalize(L"e\x0301", nfC);  // the tables load once, outside the timed runs
  WideString normalized;
  Report("NFC of normalized text (WideNormalize)",
         Median(
             kRuns, [&] { normalized = WideString(); }, [&] { normalized = WideNormalize(decoded, nfC); }),
         floor);
  if (normalized != decoded) std::printf("  (normalization changed the text)\n");
  normalized = WideString();
  wide = WideString();

  int lines = 0;
  {
    std::unique_ptr<TWideStringList> list;
    Report("file into TWideStringList (LoadFromFile)",
           Median(
               3, [&] { list = std::make_unique<TWideStringList>(); }, [&] { list->LoadFromFile(name); }),
           floor);
    lines = list->Count();
  }
  {
    std::unique_ptr<TUcStringList> list;
    Report("file into TUcStringList (LoadFromFile)",
           Median(
               3, [&] { list = std::make_unique<TUcStringList>(); }, [&] { list->LoadFromFile(name); }),
           floor);
    if (list->Count() != lines) std::printf("  (the lists hold %d and %d lines)\n", lines, list->Count());
  }
  std::printf("lines: %d\n", lines);
  if (own) DeleteFileW(name.c_str());
  return 0;
}
