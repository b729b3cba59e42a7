// A shown editor control on a form of its own for the control's tests, with what they need to
// look at it: the pixels the screen shows, the rectangles of cells, the pending repaint.
#pragma once

#include <memory>
#include <string>

#include "editor/TxtEdit.h"
#include "framework/Forms.h"
#include "tests/framework/GraphicsTestSupport.h"

class TEditorHost {
 public:
  // A control of that client size, without border, scroll bars or caret, shown and painted.
  explicit TEditorHost(int Width = 400, int Height = 240) : width_(Width), height_(Height) {
    form_ = std::make_unique<TForm>(nullptr, CreateNew);
    form_->SetBounds(0, 0, Width + 40, Height + 80);
    edit_ = new TTxtEdit(form_.get());
    edit_->SetBorderStyle(bsNone);
    edit_->SetScrollBars(ssNone);
    // A blinking caret would make two pictures of the same state differ.
    edit_->SetOptions(edit_->Options() + eoNoCaret);
    edit_->SetParent(form_.get());
    edit_->SetBounds(0, 0, Width, Height);
    form_->Show();
    Settle();
  }
  // The same, with Text set (and not yet painted).
  explicit TEditorHost(const AnsiString& Text) : TEditorHost() { edit_->SetTextA(Text); }
  ~TEditorHost() { form_.reset(); }

  TTxtEdit& Edit() const { return *edit_; }
  TForm& Form() const { return *form_; }
  HWND Wnd() const { return edit_->Handle(); }

  // Handles what is queued and paints what is invalid.
  void Settle() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    UpdateWindow(Wnd());
  }

  // What the screen shows of the client area.
  std::unique_ptr<TTestPicture> Capture() {
    Settle();
    RECT client{};
    GetClientRect(Wnd(), &client);
    auto s = std::make_unique<TTestPicture>(client.right, client.bottom, 0x123456);
    HDC dc = GetDC(Wnd());
    BitBlt(s->DC(), 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    ReleaseDC(Wnd(), dc);
    return s;
  }

  // The part of the client area waiting to be repainted (empty after Settle).
  bool PendingAt(int X, int Y) const {
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    GetUpdateRgn(Wnd(), rgn, FALSE);
    const bool in = PtInRegion(rgn, X, Y) != FALSE;
    DeleteObject(rgn);
    return in;
  }
  bool AnythingPending() const {
    RECT r{};
    return GetUpdateRect(Wnd(), &r, FALSE) != FALSE;
  }

  // The pixel rectangle of the cell at a display column and row.
  TRect Cell(int Column, int Row) const {
    const TPoint p = edit_->RowColumnToPixels({Column, Row});
    return {p.X, p.Y, p.X + edit_->CharWidth(), p.Y + edit_->TextHeight()};
  }

  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  int width_;
  int height_;
  std::unique_ptr<TForm> form_;
  TTxtEdit* edit_ = nullptr;
};

inline uint32_t RGBOf(TColor Color) { return ColorToRGB(Color); }

// Pixels in a rectangle of the surface that differ from a colour.
inline int InkIn(const TTestPicture& S, const TRect& R, uint32_t Background) {
  int n = 0;
  for (int y = std::max(R.Top, 0); y < std::min(R.Bottom, S.Height()); ++y)
    for (int x = std::max(R.Left, 0); x < std::min(R.Right, S.Width()); ++x)
      if (S.Pixel(x, y) != Background) ++n;
  return n;
}

// Pixels in a rectangle of exactly one colour.
inline int CountIn(const TTestPicture& S, const TRect& R, uint32_t Color) {
  return S.Count(Color, std::max(R.Left, 0), std::max(R.Top, 0), std::min(R.Right, S.Width()),
                 std::min(R.Bottom, S.Height()));
}

// Lines "1" .. "N".
inline AnsiString NumberedLines(int N) {
  AnsiString text;
  for (int i = 1; i <= N; ++i) {
    text += std::to_string(i);
    if (i < N) text += "\r\n";
  }
  return text;
}
