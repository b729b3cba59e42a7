// A label painted on a white off-screen picture of its own size, and where its ink lies: for
// tests that see whether a text too long for its label ends in an ellipsis.
#pragma once

#include <algorithm>
#include <climits>

#include "framework/StdCtrls.h"
#include "tests/common/TestPicture.h"

struct TLabelPicture : TTestPicture {
  explicit TLabelPicture(TCustomLabel& L) : TTestPicture(L.Width(), L.Height()) {
    L.Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC()), 0);
  }
  // Ink: anything the label's colour did not leave white.
  bool Ink(int X, int Y) const { return At(X, Y) != 0xFFFFFF; }
  // The rightmost inked column between rows Top and Bottom; -1 when none.
  int RightmostInk(int Top, int Bottom) const {
    for (int x = Width(); x-- > 0;)
      for (int y = Top; y < Bottom; ++y)
        if (Ink(x, y)) return x;
    return -1;
  }
  // The highest inked row inside [Left, Right) x [Top, Bottom); INT_MAX when none.
  int TopInk(int Left, int Right, int Top, int Bottom) const {
    for (int y = Top; y < Bottom; ++y)
      for (int x = Left; x < Right; ++x)
        if (Ink(x, y)) return y;
    return INT_MAX;
  }
  // Separate groups of inked columns inside [Left, Right) between the rows.
  int InkRuns(int Left, int Right, int Top, int Bottom) const {
    int runs = 0;
    bool inRun = false;
    for (int x = Left; x < Right; ++x) {
      bool ink = false;
      for (int y = Top; y < Bottom && !ink; ++y) ink = Ink(x, y);
      runs += ink && !inRun;
      inRun = ink;
    }
    return runs;
  }
  // Whether the text in the band of rows [Top, Bottom) ends in three dots on the baseline: the
  // last DotsWidth columns of ink hold three groups and nothing in the band's upper half.
  bool EndsInDots(int DotsWidth, int Top, int Bottom) const {
    int right = RightmostInk(Top, Bottom);
    if (right < 0) return false;
    int left = std::max(right + 1 - DotsWidth, 0);
    return InkRuns(left, right + 1, Top, Bottom) == 3 && TopInk(left, right + 1, Top, Bottom) > (Top + Bottom) / 2;
  }
};

// The label's own font selected into a picture: what its texts measure.
struct TLabelFont {
  explicit TLabelFont(TCustomLabel& L) : picture(1, 1) { picture.Canvas()->Font()->Assign(L.Font()); }
  int Width(const WideString& S) { return picture.Canvas()->TextWidth(S); }
  int LineHeight() { return picture.Canvas()->TextHeight(L"Wg"); }
  TCanvas* Canvas() { return picture.Canvas(); }
  TTestPicture picture;
};
