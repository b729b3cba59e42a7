// The colour button: the 16 system colours offered as custom colours, the colour dialog's answer
// (a cancel changes nothing), the press rules and keys, the palette and the rules that close it,
// its face; and the custom-colour lines read from any text.
#include <gtest/gtest.h>

#include <random>

#include "app/NSApColorButton.h"
#include "controls/ApColorForm.h"
#include "framework/Application.h"
#include "framework/Messages.h"
#include "framework/StdCtrls.h"
#include "tests/common/TestPicture.h"

namespace {

void Pump() { Application->ProcessMessages(); }

struct TChanges : TObject {
  void Changed(TObject*) { ++Count; }
  void Showing(TObject*, bool& Allow) {
    ++Asked;
    Allow = AllowPalette;
  }
  int Count = 0, Asked = 0;
  bool AllowPalette = true;
};

// The button with its key handlers in reach.
struct TTestColorButton : TNSApColorButton {
  using TNSApColorButton::KeyDown;
  using TNSApColorButton::KeyUp;
  using TNSApColorButton::TNSApColorButton;
};

// A shown form with a colour button and an edit to take the focus; the colour dialog answers as
// the test says and remembers what it was handed.
class ColorButton : public testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(nullptr, CreateNew);
    form->SetBounds(100, 100, 300, 200);
    button = new TTestColorButton(form);
    button->SetParent(form);
    button->SetBounds(10, 10, 42, 21);
    other = new TEdit(form);
    other->SetParent(form);
    other->SetBounds(10, 60, 100, 21);
    button->OnChange = TNotifyEvent(&changes, &TChanges::Changed);
    form->Show();
    Pump();
    ApColorDialogRunner() = [this](TApColorDialog* Dialog) {
      ++runs;
      lines = Dialog->CustomColorList()->Text();
      custom = Dialog->CustomColors();
      options = Dialog->Options();
      shownColor = Dialog->Color();
      if (answer) Dialog->SetColor(chosen);
      return answer;
    };
  }
  void TearDown() override {
    ApColorDialogRunner() = nullptr;
    delete form;
    Pump();
  }
  void Press(int X = 5) {
    SendMessageW(button->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(X, 5));
    SendMessageW(button->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(X, 5));
  }
  COLORREF Pixel(int X, int Y) {
    TTestPicture picture(button->Width(), button->Height());
    button->PaintTo(picture.DC(), 0, 0);
    return picture.At(X, Y);
  }

  TForm* form = nullptr;
  TTestColorButton* button = nullptr;
  TEdit* other = nullptr;
  TChanges changes;
  bool answer = true;
  TColor chosen = TColor(0x123456);
  int runs = 0;
  AnsiString lines;
  std::array<COLORREF, 16> custom{};
  TColorDialogOptions options;
  TColor shownColor = clNone;
};

TEST_F(ColorButton, AnEmptyCustomListOffersTheSixteenSystemColours) {
  // Borders, captions, windows, buttons, hints and selections, in this order.
  const int system[16] = {COLOR_ACTIVEBORDER,
                          COLOR_ACTIVECAPTION,
                          COLOR_APPWORKSPACE,
                          COLOR_WINDOW,
                          COLOR_BTNFACE,
                          COLOR_BTNHIGHLIGHT,
                          COLOR_BTNSHADOW,
                          COLOR_BTNTEXT,
                          COLOR_3DLIGHT,
                          COLOR_INFOBK,
                          COLOR_GRADIENTACTIVECAPTION,
                          COLOR_GRADIENTINACTIVECAPTION,
                          COLOR_GRAYTEXT,
                          COLOR_HIGHLIGHT,
                          COLOR_HIGHLIGHTTEXT,
                          COLOR_HOTLIGHT};
  button->SetOptions({cdFullOpen});
  Press();
  ASSERT_EQ(runs, 1);
  TStringList expected;
  expected.SetText(lines);
  ASSERT_EQ(expected.Count(), 16);
  for (int i = 0; i < 16; ++i) {
    char want[32];
    const COLORREF rgb = GetSysColor(system[i]);
    std::snprintf(want, sizeof want, "Color%c=%06X", 'A' + i, static_cast<unsigned>(rgb));
    EXPECT_EQ(expected[i], want) << i;
    EXPECT_EQ(custom[static_cast<size_t>(i)], rgb) << i;
  }
  EXPECT_TRUE(options.Contains(cdFullOpen));
  // A list of one's own goes to the dialog as it is.
  button->CustomColors()->SetText("ColorA=0000ff\r\nColorC=00ff00\r\n");
  Press();
  EXPECT_EQ(lines, "ColorA=0000ff\r\nColorC=00ff00\r\n");
  EXPECT_EQ(custom[2], 0x00FF00u);
}

TEST_F(ColorButton, TheDialogsAnswerDecidesTheColourAndItsChangeEvent) {
  button->SetColor(clRed);
  changes.Count = 0;
  answer = false;  // cancelled: the colour stays and nobody is told
  Press();
  EXPECT_EQ(shownColor, clRed);
  EXPECT_EQ(button->Color(), clRed);
  EXPECT_EQ(changes.Count, 0);
  EXPECT_FALSE(button->Pressed());
  answer = true;  // confirmed: the chosen colour, told once
  Press();
  EXPECT_EQ(button->Color(), chosen);
  EXPECT_EQ(changes.Count, 1);
  // The release of the press that opened the dialog went to it: the button shows pressed no more.
  SendMessageW(button->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_FALSE(button->Pressed());
  SendMessageW(button->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
}

TEST_F(ColorButton, WhenAPressOpensWhatAndWhichKeysPress) {
  TChanges veto;
  struct {
    bool ShowsPalette;
    int ArrowWidth, X;
    bool Allow;
    int Runs;
  } cases[] = {
      {true, 0, 5, true, 1},
      {false, 0, 5, true, 0},    // left of the arrow part: nothing
      {true, 0, 5, false, 0},    // vetoed
      {false, 13, 35, true, 0},  // the arrow part opens the palette, not the dialog
  };
  for (const auto& c : cases) {
    runs = 0;
    button->SetButtonShowsPalette(c.ShowsPalette);
    button->SetArrowWidth(c.ArrowWidth);
    veto.AllowPalette = c.Allow;
    button->OnPaletteShowing = TNSPaletteShowingEvent(&veto, &TChanges::Showing);
    Press(c.X);
    EXPECT_EQ(runs, c.Runs) << c.ShowsPalette << c.ArrowWidth << c.X << c.Allow;
    if (c.ArrowWidth) {
      EXPECT_TRUE(button->PaletteVisible());
    }
    button->ClosePalette();
    Pump();
  }
  button->OnPaletteShowing = TNSPaletteShowingEvent();
  button->SetArrowWidth(0);
  button->SetButtonShowsPalette(true);
  struct {
    Word Key;
    TShiftState Shift;
    int Runs;
  } keys[] = {
      {VK_RETURN, {}, 1}, {VK_SPACE, {ssShift}, 1}, {VK_SPACE, {ssCtrl}, 0}, {VK_RETURN, {ssAlt}, 0}, {'A', {}, 0}};
  for (const auto& k : keys) {
    runs = 0;
    Word key = k.Key;
    button->KeyDown(key, k.Shift);
    key = k.Key;
    button->KeyUp(key, k.Shift);
    EXPECT_EQ(runs, k.Runs) << k.Key << " " << k.Shift.Contains(ssCtrl);
    EXPECT_FALSE(button->Pressed());
  }
}

TEST_F(ColorButton, ThePaletteClosesOnAChoiceEscapeTheFocusOrCancelModeElsewhere) {
  button->SetArrowWidth(13);
  button->SetColor(clBlack);
  changes.Count = 0;
  Press(35);
  ASSERT_TRUE(button->PaletteVisible());
  TApColorForm* palette = button->ColorForm();
  EXPECT_EQ(palette->OtherButton()->Caption(), L"&Other...");
  // A square chosen: the colour is taken and the palette goes; the next press makes a new one.
  TApColorSquare* square = palette->Square(4);
  const TPoint p{square->Left() + 5, square->Top() + 5};
  SendMessageW(palette->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.X, p.Y));
  SendMessageW(palette->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(p.X, p.Y));
  Pump();
  EXPECT_EQ(button->Color(), TColor(0x0000FF));
  EXPECT_EQ(changes.Count, 1);
  EXPECT_FALSE(button->PaletteVisible());
  EXPECT_FALSE(button->Pressed());
  // Pressing again while it shows hides it.
  Press(35);
  ASSERT_TRUE(button->PaletteVisible());
  EXPECT_EQ(button->ComponentCount(), 1);  // the chosen one went, a new one shows
  Press(35);
  EXPECT_FALSE(button->PaletteVisible());
  Pump();

  // The focus going to the palette keeps it; going elsewhere closes it (by a posted message).
  struct {
    bool ToPalette;
    bool Open;
  } focus[] = {{true, true}, {false, false}};
  for (const auto& f : focus) {
    Press(35);
    ASSERT_TRUE(button->PaletteVisible());
    HWND to = f.ToPalette ? button->ColorForm()->Handle() : other->Handle();
    button->Perform(WM_KILLFOCUS, reinterpret_cast<WPARAM>(to), 0);
    Pump();
    EXPECT_EQ(button->PaletteVisible(), f.Open) << f.ToPalette;
    button->ClosePalette();
    Pump();
  }
  // Cancel mode from the palette's own square keeps it; from another control closes it.
  Press(35);
  ASSERT_TRUE(button->PaletteVisible());
  button->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(button->ColorForm()->Square(0)));
  EXPECT_TRUE(button->PaletteVisible());
  button->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(other));
  EXPECT_FALSE(button->PaletteVisible());
  Pump();
  // Esc closes it and goes no further; the colour stays.
  Press(35);
  ASSERT_TRUE(button->PaletteVisible());
  Word key = VK_ESCAPE;
  button->KeyDown(key, TShiftState{ssCtrl});
  EXPECT_TRUE(button->PaletteVisible());
  key = VK_ESCAPE;
  button->KeyDown(key, {});
  EXPECT_EQ(key, 0);
  EXPECT_FALSE(button->PaletteVisible());
  Pump();
  EXPECT_EQ(button->Color(), TColor(0x0000FF));
  EXPECT_EQ(changes.Count, 1);
}

TEST_F(ColorButton, TheFaceShowsTheColourFramedOrHatchedWhenDisabled) {
  button->SetColor(TColor(0x00FF00));
  // The colour rectangle: the client area less 1 pixel for the missing arrow part, 5 in.
  EXPECT_EQ(Pixel(5, 10), ColorToRGB(clWindowFrame));
  EXPECT_EQ(Pixel(35, 10), ColorToRGB(clWindowFrame));
  EXPECT_EQ(Pixel(20, 10), 0x00FF00u);
  EXPECT_NE(Pixel(37, 10), 0x00FF00u);
  button->SetEdgeWidth(2);
  EXPECT_EQ(Pixel(2, 10), ColorToRGB(clWindowFrame));
  button->SetEnabled(false);
  EXPECT_EQ(Pixel(2, 10), ColorToRGB(clBtnShadow));
  int coloured = 0, other = 0;
  for (int x = 3; x < 38; ++x) (Pixel(x, 10) == 0x00FF00u ? coloured : other)++;
  EXPECT_GT(coloured, 0);
  EXPECT_GT(other, coloured);  // a hatch, not a fill
  // A disabled button opens nothing.
  Press();
  EXPECT_EQ(runs, 0);
}

TEST(ColorDialogLines, CustomColoursReadFromLines) {
  struct {
    const char* Text;
    int Index;
    COLORREF Value;
  } cases[] = {
      {"ColorA=ff0000", 0, 0xFF0000},   {"ColorP=0A0b0C", 15, 0x0A0B0C}, {"colorb=123456", 1, 0x123456},
      {"ColorC=", 2, 0xFFFFFF},         {"ColorD=xyz", 3, 0xFFFFFF},     {"ColorE=1000000", 4, 0xFFFFFF},
      {"ColorF=80000005", 5, 0xFFFFFF}, {"ColorQ=000000", 0, 0xFFFFFF},  {"ColorG=7", 6, 0x7},
      {"ColorH=-1", 7, 0xFFFFFF},
  };
  for (const auto& c : cases) {
    TStringList lines;
    lines.SetText(c.Text);
    EXPECT_EQ(TApColorDialog::ParseCustomColors(&lines)[static_cast<size_t>(c.Index)], c.Value) << c.Text;
  }
  EXPECT_EQ(TApColorDialog::ParseCustomColors(nullptr)[9], 0xFFFFFFu);
}

TEST(ColorDialogLines, AnyTextGivesSixteenColoursAndWrittenOnesComeBack) {
  std::mt19937 random(36);
  const char* pieces[] = {"Color", "A", "P", "Q", "=", "ff", "0", "9", "G", "\r\n", "\n", " ", "x", "=="};
  for (int round = 0; round < 4000; ++round) {
    // Generated lines, some valid, cut at a random byte, others garbage or long.
    std::string text;
    const int n = static_cast<int>(random() % 20);
    for (int i = 0; i < n; ++i) {
      if (random() % 3 == 0) {
        for (int k = static_cast<int>(random() % 8); k > 0; --k) text += pieces[random() % std::size(pieces)];
        text += "\r\n";
        continue;
      }
      const int letter = static_cast<int>(random() % 16);
      const COLORREF value = random() & 0xFFFFFF;
      char line[40];
      std::snprintf(line, sizeof line, "Color%c=%06lx\r\n", 'A' + letter, static_cast<unsigned long>(value));
      text += line;
    }
    if (round % 5 == 0 && !text.empty()) text.resize(random() % text.size());
    if (round % 97 == 0) text += "ColorB=" + std::string(5000, 'f');
    TStringList lines;
    lines.SetText(text);
    const auto colours = TApColorDialog::ParseCustomColors(&lines);
    for (COLORREF c : colours) ASSERT_LE(c, 0xFFFFFFu) << text;
    // What the list holds for a letter (the first line of it) is what is read.
    for (int i = 0; i < 16; ++i) {
      const AnsiString value = lines.Values("Color" + AnsiString(1, static_cast<char>('A' + i)));
      char* end = nullptr;
      const unsigned long v = value.empty() ? 0 : std::strtoul(value.c_str(), &end, 16);
      const bool valid = !value.empty() && value.size() <= 8 && end && *end == 0 && v <= 0xFFFFFF &&
                         value.find_first_of("+- x") == std::string::npos;
      ASSERT_EQ(colours[static_cast<size_t>(i)], valid ? v : 0xFFFFFFul) << value;
    }
  }
  // The lines the button writes read back as the colours they came from.
  TStringList lines;
  TNSApColorButton::DefaultCustomColors(&lines);
  const auto colours = TApColorDialog::ParseCustomColors(&lines);
  EXPECT_EQ(colours[3], ColorToRGB(clWindow));
  EXPECT_EQ(colours[15], ColorToRGB(clHotLight));
}

}  // namespace
