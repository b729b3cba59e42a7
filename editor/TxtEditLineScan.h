// Finding line breaks in 8-bit text: the scan that loading, setting and measuring text rest on,
// with an SSE2 path chosen at run time and a portable one for processors without it.
#pragma once

#include <cstddef>
#include <cstdint>

// The first CR or LF in [P, End), or End. Uses the fastest path this processor has.
const char* FindLineBreak(const char* P, const char* End);

// The path that runs on every x86 processor: four or eight bytes at a time.
const char* FindLineBreakPortable(const char* P, const char* End);

// Whether this processor has SSE2; FindLineBreakSse2 may only be called when it has.
bool LineScanHasSse2();
const char* FindLineBreakSse2(const char* P, const char* End);

// The first tab, CR or LF in [P, End), or End: a line's end and whether it holds tabs in one
// pass. The Portable and Sse2 paths as for FindLineBreak.
const char* FindTabOrLineBreak(const char* P, const char* End);
const char* FindTabOrLineBreakPortable(const char* P, const char* End);
const char* FindTabOrLineBreakSse2(const char* P, const char* End);

// The length of [P, End) with each tab widened to the next multiple of TabWidth (at least 1),
// every other byte counting one: a line's width, counted from its tabs alone. The Portable and
// Sse2 paths as for FindLineBreak.
uint64_t TabExpandedLength(const char* P, const char* End, unsigned TabWidth);
uint64_t TabExpandedLengthPortable(const char* P, const char* End, unsigned TabWidth);
uint64_t TabExpandedLengthSse2(const char* P, const char* End, unsigned TabWidth);

// Whether every byte of [P, End) is below 0x80: whether a text reads the same in every code
// page that extends ASCII. The Portable and Sse2 paths as for FindLineBreak.
bool IsSevenBit(const char* P, const char* End);
bool IsSevenBitPortable(const char* P, const char* End);
bool IsSevenBitSse2(const char* P, const char* End);

// Copies the bytes from P up to the first LF before End, but at most Room of them, to Out and
// returns how many it copied: saving copies the lines of a loaded block this way, finding each
// end in the same pass. Out must have 15 bytes to spare past Room, which may be overwritten.
// The Portable and Sse2 paths as for FindLineBreak.
size_t CopyToLineFeed(const char* P, const char* End, char* Out, size_t Room);
size_t CopyToLineFeedPortable(const char* P, const char* End, char* Out, size_t Room);
size_t CopyToLineFeedSse2(const char* P, const char* End, char* Out, size_t Room);

// Splitting a text into lines as its bytes arrive. Each line found moves down to Out and is
// followed there by one LF, so that a CR LF text gives back a byte per line and every line
// still ends at the next CR or LF.
// The bytes of the line being read, from Line up to Scan, already stand at Out up to Tail.
struct TLineSplitState {
  char* Out;                 // where the line being read moves to
  char* Tail;                // where its next byte moves to
  const char* Line;          // where it starts
  const char* Scan;          // where the search for its end goes on
  bool SawCR = false;        // a CR alone
  bool SawLF = false;        // an LF alone
  bool SawCRLF = false;      // a CR LF pair
  bool LineHasTabs = false;  // a tab among the bytes of the line being read so far
};

// A line split off: where it moved (null for an empty line), its length, and whether it holds
// a tab, found in the same pass as its end, so that a loaded line's width is known without
// reading it again.
struct TSplitLine {
  const char* Text;
  size_t Length;
  bool HasTabs;
};

// Splits off the lines that end before Available: CR LF, a lone CR and a lone LF each end one.
// With More, a CR at Available - 1 waits for the byte after it. Stores each moved line in
// Lines, at most MaxLines of them, and returns how many; fewer than MaxLines means that no
// further line ends before Available. A last line without a break is left for the caller,
// moved to Out up to Tail, with LineHasTabs telling whether it holds a tab.
size_t SplitLines(TLineSplitState& State, const char* Available, bool More, TSplitLine* Lines, size_t MaxLines);
// The same on every x86 processor.
size_t SplitLinesPortable(TLineSplitState& State, const char* Available, bool More, TSplitLine* Lines, size_t MaxLines);
