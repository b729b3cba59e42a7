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

class TabPaint : public DocumentTest {
 protected:
  void TearDown() override {
    module_.reset();
    DocumentTest::TearDown();
  }
  // The window shown with two documents: the active tab, the other one and the new-tab button.
  TDocumentTabBar* ShowTwoTabs() {
    module_.reset(New<TMainDataModule>(nullptr));
    TMainForm& form = Make();
    form.NewDocument();
    form.Show();
    Application->ProcessMessages();
    TDocumentTabBar* bar = form.tlbrTabBar;
    newTab_ = bar->Tab(bar->ItemCount() - 1);
    active_ = form.ActiveDocument()->Item();
    other_ = Doc(0)->Item() == active_ ? Doc(1)->Item() : Doc(0)->Item();
    return bar;
  }
  std::unique_ptr<TMainDataModule> module_;
  TDocumentItem *active_ = nullptr, *other_ = nullptr, *newTab_ = nullptr;
};

// The tab's painting on a bitmap, Width wide (the tab's own width when 0); false without a tab.
bool paintTab(TDocumentTabBar* Bar, TDocumentItem* Item, TBitmap& Bitmap, int Width = 0, bool Hovered = false) {
  TBarItemViewer* viewer = Bar->View()->Find(Item);
  if (!viewer) return false;
  const TRect bounds = viewer->BoundsRect();
  if (Width == 0) Width = bounds.Width();
  Bitmap.SetSize(Width, bounds.Height() + 2);
  Bitmap.Canvas()->Font()->Assign(Bar->Font());
  viewer->Paint(Bitmap.Canvas(), TRect(0, 0, Width, bounds.Height()), Hovered, false, false);
  return true;
}

// The pixels of the close cross's four strokes, drawn in Color, on the tab's painting.
int crossPixels(TDocumentTabBar* Bar, TDocumentItem* Item, TColor Color) {
  TBitmap bitmap;
  if (!paintTab(Bar, Item, bitmap)) return -1;
  const COLORREF want = ColorToRGB(Color);
  const int strokes[4][4] = {{-14, 16, -7, 9}, {-13, 16, -6, 9}, {-8, 16, -15, 9}, {-7, 16, -14, 9}};
  int found = 0;
  for (const auto& s : strokes) {
    const int dx = s[2] > s[0] ? 1 : -1;
    for (int k = 0; k < 7; ++k)
      found += GetPixel(bitmap.Canvas()->Handle(), bitmap.Width() + s[0] + dx * k, s[1] - k) == want;
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
  TDocumentTabBar* bar = ShowTwoTabs();
  TDocumentItem *newTab = newTab_, *active = active_, *other = other_;
  ASSERT_TRUE(newTab->Caption().empty());
  ASSERT_EQ(newTab->ImageIndex(), 1);
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
  TDocumentTabBar* bar = ShowTwoTabs();
  TDocumentItem *newTab = newTab_, *active = active_, *other = other_;
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
    bar->View()->Select(r.Hovered ? bar->View()->Find(r.Item) : nullptr);
    TBitmap bitmap;
    TImageStateTheme::Drawn().clear();
    ASSERT_TRUE(paintTab(bar, r.Item, bitmap, 0, r.Hovered)) << row;
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
  TDocumentTabBar* bar = ShowTwoTabs();
  auto pixels = [&](const WideString& Caption) {
    active_->SetCaption(Caption);
    Application->ProcessMessages();
    std::vector<COLORREF> seen;
    TBitmap bitmap;
    if (!paintTab(bar, active_, bitmap, 200)) return seen;
    for (int y = 0; y + 2 < bitmap.Height(); ++y)
      for (int x = 0; x < bitmap.Width(); ++x) seen.push_back(GetPixel(bitmap.Canvas()->Handle(), x, y));
    return seen;
  };
  const std::vector<COLORREF> marked = pixels(L"utf8=x.txt"), plain = pixels(L"x.txt");
  ASSERT_FALSE(plain.empty());
  EXPECT_TRUE(marked != plain) << "the tab shows the name without its first five letters";
}
