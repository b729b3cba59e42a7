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
