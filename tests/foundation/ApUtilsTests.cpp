// Value and string routines: blanks, words, hex, XOR coding, number texts, Base64.
#include <gtest/gtest.h>

#include "foundation/ApUtils.h"
#include "framework/Conversions.h"
#include "framework/Variant.h"
#include "tests/framework/Joined.h"
#include "tests/framework/Raised.h"

TEST(ApUtilsText, BlanksAreSpacesOnly) {
  EXPECT_EQ(DeleteLeadingSpaces("  \tx "), "\tx ");
  EXPECT_EQ(DeleteTrailingSpaces(" x\t  "), " x\t");
  EXPECT_EQ(DeleteOuterSpaces("   "), "");
  EXPECT_EQ(DeleteOuterSpaces("  a b  "), "a b");
  EXPECT_EQ(DeleteChars("a,b,,c", ','), "abc");
  EXPECT_EQ(RepeatChar('-', 3), "---");
  EXPECT_EQ(RepeatChar('-', 0), "");
  EXPECT_EQ(RepeatChar('-', -4), "");
}

TEST(ApUtilsText, ReplaceTextDoesNotRescan) {
  EXPECT_EQ(ReplaceText("aXbXc", "X", "XX"), "aXXbXXc");
  EXPECT_EQ(ReplaceText("aaaa", "aa", "b"), "bb");
  EXPECT_EQ(ReplaceText("abc", "", "z"), "abc");
  EXPECT_EQ(ReplaceText("abc", "B", "z"), "abc");
}

TEST(ApUtilsText, Words) {
  TSysCharSet comma = CharSetOf(",");
  EXPECT_EQ(WordAt(3, "a,,b,c", comma), "c");
  EXPECT_EQ(FindWordPosition(3, "a,,b,c", comma), 6);
  EXPECT_EQ(FindWordPosition(2, ",,ab,,cd", comma), 7);
  EXPECT_EQ(WordAt(4, "a,,b,c", comma), "");
  EXPECT_EQ(FindWordPosition(1, ",,,", comma), 0);
  EXPECT_EQ(WordAt(2, "one two  three", CharSetOf(" ")), "two");
}

TEST(ApUtilsHex, BufferRoundTrip) {
  const unsigned char bytes[] = {0x00, 0x7F, 0x80, 0xFF, 0x0A};
  AnsiString hex = BufferToHexText(bytes, 5);
  EXPECT_EQ(hex, "007F80FF0A");
  unsigned char back[5] = {};
  EXPECT_EQ(HexTextToBuffer(hex, back, 5), 5);
  EXPECT_EQ(0, memcmp(bytes, back, 5));
  EXPECT_EQ(HexTextToBuffer("ff7f", back, 5), 2);
  EXPECT_EQ(back[0], 0xFF);
}

TEST(ApUtilsHex, OddLengthAndShortBuffer) {
  unsigned char buf[4] = {1, 1, 1, 1};
  EXPECT_EQ(HexTextToBuffer("ABC", buf, 2), 2);
  EXPECT_EQ(buf[0], 0x0A);
  EXPECT_EQ(buf[1], 0xBC);
  EXPECT_EQ(buf[2], 1);
  EXPECT_EQ(HexTextToBuffer("AABBCCDD", buf, 1), 1);
  EXPECT_EQ(buf[1], 0xBC);
  EXPECT_EQ(HexTextToBuffer("", buf, 4), 0);
}

TEST(ApUtilsHex, NonHexPairIsAConversionError) {
  unsigned char buf[4] = {};
  EXPECT_EQ(Raised<EConvertError>([&] { HexTextToBuffer("00G1", buf, 4); }), "'$G1' is not a valid integer value");
}

TEST(ApUtilsHex, XorCodingRoundTrips) {
  EXPECT_EQ(XorKeyToHex("", "AZ"), "415a");
  EXPECT_EQ(XorKeyToHex("\x01", "AB"), "4043");
  AnsiString secret("pass\0word \xFF", 11);
  AnsiString coded = XorKeyToHex("key", secret);
  EXPECT_EQ(coded.size(), 22u);
  EXPECT_EQ(XorHexToText("key", coded), secret);
  EXPECT_EQ(XorHexToText("", "41zz42"), "A B");
  EXPECT_EQ(XorHexToText("", "414"), "A");
}

TEST(ApUtilsNumbers, ValueTextForTheLocale) {
  EXPECT_EQ(ToValueText("  1.234,5 ", ',', '.'), "1234,5");
  EXPECT_EQ(ToValueText("1,234.5", '.', ','), "1234.5");
  EXPECT_EQ(ToValueText("3.5", ',', ' '), "3,5");
  EXPECT_EQ(ToValueText("abc", '.', ','), "0");
  EXPECT_EQ(ToValueText(" - ", '.', ','), "-0");
  EXPECT_EQ(ToValueText("12 kg", '.', ','), "12");
  EXPECT_EQ(RectWidth(Rect(10, 0, 4, 0)), 6);
  EXPECT_EQ(RectHeight(Rect(0, 3, 0, 10)), 7);
}

TEST(ApUtilsBase64, LinesOf76) {
  EXPECT_EQ(Joined({"", "abc", "ab", "a"}, [](const char* s) { return EncodeBase64Lines(s); }), "|YWJj|YWI=|YQ==");
  AnsiString s57(57, 'x');
  AnsiString e57 = EncodeBase64Lines(s57);
  EXPECT_EQ(e57.size(), 76u);
  EXPECT_EQ(e57.find('\r'), AnsiString::npos);
  AnsiString e58 = EncodeBase64Lines(s57 + "y");
  ASSERT_EQ(e58.size(), 82u);
  EXPECT_EQ(e58.substr(76, 2), "\r\n");
}

TEST(ApUtilsBase64, DecodeSkipsForeignCharacters) {
  // A lone leftover character gives nothing.
  EXPECT_EQ(Joined({"YWJj", "YW\r\nJj", "YWI=", "YQ", "YWJjZ", "*Y-W.J j!"},
                   [](const char* s) { return DecodeBase64Text(s); }),
            "abc|abc|ab|a|abc|abc");
  AnsiString all;
  for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
  all += all;
  EXPECT_EQ(DecodeBase64Text(EncodeBase64Lines(all)), all);
}

TEST(ApUtilsNumbers, ValueTextFollowsTheProcessSettings) {
  TFormatSettings german = TFormatSettings::English();
  german.DecimalSeparator = ',';
  german.ThousandSeparator = '.';
  TFormatSettingsOverride scope(german);
  EXPECT_EQ(ToValueText(" 1.234,5 "), "1234,5");
}

TEST(ApUtilsNumbers, IntegerVariants) {
  for (const TVariant& v :
       {TVariant(1), TVariant(static_cast<short>(1)), TVariant(static_cast<signed char>(1)),
        TVariant(static_cast<unsigned char>(1)), TVariant(static_cast<unsigned short>(1)), TVariant(1u)})
    EXPECT_TRUE(IsIntegerVariant(v));
  for (const TVariant& v : {TVariant(1LL), TVariant(1.0), TVariant(true), TVariant("1"), TVariant()})
    EXPECT_FALSE(IsIntegerVariant(v));
}
