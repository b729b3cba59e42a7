// TBitmap: a device-independent bitmap (a DIB section) with its own canvas, BMP files and
// bitmap resources, and drawing with a transparent colour.
#pragma once

#include <memory>
#include <vector>

#include "framework/Graphics.h"

namespace bitmap_detail {
struct TDibImage;
}

HV_ENUM(TPixelFormat, pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom)
HV_ENUM(TTransparentMode, tmAuto, tmFixed)

class TBitmap : public TGraphic {
  HV_CLASS(TBitmap, TGraphic)
 public:
  // An empty 24-bit bitmap.
  TBitmap();
  ~TBitmap() override;

  // Copies another bitmap (pixels, format, palette, transparency); null empties this one.
  void Assign(TPersistent* Source) override;

  bool Empty() const override { return width_ == 0 || height_ == 0; }
  int Width() const override { return width_; }
  void SetWidth(int value) override { SetSize(value, height_); }
  int Height() const override { return height_; }
  void SetHeight(int value) override { SetSize(width_, value); }
  // Keeps the image's top-left part; new pixels are white.
  void SetSize(int width, int height);

  // pfDevice asks for the screen's kind of bitmap, which is pf24bit here; pfCustom cannot be
  // set. Changing the format converts the pixels (to the nearest palette colour for 1, 4 and 8
  // bits: black and white, the 16 standard colours, or those and a colour cube with greys).
  TPixelFormat PixelFormat() const { return pixelFormat_; }
  void SetPixelFormat(TPixelFormat value);

  // The bitmap's canvas; it draws on the image itself.
  TCanvas* Canvas();
  // The DIB section. The bitmap keeps owning it; the canvas lets go of it first, so that the
  // handle can be selected elsewhere.
  HBITMAP Handle();
  // Takes over a bitmap handle: its image is copied (keeping 1, 4, 8, 16, 24 or 32 bits per
  // pixel) and the handle freed.
  void SetHandle(HBITMAP bitmap);
  // The first byte of a row (row 0 at the top); EInvalidGraphicOperation "Scan line index out
  // of range" outside the image.
  void* ScanLine(int row);
  // Bytes per row, padded to 4 bytes.
  int ScanLineSize() const;

  // The colour drawn transparently: with tmAuto the bottom-left pixel, with tmFixed the colour
  // set. Setting a colour makes the mode fixed; clDefault makes it automatic again.
  TColor TransparentColor();
  void SetTransparentColor(TColor value);
  TTransparentMode TransparentMode() const { return transparentColor_ == clDefault ? tmAuto : tmFixed; }
  void SetTransparentMode(TTransparentMode value);

  // BMP files (1, 4, 8, 16, 24 and 32 bits, uncompressed, run-length encoded or with bit
  // masks). A malformed file raises EInvalidGraphic "Bitmap image is not valid" and leaves the
  // bitmap as it was; a stream with nothing left to read gives an empty bitmap. An empty
  // bitmap writes nothing.
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;
  // Bitmap resources; EResNotFound "Resource %s not found" when the module has none.
  void LoadFromResourceName(HINSTANCE instance, const WideString& name);
  void LoadFromResourceID(HINSTANCE instance, int id);
  // CF_BITMAP only; other formats raise EInvalidGraphic "Unsupported clipboard format".
  void LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette) override;
  void SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) override;

 protected:
  void Draw(TCanvas* canvas, const TRect& rect) override;

 private:
  class TBitmapCanvas;

  void ReplaceImage(bitmap_detail::TDibImage&& image);
  void CanvasChanged(TObject* Sender);
  // Takes the image out of the canvas's DC, so that it can be selected elsewhere.
  void FreeContext();
  HDC SourceDC();
  void CopyFromHandle(HBITMAP bitmap);
  // A packed DIB: header, masks, colours and pixels (pixelOffset 0: right after the colours).
  void LoadDib(const uint8_t* data, size_t size, size_t pixelOffset);
  void DrawTransparent(HDC dest, const TRect& rect, HDC source);

  TBitmapHandle handle_;
  uint8_t* bits_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  TPixelFormat pixelFormat_ = pf24bit;
  std::vector<RGBQUAD> palette_;
  TColor transparentColor_ = clDefault;
  std::unique_ptr<TBitmapCanvas> canvas_;
};
