// The tagged value: type codes, conversions, failures with their exact texts, comparison.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "framework/DateTime.h"
#include "framework/Variant.h"
#include "tests/framework/Joined.h"
#include "tests/framework/Raised.h"

namespace {

class VariantTest : public testing::Test {
 protected:
  TFormatSettingsOverride settings_{TFormatSettings::English()};
};

}  // namespace

TEST_F(VariantTest, ToText) {
  // Singles show their own precision.
  EXPECT_EQ(
      Joined({TVariant(), TVariant(-42), TVariant(4000000000u), TVariant(0.1f), TVariant(2.5),
              TVariant::FromCurrency(125000), TVariant::FromCurrency(-1), TVariant::FromCurrency(INT64_MIN),
              TVariant(true), TVariant(false), TVariant::FromDateTime(EncodeDate(2024, 3, 14)), TVariant(L"caf\u00e9")},
             [](const TVariant& v) { return v.AsString(); }),
      "|-42|4000000000|0.1|2.5|12.5|-0.0001|-922337203685477.5808|True|False|3/14/2024|caf\xE9");
  EXPECT_EQ(TVariant("caf\xE9").AsWideString(), L"caf\u00e9");
  EXPECT_EQ(TVariant(L"\u0416").AsWideString(), L"\u0416");
  EXPECT_EQ(VarToStr(TVariant::Null()), "");
  EXPECT_EQ(VarToWideStr(TVariant::Null()), L"");
  EXPECT_EQ(Raised<EVariantError>([] { TVariant::Null().AsString(); }),
            "Could not convert variant of type (Null) into type (String)");
  EXPECT_EQ(Raised<EVariantError>([] { TVariant(std::vector<uint8_t>{1}).AsWideString(); }),
            "Could not convert variant of type (Array Byte) into type (OleStr)");
}

TEST_F(VariantTest, ToNumbers) {
  // Halves round to even.
  EXPECT_EQ(Joined({TVariant(), TVariant(true), TVariant("  12"), TVariant("$FF"), TVariant(L"2.5"), TVariant(3.5),
                    TVariant(-3.5), TVariant::FromCurrency(125000)},
                   [](const TVariant& v) { return v.AsInteger(); }),
            "0|-1|12|255|2|4|-4|12");
  EXPECT_EQ(TVariant::FromCurrency(125000).AsDouble(), 12.5);
  EXPECT_EQ(TVariant(12.5).AsCurrency(), 125000);
  EXPECT_EQ(TVariant(INT64_MAX).AsInt64(), INT64_MAX) << "no detour through floats";
  EXPECT_EQ(TVariant("1e3").AsDouble(), 1000.0);
  EXPECT_EQ(TVariant(4000000000u).AsInt64(), 4000000000LL);
  EXPECT_EQ(Raised<EVariantError>([] { TVariant(4000000000u).AsInteger(); }),
            "Could not convert variant of type (LongWord) into type (Integer)");
  EXPECT_EQ(Raised<EVariantError>([] { TVariant(1e300).AsInt64(); }),
            "Could not convert variant of type (Double) into type (Int64)");
  EXPECT_EQ(Raised<EVariantError>([] { TVariant::Null().AsInteger(); }),
            "Could not convert variant of type (Null) into type (Integer)");
  EXPECT_EQ(Raised<EConvertError>([] { TVariant("abc").AsInteger(); }),
            "Could not convert variant of type (String) into type (Integer)");
  EXPECT_EQ(Raised<EConvertError>([] { TVariant(L"1x").AsDouble(); }),
            "Could not convert variant of type (OleStr) into type (Double)");
  EXPECT_EQ(Raised<EVariantError>([] { TVariant(1).AsBytes(); }),
            "Could not convert variant of type (Integer) into type (Array Byte)");
}

TEST_F(VariantTest, ToBooleanAndDate) {
  EXPECT_TRUE(TVariant(2).AsBoolean());
  EXPECT_FALSE(TVariant(0.0).AsBoolean());
  EXPECT_FALSE(TVariant().AsBoolean());
  EXPECT_TRUE(TVariant("TRUE").AsBoolean());
  EXPECT_FALSE(TVariant(L"false").AsBoolean());
  EXPECT_TRUE(TVariant("1").AsBoolean());
  EXPECT_FALSE(TVariant("0").AsBoolean());
  EXPECT_EQ(Raised<EConvertError>([] { TVariant("yes").AsBoolean(); }),
            "Could not convert variant of type (String) into type (Boolean)");
  EXPECT_EQ(TVariant("3/14/2024").AsDateTime(), EncodeDate(2024, 3, 14));
  EXPECT_EQ(TVariant(2.5).AsDateTime(), 2.5);
  EXPECT_EQ(Raised<EConvertError>([] { TVariant("2/30/2024").AsDateTime(); }),
            "Could not convert variant of type (String) into type (Date)");
}

TEST_F(VariantTest, EqualityAndOrder) {
  EXPECT_EQ(TVariant(5), TVariant(5LL));
  EXPECT_EQ(TVariant(5), TVariant(5.0));
  EXPECT_EQ(TVariant(5), TVariant("5"));
  EXPECT_EQ(TVariant("abc"), TVariant(L"abc"));
  EXPECT_FALSE(TVariant("abc") == TVariant("ABC"));
  EXPECT_FALSE(TVariant(5) == TVariant("five"));
  EXPECT_EQ(TVariant::Null(), TVariant::Null());
  EXPECT_EQ(TVariant::Null().Compare(TVariant(0)), vrNotEqual);
  EXPECT_EQ(TVariant().Compare(TVariant()), vrEqual);
  EXPECT_EQ(TVariant().Compare(TVariant(0)), vrLessThan);
  EXPECT_EQ(TVariant(1).Compare(TVariant(2.5)), vrLessThan);
  EXPECT_EQ(TVariant("b").Compare(TVariant("a")), vrGreaterThan);
  EXPECT_EQ(TVariant(10).Compare(TVariant("9")), vrGreaterThan) << "numeric text compares as a number";
  EXPECT_EQ(TVariant(true), TVariant(-1));
  EXPECT_EQ(TVariant(true), TVariant("True"));
  EXPECT_EQ(TVariant::FromCurrency(10000), TVariant(1));
  std::vector<uint8_t> bytes{1, 2, 3};
  EXPECT_EQ(TVariant(bytes), TVariant(bytes));
  EXPECT_EQ(TVariant(bytes).Compare(TVariant(std::vector<uint8_t>{1, 2})), vrNotEqual);
  EXPECT_EQ(TVariant(bytes).Compare(TVariant(1)), vrNotEqual);
  EXPECT_EQ(TVariant(INT64_MAX).Compare(TVariant(INT64_MAX - 1)), vrGreaterThan) << "64-bit values stay exact";
}
