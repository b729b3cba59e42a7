// Mnemonic text: stripping, escaping and finding the "&"-marked hot-key character of a caption.
#include "framework/Mnemonics.h"

#include "framework/Win.h"

namespace {

template <class String>
String Escape(const String& S) {
  String result;
  result.reserve(S.size());
  for (auto c : S) {
    result += c;
    if (c == '&') result += c;
  }
  return result;
}

template <class String>
String Unescape(const String& S) {
  String result;
  result.reserve(S.size());
  for (size_t i = 0; i < S.size(); ++i) {
    result += S[i];
    if (S[i] == '&' && i + 1 < S.size() && S[i + 1] == '&') ++i;
  }
  return result;
}

}  // namespace

WideString StripAccelChars(const WideString& S, int* AccelAt) {
  WideString result;
  result.reserve(S.size());
  int accel = -1;
  for (size_t i = 0; i < S.size(); ++i) {
    if (S[i] == L'&') {
      if (++i >= S.size()) break;
      if (S[i] != L'&') accel = static_cast<int>(result.size());
    }
    result += S[i];
  }
  if (AccelAt) *AccelAt = accel;
  return result;
}

WideString StripAccelCharsFarEast(const WideString& S) {
  WideString result;
  result.reserve(S.size());
  for (size_t i = 0; i < S.size(); ++i) {
    if (S[i] != L'&') {
      result += S[i];
      continue;
    }
    if (!result.empty() && result.back() == L'(' && i + 2 < S.size() && S[i + 2] == L')') {
      // "(&F)": the opening parenthesis is already out; the hot key and ")" follow it.
      result.pop_back();
      i += 2;
      continue;
    }
    if (i + 1 < S.size()) result += S[++i];
  }
  return result;
}

WideString EscapeAmpersands(const WideString& S) { return Escape(S); }
AnsiString EscapeAmpersands(const AnsiString& S) { return Escape(S); }
WideString UnescapeAmpersands(const WideString& S) { return Unescape(S); }
AnsiString UnescapeAmpersands(const AnsiString& S) { return Unescape(S); }

wchar_t FindAccelChar(const WideString& S) {
  wchar_t result = 0;
  for (size_t i = 0; i + 1 < S.size(); ++i) {
    if (S[i] != L'&') continue;
    if (S[i + 1] != L'&') result = S[i + 1];
    ++i;  // the character after "&" is taken, a doubled "&" included
  }
  return result;
}

wchar_t AccelCharUpper(wchar_t Ch) {
  CharUpperBuffW(&Ch, 1);
  return Ch;
}

bool IsAccelChar(wchar_t Ch, const WideString& Caption) {
  wchar_t accel = FindAccelChar(Caption);
  return accel != 0 && Ch != 0 && AccelCharUpper(accel) == AccelCharUpper(Ch);
}

WideString StripTrailingPunctuation(const WideString& S) {
  size_t n = S.size();
  if (n > 1 && S[n - 1] == L':') return S.substr(0, n - 1);
  if (n > 3 && S.compare(n - 3, 3, L"...") == 0) return S.substr(0, n - 3);
  return S;
}
