// Small routines the units of dockable windows share: the cursor, window rectangles and the close
// button of a caption.
#pragma once

#include <functional>

#include "framework/GdiHandles.h"
#include "toolbars/BarDock.h"

namespace dockable_detail {
inline constexpr BYTE CloseGlyph[8] = {0x00, 0xCC, 0x78, 0x30, 0x78, 0xCC, 0x00, 0x00};

inline void DrawCloseButton(HDC DC, const TRect& R, bool Pushed, bool Hot) {
  RECT rc{R.Left, R.Top, R.Right, R.Bottom};
  TBrushHandle face(CreateSolidBrush(ColorToRGB(clBtnFace)));
  FillRect(DC, &rc, face.Get());
  if (Pushed)
    DrawEdge(DC, &rc, BDR_SUNKENOUTER, BF_RECT);
  else if (Hot)
    DrawEdge(DC, &rc, BDR_RAISEDINNER, BF_RECT);
  WORD words[8];
  for (int i = 0; i < 8; ++i) words[i] = static_cast<WORD>(0xFF00 | static_cast<BYTE>(~CloseGlyph[i]));
  TBitmapHandle bits(CreateBitmap(8, 8, 1, 1, words));
  TCreatedDC glyph(CreateCompatibleDC(DC));
  TSelectObject select(glyph.Get(), bits.Get());
  int x = R.Left + 2 + Pushed, y = R.Top + 2 + Pushed;
  DrawMonoGlyph(DC, glyph.Get(), x, y, 8, 8, clBtnText);
}

// Draws a window's frame anew, neither its client area nor the windows inside it.
inline void RedrawFrame(HWND Wnd) { RedrawWindow(Wnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN); }

inline TPoint CursorPoint() {
  POINT p{};
  GetCursorPos(&p);
  return {p.x, p.y};
}

inline TRect WindowRectOf(HWND Wnd) {
  RECT r{};
  GetWindowRect(Wnd, &r);
  return {r.left, r.top, r.right, r.bottom};
}

inline bool Intersects(const TRect& A, const TRect& B) {
  return A.Left < B.Right && B.Left < A.Right && A.Top < B.Bottom && B.Top < A.Bottom;
}

// Follows the mouse while the left button holds a close button down in Wnd: Pushed tells whether
// the cursor is over the button meanwhile. True when the button is let go over it; false when
// the press is cancelled or a watched component goes (then Pushed is left alone).
bool TrackCloseButton(HWND Wnd, std::initializer_list<TComponent*> Watched, const std::function<TRect()>& ButtonRect,
                      bool& Pushed);

// Follows the mouse over a close button in Wnd's frame, for WM_NCMOUSEMOVE and WM_NCMOUSELEAVE:
// Hot while the mouse is over the button, the frame drawn anew at each change.
void FollowCloseButtonHot(HWND Wnd, const TMessage& Message, bool& Hot);

}  // namespace dockable_detail
