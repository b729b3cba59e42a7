// Drop-shadow strips: where they lie, how they fade, and that their windows and bitmaps go away.
#include <gtest/gtest.h>

#include "framework/Application.h"
#include "tests/themes/ThemeTestSupport.h"
#include "themes/UiShadows.h"

namespace {

bool Overlaps(const TRect& a, const TRect& b) {
  return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

TRect ScreenRect(TShadow* s) { return TRect{s->Left(), s->Top(), s->Left() + s->Width(), s->Top() + s->Height()}; }

TEST(UiShadows, TwoStripsBesideAndUnderAWindow) {
  TShadows shadows(nullptr, TRect{100, 100, 200, 150}, 4, 128, false);
  ASSERT_EQ(shadows.Strips().size(), 2u);
  TShadow* right = shadows.Strips()[0].get();
  TShadow* bottom = shadows.Strips()[1].get();
  EXPECT_EQ(ScreenRect(right), (TRect{200, 104, 204, 150}));
  EXPECT_EQ(right->FadeEdges(), sfStart);
  EXPECT_EQ(ScreenRect(bottom), (TRect{104, 150, 204, 154}));

  // Across the strip the alpha falls by 256 / size; the faded corner starts lower.
  std::vector<uint8_t> a = right->AlphaMap();
  EXPECT_EQ(std::vector<uint8_t>(a.begin() + 40, a.begin() + 44), (std::vector<uint8_t>{255, 191, 127, 63}));
  EXPECT_EQ(a[0], 63);        // 3 pixels into the fade: 255 - 6 * 128 / 4
  EXPECT_EQ(a[45 * 4], 255);  // no fade at the end
  std::vector<uint8_t> b = bottom->AlphaMap();
  EXPECT_EQ(b[99], 63);  // faded at both ends
}

TEST(UiShadows, PlainOrWithoutTransparencyHalvesTheSize) {
  TSavedFunctions saved;
  EXPECT_EQ(TShadows(nullptr, TRect{0, 0, 50, 50}, 6, 128, false, true).Size(), 3);
  UiOptionalFunctions().UpdateLayeredWindow = nullptr;
  TShadows blended(nullptr, TRect{0, 0, 50, 50}, 6, 128, true);
  EXPECT_EQ(blended.Size(), 6);
  EXPECT_EQ(blended.Strips()[0]->Mode(), TShadowMode::AlphaBlended);
  UiOptionalFunctions().AlphaBlend = nullptr;
  EXPECT_EQ(TShadows(nullptr, TRect{0, 0, 50, 50}, 6, 128, false).Size(), 3);
  EXPECT_TRUE(TShadows(nullptr, TRect{0, 0, 50, 50}, 1, 128, false).Strips().empty());
}

TEST(UiShadows, StripsAreCutAroundTheOpeningItem) {
  const TRect window{100, 100, 200, 150};
  const TRect items[] = {
      {100, 80, 140, 100},   // above, at the left edge
      {120, 150, 180, 170},  // below
      {60, 110, 100, 130},   // left
      {200, 120, 240, 140},  // right, across the right strip
  };
  for (const TRect& item : items) {
    TShadows shadows(&item, window, 4, 128, false);
    EXPECT_GE(shadows.Strips().size(), 2u);
    EXPECT_LE(shadows.Strips().size(), 6u);
    for (const auto& s : shadows.Strips()) {
      TRect r = ScreenRect(s.get());
      EXPECT_FALSE(Overlaps(r, window)) << item.Left << "," << item.Top;
      EXPECT_FALSE(Overlaps(r, item)) << item.Left << "," << item.Top;
    }
  }
  // The window's right strip is split in two by the item on its right: the cut ends do not fade.
  TShadows cut(&items[3], window, 4, 128, false);
  EXPECT_EQ(ScreenRect(cut.Strips()[1].get()), (TRect{200, 140, 204, 150}));
  EXPECT_EQ(cut.Strips()[0]->FadeEdges() | cut.Strips()[1]->FadeEdges(), sfStart);
}

TEST(UiShadows, LayeredWindowsAreMadeAndFreed) {
  TSavedFunctions saved;
  HWND popup = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 100, 100, 100, 50, nullptr,
                               nullptr, nullptr, nullptr);
  for (int mode = 0; mode < 3; ++mode) {
    if (mode == 1) UiOptionalFunctions().UpdateLayeredWindow = nullptr;
    if (mode == 2) UiOptionalFunctions().AlphaBlend = nullptr;
    int gdiBefore = GdiObjectCount();
    std::vector<HWND> windows;
    {
      TShadows shadows(nullptr, TRect{100, 100, 200, 150}, 4, 128, true);
      shadows.Show(popup);
      for (const auto& s : shadows.Strips()) {
        HWND w = s->Handle();
        windows.push_back(w);
        EXPECT_TRUE(IsWindowVisible(w)) << mode;
        bool layered = (GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
        EXPECT_EQ(layered, mode == 0) << mode;
        EXPECT_EQ(GetWindow(w, GW_OWNER), Application->Handle());
        EXPECT_TRUE(GetClassLongW(w, GCL_STYLE) & CS_SAVEBITS);
      }
      EXPECT_EQ(GetWindow(popup, GW_HWNDNEXT), windows.back()) << mode;
    }
    for (HWND w : windows) EXPECT_FALSE(IsWindow(w)) << mode;
    EXPECT_EQ(GdiObjectCount(), gdiBefore) << mode;
  }
  DestroyWindow(popup);
}

}  // namespace
