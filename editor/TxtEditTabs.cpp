// Tab expansion routines.
#include "editor/TxtEditTabs.h"

#include <climits>
#include <cstdint>
#include <cstring>

#include "editor/TxtEditLineScan.h"

namespace {

// The common frame of the expanding routines: lines without tabs come back unchanged, the text
// before the first tab is copied as it is, and Fill(column) gives the width of a tab there.
template <class Fill>
AnsiString Expand(std::string_view line, bool& hasTabs, char fillChar, Fill fill) {
  int before = 0;
  hasTabs = GetHasTabs(line, before);
  if (!hasTabs) return AnsiString(line);
  AnsiString result;
  result.reserve(line.size() + 16);
  result.append(line.data(), static_cast<size_t>(before));
  for (size_t i = static_cast<size_t>(before); i < line.size(); ++i) {
    char c = line[i];
    if (c == '\t')
      result.append(static_cast<size_t>(fill(result.size())), fillChar);
    else
      result.push_back(c);
  }
  return result;
}

}  // namespace

// Four bytes at a time: every line of every paint and scan passes through here.
bool GetHasTabs(std::string_view Line, int& CharsBefore) {
  const char* p = Line.data();
  const char* end = p + Line.size();
  while (end - p >= 4) {
    uint32_t w;
    std::memcpy(&w, p, 4);
    uint32_t t = w ^ 0x09090909u;
    if ((t - 0x01010101u) & ~t & 0x80808080u) break;
    p += 4;
  }
  while (p < end && *p != '\t') ++p;
  CharsBefore = static_cast<int>(p - Line.data());
  return p < end;
}

AnsiString ConvertTabsEx(std::string_view Line, int TabWidth, bool& HasTabs) {
  size_t width = static_cast<size_t>(TabWidth < 1 ? 1 : TabWidth);
  return Expand(Line, HasTabs, '\t', [width](size_t column) { return width - column % width; });
}

AnsiString ConvertTabs2nEx(std::string_view Line, int TabWidth, bool& HasTabs) {
  size_t width = static_cast<size_t>(TabWidth < 1 ? 1 : TabWidth);
  size_t mask = width - 1;
  return Expand(Line, HasTabs, '\t', [width, mask](size_t column) { return width - (column & mask); });
}

AnsiString ConvertTabs1Ex(std::string_view Line, int, bool& HasTabs) {
  int before = 0;
  HasTabs = GetHasTabs(Line, before);
  AnsiString result(Line);
  if (HasTabs)
    for (size_t i = static_cast<size_t>(before); i < result.size(); ++i)
      if (result[i] == '\t') result[i] = ' ';
  return result;
}

AnsiString ConvertTabs(std::string_view Line, int TabWidth) {
  bool hasTabs;
  return ConvertTabsEx(Line, TabWidth, hasTabs);
}

AnsiString ConvertTabs2n(std::string_view Line, int TabWidth) {
  bool hasTabs;
  return ConvertTabs2nEx(Line, TabWidth, hasTabs);
}

AnsiString ConvertTabs1(std::string_view Line, int TabWidth) {
  bool hasTabs;
  return ConvertTabs1Ex(Line, TabWidth, hasTabs);
}

bool IsPowerOfTwo(int TabWidth) {
  int probe = 2;
  while (probe < 65536 && TabWidth > probe) probe *= 2;
  return TabWidth == probe;
}

TConvertTabsProc GetBestConvertTabsProc(int TabWidth) {
  if (TabWidth < 2) return &ConvertTabs1;
  return IsPowerOfTwo(TabWidth) ? &ConvertTabs2n : &ConvertTabs;
}

TConvertTabsProcEx GetBestConvertTabsProcEx(int TabWidth) {
  if (TabWidth < 2) return &ConvertTabs1Ex;
  return IsPowerOfTwo(TabWidth) ? &ConvertTabs2nEx : &ConvertTabsEx;
}

void AppendExpandedLine(std::string_view Line, int TabWidth, AnsiString& Out) {
  const size_t start = Out.size();
  if (TabWidth < 2) {
    Out.append(Line.data(), Line.size());
    for (size_t i = start; i < Out.size(); ++i)
      if (Out[i] == '\t') Out[i] = ' ';
    return;
  }
  const auto width = static_cast<size_t>(TabWidth);
  const char* p = Line.data();
  const char* end = p + Line.size();
  for (;;) {
    // A CR or LF inside a line is an ordinary character here.
    const char* stop = FindTabOrLineBreak(p, end);
    Out.append(p, stop);
    if (stop == end) break;
    if (*stop == '\t')
      Out.append(width - (Out.size() - start) % width, '\t');
    else
      Out.push_back(*stop);
    p = stop + 1;
  }
}

// Loading measures every line with tabs: the line scan finds the tabs sixteen bytes at a time.
int GetExpandedLength(std::string_view Line, int TabWidth) {
  const uint64_t length =
      TabExpandedLength(Line.data(), Line.data() + Line.size(), static_cast<unsigned>(TabWidth < 1 ? 1 : TabWidth));
  return length > INT_MAX ? INT_MAX : static_cast<int>(length);
}
