// The line-break scan against a plain byte loop: random buffers of random lengths at every
// alignment, some ending right before a page that may not be read.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "editor/TxtEditLineScan.h"
#include "framework/Win.h"

namespace {

const char* ByteLoop(const char* P, const char* End) {
  while (P < End && *P != '\r' && *P != '\n') ++P;
  return P;
}

using TScan = const char* (*)(const char*, const char*);

std::vector<std::pair<const char*, TScan>> Scanners() {
  std::vector<std::pair<const char*, TScan>> v{{"chosen", FindLineBreak}, {"portable", FindLineBreakPortable}};
  if (LineScanHasSse2()) v.push_back({"sse2", FindLineBreakSse2});
  return v;
}

// Two pages, the second one unreadable: a scan that reads past its end faults.
class TGuardedPage {
 public:
  TGuardedPage() {
    base_ = static_cast<char*>(VirtualAlloc(nullptr, 2 * kPage, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    DWORD old;
    VirtualProtect(base_ + kPage, kPage, PAGE_NOACCESS, &old);
  }
  ~TGuardedPage() { VirtualFree(base_, 0, MEM_RELEASE); }
  char* End() const { return base_ + kPage; }
  static constexpr size_t kPage = 4096;

 private:
  char* base_;
};

// Bytes where breaks are rare, common, or absent, with the near misses (9, 11, 12, 14, 0x8A,
// 0x8D) that a faulty mask would take for breaks.
void FillRandom(std::mt19937& rng, char* P, size_t N) {
  static const char tricky[] = {'\n', '\r', 9, 11, 12, 14, 0, static_cast<char>(0x8A), static_cast<char>(0x8D), 'a'};
  const unsigned density = rng() % 4;  // 0: no breaks at all
  for (size_t i = 0; i < N; ++i) {
    unsigned r = rng() % 64;
    char c = static_cast<char>(rng());
    if (density == 0) {
      while (c == '\r' || c == '\n') c = static_cast<char>(rng());
    } else if (r < density * 2) {
      c = tricky[rng() % sizeof tricky];
    }
    P[i] = c;
  }
}

}  // namespace

TEST(LineScanFuzz, EveryScanFindsTheFirstBreakLikeAByteLoop) {
  std::mt19937 rng(20261206);
  std::vector<char> buffer(4096 + 64);
  for (int round = 0; round < 20000; ++round) {
    const size_t length = round % 4 == 0 ? rng() % 4000 : rng() % 80;
    const size_t start = rng() % 32;
    char* p = buffer.data() + start;
    FillRandom(rng, p, length);
    for (const auto& [name, scan] : Scanners()) {
      const char* expected = ByteLoop(p, p + length);
      ASSERT_EQ(scan(p, p + length), expected) << name << ", round " << round << ", length " << length;
      // From each break on, as loading steps through a text.
      for (const char* q = expected; q < p + length; q = ByteLoop(q + 1, p + length))
        ASSERT_EQ(scan(q + 1, p + length), ByteLoop(q + 1, p + length)) << name << ", round " << round;
    }
  }
}

TEST(LineScanFuzz, NoScanReadsPastTheEndOfItsRange) {
  TGuardedPage page;
  std::mt19937 rng(7);
  for (int round = 0; round < 3000; ++round) {
    const size_t length = rng() % 100;
    char* p = page.End() - length;
    FillRandom(rng, p, length);
    for (const auto& [name, scan] : Scanners()) EXPECT_EQ(scan(p, page.End()), ByteLoop(p, page.End())) << name;
  }
  // Empty ranges, and a start past the end, give the end.
  for (const auto& [name, scan] : Scanners()) {
    EXPECT_EQ(scan(page.End(), page.End()), page.End()) << name;
  }
}

namespace {

using TSplit = size_t (*)(TLineSplitState&, const char*, bool, TSplitLine*, size_t);

// A line as the split reports it: its text, whether it holds a tab, and whether an LF follows it.
struct TLine {
  std::string Text;
  bool HasTabs;
  bool EndsInLF = true;
  bool operator==(const TLine&) const = default;
};

std::ostream& operator<<(std::ostream& Out, const TLine& L) {
  return Out << "\"" << L.Text << "\" tabs " << L.HasTabs << " LF " << L.EndsInLF;
}

// Splits Text as it would arrive in pieces of random sizes, the last line included.
std::vector<TLine> SplitInPieces(TSplit split, std::string text, std::mt19937& rng) {
  std::vector<TLine> lines;
  char* data = text.data();
  TLineSplitState state{data, data, data, data};
  TSplitLine found[7];
  size_t arrived = 0;
  for (;;) {
    arrived = std::min(text.size(), arrived + 1 + rng() % 40);
    const bool more = arrived < text.size();
    size_t n;
    do {
      n = split(state, data + arrived, more, found, 7);
      for (size_t i = 0; i < n; ++i) {
        const TSplitLine& f = found[i];
        if (!f.Text) {
          lines.push_back({std::string(), f.HasTabs, f.Length == 0});
          continue;
        }
        lines.push_back({std::string(f.Text, f.Length), f.HasTabs, f.Text[f.Length] == '\n'});
      }
    } while (n == 7);
    if (!more) break;
  }
  if (state.Line != data + text.size()) lines.push_back({std::string(state.Out, state.Tail), state.LineHasTabs});
  return lines;
}

std::vector<TLine> PlainLines(const std::string& text) {
  std::vector<TLine> lines;
  for (const char *p = text.data(), *end = p + text.size(); p < end;) {
    const char* stop = ByteLoop(p, end);
    lines.push_back({std::string(p, stop), std::find(p, stop, '\t') != stop});
    p = stop + (stop < end && *stop == '\r' && stop + 1 < end && stop[1] == '\n' ? 2 : 1);
  }
  return lines;
}

}  // namespace

TEST(LineScanFuzz, SplittingInRandomPiecesGivesThePlainLines) {
  std::mt19937 rng(99);
  std::vector<std::pair<const char*, TSplit>> splits{{"chosen", SplitLines}, {"portable", SplitLinesPortable}};
  for (int round = 0; round < 1500; ++round) {
    std::string text;
    if (round % 2 == 0) {
      text.assign(rng() % 400, 'a');
      FillRandom(rng, text.data(), text.size());
    } else {
      // Mostly CR LF lines: the moved text falls further behind with each, as in a loaded file.
      // Some lines are long and some hold a tab, anywhere, so that the tabs of the sixteen-byte
      // steps before the break count as well as those of the step that holds it.
      while (text.size() < 3000) {
        const size_t start = text.size();
        text.append(rng() % (rng() % 5 == 0 ? 200 : 40), static_cast<char>('a' + rng() % 26));
        if (text.size() > start && rng() % 3 == 0) text[start + rng() % (text.size() - start)] = '\t';
        const unsigned r = rng() % 10;
        text += r < 8 ? "\r\n" : r == 8 ? "\n" : "\r";
      }
    }
    const std::vector<TLine> expected = PlainLines(text);
    for (const auto& [name, split] : splits)
      ASSERT_EQ(SplitInPieces(split, text, rng), expected) << name << " " << round;
  }
}

// Each copy stops at the first LF or when its room is full, whichever comes first, writes
// nothing it does not report beyond the 15 bytes it may spoil, and never reads past its end;
// the search for a tab or a break finds what a byte loop finds, and so does the width of the
// bytes with their tabs expanded.
TEST(LineScanFuzz, CopyingToTheLineFeedAndFindingATabMatchAByteLoop) {
  using TCopy = size_t (*)(const char*, const char*, char*, size_t);
  std::vector<std::pair<const char*, TCopy>> copies{{"chosen", CopyToLineFeed}, {"portable", CopyToLineFeedPortable}};
  if (LineScanHasSse2()) copies.push_back({"sse2", CopyToLineFeedSse2});
  TGuardedPage page;
  std::mt19937 rng(1207);
  std::vector<char> out(4096 + 64);
  for (int round = 0; round < 20000; ++round) {
    const size_t length = round % 4 == 0 ? rng() % 4000 : rng() % 80;
    char* p = page.End() - length - (round % 3 == 0 ? 0 : rng() % 40);
    FillRandom(rng, p, length);
    const size_t room = rng() % 2 ? length : rng() % (length + 1);
    size_t expected = 0;
    while (expected < room && p[expected] != '\n') ++expected;
    const char* tabOrBreak = p;
    while (tabOrBreak < p + length && *tabOrBreak != '\t' && *tabOrBreak != '\r' && *tabOrBreak != '\n') ++tabOrBreak;
    ASSERT_EQ(FindTabOrLineBreakPortable(p, p + length), tabOrBreak) << "round " << round;
    if (LineScanHasSse2()) {
      ASSERT_EQ(FindTabOrLineBreakSse2(p, p + length), tabOrBreak) << "round " << round;
    }
    const unsigned tabWidth = round % 5 == 0 ? 1 + rng() % 300 : 1 + rng() % 9;
    uint64_t width = 0;
    for (size_t i = 0; i < length; ++i) width += p[i] == '\t' ? tabWidth - width % tabWidth : 1;
    ASSERT_EQ(TabExpandedLength(p, p + length, tabWidth), width) << "round " << round;
    ASSERT_EQ(TabExpandedLengthPortable(p, p + length, tabWidth), width) << "round " << round;
    if (LineScanHasSse2()) {
      ASSERT_EQ(TabExpandedLengthSse2(p, p + length, tabWidth), width) << "round " << round;
    }
    for (const auto& [name, copy] : copies) {
      std::fill(out.begin(), out.end(), '#');
      ASSERT_EQ(copy(p, p + length, out.data(), room), expected) << name << ", round " << round;
      ASSERT_TRUE(std::equal(p, p + expected, out.data())) << name << ", round " << round;
      ASSERT_TRUE(std::all_of(out.begin() + std::ptrdiff_t(room + 15), out.end(), [](char c) { return c == '#'; }))
          << name << ", round " << round;
    }
  }
}

// Seven-bit texts, half of them with one high byte anywhere, each ending right before a page
// that may not be read: every path tells them apart as a byte loop does.
TEST(LineScanFuzz, TheSevenBitTestFindsAHighByteAnywhere) {
  TGuardedPage page;
  std::mt19937 rng(4143);
  for (int round = 0; round < 6000; ++round) {
    const size_t length = round % 5 == 0 ? rng() % 4000 : rng() % 200;
    char* p = page.End() - length;
    for (size_t i = 0; i < length; ++i) p[i] = static_cast<char>(rng() % 128);
    if (length > 0 && round % 2) p[rng() % length] = static_cast<char>(0x80 | rng());
    const bool expected = std::all_of(p, p + length, [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    ASSERT_EQ(IsSevenBit(p, p + length), expected) << "round " << round;
    ASSERT_EQ(IsSevenBitPortable(p, p + length), expected) << "round " << round;
    if (LineScanHasSse2()) {
      ASSERT_EQ(IsSevenBitSse2(p, p + length), expected) << "round " << round;
    }
  }
}
