// Views on real windows: hosted controls follow the layout, and the view paints its viewers.
#include <gtest/gtest.h>

#include "framework/Forms.h"
#include "tests/framework/MessagePump.h"
#include "tests/toolbars/BarTestSupport.h"

namespace {

// A window that shows the sub-items of its root through a view.
class TTestBar : public TCustomControl {
 public:
  explicit TTestBar(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(ControlStyle() + csAcceptsControls);
    SetBounds(0, 0, 200, 30);
    SetColor(clBtnFace);
  }
  ~TTestBar() override { delete View; }
  void MakeView() { View = new TTestView(&Root, true, &Chevron, nullptr, this); }
  TBarRootItem Root{nullptr};
  TSizedItem Chevron{12, 22};
  TTestView* View = nullptr;

 protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
    if (View) View->PaintViewers(Canvas());
  }
};

}  // namespace

TEST(BarWindow, HostedControlFollowsTheLayoutAndButtonsArePainted) {
  TForm form(nullptr, CreateNew);
  form.SetBounds(10, 10, 300, 100);
  auto* bar = new TTestBar(&form);
  bar->SetParent(&form);
  auto* edit = new TCustomControl(&form);
  edit->SetBounds(0, 0, 40, 20);
  edit->SetParent(bar);
  TSizedItem a(20, 22);
  TBarControlItem host(nullptr, edit);
  host.SetDontFreeControl(true);
  bar->Root.Add(&a);
  bar->Root.Add(&host);
  bar->MakeView();
  TTestView& view = *bar->View;
  view.SetChevronSize(12);
  view.SetChevronOffset(50);
  view.ValidatePositions();
  EXPECT_EQ(Rects(view), "0,0,20,22 - 38,0,50,22");
  EXPECT_FALSE(bar->Chevron.Enabled());  // only a control went: the chevron has nothing to show
  EXPECT_EQ(edit->BoundsRect(), Bounds(bar->ClientWidth(), bar->ClientHeight(), 40, 20));
  view.SetChevronOffset(0);
  view.ValidatePositions();
  EXPECT_EQ(Rects(view), "0,0,20,22 20,1,60,21 -");
  EXPECT_EQ(edit->BoundsRect(), (TRect{20, 1, 60, 21}));
  edit->SetVisible(false);
  view.UpdatePositions();
  EXPECT_EQ(Rects(view), "0,0,20,22 - -");
  edit->SetDesigning(true);  // a designed control takes its place hidden too
  view.UpdatePositions();
  EXPECT_EQ(Rects(view), "0,0,20,22 20,1,60,21 -");
  edit->SetDesigning(false);
  view.UpdatePositions();
  // Painted: the selected button raised, a checked one sunken on a dithered face.
  TSizedItem b(20, 22);
  b.SetChecked(true);
  bar->Root.Add(&b);
  form.Show();
  view.Select(view.Viewers(0));
  PumpMessagesFor(50);
  bar->Update();
  TWindowDC dc(bar->Handle());
  EXPECT_EQ(GetPixel(dc.Get(), 0, 0), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(GetPixel(dc.Get(), 19, 21), ColorToRGB(clBtnShadow));
  EXPECT_EQ(GetPixel(dc.Get(), 20, 0), ColorToRGB(clBtnShadow));
  EXPECT_NE(GetPixel(dc.Get(), 25, 10), GetPixel(dc.Get(), 26, 10));
  form.Hide();
  for (TBarCustomItem* i : std::initializer_list<TBarCustomItem*>{&b, &host, &a}) bar->Root.Remove(i);
}

// A layout that moved viewers repaints a running view at once, off screen, and leaves a designed
// one to its window's own paint.
TEST(BarWindow, ARunningViewRepaintsAtOnceADesignedOneThroughItsWindow) {
  for (bool designing : {false, true}) {
    TForm form(nullptr, CreateNew);
    form.SetBounds(10, 10, 300, 100);
    auto* bar = new TTestBar(&form);
    bar->SetParent(&form);
    TSizedItem a(20, 22);
    bar->Root.Add(&a);
    bar->MakeView();
    bar->View->SetDesigning(designing);
    form.Show();
    PumpMessagesFor(20);
    a.W = 30;  // the layout changes
    bar->View->InvalidateLayout();
    ValidateRect(bar->Handle(), nullptr);
    bar->View->ValidatePositions();
    RECT pending{};
    EXPECT_EQ(GetUpdateRect(bar->Handle(), &pending, FALSE) != 0, designing);
    form.Hide();
    bar->Root.Remove(&a);
  }
}

// When a sub-menu goes, a screen reader hears that the focus is back on the item it came from.
TEST(BarWindow, AClosedSubmenuGivesTheFocusEventBackToItsParent) {
  static std::vector<std::pair<HWND, LONG>> events;
  events.clear();
  HWINEVENTHOOK hook = SetWinEventHook(
      EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr,
      [](HWINEVENTHOOK, DWORD, HWND W, LONG, LONG Child, DWORD, DWORD) -> void WINAPI {
        events.push_back({W, Child});
      },
      GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  ASSERT_TRUE(hook);
  TForm form(nullptr, CreateNew);
  form.SetBounds(10, 10, 300, 100);
  auto* bar = new TTestBar(&form);
  bar->SetParent(&form);
  TSizedItem a(20, 22), b(20, 22, tbisHasSubmenu);
  TSizedItem s(20, 22);
  b.Add(&s);
  bar->Root.Add(&a);
  bar->Root.Add(&b);
  bar->MakeView();
  form.Show();
  bar->View->Select(bar->View->Viewers(1));
  auto* sub = new TTestView(&b, false, nullptr, bar->View);
  sub->Select(sub->Viewers(0));
  PumpMessagesFor(30);
  events.clear();
  delete sub;
  PumpMessagesFor(30);
  UnhookWinEvent(hook);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0], std::make_pair(bar->Handle(), LONG(2)));
  form.Hide();
  b.Remove(&s);
  bar->Root.Remove(&a);
  bar->Root.Remove(&b);
}
