// Code-page conversions over MultiByteToWideChar / WideCharToMultiByte.
#include "framework/CodePages.h"

#include "framework/Win.h"

namespace {

// The code pages that reject the flags argument of WideCharToMultiByte.
bool RejectsFlags(unsigned cp) {
  return cp == CP_UTF7 || cp == CP_UTF8 || cp == 50220 || cp == 50221 || cp == 50222 || cp == 50225 || cp == 50227 ||
         cp == 50229 || cp == 52936 || cp == 54936 || (cp >= 57002 && cp <= 57011) || cp == 42;
}

}  // namespace

WideString AnsiToWide(const char* s, size_t length, unsigned codePage) {
  if (length == 0) return WideString();
  int n = MultiByteToWideChar(codePage, 0, s, static_cast<int>(length), nullptr, 0);
  if (n <= 0) return WideString();
  WideString out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, s, static_cast<int>(length), out.data(), n);
  return out;
}

WideString AnsiToWide(const AnsiString& s, unsigned codePage) { return AnsiToWide(s.data(), s.size(), codePage); }

namespace {

AnsiString Narrow(const WideString& s, unsigned codePage, bool bestFit, bool* lossy) {
  if (lossy) *lossy = false;
  if (s.empty()) return AnsiString();
  DWORD flags = (bestFit || RejectsFlags(codePage)) ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* usedDefaultPtr = (lossy && !RejectsFlags(codePage)) ? &usedDefault : nullptr;
  int n = WideCharToMultiByte(codePage, flags, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return AnsiString();
  AnsiString out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(codePage, flags, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr, usedDefaultPtr);
  if (lossy) *lossy = usedDefault != FALSE;
  return out;
}

}  // namespace

AnsiString WideToAnsi(const WideString& s, unsigned codePage, bool bestFit) {
  return Narrow(s, codePage, bestFit, nullptr);
}

AnsiString WideToAnsiChecked(const WideString& s, bool& lossy, unsigned codePage) {
  return Narrow(s, codePage, false, &lossy);
}

WideString Utf8ToWide(const std::string& s) { return AnsiToWide(s, CP_UTF8); }

std::string WideToUtf8(const WideString& s) { return Narrow(s, CP_UTF8, true, nullptr); }

unsigned AnsiCodePage() { return GetACP(); }
