// The character palette (recent characters, cells, hints, "LastChars") and the hint window (kept
// on the desktop, the animation rules under a clock of the test's own).
#include <gtest/gtest.h>

#include <random>

#include "app/CharPalette.h"
#include "framework/Application.h"
#include "foundation/ApAppIniStorage.h"
#include "framework/IniFiles.h"
#include "toolbars/BarView.h"

namespace {

AnsiString Joined(TStrings* List) {
  AnsiString text;
  for (int i = 0; i < List->Count(); ++i) text += (i ? "," : "") + List->Strings(i);
  return text;
}

// A palette loaded from the text of a preferences file.
void Load(TCharPalette& Palette, const AnsiString& Ini) {
  TApAppIniFileStorage storage(nullptr);
  storage.SetFlushOnDestroy(false);
  storage.SetAsString(Ini);
  LoadLastChars(&Palette, storage);
}

TEST(CharPalette, RecentCharactersCellsAndHints) {
  TCharPalette palette(nullptr);
  SeedRecentChars(&palette);
  EXPECT_EQ(Joined(palette.Chars()), "171,187,151,133,169,174,153,167,146,147,148");
  EXPECT_EQ(palette.RowCount(), 3);
  for (auto [col, row, code] : {std::tuple{0, 0, 171}, {4, 0, 169}, {0, 2, 148}, {1, 2, 0}, {5, 0, 0}, {-1, 0, 0}})
    EXPECT_EQ(CharAt(&palette, col, row), code) << col << "," << row;
  for (int code : {233, 31, 256, 151}) AddRecentChar(&palette, code);  // 151 moves to the front
  EXPECT_EQ(Joined(palette.Chars()), "151,233,171,187,133,169,174,153,167,146,147,148");
  for (int code = 60; code < 65; ++code) AddRecentChar(&palette, code);  // the 16th drops the last
  EXPECT_EQ(palette.Chars()->Count(), 15);
  EXPECT_EQ(palette.Chars()->Strings(14), "146");

  Load(palette, "[LastChars]\r\nCount=4\r\nItem0=65\r\nItem1=233\r\nItem2=x\r\nItem3=300\r\n");
  EXPECT_EQ(Joined(palette.Chars()), "65,233,300");  // "x" is no number; 300 is one, but no character
  EXPECT_EQ(palette.RowCount(), 1);
  EXPECT_EQ(palette.GetCellHint(0, 0), L"Char code: 65 (0x41)\r\nShortcut keys: Alt+065");
  EXPECT_EQ(palette.GetCellHint(1, 0), L"Char code: 233 (0xE9)\r\nShortcut keys: Alt+0233");
  EXPECT_EQ(palette.GetCellHint(2, 0) + palette.GetCellHint(3, 0), L"");
  Load(palette, "[Other]\r\nCount=1\r\n");  // nothing stored: the list stays
  EXPECT_EQ(Joined(palette.Chars()), "65,233,300");
}

TEST(CharPalette, ACellHoldsEveryIntegerTextFrom32To255) {
  const struct {
    const char* Text;
    int Code;
  } cases[] = {{"32", 32}, {"255", 255}, {"31", 0},   {"256", 0},        {"0065", 65},
               {"-65", 0}, {"0", 0},     {"$41", 65}, {"9999999999", 0}, {"", 0}};
  for (const auto& c : cases) {
    TCharPalette palette(nullptr);
    TStringList chars;
    chars.Add(c.Text);
    palette.SetChars(&chars);
    EXPECT_EQ(CharAt(&palette, 0, 0), c.Code) << c.Text;
  }
}

TEST(CharPalette, MangledLastCharsEndInUsableCells) {
  const AnsiString seed = "[LastChars]\r\nCount=4\r\nItem0=233\r\nItem1=65\r\nItem2=171\r\nItem3=32\r\n";
  std::mt19937 random(113);
  const char inserts[] = "0123456789-=\r\n[]x ";
  for (int i = 0; i < 3000; ++i) {
    AnsiString text = seed;
    for (int m = 1 + static_cast<int>(random() % 5); m > 0; --m) {
      const size_t at = random() % (text.size() + 1);
      if (random() % 3 == 0 && at < text.size())
        text.erase(at, 1 + random() % 3);
      else
        text.insert(at, 1, inserts[random() % (sizeof inserts - 1)]);
    }
    TCharPalette palette(nullptr);
    Load(palette, text);
    ASSERT_LE(palette.Chars()->Count(), 15) << text;
    for (int cell = 0; cell < palette.RowCount() * 5; ++cell) {
      const int code = CharAt(&palette, cell % 5, cell / 5);
      EXPECT_TRUE(code == 0 || (code >= 32 && code <= 255)) << text;
    }
  }
}

TEST(CharPalette, PublishesItsCharactersAndCountsTheRows) {
  TCharPalette palette(nullptr);
  TStringList chars;
  for (const char* code : {"65", "66", "67", "68", "69", "70"}) chars.Add(code);
  SetObjectProp(&palette, FindPropInfo(&palette, "Chars"), &chars);
  EXPECT_EQ(Joined(palette.Chars()), "65,66,67,68,69,70");
  EXPECT_EQ(palette.RowCount(), 2);
  // Its characters are all it publishes: the palette it is made of publishes nothing.
  std::string published;
  for (const TPropInfo* p : GetPropList(&palette))
    if (p->DeclaringClass->InheritsFrom(TBarCustomItem::StaticClassInfo())) published += p->Name + " ";
  EXPECT_EQ(published, "Chars ");
}

struct TCellClicks {
  int Count = 0;
  void Click(TUiCustomToolPalette*, int&, int&, bool&) { ++Count; }
};

// A released click on a cell of the open menu runs the cell click; only a character that the
// palette can insert closes the menu.
TEST(CharPalette, OnlyACharacterItCanInsertClosesTheMenu) {
  const struct {
    const char* Code;
    bool Enabled, Closes;
  } cases[] = {{"65", true, true}, {"65", false, false}, {"300", true, false}, {"300", false, false}};
  for (const auto& c : cases) {
    TBarRootItem root(nullptr);
    TBarView view(nullptr, nullptr, &root, nullptr, false, false, false);
    auto* palette = new TCharPalette(nullptr);
    TStringList chars;
    chars.Add(c.Code);
    palette->SetChars(&chars);
    palette->SetEnabled(c.Enabled);
    TCellClicks clicks;
    palette->OnCellClick = TTPCellClick(&clicks, &TCellClicks::Click);
    root.Add(palette);
    view.SetState({vstModal});
    view.UpdatePositions();
    auto* viewer = dynamic_cast<TUiToolViewer*>(view.Find(palette));
    ASSERT_NE(viewer, nullptr);
    const TRect r = viewer->GetCellRect({0, 0, viewer->BoundsRect().Width(), viewer->BoundsRect().Height()}, 0, 0);
    viewer->MouseUp((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2, false);
    EXPECT_EQ(clicks.Count, 1) << c.Code << c.Enabled;
    EXPECT_EQ(view.DoneActionData().DoneAction == tbdaClickItem, c.Closes) << c.Code << c.Enabled;
    root.Remove(palette);
    delete palette;
  }
}

// A character takes 21 x 21 pixels, its cell 6 more each way; the rows follow the characters.
TEST(CharPalette, ACellIsTheCharacterAndItsFrame) {
  const struct { int Count, Rows; } cases[] = {{1, 1}, {5, 1}, {6, 2}, {11, 3}, {15, 3}};
  for (const auto& c : cases) {
    TBarRootItem root(nullptr);
    TBarView view(nullptr, nullptr, &root, nullptr, false, false, false);
    auto* palette = new TCharPalette(nullptr);
    TStringList chars;
    for (int i = 0; i < c.Count; ++i) chars.Add(std::to_string(65 + i));
    palette->SetChars(&chars);
    root.Add(palette);
    view.UpdatePositions();
    auto* viewer = dynamic_cast<TCharViewer*>(view.Find(palette));
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->GetImageSize(), (TPoint{21, 21}));
    EXPECT_EQ(viewer->GetCellSize(), (TPoint{27, 27}));
    EXPECT_EQ(viewer->BoundsRect().Height(), 27 * c.Rows) << c.Count;
    EXPECT_GE(viewer->BoundsRect().Width(), 27 * 5) << c.Count;
    root.Remove(palette);
    delete palette;
  }
}

DWORD fakeNow = 100000;
DWORD FakeClock() { return fakeNow; }

TEST(SafeHintWindow, ShownTopMostInsideTheDesktop) {
  TSafeHintWindow::SetClock(FakeClock);
  {
    TSafeHintWindow hint(nullptr);
    const int right = GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int bottom = GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    hint.ActivateHint({right - 20, bottom - 10, right + 80, bottom + 20}, L"near the corner");
    RECT r;
    GetWindowRect(hint.Handle(), &r);
    EXPECT_TRUE(r.right == right && r.bottom == bottom && r.right - r.left == 100 && r.bottom - r.top == 34);
    EXPECT_TRUE((GetWindowLongW(hint.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST) && IsWindowVisible(hint.Handle()));
    fakeNow += 200;  // within 250 ms of the last
    hint.ActivateHint({-5000, -5000, -4900, -4970}, L"second");
    EXPECT_EQ(hint.LastAnimation(), THintAnimation::None);
    GetWindowRect(hint.Handle(), &r);
    EXPECT_TRUE(r.left == GetSystemMetrics(SM_XVIRTUALSCREEN) && r.top == GetSystemMetrics(SM_YVIRTUALSCREEN));
    fakeNow += 1000;
    hint.ActivateHint({10, 10, 110, 40}, WideString(100, L'x'));  // too long to animate
    EXPECT_EQ(hint.LastAnimation(), THintAnimation::None);
    // Otherwise the system's tooltip settings choose.
    fakeNow += 1000;
    hint.ActivateHint({10, 10, 110, 40}, WideString(99, L'x'));
    BOOL on = FALSE;
    SystemParametersInfoW(SPI_GETTOOLTIPANIMATION, 0, &on, 0);
    EXPECT_TRUE(!on || hint.LastAnimation() != THintAnimation::None);
    Application->SetHintColor(clRed);
    hint.ActivateHint({10, 10, 110, 40}, L"    ");  // the colour swatch keeps its colour
    EXPECT_EQ(Application->HintColor(), clRed);
    hint.ActivateHint({10, 10, 110, 40}, L"text");
    EXPECT_EQ(Application->HintColor(), clInfoBk);
  }
  TSafeHintWindow::SetClock(nullptr);
  // Every animation slides in the system's way, a fade too.
  for (auto [animation, flags] : {std::pair{THintAnimation::None, DWORD(0)},
                                  {THintAnimation::Blend, DWORD(AW_BLEND | AW_SLIDE)},
                                  {THintAnimation::SlideDown, DWORD(AW_VER_POSITIVE | AW_SLIDE)},
                                  {THintAnimation::SlideUp, DWORD(AW_VER_NEGATIVE | AW_SLIDE)}})
    EXPECT_EQ(HintAnimateFlags(animation), flags) << int(animation);
  // A desktop that does not start at 0 (a monitor left of or above the first one): the hint stays
  // inside its edges, not inside its width and height counted from 0.
  for (auto [desktop, hint, expected] :
       {std::tuple{TRect{-1920, 0, 1920, 1080}, TRect{1900, 100, 2000, 130}, TRect{1820, 100, 1920, 130}},
        {TRect{-1920, 0, 1920, 1080}, TRect{-1950, 100, -1850, 130}, TRect{-1920, 100, -1820, 130}},
        {TRect{0, -1080, 1920, 1080}, TRect{100, 1070, 200, 1100}, TRect{100, 1050, 200, 1080}},
        {TRect{0, -1080, 1920, 1080}, TRect{100, -1100, 200, -1070}, TRect{100, -1080, 200, -1050}},
        {TRect{0, 0, 1920, 1080}, TRect{100, 100, 200, 130}, TRect{100, 100, 200, 130}}})
    EXPECT_EQ(KeepOnDesktop(hint, desktop), expected) << hint.Left << "," << hint.Top;
  using A = THintAnimation;
  for (auto [animation, fade, above, last, expected] :
       {std::tuple{true, true, true, 749u, A::Blend},
        {true, false, true, 749u, A::SlideDown},
        {true, false, false, 749u, A::SlideUp},
        {false, true, true, 749u, A::None},
        {true, true, true, 750u, A::None},
        {true, true, true, 0xFFFFFF00u, A::Blend}}) {  // the last one: the tick count wrapped
    THintShowFacts facts;
    facts.Now = 1000 - (last == 0xFFFFFF00u ? 995 : 0), facts.LastShown = last, facts.TextLength = 10;
    facts.TooltipAnimation = animation, facts.TooltipFade = fade, facts.MouseAtOrAboveTop = above;
    EXPECT_EQ(ChooseHintAnimation(facts), expected) << last;
  }
}

}  // namespace
