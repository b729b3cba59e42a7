// Conversions between numbers and text, and the locale settings they follow.
//
// The integer text form: leading blanks, an optional sign, then decimal digits, or hexadecimal
// digits after "$", "x" or "0x". Hexadecimal texts wrap at the type's width, so "$FFFFFFFF"
// reads as -1 into a 32-bit integer. Floats use the settings' decimal separator; "long double"
// is the 80-bit extended type of this target.
#pragma once

#include <cstdint>
#include <string>

#include "framework/Exceptions.h"
#include "framework/TypeInfo.h"
#include "framework/Types.h"

struct TFormatSettings {
  char DecimalSeparator = '.';
  char ThousandSeparator = ',';
  char DateSeparator = '/';
  char TimeSeparator = ':';
  char ListSeparator = ',';
  AnsiString CurrencyString = "$";
  uint8_t CurrencyFormat = 0;  // 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $"
  uint8_t NegCurrFormat = 0;   // 0 "($1)" ... 15 "(1 $)", the system's numbering
  uint8_t CurrencyDecimals = 2;
  AnsiString ShortDateFormat = "M/d/yyyy";
  AnsiString LongDateFormat = "dddd, MMMM d, yyyy";
  AnsiString ShortTimeFormat = "h:mm AMPM";
  AnsiString LongTimeFormat = "h:mm:ss AMPM";
  AnsiString TimeAMString = "AM";
  AnsiString TimePMString = "PM";
  AnsiString ShortMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  AnsiString LongMonthNames[12] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};
  // Index 0 is Sunday.
  AnsiString ShortDayNames[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  AnsiString LongDayNames[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
  // Two-digit years are placed within this many years before the current year (0: the
  // current century).
  int TwoDigitYearCenturyWindow = 50;

  // The fixed English (United States) settings; what tests start from.
  static TFormatSettings English() { return TFormatSettings(); }
  // The settings of the user's locale.
  static TFormatSettings FromUserLocale();
};

// The process's settings, read from the user's locale at start-up. Tests may assign them.
extern TFormatSettings FormatSettings;

// Puts settings in place for its lifetime (for tests that need a particular locale).
class TFormatSettingsOverride {
 public:
  explicit TFormatSettingsOverride(const TFormatSettings& settings) : saved_(FormatSettings) {
    FormatSettings = settings;
  }
  ~TFormatSettingsOverride() { FormatSettings = saved_; }
  TFormatSettingsOverride(const TFormatSettingsOverride&) = delete;
  TFormatSettingsOverride& operator=(const TFormatSettingsOverride&) = delete;

 private:
  TFormatSettings saved_;
};

// ---- integers ----
AnsiString IntToStr(int value);
AnsiString IntToStr(long long value);
inline AnsiString IntToStr(long value) { return IntToStr(static_cast<int>(value)); }
inline AnsiString IntToStr(unsigned value) { return IntToStr(static_cast<long long>(value)); }
inline AnsiString IntToStr(unsigned long value) { return IntToStr(static_cast<long long>(value)); }
inline AnsiString IntToStr(unsigned long long value) { return std::to_string(value); }
// Upper-case hexadecimal with at least `digits` digits; negative values in two's complement.
AnsiString IntToHex(int value, int digits);
AnsiString IntToHex(long long value, int digits);
inline AnsiString IntToHex(long value, int digits) { return IntToHex(static_cast<int>(value), digits); }
inline AnsiString IntToHex(unsigned value, int digits) { return IntToHex(static_cast<int>(value), digits); }
inline AnsiString IntToHex(unsigned long value, int digits) { return IntToHex(static_cast<int>(value), digits); }
inline AnsiString IntToHex(unsigned long long value, int digits) {
  return IntToHex(static_cast<long long>(value), digits);
}

bool TryStrToInt(const AnsiString& s, int& value);
int StrToInt(const AnsiString& s);  // EConvertError "'%s' is not a valid integer value"
int StrToIntDef(const AnsiString& s, int defaultValue);
bool TryStrToInt64(const AnsiString& s, long long& value);
long long StrToInt64(const AnsiString& s);
long long StrToInt64Def(const AnsiString& s, long long defaultValue);

// ---- floats ----
HV_ENUM(TFloatFormat, ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency)

// General form with 15 significant digits and no superfluous zeros ("0.1", "1E20").
AnsiString FloatToStr(long double value);
AnsiString FloatToStr(long double value, const TFormatSettings& settings);
// precision: significant digits (2..18); digits: ffGeneral and ffExponent, the least number of
// exponent digits (0..4); ffFixed, ffNumber, ffCurrency, the number of decimals (0..18).
AnsiString FloatToStrF(long double value, TFloatFormat format, int precision, int digits);
AnsiString FloatToStrF(long double value, TFloatFormat format, int precision, int digits,
                       const TFormatSettings& settings);
// Picture formats: "#,##0.00", "0.###E+00", up to three sections "positive;negative;zero",
// quoted literals; "," anywhere before the decimal point asks for thousand separators.
AnsiString FormatFloat(const AnsiString& format, long double value);
AnsiString FormatFloat(const AnsiString& format, long double value, const TFormatSettings& settings);

// Blanks around the number, a sign, digits with one decimal separator, an exponent.
bool TryStrToFloat(const AnsiString& s, long double& value);
bool TryStrToFloat(const AnsiString& s, double& value);
bool TryStrToFloat(const AnsiString& s, long double& value, const TFormatSettings& settings);
long double StrToFloat(const AnsiString& s);  // EConvertError "'%s' is not a valid floating point value"
long double StrToFloat(const AnsiString& s, const TFormatSettings& settings);
long double StrToFloatDef(const AnsiString& s, long double defaultValue);

// ---- booleans ----
// "True"/"False" with useBoolStrs, else "-1"/"0".
AnsiString BoolToStr(bool value, bool useBoolStrs = false);
// "True"/"False" in any letter case, or a number (non-zero is true);
// EConvertError "'%s' is not a valid boolean value".
bool StrToBool(const AnsiString& s);
bool StrToBoolDef(const AnsiString& s, bool defaultValue);
bool TryStrToBool(const AnsiString& s, bool& value);

// Text of user data inside an exception message (user text is in the ANSI code page).
WideString QuotedForMessage(const AnsiString& s);
[[noreturn]] void RaiseConvertError(const AnsiString& s, const wchar_t* what);
