// The row arrangement of docks without windows: rows, positions, lengths.
#include <gtest/gtest.h>

#include <string>

#include "toolbars/BarDock.h"

namespace {

TBarRowWindow Win(int Row, int Pos, int Length, int Min = 0, int Kind = BarShrinkNone) {
  TBarRowWindow w;
  w.DockRow = Row;
  w.DockPos = Pos;
  w.FullLength = Length;
  w.MinLength = Min;
  w.ShrinkKind = Kind;
  return w;
}

// "row@position+length" of each window in arranged order; hidden windows show their row only.
std::string Arrange(std::vector<TBarRowWindow> W, int Available, bool OneRow = false) {
  ArrangeDockRows(W, Available, OneRow);
  std::string s;
  for (auto& w : W) {
    if (!s.empty()) s += " ";
    s += std::to_string(w.Row);
    if (w.Shown) s += "@" + std::to_string(w.Position) + "+" + std::to_string(w.Allotted);
  }
  return s;
}

}  // namespace

TEST(BarDockRows, RowsPositionsAndLengths) {
  auto full = Win(0, -1, 50);
  full.FullSize = true;
  auto stretchLast = Win(0, -1, 40);
  stretchLast.Stretch = true;
  auto stretchFirst = Win(0, 0, 50);
  stretchFirst.Stretch = true;
  auto own = Win(0, -1, 30);
  own.OwnRow = true;
  auto hidden = Win(1, -1, 30);
  hidden.Shown = false;
  struct Case {
    const char* Name;
    std::vector<TBarRowWindow> W;
    int Available;
    bool OneRow;
    const char* Expected;
  } cases[] = {
      {"empty rows go", {Win(0, -1, 50), Win(0, -1, 60), Win(5, -1, 70)}, 300, false, "0@0+50 0@50+60 1@0+70"},
      {"far row", {Win(2000000000, -1, 50), Win(0, -1, 60)}, 300, false, "0@0+60 1@0+50"},
      {"negative row counts as 0", {Win(-7, 10, 50)}, 300, false, "0@10+50"},
      {"full size takes a row alone", {full, Win(0, -1, 60)}, 300, false, "0@0+300 1@0+60"},
      {"too long wraps", {Win(0, -1, 60), Win(0, -1, 60)}, 100, false, "0@0+60 1@0+60"},
      {"one row: chevrons give way to the overlap",
       {Win(0, -1, 60, 30, BarShrinkChevron), Win(0, -1, 60, 30, BarShrinkChevron)},
       100,
       true,
       "0@0+40 0@40+60"},
      {"one row: from the end",
       {Win(0, 0, 60, 20, BarShrinkChevron), Win(3, 70, 60, 20, BarShrinkChevron)},
       100,
       true,
       "0@0+60 0@60+40"},
      {"one row: wrap windows side by side keep length",
       {Win(0, -1, 80, 0, BarShrinkWrap), Win(0, -1, 80, 0, BarShrinkWrap)},
       100,
       true,
       "0@0+80 0@80+80"},
      {"a lone wrap window shrinks", {Win(0, -1, 150, 80, BarShrinkWrap)}, 100, false, "0@0+100"},
      {"stretch last reaches the end", {Win(0, -1, 50), stretchLast}, 200, false, "0@0+50 0@50+150"},
      {"stretch swallows the gap after it", {stretchFirst, Win(0, 100, 40)}, 300, false, "0@0+100 0@100+40"},
      {"gaps stay", {Win(0, 20, 50), Win(0, 100, 40)}, 300, false, "0@20+50 0@100+40"},
      {"gaps give way from the end", {Win(0, 20, 50), Win(0, 100, 40)}, 120, false, "0@20+50 0@80+40"},
      {"own row", {Win(0, -1, 30), own}, 300, false, "1@0+30 0@0+30"},
      {"hidden windows hold their row", {Win(0, -1, 30), hidden, Win(2, -1, 30)}, 300, false, "0@0+30 1 2@0+30"},
  };
  for (auto& c : cases) EXPECT_EQ(Arrange(c.W, c.Available, c.OneRow), c.Expected) << c.Name;
}

TEST(BarDockRows, DraggedWindowKeepsItsOrderAndItsWantedPlace) {
  auto a = Win(0, 100, 50);
  auto d = Win(0, 60, 40);
  d.Dragging = d.KeepOrder = true;
  // Kept after A, it stands at its wanted 60: A gives up gap before it.
  EXPECT_EQ(Arrange({a, d}, 400), "0@10+50 0@60+40");
  d.KeepOrder = false;
  EXPECT_EQ(Arrange({a, d}, 400), "0@60+40 0@100+50");
  // In a full row the dragged window pushes a chevron window before it shorter.
  auto c = Win(0, 0, 80, 30, BarShrinkChevron);
  auto d2 = Win(0, 40, 40);
  d2.Dragging = d2.KeepOrder = true;
  std::vector<TBarRowWindow> w{c, d2};
  ArrangeDockRows(w, 100, false);
  EXPECT_EQ(w[0].Allotted, 60);
  EXPECT_TRUE(w[1].ShrunkWhileDragging);
}
