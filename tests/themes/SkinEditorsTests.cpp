// Skinned combo, list and check-list boxes: always owner-drawn, hot tracking, themed frames, the
// Unicode window classes.
#include <gtest/gtest.h>

#include "tests/themes/SkinControlTestSupport.h"
#include "themes/SkinEditors.h"

namespace {

class SkinEditorsTest : public TSkinFormTest {
 protected:
  TColorThemeScope theme;
};

struct TDrawLog {
  std::vector<std::pair<int, TRect>> Items;
  void Draw(TWinControl*, int Index, const TRect& Rect, TOwnerDrawState) { Items.push_back({Index, Rect}); }
};

// Being Unicode combo and list boxes, their windows are of the Unicode classes named after them.
TEST_F(SkinEditorsTest, WindowsOfTheUnicodeClasses) {
  const struct {
    TWinControl* Control;
    const wchar_t* Class;
  } cases[] = {{Child<TSkinComboBox>(), L"TSkinComboBox.UnicodeClass"},
               {Child<TSkinListBox>(), L"TSkinListBox.UnicodeClass"},
               {Child<TSkinCheckListBox>(), L"TSkinCheckListBox.UnicodeClass"}};
  for (const auto& c : cases) {
    wchar_t name[256] = {};
    GetClassNameW(c.Control->Handle(), name, 256);
    EXPECT_STREQ(name, c.Class);
  }
}

TEST_F(SkinEditorsTest, ItemsGetBackgroundThenTextMovedInwards) {
  auto* list = Child<TSkinListBox>();
  list->SetBounds(10, 10, 150, 100);
  list->Items()->Add(L"One");
  list->Items()->Add(L"Two");
  list->SetItemIndex(1);
  TDrawLog log;
  list->OnDrawItem = TDrawItemEvent(&log, &TDrawLog::Draw);
  list->Repaint();
  Pump();
  ASSERT_GE(log.Items.size(), 2u);
  TRect item = list->ItemRect(1);
  EXPECT_EQ(log.Items[1].second, Rect(item.Left + 1, item.Top, item.Right, item.Bottom));
  // Without a handler the theme paints the selected item's background as a button.
  theme->Calls.clear();
  list->Repaint();
  Pump();
  bool selected = false;
  for (const auto& c : theme->Named("PaintButton")) selected |= c.Rect == item;
  EXPECT_TRUE(selected);
}

TEST_F(SkinEditorsTest, CheckListTextPastTheBoxAndDisabledGlyph) {
  auto* checks = Child<TSkinCheckListBox>();
  checks->SetBounds(10, 10, 150, 100);
  checks->Items()->Add(L"Enabled");
  checks->Items()->Add(L"Disabled");
  checks->Items()->Add(L"Group");
  checks->SetItemEnabled(1, false);
  checks->SetChecked(0, true);
  checks->SetHeader(2, true);
  TDrawLog log;
  checks->OnDrawItem = TDrawItemEvent(&log, &TDrawLog::Draw);
  theme->Calls.clear();
  checks->Repaint();
  Pump();
  ASSERT_GE(log.Items.size(), 3u);
  int check = GetSystemMetrics(SM_CXMENUCHECK) + 2;
  EXPECT_EQ(log.Items[0].second.Left, check + 1);
  // A header has no box, but its text lines up with the others.
  EXPECT_EQ(log.Items[2].second.Left, check + 1);
  auto glyphs = theme->Named("PaintFrameControl");
  ASSERT_EQ(glyphs.size(), 2u);
  EXPECT_EQ(glyphs[0].Format & 5u, 1u);  // checked, enabled
  EXPECT_EQ(glyphs[1].Format & 4u, 4u);  // disabled
  // In a disabled list every box is drawn disabled.
  checks->SetEnabled(false);
  theme->Calls.clear();
  checks->Repaint();
  Pump();
  glyphs = theme->Named("PaintFrameControl");
  ASSERT_EQ(glyphs.size(), 2u);
  EXPECT_EQ(glyphs[0].Format & 4u, 4u);
}

TEST_F(SkinEditorsTest, ListHotStateFollowsMouseAndFocus) {
  auto* list = Child<TSkinListBox>();
  auto* other = Child<TSkinListBox>();
  other->SetLeft(200);
  Pump();
  list->Perform(CM_MOUSEENTER);
  EXPECT_TRUE(list->Hot());
  list->Perform(CM_MOUSELEAVE);
  EXPECT_FALSE(list->Hot());
  list->SetFocus();
  Pump();
  EXPECT_TRUE(list->Hot());
  list->Perform(CM_MOUSELEAVE);
  EXPECT_TRUE(list->Hot());
  other->SetFocus();
  Pump();
  EXPECT_FALSE(list->Hot());
  // The border is the theme's edit frame, hot with the focus.
  theme->Calls.clear();
  RedrawWindow(other->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
  auto frames = theme->Named("PaintEditFrame");
  ASSERT_FALSE(frames.empty());
  EXPECT_EQ(frames.back().Info.HoverKind, 2);
  list->SetHotTrack(false);
  list->Perform(CM_MOUSEENTER);
  EXPECT_FALSE(list->Hot());
}

// A combo box whose hover test the test decides.
class TTestCombo : public TSkinComboBox {
 public:
  using TSkinComboBox::TSkinComboBox;
  bool Over = true;

 protected:
  bool CursorOverWindow() override { return Over; }
};

TEST_F(SkinEditorsTest, ComboFrameHotTrackingAndButton) {
  auto* combo = Child<TTestCombo>();
  combo->SetStyle(csDropDownList);
  combo->SetBounds(10, 10, 150, 24);
  Pump();
  auto lastFrame = [&] {
    theme->Calls.clear();
    combo->Repaint();
    Pump();
    auto frames = theme->Named("PaintEditFrame");
    EXPECT_FALSE(frames.empty());
    return frames.empty() ? TPaintCall{} : frames.back();
  };
  TPaintCall idle = lastFrame();
  EXPECT_EQ(idle.Rect, combo->ClientRect());
  EXPECT_EQ(idle.Info.HoverKind, 0);
  EXPECT_EQ(idle.Frame.ButtonKind, 1);
  EXPECT_EQ(idle.Frame.ButtonWidth, GetSystemMetrics(SM_CXVSCROLL));
  EXPECT_EQ(idle.Frame.ButtonState, 0);
  combo->Perform(CM_MOUSEENTER);
  TPaintCall hot = lastFrame();
  EXPECT_EQ(hot.Info.HoverKind, 2);
  EXPECT_EQ(hot.Frame.ButtonState, 2);
  // The hover timer notices the mouse gone.
  combo->Over = false;
  DWORD until = GetTickCount() + 400;
  while (combo->MouseInside() && GetTickCount() < until) {
    Pump();
    Sleep(10);
  }
  EXPECT_FALSE(combo->MouseInside());
  EXPECT_EQ(lastFrame().Info.HoverKind, 0);
  // Without hot tracking the frame stays as it is when the mouse passes.
  combo->SetHotTrack(false);
  combo->Over = true;
  combo->Perform(CM_MOUSEENTER);
  EXPECT_EQ(lastFrame().Info.HoverKind, 0);
  // The focus sets the flag and its going clears it, the mouse still over the box.
  combo->SetHotTrack(true);
  combo->Perform(CM_MOUSELEAVE);
  combo->Over = true;
  auto* other = Child<TSkinComboBox>();
  other->SetTop(100);
  combo->SetFocus();
  Pump();
  EXPECT_TRUE(combo->MouseInside());
  EXPECT_EQ(lastFrame().Info.HoverKind, 2);
  other->SetFocus();
  Pump();
  EXPECT_FALSE(combo->MouseInside());
  EXPECT_EQ(lastFrame().Info.HoverKind, 0);
  combo->SetHotTrack(false);
  combo->SetEnabled(false);
  EXPECT_EQ(lastFrame().Frame.ButtonState, 1);
  // A background handler sees both stages; clearing PaintDefault replaces the frame.
  struct THandler {
    std::vector<TSkinPaintStage> Stages;
    void Draw(TObject*, TCanvas*, TRect, TSkinPaintStage Stage, bool& PaintDefault) {
      Stages.push_back(Stage);
      PaintDefault = false;
    }
  } handler;
  combo->OnDrawBackground = TSkinDrawEvent(&handler, &THandler::Draw);
  theme->Calls.clear();
  combo->Repaint();
  EXPECT_TRUE(theme->Named("PaintEditFrame").empty());
  ASSERT_GE(handler.Stages.size(), 2u);
  EXPECT_TRUE(handler.Stages[0] == pstPrePaint && handler.Stages[1] == pstPostPaint);
}

}  // namespace
