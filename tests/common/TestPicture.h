// An off-screen picture for painting tests: a 32-bit top-down bitmap in a memory DC, with a
// canvas on it, filled with one colour at first. Pixels are read back as colour values (red in
// the low byte) straight from the bits, independent of the classes tested.
#pragma once

#include <algorithm>
#include <climits>
#include <cstdint>
#include <vector>

#include "framework/GdiHandles.h"
#include "framework/Graphics.h"

class TTestPicture {
 public:
  TTestPicture(int Width, int Height, uint32_t Background = 0xFFFFFF)
      : width_(Width), height_(Height), dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = Width;
    bi.bmiHeader.biHeight = -Height;  // top-down: row 0 first
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.Reset(CreateDIBSection(dc_.Get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    bits_ = static_cast<uint32_t*>(bits);
    selection_.Select(dc_.Get(), bitmap_.Get());
    Fill(Background);
    canvas_.SetHandle(dc_.Get());
  }
  TTestPicture(const TTestPicture&) = delete;
  TTestPicture& operator=(const TTestPicture&) = delete;
  ~TTestPicture() { canvas_.SetHandle(nullptr); }

  HDC DC() const { return dc_.Get(); }
  // A canvas on the picture; what it selects is put back when the picture goes.
  TCanvas* Canvas() { return &canvas_; }
  int Width() const { return width_; }
  int Height() const { return height_; }

  // The pixel at (X, Y) as a colour value.
  uint32_t At(int X, int Y) const {
    GdiFlush();
    uint32_t v = bits_[Y * width_ + X];
    return ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF);
  }
  uint32_t Pixel(int X, int Y) const { return At(X, Y); }
  void Fill(uint32_t Color) {
    GdiFlush();
    uint32_t v = ((Color & 0xFF) << 16) | (Color & 0xFF00) | ((Color >> 16) & 0xFF);
    std::fill(bits_, bits_ + width_ * height_, v);
  }
  // Pixels of the colour inside [Left, Right) x [Top, Bottom), or inside R, or anywhere.
  int Count(uint32_t Color, int Left, int Top, int Right, int Bottom) const {
    int n = 0;
    for (int y = Top; y < Bottom; ++y)
      for (int x = Left; x < Right; ++x) n += At(x, y) == Color;
    return n;
  }
  int Count(const TRect& R, uint32_t Color) const { return Count(Color, R.Left, R.Top, R.Right, R.Bottom); }
  int Count(uint32_t Color) const { return Count(Color, 0, 0, width_, height_); }
  // The smallest rectangle holding every pixel of the colour inside Area; empty when none.
  TRect BoundsOf(uint32_t Color, const TRect& Area) const {
    TRect b{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (int y = Area.Top; y < Area.Bottom; ++y)
      for (int x = Area.Left; x < Area.Right; ++x)
        if (At(x, y) == Color)
          b = {std::min(b.Left, x), std::min(b.Top, y), std::max(b.Right, x + 1), std::max(b.Bottom, y + 1)};
    return b.Left == INT_MAX ? TRect{} : b;
  }
  // Every pixel equal to Other's, or to Other's turned upside down.
  bool Matches(const TTestPicture& Other, bool Flipped) const {
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x)
        if (At(x, y) != Other.At(x, Flipped ? height_ - 1 - y : y)) return false;
    return true;
  }

 private:
  int width_;
  int height_;
  TCreatedDC dc_;
  TBitmapHandle bitmap_;
  TSelectObject selection_;
  uint32_t* bits_ = nullptr;
  TCanvas canvas_;
};

// The client area of a window as the screen shows it now, row by row.
inline std::vector<uint32_t> ClientPixels(HWND Wnd) {
  RECT client{};
  GetClientRect(Wnd, &client);
  TTestPicture picture(client.right, client.bottom);
  BitBlt(picture.DC(), 0, 0, client.right, client.bottom, TWindowDC(Wnd).Get(), 0, 0, SRCCOPY);
  std::vector<uint32_t> pixels;
  for (int y = 0; y < client.bottom; ++y)
    for (int x = 0; x < client.right; ++x) pixels.push_back(picture.At(x, y));
  return pixels;
}

// How many pixels differ between two pictures of one size (all of them when the sizes differ).
inline size_t DifferingPixels(const std::vector<uint32_t>& A, const std::vector<uint32_t>& B) {
  if (A.size() != B.size()) return std::max(A.size(), B.size());
  size_t n = 0;
  for (size_t i = 0; i < A.size(); ++i) n += A[i] != B[i];
  return n;
}
