// The "&" rules of captions: one table of captions through every routine, and one hot key per
// caption whichever control reads it.
#include <gtest/gtest.h>

#include <random>

#include "framework/Menus.h"
#include "framework/Mnemonics.h"

namespace {

struct TCaptionCase {
  const wchar_t* Caption;
  const wchar_t* Stripped;   // StripAccelChars
  int AccelAt;               // its hot-key position in Stripped
  wchar_t Accel;             // FindAccelChar
  const wchar_t* FarEast;    // StripAccelCharsFarEast
  const wchar_t* Escaped;    // EscapeAmpersands
  const wchar_t* Unescaped;  // UnescapeAmpersands
};

const TCaptionCase kCaptions[] = {
    {L"", L"", -1, 0, L"", L"", L""},
    {L"File", L"File", -1, 0, L"File", L"File", L"File"},
    {L"&File", L"File", 0, L'F', L"File", L"&&File", L"&File"},
    {L"Save &As...", L"Save As...", 5, L'A', L"Save As...", L"Save &&As...", L"Save &As..."},
    // Two marks: the last one is the hot key, for menus and toolbars alike.
    {L"&Save &As", L"Save As", 5, L'A', L"Save As", L"&&Save &&As", L"&Save &As"},
    {L"&a&b", L"ab", 1, L'b', L"ab", L"&&a&&b", L"&a&b"},
    {L"Fish && &Chips", L"Fish & Chips", 7, L'C', L"Fish & Chips", L"Fish &&&& &&Chips", L"Fish & &Chips"},
    {L"A&&B", L"A&B", -1, 0, L"A&B", L"A&&&&B", L"A&B"},
    {L"&&&x", L"&x", 1, L'x', L"&x", L"&&&&&&x", L"&&x"},
    {L"&&&&", L"&&", -1, 0, L"&&", L"&&&&&&&&", L"&&"},
    {L"end&", L"end", -1, 0, L"end", L"end&&", L"end&"},
    {L"&", L"", -1, 0, L"", L"&&", L"&"},
    {L"&&", L"&", -1, 0, L"&", L"&&&&", L"&"},
    {L"Open (&O)", L"Open (O)", 6, L'O', L"Open ", L"Open (&&O)", L"Open (&O)"},
    {L"(&O)x", L"(O)x", 1, L'O', L"x", L"(&&O)x", L"(&O)x"},
    {L"(&OK)", L"(OK)", 1, L'O', L"(OK)", L"(&&OK)", L"(&OK)"},
    {L"&\x00e9t\x00e9", L"\x00e9t\x00e9", 0, 0x00e9, L"\x00e9t\x00e9", L"&&\x00e9t\x00e9", L"&\x00e9t\x00e9"},
    {L"Tab&\tCtrl+&T", L"Tab\tCtrl+T", 9, L'T', L"Tab\tCtrl+T", L"Tab&&\tCtrl+&&T", L"Tab&\tCtrl+&T"},
};

}  // namespace

TEST(Mnemonics, EveryRoutineReadsTheTableOfCaptions) {
  for (const TCaptionCase& c : kCaptions) {
    int at = -2;
    EXPECT_EQ(StripAccelChars(c.Caption, &at), c.Stripped) << c.Caption;
    EXPECT_EQ(at, c.AccelAt) << c.Caption;
    EXPECT_EQ(FindAccelChar(c.Caption), c.Accel) << c.Caption;
    EXPECT_EQ(StripAccelCharsFarEast(c.Caption), c.FarEast) << c.Caption;
    EXPECT_EQ(EscapeAmpersands(WideString(c.Caption)), c.Escaped) << c.Caption;
    EXPECT_EQ(UnescapeAmpersands(WideString(c.Caption)), c.Unescaped) << c.Caption;
    // The ANSI forms follow the same rules.
    AnsiString ansi;
    for (const wchar_t* p = c.Caption; *p; ++p) ansi += static_cast<char>(*p < 0x80 ? *p : '?');
    AnsiString escaped = EscapeAmpersands(ansi);
    EXPECT_EQ(UnescapeAmpersands(escaped), ansi) << c.Caption;
    // The hot key sits where the position says.
    if (c.AccelAt >= 0) {
      EXPECT_EQ(WideString(c.Stripped)[static_cast<size_t>(c.AccelAt)], c.Accel) << c.Caption;
    }
  }
}

TEST(Mnemonics, MenusLabelsAndToolbarsAgreeOnTheHotKey) {
  for (const TCaptionCase& c : kCaptions) {
    // The framework's menu reading gives the same key, in upper case.
    wchar_t upper = c.Accel;
    CharUpperBuffW(&upper, 1);
    EXPECT_EQ(GetHotkey(c.Caption), c.Accel ? upper : 0) << c.Caption;
    EXPECT_EQ(StripHotkey(c.Caption), c.Stripped) << c.Caption;
    if (!c.Accel) {
      EXPECT_FALSE(IsAccelChar(L'a', c.Caption) || IsAccelChar(0, c.Caption)) << c.Caption;
      continue;
    }
    wchar_t lower = c.Accel;
    CharLowerBuffW(&lower, 1);
    EXPECT_TRUE(IsAccelChar(upper, c.Caption) && IsAccelChar(lower, c.Caption)) << c.Caption;
  }
  // Keys are compared in upper case, beyond ASCII too; other characters stay as they are.
  EXPECT_EQ(AccelCharUpper(L'\x00e9'), L'\x00c9');
  EXPECT_EQ(AccelCharUpper(L'\x0444'), L'\x0424');
  EXPECT_EQ(AccelCharUpper(L'&'), L'&');
  // An earlier mark is not the hot key.
  EXPECT_FALSE(IsAccelChar(L's', L"&Save &As"));
  EXPECT_FALSE(IsAccelChar(L'&', L"Fish && &Chips"));
}

TEST(Mnemonics, TrailingPunctuationOfHints) {
  const struct {
    const wchar_t *In, *Out;
  } cases[] = {{L"Open...", L"Open"}, {L"Name:", L"Name"},    {L":", L":"},      {L"a:", L"a"},       {L"...", L"..."},
               {L"a...", L"a"},       {L"Wait..", L"Wait.."}, {L"a:...", L"a:"}, {L"Go..:", L"Go.."}, {L"", L""}};
  for (const auto& c : cases) EXPECT_EQ(StripTrailingPunctuation(c.In), c.Out) << c.In;
}

TEST(Mnemonics, EscapingAndStrippingAreInverseOnAnyText) {
  std::mt19937 random(4343);
  const wchar_t alphabet[] = {L'&', L'&', L'(', L')', L'a', L'B', L'.', L':', 0x00E9, L' '};
  for (int round = 0; round < 5000; ++round) {
    WideString text;
    int length = static_cast<int>(random() % 14);
    for (int i = 0; i < length; ++i) text += alphabet[random() % std::size(alphabet)];
    WideString escaped = EscapeAmpersands(text);
    ASSERT_EQ(StripAccelChars(escaped), text) << round;
    ASSERT_EQ(UnescapeAmpersands(escaped), text) << round;
    ASSERT_EQ(FindAccelChar(escaped), 0) << round;
    int at = -2;
    WideString stripped = StripAccelChars(text, &at);
    wchar_t accel = FindAccelChar(text);
    ASSERT_EQ(at >= 0, accel != 0) << round;
    if (at >= 0) {
      ASSERT_EQ(stripped[static_cast<size_t>(at)], accel) << round;
    }
    ASSERT_LE(StripAccelCharsFarEast(text).size(), stripped.size()) << round;
  }
}
