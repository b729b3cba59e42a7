// The sizing grip: its rectangle and hit test in both styles, its drawing, hooking and
// unhooking (also with a later hook on the same window, and with the window freed first).
#include <gtest/gtest.h>

#include "ControlsTestSupport.h"
#include "controls/ApExControls.h"
#include "controls/SizeGripThemed.h"
#include "tests/common/TestPicture.h"

namespace {

class SizeGrip : public ShownForm {
 protected:
  void SetUp() override {
    ShownForm::SetUp();
    target = new TApExCustomControl(form);
    target->SetBounds(10, 10, 100, 80);
    target->SetParent(form);
    Pump();
  }
  LRESULT HitTest(int X, int Y) {
    TPoint p = target->ClientToScreen(TPoint{X, Y});
    return target->Perform(WM_NCHITTEST, 0, MAKELPARAM(p.X, p.Y));
  }
  TApExCustomControl* target = nullptr;
};

// Restores the system's answer about visual styles.
struct TThemesOverride {
  explicit TThemesOverride(int Value) { SetThemesActiveOverride(Value); }
  ~TThemesOverride() { SetThemesActiveOverride(-1); }
};

}  // namespace

TEST_F(SizeGrip, ClassicCornerAndHitTest) {
  TSizeGrip grip(target);
  EXPECT_EQ(grip.GripRect(), (TRect{85, 65, 100, 80}));
  EXPECT_TRUE(HitTest(85, 65) == HTBOTTOMRIGHT && HitTest(84, 70) == HTCLIENT && HitTest(90, 64) == HTCLIENT);
  target->SetWidth(140);  // the grip follows the size
  Pump();
  EXPECT_EQ(grip.GripRect(), (TRect{125, 65, 140, 80}));
  // Disabling gives the window its handler back.
  grip.SetEnabled(false);
  EXPECT_TRUE(grip.GripRect().IsEmpty() && HitTest(130, 70) == HTCLIENT);
  grip.SetEnabled(true);
  EXPECT_EQ(HitTest(130, 70), HTBOTTOMRIGHT);
}

// A designer owns the messages of the window it edits: a grip does not hook a designed target,
// nor does a designed grip hook any; each hooks once running again and re-targeted or enabled.
TEST_F(SizeGrip, NoHookWhileTheGripOrItsTargetIsDesigned) {
  const TWndMethod own = target->WindowProc;
  for (bool designGrip : {false, true}) {
    TComponent designer(nullptr);
    auto* grip = designGrip ? new TSizeGrip(&designer) : new TSizeGrip(nullptr);
    if (designGrip)
      designer.SetDesigning(true);
    else
      target->SetDesigning(true);
    grip->SetTargetControl(target);
    grip->SetEnabled(false);
    grip->SetEnabled(true);
    EXPECT_EQ(grip->TargetControl(), target);
    EXPECT_TRUE(!grip->Hooked() && grip->GripRect().IsEmpty()) << designGrip;
    EXPECT_TRUE(target->WindowProc == own);
    EXPECT_EQ(HitTest(90, 70), HTCLIENT);
    (designGrip ? static_cast<TComponent&>(designer) : *target).SetDesigning(false);
    grip->SetEnabled(false);
    grip->SetEnabled(true);
    EXPECT_TRUE(grip->Hooked()) << designGrip;
    EXPECT_EQ(HitTest(90, 70), HTBOTTOMRIGHT);
    delete grip;
    EXPECT_TRUE(target->WindowProc == own);
  }
}

TEST_F(SizeGrip, UnhookingKeepsALaterHook) {
  auto* first = new TSizeGrip(nullptr);
  first->SetTargetControl(target);
  auto* second = new TSizeGrip(nullptr);
  second->SetTargetControl(target);
  second->SetStyle(sgsWinXP);
  TWndMethod secondProc = target->WindowProc;
  delete first;  // the second hook stays where it is
  EXPECT_TRUE(target->WindowProc == secondProc);
  EXPECT_EQ(HitTest(90, 70), HTBOTTOMRIGHT);
  target->Repaint();
  Pump();
  delete second;
  EXPECT_FALSE(target->WindowProc == secondProc);  // the first one's stand-in hands on
  EXPECT_EQ(HitTest(90, 70), HTCLIENT);
  target->Repaint();
  Pump();
}

TEST(SizeGripTarget, TargetFreedFirstLeavesTheGripUnhooked) {
  auto* target = new TForm(nullptr, CreateNew);
  target->SetBounds(50, 50, 160, 120);
  target->Show();
  Pump();
  TSizeGripThemed grip(nullptr);
  grip.SetTargetControl(target);
  delete target;
  Pump();
  EXPECT_TRUE(grip.TargetControl() == nullptr && !grip.Hooked() && grip.GripRect().IsEmpty());
}

TEST_F(SizeGrip, ThemedGripFollowsTheVisualStyle) {
  const TRect classic{85, 65, 100, 80};
  for (int themes : {0, 1}) {
    TThemesOverride override(themes);
    TSizeGripThemed grip(target);
    TRect r = grip.GripRect();
    // Without visual styles (or the style's gripper) the classic corner stands.
    if (!grip.ThemeOpen()) {
      EXPECT_EQ(r, classic);
      continue;
    }
    EXPECT_TRUE(r.Right == 100 && r.Bottom == 80 && r.Width() >= GetSystemMetrics(SM_CXVSCROLL));
    EXPECT_TRUE(HitTest(r.Left, r.Top) == HTBOTTOMRIGHT && HitTest(r.Left - 1, r.Top) == HTCLIENT);
    grip.SetThemed(false);
    EXPECT_EQ(grip.GripRect(), classic);
  }
}

TEST_F(SizeGrip, ClassicDrawingOfBothStyles) {
  target->SetColor(TColor(0x00404040));
  TSizeGrip grip(target);
  COLORREF shadow = ColorToRGB(clBtnShadow), highlight = ColorToRGB(clBtnHighlight);
  COLORREF middle = RGB((0x40 + GetRValue(shadow)) / 2, (0x40 + GetGValue(shadow)) / 2, (0x40 + GetBValue(shadow)) / 2);
  struct Case {
    TSizeGripStyle style;
    int dx, dy;  // from the bottom-right corner
    COLORREF colour;
  } cases[] = {
      {sgsClassic, -2, -1, shadow}, {sgsClassic, -3, -1, middle}, {sgsClassic, -4, -1, highlight},
      {sgsWinXP, -4, -4, shadow},   {sgsWinXP, -3, -3, middle},   {sgsWinXP, -2, -2, highlight},
  };
  for (const Case& c : cases) {
    TTestPicture picture(20, 20, 0x000000);  // black: not a colour of the grip
    grip.SetStyle(c.style);
    grip.PaintGrip(picture.DC(), TRect{5, 5, 20, 20});
    EXPECT_EQ(picture.At(20 + c.dx, 20 + c.dy), c.colour) << c.style << " " << c.dx << "," << c.dy;
  }
}
