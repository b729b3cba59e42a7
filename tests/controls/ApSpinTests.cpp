// The spin edit: value types, limits, stepping, display formats, button kinds, the repeat of a
// held button and the shared button faces; and the clipboard filter of the extended masked edit.
#include <gtest/gtest.h>

#include "ControlsTestSupport.h"
#include "controls/ApSpin.h"
#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <type_traits>

#include "framework/Clipboard.h"
#include "framework/CodePages.h"
#include "framework/Conversions.h"
#include "framework/FormFiles.h"

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

class SpinEdit : public ShownForm {
 protected:
  void SetUp() override {
    ShownForm::SetUp();
    saved = FormatSettings;
    FormatSettings = TFormatSettings::English();
    edit = new TApSpinEdit(form);
    edit->SetBounds(10, 10, 120, 21);
    edit->SetParent(form);
    Pump();
  }
  void TearDown() override {
    FormatSettings = saved;
    ShownForm::TearDown();
  }
  void Type(const WideString& Text) {
    SendMessageW(edit->Handle(), EM_SETSEL, 0, -1);
    TypeChars(edit->Handle(), Text);
  }
  TApSpinEdit* edit = nullptr;
  TFormatSettings saved;
};

}  // namespace

TEST_F(SpinEdit, ValuesOfEachTypeBecomeText) {
  struct Case {
    TValueType type;
    const char* format;
    bool thousands;
    long double value;
    const wchar_t* text;
  } cases[] = {
      {vtInteger, ",0.##", true, 123, L"123"},
      {vtInteger, ",0.##", true, 1234567, L"1,234,567"},
      {vtInteger, ",0.##", false, 1e15L, L"1000000000000000"},  // not "1E15"
      {vtInteger, ",0.##", false, -2.6L, L"-3"},
      {vtHex, ",0.##", false, 255, L"FF"},
      {vtFloat, "", false, 1234.5L, L"1234.50"},
      {vtFloat, "", true, 1234.5L, L"1,234.50"},
      {vtFloat, ",0.##", false, 1234.5L, L"1,234.5"},  // formatted without the focus
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

// Values at and past the ends of the 64-bit range: each display shows the nearest value it can
// read back, and reads back what it shows.
TEST_F(SpinEdit, ValuesAtTheEndsOfTheRangeReadBackAsShown) {
  const long double two63 = 9223372036854775808.0L, huge = 1e30L, inf = std::numeric_limits<long double>::infinity();
  const long double nan = std::numeric_limits<long double>::quiet_NaN();
  struct Case {
    TValueType type;
    long double value;
    const wchar_t* text;
  } cases[] = {
      {vtInteger, two63, L"9223372036854775807"},
      {vtInteger, two63 - 1, L"9223372036854775807"},
      {vtInteger, 9.2e18L + 1e16L, L"9210000000000000000"},
      {vtInteger, huge, L"9223372036854775807"},
      {vtInteger, inf, L"9223372036854775807"},
      {vtInteger, -two63, L"-9223372036854775808"},
      {vtInteger, -two63 - 4096, L"-9223372036854775808"},
      {vtInteger, -inf, L"-9223372036854775808"},
      {vtInteger, nan, L"0"},
      {vtHex, two63, L"7FFFFFFFFFFFFFFF"},
      {vtHex, two63 * 2, L"7FFFFFFFFFFFFFFF"},
      {vtHex, huge, L"7FFFFFFFFFFFFFFF"},
      {vtHex, two63 - 1, L"7FFFFFFFFFFFFFFF"},
      {vtHex, -two63, L"8000000000000000"},
      {vtHex, -huge, L"8000000000000000"},
      {vtHex, -1, L"FFFFFFFFFFFFFFFF"},
      {vtHex, nan, L"0"},
  };
  for (const Case& c : cases) {
    edit->SetValueType(c.type);
    edit->SetValue(c.value);
    EXPECT_EQ(edit->Text(), c.text) << static_cast<double>(c.value);
    const long double shown = edit->GetValue();
    edit->SetValue(shown);
    EXPECT_EQ(edit->Text(), c.text) << "read back as " << static_cast<double>(shown);
  }
}

// Every display over values around the ends of the range and the limits: what is shown reads back
// as a value that shows the same text again.
TEST_F(SpinEdit, ValuesAroundTheEndsInEveryDisplayFuzz) {
  std::mt19937 random(4140);
  const long double ends[] = {
      9223372036854775808.0L, 9223372036854775807.0L, 1e19L, 9.2e18L, 1.8446744073709552e19L, 0.5L, 1e300L};
  for (int round = 0; round < 600; ++round) {
    const TValueType type = static_cast<TValueType>(random() % 3);
    long double v = ends[random() % std::size(ends)] * (random() % 2 ? 1 : -1);
    v += static_cast<long double>(static_cast<int>(random() % 4097) - 2048);
    edit->SetValueType(type);
    edit->SetThousands(type != vtHex && random() % 2);
    edit->SetDisplayFormat(random() % 2 ? ",0.##" : "");
    edit->SetValue(v);
    const WideString text = edit->Text();
    edit->SetValue(edit->GetValue());
    ASSERT_EQ(edit->Text(), text) << round << " " << static_cast<double>(v);
  }
}

TEST_F(SpinEdit, TextThatDoesNotConvert) {
  struct Case {
    TValueType type;
    const char* format;
    const wchar_t* text;
    double value;
  } cases[] = {
      {vtInteger, ",0.##", L" 1,024 ", 1024},
      {vtHex, ",0.##", L"xyz", 0},
      {vtFloat, "", L"zz", -5},
      {vtFloat, ",0.##", L"1,5x", 15},
  };
  edit->SetMinValue(-5);
  for (const Case& c : cases) {
    edit->SetValueType(c.type);
    edit->SetDisplayFormat(c.format);
    edit->SetText(c.text);
    EXPECT_EQ(static_cast<double>(edit->GetValue()), c.value) << WideToAnsi(c.text);
  }
  edit->SetValueType(vtHex);
  edit->SetThousands(true);  // not for hexadecimal values
  EXPECT_FALSE(edit->Thousands());
}

TEST_F(SpinEdit, TypedValuesAreCroppedToTheLimitsAsAsked) {
  edit->SetMinValue(1);
  edit->SetMaxValue(10);
  edit->SetCheckMinValue(true);
  edit->SetCheckMaxValue(true);
  for (const auto& [typed, shown] : {std::pair{L"15", L"10"}, {L"0", L"1"}, {L"7", L"7"}}) {
    Type(typed);
    EXPECT_EQ(edit->Text(), shown);
  }
  // Checked on leaving only: the typed text stays until then.
  edit->SetCheckOptions(TApCheckOptions{coCheckOnExit});
  edit->SetFocus();
  Pump();
  Type(L"99");
  EXPECT_EQ(edit->Text(), L"99");
  form->SetFocus();
  edit->Perform(WM_KILLFOCUS, 0, 0);
  EXPECT_EQ(edit->Text(), L"10");
}

// A designed edit keeps a typed text beyond the limits; running, it is cropped as it changes.
TEST_F(SpinEdit, TextChangesAreCheckedOnlyOutsideDesignTime) {
  edit->SetMinValue(1);
  edit->SetMaxValue(10);
  edit->SetCheckMinValue(true);
  edit->SetCheckMaxValue(true);
  struct Case {
    bool designing;
    const wchar_t *typed, *shown;
  } cases[] = {{true, L"15", L"15"}, {true, L"0", L"0"}, {false, L"15", L"10"}, {false, L"0", L"1"}};
  for (const Case& c : cases) {
    edit->SetDesigning(c.designing);
    Type(c.typed);
    EXPECT_EQ(edit->Text(), c.shown) << c.designing;
  }
}

TEST_F(SpinEdit, SteppingByButtonsKeysAndWheel) {
  edit->SetIncrement(5);
  edit->SetMaxValue(12);
  edit->SetCheckMaxValue(true);
  edit->SetValue(0);
  const TPoint p = edit->ClientToScreen(TPoint{5, 5});
  WideString seen;
  auto key = [&](WPARAM k) { SendMessageW(edit->Handle(), WM_KEYDOWN, k, 0); };
  auto wheel = [&](short d) { SendMessageW(edit->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, d), MAKELPARAM(p.X, p.Y)); };
  for (auto step : std::initializer_list<std::function<void()>>{
           [&] { edit->UpClick(nullptr); }, [&] { key(VK_UP); }, [&] { edit->UpClick(nullptr); }, [&] { key(VK_DOWN); },
           [&] { wheel(-120); }, [&] { wheel(120); }, [&] { edit->SetArrowKeys(false), key(VK_UP); },
           [&] { edit->SetReadOnly(true), edit->SetBeepOnError(false), edit->UpClick(nullptr); }}) {
    step();
    seen += edit->Text() + L" ";
  }
  EXPECT_EQ(seen, L"5 10 12 7 2 7 7 7 ");  // the limit holds; no arrow keys; read-only does not step
}

TEST_F(SpinEdit, TypedCharactersAreFiltered) {
  edit->SetValueType(vtFloat);
  edit->SetDisplayFormat("");
  edit->SetBeepOnError(false);
  Type(L"1a2.5");
  // A second separator only moves the caret behind the first.
  SendMessageW(edit->Handle(), EM_SETSEL, 0, 0);
  TypeChars(edit->Handle(), L".");
  EXPECT_TRUE(edit->Text() == L"12.5" && edit->SelStart() == 3);
  edit->SetValueType(vtHex);
  Type(L"fG.9");
  EXPECT_EQ(edit->Text(), L"f9");
  edit->SetEditorEnabled(false);
  Type(L"1");
  EXPECT_EQ(edit->Text(), L"f9");
}

// A float with a display format: a value set shows in the display format until the focus
// leaves, which shows the plain digits; coming back leaves the text as it is.
TEST_F(SpinEdit, TheFocusLeavingShowsThePlainDigits) {
  auto* other = Child<TEdit>();
  edit->SetValueType(vtFloat);
  struct Step {
    const char* What;
    std::function<void()> Do;
    const wchar_t* Text;
    bool Flag;
  };
  const Step steps[] = {
      {"set before any focus", [&] { edit->SetValue(1234.5L); }, L"1,234.5", false},
      {"focus in", [&] { edit->SetFocus(); }, L"1,234.5", false},
      {"set with the focus", [&] { edit->SetValue(9876.125L); }, L"9,876.13", false},
      {"focus out", [&] { other->SetFocus(); }, L"9876.13", true},
      {"set without the focus", [&] { edit->SetValue(4321.5L); }, L"4321.5", true},
      {"focus in again", [&] { edit->SetFocus(); }, L"4321.5", false},
  };
  for (const Step& step : steps) {
    step.Do();
    Pump();
    EXPECT_EQ(edit->Text(), step.Text) << step.What;
    EXPECT_EQ(edit->ShowFormatted(), step.Flag) << step.What;
  }
  EXPECT_EQ(edit->Value(), 4321.5L);
}

// Decimal takes any byte: the text stops at 18 decimals, and the plain digits out of focus show what the value has.
TEST_F(SpinEdit, DecimalTakesAnyByte) {
  auto* other = Child<TEdit>();
  edit->SetValueType(vtFloat);
  const std::tuple<Byte, const wchar_t*, const wchar_t*> cases[] = {
      {0, L"2", L"2"},
      {2, L"1.50", L"1.5"},
      {15, L"1.500000000000000", L"1.5"},
      {16, L"1.5000000000000000", L"1.5"},
      {20, L"1.500000000000000000", L"1.5"},
      {255, L"1.500000000000000000", L"1.5"},
  };
  for (auto [decimal, shown, plain] : cases) {
    edit->SetDisplayFormat("");
    edit->SetDecimal(decimal);
    EXPECT_EQ(edit->Decimal(), decimal);
    edit->SetValue(1.5L);
    EXPECT_EQ(edit->Text(), shown) << int(decimal);
    edit->SetDisplayFormat(",0.##");
    edit->SetFocus();
    edit->SetValue(1.5L);
    other->SetFocus();
    Pump();
    EXPECT_EQ(edit->Text(), plain) << int(decimal);
  }
  EXPECT_STREQ(FindPropInfo(edit, "Decimal").PropType->Name, "Byte");
  // A form file holds a byte there, or the read stops with a clear error and the edit keeps its own.
  edit->SetName("Spin");
  edit->SetDecimal(2);
  for (const char* value : {"256", "-1"}) {
    std::string text = WriteComponentToText(edit);
    text.insert(text.rfind("end"), std::string("  Decimal = ") + value + "\n");
    TApSpinEdit read(nullptr);
    EXPECT_THROW(ReadComponentFromText(text, &read), EReadError) << value;
    EXPECT_EQ(read.Decimal(), 2) << value;
  }
}

TEST_F(SpinEdit, ButtonKinds) {
  auto margin = [&] { return HIWORD(SendMessageW(edit->Handle(), EM_GETMARGINS, 0, 0)); };
  EXPECT_GE(margin(), edit->ButtonContainer()->Width());
  edit->SetButtonKind(bkStandard);
  ASSERT_TRUE(edit->Button() == nullptr && edit->UpDown() != nullptr);
  const int width = edit->UpDown()->Width();
  edit->UpDown()->SetWidth(40);  // the width is the edit's to give
  EXPECT_EQ(edit->UpDown()->Width(), width);
  edit->SetValue(3);
  NMUPDOWN note{};
  note.hdr.hwndFrom = edit->UpDown()->Handle();
  note.hdr.code = UDN_DELTAPOS;
  for (int delta : {1, -1, -1}) {
    note.iDelta = delta;
    EXPECT_EQ(edit->UpDown()->Perform(CN_NOTIFY, 0, reinterpret_cast<LPARAM>(&note)), 1);  // the position stays
  }
  EXPECT_EQ(edit->Text(), L"2");
  edit->SetShowButton(false);
  EXPECT_TRUE(edit->UpDown() == nullptr && edit->ButtonContainer() == nullptr);
  EXPECT_EQ(margin(), 0);  // the text spans the whole edit
}

TEST_F(SpinEdit, ButtonSurvivesARedrawnFrame) {
  SetThemesActiveOverride(0);
  edit->Button()->Repaint();
  HWND box = edit->ButtonContainer()->Handle();
  RedrawWindow(edit->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_UPDATENOW);
  Pump();
  HDC dc = GetDC(box);
  EXPECT_EQ(GetPixel(dc, 3, 10), ColorToRGB(clBtnFace));  // the top part, off its arrow and edges
  ReleaseDC(box, dc);
  SetThemesActiveOverride(-1);
}

TEST_F(SpinEdit, HeldButtonRepeatsAfter400ThenEvery100) {
  TApSpinButton* button = edit->Button();
  auto timer = std::make_unique<TFakeRepeatTimer>();
  TFakeRepeatTimer* clock = timer.get();
  button->SetRepeatTimer(std::move(timer));
  edit->SetValue(0);
  Pump();
  TWinControl* box = edit->ButtonContainer();
  // Press the top-left corner (the up part) through the container's window.
  SendMessageW(box->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(button->Left() + 2, button->Top() + 2));
  WideString seen = edit->Text();  // at once
  for (unsigned ms : {399, 1, 300}) clock->Advance(ms), seen += L" " + edit->Text();
  SendMessageW(box->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(button->Left() + 2, button->Top() + 2));
  clock->Advance(1000);
  EXPECT_EQ(seen + L" " + edit->Text(), L"1 1 2 5 5");
  EXPECT_TRUE(!clock->running && button->PressedPart() == 0);
}

TEST(ApSpinButton, PartsOfBothStyles) {
  TApSpinButton button(nullptr);
  button.SetBounds(0, 0, 20, 20);
  struct Case {
    TApSpinButtonStyle style;
    int x, y, part;
  } cases[] = {{sbsDefault, 18, 18, 2}, {sbsDefault, 1, 18, 1}, {sbsDefault, 10, 11, 2},
               {sbsDefault, 10, 9, 1},  {sbsClassic, 1, 10, 1}, {sbsClassic, 1, 11, 2}};
  for (const Case& c : cases) {
    button.SetButtonStyle(c.style);
    EXPECT_EQ(button.PartAt(c.x, c.y), c.part) << c.style << " " << c.x << "," << c.y;
  }
}

TEST_F(ShownForm, ClipboardCommandsCanBeForbidden) {
  auto* edit = Child<TApExCustomMaskEdit>();
  edit->SetText(L"abc");
  Pump();
  Clipboard()->SetAsWideText(L"\x0416");
  edit->SetClipboardCommands(TApClipboardCommands{caCopy, caCut, caClear, caUndo});
  SendMessageW(edit->Handle(), EM_SETSEL, 3, 3);
  EXPECT_EQ(SendMessageW(edit->Handle(), WM_PASTE, 0, 0), 1);
  SendMessageW(edit->Handle(), WM_CHAR, 0x16, 1);  // Ctrl+V
  EXPECT_EQ(edit->Text(), L"abc");
  SendMessageW(edit->Handle(), EM_SETSEL, 0, 1);
  edit->SetClipboardCommands(TApClipboardCommands{caPaste, caUndo});
  for (UINT msg : {WM_CUT, WM_CLEAR}) SendMessageW(edit->Handle(), msg, 0, 0);
  EXPECT_EQ(edit->Text(), L"abc");
  // With every command allowed the edit behaves as a plain one.
  edit->SetClipboardCommands(TApClipboardCommands{caCopy, caCut, caPaste, caClear, caUndo});
  SendMessageW(edit->Handle(), EM_SETSEL, 3, 3);
  SendMessageW(edit->Handle(), WM_PASTE, 0, 0);
  EXPECT_EQ(edit->Text(), L"abc\x0416");
  edit->SetClipboardCommands(TApClipboardCommands{caCopy});
  SendMessageW(edit->Handle(), EM_UNDO, 0, 0);
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

// The spin edit's value types and the form files' value kinds live side by side in one unit.
TEST(SpinValueTypes, AreTheirOwnBesideTheFormFileValueKinds) {
  static_assert(!std::is_same_v<TValueType, TFormValueType>);
  EXPECT_STREQ(TypeInfoOf(static_cast<TValueType*>(nullptr)).Name, "TValueType");
  EXPECT_EQ(GetEnumName(TypeInfoOf(static_cast<TValueType*>(nullptr)), vtHex), "vtHex");
  EXPECT_STREQ(TypeInfoOf(static_cast<TFormValueType*>(nullptr)).Name, "TFormValueType");
}
