// String routines over the system's casing and collation functions.
#include "framework/StrRoutines.h"

#include <algorithm>
#include <climits>

#include "framework/Win.h"

namespace {

// Wide characters are unsigned on this target; 8-bit ones must be widened without a sign so
// that accented letters (above 127) never count as blanks.
unsigned Code(char c) { return static_cast<unsigned char>(c); }
unsigned Code(wchar_t c) { return static_cast<unsigned>(c); }

template <class S>
S TrimLeftOf(const S& s) {
  size_t i = 0;
  while (i < s.size() && Code(s[i]) <= ' ') ++i;
  return s.substr(i);
}

template <class S>
S TrimRightOf(const S& s) {
  size_t n = s.size();
  while (n > 0 && Code(s[n - 1]) <= ' ') --n;
  return s.substr(0, n);
}

template <class S>
S TrimBoth(const S& s) {
  size_t first = 0, last = s.size();
  while (first < last && Code(s[first]) <= ' ') ++first;
  while (last > first && Code(s[last - 1]) <= ' ') --last;
  return s.substr(first, last - first);
}

int Sign(int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

// CompareString results are 1, 2, 3 for less, equal, greater; 0 on failure.
int FromCompareResult(int r) { return r - CSTR_EQUAL; }

template <class S>
int OrdinalCompare(const S& a, const S& b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned ca = Code(a[i]), cb = Code(b[i]);
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int AnsiCollate(const AnsiString& a, const AnsiString& b, DWORD flags) {
  if (a.size() > INT_MAX || b.size() > INT_MAX) return OrdinalCompare(a, b);
  int r = CompareStringA(LOCALE_USER_DEFAULT, flags, a.data(), static_cast<int>(a.size()), b.data(),
                         static_cast<int>(b.size()));
  if (r == 0) return flags ? OrdinalCompare(AnsiUpperCase(a), AnsiUpperCase(b)) : OrdinalCompare(a, b);
  return FromCompareResult(r);
}

int WideCollate(const WideString& a, const WideString& b, DWORD flags) {
  if (a.size() > INT_MAX || b.size() > INT_MAX) return OrdinalCompare(a, b);
  int r = CompareStringW(LOCALE_USER_DEFAULT, flags, a.data(), static_cast<int>(a.size()), b.data(),
                         static_cast<int>(b.size()));
  if (r == 0) return flags ? OrdinalCompare(WideUpperCase(a), WideUpperCase(b)) : OrdinalCompare(a, b);
  return FromCompareResult(r);
}

template <class S, class C>
S QuoteWith(const S& s, C quote) {
  S out;
  out.reserve(s.size() + 2);
  out += quote;
  for (C c : s) {
    out += c;
    if (c == quote) out += quote;
  }
  out += quote;
  return out;
}

template <class S>
S ReplaceIn(const S& s, const S& oldPattern, const S& newPattern, TReplaceFlags flags, const S& searchIn,
            const S& searchFor) {
  if (oldPattern.empty()) return s;
  S out;
  size_t from = 0;
  while (from <= s.size()) {
    size_t at = searchIn.find(searchFor, from);
    if (at == S::npos) break;
    out.append(s, from, at - from);
    out += newPattern;
    from = at + oldPattern.size();
    if (!flags.Contains(rfReplaceAll)) break;
  }
  if (from < s.size()) out.append(s, from, S::npos);
  return out;
}

template <class S>
int PosFrom(const S& sub, const S& s, int offset) {
  if (sub.empty() || offset < 1 || static_cast<size_t>(offset) > s.size()) return 0;
  size_t at = s.find(sub, static_cast<size_t>(offset - 1));
  return at == S::npos || at > static_cast<size_t>(INT_MAX) ? 0 : static_cast<int>(at) + 1;
}

template <class S>
int LastDelimiterOf(const S& delimiters, const S& s) {
  size_t at = s.find_last_of(delimiters);
  return at == S::npos || at > static_cast<size_t>(INT_MAX) ? 0 : static_cast<int>(at) + 1;
}

template <class S>
bool IsDelimiterAt(const S& delimiters, const S& s, int index) {
  if (index < 1 || static_cast<size_t>(index) > s.size()) return false;
  return delimiters.find(s[static_cast<size_t>(index) - 1]) != S::npos;
}

template <class S>
S AdjustBreaks(const S& s, TTextLineBreakStyle style) {
  S out;
  out.reserve(s.size() + s.size() / 16);
  for (size_t i = 0; i < s.size(); ++i) {
    auto c = s[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
      if (style == tlbsCRLF) out += static_cast<decltype(c)>('\r');
      out += static_cast<decltype(c)>('\n');
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

AnsiString Trim(const AnsiString& s) { return TrimBoth(s); }
AnsiString TrimLeft(const AnsiString& s) { return TrimLeftOf(s); }
AnsiString TrimRight(const AnsiString& s) { return TrimRightOf(s); }
WideString Trim(const WideString& s) { return TrimBoth(s); }
WideString TrimLeft(const WideString& s) { return TrimLeftOf(s); }
WideString TrimRight(const WideString& s) { return TrimRightOf(s); }

AnsiString UpperCase(const AnsiString& s) {
  AnsiString r = s;
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return r;
}

AnsiString LowerCase(const AnsiString& s) {
  AnsiString r = s;
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return r;
}

AnsiString AnsiUpperCase(const AnsiString& s) {
  AnsiString r = s;
  if (!r.empty() && r.size() <= UINT_MAX) CharUpperBuffA(r.data(), static_cast<DWORD>(r.size()));
  return r;
}

AnsiString AnsiLowerCase(const AnsiString& s) {
  AnsiString r = s;
  if (!r.empty() && r.size() <= UINT_MAX) CharLowerBuffA(r.data(), static_cast<DWORD>(r.size()));
  return r;
}

WideString WideUpperCase(const WideString& s) {
  WideString r = s;
  if (!r.empty() && r.size() <= UINT_MAX) CharUpperBuffW(r.data(), static_cast<DWORD>(r.size()));
  return r;
}

WideString WideLowerCase(const WideString& s) {
  WideString r = s;
  if (!r.empty() && r.size() <= UINT_MAX) CharLowerBuffW(r.data(), static_cast<DWORD>(r.size()));
  return r;
}

int CompareStr(std::string_view a, std::string_view b) { return OrdinalCompare(a, b); }

int CompareText(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned ca = Code(a[i]), cb = Code(b[i]);
    if (ca >= 'a' && ca <= 'z') ca -= 'a' - 'A';
    if (cb >= 'a' && cb <= 'z') cb -= 'a' - 'A';
    if (ca != cb) return Sign(static_cast<int>(ca) - static_cast<int>(cb));
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool SameText(std::string_view a, std::string_view b) { return a.size() == b.size() && CompareText(a, b) == 0; }

int AnsiCompareStr(const AnsiString& a, const AnsiString& b) { return AnsiCollate(a, b, 0); }
int AnsiCompareText(const AnsiString& a, const AnsiString& b) { return AnsiCollate(a, b, NORM_IGNORECASE); }
bool AnsiSameStr(const AnsiString& a, const AnsiString& b) { return a == b; }
bool AnsiSameText(const AnsiString& a, const AnsiString& b) { return AnsiCompareText(a, b) == 0; }
int WideCompareStr(const WideString& a, const WideString& b) { return WideCollate(a, b, 0); }
int WideCompareText(const WideString& a, const WideString& b) { return WideCollate(a, b, NORM_IGNORECASE); }
bool WideSameStr(const WideString& a, const WideString& b) { return a == b; }
bool WideSameText(const WideString& a, const WideString& b) { return WideCompareText(a, b) == 0; }

AnsiString QuotedStr(const AnsiString& s) { return QuoteWith(s, '\''); }
AnsiString AnsiQuotedStr(const AnsiString& s, char quote) { return QuoteWith(s, quote); }
WideString WideQuotedStr(const WideString& s, wchar_t quote) { return QuoteWith(s, quote); }

AnsiString AnsiExtractQuotedStr(const char*& src, char quote) {
  if (!src || *src != quote) return AnsiString();
  AnsiString out;
  const char* p = src + 1;
  while (*p) {
    if (*p == quote) {
      if (p[1] != quote) {
        ++p;
        src = p;
        return out;
      }
      ++p;  // a doubled quote stands for one
    } else if (IsDBCSLeadByte(static_cast<BYTE>(*p)) && p[1]) {
      out += *p++;
    }
    out += *p++;
  }
  src = p;
  return out;
}

AnsiString AnsiDequotedStr(const AnsiString& s, char quote) {
  if (s.empty() || s[0] != quote || s.find('\0') != AnsiString::npos) return s;
  const char* p = s.c_str();
  AnsiString inner = AnsiExtractQuotedStr(p, quote);
  bool closed = p > s.c_str() + 1 && p[-1] == quote;
  if (!closed || *p != '\0') return s;
  return inner;
}

AnsiString StringReplace(const AnsiString& s, const AnsiString& oldPattern, const AnsiString& newPattern,
                         TReplaceFlags flags) {
  if (flags.Contains(rfIgnoreCase))
    return ReplaceIn(s, oldPattern, newPattern, flags, AnsiUpperCase(s), AnsiUpperCase(oldPattern));
  return ReplaceIn(s, oldPattern, newPattern, flags, s, oldPattern);
}

WideString StringReplace(const WideString& s, const WideString& oldPattern, const WideString& newPattern,
                         TReplaceFlags flags) {
  if (flags.Contains(rfIgnoreCase))
    return ReplaceIn(s, oldPattern, newPattern, flags, WideUpperCase(s), WideUpperCase(oldPattern));
  return ReplaceIn(s, oldPattern, newPattern, flags, s, oldPattern);
}

int Pos(const AnsiString& sub, const AnsiString& s) { return PosFrom(sub, s, 1); }
int Pos(const WideString& sub, const WideString& s) { return PosFrom(sub, s, 1); }
int PosEx(const AnsiString& sub, const AnsiString& s, int offset) { return PosFrom(sub, s, offset); }
int PosEx(const WideString& sub, const WideString& s, int offset) { return PosFrom(sub, s, offset); }

AnsiString StringOfChar(char ch, int count) {
  return count > 0 ? AnsiString(static_cast<size_t>(count), ch) : AnsiString();
}
WideString StringOfChar(wchar_t ch, int count) {
  return count > 0 ? WideString(static_cast<size_t>(count), ch) : WideString();
}

int LastDelimiter(const AnsiString& delimiters, const AnsiString& s) { return LastDelimiterOf(delimiters, s); }
int LastDelimiter(const WideString& delimiters, const WideString& s) { return LastDelimiterOf(delimiters, s); }
bool IsDelimiter(const AnsiString& delimiters, const AnsiString& s, int index) {
  return IsDelimiterAt(delimiters, s, index);
}
bool IsDelimiter(const WideString& delimiters, const WideString& s, int index) {
  return IsDelimiterAt(delimiters, s, index);
}

AnsiString AdjustLineBreaks(const AnsiString& s, TTextLineBreakStyle style) { return AdjustBreaks(s, style); }
WideString AdjustLineBreaks(const WideString& s, TTextLineBreakStyle style) { return AdjustBreaks(s, style); }

std::vector<AnsiString> SplitLines(const AnsiString& Text) {
  std::vector<AnsiString> lines;
  size_t start = 0;
  for (size_t i = 0; i < Text.size(); ++i) {
    if (Text[i] != '\r' && Text[i] != '\n') continue;
    lines.push_back(Text.substr(start, i - start));
    if (Text[i] == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < Text.size()) lines.push_back(Text.substr(start));
  return lines;
}
