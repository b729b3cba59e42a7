// Popup animation on real windows with a clock the test moves: frames, the final look, one
// animation per thread, and popups hidden or freed while they animate.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "tests/toolbars/BarPopupTestSupport.h"

namespace {

std::atomic<DWORD> fakeNow{0};
DWORD FakeTicks() { return fakeNow.load(); }

struct TFakeClock {
  TFakeClock() {
    fakeNow = 0;
    SetBarAnimationClock(&FakeTicks);
    SetCursorPos(2, 2);  // away from every popup: reaching the menu ends an animation
  }
  ~TFakeClock() { SetBarAnimationClock(nullptr); }
};

// A popup that records the notices it gets and answers the one asked before animating.
class TNoticePopup : public TBarPopupWindow {
 public:
  using TBarPopupWindow::TBarPopupWindow;
  static inline LRESULT Answer = 0;
  std::vector<WPARAM> Notices;
  void WndProc(TMessage& M) override {
    if (M.Msg != WM_BAR_POPUPNOTICE) return TBarPopupWindow::WndProc(M);
    Notices.push_back(M.WParam);
    M.Result = M.WParam == 1 ? Answer : 0;
  }
};

struct TNoticeItem : TSizedItem {
  TNoticeItem() : TSizedItem(0, 0) {
    Add(MenuItem(L"A"));
    Add(MenuItem(L"B"));
  }
  TBarPopupWindowClass PopupWindowClass() override { return &MakeBarPopupWindow<TNoticePopup>; }
  std::unique_ptr<TNoticePopup> Open(TPoint P, bool SelectFirst = false) {
    return std::unique_ptr<TNoticePopup>(
        static_cast<TNoticePopup*>(CreatePopup(nullptr, nullptr, false, SelectFirst, false, P, 0)));
  }
};

TRect RegionBox(HWND W, int* Kind = nullptr) {
  TRegionHandle rgn(CreateRectRgn(0, 0, 0, 0));
  int kind = GetWindowRgn(W, rgn.Get());
  if (Kind) *Kind = kind;
  RECT r{};
  GetRgnBox(rgn.Get(), &r);
  return {r.left, r.top, r.right, r.bottom};
}

bool Has(const std::vector<WPARAM>& V, WPARAM X) { return std::find(V.begin(), V.end(), X) != V.end(); }

}  // namespace

TEST(BarAnim, SlideOffsetsMoveTheImageInFromTheOppositeSide) {
  struct Case {
    TBarAnimateDirections Dirs;
    int P;
    TPoint Expected;
  } cases[] = {{tbadDown, 0, {0, -50}},    {tbadDown, 255, {0, 0}},  {tbadUp, 51, {0, 40}},
               {tbadRight | tbadDown, 102, {-60, -30}}, {tbadLeft, 204, {20, 0}}, {0, 100, {0, 0}}};
  for (const Case& c : cases) EXPECT_EQ(MenuSlideOffset(c.Dirs, 100, 50, c.P), c.Expected) << c.Dirs << " " << c.P;
}

TEST(BarAnim, SlideGrowsTheRegionFrameByFrameAndEndsWithoutOne) {
  TMenuSettings settings(TRUE, FALSE);
  TFakeClock clock;
  TNoticeItem item;
  auto popup = item.Open({300, 200});
  HWND w = popup->Handle();
  ASSERT_TRUE(MenuAnimationRunning(w));
  EXPECT_TRUE(IsWindowVisible(w));
  int kind = 0;
  EXPECT_EQ(RegionBox(w, &kind), TRect{});
  EXPECT_EQ(kind, NULLREGION);
  RECT r{};
  GetWindowRect(w, &r);
  int W = r.right - r.left, H = r.bottom - r.top;
  fakeNow = 75;  // half of 150 ms: progress 127
  TPoint d = MenuSlideOffset(tbadRight | tbadDown, W, H, 127);
  EXPECT_TRUE(PumpMessagesUntil([&] { return RegionBox(w) == Bounds(d.X, d.Y, W, H); }, 3000));
  fakeNow = 150;
  EXPECT_TRUE(PumpMessagesUntil([&] { return !MenuAnimationRunning(w); }, 3000));
  RegionBox(w, &kind);
  EXPECT_EQ(kind, ERROR);  // no region left
  PumpMessagesFor(20);
  EXPECT_TRUE(Has(popup->Notices, 2));
  EXPECT_FALSE(Has(popup->Notices, 3));
}

TEST(BarAnim, FadeUsesALayeredWindowUntilTheMouseReachesTheMenu) {
  TMenuSettings settings(TRUE, TRUE);
  TFakeClock clock;
  TNoticeItem item;
  auto popup = item.Open({300, 200});
  HWND w = popup->Handle();
  ASSERT_TRUE(MenuAnimationRunning(w));
  EXPECT_TRUE(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_LAYERED);
  POINT inside{20, 10};
  ClientToScreen(w, &inside);
  SetCursorPos(inside.x, inside.y);
  fakeNow = 10;  // the next pass sees the mouse inside: the fade ends long before 175 ms
  EXPECT_TRUE(PumpMessagesUntil([&] { return !MenuAnimationRunning(w); }, 3000));
  EXPECT_FALSE(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_LAYERED);
  PumpMessagesFor(20);
  EXPECT_TRUE(Has(popup->Notices, 2));
}

TEST(BarAnim, OneAnimationPerThreadAndNoneOutlivesItsWindow) {
  TMenuSettings settings(TRUE, FALSE);
  TFakeClock clock;
  TNoticeItem item;
  auto first = item.Open({300, 200});
  HWND w1 = first->Handle();
  int sequence = MenuAnimationSequence();
  auto second = item.Open({500, 200});
  HWND w2 = second->Handle();
  // The first ended in its final look before the second began.
  EXPECT_FALSE(MenuAnimationRunning(w1));
  int kind = 0;
  RegionBox(w1, &kind);
  EXPECT_EQ(kind, ERROR);
  EXPECT_TRUE(MenuAnimationRunning(w2));
  // A late frame of the first animation changes nothing.
  PostMessageW(w2, WM_BAR_ANIMATIONFRAME, 0, sequence);
  PumpMessagesFor(20);
  EXPECT_EQ(RegionBox(w2), TRect{});
  // Hidden while animating: the animation ends first.
  second->SetVisible(false);
  EXPECT_FALSE(MenuAnimationRunning());
  EXPECT_FALSE(IsWindowVisible(w2));
  // Freed while animating, also with frames still queued.
  auto third = item.Open({300, 400});
  fakeNow = 40;
  PumpMessagesUntil([&] { return !(RegionBox(third->Handle()) == TRect{}); }, 3000);
  fakeNow = 60;
  Sleep(30);
  third.reset();
  EXPECT_FALSE(MenuAnimationRunning());
  PumpMessagesFor(30);
}

TEST(BarAnim, PopupShowsPlainlyWhenItMustNotAnimate) {
  TFakeClock clock;
  struct Case {
    BOOL Animation, Fade;
    bool SelectFirst;
    LRESULT Answer;
    bool Animates;
  } cases[] = {{TRUE, FALSE, false, 0, true},  {FALSE, TRUE, false, 0, false}, {TRUE, TRUE, true, 0, false},
               {TRUE, TRUE, false, 1, false}};
  for (const Case& c : cases) {
    TMenuSettings settings(c.Animation, c.Fade);
    TNoticePopup::Answer = c.Answer;
    TNoticeItem item;
    auto popup = item.Open({300, 200}, c.SelectFirst);
    EXPECT_EQ(MenuAnimationRunning(popup->Handle()), c.Animates);
    EXPECT_TRUE(IsWindowVisible(popup->Handle()));
    PumpMessagesFor(10);
    EXPECT_EQ(Has(popup->Notices, 3), !c.Animates);
    TNoticePopup::Answer = 0;
  }
}
