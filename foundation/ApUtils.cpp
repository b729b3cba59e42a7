// Value and string routines.
#include "foundation/ApUtils.h"

#include <cstdlib>

#include "framework/Conversions.h"
#include "framework/Variant.h"

namespace {

const char kHexUpper[] = "0123456789ABCDEF";
const char kHexLower[] = "0123456789abcdef";
const char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The value of a two-digit hexadecimal pair, -1 when it is not one.
int HexPair(char high, char low) {
  int h = HexDigit(high), l = HexDigit(low);
  return h < 0 || l < 0 ? -1 : h * 16 + l;
}

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

bool IsWordChar(char c, const TSysCharSet& delimiters) { return !CharSetHas(delimiters, c); }

}  // namespace

AnsiString DeleteLeadingSpaces(std::string_view S) {
  size_t b = S.find_first_not_of(' ');
  return b == std::string_view::npos ? AnsiString() : AnsiString(S.substr(b));
}

AnsiString DeleteTrailingSpaces(std::string_view S) {
  size_t e = S.find_last_not_of(' ');
  return e == std::string_view::npos ? AnsiString() : AnsiString(S.substr(0, e + 1));
}

AnsiString DeleteOuterSpaces(std::string_view S) { return DeleteTrailingSpaces(DeleteLeadingSpaces(S)); }

AnsiString DeleteChars(std::string_view S, char Ch) {
  AnsiString r;
  r.reserve(S.size());
  for (char c : S)
    if (c != Ch) r += c;
  return r;
}

AnsiString RepeatChar(char Ch, int N) { return N < 1 ? AnsiString() : AnsiString(static_cast<size_t>(N), Ch); }

AnsiString ReplaceText(std::string_view S, std::string_view Search, std::string_view Replace) {
  if (Search.empty()) return AnsiString(S);
  AnsiString r;
  r.reserve(S.size());
  size_t start = 0;
  for (;;) {
    size_t at = S.find(Search, start);
    if (at == std::string_view::npos) break;
    r.append(S.substr(start, at - start));
    r.append(Replace);
    start = at + Search.size();
  }
  r.append(S.substr(start));
  return r;
}

int FindWordPosition(int N, std::string_view S, const TSysCharSet& Delimiters) {
  int count = 0;
  size_t i = 0;
  while (i < S.size()) {
    while (i < S.size() && !IsWordChar(S[i], Delimiters)) ++i;
    if (i >= S.size()) break;
    if (++count == N) return static_cast<int>(i + 1);
    while (i < S.size() && IsWordChar(S[i], Delimiters)) ++i;
  }
  return 0;
}

AnsiString WordAt(int N, std::string_view S, const TSysCharSet& Delimiters) {
  int pos = FindWordPosition(N, S, Delimiters);
  if (pos == 0) return AnsiString();
  size_t b = static_cast<size_t>(pos - 1), e = b;
  while (e < S.size() && IsWordChar(S[e], Delimiters)) ++e;
  return AnsiString(S.substr(b, e - b));
}

AnsiString BufferToHexText(const void* Buffer, int Count) {
  AnsiString r;
  if (!Buffer || Count <= 0) return r;
  const auto* p = static_cast<const unsigned char*>(Buffer);
  r.reserve(static_cast<size_t>(Count) * 2);
  for (int i = 0; i < Count; ++i) {
    r += kHexUpper[p[i] >> 4];
    r += kHexUpper[p[i] & 15];
  }
  return r;
}

int HexTextToBuffer(std::string_view Text, void* Buffer, int Count) {
  AnsiString text(Text);
  if (text.size() % 2) text.insert(text.begin(), '0');
  int pairs = static_cast<int>(text.size() / 2);
  int n = Count < pairs ? Count : pairs;
  auto* out = static_cast<unsigned char*>(Buffer);
  for (int i = 0; i < n; ++i) {
    int v = HexPair(text[static_cast<size_t>(2 * i)], text[static_cast<size_t>(2 * i + 1)]);
    if (v < 0) RaiseConvertError("$" + text.substr(static_cast<size_t>(2 * i), 2), L"is not a valid integer value");
    out[i] = static_cast<unsigned char>(v);
  }
  return n < 0 ? 0 : n;
}

AnsiString XorKeyToHex(std::string_view Key, std::string_view Source) {
  AnsiString r;
  r.reserve(Source.size() * 2);
  for (size_t i = 0; i < Source.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(Source[i]);
    if (!Key.empty()) c ^= static_cast<unsigned char>(Key[i % Key.size()]);
    r += kHexLower[c >> 4];
    r += kHexLower[c & 15];
  }
  return r;
}

AnsiString XorHexToText(std::string_view Key, std::string_view Source) {
  AnsiString r;
  size_t pairs = Source.size() / 2;
  r.reserve(pairs);
  for (size_t i = 0; i < pairs; ++i) {
    int v = HexPair(Source[2 * i], Source[2 * i + 1]);
    unsigned char c = static_cast<unsigned char>(v < 0 ? 32 : v);
    if (!Key.empty()) c ^= static_cast<unsigned char>(Key[i % Key.size()]);
    r += static_cast<char>(c);
  }
  return r;
}

AnsiString ToValueText(std::string_view S, char DecimalSeparator, char ThousandSeparator) {
  AnsiString s = DeleteOuterSpaces(S);
  if (DecimalSeparator != ThousandSeparator) s = DeleteChars(s, ThousandSeparator);
  if (DecimalSeparator != '.' && ThousandSeparator != '.') StrSwapChar(s, '.', DecimalSeparator);
  if (DecimalSeparator != ',' && ThousandSeparator != ',') StrSwapChar(s, ',', DecimalSeparator);
  AnsiString r;
  for (char c : s)
    if ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == DecimalSeparator || c == ThousandSeparator) r += c;
  if (r.empty()) return "0";
  if (r == "-") return "-0";
  return r;
}

AnsiString ToValueText(std::string_view S) {
  return ToValueText(S, FormatSettings.DecimalSeparator, FormatSettings.ThousandSeparator);
}

bool IsIntegerVariant(const TVariant& V) {
  switch (V.VarType()) {
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord: return true;
    default: return false;
  }
}

int RectWidth(const TRect& R) { return std::abs(R.Right - R.Left); }
int RectHeight(const TRect& R) { return std::abs(R.Bottom - R.Top); }

AnsiString EncodeBase64Lines(std::string_view S) {
  AnsiString r;
  if (S.empty()) return r;
  const size_t n = S.size();
  r.reserve(4 * ((n + 2) / 3) + 2 * ((n - 1) / 57));
  for (size_t i = 0; i < n; i += 3) {
    if (i > 0 && i % 57 == 0) r += "\r\n";
    unsigned b0 = static_cast<unsigned char>(S[i]);
    unsigned b1 = i + 1 < n ? static_cast<unsigned char>(S[i + 1]) : 0;
    unsigned b2 = i + 2 < n ? static_cast<unsigned char>(S[i + 2]) : 0;
    unsigned group = (b0 << 16) | (b1 << 8) | b2;
    r += kBase64[(group >> 18) & 63];
    r += kBase64[(group >> 12) & 63];
    r += i + 1 < n ? kBase64[(group >> 6) & 63] : '=';
    r += i + 2 < n ? kBase64[group & 63] : '=';
  }
  return r;
}

AnsiString DecodeBase64Text(std::string_view S) {
  AnsiString r;
  r.reserve(S.size() / 4 * 3 + 2);
  unsigned group = 0;
  int have = 0;
  for (char c : S) {
    int v = Base64Value(c);
    if (v < 0) continue;
    group = (group << 6) | static_cast<unsigned>(v);
    if (++have == 4) {
      r += static_cast<char>((group >> 16) & 255);
      r += static_cast<char>((group >> 8) & 255);
      r += static_cast<char>(group & 255);
      group = 0;
      have = 0;
    }
  }
  if (have == 2) {
    r += static_cast<char>((group >> 4) & 255);
  } else if (have == 3) {
    r += static_cast<char>((group >> 10) & 255);
    r += static_cast<char>((group >> 2) & 255);
  }
  return r;
}
