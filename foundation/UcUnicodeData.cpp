// Unicode character data and normalization.
#include "foundation/UcUnicodeData.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <memory>

#include "foundation/UcWideSys.h"
#include "framework/Locks.h"

namespace {

using TMapping = std::vector<uint32_t>;
using TMappingRow = std::array<TMapping, 256>;

struct TCompositionRecord {
  uint32_t Key;
  uint32_t Composite;
};

// The tables, each filled once under the lock; a set flag means the table is complete.
struct TCharData {
  TCriticalSection Lock;
  std::atomic<bool> DecompositionLoaded{false};
  std::atomic<bool> CombiningLoaded{false};
  std::atomic<bool> CompositionLoaded{false};
  std::atomic<bool> QuickCheckLoaded{false};
  std::array<std::unique_ptr<TMappingRow>, 256> Canonical;
  std::array<std::unique_ptr<TMappingRow>, 256> Compatible;
  std::array<std::unique_ptr<std::array<uint8_t, 256>>, 256> Combining;
  std::vector<TCompositionRecord> Compositions;
  // Per code, bit (1 << form): the character is a starter that stays as it is in that form
  // and never combines with what stands before it.
  std::vector<uint8_t> Stable;
};

TCharData& Data() {
  static TCharData data;
  return data;
}

// The resource's bytes as 32-bit words; empty when the program carries no such resource.
std::vector<uint32_t> ReadResource(const wchar_t* Name) {
  std::vector<uint32_t> words;
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC info = FindResourceW(module, Name, L"UNICODEDATA");
  if (!info) return words;
  HGLOBAL global = LoadResource(module, info);
  DWORD size = SizeofResource(module, info);
  const void* p = global ? LockResource(global) : nullptr;
  if (p) {
    words.resize(size / 4);
    std::memcpy(words.data(), p, words.size() * 4);
  }
  return words;
}

constexpr uint32_t kCompatibleFlag = 1u << 30;

void LoadDecomposition(TCharData& d) {
  std::vector<uint32_t> w = ReadResource(L"DECOMPOSITION");
  size_t i = 1, n = w.size();
  uint32_t count = n > 0 ? w[0] : 0;
  for (uint32_t r = 0; r < count && i + 2 <= n; ++r) {
    uint32_t word = w[i], length = w[i + 1];
    i += 2;
    if (length > n - i) break;
    auto& rows = (word & kCompatibleFlag) ? d.Compatible : d.Canonical;
    unsigned hi = (word >> 8) & 0xFF, lo = word & 0xFF;
    if (!rows[hi]) rows[hi] = std::make_unique<TMappingRow>();
    (*rows[hi])[lo].assign(w.begin() + static_cast<ptrdiff_t>(i), w.begin() + static_cast<ptrdiff_t>(i + length));
    i += length;
  }
}

void LoadCombining(TCharData& d) {
  std::vector<uint32_t> w = ReadResource(L"COMBINING");
  size_t i = 0, n = w.size();
  while (i + 2 <= n) {
    uint32_t cls = w[i], ranges = w[i + 1];
    i += 2;
    for (uint32_t r = 0; r < ranges && i + 2 <= n; ++r, i += 2) {
      uint32_t first = w[i], last = std::min<uint32_t>(w[i + 1], 0xFFFF);
      for (uint32_t c = first; c <= last; ++c) {
        auto& row = d.Combining[c >> 8];
        if (!row) row = std::make_unique<std::array<uint8_t, 256>>(std::array<uint8_t, 256>{});
        (*row)[c & 0xFF] = static_cast<uint8_t>(cls);
      }
    }
  }
}

void LoadComposition(TCharData& d) {
  std::vector<uint32_t> w = ReadResource(L"COMPOSITION");
  uint32_t count = w.empty() ? 0 : w[0];
  for (size_t r = 0; r < count && 2 + 2 * r < w.size(); ++r) d.Compositions.push_back({w[1 + 2 * r], w[2 + 2 * r]});
  std::sort(d.Compositions.begin(), d.Compositions.end(),
            [](const TCompositionRecord& a, const TCompositionRecord& b) { return a.Key < b.Key; });
}

template <class F>
void EnsureLoaded(std::atomic<bool>& Loaded, F Load) {
  if (Loaded.load(std::memory_order_acquire)) return;
  TCharData& d = Data();
  TCriticalSectionGuard guard(d.Lock);
  if (Loaded.load(std::memory_order_relaxed)) return;
  Load(d);
  Loaded.store(true, std::memory_order_release);
}

const TMapping* FindMapping(uint16_t Code, bool Compatible) {
  TCharData& d = Data();
  EnsureLoaded(d.DecompositionLoaded, LoadDecomposition);
  const auto& rows = Compatible ? d.Compatible : d.Canonical;
  const auto& row = rows[Code >> 8];
  if (!row) return nullptr;
  const TMapping& m = (*row)[Code & 0xFF];
  return m.empty() ? nullptr : &m;
}

// ---- normalization ----

constexpr uint32_t SBase = 0xAC00, LBase = 0x1100, VBase = 0x1161, TBase = 0x11A7;
constexpr uint32_t LCount = 19, VCount = 21, TCount = 28, NCount = VCount * TCount, SCount = LCount * NCount;

uint8_t ClassOf(uint32_t Code) { return Code > 0xFFFF ? 0 : CanonicalCombiningClass(static_cast<uint16_t>(Code)); }

void Decompose(uint32_t Code, bool Compatible, std::vector<uint32_t>& Out) {
  if (Code >= SBase && Code < SBase + SCount) {
    uint32_t s = Code - SBase;
    Out.push_back(LBase + s / NCount);
    Out.push_back(VBase + (s % NCount) / TCount);
    if (s % TCount != 0) Out.push_back(TBase + s % TCount);
    return;
  }
  const TMapping* m = nullptr;
  if (Code <= 0xFFFF) {
    if (Compatible) m = FindMapping(static_cast<uint16_t>(Code), true);
    if (!m) m = FindMapping(static_cast<uint16_t>(Code), false);
  }
  if (!m) {
    Out.push_back(Code);
    return;
  }
  for (uint32_t c : *m) Decompose(c, Compatible, Out);
}

// Stable reordering of each run of non-starters by combining class.
void ReorderCanonically(std::vector<uint32_t>& Codes) {
  size_t n = Codes.size();
  for (size_t i = 0; i < n;) {
    if (ClassOf(Codes[i]) == 0) {
      ++i;
      continue;
    }
    size_t end = i;
    while (end < n && ClassOf(Codes[end]) != 0) ++end;
    if (end - i > 1)
      std::stable_sort(Codes.begin() + static_cast<ptrdiff_t>(i), Codes.begin() + static_cast<ptrdiff_t>(end),
                       [](uint32_t a, uint32_t b) { return ClassOf(a) < ClassOf(b); });
    i = end;
  }
}

void ComposeHangul(std::vector<uint32_t>& Codes) {
  size_t out = 0;
  for (size_t i = 0; i < Codes.size(); ++i) {
    uint32_t c = Codes[i];
    if (out > 0) {
      uint32_t last = Codes[out - 1];
      if (last >= LBase && last < LBase + LCount && c >= VBase && c < VBase + VCount) {
        Codes[out - 1] = SBase + ((last - LBase) * VCount + (c - VBase)) * TCount;
        continue;
      }
      if (last >= SBase && last < SBase + SCount && (last - SBase) % TCount == 0 && c > TBase && c < TBase + TCount) {
        Codes[out - 1] = last + (c - TBase);
        continue;
      }
    }
    Codes[out++] = c;
  }
  Codes.resize(out);
}

void ComposeCanonically(std::vector<uint32_t>& Codes) {
  if (Codes.empty()) return;
  size_t starterPos = 0;
  uint32_t starter = Codes[0];
  int lastClass = ClassOf(starter) != 0 ? 256 : 0;
  size_t out = 1;
  for (size_t i = 1; i < Codes.size(); ++i) {
    uint32_t c = Codes[i];
    int cls = ClassOf(c);
    uint16_t composite = 0;
    if (starter <= 0xFFFF && c <= 0xFFFF && (lastClass < cls || lastClass == 0) &&
        UnicodeCompose(static_cast<uint16_t>(starter), static_cast<uint16_t>(c), composite)) {
      Codes[starterPos] = starter = composite;
      continue;
    }
    if (cls == 0) {
      starterPos = out;
      starter = c;
    }
    lastClass = cls;
    Codes[out++] = c;
  }
  Codes.resize(out);
}

WideString NormalizeFully(const WideString& S, TNormalizationForm Form) {
  bool compatible = Form == nfKC || Form == nfKD;
  std::vector<uint32_t> codes;
  codes.reserve(S.size() + 8);
  for (wchar_t ch : S) Decompose(static_cast<uint16_t>(ch), compatible, codes);
  ReorderCanonically(codes);
  if (Form == nfC || Form == nfKC) {
    ComposeHangul(codes);
    ComposeCanonically(codes);
  }
  WideString out;
  out.reserve(codes.size());
  for (uint32_t c : codes) {
    if (c > 0xFFFF) {
      out += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<wchar_t>(c);
    }
  }
  return out;
}

void LoadQuickCheck(TCharData& d) {
  EnsureLoaded(d.CompositionLoaded, LoadComposition);
  std::vector<bool> second(0x10000, false);
  for (const TCompositionRecord& r : d.Compositions) second[r.Key & 0xFFFF] = true;
  for (uint32_t c = VBase; c < VBase + VCount; ++c) second[c] = true;
  for (uint32_t c = TBase + 1; c < TBase + TCount; ++c) second[c] = true;
  std::vector<uint8_t> stable(0x10000, 0);
  for (uint32_t c = 0; c <= 0xFFFF; ++c) {
    if (second[c] || ClassOf(c) != 0) continue;
    auto code = static_cast<uint16_t>(c);
    bool hangul = c >= SBase && c < SBase + SCount;
    bool canonical = hangul || FindMapping(code, false);
    bool compatible = canonical || FindMapping(code, true);
    WideString one(1, static_cast<wchar_t>(c));
    uint8_t bits = 0;
    if (!canonical) bits |= 1 << nfD;
    if (!compatible) bits |= 1 << nfKD;
    if (!canonical || NormalizeFully(one, nfC) == one) bits |= 1 << nfC;
    if (!compatible || NormalizeFully(one, nfKC) == one) bits |= 1 << nfKC;
    stable[c] = bits;
  }
  d.Stable = std::move(stable);
}

}  // namespace

WideString DecodeUtf8ToWide(const std::string& S) { return ucutf8::Decode(S.data(), S.size(), true); }

std::string EncodeWideToUtf8(const WideString& S) { return ucutf8::Encode(S.data(), S.size(), true); }

void SwapWideCharBytes(wchar_t* P, size_t Count) { WideSwapByteOrder(P, Count); }

void SwapWideCharBytes(WideString& S) { WideSwapByteOrder(S.data(), S.size()); }

void SwapWideCharBytes(wchar_t* P) { WideSwapByteOrder(P); }

std::vector<uint32_t> UnicodeDecompose(uint16_t Code, bool Compatible) {
  const TMapping* m = Compatible ? FindMapping(Code, true) : nullptr;
  if (!m) m = FindMapping(Code, false);
  return m ? *m : std::vector<uint32_t>();
}

uint8_t CanonicalCombiningClass(uint16_t Code) {
  TCharData& d = Data();
  EnsureLoaded(d.CombiningLoaded, LoadCombining);
  const auto& row = d.Combining[Code >> 8];
  return row ? (*row)[Code & 0xFF] : 0;
}

bool UnicodeCompose(uint16_t First, uint16_t Second, uint16_t& Composite) {
  TCharData& d = Data();
  EnsureLoaded(d.CompositionLoaded, LoadComposition);
  uint32_t key = (static_cast<uint32_t>(First) << 16) | Second;
  auto it = std::lower_bound(d.Compositions.begin(), d.Compositions.end(), key,
                             [](const TCompositionRecord& r, uint32_t k) { return r.Key < k; });
  if (it == d.Compositions.end() || it->Key != key) return false;
  Composite = static_cast<uint16_t>(it->Composite);
  return true;
}

WideString WideNormalize(const WideString& S, TNormalizationForm Form) {
  if (Form == nfNone || Form > nfKD || S.empty()) return S;
  // Most text needs no work: when every character is a stable starter of the form, the text
  // is already normalized.
  const uint8_t bit = static_cast<uint8_t>(1u << Form);
  bool allBelow300 = true;
  for (wchar_t ch : S)
    if (static_cast<uint16_t>(ch) >= 0x300) {
      allBelow300 = false;
      break;
    }
  if (allBelow300 && Form == nfC) return S;
  TCharData& d = Data();
  EnsureLoaded(d.QuickCheckLoaded, LoadQuickCheck);
  const uint8_t* stable = d.Stable.data();
  bool quick = true;
  for (wchar_t ch : S)
    if ((stable[static_cast<uint16_t>(ch)] & bit) == 0) {
      quick = false;
      break;
    }
  if (quick) return S;
  return NormalizeFully(S, Form);
}

uint32_t CodePageFromLocale(LCID Locale) { return LCIDToCodePage(Locale); }
