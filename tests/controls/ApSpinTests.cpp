// The spin edit: value types, limits and cropping, stepping by buttons, keys and wheel, the
// display formats with and without the focus, the button kinds, the repeat of a held button
// and the shared button faces; and the clipboard filter of the extended masked edit.
#include <gtest/gtest.h>

#include "ControlsTestSupport.h"
#include "controls/ApSpin.h"
#include <cmath>
#include <random>

#include "framework/CodePages.h"
#include "framework/Conversions.h"

namespace {

// A repeat timer on a clock of the test's own: Advance moves the clock and fires what is due.
class TFakeRepeatTimer : public TApSpinRepeatTimer {
 public:
  void Start(unsigned Interval) override { running = true, interval = Interval, due = now + Interval; }
  void Stop() override { running = false; }
  void Advance(unsigned Ms) {
    unsigned end = now + Ms;
    while (running && due <= end) {
      now = due;
      if (OnTimer) OnTimer(nullptr);
    }
    now = end;
  }
  bool running = false;
  unsigned interval = 0, now = 0, due = 0;
};

class TSpinEditTest : public TShownFormTest {
 protected:
  void SetUp() override {
    TShownFormTest::SetUp();
    saved = FormatSettings;
    FormatSettings = TFormatSettings::English();
    edit = new TApSpinEdit(form);
    edit->SetBounds(10, 10, 120, 21);
    edit->SetParent(form);
    Pump();
  }
  void TearDown() override {
    FormatSettings = saved;
    TShownFormTest::TearDown();
  }
  void Type(const WideString& Text) {
    SendMessageW(edit->Handle(), EM_SETSEL, 0, -1);
    TypeChars(edit->Handle(), Text);
  }
  TApSpinEdit* edit = nullptr;
  TFormatSettings saved;
};

}  // namespace

TEST_F(TSpinEditTest, ValuesOfEachTypeBecomeText) {
  struct Case { TValueType type; const char* format; bool thousands; long double value; const wchar_t* text; } cases[] = {
      {vtInteger, ",0.##", false, 42, L"42"},
      {vtInteger, ",0.##", true, 1234567, L"1,234,567"},
      {vtInteger, ",0.##", false, 1e15L, L"1000000000000000"},  // not "1E15"
      {vtInteger, ",0.##", false, -2.6L, L"-3"},
      {vtHex, ",0.##", false, 255, L"FF"},
      {vtHex, ",0.##", false, 0, L"0"},
      {vtFloat, "", false, 1234.5L, L"1234.50"},
      {vtFloat, "", true, 1234.5L, L"1,234.50"},
      {vtFloat, ",0.##", false, 1234.5L, L"1,234.5"},  // formatted without the focus
      {vtFloat, "0.000", false, 2.5L, L"2.500"},
  };
  for (const Case& c : cases) {
    edit->SetValueType(c.type);
    edit->SetThousands(c.thousands);
    edit->SetDisplayFormat(c.format);
    edit->SetValue(c.value);
    EXPECT_EQ(edit->Text(), c.text) << static_cast<double>(c.value);
    long double back = c.type == vtFloat ? c.value : std::nearbyint(c.value);
    EXPECT_EQ(static_cast<double>(edit->GetValue()), static_cast<double>(back)) << WideToAnsi(c.text);
  }
}

TEST_F(TSpinEditTest, TextThatDoesNotConvert) {
  struct Case { TValueType type; const char* format; const wchar_t* text; double value; } cases[] = {
      {vtInteger, ",0.##", L" 1,024 ", 1024}, {vtHex, ",0.##", L"xyz", 0}, {vtFloat, "", L"zz", -5}, {vtFloat, ",0.##", L"1,5x", 15},
  };
  edit->SetMinValue(-5);
  for (const Case& c : cases) {
    edit->SetValueType(c.type);
    edit->SetDisplayFormat(c.format);
    edit->SetText(c.text);
    EXPECT_EQ(static_cast<double>(edit->GetValue()), c.value) << WideToAnsi(c.text);
  }
  // Thousands cannot be set for hexadecimal values.
  edit->SetValueType(vtHex);
  edit->SetThousands(true);
  EXPECT_FALSE(edit->Thousands());
}

TEST_F(TSpinEditTest, TypedValuesAreCroppedToTheLimits) {
  edit->SetMinValue(1);
  edit->SetMaxValue(10);
  edit->SetCheckMinValue(true);
  edit->SetCheckMaxValue(true);
  Type(L"15");
  EXPECT_EQ(edit->Text(), L"10");
  Type(L"0");
  EXPECT_EQ(edit->Text(), L"1");
  Type(L"7");
  EXPECT_EQ(edit->Text(), L"7");
  // Without cropping the text stays as typed.
  edit->SetCheckOptions(TApCheckOptions{coCheckOnChange});
  Type(L"15");
  EXPECT_EQ(edit->Text(), L"15");
}

TEST_F(TSpinEditTest, SteppingByButtonsKeysAndWheel) {
  edit->SetIncrement(5);
  edit->SetMaxValue(12);
  edit->SetCheckMaxValue(true);
  edit->SetValue(0);
  edit->UpClick(nullptr);
  EXPECT_EQ(edit->Text(), L"5");
  SendMessageW(edit->Handle(), WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(edit->Text(), L"10");
  edit->UpClick(nullptr);
  EXPECT_EQ(edit->Text(), L"12");  // the limit applies
  SendMessageW(edit->Handle(), WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(edit->Text(), L"7");
  TPoint p = edit->ClientToScreen(TPoint{5, 5});
  SendMessageW(edit->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), MAKELPARAM(p.X, p.Y));
  EXPECT_EQ(edit->Text(), L"2");
  SendMessageW(edit->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, 120), MAKELPARAM(p.X, p.Y));
  EXPECT_EQ(edit->Text(), L"7");
  edit->SetArrowKeys(false);
  SendMessageW(edit->Handle(), WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(edit->Text(), L"7");
  edit->SetReadOnly(true);  // does not step
  edit->SetBeepOnError(false);
  edit->UpClick(nullptr);
  EXPECT_EQ(edit->Text(), L"7");
}

TEST_F(TSpinEditTest, TypedCharactersAreFiltered) {
  edit->SetValueType(vtFloat);
  edit->SetDisplayFormat("");
  edit->SetBeepOnError(false);
  Type(L"1a2.5");
  EXPECT_EQ(edit->Text(), L"12.5");
  // A second separator only moves the caret behind the first.
  SendMessageW(edit->Handle(), EM_SETSEL, 0, 0);
  TypeChars(edit->Handle(), L".");
  EXPECT_EQ(edit->Text(), L"12.5");
  EXPECT_EQ(edit->SelStart(), 3);
  edit->SetValueType(vtHex);
  Type(L"fG.9");
  EXPECT_EQ(edit->Text(), L"f9");
  edit->SetEditorEnabled(false);
  Type(L"1");
  EXPECT_EQ(edit->Text(), L"f9");
}

TEST_F(TSpinEditTest, FormattedTextOnlyWithoutTheFocus) {
  auto* other = new TEdit(form);
  other->SetParent(form);
  other->SetTop(60);
  edit->SetValueType(vtFloat);
  edit->SetValue(1234.5L);
  EXPECT_TRUE(edit->ShowFormatted());
  EXPECT_EQ(edit->Text(), L"1,234.5");
  edit->SetFocus();
  Pump();
  // While editing: the plain form, which the user types in.
  EXPECT_FALSE(edit->ShowFormatted());
  EXPECT_EQ(edit->Text(), L"1234.5");
  edit->SetValue(9876.125L);
  EXPECT_EQ(edit->Text(), L"9876.13");
  other->SetFocus();
  Pump();
  EXPECT_TRUE(edit->ShowFormatted());
  EXPECT_EQ(edit->Text(), L"9,876.13");
}

TEST_F(TSpinEditTest, LeavingCropsWithCheckOnExit) {
  edit->SetCheckOptions(TApCheckOptions{coCheckOnExit});
  edit->SetMaxValue(50);
  edit->SetCheckMaxValue(true);
  edit->SetFocus();
  Pump();
  Type(L"99");
  EXPECT_EQ(edit->Text(), L"99");
  form->SetFocus();
  edit->Perform(WM_KILLFOCUS, 0, 0);
  EXPECT_EQ(edit->Text(), L"50");
}

TEST_F(TSpinEditTest, ButtonKinds) {
  ASSERT_NE(edit->Button(), nullptr);  // diagonal by default
  EXPECT_TRUE(edit->Button()->ButtonStyle() == sbsDefault && edit->UpDown() == nullptr);
  auto margin = [&] { return HIWORD(SendMessageW(edit->Handle(), EM_GETMARGINS, 0, 0)); };
  EXPECT_GE(margin(), edit->ButtonContainer()->Width());
  edit->SetButtonKind(bkClassic);
  EXPECT_EQ(edit->Button()->ButtonStyle(), sbsClassic);
  edit->SetButtonKind(bkStandard);
  EXPECT_EQ(edit->Button(), nullptr);
  ASSERT_NE(edit->UpDown(), nullptr);
  EXPECT_EQ(edit->UpDown()->Width(), std::min(GetSystemMetrics(SM_CXVSCROLL), 15));
  edit->UpDown()->SetWidth(40);
  EXPECT_EQ(edit->UpDown()->Width(), std::min(GetSystemMetrics(SM_CXVSCROLL), 15));
  edit->SetShowButton(false);
  EXPECT_TRUE(edit->UpDown() == nullptr && edit->ButtonContainer() == nullptr);
  EXPECT_EQ(margin(), 0);  // the text spans the whole edit
}

TEST_F(TSpinEditTest, ButtonSurvivesARedrawnFrame) {
  SetThemesActiveOverride(0);
  edit->Button()->Repaint();
  HWND box = edit->ButtonContainer()->Handle();
  // The edit's frame, drawn again by the system, must not wipe the button out.
  RedrawWindow(edit->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_UPDATENOW);
  Pump();
  HDC dc = GetDC(box);
  EXPECT_EQ(GetPixel(dc, 3, 10), ColorToRGB(clBtnFace));  // the top part, off its arrow and edges
  ReleaseDC(box, dc);
  SetThemesActiveOverride(-1);
}

TEST_F(TSpinEditTest, UpDownArrowsStep) {
  edit->SetButtonKind(bkStandard);
  edit->SetValue(3);
  Pump();
  NMUPDOWN note{};
  note.hdr.hwndFrom = edit->UpDown()->Handle();
  note.hdr.code = UDN_DELTAPOS;
  for (int delta : {1, 1, -1, -1, -1}) {
    note.iDelta = delta;
    EXPECT_EQ(edit->UpDown()->Perform(CN_NOTIFY, 0, reinterpret_cast<LPARAM>(&note)), 1);  // the position stays
  }
  EXPECT_EQ(edit->Text(), L"2");
}

TEST_F(TSpinEditTest, HeldButtonRepeatsAfter400ThenEvery100) {
  TApSpinButton* button = edit->Button();
  auto timer = std::make_unique<TFakeRepeatTimer>();
  TFakeRepeatTimer* clock = timer.get();
  button->SetRepeatTimer(std::move(timer));
  edit->SetValue(0);
  Pump();
  TWinControl* box = edit->ButtonContainer();
  // Press the top-left corner (the up part) through the container's window.
  SendMessageW(box->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(button->Left() + 2, button->Top() + 2));
  EXPECT_EQ(edit->Text(), L"1");  // at once
  EXPECT_EQ(button->PressedPart(), 1);
  EXPECT_EQ(button->CurrentFace(), sfTopPressed);
  clock->Advance(399);
  EXPECT_EQ(edit->Text(), L"1");
  clock->Advance(1);
  EXPECT_EQ(edit->Text(), L"2");
  EXPECT_EQ(clock->interval, 100u);
  clock->Advance(300);
  EXPECT_EQ(edit->Text(), L"5");
  SendMessageW(box->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(button->Left() + 2, button->Top() + 2));
  EXPECT_FALSE(clock->running);
  EXPECT_EQ(button->PressedPart(), 0);
  clock->Advance(1000);
  EXPECT_EQ(edit->Text(), L"5");
  // The bottom-right corner is the down part.
  SendMessageW(box->Handle(), WM_LBUTTONDOWN, MK_LBUTTON,
               MAKELPARAM(button->Left() + button->Width() - 2, button->Top() + button->Height() - 2));
  EXPECT_EQ(edit->Text(), L"4");
  SendMessageW(box->Handle(), WM_LBUTTONUP, 0, 0);
}

TEST(ApSpinButtonTest, PartsOfBothStyles) {
  TApSpinButton button(nullptr);
  button.SetBounds(0, 0, 20, 20);
  struct Case { TApSpinButtonStyle style; int x, y, part; } cases[] = {{sbsDefault, 18, 18, 2}, {sbsDefault, 18, 1, 1}, {sbsDefault, 1, 18, 1}, {sbsDefault, 10, 11, 2},
               {sbsDefault, 10, 9, 1},  {sbsClassic, 18, 9, 1}, {sbsClassic, 1, 10, 1}, {sbsClassic, 1, 11, 2}};
  for (const Case& c : cases) {
    button.SetButtonStyle(c.style);
    EXPECT_EQ(button.PartAt(c.x, c.y), c.part) << c.style << " " << c.x << "," << c.y;
  }
}

TEST_F(TShownFormTest, SpinButtonFacesAreShared) {
  EXPECT_EQ(TSpinButtonBitmapsManager::Instance(), nullptr);
  for (int themes : {0, 1}) {
    SetThemesActiveOverride(themes);
    {
      TApSpinButton a(form), b(form), c(form);
      for (TApSpinButton* button : {&a, &b, &c}) button->SetParent(form);
      c.SetButtonStyle(sbsClassic);
      a.Repaint();
      b.Repaint();
      c.Repaint();
      TSpinButtonBitmapsManager* manager = TSpinButtonBitmapsManager::Instance();
      ASSERT_NE(manager, nullptr);
      EXPECT_EQ(manager->Users(), 3);
      EXPECT_EQ(a.Bitmaps(), b.Bitmaps());
      EXPECT_NE(a.Bitmaps(), c.Bitmaps());
      EXPECT_EQ(manager->Count(), 2);
      if (themes == 0) {
        EXPECT_FALSE(a.Bitmaps()->Themed());
      }
      // A pressed top part is drawn otherwise than the normal face.
      TCanvas* normal = a.Bitmaps()->Face(sfNormal)->Canvas();
      TCanvas* pressed = a.Bitmaps()->Face(sfTopPressed)->Canvas();
      int differ = 0;
      for (int i = 0; i < 400; ++i) differ += normal->Pixels(i % 20, i / 20) != pressed->Pixels(i % 20, i / 20);
      EXPECT_GT(differ, 0);
      // Another size is another entry, kept in order.
      b.SetBounds(0, 0, 16, 30);
      b.Repaint();
      EXPECT_EQ(manager->Count(), 3);
    }
    EXPECT_EQ(TSpinButtonBitmapsManager::Instance(), nullptr);  // freed with its last user
  }
  SetThemesActiveOverride(-1);
}

namespace {

void PutOnClipboard(HWND Owner, const WideString& Text) {
  ASSERT_TRUE(OpenClipboard(Owner));
  EmptyClipboard();
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (Text.size() + 1) * sizeof(wchar_t));
  auto* p = static_cast<wchar_t*>(GlobalLock(memory));
  std::copy(Text.c_str(), Text.c_str() + Text.size() + 1, p);
  GlobalUnlock(memory);
  SetClipboardData(CF_UNICODETEXT, memory);
  CloseClipboard();
}

}  // namespace

TEST_F(TShownFormTest, ClipboardCommandsCanBeForbidden) {
  auto* edit = new TApExCustomMaskEdit(form);
  edit->SetParent(form);
  edit->SetText(L"abc");
  Pump();
  PutOnClipboard(edit->Handle(), L"\x0416");
  edit->SetClipboardCommands(TApClipboardCommands{caCopy, caCut, caClear, caUndo});
  SendMessageW(edit->Handle(), EM_SETSEL, 3, 3);
  EXPECT_EQ(SendMessageW(edit->Handle(), WM_PASTE, 0, 0), 1);
  SendMessageW(edit->Handle(), WM_CHAR, 0x16, 1);  // Ctrl+V
  EXPECT_EQ(edit->Text(), L"abc");
  SendMessageW(edit->Handle(), EM_SETSEL, 0, 1);
  edit->SetClipboardCommands(TApClipboardCommands{caPaste, caUndo});
  for (UINT msg : {WM_CUT, WM_CLEAR, WM_COPY}) SendMessageW(edit->Handle(), msg, 0, 0);
  EXPECT_EQ(edit->Text(), L"abc");
  // With every command allowed the edit behaves as a plain one.
  edit->SetClipboardCommands(TApClipboardCommands{caCopy, caCut, caPaste, caClear, caUndo});
  SendMessageW(edit->Handle(), EM_SETSEL, 3, 3);
  SendMessageW(edit->Handle(), WM_PASTE, 0, 0);
  EXPECT_EQ(edit->Text(), L"abc\x0416");
  edit->SetClipboardCommands(TApClipboardCommands{caCopy});
  EXPECT_EQ(SendMessageW(edit->Handle(), EM_UNDO, 0, 0), 1);
  EXPECT_EQ(edit->Text(), L"abc\x0416");
  edit->SetClipboardCommands(TApClipboardCommands{caUndo});
  SendMessageW(edit->Handle(), EM_UNDO, 0, 0);
  EXPECT_EQ(edit->Text(), L"abc");
}

// Text typed or pasted into a spin edit is outside input: any text reads as a number, and a
// number written back reads the same again.
TEST(ApSpinEditFuzz, AnyTextReadsAsANumber) {
  TFormatSettings saved = FormatSettings;
  FormatSettings = TFormatSettings::English();
  TApSpinEdit edit(nullptr);
  std::mt19937 random(22);
  const wchar_t alphabet[] = L"0123456789+-.,$eEaAfFxX \x00A0\x0416";
  const struct {
    TValueType type;
    const char* format;
  } kinds[] = {{vtInteger, ",0.##"}, {vtHex, ",0.##"}, {vtFloat, ""}, {vtFloat, ",0.##"}};
  for (int i = 0; i < 4000; ++i) {
    const auto& kind = kinds[i % 4];
    edit.SetValueType(kind.type);
    edit.SetDisplayFormat(kind.format);
    WideString text;
    int length = static_cast<int>(random() % 24);
    for (int k = 0; k < length; ++k) text += alphabet[random() % (sizeof(alphabet) / sizeof(wchar_t) - 1)];
    edit.SetText(text);
    double value = 0;
    ASSERT_NO_THROW(value = static_cast<double>(edit.GetValue())) << WideToAnsi(text);
    if (!std::isfinite(value) || std::fabs(value) > 1e15) continue;
    edit.SetValue(value);
    double expected = kind.type == vtFloat ? value : std::nearbyint(value);
    EXPECT_NEAR(static_cast<double>(edit.GetValue()), expected, kind.type == vtFloat ? 0.006 : 0) << WideToAnsi(text);
  }
  FormatSettings = saved;
}
