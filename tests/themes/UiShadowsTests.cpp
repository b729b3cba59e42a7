// Drop-shadow strips: where they lie, how they fade, and that their windows and bitmaps go away.
#include <gtest/gtest.h>

#include "framework/Application.h"
#include "themes/UiShadows.h"

namespace {

bool Overlaps(const TRect& a, const TRect& b) {
  return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

TRect ScreenRect(TShadow* s) { return TRect{s->Left(), s->Top(), s->Left() + s->Width(), s->Top() + s->Height()}; }

// Keeps the optional functions of the unit and puts them back.
struct TSavedFunctions {
  TSavedFunctions() : saved(UiOptionalFunctions()) {}
  ~TSavedFunctions() { UiOptionalFunctions() = saved; }
  TUiOptionalFunctions saved;
};

TEST(UiShadows, TwoStripsBesideAndUnderAWindow) {
  TShadows shadows(nullptr, TRect{100, 100, 200, 150}, 4, 128, false);
  ASSERT_EQ(shadows.Strips().size(), 2u);
  TShadow* right = shadows.Strips()[0].get();
  TShadow* bottom = shadows.Strips()[1].get();
  EXPECT_EQ(ScreenRect(right), (TRect{200, 104, 204, 150}));
  EXPECT_EQ(right->FadeEdges(), sfStart);
  EXPECT_EQ(ScreenRect(bottom), (TRect{104, 150, 204, 154}));
  EXPECT_EQ(bottom->FadeEdges(), sfStart | sfEnd);
  EXPECT_EQ(right->Mode(), TShadowMode::Layered);

  // Across the strip the alpha falls by 256 / size; the faded corner starts lower.
  std::vector<uint8_t> a = right->AlphaMap();
  ASSERT_EQ(a.size(), 4u * 46u);
  EXPECT_EQ(a[10 * 4 + 0], 255);
  EXPECT_EQ(a[10 * 4 + 1], 191);
  EXPECT_EQ(a[10 * 4 + 3], 63);
  EXPECT_EQ(a[0], 63);        // 3 pixels into the fade: 255 - 6 * 128 / 4
  EXPECT_EQ(a[3 * 4], 255);   // the fade's inner row
  EXPECT_EQ(a[45 * 4], 255);  // no fade at the end
  std::vector<uint8_t> b = bottom->AlphaMap();
  EXPECT_EQ(b[0], 63);
  EXPECT_EQ(b[99], 63);  // faded at both ends
  EXPECT_EQ(b[50], 255);
}

TEST(UiShadows, PlainOrWithoutTransparencyHalvesTheSize) {
  TSavedFunctions saved;
  {
    TShadows plain(nullptr, TRect{0, 0, 50, 50}, 6, 128, false, true);
    EXPECT_EQ(plain.Size(), 3);
    EXPECT_EQ(plain.Strips()[0]->Mode(), TShadowMode::Plain);
  }
  UiOptionalFunctions().UpdateLayeredWindow = nullptr;
  {
    TShadows blended(nullptr, TRect{0, 0, 50, 50}, 6, 128, true);
    EXPECT_EQ(blended.Size(), 6);
    EXPECT_EQ(blended.Strips()[0]->Mode(), TShadowMode::AlphaBlended);
  }
  UiOptionalFunctions().AlphaBlend = nullptr;
  TShadows none(nullptr, TRect{0, 0, 50, 50}, 6, 128, false);
  EXPECT_EQ(none.Size(), 3);
  TShadows tiny(nullptr, TRect{0, 0, 50, 50}, 1, 128, false);
  EXPECT_TRUE(tiny.Strips().empty());
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
  TRect right{200, 120, 240, 140};
  TShadows cut(&right, window, 4, 128, false);
  // The window's right strip is split in two by the item: the piece above keeps its fade.
  ASSERT_GE(cut.Strips().size(), 2u);
  EXPECT_EQ(ScreenRect(cut.Strips()[0].get()), (TRect{200, 104, 204, 120}));
  EXPECT_EQ(cut.Strips()[0]->FadeEdges(), sfStart);
  EXPECT_EQ(ScreenRect(cut.Strips()[1].get()), (TRect{200, 140, 204, 150}));
  EXPECT_EQ(cut.Strips()[1]->FadeEdges(), 0);
}

TEST(UiShadows, LayeredWindowsAreMadeAndFreed) {
  TSavedFunctions saved;
  HWND popup = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 100, 100, 100, 50,
                               nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(popup, nullptr);
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
        UpdateWindow(w);
      }
      EXPECT_EQ(windows.size(), 2u);
      // Just under the popup in z-order.
      EXPECT_EQ(GetWindow(popup, GW_HWNDNEXT), windows.back()) << mode;
    }
    for (HWND w : windows) EXPECT_FALSE(IsWindow(w)) << mode;
    EXPECT_EQ(GdiObjectCount(), gdiBefore) << mode;
  }
  DestroyWindow(popup);
}

}  // namespace
