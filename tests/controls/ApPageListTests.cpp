// The page list: order, activation, hiding and showing, removal, wrap-round, painting and a
// list read from a form file.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <map>
#include <set>

#include "ControlsTestSupport.h"
#include "controls/ApPageList.h"
#include "framework/Bitmap.h"
#include "framework/StdCtrls.h"

namespace {

class PageList : public ShownForm {
 protected:
  void SetUp() override {
    ShownForm::SetUp();
    list = new TApPageList(form);
    list->SetParent(form);
    list->OnChange = change.Event();
    for (int i = 0; i < 3; ++i) {
      pages[i] = new TApStandardPage(form);
      pages[i]->SetPageList(list);
    }
  }
  TApPageList* list = nullptr;
  TApStandardPage* pages[3] = {};
  int changes = 0;
  TFn<void(TObject*)> change{[this](TObject*) { ++changes; }};
};

}  // namespace

TEST_F(PageList, PagesKeepTheirOrderAndOnlyTheActiveOneShows) {
  EXPECT_EQ(list->GetActivePageIndex(), -1);
  list->SetActivePageIndex(1);
  EXPECT_TRUE(list->ActivePage() == pages[1] && changes == 1);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(pages[i]->Visible(), i == 1);
  pages[2]->SetPageIndex(0);
  EXPECT_TRUE(list->GetPageFromIndex(0) == pages[2] && pages[0]->PageIndex() == 1 && list->GetActivePageIndex() == 2);
  list->SetPageCaption(0, L"\x0414\x043E\x043A");
  EXPECT_EQ(list->GetPageCaption(0) + list->GetPageCaption(7), L"\x0414\x043E\x043A");
  // Showing a page makes it the active one.
  pages[0]->Show();
  EXPECT_TRUE(list->ActivePage() == pages[0] && !pages[1]->Visible());
}

TEST_F(PageList, InvalidIndexLeavesNoPageActive) {
  for (int index : {-1, 3}) {
    list->SetActivePageIndex(0);
    int before = changes;
    list->SetActivePageIndex(index);
    EXPECT_TRUE(list->ActivePage() == nullptr && !pages[0]->Visible() && changes == before + 1) << index;
  }
}

TEST_F(PageList, NextAndPreviousWrapRound) {
  struct Case {
    int from;
    bool next;
    int to;
  } cases[] = {{0, true, 1}, {2, true, 0}, {-1, true, 0}, {1, false, 0}, {0, false, 2}, {-1, false, 2}};
  for (const Case& c : cases) {
    list->SetActivePageIndex(c.from);
    c.next ? list->NextPage() : list->PrevPage();
    EXPECT_EQ(list->GetActivePageIndex(), c.to) << c.from << (c.next ? " next" : " prev");
  }
}

TEST_F(PageList, RemovingPagesKeepsOrMovesTheActivePage) {
  list->SetActivePageIndex(1);
  pages[0]->SetPageList(nullptr);  // not the active one
  EXPECT_EQ(list->ActivePage(), pages[1]);
  list->SetActivePageIndex(1);  // pages[2], the last
  delete pages[2];
  EXPECT_EQ(list->ActivePage(), pages[1]);  // the one now last
  pages[1]->SetPageList(nullptr);
  EXPECT_TRUE(list->ActivePage() == nullptr && list->GetPageCount() == 0);
  list->NextPage();
  EXPECT_EQ(list->GetActivePageIndex(), -1);
}

TEST_F(PageList, HideAndShowPage) {
  list->SetActivePageIndex(1);
  list->HidePage(pages[1]);
  EXPECT_TRUE(list->ActivePage() == pages[2] && list->GetPageCount() == 2 && list->HiddenPageCount() == 1);
  EXPECT_TRUE(pages[1]->PageList() == nullptr && pages[1]->PageIndex() == 1);
  list->ShowPage(pages[1]);
  EXPECT_TRUE(list->GetPageFromIndex(1) == pages[1] && list->HiddenPageCount() == 0);
  list->ShowPage(pages[1], 0);  // already in a list: nothing
  EXPECT_EQ(list->GetPageFromIndex(1), pages[1]);
  list->HidePage(pages[0]);
  list->ShowPage(pages[0], 2);
  EXPECT_EQ(list->GetPageFromIndex(2), pages[0]);
}

TEST_F(PageList, HidingTheOnlyPageLeavesNoneActive) {
  delete pages[1];
  delete pages[2];
  list->SetActivePageIndex(0);
  int before = changes;
  list->HidePage(pages[0]);
  EXPECT_TRUE(list->ActivePage() == nullptr && !pages[0]->Visible() && changes == before);
  // A page without a list keeps the index it was given.
  pages[0]->SetPageIndex(5);
  EXPECT_EQ(pages[0]->PageIndex(), 5);
}

// The only page going, by any way, leaves no page active and no change announced.
TEST_F(PageList, TheOnlyPageGoingAnnouncesNothing) {
  delete pages[1];
  delete pages[2];
  enum { hidden, takenOut, freed, deletedByIndex };
  for (int how : {hidden, takenOut, freed, deletedByIndex}) {
    delete pages[0];  // a new only page each time
    pages[0] = new TApStandardPage(form);
    pages[0]->SetPageList(list);
    list->SetActivePageIndex(0);
    ASSERT_EQ(list->ActivePage(), pages[0]) << how;
    const int before = changes;
    if (how == hidden) list->HidePage(pages[0]);
    if (how == takenOut) pages[0]->SetPageList(nullptr);
    if (how == freed) delete std::exchange(pages[0], nullptr);
    if (how == deletedByIndex) list->DeletePage(0), pages[0] = nullptr;
    EXPECT_TRUE(list->ActivePage() == nullptr && list->GetPageCount() == 0 && changes == before) << how;
    EXPECT_TRUE(!pages[0] || !pages[0]->Visible()) << how;
  }
}

// Activating a page shows it where it stands among the list's windows.
TEST_F(PageList, TheActivePageKeepsItsPlaceAmongTheControls) {
  auto windows = [&] {
    std::vector<HWND> stack;
    for (HWND w = GetWindow(list->Handle(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) stack.push_back(w);
    return stack;
  };
  for (TApStandardPage* page : pages) page->HandleNeeded();
  const std::vector<HWND> stacked = windows();
  ASSERT_EQ(stacked.size(), 3u);
  for (int index : {0, 2, 1}) {
    list->SetActivePageIndex(index);
    EXPECT_TRUE(windows() == stacked && list->Controls(0) == pages[0]) << index;
  }
}

TEST_F(PageList, ChangingMayBeRefused) {
  TFn<void(TObject*, int, bool&)> changing([](TObject*, int index, bool& allow) { allow = index != 2; });
  list->OnChanging = changing.Event();
  for (int i : {-1, 0, 1, 2, 3}) EXPECT_EQ(list->CanChange(i), i == 0 || i == 1) << i;
}

TEST_F(PageList, FocusMovesToTheNewPage) {
  auto* edit0 = new TEdit(form);
  edit0->SetParent(pages[0]);
  auto* edit1 = new TEdit(form);
  edit1->SetParent(pages[1]);
  list->SetActivePageIndex(0);
  edit0->SetFocus();
  Pump();
  EXPECT_EQ(form->ActiveControl(), edit0);
  list->SetActivePageIndex(1);
  Pump();
  // The focus left the hidden page: the first control of the new page has it.
  EXPECT_EQ(form->ActiveControl(), edit1);
}

TEST_F(PageList, PaintEventsComeInOrder) {
  std::vector<std::string> order;
  bool draw = true;
  TFn<void(TObject*, TCanvas*, const TRect&, bool&)> before(
      [&](TObject*, TCanvas*, const TRect&, bool& d) { order.push_back("before"), d = draw; });
  TFn<void(TObject*, TCanvas*, const TRect&)> paint(
      [&](TObject*, TCanvas*, const TRect&) { order.push_back("paint"); });
  TFn<void(TObject*, TCanvas*, const TRect&)> after(
      [&](TObject*, TCanvas*, const TRect&) { order.push_back("after"); });
  pages[0]->OnBeforePaint = before.Event();
  pages[0]->OnPaint = paint.Event();
  pages[0]->OnAfterPaint = after.Event();
  list->SetActivePageIndex(0);
  Pump();
  for (bool d : {true, false}) {
    draw = d;
    order.clear();
    pages[0]->Repaint();
    EXPECT_EQ(order,
              (d ? std::vector<std::string>{"before", "paint", "after"} : std::vector<std::string>{"before", "after"}));
  }
}

TEST_F(PageList, EnabledIsPropagatedWhenAsked) {
  auto* edit = new TEdit(form);
  edit->SetParent(pages[0]);
  list->SetEnabled(false);
  EXPECT_TRUE(edit->Enabled());
  list->SetPropagateEnable(true);
  EXPECT_FALSE(edit->Enabled() || pages[2]->Enabled());
  list->SetEnabled(true);
  EXPECT_TRUE(edit->Enabled());
}

namespace {

// A page painted on a bitmap: where its dark pixels lie, inside the frame a designer sees.
struct TDesignPage : TApStandardPage {
  using TApStandardPage::DoPaint;
  using TApStandardPage::TApStandardPage;
};

struct TInk {
  TRect Box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};  // of the dark pixels 2 px inside the edges
  int Dark = 0, Gray = 0, Frame = 0;              // dark inside, grey-text pixels, dark on the edge
  std::vector<TColor> Pixels;
};

TInk PaintPage(TDesignPage* Page, int W = 240, int H = 120) {
  TBitmap bmp;
  bmp.SetSize(W, H);
  Page->DoPaint(bmp.Canvas(), {0, 0, W, H});
  TInk ink;
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      TColor c = bmp.Canvas()->Pixels(x, y);
      ink.Pixels.push_back(c);
      const bool dark = GetRValue(c) + GetGValue(c) + GetBValue(c) < 150;
      ink.Gray += c == static_cast<TColor>(ColorToRGB(clGrayText));
      if (x < 2 || y < 2 || x >= W - 2 || y >= H - 2) {
        ink.Frame += dark;
      } else if (dark) {
        ++ink.Dark;
        ink.Box = {std::min(ink.Box.Left, x), std::min(ink.Box.Top, y), std::max(ink.Box.Right, x + 1),
                   std::max(ink.Box.Bottom, y + 1)};
      }
    }
  return ink;
}

}  // namespace

// A designed page shows a dotted frame and its name (or caption) where the list says; a
// running page shows neither.
TEST_F(PageList, DesignCaptionsArePlacedWhereTheListSays) {
  auto* page = new TDesignPage(form);
  page->SetName("ApStandardPage9");
  page->SetPageList(list);
  page->Font()->SetColor(clBlack);
  EXPECT_EQ(PaintPage(page).Dark + PaintPage(page).Frame, 0);  // running
  form->SetDesigning(true);
  const int W = 240, H = 120;
  struct Case {
    TApShowDesignCaption Where;
    char Horz, Vert;  // l, c, r and t, c, b
  } cases[] = {
      {sdcTopLeft, 'l', 't'},     {sdcTopCenter, 'c', 't'},   {sdcTopRight, 'r', 't'},   {sdcLeftCenter, 'l', 'c'},
      {sdcCenter, 'c', 'c'},      {sdcRightCenter, 'r', 'c'}, {sdcBottomLeft, 'l', 'b'}, {sdcBottomCenter, 'c', 'b'},
      {sdcBottomRight, 'r', 'b'}, {sdcRunTime, 'l', 't'},
  };
  // Where the ink starts, per placement: the same for every case of a placement, and the
  // centred one halfway between the other two (measured, as the font's own margins vary).
  std::map<char, std::set<int>> across, down;
  for (const Case& c : cases) {
    list->SetShowDesignCaption(c.Where);
    TInk ink = PaintPage(page, W, H);
    ASSERT_GT(ink.Dark, 0) << int(c.Where);
    EXPECT_GT(ink.Frame, W);  // the dotted frame
    across[c.Horz].insert(ink.Box.Left);
    down[c.Vert].insert(ink.Box.Top);
  }
  for (auto* placements : {&across, &down}) {
    auto& p = *placements;
    ASSERT_EQ(p.size(), 3u);
    const char first = placements == &across ? 'l' : 't', last = placements == &across ? 'r' : 'b';
    for (char k : {first, 'c', last}) EXPECT_EQ(p[k].size(), 1u) << k;
    const int a = *p[first].begin(), m = *p['c'].begin(), z = *p[last].begin();
    EXPECT_LE(a - 4, placements == &across ? 2 : 4) << first;  // at the inset edge (above: the font's leading)
    EXPECT_GT(z - a, 40) << last;
    EXPECT_LE(std::abs(2 * m - a - z), 2);
  }
  // The caption when there is one, else the name; none at all with sdcNone.
  list->SetShowDesignCaption(sdcCenter);
  const TInk byName = PaintPage(page);
  page->SetCaption(L"ApStandardPage9");
  EXPECT_EQ(PaintPage(page).Pixels, byName.Pixels);
  page->SetCaption(L"x");
  EXPECT_LT(PaintPage(page).Dark, byName.Dark);
  list->SetShowDesignCaption(sdcNone);
  EXPECT_EQ(PaintPage(page).Dark, 0);
  EXPECT_GT(PaintPage(page).Frame, 0);
  // A disabled page embosses its caption: light, then grey text.
  list->SetShowDesignCaption(sdcCenter);
  page->SetEnabled(false);
  EXPECT_GT(PaintPage(page).Gray, 0);
  form->SetDesigning(false);
}

// A designer adds pages of the list's page class, owned by the list's owner and named after
// the class with the first number no component of that owner has; at run time they are unnamed.
// Only a designed list without pages marks its bounds with a dotted frame.
TEST_F(PageList, AnEmptyListShowsItsFrameOnlyToADesigner) {
  auto* empty = new TApPageList(form);
  empty->SetParent(form);
  empty->SetBounds(0, 0, 60, 40);
  empty->SetColor(clWhite);
  auto darkOnTheTopRow = [&] {
    empty->Repaint();
    HDC dc = GetDC(empty->Handle());
    int dark = 0;
    for (int x = 0; x < 60; ++x) {
      COLORREF c = GetPixel(dc, x, 0);
      dark += GetRValue(c) + GetGValue(c) + GetBValue(c) < 150;
    }
    ReleaseDC(empty->Handle(), dc);
    return dark;
  };
  EXPECT_EQ(darkOnTheTopRow(), 0);
  form->SetDesigning(true);
  EXPECT_GT(darkOnTheTopRow(), 10);
  form->SetDesigning(false);
}

TEST_F(PageList, NewPagesOfADesignerAreNamedAfterTheirClass) {
  auto* taken = new TComponent(form);
  taken->SetName("ApStandardPage2");
  TApCustomPage* running = list->NewPage();
  ASSERT_NE(running, nullptr);
  EXPECT_EQ(running->Name(), "");
  form->SetDesigning(true);
  std::vector<std::string> names;
  for (int i = 0; i < 3; ++i) {
    TApCustomPage* page = list->NewPage();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(std::string(page->ClassName()), "TApStandardPage");
    EXPECT_EQ(page->Owner(), form);
    EXPECT_EQ(page->PageList(), list);
    names.push_back(page->Name());
  }
  EXPECT_EQ(names, (std::vector<std::string>{"ApStandardPage1", "ApStandardPage3", "ApStandardPage4"}));
  EXPECT_EQ(list->GetPageCount(), 3 + 1 + 3);
  form->SetDesigning(false);
}
