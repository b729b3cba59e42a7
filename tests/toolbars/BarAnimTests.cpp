// Popup animation on real windows with a clock the test moves: frames, the final look, one
// animation per thread, and popups hidden or freed while they animate.
#include <gtest/gtest.h>

#include <atomic>

#include "tests/toolbars/BarPopupTestSupport.h"

namespace {

std::atomic<DWORD> fakeNow{0};
// Who asked the clock: the worker keeps the time, the window's thread never needs it.
std::atomic<int> ticksAsked{0}, ticksAskedByWindowThread{0};
std::atomic<DWORD> windowThread{0};
DWORD FakeTicks() {
  ++ticksAsked;
  if (GetCurrentThreadId() == windowThread.load()) ++ticksAskedByWindowThread;
  return fakeNow.load();
}

// A popup that records the notices it gets.
class TNoticePopup : public TBarPopupWindow {
 public:
  using TBarPopupWindow::TBarPopupWindow;
  unsigned Notices = 0;   // bit N: notice N arrived
  UINT ShowingFlags = 0;  // of the move that shows the window, as the window is asked about it
  bool Noticed(unsigned N) { return Notices >> N & 1; }
  void WndProc(TMessage& M) override {
    if (M.Msg == WM_WINDOWPOSCHANGING) {
      auto* pos = reinterpret_cast<WINDOWPOS*>(M.LParam);
      if (pos->flags & SWP_SHOWWINDOW) ShowingFlags = pos->flags;
    }
    if (M.Msg != WM_BAR_POPUPNOTICE) return TBarPopupWindow::WndProc(M);
    Notices |= 1u << M.WParam;
    M.Result = 0;
  }
};

// Opens popups of two items at a point, on a clock of the test's, with the mouse away from them.
struct TAnimatedMenu : TSizedItem {
  TAnimatedMenu() : TSizedItem(0, 0) {
    Add(MenuItem(L"A"));
    Add(MenuItem(L"B"));
    fakeNow = 0;
    windowThread = GetCurrentThreadId();
    SetBarAnimationClock(&FakeTicks);
    SetCursorPos(2, 2);  // reaching the menu ends an animation
  }
  ~TAnimatedMenu() override { SetBarAnimationClock(nullptr); }
  TBarPopupWindowClass PopupWindowClass() override { return &MakeBarPopupWindow<TNoticePopup>; }
  // Returns once the worker of an animated popup took its start time, so that the test's moves
  // of the clock count from there.
  std::unique_ptr<TNoticePopup> Open(TPoint P, bool SelectFirst = false) {
    ticksAsked = 0, ticksAskedByWindowThread = 0;
    std::unique_ptr<TNoticePopup> popup(
        static_cast<TNoticePopup*>(CreatePopup(nullptr, nullptr, false, SelectFirst, false, P, 0)));
    if (MenuAnimationRunning(popup->Handle())) PumpMessagesUntil([] { return ticksAsked.load() > 0; });
    return popup;
  }
};

// The window's region as "kind: box" (kind 0 when it has none, 1 when it is empty).
std::string Region(HWND W) {
  TRegionHandle rgn(CreateRectRgn(0, 0, 0, 0));
  RECT r{};
  int kind = GetWindowRgn(W, rgn.Get());
  GetRgnBox(rgn.Get(), &r);
  return std::to_string(kind) + ": " + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
         std::to_string(r.right) + "," + std::to_string(r.bottom);
}

}  // namespace

TEST(BarAnim, SlideGrowsTheRegionFrameByFrameAndFadeEndsWhenTheMouseArrives) {
  TAnimatedMenu menu;
  {
    TMenuSettings settings(TRUE, FALSE);
    EXPECT_FALSE(MenuAnimationRunning(menu.Open({300, 200}, true)->Handle()));  // a selection shows at once
    auto popup = menu.Open({300, 200});
    HWND w = popup->Handle();
    ASSERT_TRUE(MenuAnimationRunning(w));
    EXPECT_EQ(Region(w), "1: 0,0,0,0");
    EXPECT_EQ(ticksAskedByWindowThread, 0);  // the worker's own start time
    // Shown without the owner's z-order change, and the window is asked first.
    EXPECT_EQ(popup->ShowingFlags & (SWP_NOOWNERZORDER | SWP_NOSENDCHANGING | SWP_NOACTIVATE | SWP_NOREDRAW),
              UINT(SWP_NOOWNERZORDER | SWP_NOACTIVATE | SWP_NOREDRAW));
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
