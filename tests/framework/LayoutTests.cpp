// Placing children: alignment to the sides in order, anchors that follow the parent's size,
// size constraints, showing and hiding with the parent, and the order of siblings.
#include <gtest/gtest.h>

#include "ControlTestSupport.h"

namespace {

TRect R(int left, int top, int right, int bottom) { return Rect(left, top, right, bottom); }

template <class T>
T* Add(TWinControl* parent, int left, int top, int width, int height, TAlign align = alNone) {
  T* c = new T(parent);
  c->SetBounds(left, top, width, height);
  c->SetAlign(align);
  c->SetParent(parent);
  return c;
}

}  // namespace

TEST(ControlLayout, AlignedChildrenFillTheSidesInOrderAndFollowTheParent) {
  for (bool windowed : {false, true}) {
    TWcPanel panel(nullptr);
    panel.SetBounds(0, 0, 200, 100);
    TForm* form = nullptr;
    if (windowed) {
      form = NewShownForm();
      panel.SetParent(form);
    }
    auto* client = Add<TWcControl>(&panel, 0, 0, 10, 10, alClient);
    auto* top = Add<TWcGraphic>(&panel, 0, 0, 10, 20, alTop);
    auto* bottom = Add<TWcControl>(&panel, 0, 0, 10, 30, alBottom);
    auto* left = Add<TWcGraphic>(&panel, 0, 0, 40, 10, alLeft);
    auto* right = Add<TWcControl>(&panel, 0, 0, 50, 10, alRight);
    EXPECT_EQ(top->BoundsRect(), R(0, 0, 200, 20));
    EXPECT_EQ(bottom->BoundsRect(), R(0, 70, 200, 100));
    EXPECT_EQ(left->BoundsRect(), R(0, 20, 40, 70));
    EXPECT_EQ(right->BoundsRect(), R(150, 20, 200, 70));
    EXPECT_EQ(client->BoundsRect(), R(40, 20, 150, 70));
    if (windowed) {
      RECT r;
      GetWindowRect(client->Handle(), &r);
      MapWindowPoints(nullptr, panel.Handle(), reinterpret_cast<POINT*>(&r), 2);
      EXPECT_EQ(ToTRect(r), R(40, 20, 150, 70));
    }

    panel.SetBounds(0, 0, 300, 150);
    EXPECT_EQ(bottom->BoundsRect(), R(0, 120, 300, 150));
    EXPECT_EQ(right->BoundsRect(), R(250, 20, 300, 120));
    EXPECT_EQ(client->BoundsRect(), R(40, 20, 250, 120));

    // A hidden child gives up its strip; the border keeps the children off the edges.
    top->Hide();
    EXPECT_EQ(left->BoundsRect(), R(0, 0, 40, 120));
    panel.SetBorderWidth(5);
    EXPECT_EQ(left->BoundsRect(), R(5, 5, 45, 115));
    EXPECT_EQ(client->BoundsRect(), R(45, 5, 245, 115));
    if (form) {
      panel.SetParent(nullptr);
      Free(form);
    }
  }
}

TEST(ControlLayout, ChildrenOnTheSameSideKeepTheirOrder) {
  TWcPanel panel(nullptr);
  panel.SetBounds(0, 0, 100, 100);
  auto* first = Add<TWcGraphic>(&panel, 0, 0, 10, 10, alTop);
  auto* second = Add<TWcGraphic>(&panel, 0, 50, 10, 15, alTop);
  EXPECT_EQ(second->Top(), 10);
  // Moved above the first one, the second takes the top strip.
  second->SetTop(-1);
  EXPECT_EQ(second->Top(), 0);
  EXPECT_EQ(first->Top(), 15);
  // A control newly aligned at the place of another goes first.
  auto* third = Add<TWcGraphic>(&panel, 0, 0, 10, 5);
  third->SetAlign(alTop);
  EXPECT_EQ(third->Top(), 0);
  EXPECT_EQ(second->Top(), 5);
  // Aligning nothing leaves the control where it is.
  third->SetAlign(alNone);
  EXPECT_EQ(third->BoundsRect(), R(0, 0, 100, 5));
  EXPECT_EQ(second->Top(), 0);
}

TEST(ControlLayout, AnchorsFollowTheParentsSize) {
  TWcPanel panel(nullptr);
  panel.SetBounds(0, 0, 200, 100);
  auto* stretch = Add<TWcGraphic>(&panel, 10, 10, 100, 20);
  stretch->SetAnchors(TAnchors{akLeft, akTop, akRight});
  auto* corner = Add<TWcGraphic>(&panel, 150, 70, 40, 20);
  corner->SetAnchors(TAnchors{akRight, akBottom});
  auto* middle = Add<TWcGraphic>(&panel, 80, 40, 40, 20);
  middle->SetAnchors(TAnchors{});

  panel.SetBounds(0, 0, 260, 140);
  EXPECT_EQ(stretch->BoundsRect(), R(10, 10, 170, 30));
  EXPECT_EQ(corner->BoundsRect(), R(210, 110, 250, 130));
  EXPECT_EQ(middle->BoundsRect(), R(110, 60, 150, 80));
  // Back to the first size: everything is where it started (no drift).
  panel.SetBounds(0, 0, 200, 100);
  EXPECT_EQ(stretch->BoundsRect(), R(10, 10, 110, 30));
  EXPECT_EQ(corner->BoundsRect(), R(150, 70, 190, 90));
  EXPECT_EQ(middle->BoundsRect(), R(80, 40, 120, 60));
  // A control moved by hand is anchored from its new place.
  corner->SetLeft(100);
  panel.SetBounds(0, 0, 220, 100);
  EXPECT_EQ(corner->Left(), 120);
}

TEST(ControlLayout, ConstraintsLimitEveryWayOfSizing) {
  TWcPanel panel(nullptr);
  panel.SetBounds(0, 0, 200, 100);
  auto* c = Add<TWcGraphic>(&panel, 0, 0, 50, 50);
  c->Constraints()->SetMaxWidth(80);
  c->Constraints()->SetMinHeight(30);
  c->SetBounds(0, 0, 120, 10);
  EXPECT_EQ(c->Width(), 80);
  EXPECT_EQ(c->Height(), 30);
  c->SetAlign(alClient);
  EXPECT_EQ(c->BoundsRect(), R(0, 0, 80, 100));
  // A maximum below the minimum pulls the minimum along.
  c->Constraints()->SetMaxHeight(20);
  EXPECT_EQ(c->Height(), 20);
  c->Constraints()->SetMinWidth(-5);
  EXPECT_EQ(c->Constraints()->MinWidth(), 0);
}

TEST(ControlLayout, WindowsShowAndHideWithTheirParents) {
  TForm* form = NewShownForm();
  auto* panel = Add<TWcPanel>(form, 0, 0, 100, 100);
  auto* control = Add<TWcControl>(panel, 0, 0, 10, 10);
  auto* hidden = new TWcControl(form);
  hidden->Hide();
  hidden->SetParent(panel);
  Pump();
  EXPECT_TRUE(IsWindowVisible(control->Handle()));
  EXPECT_FALSE(hidden->HandleAllocated());  // made only when needed
  panel->Hide();
  EXPECT_FALSE(control->Showing());
  EXPECT_FALSE(IsWindowVisible(control->Handle()));
  panel->Show();
  EXPECT_TRUE(IsWindowVisible(control->Handle()));
  hidden->Show();
  EXPECT_TRUE(IsWindowVisible(hidden->Handle()));
  form->Hide();
  EXPECT_FALSE(hidden->Showing());
  Free(form);
}

TEST(ControlLayout, SiblingOrderDecidesWhoIsOnTop) {
  TForm* form = NewShownForm();
  auto* a = Add<TWcControl>(form, 0, 0, 50, 50);
  auto* b = Add<TWcControl>(form, 0, 0, 50, 50);
  auto* g = Add<TWcGraphic>(form, 0, 0, 50, 50);
  Pump();
  EXPECT_EQ(ChildWindowFromPoint(form->Handle(), POINT{10, 10}), b->Handle());
  a->BringToFront();
  EXPECT_EQ(form->Controls(form->ControlCount() - 1), a);
  EXPECT_EQ(ChildWindowFromPoint(form->Handle(), POINT{10, 10}), a->Handle());
  a->SendToBack();
  EXPECT_EQ(form->Controls(0), a);
  EXPECT_EQ(ChildWindowFromPoint(form->Handle(), POINT{10, 10}), b->Handle());
  // The topmost graphic child is the one under the mouse.
  EXPECT_EQ(form->ControlAtPos({10, 10}, false, true), g);
  g->SendToBack();
  EXPECT_EQ(form->ControlAtPos({10, 10}, false, true), b);
  EXPECT_THROW(form->Controls(form->ControlCount()), EListError);
  Free(form);
}

TEST(ControlLayout, ClientSizeWithoutAWindowAllowsForTheFrameTheWindowWillHave) {
  TForm form(nullptr, CreateNew);
  form.SetClientWidth(300);
  form.SetClientHeight(200);
  EXPECT_GT(form.Width(), 300);
  EXPECT_GT(form.Height(), 200);
  form.Show();
  RECT r;
  GetClientRect(form.Handle(), &r);
  EXPECT_EQ(r.right, 300);
  EXPECT_EQ(r.bottom, 200);
  form.Hide();
}
