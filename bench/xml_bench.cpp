// XML benchmark: parsing, freeing, writing and binary XML of a 20 MB document, each against a
// floor of reading the file and scanning its bytes once, the memory of the loaded document, and
// the parse time per byte of reference-heavy texts of two sizes.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "framework/Win.h"
// After the Windows headers that it needs.
#include <psapi.h>

#include "framework/Streams.h"
#include "highlighting/XmlDom.h"

namespace {

const int kRuns = 7;

// Seconds from the performance counter. (The benchmark support header's clock shares its name
// with the framework's Now, which this program links.)
double Seconds() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / frequency;
}

// Elements with attributes, text, comments and CDATA, written straight to the file.
void WriteDocument(const std::wstring& file, size_t bytes) {
  std::ofstream out(std::filesystem::path(file), std::ios::binary);
  out << "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\r\n<Schemes>";
  size_t written = 0;
  for (int i = 0; written < bytes; ++i) {
    std::string s = "\r\n\t<Scheme name=\"Scheme" + std::to_string(i) + "\" ext=\"c;h;cpp\" index=\"" +
                    std::to_string(i) + "\">\r\n\t\t<!-- scheme " + std::to_string(i) + " -->";
    for (int k = 0; k < 8; ++k)
      s += "\r\n\t\t<Keyword word=\"word" + std::to_string(k) + "\" style=\"Reserved\" bold=\"1\">Text of keyword " +
           std::to_string(k) + " &amp; more</Keyword>";
    s += "\r\n\t\t<Sample><![CDATA[if (a < b) { x = y; } // " + std::to_string(i) + "]]></Sample>\r\n\t</Scheme>";
    out << s;
    written += s.size();
  }
  out << "\r\n</Schemes>";
}

// The floor: the file read in the parser's blocks and every byte scanned once.
size_t ReadAndScan(const std::wstring& file) {
  TFileStream stream(file, fmOpenRead | fmShareDenyWrite);
  std::vector<char> block(65536);
  size_t count = 0;
  for (;;) {
    const int n = stream.Read(block.data(), static_cast<int>(block.size()));
    if (n <= 0) break;
    const char* p = block.data();
    const char* end = p + n;
    while ((p = static_cast<const char*>(std::memchr(p, '<', static_cast<size_t>(end - p)))) != nullptr) {
      ++count;
      ++p;
    }
  }
  return count;
}

// An element whose text is almost all references, about Bytes long.
std::string ReferenceHeavy(size_t bytes) {
  std::string s = "<a>";
  while (s.size() < bytes) s += "&amp;x&#65;&lt;&#x42;y&gt;";
  return s + "</a>";
}

// Milliseconds per megabyte to parse Text from memory, the median of Runs.
double ParsePerMegabyte(const std::string& text, int runs) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    IXmlDocument doc = CreateXmlDocument();
    const double t0 = Seconds();
    doc->LoadFromText(text);
    times.push_back((Seconds() - t0) * 1000.0);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2] / (static_cast<double>(text.size()) / 1048576.0);
}

size_t CommittedBytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters.PagefileUsage;
}

}  // namespace

int wmain() {
  const std::filesystem::path dir = std::filesystem::temp_directory_path();
  const std::wstring text = (dir / L"xml_bench.xml").wstring();
  const std::wstring copy = (dir / L"xml_bench_out.xml").wstring();
  const std::wstring binary = (dir / L"xml_bench.bin").wstring();
  WriteDocument(text, 20u << 20);
  const double fileSize = static_cast<double>(std::filesystem::file_size(text));

  // Memory first, before other work has grown the heap.
  const size_t before = CommittedBytes();
  IXmlDocument doc = CreateXmlDocument();
  doc->LoadFromFile(text);
  const double memory = static_cast<double>(CommittedBytes() - before);

  // The measurements take turns in every round, so that a busy moment of the machine weighs on
  // the floor as much as on the work measured against it.
  volatile size_t sink = 0;
  IXmlDocument binDoc;
  std::vector<double> times[6];
  auto timed = [](std::vector<double>& into, const std::function<void()>& step) {
    const double t0 = Seconds();
    step();
    into.push_back((Seconds() - t0) * 1000.0);
  };
  for (int run = 0; run < kRuns; ++run) {
    timed(times[0], [&] { sink = sink + ReadAndScan(text); });
    doc = CreateXmlDocument();
    timed(times[1], [&] { doc->LoadFromFile(text); });
    timed(times[2], [&] { doc->SaveToFile(copy); });
    timed(times[3], [&] { doc->SaveBinaryToFile(binary); });
    binDoc = CreateXmlDocument();
    timed(times[4], [&] { binDoc->LoadFromFile(binary); });
    if (run + 1 < kRuns) {
      // The last round's documents are compared below.
      timed(times[5], [&] { doc = nullptr; });
      binDoc = nullptr;
    }
  }
  auto median = [&](int i) {
    std::sort(times[i].begin(), times[i].end());
    return times[i][times[i].size() / 2];
  };
  const double floor = median(0), parse = median(1), write = median(2), binWrite = median(3), binRead = median(4),
               freeing = median(5);
  const bool same = binDoc->Xml() == doc->Xml();
  // Text made of references: the time per byte must not grow with the size.
  const double smallRefs = ParsePerMegabyte(ReferenceHeavy(64u << 10), 31);
  const double largeRefs = ParsePerMegabyte(ReferenceHeavy(4800u << 10), kRuns);

  std::printf("document: %.1f MB text, %.1f MB binary\n", fileSize / 1048576.0,
              static_cast<double>(std::filesystem::file_size(binary)) / 1048576.0);
  std::printf("floor (read file + scan for '<'): %8.1f ms\n", floor);
  std::printf("parse from file:                  %8.1f ms  %5.1fx floor (goal 5x)\n", parse, parse / floor);
  std::printf("free the parsed document:         %8.1f ms  %5.2fx parse (goal 0.2x)\n", freeing, freeing / parse);
  std::printf("write to file:                    %8.1f ms  %5.1fx floor\n", write, write / floor);
  std::printf("binary write to file:             %8.1f ms  %5.1fx floor\n", binWrite, binWrite / floor);
  std::printf("binary read from file:            %8.1f ms  %5.1fx floor\n", binRead, binRead / floor);
  std::printf("loaded document memory:           %8.1f MB  %5.2fx file (goal 2.5x)\n", memory / 1048576.0,
              memory / fileSize);
  std::printf("reference-heavy text, 64 KB:       %8.1f ms/MB\n", smallRefs);
  std::printf("reference-heavy text, 4.8 MB:      %8.1f ms/MB  %5.2fx the 64 KB one (goal 2x)\n", largeRefs,
              largeRefs / smallRefs);
  std::printf("binary round trip gives the same document: %s\n", same ? "yes" : "NO");
  std::filesystem::remove(text);
  std::filesystem::remove(copy);
  std::filesystem::remove(binary);
  return same ? 0 : 1;
}
