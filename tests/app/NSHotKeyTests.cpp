// The hot-key field: which keys it takes, how it names them, and the keys pressed in the field.
#include <gtest/gtest.h>

#include "app/NSHotKey.h"
#include "framework/Application.h"
#include "framework/Forms.h"
#include "framework/GdiHandles.h"
#include "tests/framework/PublishedDefaults.h"

namespace {

TShiftState Mods(const char* Held) {
  TShiftState s;
  for (const char* c = Held; *c; ++c) s.Include(*c == 's' ? ssShift : *c == 'c' ? ssCtrl : ssAlt);
  return s;
}

TEST(NSHotKey, KeysAreTakenOrRefusedAndNamedCtrlFirst) {
  const struct {
    Word Key;
    const char* Held;
    int HotKey;
    const wchar_t* Text;
  } cases[] = {
      {'A', "", 0, L"(None)"},  // a plain letter is no shortcut
      {'A', "cs", 'A' | scCtrl | scShift, L"Ctrl+Shift+A"},
      {'A', "sca", 'A' | scCtrl | scShift | scAlt, L"Ctrl+Shift+Alt+A"},
      {VK_CONTROL, "cs", 0, L"Ctrl+Shift+"},  // only modifiers held: the text waits
      {VK_MENU, "a", 0, L"Alt+"},
      {VK_ESCAPE, "", VK_ESCAPE, L"Esc"},
      {VK_F5, "", VK_F5, L"F5"},
      {VK_F24, "", VK_F24, L"F24"},
      {VK_TAB, "", 0, L"(None)"},
      {VK_TAB, "c", VK_TAB | scCtrl, L"Ctrl+Tab"},
      {VK_DELETE, "c", VK_DELETE | scCtrl, L"Ctrl+Del"},
      {'7', "a", '7' | scAlt, L"Alt+7"},
      {VK_MULTIPLY, "c", VK_MULTIPLY | scCtrl, nullptr},
      {VK_SUBTRACT, "c", VK_SUBTRACT | scCtrl, nullptr},
      {VK_ADD, "c", VK_ADD | scCtrl, nullptr},
      {VK_OEM_1, "c", VK_OEM_1 | scCtrl, nullptr},
      {VK_OEM_7, "c", VK_OEM_7 | scCtrl, nullptr},
      {VK_OEM_3, "c", VK_OEM_3 | scCtrl, nullptr},
      {VK_SEPARATOR, "c", 0, L"(None)"},  // 108 lies between the accepted ranges
      {VK_OEM_8, "c", 0, L"(None)"},
      {VK_CAPITAL, "c", 0, L"(None)"},
      {VK_LWIN, "s", 0, L"(None)"},
  };
  for (const auto& c : cases) {
    const THotKeyCapture r = CaptureHotKey(c.Key, Mods(c.Held), {}, {}, L"(None)");
    EXPECT_EQ(r.HotKey, c.HotKey) << c.Key << c.Held;
    if (c.Text) {
      EXPECT_EQ(r.Text, c.Text) << c.Key << c.Held;
    }
  }
  EXPECT_TRUE(CaptureHotKey(VK_TAB, {}, {}, {}, L"").NextControl);
  // Shift alone is invalid here and replaced by Ctrl+Alt.
  const THotKeyCapture r = CaptureHotKey('Q', Mods("s"), {hcShift, hcNone}, {hkCtrl, hkAlt}, L"-");
  EXPECT_EQ(r.HotKey, 'Q' | scCtrl | scAlt);
  EXPECT_EQ(r.Text, L"Ctrl+Alt+Q");
  EXPECT_EQ(CaptureHotKey('Q', {}, {hcNone}, {hkCtrl}, L"-").Text, L"Ctrl+Q");
  // The framework's own text order is read back to the same shortcut.
  EXPECT_EQ(TextToShortCut(WideString(L"Ctrl+Shift+A")), TextToShortCut(WideString(L"Shift+Ctrl+A")));
}

TEST(NSHotKey, TheFieldShowsTheKeysPressedInIt) {
  TForm* form = New<TForm>(nullptr);
  auto* field = New<TNSHotKey>(form);
  field->SetParent(form);
  EXPECT_EQ(field->Text(), L"(None)");
  field->SetHotKey(TShortCut('S' | scCtrl | scShift));
  EXPECT_EQ(field->Text(), L"Ctrl+Shift+S");
  BYTE keys[256] = {}, saved[256];
  GetKeyboardState(saved);
  keys[VK_CONTROL] = keys[VK_SHIFT] = 0x80;
  SetKeyboardState(keys);
  SendMessageW(field->Handle(), WM_KEYDOWN, VK_CONTROL, 0);
  EXPECT_EQ(field->Text(), L"Ctrl+Shift+");
  EXPECT_EQ(field->HotKey(), 0);
  SendMessageW(field->Handle(), WM_KEYUP, VK_CONTROL, 0);
  EXPECT_EQ(field->Text(), L"(None)");
  SendMessageW(field->Handle(), WM_KEYDOWN, 'A', 0);
  EXPECT_EQ(field->Text(), L"Ctrl+Shift+A");
  EXPECT_EQ(field->HotKey(), 'A' | scCtrl | scShift);
  SetKeyboardState(saved);
  field->SetModifiers({hkAlt});
  field->SetInvalidKeys({hcShiftCtrl});
  EXPECT_EQ(field->Text(), L"Alt+A");
  field->SetNoneStr(L"none");
  field->SetHotKey(TShortCut(0));
  EXPECT_EQ(field->Text(), L"none");
  delete form;
}

// The field is as high as its font's text plus the frame: a sunken edge with 3-D, a flat
// border without; its window style follows.
TEST(NSHotKey, HeightAndFrameFollowTheFontAndTheThreeDLook) {
  TForm* form = New<TForm>(nullptr);
  auto* field = New<TNSHotKey>(form);
  field->SetParent(form);
  EXPECT_EQ(field->Width(), 121);
  EXPECT_EQ(field->BorderStyle(), bsSingle);
  EXPECT_TRUE(field->TabStop());
  EXPECT_EQ(field->Color(), clWindow);
  const auto textHeight = [&] {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, field->Font()->Handle());
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return static_cast<int>(tm.tmHeight);
  };
  const int border = GetSystemMetrics(SM_CYBORDER);
  const struct {
    int FontHeight;
    bool Ctl3D;
    TBorderStyle Border;
    int Frame;  // border widths added to the text height
    bool Edge, Flat;
  } cases[] = {
      {-11, true, bsSingle, 8, true, false},  {-20, true, bsSingle, 8, true, false},
      {-20, false, bsSingle, 6, false, true}, {-11, false, bsNone, 6, false, false},
      {-14, true, bsNone, 8, false, false},
  };
  for (const auto& c : cases) {
    field->SetBorderStyle(c.Border);
    field->SetCtl3D(c.Ctl3D);
    field->Font()->SetHeight(c.FontHeight);
    EXPECT_EQ(field->Height(), textHeight() + c.Frame * border) << c.FontHeight << c.Ctl3D << c.Border;
    const LONG_PTR style = GetWindowLongPtrW(field->Handle(), GWL_STYLE);
    const LONG_PTR exStyle = GetWindowLongPtrW(field->Handle(), GWL_EXSTYLE);
    EXPECT_EQ((exStyle & WS_EX_CLIENTEDGE) != 0, c.Edge) << c.FontHeight << c.Ctl3D << c.Border;
    EXPECT_EQ((style & WS_BORDER) != 0, c.Flat) << c.FontHeight << c.Ctl3D << c.Border;
  }
  delete form;
}

// Besides its own, the field publishes a bevel, a reading order and an input method editor.
TEST(NSHotKey, PublishesItsBevelItsReadingOrderAndItsInputMethod) {
  std::unique_ptr<TForm> form(New<TForm>(nullptr));
  auto* field = New<TNSHotKey>(form.get());
  field->SetParent(form.get());
  ExpectPublishedDefaults(field, {{"BevelInner", bvRaised}, {"BevelOuter", bvLowered}, {"BevelKind", bkNone}});
  ExpectPublishedDefaults(field, {{"BevelWidth", 1}, {"BiDiMode", bdLeftToRight}});
  ExpectPublishedSetDefaults(field, {{"BevelEdges", "beLeft,beTop,beRight,beBottom"}});
  const TPropInfo* ime = GetPropInfo(field, "ImeName");
  ASSERT_NE(ime, nullptr);
  SetWideStrProp(field, *ime, L"No such input method");
  EXPECT_EQ(field->ImeName(), L"No such input method");
  // A name no input method editor has switches nothing when the field takes the focus.
  EXPECT_EQ(FindImeLayout(L""), nullptr);
  EXPECT_EQ(FindImeLayout(field->ImeName()), nullptr);
  form->Show();
  const HKL layout = GetKeyboardLayout(0);
  field->SetFocus();
  EXPECT_EQ(GetKeyboardLayout(0), layout);
  // The right-to-left modes read the text from the right.
  for (TBiDiMode mode : {bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly, bdLeftToRight}) {
    SetOrdProp(field, *GetPropInfo(field, "BiDiMode"), mode);
    EXPECT_EQ((GetWindowLongPtrW(field->Handle(), GWL_EXSTYLE) & WS_EX_RTLREADING) != 0, mode != bdLeftToRight) << mode;
  }
}

// The bevel takes its width for each cut on each of its sides from the client area, drawn there.
TEST(NSHotKey, TheBevelLiesBetweenTheFrameAndTheText) {
  std::unique_ptr<TForm> form(New<TForm>(nullptr));
  form->SetBounds(40, 40, 300, 200);
  auto* field = New<TNSHotKey>(form.get());
  field->SetParent(form.get());
  field->SetBounds(10, 10, 150, 40);
  form->Show();
  const TRect plain = field->ClientRect();
  const TPoint plainOrigin = field->ClientToScreen({0, 0});
  const TBevelEdges all{beLeft, beTop, beRight, beBottom};
  const struct {
    TBevelKind Kind;
    TPanelBevel Inner, Outer;
    int Width;
    TBevelEdges Edges;
    int Left, Top, Right, Bottom;  // pixels taken from each side of the client area
  } cases[] = {
      {bkNone, bvRaised, bvLowered, 3, all, 0, 0, 0, 0},
      {bkFlat, bvNone, bvLowered, 2, all, 2, 2, 2, 2},
      {bkSoft, bvSpace, bvNone, 3, all, 3, 3, 3, 3},
      {bkTile, bvNone, bvNone, 4, all, 0, 0, 0, 0},
      {bkTile, bvRaised, bvRaised, 2, {beLeft, beBottom}, 4, 0, 0, 4},
      {bkTile, bvLowered, bvRaised, 0, {beTop}, 0, 2, 0, 0},  // a width below 1 is 1
      {bkTile, bvRaised, bvLowered, 1, all, 2, 2, 2, 2},      // the one whose drawing is read below
  };
  for (const auto& c : cases) {
    field->SetBevelKind(bkNone);
    field->SetBevelInner(c.Inner);
    field->SetBevelOuter(c.Outer);
    field->SetBevelWidth(c.Width);
    field->SetBevelEdges(c.Edges);
    field->SetBevelKind(c.Kind);
    const TRect r = field->ClientRect();
    const TPoint origin = field->ClientToScreen({0, 0});
    EXPECT_EQ(origin.X - plainOrigin.X, c.Left) << (&c - cases);
    EXPECT_EQ(origin.Y - plainOrigin.Y, c.Top) << (&c - cases);
    EXPECT_EQ(plain.Width() - r.Width(), c.Left + c.Right) << (&c - cases);
    EXPECT_EQ(plain.Height() - r.Height(), c.Top + c.Bottom) << (&c - cases);
    EXPECT_EQ(field->BevelSize(), c.Kind == bkNone ? 0 : std::max(c.Left, c.Top)) << (&c - cases);
  }
  // The lowered outer cut's left side in the shadow colour, the raised inner one's in the light.
  for (int i = 0; i < 5; ++i) Application->ProcessMessages();
  RedrawWindow(field->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  const TPoint client = field->ClientToScreen({0, 0});
  RECT window{};
  GetWindowRect(field->Handle(), &window);
  const int x = client.X - window.left, y = client.Y - window.top + 10;
  TWholeWindowDC dc(field->Handle());
  EXPECT_EQ(GetPixel(dc.Get(), x - 2, y), ColorToRGB(clBtnShadow));
  EXPECT_EQ(GetPixel(dc.Get(), x - 1, y), ColorToRGB(clBtnHighlight));
}

}  // namespace
