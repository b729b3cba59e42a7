// The routines on windows and canvases: list item heights, links handed to the shell, fonts, the
// clipboard, and the gradients and arrows read back by pixels.
#include <gtest/gtest.h>

#include "app/WindowRoutines.h"
#include "app/DocumentTabs.h"
#include "app/Documents.h"
#include "app/MainFrm.h"
#include "framework/Application.h"
#include "tests/app/DocumentTestSupport.h"
#include "toolbars/BarItemViewer.h"
#include "toolbars/BarToolbar.h"
#include "framework/Bitmap.h"
#include "framework/Clipboard.h"
#include "framework/ListControls.h"
#include "tests/common/TestPicture.h"

namespace {

std::vector<WideString> opened;
void RecordOpen(const WideString& FileName, const WideString&, const WideString&) { opened.push_back(FileName); }

TEST(WindowRoutines, AListTakesItsItemHeightBeforeItHasAWindow) {
  TListBox list(nullptr);
  list.Font()->SetHeight(-20);
  SetListItemHeight(&list);
  EXPECT_FALSE(list.HandleAllocated());
  TBitmap measure;
  measure.Canvas()->Font()->Assign(list.Font());
  EXPECT_EQ(list.ItemHeight(), measure.Canvas()->TextHeight(WideString(L"Wg")) + 7);
}

TEST(WindowRoutines, OnlyAddressesReachTheShellAndTextReachesTheClipboardWhole) {
  TShellOpenHandler previous = SetShellOpenHandler(RecordOpen);
  EXPECT_TRUE(OpenLink("www.setup.exe"));
  EXPECT_FALSE(OpenLink("setup.exe"));
  EXPECT_FALSE(OpenLink("www.x\" /c calc"));
  ShellOpen(L"C:\\file.txt", L"", L"");
  EXPECT_EQ(opened, (std::vector<WideString>{L"http://www.setup.exe", L"C:\\file.txt"}));
  SetShellOpenHandler(previous);

  EXPECT_TRUE(IsMonospacedFont(L"Courier New") && !IsMonospacedFont(L"DejaVu Sans"));
  CopyWideTextToClipboard(L"\u0416\u00e9 x");
  EXPECT_EQ(Clipboard()->AsWideText(), L"\u0416\u00e9 x");
}

TEST(WindowRoutines, GradientsAndArrowsByPixels) {
  EXPECT_EQ(RGBClamped(-5, 300, 128), TColor(0x80FF00));
  TTestPicture p(31, 10);
  p.Canvas()->Brush()->SetColor(clBlue);
  GradientBand(p.Canvas(), TRect{0, 0, 31, 10}, 0, 10, 10, TColor(0x000000), TColor(0x0000FF), false);
  EXPECT_TRUE(p.Pixel(5, 5) == RGB(127, 0, 0) && p.Canvas()->Brush()->Color() == clBlue);
  // Steps 0 counts as 1: the second row already reaches the end colour, the rest clamps.
  GradientBand(p.Canvas(), TRect{0, 0, 31, 10}, 0, 3, 0, TColor(0x000000), TColor(0x00FF00), true);
  EXPECT_TRUE(p.Pixel(20, 0) == RGB(0, 0, 0) && p.Pixel(20, 3) == RGB(0, 255, 0));
  // Width 31: extent 30, bands of 10 through white, red, green and blue.
  FourColorGradient(p.Canvas(), TRect{0, 0, 31, 10}, clWhite, clRed, clLime, clBlue, false);
  EXPECT_TRUE(p.Pixel(30, 0) == RGB(0, 0, 255) && p.Pixel(15, 0) == RGB(128, 127, 0));
  p.Canvas()->Brush()->SetColor(clWhite);
  p.Canvas()->FillRect(TRect{0, 0, 31, 10});
  DrawSmallArrow(p.DC(), 10, 4, false, true);
  EXPECT_TRUE(p.Pixel(8, 4) == ColorToRGB(clWindowText) && p.Pixel(10, 3) == RGB(255, 255, 255));
  DrawSmallArrow(p.DC(), 20, 4, true, false);
  EXPECT_TRUE(p.Pixel(20, 2) == ColorToRGB(clHighlightText) && p.Pixel(19, 4) == RGB(255, 255, 255));
}

using TabBarRoutines = DocumentTest;

// The tab under a point of the tab bar: each tab (the new-tab button is one too) at its own
// place, nothing beside the tabs or without a bar.
TEST_F(TabBarRoutines, DocumentItemAtFindsTheTabUnderThePoint) {
  TMainForm& form = Make();
  form.OpenFiles({folder_.Write(L"a.txt", "a"), folder_.Write(L"b.txt", "b")}, 0);
  form.Show();
  Application->ProcessMessages();
  TDocumentTabBar* bar = form.tlbrTabBar;
  ASSERT_GE(bar->ItemCount(), 3);
  const auto centre = [&](TBarCustomItem* Item) {
    const TRect r = bar->View()->Find(Item)->BoundsRect();
    return TPoint{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
  };
  for (int i = 0; i < bar->ItemCount(); ++i) {
    ASSERT_NE(bar->Tab(i), nullptr);
    EXPECT_EQ(DocumentItemAt(bar, centre(bar->Tab(i))), bar->Tab(i)) << i;
  }
  const struct {
    TBarCustomToolbar* Toolbar;
    TPoint Point;
  } none[] = {
      {bar, {-5, -5}},
      {bar, {bar->ClientWidth() + 10, 1}},
      {nullptr, {1, 1}},
  };
  for (const auto& c : none) EXPECT_EQ(DocumentItemAt(c.Toolbar, c.Point), nullptr) << c.Point.X;
}

}  // namespace
