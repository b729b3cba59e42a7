// The layout of views, checked with items of fixed sizes and no windows.
#include <gtest/gtest.h>

#include <memory>

#include "tests/toolbars/BarTestSupport.h"

namespace {

struct Tree {
  TBarRootItem Root{nullptr};
  std::vector<TBarCustomItem*> Added;
  TBarCustomItem* Add(TBarCustomItem* Item, TBarCustomItem* To = nullptr) {
    (To ? To : &Root)->Add(Item);
    Added.push_back(Item);
    return Item;
  }
  void Items(std::initializer_list<TBarCustomItem*> Items) {
    for (TBarCustomItem* i : Items) Add(i);
  }
};

TSizedItem* Sized(int W, int H, TBarItemStyle Extra = 0) { return new TSizedItem(W, H, Extra); }
TSizedSeparator* Sep(TBarItemStyle Extra = 0) { return new TSizedSeparator(6, Extra); }

}  // namespace

TEST(BarLayout, HorizontalToolbarCentresItemsAcrossTheLine) {
  Tree t;
  t.Items({Sized(20, 22), Sized(30, 18), Sep(), Sized(25, 22)});
  TTestView view(&t.Root, true);
  view.UpdatePositions();
  EXPECT_EQ(Rects(view), "0,0,20,22 20,2,50,20 50,0,56,22 56,0,81,22");
  EXPECT_EQ(view.BaseSize(), (TPoint{81, 22}));
}

TEST(BarLayout, LeadingDoubledAndTrailingSeparatorsAreHidden) {
  Tree t;
  t.Items({Sep(), Sized(20, 22), Sep(), Sep(), Sized(20, 22), Sep()});
  TTestView view(&t.Root, true);
  view.UpdatePositions();
  EXPECT_EQ(Rects(view), "- 0,0,20,22 20,0,26,22 - 26,0,46,22 -");
}

TEST(BarLayout, WrappedLinesByOrientation) {
  // A docked toolbar that wraps is as long as the wrap offset; a floating one only as wide as its
  // widest line plus margins; a vertical one wraps into columns, the first one on the right.
  const struct {
    TBarViewOrientation Orientation;
    int W, H, Lines;
    TPoint Total;
    const char* Rects;
  } cases[] = {
      {orHorizontal, 20, 22, 2, {50, 44}, "0,0,20,22 20,0,40,22 0,22,20,44"},
      {orFloating, 20, 22, 2, {48, 47}, "4,2,24,24 24,2,44,24 4,24,24,46"},
      {orVertical, 20, 30, 3, {60, 50}, "40,0,60,30 20,0,40,30 0,0,20,30"},
  };
  for (const auto& c : cases) {
    Tree t;
    t.Items({Sized(c.W, c.H), Sized(c.W, c.H), Sized(c.W, c.H)});
    TTestView view(&t.Root, true);
    TBarLayoutResult r = view.CalculatePositions(true, c.Orientation, 50, 0, 0);
    EXPECT_EQ(r.WrappedLines, c.Lines) << c.Orientation;
    EXPECT_EQ(r.TotalSize, c.Total) << c.Orientation;
    EXPECT_EQ(Rects(view), c.Rects) << c.Orientation;
  }
}

TEST(BarLayout, SeparatorBreaksTheLineWhenItsGroupDoesNotFit) {
  Tree t;
  t.Items({Sized(20, 22), Sized(20, 22), Sep(), Sized(30, 22), Sized(30, 22)});
  TTestView view(&t.Root, true);
  TBarLayoutResult r = view.CalculatePositions(true, orHorizontal, 60, 0, 0);
  EXPECT_EQ(r.WrappedLines, 2);
  EXPECT_EQ(Rects(view), "0,0,20,22 20,0,40,22 0,22,60,28 0,28,30,50 30,28,60,50");
  EXPECT_EQ(view.Viewers(2)->DrawFlags() & 2, 2u);
}

TEST(BarLayout, AfterAnItemWrappedTheNextSeparatorBreaksUnlessItKeepsTheLine) {
  for (bool keep : {false, true}) {
    Tree t;
    t.Items({Sized(30, 20), Sized(30, 20), Sep(keep ? tbisKeepLineAfterWrap : 0), Sized(10, 20)});
    TTestView view(&t.Root, true);
    TBarLayoutResult r = view.CalculatePositions(true, orHorizontal, 50, 0, 0);
    // The second item wraps; the separator then breaks again only without the keep bit.
    EXPECT_EQ(r.WrappedLines, keep ? 2 : 3) << keep;
    EXPECT_EQ(Rects(view),
              keep ? "0,0,30,20 0,20,30,40 30,20,36,40 36,20,46,40" : "0,0,30,20 0,20,30,40 0,40,50,46 0,46,10,66")
        << keep;
  }
}

TEST(BarLayout, RightAlignedItemsEndAtTheWrapOffset) {
  Tree t;
  t.Items({Sized(20, 22), Sized(20, 22, tbisAlignToEnd), Sized(10, 22)});
  TTestView view(&t.Root, true);
  view.CalculatePositions(true, orHorizontal, 100, 0, 0);
  EXPECT_EQ(Rects(view), "0,0,20,22 70,0,90,22 90,0,100,22");
}

TEST(BarLayout, MenuItemsOfAPopupTakeTheWidestWidth) {
  Tree t;
  t.Items({Sized(50, 20), Sized(80, 20), new TSizedSeparator(6), Sized(40, 20)});
  TTestView view(&t.Root, false);
  view.UpdatePositions();
  EXPECT_EQ(Rects(view), "0,0,80,20 0,20,80,40 0,40,80,46 0,46,80,66");
}

TEST(BarLayout, ChevronHidesTheLowestPriorityItemsAndKeepsOne) {
  Tree t;
  t.Items({Sized(20, 22), Sized(20, 22), Sized(20, 22), Sized(20, 22), Sized(20, 22)});
  TSizedItem chevron(12, 22);
  TTestView view(&t.Root, true, &chevron);
  TBarLayoutResult r = view.CalculatePositions(true, orHorizontal, 0, 70, 12);
  EXPECT_EQ(Rects(view), "0,0,20,22 20,0,40,22 - - - 58,0,70,22");
  EXPECT_EQ(r.TotalSize, (TPoint{70, 22}));
  EXPECT_EQ(r.BaseSize, (TPoint{100, 22}));
  EXPECT_TRUE(chevron.Enabled());
  EXPECT_TRUE(view.Viewers(4)->OffEdge());
  // A promoted item comes back and pushes out the next lowest.
  view.SetChevronOffset(70);
  view.SetChevronSize(12);
  view.UpdatePositions();
  view.PromoteViewer(view.Viewers(4));
  EXPECT_EQ(Rects(view), "0,0,20,22 - - - 20,0,40,22 58,0,70,22");
  // Too little room for any: the item of the highest priority stays.
  view.CalculatePositions(true, orHorizontal, 0, 5, 12);
  EXPECT_EQ(Rects(view), "- - - - 0,0,20,22 20,0,32,22");
}

TEST(BarLayout, TrialLayoutChangesNoViewerAndRestoresTheOrientation) {
  Tree t;
  t.Items({Sized(20, 22), Sized(20, 22), Sized(20, 22)});
  TTestView view(&t.Root, true);
  view.UpdatePositions();
  std::string before = Rects(view);
  TBarLayoutResult r = view.CalculatePositions(false, orVertical, 50, 0, 0);
  EXPECT_EQ(r.WrappedLines, 2);
  EXPECT_EQ(Rects(view), before);
  EXPECT_EQ(view.Orientation(), orHorizontal);
}

TEST(BarLayout, SizeHandedToTheLayoutIsAMinimum) {
  struct FitView : TTestView {
    using TTestView::TTestView;
    void FitWindow(int W, int H) override { Fitted = {W, H}; }
    TPoint Fitted;
  };
  Tree t;
  t.Items({Sized(20, 22)});
  FitView view(&t.Root, true);
  TPoint size{100, 30};
  view.LayoutViewers(size);
  EXPECT_EQ(size, (TPoint{100, 30}));
  EXPECT_EQ(view.Fitted, (TPoint{100, 30}));
  TPoint small{5, 5};
  view.LayoutViewers(small);
  EXPECT_EQ(view.Fitted, (TPoint{20, 22}));
}

TEST(BarLayout, LongPopupScrollsBehindStripsOfNineteenPixels) {
  Tree t;
  for (int i = 0; i < 10; ++i) t.Add(Sized(50, 20));
  TTestView view(&t.Root, false);
  view.SetMaxHeight(100);
  view.UpdatePositions();
  EXPECT_FALSE(view.ShowUpArrow());
  EXPECT_TRUE(view.ShowDownArrow());
  EXPECT_EQ(Rects(view), "0,0,50,20 0,20,50,40 0,40,50,60 0,60,50,80 - - - - - -");
  EXPECT_TRUE(view.Viewers(4)->Clipped());
  view.ScrollByItem(true);
  EXPECT_EQ(view.ScrollOffset(), 19);
  EXPECT_TRUE(view.ShowUpArrow());
  EXPECT_EQ(Rects(view), "- - 0,21,50,41 0,41,50,61 0,61,50,81 - - - - -");
  // Up by one item: the one under the upper strip comes just below it.
  view.ScrollByItem(false);
  EXPECT_EQ(view.ScrollOffset(), 1);
  EXPECT_EQ(Rects(view), "- 0,19,50,39 0,39,50,59 0,59,50,79 - - - - - -");
}

TEST(BarLayout, NestedEmbeddedGroupsStopAfterTenLevels) {
  Tree t;
  TBarCustomItem* parent = &t.Root;
  for (int level = 0; level < 13; ++level) parent = t.Add(Sized(10, 10, tbisInlineGroup), parent);
  t.Add(Sized(10, 10), parent);
  TTestView view(&t.Root, true);
  EXPECT_EQ(view.ViewerCount(), 11);
  EXPECT_EQ(view.Viewers(10)->GroupLevel(), 10);
}

TEST(BarLayout, ScrolledAndOverflowingItemsStayReachableForScreenReaders) {
  Tree t;
  t.Items({Sized(20, 22), Sized(20, 22), Sized(20, 22)});
  t.Root.Items(1)->SetVisible(false);
  TSizedItem chevron(12, 22);
  TTestView bar(&t.Root, true, &chevron);
  bar.SetChevronOffset(30);
  bar.SetChevronSize(12);
  // The first item shows, the second is hidden, the third sits behind the chevron.
  EXPECT_EQ(bar.AccChildCount(), 3);
  EXPECT_EQ(bar.AccChild(2), bar.Viewers(2));
  EXPECT_TRUE(bar.Viewers(2)->OffEdge());
  EXPECT_EQ(bar.AccChildIndex(bar.Viewers(1)), 0);
  EXPECT_EQ(bar.AccChild(4), nullptr);
  Tree long_;
  for (int i = 0; i < 10; ++i) long_.Add(Sized(50, 20));
  TTestView popup(&long_.Root, false);
  popup.SetMaxHeight(100);
  EXPECT_EQ(popup.AccChildCount(), 10);
}
