// The frame of a docked window: its grip beside a close button, its size as soon as the window
// enters a dock, and its picture over a dock's background once the dock's rows stand.
#include <gtest/gtest.h>

#include "tests/toolbars/BarDockTestSupport.h"

namespace {

// A toolbar that notes, each time it prints itself, where another window is at that moment.
class TPrintWatchingToolbar : public TBarCustomToolbar {
 public:
  using TBarCustomToolbar::TBarCustomToolbar;
  TControl* Watched = nullptr;
  std::vector<int> WatchedTops;

 protected:
  void WndProc(TMessage& Message) override {
    if (Message.Msg == WM_PRINT && Watched) WatchedTops.push_back(Watched->Top());
    TBarCustomToolbar::WndProc(Message);
  }
};

}  // namespace

// The grip runs along the whole client extent, also beside a docked close button, which is
// drawn over its start: below the button the bar shows at once.
TEST(BarDockedFrame, GripBarsRunAlongTheClientAreaBesideACloseButton) {
  TDockForm f;
  f.Show();
  const COLORREF face = ColorToRGB(clBtnFace);
  const struct {
    TBarDragHandleStyle Style;
    int BarLeft;  // the first bar's left edge
  } cases[] = {{dhSingle, 7}, {dhDouble, 5}};
  for (const auto& c : cases) {
    auto* t = f.Toolbar("T", 2, f.Top);
    t->SetDragHandleStyle(c.Style);
    t->SetCloseButtonWhenDocked(true);
    PumpMessagesFor(20);
    t->Update();
    TWholeWindowDC dc(t->Handle());
    const int bottom = t->Height() - 2 - (c.Style == dhSingle ? 1 : 0);
    for (int y : {14, 15, bottom - 1}) EXPECT_NE(GetPixel(dc.Get(), c.BarLeft, y), face) << c.Style << " y " << y;
    EXPECT_EQ(GetPixel(dc.Get(), c.BarLeft, bottom), face) << c.Style;
    TDockForm::Free(t);
  }
}

// A window of exactly its docked size entering a dock has the docked frame at once: its client
// area is the window less the ring and the grip.
TEST(BarDockedFrame, AWindowEnteringADockTakesItsFrameAtOnce) {
  TDockForm f;
  f.Show();
  auto* t = f.Toolbar("T", 3, nullptr);
  t->SetAutoResize(false);
  t->SetParent(&f.Form);
  t->SetBounds(0, 0, 79, 26);
  ASSERT_EQ(t->ClientWidth(), 79);
  t->SetParent(f.Top);
  EXPECT_EQ(t->BoundsRect(), Bounds(0, 0, 79, 26));
  RECT client{};
  GetClientRect(t->Handle(), &client);
  EXPECT_EQ(client.right, 69);
  EXPECT_EQ(client.bottom, 22);
}

// A toolbar that takes a row above another over the dock's background paints itself once the
// other one has moved down: a row still in its place would hide part of the picture.
TEST(BarDockedFrame, AMoveOverTheBackgroundIsPaintedOnceTheRowsStand) {
  TDockForm f;
  TStripes stripes(nullptr);
  f.Top->SetBackground(&stripes);
  auto* a = f.Toolbar("A", 3, f.Top);
  auto* t = f.Toolbar<TPrintWatchingToolbar>("T", 2, nullptr, 1);
  t->SetFullSize(true);
  t->SetParent(f.Top);
  f.Show();
  ASSERT_EQ(t->Top(), 26);
  t->Watched = a;
  t->SetDockRow(0);  // a full-size row of its own before A's
  EXPECT_EQ(t->Top(), 0);
  EXPECT_EQ(a->Top(), 26);
  ASSERT_FALSE(t->WatchedTops.empty());
  for (int top : t->WatchedTops) EXPECT_EQ(top, 26);
  f.Top->SetBackground(nullptr);
}
