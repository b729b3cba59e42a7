// What the tab bar's buttons draw, painted on an off-screen bitmap: the close cross of the
// document tabs, by the close-button option, and never on the new-tab button.
#include "framework/Win.h"

#include "app/DocumentTabs.h"
#include "app/MainDataModule.h"
#include "framework/Application.h"
#include "framework/Bitmap.h"
#include "tests/app/DocumentTestSupport.h"
#include "themes/UiUtils.h"
#include "toolbars/BarView.h"

namespace {

using TabPaint = DocumentTest;

// The pixels of the close cross's four strokes, drawn in Color, on the tab's painting.
int crossPixels(TDocumentTabBar* Bar, TDocumentItem* Item, TColor Color) {
  TBarItemViewer* viewer = Bar->View()->Find(Item);
  if (!viewer) return -1;
  const TRect bounds = viewer->BoundsRect();
  TBitmap bitmap;
  bitmap.SetSize(bounds.Width(), bounds.Height() + 2);
  bitmap.Canvas()->Font()->Assign(Bar->Font());
  const TRect area(0, 0, bounds.Width(), bounds.Height());
  viewer->Paint(bitmap.Canvas(), area, false, false, false);
  const COLORREF want = ColorToRGB(Color);
  const int strokes[4][4] = {{-14, 16, -7, 9}, {-13, 16, -6, 9}, {-8, 16, -15, 9}, {-7, 16, -14, 9}};
  int found = 0;
  for (const auto& s : strokes) {
    const int dx = s[2] > s[0] ? 1 : -1;
    for (int k = 0; k < 7; ++k)
      found += GetPixel(bitmap.Canvas()->Handle(), area.Right + s[0] + dx * k, s[1] - k) == want;
  }
  return found;
}

}  // namespace

TEST_F(TabPaint, OnlyDocumentTabsDrawTheCloseCross) {
  std::unique_ptr<TMainDataModule> module(New<TMainDataModule>(nullptr));
  TMainForm& form = Make();
  form.NewDocument();
  form.Show();
  Application->ProcessMessages();
  TDocumentTabBar* bar = form.tlbrTabBar;
  TDocumentItem* newTab = bar->Tab(bar->ItemCount() - 1);
  ASSERT_TRUE(newTab->Caption().empty());
  ASSERT_EQ(newTab->ImageIndex(), 1);
  TDocumentItem* active = form.ActiveDocument()->Item();
  TDocumentItem* other = Doc(0)->Item() == active ? Doc(1)->Item() : Doc(0)->Item();
  const TColor activeCross = ShiftColorChannels(bar->Colors().ActiveCloseColor, -60);
  const TColor otherCross = ShiftColorChannels(bar->Colors().InactiveCloseColor, -60);
  // Close button option: 0 on the active tab, 1 on each tab, 2 none.
  const struct {
    int Option;
    bool Active, Other;
  } rows[] = {{0, true, false}, {1, true, true}, {2, false, false}};
  for (const auto& row : rows) {
    bar->SetCloseButton(row.Option);
    Application->ProcessMessages();
    EXPECT_EQ(crossPixels(bar, active, activeCross) == 28, row.Active) << row.Option;
    EXPECT_EQ(crossPixels(bar, other, otherCross) == 28, row.Other) << row.Option;
    EXPECT_EQ(crossPixels(bar, newTab, otherCross), 0) << row.Option;
    EXPECT_EQ(crossPixels(bar, newTab, activeCross), 0) << row.Option;
  }
}
