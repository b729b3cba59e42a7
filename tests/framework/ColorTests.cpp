// Colour values: system colour resolution and the colour names in both directions.
#include <gtest/gtest.h>

#include <utility>

#include "framework/Colors.h"
#include "framework/Exceptions.h"
#include "framework/Win.h"
#include "tests/framework/Joined.h"
#include "tests/framework/Raised.h"

namespace {

struct NamedColor {
  const char* name;
  uint32_t value;
};

// Names of each kind: standard, extended, system colours at both ends of their range, and the
// two markers.
const NamedColor namedColors[] = {
    {"clBlack", 0x00000000},   {"clMaroon", 0x00000080},    {"clWhite", 0x00FFFFFF},   {"clMoneyGreen", 0x00C0DCC0},
    {"clMedGray", 0x00A4A0A0}, {"clScrollBar", 0xFF000000}, {"clBtnFace", 0xFF00000F}, {"cl3DDkShadow", 0xFF000015},
    {"clMenuBar", 0xFF00001E}, {"clDefault", 0x20000000},   {"clNone", 0x1FFFFFFF},
};

TColor C(uint32_t v) { return TColor(static_cast<int32_t>(v)); }

}  // namespace

TEST(Colors, SystemColorsResolveThroughTheSystem) {
  for (int index = 0; index <= 30; ++index) EXPECT_EQ(ColorToRGB(C(0xFF000000u | index)), GetSysColor(index)) << index;
  EXPECT_EQ(ColorToRGB(clBtnFace), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(ColorToRGB(clInfoBk), GetSysColor(COLOR_INFOBK));
  // Plain colours and the markers pass unchanged.
  EXPECT_EQ(ColorToRGB(clSilver), 0xC0C0C0u);
  EXPECT_EQ(ColorToRGB(C(0x123456)), 0x123456u);
  EXPECT_EQ(ColorToRGB(clNone), 0x1FFFFFFFu);
  EXPECT_TRUE(IsSystemColor(clWindow));
  EXPECT_FALSE(IsSystemColor(clNone));
  EXPECT_FALSE(IsSystemColor(clDefault));
}

TEST(Colors, EveryNameReadsAndWritesItsValue) {
  for (const NamedColor& c : namedColors) {
    EXPECT_EQ(static_cast<uint32_t>(StringToColor(c.name)), c.value) << c.name;
    EXPECT_EQ(ColorToString(C(c.value)), c.name);
  }
  EXPECT_EQ(clLtGray, clSilver);
  EXPECT_EQ(clDkGray, clGray);
}

TEST(Colors, ValuesWithoutANameAreHex) {
  // System colour 25 has no name.
  EXPECT_EQ(Joined({0x00FF8000u, 0x123u, 0xFF000019u}, [](uint32_t v) { return ColorToString(C(v)); }),
            "$00FF8000|$00000123|$FF000019");
  EXPECT_EQ(StringToColor("$00ff8000"), C(0x00FF8000));
  for (uint32_t v : {0x00FF8000u, 0x00000001u, 0x7FFFFFFFu, 0x80000000u, 0xFF000019u, 0xFFFFFFFFu})
    EXPECT_EQ(static_cast<uint32_t>(StringToColor(ColorToString(C(v)))), v);
}

TEST(Colors, NamesInAnyCaseAndIntegersInDecimalAndHexAreRead) {
  const std::pair<const char*, uint32_t> texts[] = {
      {"CLBTNFACE", 0xFF00000F},
      {"clbtnface", 0xFF00000F},
      {"Cl3dDkShadow", 0xFF000015},
      {"255", 0xFF},
      {"+255", 0xFF},
      {"-16777201", 0xFF00000F},
      {"$FF00000F", 0xFF00000F},
      {"0x0000FF", 0xFF},
      {"2147483647", 0x7FFFFFFF},
      {"-2147483648", 0x80000000},
  };
  for (const auto& [text, value] : texts) EXPECT_EQ(static_cast<uint32_t>(StringToColor(text)), value) << text;
}

TEST(Colors, TextThatIsNeitherANameNorAnIntegerIsRefused) {
  for (const char* bad : {"", "clNoSuchColour", "12ab", "$", "-", "0x", "$100000000", "2147483648", "-2147483649",
                          " clRed", "clRed ", "1 2"}) {
    EXPECT_THROW(StringToColor(bad), EConvertError) << bad;
  }
  EXPECT_EQ(Raised<EConvertError>([] { StringToColor("clNoSuchColour"); }),
            "'clNoSuchColour' is not a valid integer value");
}
