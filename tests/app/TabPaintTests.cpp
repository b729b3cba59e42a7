// What the tab bar's buttons draw, painted on an off-screen bitmap: the close cross of the
// document tabs, by the close-button option, and never on the new-tab button; the images in the
// state of their tab.
#include "framework/Win.h"

#include <memory>
#include <vector>

#include "app/DocumentTabs.h"
#include "app/MainDataModule.h"
#include "framework/Application.h"
#include "framework/Bitmap.h"
#include "framework/ScopeGuards.h"
#include "tests/app/DocumentTestSupport.h"
#include "themes/UiDefaultTheme.h"
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

// Paints as the default theme and notes the state each image is drawn in.
class TImageStateTheme : public TUiDefaultTheme {
 public:
  using TUiDefaultTheme::TUiDefaultTheme;
  static std::vector<TUiItemInfo>& Drawn() {
    static std::vector<TUiItemInfo> drawn;
    return drawn;
  }
  void PaintImage(TCanvas* Canvas, const TRect& ARect, const TUiItemInfo& ItemInfo, TCustomImageList* ImageList,
                  int ImageIndex) override {
    Drawn().push_back(ItemInfo);
    TUiDefaultTheme::PaintImage(Canvas, ARect, ItemInfo, ImageList, ImageIndex);
  }
};

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

// The image of a tab is drawn in the tab's state, as its caption is: the theme moves the image
// of the active or pressed tab with the caption and draws a hot one at full strength.
TEST_F(TabPaint, ImagesAreDrawnInTheStateOfTheirTab) {
  std::unique_ptr<TMainDataModule> module(New<TMainDataModule>(nullptr));
  TMainForm& form = Make();
  form.NewDocument();
  form.Show();
  Application->ProcessMessages();
  TDocumentTabBar* bar = form.tlbrTabBar;
  TDocumentItem* newTab = bar->Tab(bar->ItemCount() - 1);
  TDocumentItem* active = form.ActiveDocument()->Item();
  TDocumentItem* other = Doc(0)->Item() == active ? Doc(1)->Item() : Doc(0)->Item();
  // Read-only documents show the padlock.
  active->SetImageIndex(0);
  other->SetImageIndex(0);
  Application->ProcessMessages();
  if (!IsThemeRegistered("TabImageState")) RegisterTheme("TabImageState", UiThemeClassOf<TImageStateTheme>());
  SetCurrentThemeByName("TabImageState");
  TScopeExit back([] { SetCurrentThemeByName("Default"); });
  const struct {
    TDocumentItem* Item;
    bool Hovered, Selected, Hot;
  } rows[] = {{active, false, true, false},
              {other, false, false, false},
              {other, true, false, true},
              {newTab, true, false, true},
              {newTab, false, false, false}};
  int row = 0;
  for (const auto& r : rows) {
    TBarItemViewer* viewer = bar->View()->Find(r.Item);
    ASSERT_NE(viewer, nullptr) << row;
    bar->View()->Select(r.Hovered ? viewer : nullptr);
    TBitmap bitmap;
    const TRect bounds = viewer->BoundsRect();
    bitmap.SetSize(bounds.Width(), bounds.Height() + 2);
    TImageStateTheme::Drawn().clear();
    viewer->Paint(bitmap.Canvas(), TRect(0, 0, bounds.Width(), bounds.Height()), r.Hovered, false, false);
    ASSERT_EQ(TImageStateTheme::Drawn().size(), 1u) << row;
    EXPECT_EQ(TImageStateTheme::Drawn()[0].Selected != 0, r.Selected) << row;
    EXPECT_EQ(TImageStateTheme::Drawn()[0].HoverKind != 0, r.Hot) << row;
    ++row;
  }
  bar->View()->Select(nullptr);
}

// A file name that begins with "utf8=" is shown as it stands: the tab does not read the rest as
// UTF-8, as the skinned items read their own marked captions.
TEST_F(TabPaint, ACaptionIsDrawnAsItStands) {
  std::unique_ptr<TMainDataModule> module(New<TMainDataModule>(nullptr));
  TMainForm& form = Make();
  form.Show();
  Application->ProcessMessages();
  TDocumentTabBar* bar = form.tlbrTabBar;
  TDocumentItem* tab = form.ActiveDocument()->Item();
  auto pixels = [&](const WideString& Caption) {
    tab->SetCaption(Caption);
    Application->ProcessMessages();
    std::vector<COLORREF> seen;
    TBarItemViewer* viewer = bar->View()->Find(tab);
    if (!viewer) return seen;
    const int height = viewer->BoundsRect().Height();
    TBitmap bitmap;
    bitmap.SetSize(200, height + 2);
    bitmap.Canvas()->Font()->Assign(bar->Font());
    viewer->Paint(bitmap.Canvas(), TRect(0, 0, 200, height), false, false, false);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < 200; ++x) seen.push_back(GetPixel(bitmap.Canvas()->Handle(), x, y));
    return seen;
  };
  const std::vector<COLORREF> marked = pixels(L"utf8=x.txt"), plain = pixels(L"x.txt");
  ASSERT_FALSE(plain.empty());
  EXPECT_TRUE(marked != plain) << "the tab shows the name without its first five letters";
}
