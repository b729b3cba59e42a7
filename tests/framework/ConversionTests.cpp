// Integer, float and boolean conversions at their edges, and Format's directives.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "framework/Conversions.h"
#include "framework/Format.h"
#include "tests/framework/Joined.h"
#include "tests/framework/Raised.h"

namespace {

// Runs a test with the fixed English settings, whatever the machine's locale.
class ConversionTest : public testing::Test {
 protected:
  TFormatSettingsOverride settings_{TFormatSettings::English()};
};

}  // namespace

TEST_F(ConversionTest, IntegerTextForms) {
  // Eight hexadecimal digits wrap into the sign bit; leading zeros do not count.
  EXPECT_EQ(Joined({"0", "  42", "+7", "-7", "$1F", "x1f", "0X10", "-$10", "2147483647", "-2147483648", "$FF000008",
                    "$FFFFFFFF", "$000000000000001"},
                   [](const char* s) { return StrToInt(s); }),
            "0|42|7|-7|31|31|16|-16|2147483647|-2147483648|-16777208|-1|1");
  EXPECT_EQ(Joined({"$FFFFFFFFFFFFFFFF", "9223372036854775807", "-9223372036854775808", "$100000000"},
                   [](const char* s) { return StrToInt64(s); }),
            "-1|9223372036854775807|-9223372036854775808|4294967296");
}

TEST_F(ConversionTest, IntegerRejectsBadTextWithExactMessage) {
  for (const char* bad : {"", " ", "+", "-", "$", "0x", "12 ", "1a", "2147483648", "-2147483649", "$100000000", "1.0",
                          "--1", "$-1", "\t1", "99999999999999999999"}) {
    int v = 123;
    EXPECT_FALSE(TryStrToInt(bad, v)) << bad;
    EXPECT_EQ(v, 123) << "a failed conversion keeps the value";
    EXPECT_EQ(StrToIntDef(bad, -5), -5) << bad;
  }
  EXPECT_EQ(Raised<EConvertError>([] { StrToInt("12x"); }), "'12x' is not a valid integer value");
  EXPECT_EQ(Raised<EConvertError>([] { StrToInt64("9223372036854775808"); }),
            "'9223372036854775808' is not a valid integer value");
  long long big = 0;
  EXPECT_FALSE(TryStrToInt64("$10000000000000000", big));
  EXPECT_EQ(StrToInt64Def("", 77), 77);
}

TEST_F(ConversionTest, IntToStrAndHex) {
  EXPECT_EQ(IntToStr(INT32_MIN), "-2147483648");
  EXPECT_EQ(IntToStr(INT64_MIN), "-9223372036854775808");
  EXPECT_EQ(IntToHex(255, 4), "00FF");
  EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFF");
  EXPECT_EQ(IntToHex(0, 0), "0");
  EXPECT_EQ(IntToHex(static_cast<long long>(-2), 4), "FFFFFFFFFFFFFFFE");
  EXPECT_EQ(StrToInt("$" + IntToHex(-16777208, 8)), -16777208);
  EXPECT_EQ(IntToHex(0xFF000008u, 8), "FF000008");
  EXPECT_EQ(IntToHex(UINT64_MAX, 1), "FFFFFFFFFFFFFFFF");
  EXPECT_EQ(IntToStr(UINT64_MAX), "18446744073709551615");
  EXPECT_EQ(IntToStr(4000000000u), "4000000000");
}

TEST_F(ConversionTest, FloatToStrGivesShortestGeneralForm) {
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(Joined({0.0, -0.0, 0.1, 1.5, -2.25, 1.0 / 3, 2.0 / 3, 100.0, 1e14, 1e15, 1.5e20, 0.0001, 0.00001, -1.25e-10,
                    999999999999999.9, inf, -inf, std::nan("")},
                   [](double v) { return FloatToStr(v); }),
            "0|0|0.1|1.5|-2.25|0.333333333333333|0.666666666666667|100|100000000000000|1E15|1.5E20|0.0001|1E-5|"
            "-1.25E-10|1E15|INF|-INF|NAN");
}

TEST_F(ConversionTest, FloatToStrFFormats) {
  EXPECT_EQ(FloatToStrF(1234.5, ffExponent, 4, 2), "1.235E+03");
  EXPECT_EQ(FloatToStrF(-0.000123, ffExponent, 3, 0), "-1.23E-4");
  EXPECT_EQ(FloatToStrF(0, ffExponent, 3, 3), "0.00E+000");
  EXPECT_EQ(FloatToStrF(1234.567, ffFixed, 15, 2), "1234.57");
  EXPECT_EQ(FloatToStrF(0.125, ffFixed, 15, 2), "0.13");  // halves round away from zero
  EXPECT_EQ(FloatToStrF(0.005, ffFixed, 15, 0), "0");
  EXPECT_EQ(FloatToStrF(0.6, ffFixed, 15, 0), "1");
  EXPECT_EQ(FloatToStrF(-0.001, ffFixed, 15, 2), "0.00");  // no "-0.00"
  EXPECT_EQ(FloatToStrF(1.23456789, ffFixed, 3, 5), "1.23000");
  EXPECT_EQ(FloatToStrF(1234567.891, ffNumber, 15, 2), "1,234,567.89");
  EXPECT_EQ(FloatToStrF(-999.5, ffNumber, 15, 0), "-1,000");
  EXPECT_EQ(FloatToStrF(1234.5, ffCurrency, 15, 2), "$1,234.50");
  EXPECT_EQ(FloatToStrF(-1234.5, ffCurrency, 15, 2), "($1,234.50)");
  EXPECT_EQ(FloatToStrF(1e20, ffFixed, 15, 2), "1E20");
}

TEST_F(ConversionTest, FloatsFollowTheLocaleSeparators) {
  FormatSettings.DecimalSeparator = ',';
  FormatSettings.ThousandSeparator = '.';
  FormatSettings.CurrencyString = "EUR";
  FormatSettings.CurrencyFormat = 3;
  FormatSettings.NegCurrFormat = 8;
  EXPECT_EQ(FloatToStr(2.5), "2,5");
  EXPECT_EQ(FloatToStrF(1234567.5, ffNumber, 15, 1), "1.234.567,5");
  EXPECT_EQ(FloatToStrF(12.5, ffCurrency, 15, 2), "12,50 EUR");
  EXPECT_EQ(FloatToStrF(-12.5, ffCurrency, 15, 2), "-12,50 EUR");
  EXPECT_EQ(StrToFloat("2,5"), 2.5L);
  double d = 0;
  EXPECT_FALSE(TryStrToFloat("2.5", d));
  EXPECT_EQ(Format("%.1f", 3.25), "3,3");
}

TEST_F(ConversionTest, FormatFloatPictures) {
  EXPECT_EQ(FormatFloat("#,##0.00", 1234567.891), "1,234,567.89");
  EXPECT_EQ(FormatFloat("#,##0.00", 0), "0.00");
  EXPECT_EQ(FormatFloat("#,##0.00", -5), "-5.00");
  EXPECT_EQ(FormatFloat("0.###", 1.5), "1.5");
  EXPECT_EQ(FormatFloat("0.###", 2), "2");
  EXPECT_EQ(FormatFloat("000", 7), "007");
  EXPECT_EQ(FormatFloat("#", 1234), "1234");
  EXPECT_EQ(FormatFloat("0", 0.5), "1");
  EXPECT_EQ(FormatFloat("000-0000", 5551234), "555-1234");
  EXPECT_EQ(FormatFloat("0.00E+00", 1234.5), "1.23E+03");
  EXPECT_EQ(FormatFloat("0.0E-0", 0.000123), "1.2E-4");
  EXPECT_EQ(FormatFloat("0.0E+00", 0), "0.0E+00");
  EXPECT_EQ(FormatFloat("\"Total: \"0.0", 2.25), "Total: 2.3");
  EXPECT_EQ(FormatFloat("0.0 'kg'", 3), "3.0 kg");
  EXPECT_EQ(FormatFloat("0.00;(0.00)", -2.5), "(2.50)");
  EXPECT_EQ(FormatFloat("0.00;(0.00);'zero'", 0), "zero");
  EXPECT_EQ(FormatFloat("0.00;(0.00);'zero'", 0.001), "zero");
  EXPECT_EQ(FormatFloat("0.00", -0.001), "0.00");
  EXPECT_EQ(FormatFloat("", 1.5), "1.5");
  EXPECT_EQ(FormatFloat("0;;", -3), "-3");  // an empty negative section falls back to the first
}

TEST_F(ConversionTest, StrToFloatAcceptsTheClassicForms) {
  EXPECT_EQ(StrToFloat("1.5"), 1.5L);
  EXPECT_EQ(StrToFloat("  -2.5e3  "), -2500.0L);
  EXPECT_EQ(StrToFloat(".5"), 0.5L);
  EXPECT_EQ(StrToFloat("5."), 5.0L);
  EXPECT_EQ(StrToFloat("+1E-2"), 0.01L);
  double d = 0;
  EXPECT_TRUE(TryStrToFloat("0.1", d));
  EXPECT_EQ(d, 0.1);  // parsed straight into double: no double rounding
  long double x = 0;
  EXPECT_TRUE(TryStrToFloat("1e-5000", x));  // underflow gives zero
  EXPECT_EQ(x, 0.0L);
  for (const char* bad :
       {"", "  ", ".", "e5", "1e", "1e+", "1,5", "1.5.5", "0x10", "inf", "nan", "1 2", "1e5000", "--1"}) {
    long double v = 9;
    EXPECT_FALSE(TryStrToFloat(bad, v)) << bad;
    EXPECT_EQ(v, 9.0L);
  }
  EXPECT_EQ(Raised<EConvertError>([] { StrToFloat("abc"); }), "'abc' is not a valid floating point value");
  EXPECT_EQ(StrToFloatDef("x", 2.5), 2.5L);
}

TEST_F(ConversionTest, ExtendedValuesKeepTheirPrecision) {
  long double third = 1.0L / 3.0L;
  EXPECT_EQ(FloatToStrF(third, ffGeneral, 18, 0), "0.333333333333333333");
  long double x = 0;
  ASSERT_TRUE(TryStrToFloat("0.333333333333333333", x));
  EXPECT_NE(static_cast<double>(x), x) << "parsed as 80-bit, not rounded to double";
}

TEST_F(ConversionTest, Booleans) {
  EXPECT_EQ(BoolToStr(true), "-1");
  EXPECT_EQ(BoolToStr(false), "0");
  EXPECT_EQ(BoolToStr(true, true), "True");
  EXPECT_EQ(Joined({"true", "TRUE", "False", "1", "-1", "0.5", "0"}, [](const char* s) { return StrToBool(s); }),
            "true|true|false|true|true|true|false");
  EXPECT_EQ(Raised<EConvertError>([] { StrToBool("yes"); }), "'yes' is not a valid boolean value");
  EXPECT_TRUE(StrToBoolDef("maybe", true));
}

TEST_F(ConversionTest, ErrorMessagesCarryNonAsciiTextIntact) {
  // "é" in code page 1252 is one byte; the message must show it as the letter, not as bytes.
  EXPECT_EQ(Raised<EConvertError>([] { StrToInt("\xE9"); }), "'\xC3\xA9' is not a valid integer value");
}

TEST_F(ConversionTest, FormatIntegers) {
  EXPECT_EQ(Format("%d", 42), "42");
  EXPECT_EQ(Format("%d", -42), "-42");
  EXPECT_EQ(Format("%5d|%-5d|", 42, 42), "   42|42   |");
  EXPECT_EQ(Format("%.4d", -42), "-0042");
  EXPECT_EQ(Format("%d", INT64_MIN), "-9223372036854775808");
  EXPECT_EQ(Format("%u", -1), "4294967295");
  EXPECT_EQ(Format("%u", 3000000000u), "3000000000");
  EXPECT_EQ(Format("%x", 255), "FF");
  EXPECT_EQ(Format("%.4x", 255), "00FF");
  EXPECT_EQ(Format("%x", -1), "FFFFFFFF");
  EXPECT_EQ(Format("%x", static_cast<long long>(-1)), "FFFFFFFFFFFFFFFF");
  EXPECT_EQ(Format("%D and %X", 3, 10), "3 and A");
  EXPECT_EQ(Format("%d", static_cast<unsigned char>(200)), "200");
}

TEST_F(ConversionTest, FormatFloatsAndStrings) {
  EXPECT_EQ(Format("%f", 1.5), "1.50");
  EXPECT_EQ(Format("%.0f", 2.5), "3");
  EXPECT_EQ(Format("%.3f", -0.0005), "-0.001");
  EXPECT_EQ(Format("%e", 1234.5), "1.23450000000000E+003");
  EXPECT_EQ(Format("%.3e", 1234.5), "1.23E+003");
  EXPECT_EQ(Format("%g", 0.1), "0.1");
  EXPECT_EQ(Format("%g", 1234.5), "1234.5");
  EXPECT_EQ(Format("%n", 1234567.0), "1,234,567.00");
  EXPECT_EQ(Format("%m", 5.0), "$5.00");
  EXPECT_EQ(Format("%s-%s", "a", std::string("b")), "a-b");
  EXPECT_EQ(Format("%s", L"wide"), "wide");
  EXPECT_EQ(Format("%s", std::wstring(L"caf\u00e9")), "caf\xE9");
  EXPECT_EQ(Format("%s", 'c'), "c");
  EXPECT_EQ(Format("[%6s][%-6s]", "ab", "ab"), "[    ab][ab    ]");
  EXPECT_EQ(Format("%.2s", "abcdef"), "ab");
  EXPECT_EQ(Format("%.*s", 3, "abcdef"), "abc");
  EXPECT_EQ(Format("%*d", 4, 7), "   7");
  EXPECT_EQ(Format("%*d", -4, 7), "7   ");
  EXPECT_EQ(Format("%-*.*f", 8, 1, 2.25), "2.3     ");
  EXPECT_EQ(Format("100%%"), "100%");
  EXPECT_EQ(Format("no directives"), "no directives");
  int x = 0;
  EXPECT_EQ(Format("%p", static_cast<void*>(nullptr)), "00000000");
  EXPECT_EQ(Format("%p", &x).size(), 8u);
  const char* nothing = nullptr;
  EXPECT_EQ(Format("[%s]", nothing), "[]");
}

TEST_F(ConversionTest, FormatIndexes) {
  EXPECT_EQ(Format("%1:s %0:s", "world", "hello"), "hello world");
  // After an index the following directives go on from there.
  EXPECT_EQ(Format("%d %d %0:d %d", 1, 2), "1 2 1 2");
  EXPECT_EQ(Format("%0:s%0:s", "ab"), "abab");
  EXPECT_EQ(Format("%1:-4d|", 0, 5), "5   |");
}

TEST_F(ConversionTest, FormatRejectsBadDirectivesAndWrongKinds) {
  const std::string message = "Format '%d' invalid or incompatible with argument";
  EXPECT_EQ(Raised<EConvertError>([] { Format("%d", 1.5); }), message);
  EXPECT_EQ(Raised<EConvertError>([] { Format("%d", "text"); }), message);
  EXPECT_EQ(Raised<EConvertError>([] { Format("%d"); }), message);
  EXPECT_EQ(Raised<EConvertError>([] { Format("%f", 1); }), "Format '%f' invalid or incompatible with argument");
  EXPECT_EQ(Raised<EConvertError>([] { Format("%s", 5); }), "Format '%s' invalid or incompatible with argument");
  EXPECT_EQ(Raised<EConvertError>([] { Format("%p", 5); }), "Format '%p' invalid or incompatible with argument");
  EXPECT_EQ(Raised<EConvertError>([] { Format("abc%", 5); }), "Format 'abc%' invalid or incompatible with argument");
  EXPECT_EQ(Raised<EConvertError>([] { Format("%q", 5); }), "Format '%q' invalid or incompatible with argument");
  EXPECT_EQ(Raised<EConvertError>([] { Format("%2:d", 5); }), "Format '%2:d' invalid or incompatible with argument");
  EXPECT_EQ(Raised<EConvertError>([] { Format("%.*s", "x", "y"); }),
            "Format '%.*s' invalid or incompatible with argument");
  EXPECT_EQ(Raised<EConvertError>([] { Format("%99999999999d", 1); }),
            "Format '%99999999999d' invalid or incompatible with argument");
}

TEST_F(ConversionTest, WideFormat) {
  EXPECT_EQ(WideFormat(L"%s=%d", L"key", 5), L"key=5");
  EXPECT_EQ(WideFormat(L"%s", "caf\xE9"), L"caf\u00e9");
  EXPECT_EQ(WideFormat(L"%s", L"\u0416"), L"\u0416");
  EXPECT_EQ(WideFormat(L"%.1f%%", 99.95), L"100.0%");
  try {
    WideFormat(L"\u0416%d", L"x");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), L"Format '\u0416%d' invalid or incompatible with argument");
  }
}

// Hostile formats and numbers cost bounded work: huge widths and precisions are refused, wide
// characters beyond ASCII are no directive letters (the low bytes of these are "D", "s", "x"),
// long digit strings convert in linear time, rounded from every digit.
TEST_F(ConversionTest, HostileFormatsAndNumbersAreBounded) {
  for (const char* format : {"%2147483647d", "%.2147483647d", "%1048577s", "%*s", "%-*d", "%.*x", "%2000000:d"})
    EXPECT_EQ(Raised<EConvertError>([&] { Format(format, 2000000, 5); }),
              std::string("Format '") + format + "' invalid or incompatible with argument");
  EXPECT_EQ(Format("%*d|%5s|%.3d", -3, 7, "ab", 7), "7  |   ab|007");
  for (const wchar_t* format : {L"%\u0144", L"%\u0173", L"%5\u0178"})
    EXPECT_THROW(WideFormat(format, 5), EConvertError);
  const std::string zeros(200000, '0');
  const struct {
    std::string text;
    double value;
  } numbers[] = {{"0." + std::string(200000, '3'), 1.0 / 3},
                 {"1" + zeros + "e-200000", 1},
                 {"0." + zeros + "25e200002", 25},
                 {"1e" + zeros + "5", 1e5},
                 {"9007199254740993" + zeros + "1e-200001", 9007199254740994.0},
                 {"9007199254740993" + zeros + "e-200000", 9007199254740992.0}};
  for (const auto& n : numbers) {
    double d = 0;
    EXPECT_TRUE(TryStrToFloat(n.text, d) && d == n.value) << n.text.substr(0, 20) << " " << d;
  }
}

TEST(FormatSettingsTest, UserLocaleGivesCompleteSettings) {
  TFormatSettings fs = TFormatSettings::FromUserLocale();
  EXPECT_NE(fs.DecimalSeparator, '\0');
  EXPECT_NE(fs.DecimalSeparator, fs.ThousandSeparator);
  EXPECT_FALSE(fs.ShortDateFormat.empty());
  EXPECT_NE(fs.LongTimeFormat.find("ss"), std::string::npos);
  for (const auto& name : fs.LongMonthNames) EXPECT_FALSE(name.empty());
  for (const auto& name : fs.ShortDayNames) EXPECT_FALSE(name.empty());
}
