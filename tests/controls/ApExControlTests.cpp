// The extended bases: hint colour, mouse enter and leave, the operations, themed background and
// flat frame, forms without form files, keyboard cues, mouse activation and showing without
// activation.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "ControlsTestSupport.h"
#include "controls/ApExForms.h"
#include "controls/ApExMask.h"
#include "tests/common/TestPicture.h"
#include "tests/framework/Raised.h"

namespace {

// The colour a hint of Control would show in.
TColor ShownHintColor(TControl* Control) {
  THintInfo info;
  Control->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  return info.HintColor;
}

class TProbeControl : public TApExCustomControl {
 public:
  using TApExCustomControl::TApExCustomControl;
  int textChanges = 0;
  int wantedKey = 0;
  TShiftState wantedShift;

 protected:
  void TextChanged() override {
    ++textChanges;
    TApExCustomControl::TextChanged();
  }
  bool WantKey(int Key, TShiftState Shift, const WideString&) override {
    wantedKey = Key;
    wantedShift = Shift;
    return true;
  }
};

// The notifications a masked edit's operations hear, in the order of the operations below.
const UINT notifications[] = {CM_FOCUSCHANGED,    CM_PARENTFONTCHANGED,    CM_VISIBLECHANGED, CM_ENABLEDCHANGED,
                              CM_COLORCHANGED,    CM_FONTCHANGED,          CM_CURSORCHANGED,  CM_SHOWINGCHANGED,
                              CM_SHOWHINTCHANGED, CM_PARENTSHOWHINTCHANGED};

// A masked edit that notes which operation hears a notification, hands all on but the one kept, and sets dialog codes.
class TProbeMaskEdit : public TApExCustomMaskEdit {
 public:
  using TApExCustomMaskEdit::TApExCustomMaskEdit;
  std::vector<int> heard;
  int kept = -1;
  LRESULT offered = 0, add = 0, keep = ~LRESULT(0);

 protected:
#define HEARD(Op, N) \
  void Op(TMessage& M) override { heard.push_back(N), N == kept ? void() : TApExCustomMaskEdit::Op(M); }
  HEARD(FocusChanged, 0);
  HEARD(ParentFontChanged, 1);
  HEARD(VisibleChanged, 2);
  HEARD(EnabledChanged, 3);
  HEARD(ColorChanged, 4);
  HEARD(FontChanged, 5);
  HEARD(CursorChanged, 6);
  HEARD(ShowingChanged, 7);
  HEARD(ShowHintChanged, 8);
  HEARD(ParentShowHintChanged, 9);
#undef HEARD
  void GetDlgCode(LRESULT& Code) override { offered = Code, Code = (Code | add) & keep; }
};

template <class T>
concept HasFlatFrame = requires(T& t) {
  t.SetDotNetHighlighting(true);
};

class TNoFileForm : public TApForm {
  HV_CLASS(TNoFileForm, TApForm)
 public:
  explicit TNoFileForm(TComponent* AOwner) : inherited(AOwner) {}
};

}  // namespace

HV_PUBLISH(TNoFileForm) {}

TEST(ApExControl, HintColourFollowsTheRule) {
  TColor saved = Application->HintColor();
  Application->SetHintColor(TColor(0x00C0FFFF));
  TProbeControl parent(nullptr);
  TApExGraphicControl child(nullptr);
  child.SetParent(&parent);
  struct Case {
    TColor parentColour, childColour, shown;
  } cases[] = {
      {clRed, clDefault, clRed},                   // the parent's colour
      {clDefault, clDefault, TColor(0x00C0FFFF)},  // a parent without parent: the application's
      {clRed, clNone, TColor(0x00C0FFFF)},         // no colour: the application's
      {clRed, clLime, clLime},                     // its own
  };
  for (const Case& c : cases) {
    parent.SetHintColor(c.parentColour);
    child.SetHintColor(c.childColour);
    EXPECT_EQ(ShownHintColor(&child), c.shown);
  }
  child.SetParent(nullptr);
  Application->SetHintColor(saved);
}

TEST(ApExControl, MouseEnterAndLeaveFireOnceForTheControlItself) {
  TProbeControl parent(nullptr);
  TApExGraphicControl child(nullptr);
  child.SetParent(&parent);
  int enters = 0, leaves = 0;
  TFn<void(TObject*)> enter([&](TObject*) { ++enters; });
  TFn<void(TObject*)> leave([&](TObject*) {
    ++leaves;
    EXPECT_FALSE(parent.MouseOver());  // the flag is down before the event
  });
  parent.OnMouseEnter = enter.Event();
  parent.OnMouseLeave = leave.Event();
  parent.Perform(CM_MOUSEENTER);
  EXPECT_TRUE(parent.MouseOver());
  child.Perform(CM_MOUSEENTER);  // passed up to the parent with the child: not the parent's own
  EXPECT_TRUE(child.MouseOver());
  EXPECT_EQ(enters, 1);
  child.Perform(CM_MOUSELEAVE);
  parent.Perform(CM_MOUSELEAVE);
  EXPECT_EQ(leaves, 1);
  child.SetParent(nullptr);
}

TEST(ApExControl, OperationsTakeTheirMessages) {
  TProbeControl control(nullptr);
  control.SetText(L"a");
  control.SetText(L"a");
  EXPECT_EQ(control.textChanges, 1);
  EXPECT_EQ(control.Perform(CM_DIALOGCHAR, L'x', 0x20000000), 1);  // Alt+X
  EXPECT_TRUE(control.wantedKey == L'x' && control.wantedShift.Contains(ssAlt));
}

TEST(ApExControl, DescendantWithoutFormFileRaises) {
  EXPECT_EQ(Raised<EResNotFound>([] { delete New<TNoFileForm>(nullptr); }), "Resource TNoFileForm not found");
  delete New<TApForm>(nullptr);  // the base itself has no form file to read
  TComponent designer(nullptr);  // nor does a designed form: the designer fills it
  designer.SetDesigning(true);
  EXPECT_EQ(Raised<EResNotFound>([&] { delete New<TNoFileForm>(&designer); }), "(nothing raised)");
}

TEST_F(ShownForm, ShowNoActivateLeavesTheActiveWindow) {
  form->SetFocus();
  Pump();
  HWND active = GetActiveWindow();
  TApForm other(nullptr, CreateNew);
  other.SetBounds(100, 100, 200, 120);
  other.ShowNoActivate();
  Pump();
  EXPECT_TRUE(IsWindowVisible(other.Handle()) && GetActiveWindow() == active);
  // A form shown while another is the main form is owned by a window of the program.
  EXPECT_NE(GetWindow(other.Handle(), GW_OWNER), nullptr);
  other.SetMouseActivate(false);
  EXPECT_EQ(other.Perform(WM_MOUSEACTIVATE, 0, MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)), MA_NOACTIVATE);
}

namespace {

// Counts the erasing its children ask of it.
class TErasingParent : public TApExCustomControl {
 public:
  using TApExCustomControl::TApExCustomControl;
  int erased = 0;
  bool marked = false;  // a green stripe at x 10..15 of the parent's own coordinates

 protected:
  bool DoEraseBackground(TCanvas* Canvas, LPARAM Param) override {
    ++erased;
    bool done = TApExCustomControl::DoEraseBackground(Canvas, Param);
    if (marked) {
      Canvas->Brush()->SetColor(clGreen);
      Canvas->FillRect(TRect{10, 0, 15, 100});
    }
    return done;
  }
};

}  // namespace

// The themed paths (the parent's background, the themed button face) are taken only with visual
// styles and outside design time.
TEST_F(ShownForm, ThemedBackgroundComesFromTheParentOnlyWithVisualStyles) {
  auto* parent = Child<TErasingParent>();
  parent->SetBounds(0, 0, 100, 100);
  parent->SetColor(clLime);
  auto* child = Child<TApExGraphicControl>(parent);
  child->SetBounds(10, 10, 20, 20);
  Pump();
  struct Case {
    int themes;
    bool designing;
    TColor colour;
    int erased;
  } cases[] = {{0, false, clLime, 0}, {1, false, clLime, 1}, {1, false, clRed, 0}, {1, true, clLime, 0}};
  TTestPicture plainFace(20, 20);
  RECT r{0, 0, 20, 20};
  DrawFrameControl(plainFace.DC(), &r, DFC_BUTTON, DFCS_BUTTONPUSH);
  for (const Case& c : cases) {
    SetThemesActiveOverride(c.themes);
    child->SetDesigning(c.designing);
    parent->erased = 0;
    TTestPicture picture(20, 20);
    picture.Canvas()->Brush()->SetColor(clBlue);
    DrawThemedBackground(child, picture.Canvas(), TRect{0, 0, 20, 20}, false, c.colour);
    EXPECT_EQ(parent->erased, c.erased) << c.themes;
    EXPECT_EQ(picture.At(5, 5), ColorToRGB(c.colour));      // filled, or the parent's
    EXPECT_EQ(picture.Canvas()->Brush()->Color(), clBlue);  // the brush is put back
    TTestPicture face(20, 20);
    DrawThemedButtonFace(child, face.Canvas(), TRect{0, 0, 20, 20}, 1, false, false, false);
    EXPECT_EQ(face.Matches(plainFace, false), c.themes == 0 || c.designing) << c.themes;
  }
  // The parent's background lines up with the parent: the framework paints a graphic control
  // with the viewport of the parent's DC moved to the control.
  SetThemesActiveOverride(1);
  child->SetDesigning(false);
  parent->marked = true;
  TTestPicture onParent(40, 40);
  SetViewportOrgEx(onParent.DC(), 10, 10, nullptr);
  DrawThemedBackground(child, onParent.Canvas(), TRect{0, 0, 20, 20}, false, clLime);
  EXPECT_EQ(onParent.At(12, 15), ColorToRGB(clGreen));
  EXPECT_EQ(onParent.At(22, 15), ColorToRGB(clLime));
  EXPECT_EQ(onParent.At(5, 15), 0xFFFFFFu);  // outside the control: untouched
  // A disabled control's face is the normal one: the face has four states only.
  TTestPicture enabledFace(20, 20), disabledFace(20, 20);
  DrawThemedButtonFace(child, enabledFace.Canvas(), TRect{0, 0, 20, 20}, 1, false, false, false);
  child->SetEnabled(false);
  DrawThemedButtonFace(child, disabledFace.Canvas(), TRect{0, 0, 20, 20}, 1, false, false, false);
  EXPECT_TRUE(disabledFace.Matches(enabledFace, false));
  SetThemesActiveOverride(-1);
}

TEST_F(ShownForm, FlatFrameFollowsTheMouse) {
  auto* control = Child<TApExCustomControl>();
  control->SetBounds(10, 10, 80, 40);
  control->SetColor(clWhite);
  control->SetBorderWidth(2);
  control->SetDotNetHighlighting(true);
  Pump();
  auto frame = [&](int inset) {
    HDC dc = GetWindowDC(control->Handle());
    COLORREF c = GetPixel(dc, inset, inset);
    return ReleaseDC(control->Handle(), dc), c;
  };
  control->Perform(WM_NCPAINT, 1, 0);
  EXPECT_EQ(frame(0), 0x808080u);
  control->Perform(CM_MOUSEENTER);
  EXPECT_EQ(frame(0), 0x733800u);  // the hot frame
}

// A designed control shows no flat frame: what lies in its window stays, and leaving it
// invalidates nothing.
TEST_F(ShownForm, FlatFrameOnlyOutsideDesignTime) {
  auto* control = Child<TApExCustomControl>();
  control->SetBounds(10, 10, 80, 40);
  control->SetDotNetHighlighting(true);
  Pump();
  HWND wnd = control->Handle();
  const COLORREF marker = 0x00FF00;
  for (bool designing : {false, true}) {
    control->SetDesigning(designing);
    for (const auto& [message, frame] :
         {std::pair<UINT, COLORREF>{WM_NCPAINT, 0x808080}, {CM_MOUSEENTER, 0x733800}, {CM_MOUSELEAVE, 0x808080}}) {
      ValidateRect(wnd, nullptr);
      HDC dc = GetWindowDC(wnd);
      SetPixel(dc, 0, 0, marker);
      control->Perform(message, 1, 0);
      EXPECT_EQ(GetPixel(dc, 0, 0), designing ? marker : frame) << designing << message;
      ReleaseDC(wnd, dc);
      if (message == CM_MOUSELEAVE) {
        EXPECT_EQ(GetUpdateRect(wnd, nullptr, FALSE) != 0, !designing);
      }
    }
  }
}

// The masked edit's dialog code changes only when its operation takes the marker away.
TEST_F(ShownForm, MaskEditDialogCodesChangeOnlyWithoutTheMarker) {
  auto* edit = Child<TProbeMaskEdit>();
  const LRESULT plain = SendMessageW(edit->Handle(), WM_GETDLGCODE, 0, 0), all = ~LRESULT(0);
  ASSERT_EQ(plain & DLGC_WANTTAB, 0);
  const std::tuple<LRESULT, LRESULT, LRESULT> cases[] = {{0, all, plain},
                                                         {DLGC_WANTTAB, all, plain},
                                                         {0, ApDlgCodeMarker, plain},
                                                         {DLGC_WANTTAB, ~ApDlgCodeMarker, plain | DLGC_WANTTAB},
                                                         {0, 0, 0}};
  for (auto [add, keep, answer] : cases) {
    edit->add = add, edit->keep = keep;
    const LRESULT code = SendMessageW(edit->Handle(), WM_GETDLGCODE, 0, 0);
    EXPECT_EQ(std::tuple(code, edit->offered), std::tuple(answer, plain | ApDlgCodeMarker)) << add << " " << keep;
  }
}

// Each notification reaches the edit's operation, which hands it on unless kept; the flat frame is not the edit's.
TEST_F(ShownForm, MaskEditNotificationsAreOperations) {
  static_assert(!HasFlatFrame<TApExCustomMaskEdit> && HasFlatFrame<TApExCustomControl> && HasFlatFrame<TApExForm>);
  auto* edit = Child<TProbeMaskEdit>();
  for (int i = 0; i < 10; ++i) {
    edit->heard.clear();
    edit->Perform(notifications[i], 0, 0);
    EXPECT_EQ(edit->heard, std::vector<int>{i}) << i;
  }
  // Handed on: a colour set reaches the window's brush; kept: the brush keeps the old one.
  edit->SetColor(clYellow);
  EXPECT_EQ(edit->Brush()->Color(), clYellow);
  edit->kept = 4;
  edit->SetColor(clAqua);
  EXPECT_TRUE(edit->Color() == clAqua && edit->Brush()->Color() == clYellow);
}

TEST(ApExForm, KeyboardNavigationShowsTheFocusCues) {
  TApExForm cues(nullptr, CreateNew);
  cues.SetBounds(80, 80, 200, 120);
  std::vector<WPARAM> sent;
  TWndMethod previous = cues.WindowProc;
  TFn<void(TMessage&)> record([&](TMessage& Message) {
    if (Message.Msg == WM_CHANGEUISTATE) sent.push_back(Message.WParam);
    previous(Message);
  });
  cues.WindowProc = record.Event();
  cues.Show();
  Pump();
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent.front(), MAKEWPARAM(UIS_INITIALIZE, 0));
  for (const auto& [key, expected] : {std::pair<WPARAM, WPARAM>{VK_TAB, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS)},
                                      {VK_MENU, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS | UISF_HIDEACCEL)},
                                      {VK_F5, 0}}) {
    sent.clear();
    cues.Perform(CM_DIALOGKEY, key, 0);
    EXPECT_EQ(sent.empty() ? 0 : sent.front(), expected) << key;  // the system may pass the change on again
  }
  cues.WindowProc = previous;
}
