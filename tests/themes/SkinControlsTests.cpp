// Skinned panel, group box, label, check box and button: states, groups, keys, links, painting.
#include <gtest/gtest.h>

#include "framework/Bitmap.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "tests/themes/SkinControlTestSupport.h"
#include "themes/SkinControls.h"

namespace {

class SkinControlsTest : public TSkinFormTest {
 protected:
  TColorThemeScope theme;
};

// Counts OnClick.
struct TClicks {
  int Count = 0;
  void Click(TObject*) { ++Count; }
  TNotifyEvent Event() { return TNotifyEvent(this, &TClicks::Click); }
};

TEST_F(SkinControlsTest, CheckBoxCyclesThroughItsStates) {
  struct {
    bool AllowGrayed;
    std::vector<TCheckBoxState> States;
  } cases[] = {
      {true, {cbGrayed, cbChecked, cbUnchecked, cbGrayed}},
      {false, {cbChecked, cbUnchecked, cbChecked}},
  };
  for (const auto& c : cases) {
    auto* box = Child<TSkinCheckBox>();
    box->SetAllowGrayed(c.AllowGrayed);
    TClicks clicks;
    box->OnClick = clicks.Event();
    for (size_t i = 0; i < c.States.size(); ++i) {
      ClickAt(box, 2, 2);
      EXPECT_EQ(box->State(), c.States[i]);
      EXPECT_EQ(clicks.Count, static_cast<int>(i) + 1);
    }
    // Set in code: one OnClick, no second toggle.
    clicks.Count = 0;
    box->SetState(cbChecked);
    box->SetState(cbChecked);
    EXPECT_TRUE(box->Checked());
    EXPECT_EQ(clicks.Count, c.States.back() == cbChecked ? 0 : 1);
    delete box;
  }
}

TEST_F(SkinControlsTest, SpaceAndAcceleratorPressCheckBoxesAndButtons) {
  auto* box = Child<TSkinCheckBox>();
  box->SetCaption(L"&Options");
  auto* button = Child<TSkinButton>();
  button->SetCaption(L"&Run");
  button->SetTop(40);
  TClicks runs;
  button->OnClick = runs.Event();
  box->SetFocus();
  Pump();
  SendMessageW(box->Handle(), WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_TRUE(box->Pushed());
  SendMessageW(box->Handle(), WM_KEYUP, VK_SPACE, 0xC0000000);
  EXPECT_FALSE(box->Pushed());
  EXPECT_EQ(box->State(), cbChecked);
  // Alt+R clicks the button and moves the focus to it; Alt+O toggles the box.
  form->Perform(CM_DIALOGCHAR, L'r', 0x20000000);
  EXPECT_EQ(runs.Count, 1);
  EXPECT_TRUE(button->Focused());
  form->Perform(CM_DIALOGCHAR, L'o', 0x20000000);
  EXPECT_EQ(box->State(), cbUnchecked);
  // Without accelerators, or disabled, the letter does nothing.
  button->SetShowAccelChar(false);
  form->Perform(CM_DIALOGCHAR, L'r', 0x20000000);
  box->SetEnabled(false);
  form->Perform(CM_DIALOGCHAR, L'o', 0x20000000);
  EXPECT_EQ(runs.Count, 1);
  EXPECT_EQ(box->State(), cbUnchecked);
  // A label gives the focus to its focus control, and forgets it when it is freed.
  auto* edit = Child<TEdit>();
  auto* label = Child<TSkinLabel>();
  label->SetCaption(L"&Name:");
  label->SetFocusControl(edit);
  EXPECT_FALSE(label->TabStop());
  form->Perform(CM_DIALOGCHAR, L'N', 0x20000000);
  EXPECT_TRUE(edit->Focused());
  delete edit;
  EXPECT_EQ(label->FocusControl(), nullptr);
}

// A label's accelerator moves the focus only while the letter is shown underlined and the label
// is enabled.
TEST_F(SkinControlsTest, ALabelsAcceleratorNeedsItShownAndEnabled) {
  const struct {
    bool ShowAccelChar, Enabled, Moves;
  } cases[] = {{true, true, true}, {false, true, false}, {true, false, false}};
  for (const auto& c : cases) {
    auto* other = Child<TEdit>();
    auto* edit = Child<TEdit>();
    edit->SetTop(40);
    auto* label = Child<TSkinLabel>();
    label->SetCaption(L"&Name:");
    label->SetFocusControl(edit);
    label->SetShowAccelChar(c.ShowAccelChar);
    label->SetEnabled(c.Enabled);
    other->SetFocus();
    Pump();
    form->Perform(CM_DIALOGCHAR, L'n', 0x20000000);
    EXPECT_EQ(edit->Focused(), c.Moves) << c.ShowAccelChar << c.Enabled;
    delete label;
    delete edit;
    delete other;
  }
}

TEST_F(SkinControlsTest, DefaultAndCancelKeys) {
  auto* edit = Child<TEdit>();
  auto* ok = Child<TSkinButton>();
  auto* cancel = Child<TSkinButton>();
  auto* apply = Child<TSkinButton>();
  ok->SetDefault(true);
  cancel->SetCancel(true);
  cancel->SetModalResult(mrCancel);
  TClicks oks, cancels, applies;
  ok->OnClick = oks.Event();
  cancel->OnClick = cancels.Event();
  apply->OnClick = applies.Event();
  struct {
    TWinControl* Focus;
    Word Key;
    LPARAM KeyData;
    int Ok, Cancel, Apply;
  } cases[] = {
      {edit, VK_RETURN, 0, 1, 0, 0},          {edit, VK_ESCAPE, 0, 0, 1, 0},
      {edit, VK_RETURN, 0x20000000, 0, 0, 0},  // Alt+Enter is not the default button's
      {apply, VK_RETURN, 0, 0, 0, 1},          // Enter on a focused button clicks that button
      {cancel, VK_RETURN, 0, 0, 1, 0},        {apply, VK_ESCAPE, 0, 0, 1, 0},
  };
  for (const auto& c : cases) {
    oks.Count = cancels.Count = applies.Count = 0;
    c.Focus->SetFocus();
    Pump();
    form->Perform(CM_DIALOGKEY, c.Key, c.KeyData);
    EXPECT_EQ(oks.Count, c.Ok);
    EXPECT_EQ(cancels.Count, c.Cancel);
    EXPECT_EQ(applies.Count, c.Apply);
  }
  EXPECT_EQ(form->ModalResult(), mrCancel);
  ok->SetEnabled(false);  // a button that cannot take the focus takes no key
  edit->SetFocus();
  form->Perform(CM_DIALOGKEY, VK_RETURN, 0);
  EXPECT_EQ(oks.Count, 0);
}

TEST_F(SkinControlsTest, GroupsActAsRadioButtonsPerClassAndParent) {
  auto* a = Child<TSkinButton>();
  auto* b = Child<TSkinButton>();
  auto* c = Child<TSkinButton>();
  auto* box = Child<TSkinCheckBox>();
  auto* panel = Child<TSkinPanel>();
  auto* elsewhere = Child<TSkinButton>(panel);
  for (TSkinButtonControl* x : std::initializer_list<TSkinButtonControl*>{a, b, box, elsewhere}) x->SetGroupIndex(1);
  c->SetGroupIndex(2);
  b->SetChecked(true);
  c->SetChecked(true);
  box->SetChecked(true);
  elsewhere->SetChecked(true);
  a->SetChecked(true);
  EXPECT_TRUE(a->Checked());
  EXPECT_FALSE(b->Checked());
  EXPECT_TRUE(c->Checked());          // another group
  EXPECT_TRUE(box->Checked());        // another class
  EXPECT_TRUE(elsewhere->Checked());  // another parent
  // A click on a grouped button checks it.
  ClickAt(b, 5, 5);
  EXPECT_TRUE(b->Checked());
  EXPECT_FALSE(a->Checked());
}

// A button whose repeat clock the test drives.
class TClockedButton : public TSkinButton {
 public:
  using TSkinButton::TSkinButton;
  std::vector<UINT> Started;
  int Stopped = 0;
  void Tick() { RepeatTick(nullptr); }

 protected:
  void StartRepeatTimer(UINT Interval) override { Started.push_back(Interval); }
  void StopRepeatTimer() override { ++Stopped; }
};

TEST_F(SkinControlsTest, RepeatingButtonClicksOnPressThenEveryTick) {
  auto* button = Child<TClockedButton>();
  button->SetRepeating(true);
  TClicks clicks;
  button->OnClick = clicks.Event();
  HWND wnd = button->Handle();
  SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(5, 5));
  EXPECT_EQ(clicks.Count, 1);
  button->Tick();
  button->Tick();
  EXPECT_EQ(clicks.Count, 3);
  EXPECT_EQ(button->Started, (std::vector<UINT>{400, 100, 100}));
  SendMessageW(wnd, WM_LBUTTONUP, 0, PointParam(5, 5));
  EXPECT_EQ(clicks.Count, 3);  // the release adds no click of its own
  EXPECT_GE(button->Stopped, 1);
  button->Tick();  // a late tick after the release does nothing
  EXPECT_EQ(clicks.Count, 3);
}

// A drop-down menu that records where it opened and leaves the click that closed it queued.
class TRecordingMenu : public TPopupMenu {
 public:
  using TPopupMenu::TPopupMenu;
  TPoint At{-1, -1};
  HWND Button = nullptr;
  bool PushedWhileOpen = false;
  TSkinButton* Owner = nullptr;
  int QuitCode = -1;  // a quit that arrives while the menu is open, -1 none
  void Popup(int X, int Y) override {
    At = {X, Y};
    PushedWhileOpen = Owner->DroppedDown();
    PostMessageW(Button, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(5, 5));
    if (QuitCode >= 0) PostQuitMessage(QuitCode);
  }
};

TEST_F(SkinControlsTest, DropDownMenuOpensBelowAndSwallowsTheClosingClick) {
  auto* button = Child<TSkinButton>();
  button->SetBounds(20, 30, 90, 25);
  auto* menu = new TRecordingMenu(form);
  menu->Owner = button;
  menu->Button = button->Handle();
  button->SetDropDownMenu(menu);
  button->SetModalResult(mrOk);
  ClickAt(button, 5, 5);
  EXPECT_EQ(menu->At, button->ClientToScreen({0, 25}));
  EXPECT_TRUE(menu->PushedWhileOpen);
  EXPECT_FALSE(button->DroppedDown());
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, button->Handle(), WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_NOREMOVE));
  EXPECT_EQ(form->ModalResult(), mrNone);  // a drop-down button closes no dialog
  EXPECT_FALSE(theme->Named("PaintDropDownArrow").empty());
  // Space opens it as well.
  menu->At = {-1, -1};
  button->SetFocus();
  SendMessageW(button->Handle(), WM_KEYDOWN, VK_SPACE, 0);
  SendMessageW(button->Handle(), WM_KEYUP, VK_SPACE, 0xC0000000);
  EXPECT_EQ(menu->At, button->ClientToScreen({0, 25}));
  // A quit found among the mouse messages taken away stays for the message loop.
  menu->QuitCode = 7;
  ClickAt(button, 5, 5);
  menu->QuitCode = -1;
  EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.message, UINT(WM_QUIT));
  EXPECT_EQ(msg.wParam, 7u);
  delete menu;
  EXPECT_EQ(button->DropDownMenu(), nullptr);
}

TEST_F(SkinControlsTest, BitmapStripFrames) {
  auto* button = Child<TSkinButton>();
  const COLORREF colours[] = {0x0000FF, 0x00FF00, 0xFF0000, 0x808080};
  TBitmap strip;
  strip.SetSize(8, 16);
  for (int i = 0; i < 4; ++i) {
    strip.Canvas()->Brush()->SetColor(TColor(colours[i]));
    strip.Canvas()->FillRect(TRect{0, i * 4, 8, i * 4 + 4});
  }
  button->SetBitmapTransparent(false);
  button->SetBitmap(&strip);
  // Normal, hot, checked, disabled: each step shows the next frame, stretched over the button.
  for (int frame = 0; frame < 4; ++frame) {
    if (frame == 1) button->Perform(CM_MOUSEENTER);
    if (frame == 2) button->SetChecked(true);
    if (frame == 3) button->SetEnabled(false);
    EXPECT_EQ(button->BitmapFrame(), frame);
    button->Repaint();
    EXPECT_EQ(PixelOf(button, 2, 20), colours[frame]);
  }
  // A strip whose height is not a multiple of four is ignored: the themed frame is drawn.
  strip.SetSize(8, 15);
  button->SetBitmap(&strip);
  EXPECT_EQ(button->BitmapFrame(), -1);
}

TEST_F(SkinControlsTest, LinksOpenThroughTheShellAfterOnClick) {
  std::vector<std::pair<WideString, WideString>> opened;
  TSkinShellOpen saved = SkinShellOpen();
  SkinShellOpen() = [&](const WideString& File, const WideString& Params) { opened.push_back({File, Params}); };
  auto* label = Child<TSkinLabel>();
  label->SetCaption(L"Home page");
  TClicks clicks;
  label->OnClick = clicks.Event();
  for (const wchar_t* link : {L"", L"https://example.org/verdan"}) {
    label->SetLinkText(link);
    label->SetLinkTextParams(L"-new");
    ClickAt(label, 2, 2);
  }
  SkinShellOpen() = saved;
  EXPECT_EQ(clicks.Count, 2);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].first, L"https://example.org/verdan");
  EXPECT_EQ(opened[0].second, L"-new");
}

TEST_F(SkinControlsTest, AutomaticSize) {
  auto* label = Child<TSkinLabel>();
  label->SetCaption(L"Short");
  int shortWidth = label->Width();
  int height = label->Height();
  label->SetUnderline(true);
  EXPECT_EQ(label->Height(), height + 1);
  label->Margins()->SetLeft(10);
  label->SetCaption(L"Short");
  EXPECT_EQ(label->Width(), shortWidth + 10);
  // A check box holds its 13-pixel glyph, the gap and the caption, plus 1 and 2.
  auto* box = Child<TSkinCheckBox>();
  box->SetCaption(L"Short");
  EXPECT_EQ(box->Width(), 13 + 4 + shortWidth + 1);
  EXPECT_EQ(box->Height(), std::max(13, height) + 2);
}

TEST_F(SkinControlsTest, FocusRectangleAroundTheCaption) {
  auto* box = Child<TSkinCheckBox>();
  box->SetCaption(L"Wrap");
  auto* other = Child<TSkinCheckBox>();
  other->SetTop(50);
  auto picture = [&](TWinControl* Focus) {
    Focus->SetFocus();
    Pump();
    box->Repaint();
    std::vector<COLORREF> pixels;
    for (int i = 0; i < box->Width() * box->Height(); ++i)
      pixels.push_back(PixelOf(box, i % box->Width(), i / box->Width()));
    return pixels;
  };
  auto unfocused = picture(other);
  auto focused = picture(box);
  // The dotted rectangle around the caption changes a good number of pixels.
  int changed = 0;
  for (size_t i = 0; i < focused.size(); ++i) changed += focused[i] != unfocused[i];
  EXPECT_GT(changed, 10);
}

TEST_F(SkinControlsTest, PanelFrameHotTrackingAndMargins) {
  auto* panel = Child<TSkinPanel>();
  panel->SetBounds(10, 10, 200, 100);
  auto* child = Child<TSkinPanel>(panel);
  child->SetAlign(alClient);
  panel->Margins()->SetLeft(5);
  panel->Margins()->SetTop(6);
  EXPECT_EQ(child->BoundsRect(), Rect(5, 6, 200, 100));
  auto frameHover = [&] {
    theme->Calls.clear();
    panel->Repaint();
    auto frames = theme->Named("PaintFrame");
    return frames.empty() ? -1 : frames.front().Info.HoverKind;
  };
  EXPECT_EQ(frameHover(), 0);
  panel->Perform(CM_MOUSEENTER);
  EXPECT_FALSE(panel->Hot());  // only with HotTrack
  panel->Perform(CM_MOUSELEAVE);
  panel->SetHotTrack(true);
  panel->Perform(CM_MOUSEENTER);
  EXPECT_TRUE(panel->Hot());
  EXPECT_EQ(frameHover(), 2);
  panel->Perform(CM_MOUSELEAVE);
  EXPECT_FALSE(panel->Hot());
  // The focus on a direct child keeps it hot.
  auto* edit = Child<TEdit>(panel);
  edit->SetFocus();
  Pump();
  EXPECT_TRUE(panel->Hot());
  // The focus going elsewhere ends it, though the mouse came in and has not left.
  auto* outside = Child<TEdit>();
  outside->SetTop(200);
  panel->Perform(CM_MOUSEENTER);
  outside->SetFocus();
  Pump();
  EXPECT_FALSE(panel->Hot());
  edit->SetFocus();
  Pump();
  EXPECT_TRUE(panel->Hot());
  // A panel with the theme's button look paints itself as a button.
  panel->SetUiStyleBackground(true);
  theme->Calls.clear();
  panel->Repaint();
  ASSERT_FALSE(theme->Named("PaintButton").empty());
  EXPECT_EQ(theme->Named("PaintButton").front().Rect, panel->ClientRect());
}

TEST_F(SkinControlsTest, GroupBoxCaptionAndChildArea) {
  auto* group = Child<TSkinGroupBox>();
  group->SetBounds(10, 10, 200, 120);
  auto* child = Child<TSkinPanel>(group);
  child->SetAlign(alClient);
  group->SetCaption(L"Options");
  TRect caption = group->CaptionRect();
  EXPECT_EQ(caption.Left, 8);
  EXPECT_EQ(child->Top(), caption.Height());
  theme->Calls.clear();
  group->Repaint();
  auto frames = theme->Named("PaintFrame");
  ASSERT_FALSE(frames.empty());
  EXPECT_EQ(frames[0].Rect.Top, caption.Height() / 2);
  // The frame's line does not cross the caption, and runs up to it.
  EXPECT_NE(PixelOf(group, caption.Left + 1, caption.Height() / 2), TColorTheme::FrameColor);
  EXPECT_EQ(PixelOf(group, 2, caption.Height() / 2), TColorTheme::FrameColor);
  EXPECT_EQ(PixelOf(group, caption.Left - 1, caption.Height() / 2), TColorTheme::FrameColor);
  // In the classic look the frame is the etched line whatever border a panel would draw: its
  // outer line is the shadow, where a raised one has the highlight.
  group->SetThemeType(thtNone);
  group->SetBorderType(pbrRaised);
  group->Repaint();
  EXPECT_EQ(PixelOf(group, 0, caption.Height() / 2 + 5), GetSysColor(COLOR_BTNSHADOW));
}

TEST_F(SkinControlsTest, ALinkShowsTheHandOverTheControlsOwnCursor) {
  HCURSOR hand = SkinHandCursor();
  ASSERT_NE(hand, nullptr);
  struct {
    TCursor Cursor;
    const wchar_t* Link;
    bool Hand;
  } cases[] = {
      {crDefault, L"https://example.org", true},
      {crIBeam, L"https://example.org", true},
      {crIBeam, L"", false},
  };
  for (const auto& c : cases) {
    auto* label = Child<TSkinLabel>();
    label->SetCaption(L"Site");
    label->SetCursor(c.Cursor);
    label->SetLinkText(c.Link);
    SetCursor(nullptr);
    SendMessageW(label->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(label->Handle()),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor() == hand, c.Hand) << c.Cursor;
    delete label;
  }
}

// A click hands the button's modal result to its form, a result of none included.
TEST_F(SkinControlsTest, AClickGivesTheFormTheButtonsModalResult) {
  const struct {
    int Before, Button, After;
  } cases[] = {{mrNone, mrOk, mrOk}, {mrCancel, mrNone, mrNone}, {mrNone, mrNone, mrNone}};
  auto* button = Child<TSkinButton>();
  for (const auto& c : cases) {
    form->SetModalResult(c.Before);
    button->SetModalResult(c.Button);
    ClickAt(button, 5, 5);
    EXPECT_EQ(form->ModalResult(), c.After) << c.Before << " " << c.Button;
  }
  form->SetModalResult(mrNone);
}

TEST_F(SkinControlsTest, ImageAndActionLink) {
  TImageList images(nullptr);
  AddRedImage(images);
  auto* label = Child<TSkinLabel>();
  label->SetCaption(L"Go");
  int plain = label->Width();
  label->SetImages(&images);
  label->SetImageIndex(0);
  EXPECT_EQ(label->Width(), plain + 8 + 4);  // the image and its gap before the caption
  label->Repaint();
  EXPECT_EQ(PixelOf(label, 3, label->Height() / 2), 0x0000FFu);
  // A glow outlines the caption in its colour.
  label->SetCaptionGlow(gldAll);
  label->Repaint();
  int glow = 0;
  for (int i = 0; i < label->Width() * label->Height(); ++i)
    glow += PixelOf(label, i % label->Width(), i / label->Width()) == 0x00FFFFu;
  EXPECT_GT(glow, 5);

  auto* button = Child<TSkinButton>();
  TAction action(form);
  action.SetCaption(L"Прыжок");
  action.SetImageIndex(3);
  button->SetAction(&action);
  EXPECT_EQ(button->Caption(), L"Прыжок");
  EXPECT_EQ(button->ImageIndex(), 3);
  action.SetChecked(true);
  EXPECT_TRUE(button->Checked());
  action.SetImageIndex(5);
  EXPECT_EQ(button->ImageIndex(), 5);
}

}  // namespace
