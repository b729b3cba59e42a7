// Colour values: system colour resolution and the colour names in both directions.
#include <gtest/gtest.h>

#include <utility>

#include "framework/Colors.h"
#include "framework/Exceptions.h"
#include "framework/Win.h"
#include "tests/framework/Raised.h"

namespace {

struct NamedColor {
  const char* name;
  uint32_t value;
};

// Every name a colour text may use, with its value.
const NamedColor namedColors[] = {
    {"clBlack", 0x00000000},
    {"clMaroon", 0x00000080},
    {"clGreen", 0x00008000},
    {"clOlive", 0x00008080},
    {"clNavy", 0x00800000},
    {"clPurple", 0x00800080},
    {"clTeal", 0x00808000},
    {"clGray", 0x00808080},
    {"clSilver", 0x00C0C0C0},
    {"clRed", 0x000000FF},
    {"clLime", 0x0000FF00},
    {"clYellow", 0x0000FFFF},
    {"clBlue", 0x00FF0000},
    {"clFuchsia", 0x00FF00FF},
    {"clAqua", 0x00FFFF00},
    {"clWhite", 0x00FFFFFF},
    {"clMoneyGreen", 0x00C0DCC0},
    {"clSkyBlue", 0x00F0CAA6},
    {"clCream", 0x00F0FBFF},
    {"clMedGray", 0x00A4A0A0},
    {"clActiveBorder", 0xFF00000A},
    {"clActiveCaption", 0xFF000002},
    {"clAppWorkSpace", 0xFF00000C},
    {"clBackground", 0xFF000001},
    {"clBtnFace", 0xFF00000F},
    {"clBtnHighlight", 0xFF000014},
    {"clBtnShadow", 0xFF000010},
    {"clBtnText", 0xFF000012},
    {"clCaptionText", 0xFF000009},
    {"clDefault", 0x20000000},
    {"clGradientActiveCaption", 0xFF00001B},
    {"clGradientInactiveCaption", 0xFF00001C},
    {"clGrayText", 0xFF000011},
    {"clHighlight", 0xFF00000D},
    {"clHighlightText", 0xFF00000E},
    {"clHotLight", 0xFF00001A},
    {"clInactiveBorder", 0xFF00000B},
    {"clInactiveCaption", 0xFF000003},
    {"clInactiveCaptionText", 0xFF000013},
    {"clInfoBk", 0xFF000018},
    {"clInfoText", 0xFF000017},
    {"clMenu", 0xFF000004},
    {"clMenuBar", 0xFF00001E},
    {"clMenuHighlight", 0xFF00001D},
    {"clMenuText", 0xFF000007},
    {"clNone", 0x1FFFFFFF},
    {"clScrollBar", 0xFF000000},
    {"cl3DDkShadow", 0xFF000015},
    {"cl3DLight", 0xFF000016},
    {"clWindow", 0xFF000005},
    {"clWindowFrame", 0xFF000006},
    {"clWindowText", 0xFF000008},
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
  EXPECT_EQ(ColorToString(C(0x00FF8000)), "$00FF8000");
  EXPECT_EQ(ColorToString(C(0x123)), "$00000123");
  EXPECT_EQ(ColorToString(C(0xFF000019)), "$FF000019");  // system colour 25 has no name
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
