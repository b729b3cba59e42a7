// The character palette (recent characters, "LastChars", cells, hints, inserting) and the hint
// window (kept on the desktop, the animation rules under a clock of the test's own).
#include <gtest/gtest.h>

#include <random>

#include "app/CharPalette.h"
#include "editor/TxtEdit.h"
#include "framework/Application.h"
#include "framework/IniFiles.h"

namespace {

AnsiString Joined(TStrings* List) {
  AnsiString text;
  for (int i = 0; i < List->Count(); ++i) text += (i ? "," : "") + List->Strings(i);
  return text;
}

TEST(CharPalette, RecentCharactersAndCells) {
  TCharPalette palette(nullptr);
  SeedRecentChars(&palette);
  EXPECT_EQ(Joined(palette.Chars()), "171,187,151,133,169,174,153,167,146,147,148");
  EXPECT_EQ(palette.RowCount(), 3);
  struct {
    int col, row, code;
  } cells[] = {{0, 0, 171}, {4, 0, 169}, {0, 2, 148}, {1, 2, 0}, {5, 0, 0}, {-1, 0, 0}, {0, -1, 0}};
  for (const auto& c : cells) EXPECT_EQ(CharAt(&palette, c.col, c.row), c.code) << c.col << "," << c.row;

  AddRecentChar(&palette, 233);
  AddRecentChar(&palette, 31);
  AddRecentChar(&palette, 256);
  EXPECT_EQ(Joined(palette.Chars()), "233,171,187,151,133,169,174,153,167,146,147,148");
  AddRecentChar(&palette, 151);  // moves to the front
  EXPECT_EQ(Joined(palette.Chars()).substr(0, 12), "151,233,171,");
  for (int code = 60; code < 64; ++code) AddRecentChar(&palette, code);
  EXPECT_EQ(palette.Chars()->Count(), 15);
  AddRecentChar(&palette, 64);  // the sixteenth drops the last
  EXPECT_EQ(palette.Chars()->Count(), 15);
  EXPECT_EQ(palette.Chars()->Strings(14), "146");
  EXPECT_EQ(palette.RowCount(), 3);
}

TEST(CharPalette, HintsAndInserting) {
  TCharPalette palette(nullptr);
  TStringList chars;
  chars.SetText("65\r\n233\r\nx\r\n300");
  palette.SetChars(&chars);
  EXPECT_EQ(palette.RowCount(), 1);
  EXPECT_EQ(palette.GetCellHint(0, 0), L"Char code: 65 (0x41)\r\nShortcut keys: Alt+065");
  EXPECT_EQ(palette.GetCellHint(1, 0), L"Char code: 233 (0xE9)\r\nShortcut keys: Alt+0233");
  EXPECT_EQ(palette.GetCellHint(2, 0), L"");
  EXPECT_EQ(palette.GetCellHint(3, 0), L"");
  palette.ShortcutFormat.clear();
  EXPECT_EQ(palette.GetCellHint(0, 0), L"");

  TTxtEdit edit(nullptr);
  edit.SetTextA("abc");
  edit.SetBlockBegin({2, 1});
  edit.SetBlockEnd({3, 1});
  EXPECT_TRUE(InsertPaletteChar(&palette, 1, 0, &edit));
  EXPECT_EQ(edit.Lines()->Text(),
            "a\xE9"
            "c");
  EXPECT_EQ(Joined(palette.Chars()), "233,65,x,300");
  EXPECT_FALSE(InsertPaletteChar(&palette, 2, 0, &edit));  // "x" holds no character
  palette.SetEnabled(false);
  EXPECT_FALSE(InsertPaletteChar(&palette, 1, 0, &edit));
  EXPECT_EQ(edit.Lines()->Text(),
            "a\xE9"
            "c");
}

TEST(CharPalette, LastCharsStoredAndReadBack) {
  struct {
    const char* ini;
    const char* chars;
  } cases[] = {
      {"", "171,187,151,133,169,174,153,167,146,147,148"},  // nothing stored: the seed stays
      {"[LastChars]\r\nCount=3\r\nItem0=233\r\nItem1=x\r\nItem2=65\r\n", "233,65"},
      {"[LastChars]\r\nCount=0\r\n", ""},
      {"[LastChars]\r\nCount=2\r\nItem0=40\r\n", "40"},
  };
  for (const auto& c : cases) {
    TMemIniFile ini(L"");
    TStringList lines;
    lines.SetText(c.ini);
    ini.SetStrings(&lines);
    TCharPalette palette(nullptr);
    SeedRecentChars(&palette);
    LoadLastChars(&palette, &ini);
    EXPECT_EQ(Joined(palette.Chars()), c.chars) << c.ini;
    TMemIniFile back(L"");
    SaveLastChars(&palette, &back);
    TCharPalette again(nullptr);
    LoadLastChars(&again, &back);
    EXPECT_EQ(Joined(again.Chars()), c.chars) << c.ini;
  }
}

TEST(CharPalette, MangledLastCharsEndInUsableCells) {
  const AnsiString seed = "[LastChars]\r\nCount=4\r\nItem0=233\r\nItem1=65\r\nItem2=171\r\nItem3=32\r\n";
  std::mt19937 random(113);
  const char pieces[] = "0123456789-=\r\n[]x ";
  for (int i = 0; i < 3000; ++i) {
    AnsiString text = seed;
    for (int m = 1 + static_cast<int>(random() % 5); m > 0; --m) {
      const size_t at = random() % (text.size() + 1);
      if (random() % 3 == 0 && at < text.size())
        text.erase(at, 1 + random() % 3);
      else
        text.insert(at, 1, pieces[random() % (sizeof pieces - 1)]);
    }
    TMemIniFile ini(L"");
    TStringList lines;
    lines.SetText(text);
    ini.SetStrings(&lines);
    TCharPalette palette(nullptr);
    LoadLastChars(&palette, &ini);
    ASSERT_LE(palette.Chars()->Count(), 15) << text;
    for (int row = 0; row < palette.RowCount(); ++row)
      for (int col = 0; col < 5; ++col) {
        const int code = CharAt(&palette, col, row);
        EXPECT_TRUE(code == 0 || (code >= 32 && code <= 255)) << text;
      }
  }
}

TEST(SafeHintWindow, KeptOnTheDesktop) {
  const TRect desktop{-100, 0, 1180, 1024};
  struct {
    TRect in, out;
  } cases[] = {
      {{10, 10, 110, 40}, {10, 10, 110, 40}},
      {{1150, 1000, 1250, 1030}, {1080, 994, 1180, 1024}},  // bottom right corner
      {{-150, -20, -50, 10}, {-100, 0, 0, 30}},
      {{-100, 0, 1180, 1024}, {-100, 0, 1180, 1024}},
  };
  for (const auto& c : cases) {
    const TRect r = KeepOnDesktop(c.in, desktop);
    EXPECT_TRUE(r.Left == c.out.Left && r.Top == c.out.Top && r.Right == c.out.Right && r.Bottom == c.out.Bottom)
        << r.Left << "," << r.Top << "," << r.Right << "," << r.Bottom;
  }
}

TEST(SafeHintWindow, AnimationRules) {
  using A = THintAnimation;
  struct {
    DWORD now, last;
    size_t length;
    bool animation, fade, above;
    A expected;
  } cases[] = {
      {1000, 500, 10, true, false, true, A::SlideDown}, {1000, 500, 10, true, false, false, A::SlideUp},
      {1000, 500, 10, true, true, true, A::Blend},      {1000, 500, 10, false, true, true, A::None},
      {1000, 800, 10, true, true, true, A::None},       {1000, 750, 10, true, true, true, A::None},
      {1000, 749, 99, true, true, true, A::Blend},      {1000, 500, 100, true, true, true, A::None},
      {5, 0xFFFFFF00u, 10, true, true, true, A::Blend},  // the tick count wrapped
  };
  for (const auto& c : cases) {
    THintShowFacts facts;
    facts.Now = c.now, facts.LastShown = c.last, facts.TextLength = c.length;
    facts.TooltipAnimation = c.animation, facts.TooltipFade = c.fade, facts.MouseAtOrAboveTop = c.above;
    EXPECT_EQ(ChooseHintAnimation(facts), c.expected) << c.now << " " << c.last << " " << c.length;
  }
}

DWORD fakeNow = 100000;
DWORD FakeClock() { return fakeNow; }

TEST(SafeHintWindow, ShownTopMostInsideTheDesktop) {
  TSafeHintWindow::SetClock(FakeClock);
  BOOL previous = FALSE;
  SystemParametersInfoW(SPI_GETTOOLTIPANIMATION, 0, &previous, 0);
  SystemParametersInfoW(SPI_SETTOOLTIPANIMATION, 0, reinterpret_cast<void*>(TRUE), 0);
  BOOL on = FALSE;
  SystemParametersInfoW(SPI_GETTOOLTIPANIMATION, 0, &on, 0);
  {
    TSafeHintWindow hint(nullptr);
    const int right = GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int bottom = GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    hint.ActivateHint({right - 20, bottom - 10, right + 80, bottom + 20}, L"near the corner");
    RECT r;
    GetWindowRect(hint.Handle(), &r);
    EXPECT_TRUE(r.right == right && r.bottom == bottom && r.right - r.left == 100 && r.bottom - r.top == 34);
    EXPECT_TRUE(GetWindowLongW(hint.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(IsWindowVisible(hint.Handle()));
    if (on) {
      EXPECT_NE(hint.LastAnimation(), THintAnimation::None);
    }
    fakeNow += 200;  // within 250 ms of the last
    hint.ActivateHint({10, 10, 110, 40}, L"second");
    EXPECT_EQ(hint.LastAnimation(), THintAnimation::None);
    fakeNow += 1000;
    hint.ActivateHint({10, 10, 110, 40}, WideString(120, L'x'));
    EXPECT_EQ(hint.LastAnimation(), THintAnimation::None);
    Application->SetHintColor(clRed);
    hint.ActivateHint({10, 10, 110, 40}, L"    ");  // the colour swatch keeps its colour
    EXPECT_EQ(Application->HintColor(), clRed);
    hint.ActivateHint({10, 10, 110, 40}, L"text");
    EXPECT_EQ(Application->HintColor(), clInfoBk);
  }
  SystemParametersInfoW(SPI_SETTOOLTIPANIMATION, 0, reinterpret_cast<void*>(static_cast<INT_PTR>(previous)), 0);
  TSafeHintWindow::SetClock(nullptr);
}

}  // namespace
