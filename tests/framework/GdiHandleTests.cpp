// Handle owners: one owner per handle, counted, and scopes that undo selections and saved states.
#include <gtest/gtest.h>

#include <utility>

#include "framework/GdiHandles.h"

TEST(GdiHandles, OwnersCountAndFreeTheirHandles) {
  int base = GdiObjectCount();
  HBRUSH raw = nullptr;
  {
    TBrushHandle brush(CreateSolidBrush(RGB(1, 2, 3)));
    raw = brush.Get();
    ASSERT_TRUE(brush);
    EXPECT_EQ(GdiObjectCount(), base + 1);
    TBrushHandle moved = std::move(brush);
    EXPECT_FALSE(brush);
    EXPECT_EQ(moved.Get(), raw);
    EXPECT_EQ(GdiObjectCount(), base + 1);
    TBrushHandle assigned;
    assigned = std::move(moved);
    EXPECT_EQ(GdiObjectCount(), base + 1);
    EXPECT_EQ(GetObjectType(raw), static_cast<DWORD>(OBJ_BRUSH));
  }
  EXPECT_EQ(GdiObjectCount(), base);
  EXPECT_EQ(GetObjectType(raw), 0u);  // really deleted
}

TEST(GdiHandles, ResetFreesTheOldHandleAndReleaseHandsOwnershipOn) {
  int base = GdiObjectCount();
  TPenHandle pen(CreatePen(PS_SOLID, 1, 0));
  HPEN first = pen.Get();
  pen.Reset(CreatePen(PS_SOLID, 2, 0));
  EXPECT_EQ(GdiObjectCount(), base + 1);
  EXPECT_EQ(GetObjectType(first), 0u);
  HPEN released = pen.Release();
  EXPECT_FALSE(pen);
  EXPECT_EQ(GdiObjectCount(), base);
  EXPECT_EQ(GetObjectType(released), static_cast<DWORD>(OBJ_PEN));
  DeleteObject(released);
  pen.Reset();  // nothing held: nothing happens
  EXPECT_EQ(GdiObjectCount(), base);
}

TEST(GdiHandles, SelectionScopePutsTheOriginalObjectBack) {
  TCreatedDC dc(CreateCompatibleDC(nullptr));
  HGDIOBJ original = GetCurrentObject(dc.Get(), OBJ_BRUSH);
  TBrushHandle red(CreateSolidBrush(RGB(255, 0, 0)));
  TBrushHandle blue(CreateSolidBrush(RGB(0, 0, 255)));
  {
    TSelectObject selection(dc.Get(), red.Get());
    EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_BRUSH), red.Get());
    selection.Select(dc.Get(), blue.Get());
    EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_BRUSH), blue.Get());
    TSelectObject moved = std::move(selection);
    EXPECT_FALSE(selection.Active());
    EXPECT_TRUE(moved.Active());
  }
  EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_BRUSH), original);
  // Neither brush is selected any more, so both can go.
  HBRUSH r = red.Get();
  red.Reset();
  EXPECT_EQ(GetObjectType(r), 0u);
}

TEST(GdiHandles, SaveDCScopeRestoresTheState) {
  TCreatedDC dc(CreateCompatibleDC(nullptr));
  SetTextColor(dc.Get(), RGB(1, 2, 3));
  {
    TSaveDC saved(dc.Get());
    SetTextColor(dc.Get(), RGB(9, 9, 9));
    EXPECT_EQ(GetTextColor(dc.Get()), RGB(9, 9, 9));
  }
  EXPECT_EQ(GetTextColor(dc.Get()), RGB(1, 2, 3));
}

TEST(GdiHandles, WholeWindowDCReachesTheFrameAndIsGivenBack) {
  HWND wnd = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_BORDER | WS_CAPTION, 10, 10, 120, 80, nullptr, nullptr,
                             nullptr, nullptr);
  ASSERT_NE(wnd, nullptr);
  int base = GdiObjectCount();
  {
    TWholeWindowDC whole(wnd);
    TWindowDC client(wnd);
    ASSERT_TRUE(whole && client);
    EXPECT_EQ(GdiObjectCount(), base + 2);
    // The whole window's DC starts at the window's corner, the client DC inside the frame.
    POINT wholeOrigin{}, clientOrigin{};
    GetDCOrgEx(whole.Get(), &wholeOrigin);
    GetDCOrgEx(client.Get(), &clientOrigin);
    EXPECT_LT(wholeOrigin.y, clientOrigin.y);
    TWindowDC moved = std::move(whole);
    EXPECT_FALSE(whole);
    EXPECT_EQ(GdiObjectCount(), base + 2);
    // GetDCEx with DCX_WINDOW reaches the same corner.
    TWindowDC ex(wnd, nullptr, DCX_WINDOW | DCX_CACHE);
    ASSERT_TRUE(ex);
    POINT exOrigin{};
    GetDCOrgEx(ex.Get(), &exOrigin);
    EXPECT_EQ(exOrigin.y, wholeOrigin.y);
    EXPECT_EQ(GdiObjectCount(), base + 3);
    ex.Reset();
    EXPECT_EQ(GdiObjectCount(), base + 2);
  }
  EXPECT_EQ(GdiObjectCount(), base);
  DestroyWindow(wnd);
}
