// The themed status bar: layout by priorities, painting, mouse, hints, hosted controls, size grip.
#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "framework/Bitmap.h"
#include "framework/StdCtrls.h"
#include "tests/themes/SkinControlTestSupport.h"
#include "themes/UiStatusBars.h"

namespace {

struct TPanelSetup {
  int Size;
  int ViewPriority = 100;
  int StretchPriority = 0;
  int MaxSize = 0;
};

struct TLayoutCase {
  const char* Name;
  int Width;
  std::vector<TPanelSetup> Panels;
  std::vector<int> Widths;  // 0: not shown
  int Last;                 // index of the panel marked last, -1 for none
};

const TLayoutCase layoutCases[] = {
    {"FifthStretchesToTheEdge", 732, {{160}, {100}, {100}, {220}, {50, 100, 1}}, {160, 100, 100, 220, 152}, 4},
    {"LowestViewPriorityGoesFirst", 250, {{100}, {100, 50}, {100, 80}, {100}, {100, 20}}, {100, 0, 0, 100, 0}, -1},
    {"HundredOrMoreIsNeverHidden", 150, {{100, 100}, {100, 150}, {100, 99}}, {100, 100, 0}, -1},
    {"TheLastRemainingPanelStays", 100, {{300, 10}}, {300}, -1},
    {"PanelStartingPastTheEdgeIsHidden", 150, {{100}, {100}, {100}}, {100, 100, 0}, -1},
    {"ViewPriorityZeroIsNeverShown", 500, {{100, 0}, {100}}, {0, 100}, -1},
    {"HigherStretchTakesAll", 200, {{50, 100, 2}, {50, 100, 1}}, {150, 50}, 1},
    {"MaxSizeLimitsTheFirst", 200, {{50, 100, 2, 80}, {50, 100, 1}}, {80, 120}, 1},
    // A panel already at or beyond its limit takes no spare width at all.
    {"SizeBeyondMaxSizeTakesNothing", 300, {{100, 100, 2, 60}, {50, 100, 1}}, {100, 200}, 1},
    {"SizeAtMaxSizeTakesNothing", 300, {{60, 100, 2, 60}, {50, 100, 1}}, {60, 240}, 1},
    // Equal view priorities keep the panels' order: the later one goes first.
    {"EqualViewPrioritiesKeepTheirOrder", 250, {{100, 50}, {100, 50}, {100, 50}}, {100, 100, 0}, -1},
    {"EqualStretchFavoursTheEarlier", 200, {{50, 100, 1}, {50, 100, 1}}, {150, 50}, 1},
    // Sizes whose sum passes the integer range: no sum wraps into room to stretch into.
    {"HugeSizesDoNotWrap",
     32767,
     {{536870911, 100, 1}, {536870911, 100, 1}, {536870911, 100, 1}, {536870911, 100, 1}, {536870911, 100, 1}},
     {536870911, 0, 0, 0, 0},
     -1},
    {"HugeSizeAfterASmallOne", 300, {{100, 100, 1}, {INT_MAX}, {INT_MAX}}, {100, INT_MAX - 100, 0}, -1},
    {"NegativeSizesTakeNoRoom", 300, {{100, 100, 2}, {50}, {INT_MIN, 100, 1}}, {250, 50, 0}, 1},
};

class StatusLayoutTest : public testing::TestWithParam<TLayoutCase> {};

TEST_P(StatusLayoutTest, WidthsVisibilityAndLast) {
  const TLayoutCase& c = GetParam();
  TUiStatusBar bar(nullptr);
  for (const TPanelSetup& s : c.Panels) {
    TUiStatusPanel* p = bar.Panels()->Add();
    p->SetSize(s.Size);
    p->SetViewPriority(s.ViewPriority);
    p->SetStretchPriority(s.StretchPriority);
    p->SetMaxSize(s.MaxSize);
  }
  LayoutStatusPanels(bar.Panels(), Rect(0, 2, c.Width, 22));
  int x = 0;
  for (size_t i = 0; i < c.Widths.size(); ++i) {
    TUiStatusPanel* p = bar.Panels()->Items(static_cast<int>(i));
    SCOPED_TRACE(i);
    EXPECT_EQ(p->Showing(), c.Widths[i] > 0);
    EXPECT_EQ(p->IsLast(), static_cast<int>(i) == c.Last);
    if (c.Widths[i] > 0) {
      EXPECT_EQ(p->Rect(), Rect(x, 2, x + c.Widths[i], 22));
      x += c.Widths[i];
    } else {
      EXPECT_TRUE(p->Rect().IsEmpty());
    }
  }
}

// Random sizes, limits and priorities up to the ends of the integer range: every shown panel's
// rectangle starts where the one before it ended, inside the bar, and never runs backwards.
TEST(StatusLayoutFuzz, ExtremeSizesGiveOrderedRectangles) {
  std::mt19937 random(46);
  const int extremes[] = {0, 1, 50, INT_MAX, INT_MAX - 1, 536870911, 1 << 30, -1, INT_MIN};
  TUiStatusBar bar(nullptr);
  for (int round = 0; round < 600; ++round) {
    bar.Panels()->BeginUpdate();
    bar.Panels()->Clear();
    const int count = 1 + static_cast<int>(random() % 6);
    for (int i = 0; i < count; ++i) {
      TUiStatusPanel* p = bar.Panels()->Add();
      p->SetSize(random() % 3 ? extremes[random() % std::size(extremes)] : static_cast<int>(random() % 400));
      p->SetStretchPriority(static_cast<int>(random() % 3));
      p->SetViewPriority(random() % 4 ? 100 : static_cast<int>(random() % 100));
      p->SetMaxSize(random() % 3 ? 0 : extremes[random() % std::size(extremes)]);
    }
    bar.Panels()->EndUpdate();
    const int width = static_cast<int>(random() % 2000);
    LayoutStatusPanels(bar.Panels(), Rect(0, 2, width, 22));
    long long x = 0;
    for (int i = 0; i < count; ++i) {
      TUiStatusPanel* p = bar.Panels()->Items(i);
      if (!p->Showing()) continue;
      ASSERT_EQ(p->Rect().Left, std::min<long long>(x, INT_MAX)) << round << " " << i;
      ASSERT_GE(p->Rect().Right, p->Rect().Left) << round << " " << i;
      ASSERT_LT(p->Rect().Left, width) << round << " " << i;
      x = p->Rect().Right;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, StatusLayoutTest, testing::ValuesIn(layoutCases),
                         [](const auto& Info) { return std::string(Info.param.Name); });

class StatusBarTest : public TSkinFormTest {
 protected:
  void SetUp() override {
    TSkinFormTest::SetUp();
    bar = Child<TUiStatusBar>();
    for (int size : {100, 80, 120, 60}) bar->Panels()->Add()->SetSize(size);
    Pump();
  }
  TUiStatusPanel* P(int I) { return bar->Panels()->Items(I); }
  void Repaint() {
    theme->Calls.clear();
    bar->Repaint();
  }
  TColorThemeScope theme;
  TUiStatusBar* bar = nullptr;
};

TEST_F(StatusBarTest, FramesFollowTheComputedLastAndButtonsLookLikeToolbarButtons) {
  // The final panel is hidden; the one before it reaches the right edge.
  P(2)->SetStretchPriority(1);
  P(3)->SetViewPriority(0);
  P(1)->SetAsToolbarButton(true);
  P(1)->SetCaption(L"INS");
  P(2)->SetEnabled(false);
  P(2)->SetCaption(L"Col");
  Repaint();
  int width = bar->ClientWidth();
  auto frames = theme->Named("PaintStatusBar");
  ASSERT_GE(frames.size(), 4u);
  EXPECT_EQ(frames[0].Rect, bar->ClientRect());
  std::vector<int> parts{frames[0].Part, frames[1].Part, frames[2].Part, frames[3].Part};
  EXPECT_EQ(parts, (std::vector<int>{0, 1, 1, 2}));
  EXPECT_EQ(frames[3].Rect, Rect(180, 2, width, 22));
  auto buttons = theme->Named("PaintButton");
  ASSERT_EQ(buttons.size(), 1u);
  EXPECT_EQ(buttons[0].Info.ViewType, VT_TOOLBAR);
  // Within the margins 1, 3, 1, 1, and a pixel less each side with visual styles.
  int v = ThemesUsable ? 1 : 0;
  EXPECT_EQ(buttons[0].Rect, Rect(101 + v, 3, 177 - v, 21));
  auto captions = theme->Named("PaintCaption");
  ASSERT_EQ(captions.size(), 3u);
  EXPECT_EQ(captions[1].Info.ViewType, VT_STATUSBAR);
  EXPECT_EQ(captions[1].Text, L"INS");
  EXPECT_EQ(captions[1].Format, static_cast<UINT>(DT_LEFT | DT_SINGLELINE | DT_VCENTER));
  EXPECT_EQ(captions[1].Rect.Left, 105 + v);
  EXPECT_FALSE(captions[2].Info.Enabled);
  // Pixels: the bar's background, a framed panel's frame and the last one's.
  EXPECT_EQ(PixelOf(bar, 50, 2), TColorTheme::FrameColor);
  EXPECT_EQ(PixelOf(bar, 180, 2), TColorTheme::LastFrameColor);
  EXPECT_EQ(PixelOf(bar, 140, 10), TColorTheme::ButtonColor);
}

TEST_F(StatusBarTest, AlignmentFormatsArrowAndRoomForTheGrip) {
  struct {
    TAlignment Alignment;
    TTextTruncation Truncation;
    UINT Format;
    int Left, Right;  // of the caption rectangle in panel 0 (content 1..97)
  } cases[] = {
      {taLeftJustify, twEndEllipsis, DT_LEFT | DT_END_ELLIPSIS, 5, 97},
      {taRightJustify, twPathEllipsis, DT_RIGHT | DT_PATH_ELLIPSIS, 1, 93},
      {taCenter, twNone, DT_CENTER, 1, 97},
  };
  int v = ThemesUsable ? 1 : 0;
  for (const auto& c : cases) {
    P(0)->SetAlignment(c.Alignment);
    P(0)->SetTextTruncation(c.Truncation);
    Repaint();
    auto caption = theme->Named("PaintCaption").at(0);
    EXPECT_EQ(caption.Format, c.Format | DT_SINGLELINE | DT_VCENTER);
    EXPECT_EQ(caption.Rect.Left, c.Left + v);
    EXPECT_EQ(caption.Rect.Right, c.Right - v);
  }
  // An image stands at the left and the text 4 pixels after it, then 4 in.
  TImageList images(nullptr);
  AddRedImage(images);
  bar->SetImages(&images);
  P(0)->SetImageIndex(0);
  P(0)->SetAlignment(taLeftJustify);
  Repaint();
  EXPECT_EQ(theme->Named("PaintCaption").at(0).Rect.Left, 1 + v + 8 + 4 + 4);
  EXPECT_EQ(PixelOf(bar, 1 + v + 4, 12), 0x0000FFu);
  // A button-like panel's face lies under its image, not over it.
  P(0)->SetAsToolbarButton(true);
  Repaint();
  EXPECT_EQ(PixelOf(bar, 1 + v + 4, 12), 0x0000FFu);
  P(0)->SetAsToolbarButton(false);
  bar->SetImages(nullptr);
  P(3)->SetStretchPriority(1);
  P(3)->SetAsToolbarButton(true);
  P(3)->SetDropDownArrow(true);
  Repaint();
  int right = bar->ClientWidth() - 3 - v - GetSystemMetrics(SM_CXVSCROLL);
  EXPECT_EQ(theme->Named("PaintButton").at(0).Rect.Right, right);
  auto arrow = theme->Named("PaintDropDownArrow").at(0);
  EXPECT_EQ(arrow.Rect, Rect(right - GetSystemMetrics(SM_CXVSCROLL), 3, right, 21));
}

TEST_F(StatusBarTest, SimpleTextReplacesThePanels) {
  bar->SetSimpleText(L"Ready");
  bar->SetSimplePanel(true);
  Repaint();
  EXPECT_TRUE(theme->Named("PaintCaption").empty());
  EXPECT_EQ(theme->Named("PaintStatusBar").front().Part, 0);
  int dark = 0;
  for (int x = 4; x < 60; ++x)
    for (int y = 4; y < 20; ++y) dark += PixelOf(bar, x, y) == TColorTheme::TextColor;
  EXPECT_GT(dark, 10);
}

// Other programs (screen readers, scripted runs) read what the bar shows as its window text:
// the panels' captions between tabs, or the simple text; a short buffer gets what fits.
TEST_F(StatusBarTest, TheWindowTextIsWhatTheBarShows) {
  auto windowText = [&](int Room) {
    std::vector<wchar_t> buffer(static_cast<size_t>(Room) + 1, L'#');
    const LRESULT n = SendMessageW(bar->Handle(), WM_GETTEXT, Room, reinterpret_cast<LPARAM>(buffer.data()));
    return WideString(buffer.data(), static_cast<size_t>(n)) + (buffer[static_cast<size_t>(n)] ? L"!" : L"");
  };
  P(0)->SetCaption(L"Ln 3, col 7");
  P(2)->SetCaption(L"Insert");
  const WideString shown = L"Ln 3, col 7\t\tInsert\t";
  EXPECT_EQ(bar->ShownText(), shown);
  EXPECT_EQ(SendMessageW(bar->Handle(), WM_GETTEXTLENGTH, 0, 0), static_cast<LRESULT>(shown.size()));
  EXPECT_EQ(windowText(64), shown);
  EXPECT_EQ(windowText(4), L"Ln ") << "cut to the room, always ended";
  EXPECT_EQ(SendMessageW(bar->Handle(), WM_GETTEXT, 0, 0), 0);
  bar->SetSimpleText(L"Ready");
  bar->SetSimplePanel(true);
  EXPECT_EQ(windowText(64), L"Ready");
}

TEST_F(StatusBarTest, SizeGripOnlyWhereItIsDrawn) {
  Repaint();
  TRect grip = bar->SizeGripRect();
  int w = bar->ClientWidth();
  EXPECT_EQ(grip, Rect(w - GetSystemMetrics(SM_CXVSCROLL), 3, w, 22));
  EXPECT_EQ(PixelOf(bar, w - 2, 20), TColorTheme::GripColor);
  TPoint corner = bar->ClientToScreen({w - 2, 20});
  TPoint middle = bar->ClientToScreen({50, 10});
  EXPECT_EQ(SendMessageW(bar->Handle(), WM_NCHITTEST, 0, PointParam(corner.X, corner.Y)), HTBOTTOMRIGHT);
  EXPECT_EQ(SendMessageW(bar->Handle(), WM_NCHITTEST, 0, PointParam(middle.X, middle.Y)), HTCLIENT);
  // Maximized: no grip drawn, and none answers the hit test.
  form->SetWindowState(wsMaximized);
  Pump();
  Repaint();
  w = bar->ClientWidth();
  corner = bar->ClientToScreen({w - 2, 20});
  EXPECT_TRUE(bar->SizeGripRect().IsEmpty());
  EXPECT_TRUE(theme->Named("PaintStatusBar").back().Part != 3);
  EXPECT_EQ(SendMessageW(bar->Handle(), WM_NCHITTEST, 0, PointParam(corner.X, corner.Y)), HTCLIENT);
  form->SetWindowState(wsNormal);
  Pump();
  // Not in the form's corner, or switched off: no grip either.
  bar->SetAlign(alTop);
  EXPECT_TRUE(bar->SizeGripRect().IsEmpty());
  bar->SetAlign(alBottom);
  bar->SetSizeGrip(false);
  EXPECT_TRUE(bar->SizeGripRect().IsEmpty());
}

TEST_F(StatusBarTest, HotPushedClicksAndHints) {
  std::vector<std::pair<std::string, int>> events;
  struct THandler {
    std::vector<std::pair<std::string, int>>* Log;
    void Click(TObject*, TUiStatusPanel* P) { Log->push_back({"click", P->Index()}); }
    void DblClick(TObject*, TUiStatusPanel* P) { Log->push_back({"dbl", P->Index()}); }
  } handler{&events};
  bar->OnPanelClick = TSBPanelEvent(&handler, &THandler::Click);
  bar->OnPanelDblClick = TSBPanelEvent(&handler, &THandler::DblClick);
  HWND wnd = bar->Handle();
  SendMessageW(wnd, WM_MOUSEMOVE, 0, PointParam(120, 10));
  EXPECT_TRUE(P(1)->Hot());
  EXPECT_FALSE(P(1)->Pushed());
  SendMessageW(wnd, WM_MOUSEMOVE, 0, PointParam(20, 10));
  EXPECT_FALSE(P(1)->Hot());
  EXPECT_TRUE(P(0)->Hot());
  TPoint screen = bar->ClientToScreen({20, 10});
  SetCursorPos(screen.X, screen.Y);
  SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(20, 10));
  EXPECT_TRUE(P(0)->Pushed());
  SendMessageW(wnd, WM_LBUTTONUP, 0, PointParam(20, 10));
  SendMessageW(wnd, WM_LBUTTONDBLCLK, MK_LBUTTON, PointParam(20, 10));
  SendMessageW(wnd, WM_LBUTTONUP, 0, PointParam(20, 10));
  // A disabled panel takes no click, but still its double click.
  P(0)->SetEnabled(false);
  SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(20, 10));
  SendMessageW(wnd, WM_LBUTTONUP, 0, PointParam(20, 10));
  std::vector<std::pair<std::string, int>> expected{{"click", 0}, {"dbl", 0}};
  EXPECT_EQ(events, expected);
  bar->Perform(CM_MOUSELEAVE);
  EXPECT_FALSE(P(0)->Hot() || P(0)->Pushed());
  // One hot panel for all bars; it does not outlive its panel.
  auto* other = Child<TUiStatusBar>();
  other->Panels()->Add();
  SendMessageW(wnd, WM_MOUSEMOVE, 0, PointParam(20, 10));
  SendMessageW(other->Handle(), WM_MOUSEMOVE, 0, PointParam(20, 10));
  EXPECT_FALSE(P(0)->Hot());
  delete other;
  SendMessageW(wnd, WM_MOUSEMOVE, 0, PointParam(20, 10));
  EXPECT_TRUE(P(0)->Hot());

  P(2)->SetHint(L"Column");
  THintInfo info;
  info.CursorPos = {200, 10};
  bar->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.HintStr, L"Column");
  EXPECT_EQ(info.CursorRect, P(2)->Rect());
}

TEST_F(StatusBarTest, HostedControls) {
  for (TControl* parent : {static_cast<TControl*>(form), static_cast<TControl*>(bar)}) try {
      P(0)->SetControl(parent);
      ADD_FAILURE() << "no error";
    } catch (const EInvalidOperation& e) {
      EXPECT_EQ(e.Message(), L"Can't insert own parent");
    }
  EXPECT_EQ(P(0)->Control(), nullptr);

  // Put on the bar, a windowed control gets a panel of its own.
  auto* edit = Child<TEdit>(bar);
  edit->SetName("edtLine");
  ASSERT_EQ(bar->Panels()->Count(), 5);
  EXPECT_EQ(P(4)->Control(), edit);
  EXPECT_EQ(P(4)->DisplayName(), "[ edtLine ]");
  // Moving it to another panel releases the first; it fills its panel within the margins.
  P(1)->SetControl(edit);
  EXPECT_EQ(P(4)->Control(), nullptr);
  EXPECT_EQ(edit->BoundsRect(), Rect(101, 3, 177, 21));
  P(1)->SetViewPriority(0);
  EXPECT_TRUE(edit->BoundsRect().IsEmpty());
  P(1)->SetViewPriority(100);
  // A panel freed leaves its control on the bar; a control taken off the bar frees its panel;
  // a freed control leaves its panel without one.
  delete P(1);
  EXPECT_EQ(edit->Parent(), bar);
  P(0)->SetControl(edit);
  edit->SetParent(form);
  EXPECT_EQ(bar->Panels()->Count(), 3);
  P(1)->SetControl(edit);
  delete edit;
  EXPECT_EQ(bar->Panels()->Count(), 3);
  EXPECT_EQ(P(1)->Control(), nullptr);
}

TEST_F(StatusBarTest, AssignCopiesSettingsAndFindsTheControlByName) {
  auto* edit = Child<TEdit>(bar);
  edit->SetName("edtFind");
  P(4)->SetViewPriority(40);
  P(4)->SetCaption(L"Find");
  // On another bar of the same form the control of that name moves to the copy.
  auto* second = Child<TUiStatusBar>();
  TUiStatusPanel* copy = second->Panels()->Add();
  copy->Assign(P(4));
  EXPECT_EQ(copy->ViewPriority(), 40);
  EXPECT_EQ(copy->Caption(), L"Find");
  EXPECT_EQ(copy->Control(), edit);
  EXPECT_EQ(edit->Parent(), second);
  EXPECT_EQ(bar->Panels()->Count(), 4);
}

}  // namespace
