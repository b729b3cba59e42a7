// A memory bitmap to draw into and read back pixel by pixel, independent of the classes tested.
#pragma once

#include <cstdint>

#include "framework/Colors.h"
#include "framework/GdiHandles.h"

class TTestSurface {
 public:
  TTestSurface(int width, int height, uint32_t fill = 0xFFFFFF)
      : width_(width), height_(height), dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;  // top-down: row 0 first
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.Reset(CreateDIBSection(dc_.Get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    bits_ = static_cast<uint32_t*>(bits);
    selection_.Select(dc_.Get(), bitmap_.Get());
    Fill(fill);
  }

  HDC DC() const { return dc_.Get(); }
  int Width() const { return width_; }
  int Height() const { return height_; }

  // The pixel as a colour value (red in the low byte).
  uint32_t Pixel(int x, int y) const {
    GdiFlush();
    uint32_t v = bits_[y * width_ + x];
    return ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF);
  }
  void Fill(uint32_t color) {
    GdiFlush();
    uint32_t v = ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
    for (int i = 0; i < width_ * height_; ++i) bits_[i] = v;
  }
  // Pixels of the colour inside [left, right) x [top, bottom).
  int Count(uint32_t color, int left, int top, int right, int bottom) const {
    int n = 0;
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x)
        if (Pixel(x, y) == color) ++n;
    return n;
  }
  int Count(uint32_t color) const { return Count(color, 0, 0, width_, height_); }

 private:
  int width_;
  int height_;
  TCreatedDC dc_;
  TBitmapHandle bitmap_;
  TSelectObject selection_;
  uint32_t* bits_ = nullptr;
};

#include <functional>
#include <map>
#include <string>

#include "framework/Persistent.h"
#include "framework/Streams.h"

// A filer that only collects what DefineProperties declares, so that tests can run the
// writers and readers of binary properties themselves.
class TCollectingFiler : public TFiler {
 public:
  explicit TCollectingFiler(bool reading) : TFiler(reading) {}
  void DefineProperty(const std::string&, TReaderProc, TWriterProc, bool) override {}
  void DefineBinaryProperty(const std::string& name, TStreamProc read, TStreamProc write, bool hasData) override {
    readers[name] = read;
    writers[name] = write;
    hasDataOf[name] = hasData;
  }
  std::map<std::string, TStreamProc> readers;
  std::map<std::string, TStreamProc> writers;
  std::map<std::string, bool> hasDataOf;
};

// Counts the change events of a graphic object.
struct ChangeCounter {
  int changes = 0;
  void Changed(TObject*) { ++changes; }
};
