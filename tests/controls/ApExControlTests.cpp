// The extended bases: hint colour, mouse enter and leave, key data, forms with and without
// form files, mouse activation and showing without activation.
#include <gtest/gtest.h>

#include "ControlsTestSupport.h"
#include "controls/ApExForms.h"
#include "tests/framework/Raised.h"

namespace {

class TProbeControl : public TApExCustomControl {
 public:
  using TApExCustomControl::TApExCustomControl;
  TColor ShownHintColor() {
    THintInfo info;
    Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
    return info.HintColor;
  }
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

class TProbeGraphic : public TApExGraphicControl {
 public:
  using TApExGraphicControl::TApExGraphicControl;
  TColor ShownHintColor() {
    THintInfo info;
    Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
    return info.HintColor;
  }
};

class TNoFileForm : public TApForm {
  HV_CLASS(TNoFileForm, TApForm)
 public:
  explicit TNoFileForm(TComponent* AOwner) : inherited(AOwner) {}
};

}  // namespace

HV_PUBLISH(TNoFileForm) {}

TEST(ApExControlTest, HintColourFollowsTheRule) {
  TColor saved = Application->HintColor();
  Application->SetHintColor(TColor(0x00C0FFFF));
  TProbeControl parent(nullptr);
  TProbeGraphic child(nullptr);
  child.SetParent(&parent);
  struct Case {
    TColor parentColour, childColour, shown;
  } cases[] = {
      {clRed, clDefault, clRed},                    // the parent's colour
      {clDefault, clDefault, TColor(0x00C0FFFF)},   // a parent without parent: the application's
      {clRed, clNone, TColor(0x00C0FFFF)},          // no colour: the application's
      {clRed, clLime, clLime},                      // its own
  };
  for (const Case& c : cases) {
    parent.SetHintColor(c.parentColour);
    child.SetHintColor(c.childColour);
    EXPECT_EQ(child.ShownHintColor(), c.shown);
  }
  TApForm form(nullptr, CreateNew);
  EXPECT_EQ(form.HintColor(), clDefault);
  THintInfo info;
  form.Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.HintColor, TColor(0x00C0FFFF));
  child.SetParent(nullptr);
  Application->SetHintColor(saved);
}

TEST(ApExControlTest, MouseEnterAndLeaveFireOnceForTheControlItself) {
  TProbeControl parent(nullptr);
  TProbeGraphic child(nullptr);
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
  EXPECT_FALSE(child.MouseOver());
  EXPECT_TRUE(parent.MouseOver());
  parent.Perform(CM_MOUSELEAVE);
  EXPECT_EQ(leaves, 1);
  child.SetParent(nullptr);
}

TEST(ApExControlTest, OperationsTakeTheirMessages) {
  TProbeControl control(nullptr);
  control.SetText(L"a");
  EXPECT_EQ(control.textChanges, 1);
  control.SetText(L"a");
  EXPECT_EQ(control.textChanges, 1);
  EXPECT_EQ(control.Perform(CM_DIALOGCHAR, L'x', 0x20000000), 1);
  EXPECT_EQ(control.wantedKey, L'x');
  EXPECT_TRUE(control.wantedShift.Contains(ssAlt));
  int parentColourEvents = 0;
  TFn<void(TObject*)> colour([&](TObject*) { ++parentColourEvents; });
  control.OnParentColorChange = colour.Event();
  control.Perform(CM_PARENTCOLORCHANGED);
  EXPECT_EQ(parentColourEvents, 1);
}

TEST(ApExControlTest, KeyDataFromShiftState) {
  struct Case {
    TShiftState shift;
    LPARAM data;
  } cases[] = {{{}, 0},
               {{ssAlt}, 0x20000000},
               {{ssCtrl}, 0x10000000},
               {{ssShift}, 0x08000000},
               {{ssAlt, ssCtrl, ssShift}, 0x38000000}};
  for (const Case& c : cases) EXPECT_EQ(ShiftStateToKeyData(c.shift), c.data);
}

TEST(ApExControlTest, DescendantWithoutFormFileRaises) {
  EXPECT_EQ(Raised<EResNotFound>([] { delete New<TNoFileForm>(nullptr); }), "Resource TNoFileForm not found");
  // The base itself has no form file to read.
  TApForm* base = New<TApForm>(nullptr);
  delete base;
}

TEST(ApExControlTest, MouseActivationCanBeRefused) {
  TApForm form(nullptr, CreateNew);
  form.SetBounds(60, 60, 200, 120);
  EXPECT_NE(form.Perform(WM_MOUSEACTIVATE, 0, MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)), MA_NOACTIVATE);
  form.SetMouseActivate(false);
  EXPECT_EQ(form.Perform(WM_MOUSEACTIVATE, 0, MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)), MA_NOACTIVATE);
}

TEST_F(TShownFormTest, ShowNoActivateLeavesTheActiveWindow) {
  form->SetFocus();
  Pump();
  HWND active = GetActiveWindow();
  TApForm other(nullptr, CreateNew);
  other.SetBounds(100, 100, 200, 120);
  other.ShowNoActivate();
  Pump();
  EXPECT_TRUE(other.Visible());
  EXPECT_TRUE(IsWindowVisible(other.Handle()));
  EXPECT_EQ(GetActiveWindow(), active);
  // A form shown while another is the main form is owned by a window of the program.
  EXPECT_NE(GetWindow(other.Handle(), GW_OWNER), nullptr);
}
