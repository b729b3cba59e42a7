// Format: printf-like formatting with the classic directives, checked against the argument
// kinds at run time.
//
//   "%" [index ":"] ["-"] [width] ["." precision] type
//
// type: d (signed integer), u (unsigned integer), x (hexadecimal), e f g n m (floats: exponent,
// fixed, general, number with thousand separators, currency), p (pointer), s (string); "%%" is
// a percent sign. The index (0-based) picks the argument and the following directives go on
// from there; "*" in the place of index, width or precision takes the next argument, which must
// be an integer. "-" justifies to the left in the width. Precision is the least number of digits
// for d, u, x, the most characters for s, decimals for f, n, m and significant digits for e, g.
// A bad directive, a missing argument or an argument of the wrong kind raises EConvertError
// "Format '%s' invalid or incompatible with argument".
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>

#include "framework/Types.h"

class TFormatArg {
 public:
  enum TKind : uint8_t { kSigned32, kUnsigned32, kSigned64, kUnsigned64, kFloat, kAnsi, kWide, kPointer };

  TFormatArg(int v) : kind_(kSigned32), int_(v) {}
  TFormatArg(long v) : kind_(kSigned32), int_(v) {}
  TFormatArg(short v) : kind_(kSigned32), int_(v) {}
  TFormatArg(signed char v) : kind_(kSigned32), int_(v) {}
  TFormatArg(unsigned v) : kind_(kUnsigned32), int_(v) {}
  TFormatArg(unsigned long v) : kind_(kUnsigned32), int_(v) {}
  TFormatArg(unsigned short v) : kind_(kUnsigned32), int_(v) {}
  TFormatArg(unsigned char v) : kind_(kUnsigned32), int_(v) {}
  TFormatArg(long long v) : kind_(kSigned64), int_(v) {}
  TFormatArg(unsigned long long v) : kind_(kUnsigned64), int_(static_cast<long long>(v)) {}
  TFormatArg(float v) : kind_(kFloat), float_(v) {}
  TFormatArg(double v) : kind_(kFloat), float_(v) {}
  TFormatArg(long double v) : kind_(kFloat), float_(v) {}
  TFormatArg(char v) : kind_(kAnsi), char_(v), ansi_(&char_, 1) {}
  TFormatArg(wchar_t v) : kind_(kWide), wchar_(v), wide_(&wchar_, 1) {}
  TFormatArg(const char* v) : kind_(kAnsi), ansi_(v ? std::string_view(v) : std::string_view()) {}
  TFormatArg(const std::string& v) : kind_(kAnsi), ansi_(v) {}
  TFormatArg(std::string_view v) : kind_(kAnsi), ansi_(v) {}
  TFormatArg(const wchar_t* v) : kind_(kWide), wide_(v ? std::wstring_view(v) : std::wstring_view()) {}
  TFormatArg(const std::wstring& v) : kind_(kWide), wide_(v) {}
  TFormatArg(std::wstring_view v) : kind_(kWide), wide_(v) {}
  template <class T>
  TFormatArg(T* v) {
    if constexpr (std::is_same_v<std::remove_cv_t<T>, char>) {
      kind_ = kAnsi;
      ansi_ = v ? std::string_view(v) : std::string_view();
    } else if constexpr (std::is_same_v<std::remove_cv_t<T>, wchar_t>) {
      kind_ = kWide;
      wide_ = v ? std::wstring_view(v) : std::wstring_view();
    } else {
      kind_ = kPointer;
      pointer_ = reinterpret_cast<const void*>(v);
    }
  }
  TFormatArg(std::nullptr_t) : kind_(kPointer) {}
  // Booleans have no directive; a compile error beats a run-time one.
  TFormatArg(bool) = delete;
  // The argument list refers to the characters; it must not outlive them.
  TFormatArg(const TFormatArg& o) { *this = o; }
  TFormatArg& operator=(const TFormatArg& o);

  TKind Kind() const { return kind_; }
  long long Int() const { return int_; }
  long double Float() const { return float_; }
  std::string_view Ansi() const { return ansi_; }
  std::wstring_view Wide() const { return wide_; }
  const void* Pointer() const { return pointer_; }

 private:
  TKind kind_ = kPointer;
  long long int_ = 0;
  long double float_ = 0;
  char char_ = 0;
  wchar_t wchar_ = 0;
  const void* pointer_ = nullptr;
  std::string_view ansi_;
  std::wstring_view wide_;
};

AnsiString FormatArgs(const AnsiString& format, std::initializer_list<TFormatArg> args);
WideString WideFormatArgs(const WideString& format, std::initializer_list<TFormatArg> args);

template <class... Args>
AnsiString Format(const AnsiString& format, const Args&... args) {
  return FormatArgs(format, {TFormatArg(args)...});
}

// As Format with a wide format string; 8-bit string arguments are converted from the ANSI
// code page.
template <class... Args>
WideString WideFormat(const WideString& format, const Args&... args) {
  return WideFormatArgs(format, {TFormatArg(args)...});
}
