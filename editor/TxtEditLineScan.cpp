// Finding line breaks: a portable word-at-a-time scan and an SSE2 scan of sixteen bytes at a
// time. The SSE2 code is compiled for that instruction set alone (a function attribute, not a
// build flag), so the program still runs on processors without it.
#include "editor/TxtEditLineScan.h"

#include <cpuid.h>
#include <emmintrin.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

// The high bit of each byte of w that is CR or LF, and no other.
inline uint32_t BreakBytes(uint32_t w) {
  uint32_t lf = w ^ 0x0A0A0A0Au;
  uint32_t cr = w ^ 0x0D0D0D0Du;
  return (((lf - 0x01010101u) & ~lf) | ((cr - 0x01010101u) & ~cr)) & 0x80808080u;
}

bool DetectSse2() {
  unsigned a, b, c, d;
  if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
  return (d & bit_SSE2) != 0;
}

const bool kHasSse2 = DetectSse2();

__attribute__((target("sse2"))) inline unsigned BreakMask(__m128i v) {
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  return static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr))));
}

}  // namespace

bool LineScanHasSse2() { return kHasSse2; }

// Aligned to four bytes first, then eight bytes per step: text is mostly long runs of bytes
// that are neither CR nor LF. The word test only says that a break is near; the byte loop
// after it finds which byte.
const char* FindLineBreakPortable(const char* P, const char* End) {
  while (P < End && (reinterpret_cast<uintptr_t>(P) & 3) != 0) {
    if (*P == '\n' || *P == '\r') return P;
    ++P;
  }
  while (End - P >= 8) {
    uint32_t w1, w2;
    std::memcpy(&w1, P, 4);
    std::memcpy(&w2, P + 4, 4);
    if (uint32_t m = BreakBytes(w1)) return P + __builtin_ctz(m) / 8;
    if (uint32_t m = BreakBytes(w2)) return P + 4 + __builtin_ctz(m) / 8;
    P += 8;
  }
  while (P < End && *P != '\n' && *P != '\r') ++P;
  return P;
}

namespace {

// One unaligned load for the start of a short line, then aligned loads. The last aligned load
// may reach past End, but never past the 16-byte block that holds End - 1, so it stays in a
// page the caller owns; the bits past End are masked off.
__attribute__((target("sse2"))) inline const char* FindSse2(const char* P, const char* End) {
  if (P >= End) return End;
  if (End - P >= 16) {
    if (unsigned m = BreakMask(_mm_loadu_si128(reinterpret_cast<const __m128i*>(P)))) return P + __builtin_ctz(m);
    P = reinterpret_cast<const char*>((reinterpret_cast<uintptr_t>(P) + 16) & ~static_cast<uintptr_t>(15));
    while (End - P >= 32) {
      const unsigned m1 = BreakMask(_mm_load_si128(reinterpret_cast<const __m128i*>(P)));
      const unsigned m2 = BreakMask(_mm_load_si128(reinterpret_cast<const __m128i*>(P + 16)));
      if (m1 | m2) return m1 ? P + __builtin_ctz(m1) : P + 16 + __builtin_ctz(m2);
      P += 32;
    }
    if (End - P >= 16) {
      if (unsigned m = BreakMask(_mm_load_si128(reinterpret_cast<const __m128i*>(P)))) return P + __builtin_ctz(m);
      P += 16;
    }
    if (P >= End) return End;
  }
  // Fewer than 16 bytes left: the aligned block round P, with the bytes before P and from
  // End on masked off.
  const uintptr_t offset = reinterpret_cast<uintptr_t>(P) & 15;
  const char* block = P - offset;
  unsigned m = BreakMask(_mm_load_si128(reinterpret_cast<const __m128i*>(block))) >> offset;
  const uintptr_t left = static_cast<uintptr_t>(End - P);
  if (offset + left < 16) {
    m &= (1u << left) - 1;
  } else if (m == 0) {
    // The rest lies in the next block.
    const unsigned rest = static_cast<unsigned>(offset + left - 16);
    if (rest == 0) return End;
    unsigned m2 = BreakMask(_mm_load_si128(reinterpret_cast<const __m128i*>(block + 16))) & ((1u << rest) - 1);
    return m2 ? block + 16 + __builtin_ctz(m2) : End;
  }
  return m ? P + __builtin_ctz(m) : End;
}

// Each word is read before the one that overlaps it is written, so a forward copy is safe.
inline void MovePortable(char* Dest, const char* Source, size_t Length) {
  while (Length >= 4) {
    uint32_t w;
    std::memcpy(&w, Source, 4);
    std::memcpy(Dest, &w, 4);
    Dest += 4;
    Source += 4;
    Length -= 4;
  }
  while (Length-- > 0) *Dest++ = *Source++;
}

// Sixteen bytes at a time, each block read before the one that overlaps it is written.
__attribute__((target("sse2"))) inline void MoveSse2(char* Dest, const char* Source, size_t Length) {
  while (Length >= 16) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(Dest), _mm_loadu_si128(reinterpret_cast<const __m128i*>(Source)));
    Dest += 16;
    Source += 16;
    Length -= 16;
  }
  MovePortable(Dest, Source, Length);
}

struct TPortableOps {
  static constexpr bool HasStride = false;
  static const char* Find(const char* P, const char* End) { return FindLineBreakPortable(P, End); }
  // Whether [P, End), which holds no line break, holds a tab.
  static bool HasTab(const char* P, const char* End) { return FindTabOrLineBreakPortable(P, End) != End; }
  static void Move(char* Dest, const char* Source, size_t Length) { MovePortable(Dest, Source, Length); }
  static const char* Stride(const char*&, char*&, const char*, bool&) { return nullptr; }
};

struct TSse2Ops {
  static constexpr bool HasStride = true;
  __attribute__((target("sse2"))) static const char* Find(const char* P, const char* End) { return FindSse2(P, End); }
  __attribute__((target("sse2"))) static bool HasTab(const char* P, const char* End) {
    return FindTabOrLineBreakSse2(P, End) != End;
  }
  __attribute__((target("sse2"))) static void Move(char* Dest, const char* Source, size_t Length) {
    MoveSse2(Dest, Source, Length);
  }
  // Scans and moves sixteen bytes per step until a break: one pass over each byte, and no
  // branch that depends on the length of the line. Every store lands below Scan (Tail is
  // Scan, when nothing moves, or at least 16 bytes below it), so no byte still to be read is
  // overwritten. Gives the break with Scan and Tail at it, or null short of Available; Tabs
  // is set when a tab lies among the bytes passed.
  __attribute__((target("sse2"))) static const char* Stride(const char*& Scan, char*& Tail, const char* Available,
                                                            bool& Tabs) {
    const bool moving = Tail != Scan;
    const __m128i tab = _mm_set1_epi8('\t');
    __m128i tabsSeen = _mm_setzero_si128();
    while (Available - Scan >= 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Scan));
      if (moving) _mm_storeu_si128(reinterpret_cast<__m128i*>(Tail), v);
      const __m128i tabs = _mm_cmpeq_epi8(v, tab);
      if (const unsigned m = BreakMask(v)) {
        const unsigned k = static_cast<unsigned>(__builtin_ctz(m));
        // Only the tabs before the break belong to this line.
        const unsigned before = static_cast<unsigned>(_mm_movemask_epi8(tabs)) & ((1u << k) - 1);
        if (before != 0 || _mm_movemask_epi8(tabsSeen) != 0) Tabs = true;
        Scan += k;
        Tail += k;
        return Scan;
      }
      tabsSeen = _mm_or_si128(tabsSeen, tabs);
      Scan += 16;
      Tail += 16;
    }
    if (_mm_movemask_epi8(tabsSeen) != 0) Tabs = true;
    return nullptr;
  }
};

// The loop of SplitLines, inlined into a caller compiled for the instruction set of Ops.
template <class Ops>
__attribute__((always_inline)) inline size_t SplitWith(TLineSplitState& State, const char* Available, bool More,
                                                       TSplitLine* Lines, size_t MaxLines) {
  char* out = State.Out;
  char* tail = State.Tail;
  const char* line = State.Line;
  const char* scan = State.Scan;
  bool sawCR = State.SawCR, sawLF = State.SawLF, sawCRLF = State.SawCRLF, tabs = State.LineHasTabs;
  size_t n = 0;
  while (n < MaxLines) {
    const char* stop = nullptr;
    if constexpr (Ops::HasStride) {
      const size_t gap = static_cast<size_t>(scan - tail);
      if (gap == 0 || gap >= 16) stop = Ops::Stride(scan, tail, Available, tabs);
    }
    if (!stop) {
      stop = Ops::Find(scan, Available);
      const size_t length = static_cast<size_t>(stop - scan);
      if (!tabs) tabs = Ops::HasTab(scan, stop);
      if (tail != scan) Ops::Move(tail, scan, length);
      tail += length;
      scan = stop;
    }
    if (stop == Available) break;
    const char* next = stop + 1;
    if (*stop == '\r') {
      if (next == Available && More) break;
      if (next < Available && *next == '\n') {
        sawCRLF = true;
        ++next;
      } else {
        sawCR = true;
      }
    } else {
      sawLF = true;
    }
    Lines[n++] = {tail != out ? out : nullptr, static_cast<size_t>(tail - out), tabs};
    tabs = false;
    *tail = '\n';
    out = tail = tail + 1;
    line = scan = next;
  }
  State.Out = out;
  State.Tail = tail;
  State.Line = line;
  State.Scan = scan;
  State.SawCR = sawCR;
  State.SawLF = sawLF;
  State.SawCRLF = sawCRLF;
  State.LineHasTabs = tabs;
  return n;
}

__attribute__((target("sse2"))) size_t SplitSse2(TLineSplitState& State, const char* Available, bool More,
                                                 TSplitLine* Lines, size_t MaxLines) {
  return SplitWith<TSse2Ops>(State, Available, More, Lines, MaxLines);
}

}  // namespace

size_t SplitLinesPortable(TLineSplitState& State, const char* Available, bool More, TSplitLine* Lines,
                          size_t MaxLines) {
  return SplitWith<TPortableOps>(State, Available, More, Lines, MaxLines);
}

__attribute__((target("sse2"))) const char* FindLineBreakSse2(const char* P, const char* End) {
  return FindSse2(P, End);
}

size_t SplitLines(TLineSplitState& State, const char* Available, bool More, TSplitLine* Lines, size_t MaxLines) {
  return kHasSse2 ? SplitSse2(State, Available, More, Lines, MaxLines)
                  : SplitLinesPortable(State, Available, More, Lines, MaxLines);
}

const char* FindLineBreak(const char* P, const char* End) {
  return kHasSse2 ? FindLineBreakSse2(P, End) : FindLineBreakPortable(P, End);
}

size_t CopyToLineFeedPortable(const char* P, const char* End, char* Out, size_t Room) {
  const size_t most = std::min(static_cast<size_t>(End - P), Room);
  const void* lf = std::memchr(P, '\n', most);
  const size_t n = lf ? static_cast<size_t>(static_cast<const char*>(lf) - P) : most;
  std::memcpy(Out, P, n);
  return n;
}

// Sixteen bytes are loaded and stored at a time, whole, before the LF among them is looked
// for; only the last few bytes before End go one by one, so that nothing past End is read.
__attribute__((target("sse2"))) size_t CopyToLineFeedSse2(const char* P, const char* End, char* Out, size_t Room) {
  const __m128i lf = _mm_set1_epi8('\n');
  size_t done = 0;
  while (done < Room && End - (P + done) >= 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(P + done));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(Out + done), v);
    if (const unsigned m = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lf))))
      return std::min(done + static_cast<size_t>(__builtin_ctz(m)), Room);
    done += 16;
  }
  while (done < Room && P + done < End && P[done] != '\n') {
    Out[done] = P[done];
    ++done;
  }
  return std::min(done, Room);
}

size_t CopyToLineFeed(const char* P, const char* End, char* Out, size_t Room) {
  return kHasSse2 ? CopyToLineFeedSse2(P, End, Out, Room) : CopyToLineFeedPortable(P, End, Out, Room);
}

const char* FindTabOrLineBreakPortable(const char* P, const char* End) {
  while (End - P >= 4) {
    uint32_t w;
    std::memcpy(&w, P, 4);
    const uint32_t tab = w ^ 0x09090909u;
    if (BreakBytes(w) | ((tab - 0x01010101u) & ~tab & 0x80808080u)) break;
    P += 4;
  }
  while (P < End && *P != '\t' && *P != '\n' && *P != '\r') ++P;
  return P;
}

// Unaligned loads while sixteen bytes are left, then byte by byte: nothing past End is read.
__attribute__((target("sse2"))) const char* FindTabOrLineBreakSse2(const char* P, const char* End) {
  const __m128i tab = _mm_set1_epi8('\t');
  while (End - P >= 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(P));
    const unsigned m = BreakMask(v) | static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, tab)));
    if (m) return P + __builtin_ctz(m);
    P += 16;
  }
  while (P < End && *P != '\t' && *P != '\n' && *P != '\r') ++P;
  return P;
}

const char* FindTabOrLineBreak(const char* P, const char* End) {
  return kHasSse2 ? FindTabOrLineBreakSse2(P, End) : FindTabOrLineBreakPortable(P, End);
}

namespace {

// Widens the tab at Index (its place in the line) by what its stop adds beyond its own byte.
// The byte after the previous tab (or the line's start) stands at a stop, so the column
// within the stop counts from there, and the arithmetic stays in 32 bits with one division
// (none for a power of two).
inline void WidenTab(uint32_t Index, uint32_t Width, uint32_t& AtStop, uint64_t& Extra) {
  const uint32_t run = Index - AtStop;
  const uint32_t column = (Width & (Width - 1)) == 0 ? run & (Width - 1) : run % Width;
  Extra += Width - column - 1;
  AtStop = Index + 1;
}

}  // namespace

uint64_t TabExpandedLengthPortable(const char* P, const char* End, unsigned TabWidth) {
  const uint32_t width = TabWidth < 1 ? 1 : TabWidth;
  uint64_t extra = 0;
  uint32_t atStop = 0;
  const char* q = P;
  for (;;) {
    while (End - q >= 4) {
      uint32_t w;
      std::memcpy(&w, q, 4);
      const uint32_t t = w ^ 0x09090909u;
      if ((t - 0x01010101u) & ~t & 0x80808080u) break;
      q += 4;
    }
    while (q < End && *q != '\t') ++q;
    if (q == End) break;
    WidenTab(static_cast<uint32_t>(q - P), width, atStop, extra);
    ++q;
  }
  return static_cast<uint64_t>(End - P) + extra;
}

// Aligned loads only, as in FindSse2: the first block may start before P and the last reach
// past End, but neither leaves the 16-byte blocks that hold P and End - 1; the bits outside
// [P, End) are masked off. Each tab is taken from the mask, so a stretch without tabs costs
// one comparison per sixteen bytes.
__attribute__((target("sse2"))) uint64_t TabExpandedLengthSse2(const char* P, const char* End, unsigned TabWidth) {
  if (P >= End) return 0;
  const uint32_t width = TabWidth < 1 ? 1 : TabWidth;
  const __m128i tab = _mm_set1_epi8('\t');
  const unsigned offset = static_cast<unsigned>(reinterpret_cast<uintptr_t>(P) & 15);
  const char* block = P - offset;
  unsigned m = (static_cast<unsigned>(
                    _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_load_si128(reinterpret_cast<const __m128i*>(block)), tab))) >>
                offset)
               << offset;
  uint64_t extra = 0;
  uint32_t atStop = 0;
  for (;;) {
    const uintptr_t left = static_cast<uintptr_t>(End - block);
    if (left < 16) m &= (1u << left) - 1;
    while (m != 0) {
      const unsigned k = static_cast<unsigned>(__builtin_ctz(m));
      m &= m - 1;
      WidenTab(static_cast<uint32_t>(block + k - P), width, atStop, extra);
    }
    block += 16;
    if (block >= End) break;
    m = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_load_si128(reinterpret_cast<const __m128i*>(block)), tab)));
  }
  return static_cast<uint64_t>(End - P) + extra;
}

uint64_t TabExpandedLength(const char* P, const char* End, unsigned TabWidth) {
  return kHasSse2 ? TabExpandedLengthSse2(P, End, TabWidth) : TabExpandedLengthPortable(P, End, TabWidth);
}

bool IsSevenBitPortable(const char* P, const char* End) {
  while (End - P >= 16) {
    uint32_t w[4];
    std::memcpy(w, P, 16);
    if ((w[0] | w[1] | w[2] | w[3]) & 0x80808080u) return false;
    P += 16;
  }
  for (; P < End; ++P)
    if (static_cast<unsigned char>(*P) >= 0x80) return false;
  return true;
}

// Sixty-four bytes a step, their high bits gathered with one OR each.
__attribute__((target("sse2"))) bool IsSevenBitSse2(const char* P, const char* End) {
  while (End - P >= 64) {
    const auto* v = reinterpret_cast<const __m128i*>(P);
    const __m128i all = _mm_or_si128(_mm_or_si128(_mm_loadu_si128(v), _mm_loadu_si128(v + 1)),
                                     _mm_or_si128(_mm_loadu_si128(v + 2), _mm_loadu_si128(v + 3)));
    if (_mm_movemask_epi8(all) != 0) return false;
    P += 64;
  }
  return IsSevenBitPortable(P, End);
}

bool IsSevenBit(const char* P, const char* End) {
  return kHasSse2 ? IsSevenBitSse2(P, End) : IsSevenBitPortable(P, End);
}
