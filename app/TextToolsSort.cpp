// The line tools' sort: lines ordered as the user's locale compares them, through one sort key
// per line; and the joining of lines back into a text, which a sort of many lines ends with.
#include "app/TextTools.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "framework/Win.h"

namespace {

int compareInLocale(std::string_view A, std::string_view B, bool MatchCase) {
  const int result = CompareStringA(LOCALE_USER_DEFAULT, MatchCase ? 0 : NORM_IGNORECASE, A.data(),
                                    static_cast<int>(A.size()), B.data(), static_cast<int>(B.size()));
  // A failed comparison (0) falls back to the bytes, so the order stays a strict one.
  if (result == 0) return A < B ? -1 : (B < A ? 1 : 0);
  return result - 2;
}

// A line's sort key: its bytes compare as CompareStringA compares the lines, so a sort asks the
// locale once per line instead of at every comparison.
struct TKeyedLine {
  // The key's first sixteen bytes, the first most significant, zeros past its end: most
  // comparisons end there, without reading the key itself.
  uint64_t Head[2];
  const char* Key;
  uint32_t Size;
  uint32_t Index;  // the line's place in the list

  void SetKey(const char* Bytes, uint32_t Length) {
    Key = Bytes;
    Size = Length;
    Head[0] = Head[1] = 0;
    for (uint32_t k = 0; k < 16; ++k)
      Head[k / 8] = Head[k / 8] << 8 | (k < Length ? static_cast<unsigned char>(Bytes[k]) : 0u);
  }

  // Shorter first where one key begins the other. Zeros past a key's end never make two heads
  // differ where the whole keys would not, so the heads decide alone when they differ.
  static int Compare(const TKeyedLine& A, const TKeyedLine& B) {
    for (int h = 0; h < 2; ++h)
      if (A.Head[h] != B.Head[h]) return A.Head[h] < B.Head[h] ? -1 : 1;
    if (const int c = std::memcmp(A.Key, B.Key, std::min(A.Size, B.Size))) return c;
    return A.Size < B.Size ? -1 : (A.Size > B.Size ? 1 : 0);
  }
};

// Sort keys made one after another into large blocks rather than into an allocation each.
class TKeyArena {
 public:
  // False when the locale makes no key of the text.
  bool Append(const char* Text, int Length, DWORD Flags, TKeyedLine& Line) {
    const DWORD how = LCMAP_SORTKEY | Flags;
    int size = left_ ? LCMapStringA(LOCALE_USER_DEFAULT, how, Text, Length, free_, static_cast<int>(left_)) : 0;
    if (size <= 0) {
      if (left_ && GetLastError() != ERROR_INSUFFICIENT_BUFFER) return false;
      const int needed = LCMapStringA(LOCALE_USER_DEFAULT, how, Text, Length, nullptr, 0);
      if (needed <= 0) return false;
      left_ = std::max(kBlockSize, static_cast<size_t>(needed));
      blocks_.push_back(std::make_unique<char[]>(left_));
      free_ = blocks_.back().get();
      size = LCMapStringA(LOCALE_USER_DEFAULT, how, Text, Length, free_, static_cast<int>(left_));
      if (size <= 0) return false;
    }
    Line.SetKey(free_, static_cast<uint32_t>(size));
    free_ += size;
    left_ -= static_cast<size_t>(size);
    return true;
  }

 private:
  static constexpr size_t kBlockSize = 1 << 20;
  std::vector<std::unique_ptr<char[]>> blocks_;
  char* free_ = nullptr;
  size_t left_ = 0;
};

using TLineOrder = std::vector<uint32_t>;

// The sort keys of all lines, in one arena. False when the locale makes no key for some line.
bool makeKeys(const TTextLineViews& Lines, DWORD Flags, TKeyArena& Arena, std::vector<TKeyedLine>& Keyed) {
  bool made = true;
  try {
    Keyed.resize(Lines.size());
    for (size_t i = 0; i < Lines.size() && made; ++i) {
      // The locale ignores a NUL as it ignores nothing at all: an empty line takes the key of a
      // lone NUL, equal to every line of ignored characters only, as CompareStringA has it.
      static const char nul = '\0';
      const std::string_view line = Lines[i];
      Keyed[i].Index = static_cast<uint32_t>(i);
      made = Arena.Append(line.empty() ? &nul : line.data(), line.empty() ? 1 : static_cast<int>(line.size()), Flags,
                          Keyed[i]);
    }
  } catch (const std::bad_alloc&) {
    // Keys too large for the memory left: the comparisons one by one need none.
    made = false;
  }
  if (!made) std::vector<TKeyedLine>().swap(Keyed);
  return made;
}

// The places of the lines in their sorted order, by CompareStringA at every comparison.
TLineOrder orderByComparison(const TTextLineViews& Lines, bool Ascending, bool MatchCase, bool RemoveDuplicates) {
  TLineOrder order(Lines.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<uint32_t>(i);
  const int sign = Ascending ? 1 : -1;
  std::stable_sort(order.begin(), order.end(),
                   [&](uint32_t A, uint32_t B) { return sign * compareInLocale(Lines[A], Lines[B], MatchCase) < 0; });
  if (!RemoveDuplicates) return order;
  TLineOrder kept;
  for (size_t i = 0; i < order.size(); ++i)
    if (i == 0 || compareInLocale(Lines[order[i - 1]], Lines[order[i]], MatchCase) != 0) kept.push_back(order[i]);
  return kept;
}

// The places of the lines in their sorted order, through their sort keys.
TLineOrder sortedOrder(const TTextLineViews& Lines, bool Ascending, bool MatchCase, bool RemoveDuplicates) {
  TKeyArena arena;
  std::vector<TKeyedLine> keyed;
  if (!makeKeys(Lines, MatchCase ? 0 : NORM_IGNORECASE, arena, keyed))
    return orderByComparison(Lines, Ascending, MatchCase, RemoveDuplicates);
  // Equal lines keep their order in either direction.
  std::sort(keyed.begin(), keyed.end(), [Ascending](const TKeyedLine& A, const TKeyedLine& B) {
    const int c = TKeyedLine::Compare(A, B);
    if (c) return Ascending ? c < 0 : c > 0;
    return A.Index < B.Index;
  });
  // The first of equal neighbours stays: one pass, whatever the number of duplicates.
  TLineOrder order;
  order.reserve(keyed.size());
  for (size_t i = 0; i < keyed.size(); ++i)
    if (!RemoveDuplicates || i == 0 || TKeyedLine::Compare(keyed[i - 1], keyed[i]) != 0)
      order.push_back(keyed[i].Index);
  return order;
}

// Lines becomes its lines in Order.
void takeInOrder(TTextLines& Lines, const TLineOrder& Order) {
  TTextLines sorted;
  sorted.reserve(Order.size());
  for (uint32_t i : Order) sorted.push_back(std::move(Lines[i]));
  Lines.swap(sorted);
}

}  // namespace

AnsiString JoinTextLines(const TTextLineViews& Lines) {
  size_t size = 0;
  for (size_t i = 0; i < Lines.size(); ++i) size += Lines[i].size() + (i ? 2 : 0);
  AnsiString text(size, '\0');
  char* out = text.data();
  for (size_t i = 0; i < Lines.size(); ++i) {
    if (i) out = std::copy_n("\r\n", 2, out);
    out = std::copy(Lines[i].begin(), Lines[i].end(), out);
  }
  return text;
}

int CompareLinesInLocale(const AnsiString& A, const AnsiString& B, bool MatchCase) {
  return compareInLocale(A, B, MatchCase);
}

void SortTextLinesByComparison(TTextLines& Lines, bool Ascending, bool MatchCase, bool RemoveDuplicates) {
  takeInOrder(Lines,
              orderByComparison(TTextLineViews(Lines.begin(), Lines.end()), Ascending, MatchCase, RemoveDuplicates));
}

void SortTextLines(TTextLines& Lines, bool Ascending, bool MatchCase, bool RemoveDuplicates) {
  takeInOrder(Lines, sortedOrder(TTextLineViews(Lines.begin(), Lines.end()), Ascending, MatchCase, RemoveDuplicates));
}

void SortEditorLines(TCustomTxtEdit& Editor, bool Ascending, bool MatchCase, bool RemoveDuplicates) {
  struct TChoice {
    bool Ascending, MatchCase, RemoveDuplicates;
  } choice{Ascending, MatchCase, RemoveDuplicates};
  ReplaceEditorText(
      Editor,
      [](std::string_view Text, void* Data) {
        const auto& c = *static_cast<TChoice*>(Data);
        const TTextLineViews lines = SplitTextLineViews(Text);
        const TLineOrder order = sortedOrder(lines, c.Ascending, c.MatchCase, c.RemoveDuplicates);
        TTextLineViews sorted;
        sorted.reserve(order.size());
        for (uint32_t i : order) sorted.push_back(lines[i]);
        return JoinTextLines(sorted);
      },
      &choice);
}
