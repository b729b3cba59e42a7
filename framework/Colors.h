// Colour values: TColor with its constants, system colours, conversion to RGB, and the colour
// names that form files, settings and scheme files read and write ("clBtnFace", "$00FF8000").
//
// A colour is a 32-bit value, red in the low byte. A negative value 0xFF0000nn names the system
// colour nn (resolved with GetSysColor); clNone and clDefault are markers, not colours.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "framework/TypeInfo.h"
#include "framework/Types.h"

enum TColor : int32_t {};
HV_INTEGER_TYPE(TColor, INT32_MIN, INT32_MAX, otSLong)

namespace colors_detail {
constexpr TColor SystemColor(int index) {
  return TColor(static_cast<int32_t>(0xFF000000u | static_cast<uint32_t>(index)));
}
}  // namespace colors_detail

constexpr TColor clSystemColor = colors_detail::SystemColor(0);

constexpr TColor clScrollBar = colors_detail::SystemColor(0);
constexpr TColor clBackground = colors_detail::SystemColor(1);
constexpr TColor clActiveCaption = colors_detail::SystemColor(2);
constexpr TColor clInactiveCaption = colors_detail::SystemColor(3);
constexpr TColor clMenu = colors_detail::SystemColor(4);
constexpr TColor clWindow = colors_detail::SystemColor(5);
constexpr TColor clWindowFrame = colors_detail::SystemColor(6);
constexpr TColor clMenuText = colors_detail::SystemColor(7);
constexpr TColor clWindowText = colors_detail::SystemColor(8);
constexpr TColor clCaptionText = colors_detail::SystemColor(9);
constexpr TColor clActiveBorder = colors_detail::SystemColor(10);
constexpr TColor clInactiveBorder = colors_detail::SystemColor(11);
constexpr TColor clAppWorkSpace = colors_detail::SystemColor(12);
constexpr TColor clHighlight = colors_detail::SystemColor(13);
constexpr TColor clHighlightText = colors_detail::SystemColor(14);
constexpr TColor clBtnFace = colors_detail::SystemColor(15);
constexpr TColor clBtnShadow = colors_detail::SystemColor(16);
constexpr TColor clGrayText = colors_detail::SystemColor(17);
constexpr TColor clBtnText = colors_detail::SystemColor(18);
constexpr TColor clInactiveCaptionText = colors_detail::SystemColor(19);
constexpr TColor clBtnHighlight = colors_detail::SystemColor(20);
constexpr TColor cl3DDkShadow = colors_detail::SystemColor(21);
constexpr TColor cl3DLight = colors_detail::SystemColor(22);
constexpr TColor clInfoText = colors_detail::SystemColor(23);
constexpr TColor clInfoBk = colors_detail::SystemColor(24);
constexpr TColor clHotLight = colors_detail::SystemColor(26);
constexpr TColor clGradientActiveCaption = colors_detail::SystemColor(27);
constexpr TColor clGradientInactiveCaption = colors_detail::SystemColor(28);
constexpr TColor clMenuHighlight = colors_detail::SystemColor(29);
constexpr TColor clMenuBar = colors_detail::SystemColor(30);

constexpr TColor clBlack = TColor(0x000000);
constexpr TColor clMaroon = TColor(0x000080);
constexpr TColor clGreen = TColor(0x008000);
constexpr TColor clOlive = TColor(0x008080);
constexpr TColor clNavy = TColor(0x800000);
constexpr TColor clPurple = TColor(0x800080);
constexpr TColor clTeal = TColor(0x808000);
constexpr TColor clGray = TColor(0x808080);
constexpr TColor clSilver = TColor(0xC0C0C0);
constexpr TColor clRed = TColor(0x0000FF);
constexpr TColor clLime = TColor(0x00FF00);
constexpr TColor clYellow = TColor(0x00FFFF);
constexpr TColor clBlue = TColor(0xFF0000);
constexpr TColor clFuchsia = TColor(0xFF00FF);
constexpr TColor clAqua = TColor(0xFFFF00);
constexpr TColor clLtGray = TColor(0xC0C0C0);
constexpr TColor clDkGray = TColor(0x808080);
constexpr TColor clWhite = TColor(0xFFFFFF);
constexpr TColor clMoneyGreen = TColor(0xC0DCC0);
constexpr TColor clSkyBlue = TColor(0xF0CAA6);
constexpr TColor clCream = TColor(0xF0FBFF);
constexpr TColor clMedGray = TColor(0xA4A0A0);

constexpr TColor clNone = TColor(0x1FFFFFFF);
constexpr TColor clDefault = TColor(0x20000000);

constexpr bool IsSystemColor(TColor c) { return static_cast<int32_t>(c) < 0; }

// The RGB value of a colour: system colours through GetSysColor, any other value unchanged.
uint32_t ColorToRGB(TColor color);

// Colour names ("clBtnFace"), compared without regard to ASCII case. The signatures are those
// of the integer-identifier registry, where these two are registered for TColor.
bool IdentToColor(std::string_view ident, int32_t& color);
bool ColorToIdent(int32_t color, std::string& ident);

// The name of the colour, or "$" and 8 upper-case hex digits ("$00FF8000").
AnsiString ColorToString(TColor color);
// A colour name, or a decimal or "$"-hexadecimal integer; anything else raises EConvertError
// "'%s' is not a valid integer value".
TColor StringToColor(std::string_view text);

namespace colors_detail {
// Registers the colour names for TColor; run once by every unit that includes this header.
bool RegisterColorIdents();
inline const bool colorIdentsRegistered = RegisterColorIdents();
}  // namespace colors_detail
