// Number and boolean conversions, and the settings read from the user's locale.
#include "framework/Conversions.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "framework/CodePages.h"
#include "framework/StrRoutines.h"
#include "framework/Win.h"

// ---------------------------------------------------------------- locale settings

namespace {

WideString LocaleText(LCTYPE type) {
  wchar_t buffer[256];
  int n = GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buffer, 256);
  return n > 1 ? WideString(buffer, static_cast<size_t>(n - 1)) : WideString();
}

void TakeText(AnsiString& target, LCTYPE type) {
  AnsiString text = WideToAnsi(LocaleText(type));
  if (!text.empty()) target = text;
}

void TakeChar(char& target, LCTYPE type) {
  AnsiString text = WideToAnsi(LocaleText(type));
  if (!text.empty()) target = text[0];
}

void TakeNumber(uint8_t& target, LCTYPE type) {
  int v = 0;
  if (TryStrToInt(WideToAnsi(LocaleText(type)), v) && v >= 0 && v <= 255) target = static_cast<uint8_t>(v);
}

}  // namespace

TFormatSettings TFormatSettings::FromUserLocale() {
  TFormatSettings fs;
  TakeChar(fs.DecimalSeparator, LOCALE_SDECIMAL);
  TakeChar(fs.ThousandSeparator, LOCALE_STHOUSAND);
  TakeChar(fs.DateSeparator, LOCALE_SDATE);
  TakeChar(fs.TimeSeparator, LOCALE_STIME);
  TakeChar(fs.ListSeparator, LOCALE_SLIST);
  TakeText(fs.CurrencyString, LOCALE_SCURRENCY);
  TakeNumber(fs.CurrencyFormat, LOCALE_ICURRENCY);
  TakeNumber(fs.NegCurrFormat, LOCALE_INEGCURR);
  TakeNumber(fs.CurrencyDecimals, LOCALE_ICURRDIGITS);
  TakeText(fs.ShortDateFormat, LOCALE_SSHORTDATE);
  TakeText(fs.LongDateFormat, LOCALE_SLONGDATE);
  TakeText(fs.TimeAMString, LOCALE_S1159);
  TakeText(fs.TimePMString, LOCALE_S2359);
  for (int i = 0; i < 12; ++i) {
    TakeText(fs.ShortMonthNames[i], LOCALE_SABBREVMONTHNAME1 + static_cast<LCTYPE>(i));
    TakeText(fs.LongMonthNames[i], LOCALE_SMONTHNAME1 + static_cast<LCTYPE>(i));
  }
  // The system counts days from Monday; the settings from Sunday.
  for (int i = 0; i < 7; ++i) {
    TakeText(fs.ShortDayNames[(i + 1) % 7], LOCALE_SABBREVDAYNAME1 + static_cast<LCTYPE>(i));
    TakeText(fs.LongDayNames[(i + 1) % 7], LOCALE_SDAYNAME1 + static_cast<LCTYPE>(i));
  }
  // The time formats are built from the clock style rather than copied, so that ":" and the
  // AM/PM marker stay placeholders for the separator and the marker strings.
  uint8_t twelveHourFlag = 0, leadingZero = 0, markerFirst = 0;
  TakeNumber(twelveHourFlag, LOCALE_ITIME);
  TakeNumber(leadingZero, LOCALE_ITLZERO);
  TakeNumber(markerFirst, LOCALE_ITIMEMARKPOSN);
  AnsiString hour = leadingZero ? "hh" : "h";
  AnsiString prefix, suffix;
  if (twelveHourFlag == 0) (markerFirst ? prefix : suffix) = markerFirst ? "AMPM " : " AMPM";
  fs.ShortTimeFormat = prefix + hour + ":mm" + suffix;
  fs.LongTimeFormat = prefix + hour + ":mm:ss" + suffix;
  return fs;
}

TFormatSettings FormatSettings = TFormatSettings::FromUserLocale();

WideString QuotedForMessage(const AnsiString& s) { return L"'" + AnsiToWide(s) + L"'"; }

void RaiseConvertError(const AnsiString& s, const wchar_t* what) {
  throw EConvertError(QuotedForMessage(s) + L" " + what);
}

// ---------------------------------------------------------------- integers

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads the integer text form into an integer of `bits` bits (32 or 64), as its unsigned
// two's-complement pattern.
bool ParseInteger(const AnsiString& s, int bits, uint64_t& pattern) {
  size_t i = 0, n = s.size();
  while (i < n && s[i] == ' ') ++i;
  bool negative = false;
  if (i < n && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  bool hex = false;
  if (i < n && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < n && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i >= n) return false;
  const uint64_t mask = bits == 64 ? ~uint64_t(0) : (uint64_t(1) << bits) - 1;
  uint64_t value = 0;
  if (hex) {
    int significant = 0;
    for (; i < n; ++i) {
      int d = HexValue(s[i]);
      if (d < 0) return false;
      if (value != 0 || d != 0) ++significant;
      if (significant > bits / 4) return false;
      value = (value << 4) | static_cast<uint64_t>(d);
    }
  } else {
    const uint64_t limit = (uint64_t(1) << (bits - 1)) - (negative ? 0 : 1);
    for (; i < n; ++i) {
      if (s[i] < '0' || s[i] > '9') return false;
      uint64_t d = static_cast<uint64_t>(s[i] - '0');
      if (value > (limit - d) / 10) return false;
      value = value * 10 + d;
    }
  }
  pattern = (negative ? (~value + 1) : value) & mask;
  return true;
}

AnsiString HexOf(uint64_t v, int digits) {
  static const char kHex[] = "0123456789ABCDEF";
  AnsiString out;
  do {
    out.insert(out.begin(), kHex[v & 15]);
    v >>= 4;
  } while (v != 0);
  if (digits > 64) digits = 64;
  if (static_cast<int>(out.size()) < digits) out.insert(0, static_cast<size_t>(digits) - out.size(), '0');
  return out;
}

}  // namespace

AnsiString IntToStr(int value) { return std::to_string(value); }
AnsiString IntToStr(long long value) { return std::to_string(value); }
AnsiString IntToHex(int value, int digits) { return HexOf(static_cast<uint32_t>(value), digits); }
AnsiString IntToHex(long long value, int digits) { return HexOf(static_cast<uint64_t>(value), digits); }

bool TryStrToInt(const AnsiString& s, int& value) {
  uint64_t pattern = 0;
  if (!ParseInteger(s, 32, pattern)) return false;
  value = static_cast<int32_t>(static_cast<uint32_t>(pattern));
  return true;
}

int StrToInt(const AnsiString& s) {
  int v = 0;
  if (!TryStrToInt(s, v)) RaiseConvertError(s, L"is not a valid integer value");
  return v;
}

int StrToIntDef(const AnsiString& s, int defaultValue) {
  int v = 0;
  return TryStrToInt(s, v) ? v : defaultValue;
}

bool TryStrToInt64(const AnsiString& s, long long& value) {
  uint64_t pattern = 0;
  if (!ParseInteger(s, 64, pattern)) return false;
  value = static_cast<long long>(pattern);
  return true;
}

long long StrToInt64(const AnsiString& s) {
  long long v = 0;
  if (!TryStrToInt64(s, v)) RaiseConvertError(s, L"is not a valid integer value");
  return v;
}

long long StrToInt64Def(const AnsiString& s, long long defaultValue) {
  long long v = 0;
  return TryStrToInt64(s, v) ? v : defaultValue;
}

// ---------------------------------------------------------------- float to text

namespace {

// A decimal form of a float: value = 0.Digits * 10^Exponent; no trailing zeros in Digits, which
// is empty for zero.
struct TDecimal {
  bool Negative = false;
  int Exponent = 0;
  AnsiString Digits;
};

constexpr int kMaxDigits = 18;

// The 18 significant digits of the value, correctly rounded from its binary form.
TDecimal ToDecimal(long double value) {
  TDecimal d;
  d.Negative = std::signbit(value);
  long double a = std::fabs(value);
  if (a == 0) return d;
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*Le", kMaxDigits - 1, a);
  // "d.ddddde+XX"
  const char* p = buffer;
  for (; *p && *p != 'e'; ++p)
    if (*p >= '0' && *p <= '9') d.Digits += *p;
  d.Exponent = (*p == 'e' ? std::atoi(p + 1) : 0) + 1;
  while (!d.Digits.empty() && d.Digits.back() == '0') d.Digits.pop_back();
  return d;
}

// Keeps `count` significant digits, rounding the rest half away from zero.
void RoundTo(TDecimal& d, int count) {
  if (static_cast<int>(d.Digits.size()) <= count) return;
  if (count < 0) {
    d.Digits.clear();
    return;
  }
  bool up = d.Digits[static_cast<size_t>(count)] >= '5';
  d.Digits.resize(static_cast<size_t>(count));
  if (up) {
    int i = count - 1;
    while (i >= 0 && d.Digits[static_cast<size_t>(i)] == '9') d.Digits[static_cast<size_t>(i--)] = '0';
    if (i >= 0) {
      ++d.Digits[static_cast<size_t>(i)];
    } else {
      d.Digits.insert(d.Digits.begin(), '1');
      ++d.Exponent;
    }
  }
  while (!d.Digits.empty() && d.Digits.back() == '0') d.Digits.pop_back();
}

int Clamp(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

// Digit `i` (0-based from the first significant digit), zero beyond the kept digits.
char DigitAt(const TDecimal& d, int i) {
  return i >= 0 && i < static_cast<int>(d.Digits.size()) ? d.Digits[static_cast<size_t>(i)] : '0';
}

AnsiString ExponentText(int exponent, int minDigits, bool plusSign) {
  AnsiString out = "E";
  if (exponent < 0)
    out += '-';
  else if (plusSign)
    out += '+';
  AnsiString digits = std::to_string(exponent < 0 ? -exponent : exponent);
  if (static_cast<int>(digits.size()) < minDigits)
    digits.insert(0, static_cast<size_t>(minDigits) - digits.size(), '0');
  return out + digits;
}

AnsiString Scientific(const TDecimal& d, int mantissaDigits, int expDigits, bool plusSign, char decimalSep) {
  AnsiString out;
  out += DigitAt(d, 0);
  if (mantissaDigits > 1) {
    out += decimalSep;
    for (int i = 1; i < mantissaDigits; ++i) out += DigitAt(d, i);
  }
  return out + ExponentText(d.Digits.empty() ? 0 : d.Exponent - 1, expDigits, plusSign);
}

void InsertThousands(AnsiString& intPart, char separator) {
  if (separator == '\0') return;
  for (int i = static_cast<int>(intPart.size()) - 3; i > 0; i -= 3)
    intPart.insert(static_cast<size_t>(i), 1, separator);
}

// Integer part and `decimals` fraction digits of a value rounded to that many decimals.
void FixedParts(const TDecimal& d, int decimals, AnsiString& intPart, AnsiString& fracPart) {
  intPart.clear();
  fracPart.clear();
  for (int i = 0; i < d.Exponent; ++i) intPart += DigitAt(d, i);
  if (intPart.empty()) intPart = "0";
  for (int i = 0; i < decimals; ++i) fracPart += DigitAt(d, d.Exponent + i);
}

AnsiString GeneralText(TDecimal d, int precision, int digits, const TFormatSettings& fs) {
  RoundTo(d, precision);
  if (d.Digits.empty()) return "0";
  AnsiString sign = d.Negative ? "-" : "";
  int mantissa = static_cast<int>(d.Digits.size());
  if (d.Exponent > precision || d.Exponent < -3)
    return sign + Scientific(d, mantissa, digits, false, fs.DecimalSeparator);
  AnsiString intPart, fracPart;
  FixedParts(d, mantissa - d.Exponent > 0 ? mantissa - d.Exponent : 0, intPart, fracPart);
  return sign + intPart + (fracPart.empty() ? AnsiString() : AnsiString(1, fs.DecimalSeparator) + fracPart);
}

AnsiString CurrencyText(const AnsiString& number, bool negative, const TFormatSettings& fs) {
  const AnsiString& c = fs.CurrencyString;
  if (!negative) {
    switch (fs.CurrencyFormat) {
      case 1: return number + c;
      case 2: return c + " " + number;
      case 3: return number + " " + c;
      default: return c + number;
    }
  }
  switch (fs.NegCurrFormat) {
    case 1: return "-" + c + number;
    case 2: return c + "-" + number;
    case 3: return c + number + "-";
    case 4: return "(" + number + c + ")";
    case 5: return "-" + number + c;
    case 6: return number + "-" + c;
    case 7: return number + c + "-";
    case 8: return "-" + number + " " + c;
    case 9: return "-" + c + " " + number;
    case 10: return number + " " + c + "-";
    case 11: return c + " " + number + "-";
    case 12: return c + " -" + number;
    case 13: return number + "- " + c;
    case 14: return "(" + c + " " + number + ")";
    case 15: return "(" + number + " " + c + ")";
    default: return "(" + c + number + ")";
  }
}

bool SpecialText(long double value, AnsiString& out) {
  if (std::isnan(value))
    out = "NAN";
  else if (std::isinf(value))
    out = value < 0 ? "-INF" : "INF";
  else
    return false;
  return true;
}

}  // namespace

AnsiString FloatToStr(long double value) { return FloatToStrF(value, ffGeneral, 15, 0, FormatSettings); }

AnsiString FloatToStr(long double value, const TFormatSettings& settings) {
  return FloatToStrF(value, ffGeneral, 15, 0, settings);
}

AnsiString FloatToStrF(long double value, TFloatFormat format, int precision, int digits) {
  return FloatToStrF(value, format, precision, digits, FormatSettings);
}

AnsiString FloatToStrF(long double value, TFloatFormat format, int precision, int digits, const TFormatSettings& fs) {
  AnsiString special;
  if (SpecialText(value, special)) return special;
  precision = Clamp(precision, 1, kMaxDigits);
  TDecimal d = ToDecimal(value);
  switch (format) {
    case ffExponent: {
      RoundTo(d, precision);
      return (d.Negative && !d.Digits.empty() ? "-" : "") +
             Scientific(d, precision, Clamp(digits, 0, 4), true, fs.DecimalSeparator);
    }
    case ffFixed:
    case ffNumber:
    case ffCurrency: {
      digits = Clamp(digits, 0, kMaxDigits);
      TDecimal rounded = d;
      RoundTo(rounded, precision);
      if (rounded.Exponent > precision) return GeneralText(d, precision, 0, fs);
      RoundTo(d, d.Exponent + digits < precision ? d.Exponent + digits : precision);
      AnsiString intPart, fracPart;
      FixedParts(d, digits, intPart, fracPart);
      if (format != ffFixed) InsertThousands(intPart, fs.ThousandSeparator);
      AnsiString number = intPart + (digits > 0 ? AnsiString(1, fs.DecimalSeparator) + fracPart : AnsiString());
      bool negative = d.Negative && !d.Digits.empty();
      if (format == ffCurrency) return CurrencyText(number, negative, fs);
      return (negative ? "-" : "") + number;
    }
    default: return GeneralText(d, precision, Clamp(digits, 0, 4), fs);
  }
}

// ---------------------------------------------------------------- picture formats

namespace {

// What one section of a picture format asks for.
struct TPicture {
  int IntPlaces = 0;      // digit placeholders before the decimal point
  int MinIntDigits = 0;   // from the first "0" before the point on
  int FracPlaces = 0;     // digit placeholders after the point
  int MinFracDigits = 0;  // up to the last "0" after the point
  bool Thousands = false;
  bool Scientific = false;
  bool ExpPlus = false;
  int ExpDigits = 0;
};

// Splits the format at ";" outside quotes.
std::vector<AnsiString> SplitSections(const AnsiString& format) {
  std::vector<AnsiString> sections(1);
  char quote = 0;
  for (char c : format) {
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == ';') {
      sections.emplace_back();
      continue;
    }
    sections.back() += c;
  }
  return sections;
}

bool IsExponentAt(const AnsiString& s, size_t i) {
  return (s[i] == 'E' || s[i] == 'e') && i + 1 < s.size() && (s[i + 1] == '+' || s[i + 1] == '-');
}

TPicture Analyse(const AnsiString& section) {
  TPicture p;
  bool afterPoint = false;
  int firstZero = -1, lastZero = -1;
  char quote = 0;
  for (size_t i = 0; i < section.size(); ++i) {
    char c = section[i];
    if (quote) {
      if (c == quote) quote = 0;
      continue;
    }
    if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '#' || c == '0') {
      if (afterPoint) {
        ++p.FracPlaces;
        if (c == '0') lastZero = p.FracPlaces;
      } else {
        if (c == '0' && firstZero < 0) firstZero = p.IntPlaces;
        ++p.IntPlaces;
      }
    } else if (c == '.') {
      afterPoint = true;
    } else if (c == ',') {
      if (!afterPoint) p.Thousands = true;
    } else if (IsExponentAt(section, i)) {
      p.Scientific = true;
      p.ExpPlus = section[i + 1] == '+';
      i += 2;
      while (i < section.size() && section[i] == '0') {
        ++p.ExpDigits;
        ++i;
      }
      --i;
      break;
    }
  }
  p.MinIntDigits = firstZero < 0 ? 0 : p.IntPlaces - firstZero;
  p.MinFracDigits = lastZero < 0 ? 0 : lastZero;
  return p;
}

// Renders one section for the magnitude of the value; `sign` goes before the first digit.
AnsiString RenderSection(const AnsiString& section, long double magnitude, const AnsiString& sign,
                         const TFormatSettings& fs, bool* nonZero = nullptr) {
  TPicture p = Analyse(section);
  TDecimal d = ToDecimal(magnitude);
  AnsiString intDigits, fracDigits, exponentText;
  if (p.Scientific) {
    int sig = p.IntPlaces + p.FracPlaces;
    RoundTo(d, sig > 0 ? sig : 1);
    int shift = p.IntPlaces > 0 ? p.IntPlaces : 1;
    int exponent = d.Digits.empty() ? 0 : d.Exponent - shift;
    TDecimal m = d;
    m.Exponent = d.Digits.empty() ? 0 : shift;
    FixedParts(m, p.FracPlaces, intDigits, fracDigits);
    exponentText = ExponentText(exponent, p.ExpDigits, p.ExpPlus).substr(1);
  } else {
    RoundTo(d, d.Exponent + p.FracPlaces < kMaxDigits ? d.Exponent + p.FracPlaces : kMaxDigits);
    FixedParts(d, p.FracPlaces, intDigits, fracDigits);
  }
  // Leading zeros only as far as "0" placeholders ask for them.
  size_t lead = 0;
  while (lead < intDigits.size() && intDigits[lead] == '0') ++lead;
  intDigits.erase(0, lead);
  if (static_cast<int>(intDigits.size()) < p.MinIntDigits)
    intDigits.insert(0, static_cast<size_t>(p.MinIntDigits) - intDigits.size(), '0');
  while (static_cast<int>(fracDigits.size()) > p.MinFracDigits && fracDigits.back() == '0') fracDigits.pop_back();
  if (nonZero) *nonZero = (intDigits + fracDigits).find_first_not_of('0') != AnsiString::npos;

  AnsiString out;
  int intIndex = 0, fracIndex = 0;
  const int intCount = static_cast<int>(intDigits.size());
  bool afterPoint = false, signDone = false;
  char quote = 0;
  auto emitIntDigit = [&](int k) {  // digit k of intDigits, then a thousands separator if due
    out += intDigits[static_cast<size_t>(k)];
    int remaining = intCount - 1 - k;
    if (p.Thousands && remaining > 0 && remaining % 3 == 0 && fs.ThousandSeparator) out += fs.ThousandSeparator;
  };
  for (size_t i = 0; i < section.size(); ++i) {
    char c = section[i];
    if (quote) {
      if (c == quote)
        quote = 0;
      else
        out += c;
      continue;
    }
    if (c == '"' || c == '\'') {
      quote = c;
    } else if ((c == '#' || c == '0') && !afterPoint) {
      if (!signDone) {
        out += sign;
        signDone = true;
      }
      // The first placeholder takes every digit the picture has no place for.
      int k = intCount - p.IntPlaces + intIndex;
      if (intIndex == 0)
        for (int j = 0; j < k; ++j) emitIntDigit(j);
      if (k >= 0) emitIntDigit(k);
      ++intIndex;
    } else if ((c == '#' || c == '0') && afterPoint) {
      if (fracIndex < static_cast<int>(fracDigits.size())) out += fracDigits[static_cast<size_t>(fracIndex)];
      ++fracIndex;
    } else if (c == '.') {
      if (!afterPoint && !signDone) {
        out += sign;
        signDone = true;
      }
      if (!afterPoint && p.IntPlaces == 0)
        for (int k = 0; k < intCount; ++k) emitIntDigit(k);
      afterPoint = true;
      if (!fracDigits.empty()) out += fs.DecimalSeparator;
    } else if (c == ',') {
      // a thousands marker, never printed
    } else if (p.Scientific && IsExponentAt(section, i)) {
      out += c;
      out += exponentText;
      i += 2;
      while (i < section.size() && section[i] == '0') ++i;
      --i;
    } else {
      out += c;
    }
  }
  if (!signDone) out.insert(0, sign);
  return out;
}

}  // namespace

AnsiString FormatFloat(const AnsiString& format, long double value) {
  return FormatFloat(format, value, FormatSettings);
}

AnsiString FormatFloat(const AnsiString& format, long double value, const TFormatSettings& fs) {
  AnsiString special;
  if (SpecialText(value, special)) return special;
  std::vector<AnsiString> sections = SplitSections(format);
  if (sections.size() > 3) sections.resize(3);
  size_t index = 0;
  if (value < 0 && sections.size() >= 2 && !sections[1].empty()) index = 1;
  if (value == 0 && sections.size() >= 3 && !sections[2].empty()) index = 2;
  const AnsiString& section = sections[index];
  if (section.empty()) return FloatToStr(value, fs);
  AnsiString sign = value < 0 && index == 0 ? "-" : "";
  bool nonZero = false;
  AnsiString text = RenderSection(section, std::fabs(value), sign, fs, &nonZero);
  // A value that the section rounds to zero is shown as zero: by the zero section when there
  // is one, and never with a minus sign.
  if (value != 0 && !nonZero) {
    if (sections.size() >= 3 && !sections[2].empty()) return RenderSection(sections[2], 0, "", fs);
    if (!sign.empty()) return RenderSection(section, 0, "", fs);
  }
  return text;
}

// ---------------------------------------------------------------- text to float

namespace {

// More significant digits than these cannot change a long double; the C library's conversion
// takes time that grows with the square of the digits it is given, so no more go to it.
constexpr size_t kMaxSignificantDigits = 40;
// Decimal exponents beyond this give zero or infinity for any kept digits; written exponents
// are held up to a bound that no text's own length can make up for.
constexpr long long kMaxExponent = 100000;
constexpr long long kMaxWrittenExponent = 100000000000LL;

// The number in C form ("-0.125e3") when the text is a valid float for the settings: at most
// kMaxSignificantDigits digits, the last of them a 1 standing for any non-zero digits cut off
// (so that rounding still sees them), and a bounded exponent.
bool NormaliseFloatText(const AnsiString& s, char decimalSeparator, AnsiString& out) {
  size_t i = 0, n = s.size();
  while (i < n && s[i] == ' ') ++i;
  while (n > i && s[n - 1] == ' ') --n;
  out.clear();
  if (i < n && (s[i] == '+' || s[i] == '-')) out += s[i++];
  AnsiString digits;
  long long pointShift = 0;  // the decimal exponent of the point after the kept digits
  bool cutNonZero = false;
  int mantissaDigits = 0;
  auto take = [&](char c, bool fraction) {
    ++mantissaDigits;
    if (digits.empty() && c == '0') {
      if (fraction) --pointShift;  // a leading zero after the point
      return;
    }
    if (digits.size() < kMaxSignificantDigits) {
      digits += c;
      if (fraction) --pointShift;
    } else {
      cutNonZero = cutNonZero || c != '0';
      if (!fraction) ++pointShift;
    }
  };
  while (i < n && s[i] >= '0' && s[i] <= '9') take(s[i++], false);
  if (i < n && s[i] == decimalSeparator) {
    ++i;
    while (i < n && s[i] >= '0' && s[i] <= '9') take(s[i++], true);
  }
  if (mantissaDigits == 0) return false;
  long long exponent = 0;
  if (i < n && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    bool negative = false;
    if (i < n && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    int expDigits = 0;
    while (i < n && s[i] >= '0' && s[i] <= '9') {
      exponent = std::min(exponent * 10 + (s[i++] - '0'), kMaxWrittenExponent);
      ++expDigits;
    }
    if (expDigits == 0) return false;
    if (negative) exponent = -exponent;
  }
  if (i != n) return false;
  if (digits.empty()) {
    out += '0';
    return true;
  }
  if (cutNonZero) {
    digits += '1';
    --pointShift;
  }
  const long long total = std::clamp(exponent + pointShift, -kMaxExponent, kMaxExponent);
  out += digits + "e" + std::to_string(total);
  return true;
}

}  // namespace

bool TryStrToFloat(const AnsiString& s, long double& value, const TFormatSettings& settings) {
  AnsiString c;
  if (!NormaliseFloatText(s, settings.DecimalSeparator, c)) return false;
  long double v = std::strtold(c.c_str(), nullptr);
  if (std::isinf(v) || std::isnan(v)) return false;
  value = v;
  return true;
}

bool TryStrToFloat(const AnsiString& s, long double& value) { return TryStrToFloat(s, value, FormatSettings); }

bool TryStrToFloat(const AnsiString& s, double& value) {
  AnsiString c;
  if (!NormaliseFloatText(s, FormatSettings.DecimalSeparator, c)) return false;
  double v = std::strtod(c.c_str(), nullptr);
  if (std::isinf(v) || std::isnan(v)) return false;
  value = v;
  return true;
}

long double StrToFloat(const AnsiString& s, const TFormatSettings& settings) {
  long double v = 0;
  if (!TryStrToFloat(s, v, settings)) RaiseConvertError(s, L"is not a valid floating point value");
  return v;
}

long double StrToFloat(const AnsiString& s) { return StrToFloat(s, FormatSettings); }

long double StrToFloatDef(const AnsiString& s, long double defaultValue) {
  long double v = 0;
  return TryStrToFloat(s, v) ? v : defaultValue;
}

// ---------------------------------------------------------------- booleans

AnsiString BoolToStr(bool value, bool useBoolStrs) {
  if (useBoolStrs) return value ? "True" : "False";
  return value ? "-1" : "0";
}

bool TryStrToBool(const AnsiString& s, bool& value) {
  long double number = 0;
  if (TryStrToFloat(s, number)) {
    value = number != 0;
    return true;
  }
  AnsiString t = Trim(s);
  if (SameText(t, "True"))
    value = true;
  else if (SameText(t, "False"))
    value = false;
  else
    return false;
  return true;
}

bool StrToBool(const AnsiString& s) {
  bool v = false;
  if (!TryStrToBool(s, v)) RaiseConvertError(s, L"is not a valid boolean value");
  return v;
}

bool StrToBoolDef(const AnsiString& s, bool defaultValue) {
  bool v = false;
  return TryStrToBool(s, v) ? v : defaultValue;
}
