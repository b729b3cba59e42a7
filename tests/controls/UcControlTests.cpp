// The Unicode text and hint functions on real windows.
#include <gtest/gtest.h>

#include "ControlsTestSupport.h"
#include "controls/UcActnList.h"
#include "controls/UcControls.h"
#include "controls/UcStdCtrls.h"
#include "foundation/UcWideSys.h"
#include "framework/Bitmap.h"
#include "framework/ExtCtrls.h"
#include "framework/StdCtrls.h"
#include "tests/framework/Joined.h"

namespace {

// A windowed control that counts text changes and may claim a longer text than it has.
class TTextProbe : public TCustomControl {
  HV_CLASS(TTextProbe, TCustomControl)
 public:
  explicit TTextProbe(TComponent* AOwner) : TCustomControl(AOwner) {}
  int Changes = 0;
  int ExtraLength = 0;
  using TWinControl::RecreateWnd;

 protected:
  void CMTextChanged(TMessage& Message) override {
    ++Changes;
    inherited::CMTextChanged(Message);
  }
  void Dispatch(TMessage& Message) override {
    inherited::Dispatch(Message);
    if (Message.Msg == WM_GETTEXTLENGTH) Message.Result += ExtraLength;
  }
};
HV_PUBLISH(TTextProbe) {}

// A probe whose window is made the way every Unicode control's is.
class TUnicodeProbe : public TTextProbe {
  HV_CLASS(TUnicodeProbe, TTextProbe)
 public:
  using TTextProbe::TTextProbe;

 protected:
  void CreateWindowHandle(const TCreateParams& Params) override { CreateUnicodeHandle(this, Params, WideString()); }
};
HV_PUBLISH(TUnicodeProbe) {}

LRESULT CALLBACK AnsiPassThrough(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto previous = reinterpret_cast<WNDPROC>(GetPropW(Wnd, L"Test.Previous"));
  return CallWindowProcA(previous, Wnd, Msg, WParam, LParam);
}

const WideString Cyrillic = L"\x041F\x0440\x0438\x0432\x0435\x0442";           // Привет
const WideString Greek = L"\x039A\x03B1\x03BB\x03B7\x03BC\x03AD\x03C1\x03B1";  // Καλημέρα

}  // namespace

TEST(UcHint, ShortAndLongPartsSplitAtTheFirstBar) {
  EXPECT_EQ(Joined(
                {L"Save|Saves the file", L"|long only", L"short only|", L"a|b|c"},
                [](const wchar_t* h) { return WideShortHint(h) + L"/" + WideLongHint(h); }, ";"),
            "Save/Saves the file;/long only;short only/;a/b|c");
}

TEST_F(ShownForm, ControlHintIsTheFirstHintUpTheParents) {
  auto* panel = Child<TPanel>();
  auto* edit = Child<TEdit>(panel);
  EXPECT_EQ(WideControlHint(edit), L"");
  form->SetHint(L"form");
  panel->SetHint(Greek + L"|" + Cyrillic);
  EXPECT_EQ(WideControlHint(edit), Greek + L"|" + Cyrillic);
  UcControl_SetHint(edit, Cyrillic);
  EXPECT_EQ(WideControlHint(edit), Cyrillic);
  EXPECT_EQ(UcControl_GetHint(edit), Cyrillic);
}

TEST_F(ShownForm, WindowTextEndsWhereTheCopyEnded) {
  auto* probe = Child<TTextProbe>();
  UcControl_SetText(probe, Greek);
  probe->ExtraLength = 5;
  EXPECT_EQ(UcControl_GetText(probe), Greek);
}

TEST_F(ShownForm, TextSetBeforeTheWindowShowsInItAndSurvivesRecreation) {
  auto* probe = new TTextProbe(form);
  UcControl_SetText(probe, Cyrillic + Greek);
  probe->SetParent(form);
  HWND first = probe->Handle();
  wchar_t buffer[64] = {};
  GetWindowTextW(first, buffer, 64);
  EXPECT_EQ(WideString(buffer), Cyrillic + Greek);
  SetWindowTextW(first, Greek.c_str());  // as if typed
  probe->RecreateWnd();
  EXPECT_EQ(UcControl_GetText(probe), Greek);
}

TEST(UcCharMessage, CharacterOfAMessage) {
  TMessage m;
  m.Msg = WM_CHAR;
  for (const auto& [wparam, ch] :
       {std::pair<WPARAM, wchar_t>{0x0416, 0x0416}, {0x041600FF, 0x0416}, {0xFF, 0xFF}, {0x00410042, 0x42}}) {
    m.WParam = wparam;
    EXPECT_EQ(WideCharOfCharMessage(m), ch) << std::hex << wparam;
  }
  // Stored in the low word, high word cleared, then packed: 255 below, the character above.
  for (const auto& [ch, wparam] :
       {std::pair<wchar_t, WPARAM>{0x0436, 0x043600FF}, {L'A', 0x41}, {0xFF, 0xFF}, {0x100, 0x010000FF}, {0, 0}}) {
    m.WParam = 0x041600FF;
    SetWideCharOfCharMessage(m, ch);
    EXPECT_EQ(m.WParam, wparam) << std::hex << int(ch);
    EXPECT_EQ(WideCharOfCharMessage(m), ch) << std::hex << int(ch);
  }
}

TEST_F(ShownForm, HintOfAControlWithAnActionShowsTheShortcut) {
  auto* list = Child<TUcListBox>();
  TUcAction action(form);
  action.SetHint(Cyrillic + L"|" + Greek);
  action.SetShortCut(TShortCut('S' | scCtrl));
  list->SetAction(&action);
  THintInfo info;
  info.HintWindowClass = &THintWindow::StaticClassInfo();
  bool saved = Application->HintShortCuts();
  Application->SetHintShortCuts(true);
  EXPECT_EQ(list->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)), 0);
  EXPECT_EQ(info.HintStr, Cyrillic + L" (Ctrl+S)");
  EXPECT_EQ(info.HintWindowClass, &TUcCustomHintWindow::StaticClassInfo());
  Application->SetHintShortCuts(false);
  EXPECT_EQ(UcControl_HintText(list), Cyrillic);
  Application->SetHintShortCuts(saved);
  list->SetAction(nullptr);
}

namespace {

WideString WindowClassOf(HWND Wnd) {
  wchar_t name[256] = {};
  int n = GetClassNameW(Wnd, name, 256);
  return WideString(name, static_cast<size_t>(n > 0 ? n : 0));
}

}  // namespace

// The windows of the Unicode controls are of classes named after the control's class with
// ".UnicodeClass" after it; a window re-created keeps the class.
TEST_F(ShownForm, UnicodeControlsHaveUnicodeClasses) {
  const struct {
    TWinControl* Control;
    const wchar_t* Class;
  } cases[] = {{Child<TUcListBox>(), L"TUcListBox.UnicodeClass"},
               {Child<TUcComboBox>(), L"TUcComboBox.UnicodeClass"},
               {Child<TUcCheckListBox>(), L"TUcCheckListBox.UnicodeClass"}};
  for (const auto& c : cases) {
    EXPECT_EQ(WindowClassOf(c.Control->Handle()), c.Class);
    EXPECT_TRUE(IsWindowUnicode(c.Control->Handle())) << c.Class;
  }
  auto* list = static_cast<TUcListBox*>(cases[0].Control);
  list->Items()->Add(Cyrillic);
  list->SetSorted(true);  // a style change makes a new window
  EXPECT_EQ(WindowClassOf(list->Handle()), L"TUcListBox.UnicodeClass");
  EXPECT_EQ(list->Items()->Strings(0), Cyrillic);
  // A plain list box keeps its own class name.
  EXPECT_EQ(WindowClassOf(Child<TListBox>()->Handle()), L"TListBox");
}

TEST(UcUnicodeClass, TheSuffixIsAddedOnce) {
  const struct {
    const wchar_t *In, *Out;
  } cases[] = {{L"TUcListBox", L"TUcListBox.UnicodeClass"},
               {L"TUcListBox.UnicodeClass", L"TUcListBox.UnicodeClass"},
               {L"", L".UnicodeClass"},
               {L"X.UnicodeClas", L"X.UnicodeClas.UnicodeClass"}};
  for (const auto& c : cases) {
    TCreateParams params;
    params.WinClassName = c.In;
    UnicodeClassParams(params);
    EXPECT_EQ(params.WinClassName, c.Out) << c.In;
    UnicodeClassParams(params);
    EXPECT_EQ(params.WinClassName, c.Out) << c.In;
  }
}

// A Unicode window is made without a title and then given its text, so that the control hears
// of it; a window that is no Unicode window cannot be taken over.
TEST_F(ShownForm, AUnicodeWindowGetsItsTitleAfterItIsMade) {
  auto* probe = new TUnicodeProbe(form);
  UcControl_SetText(probe, Cyrillic);
  probe->Changes = 0;
  probe->SetParent(form);
  HWND wnd = probe->Handle();
  EXPECT_EQ(WindowClassOf(wnd), L"TUnicodeProbe.UnicodeClass");
  EXPECT_EQ(UcControl_GetText(probe), Cyrillic);
  EXPECT_EQ(probe->Changes, 1);
  EXPECT_EQ(MessageOf<EUcInternalError>([&] { SubClassUnicodeControl(probe, Greek); }), L"");
  EXPECT_EQ(probe->Changes, 1);  // the same text again: no change
  SetPropW(wnd, L"Test.Previous", reinterpret_cast<HANDLE>(GetWindowLongPtrA(wnd, GWLP_WNDPROC)));
  LONG_PTR own = GetWindowLongPtrW(wnd, GWLP_WNDPROC);
  SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AnsiPassThrough));
  ASSERT_FALSE(IsWindowUnicode(wnd));
  EXPECT_EQ(MessageOf<EUcInternalError>([&] { SubClassUnicodeControl(probe, Greek); }),
            L"Internal Error: SubClassUnicodeControl.Control is not Unicode.");
  SetWindowLongPtrW(wnd, GWLP_WNDPROC, own);
  RemovePropW(wnd, L"Test.Previous");
}
