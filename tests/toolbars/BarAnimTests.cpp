// Popup animation on real windows with a clock the test moves: frames, the final look, one
// animation per thread, and popups hidden or freed while they animate.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <tuple>

#include "tests/toolbars/BarPopupTestSupport.h"

namespace {

std::atomic<DWORD> fakeNow{0};
DWORD FakeTicks() { return fakeNow.load(); }

// A popup that records the notices it gets and answers the one asked before animating.
class TNoticePopup : public TBarPopupWindow {
 public:
  using TBarPopupWindow::TBarPopupWindow;
  static inline LRESULT Answer = 0;
  std::vector<WPARAM> Notices;
  bool Noticed(WPARAM W) { return std::find(Notices.begin(), Notices.end(), W) != Notices.end(); }
  void WndProc(TMessage& M) override {
    if (M.Msg != WM_BAR_POPUPNOTICE) return TBarPopupWindow::WndProc(M);
    Notices.push_back(M.WParam);
    M.Result = M.WParam == 1 ? Answer : 0;
  }
};

// Opens popups of two items at a point, on a clock of the test's, with the mouse away from them.
struct TAnimatedMenu : TSizedItem {
  TAnimatedMenu() : TSizedItem(0, 0) {
    Add(MenuItem(L"A"));
    Add(MenuItem(L"B"));
    fakeNow = 0;
    SetBarAnimationClock(&FakeTicks);
    SetCursorPos(2, 2);  // reaching the menu ends an animation
  }
  ~TAnimatedMenu() override { SetBarAnimationClock(nullptr); }
  TBarPopupWindowClass PopupWindowClass() override { return &MakeBarPopupWindow<TNoticePopup>; }
  std::unique_ptr<TNoticePopup> Open(TPoint P, bool SelectFirst = false) {
    return std::unique_ptr<TNoticePopup>(
        static_cast<TNoticePopup*>(CreatePopup(nullptr, nullptr, false, SelectFirst, false, P, 0)));
  }
};

// The window's region as "kind: box" (kind 0 when it has none, 1 when it is empty).
std::string Region(HWND W) {
  TRegionHandle rgn(CreateRectRgn(0, 0, 0, 0));
  RECT r{};
  int kind = GetWindowRgn(W, rgn.Get());
  GetRgnBox(rgn.Get(), &r);
  return std::to_string(kind) + ": " + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," + std::to_string(r.bottom);
}

}  // namespace

TEST(BarAnim, SlideOffsetsMoveTheImageInFromTheOppositeSide) {
  struct Case {
    TBarAnimateDirections Dirs;
    int P;
    TPoint Expected;
  } cases[] = {{tbadDown, 0, {0, -50}}, {tbadDown, 255, {0, 0}}, {tbadUp, 51, {0, 40}},
               {tbadRight | tbadDown, 102, {-60, -30}}, {tbadLeft, 204, {20, 0}}, {0, 100, {0, 0}}};
  for (const Case& c : cases) EXPECT_EQ(MenuSlideOffset(c.Dirs, 100, 50, c.P), c.Expected) << c.Dirs << " " << c.P;
}

TEST(BarAnim, SlideGrowsTheRegionFrameByFrameAndFadeEndsWhenTheMouseArrives) {
  TAnimatedMenu menu;
  {
    TMenuSettings settings(TRUE, FALSE);
    auto popup = menu.Open({300, 200});
    HWND w = popup->Handle();
    ASSERT_TRUE(MenuAnimationRunning(w));
    EXPECT_EQ(Region(w), "1: 0,0,0,0");
    fakeNow = 75;  // half of 150 ms: progress 127 slides the 126 x 46 window in from the top left
    EXPECT_TRUE(PumpMessagesUntil([&] { return Region(w) == "2: -63,-23,63,23"; }));
    fakeNow = 150;
    EXPECT_TRUE(PumpMessagesUntil([&] { return !MenuAnimationRunning(w); }));
    EXPECT_EQ(Region(w), "0: 0,0,0,0");
    PumpMessagesFor(20);
    EXPECT_TRUE(popup->Noticed(2));
    EXPECT_FALSE(popup->Noticed(3));
  }
  TMenuSettings settings(TRUE, TRUE);
  fakeNow = 0;
  auto popup = menu.Open({300, 200});
  HWND w = popup->Handle();
  ASSERT_TRUE(MenuAnimationRunning(w));
  EXPECT_TRUE(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_LAYERED);
  TPoint inside = popup->ClientToScreen({20, 10});
  SetCursorPos(inside.X, inside.Y);
  fakeNow = 10;  // the next frame sees the mouse inside: the fade ends long before 175 ms
  EXPECT_TRUE(PumpMessagesUntil([&] { return !MenuAnimationRunning(w); }));
  EXPECT_FALSE(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_LAYERED);
  PumpMessagesFor(20);
  EXPECT_TRUE(popup->Noticed(2));
}

TEST(BarAnim, OneAnimationPerThreadAndNoneOutlivesItsWindow) {
  TMenuSettings settings(TRUE, FALSE);
  TAnimatedMenu menu;
  auto first = menu.Open({300, 200});
  int sequence = MenuAnimationSequence();
  auto second = menu.Open({500, 200});
  HWND w2 = second->Handle();
  EXPECT_EQ(Region(first->Handle()), "0: 0,0,0,0");  // ended in its final look before the second began
  EXPECT_FALSE(MenuAnimationRunning(first->Handle()));
  EXPECT_TRUE(MenuAnimationRunning(w2));
  PostMessageW(w2, WM_BAR_ANIMATIONFRAME, 0, sequence);  // a late frame of the first changes nothing
  PumpMessagesFor(20);
  EXPECT_EQ(Region(w2), "1: 0,0,0,0");
  second->SetVisible(false);  // hidden while animating: the animation ends first
  EXPECT_FALSE(MenuAnimationRunning());
  EXPECT_FALSE(IsWindowVisible(w2));
  // Freed while animating, also with frames still queued.
  auto third = menu.Open({300, 400});
  fakeNow = 40;
  PumpMessagesUntil([&] { return Region(third->Handle()) != "1: 0,0,0,0"; });
  fakeNow = 60;
  Sleep(30);
  third.reset();
  EXPECT_FALSE(MenuAnimationRunning());
  PumpMessagesFor(30);
}

TEST(BarAnim, PopupShowsPlainlyWhenItMustNotAnimate) {
  TAnimatedMenu menu;
  // Animation and fade settings, a first item selected, the answer to the notice; animates.
  for (auto [animation, fade, selectFirst, answer, animates] : {std::tuple{TRUE, FALSE, false, 0, true},
                                                                 {FALSE, TRUE, false, 0, false},
                                                                 {TRUE, TRUE, true, 0, false},
                                                                 {TRUE, TRUE, false, 1, false}}) {
    TMenuSettings settings(animation, fade);
    TNoticePopup::Answer = answer;
    auto popup = menu.Open({300, 200}, selectFirst);
    EXPECT_EQ(MenuAnimationRunning(popup->Handle()), animates);
    EXPECT_TRUE(IsWindowVisible(popup->Handle()));
    PumpMessagesFor(10);
    EXPECT_EQ(popup->Noticed(3), !animates);
  }
  TNoticePopup::Answer = 0;
}
