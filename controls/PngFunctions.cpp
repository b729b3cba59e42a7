// Drawing PNG images in a disabled look and making PNG images with alpha from other pictures.
#include "controls/PngFunctions.h"
#include <algorithm>
#include <cmath>
#include <vector>
#include "controls/PngImageList.h"
#include "framework/Bitmap.h"
#include "framework/Icon.h"
#include "framework/ImageList.h"

namespace {

// Halves round up, the one rounding rule of these functions.
inline int RoundScaled(int value, int numerator) { return (value * numerator + 128) / 256; }

// A bitmap's pixels as 32-bit values (blue in the low byte), top row first.
std::vector<uint32_t> ReadPixels(HBITMAP bitmap, int width, int height) {
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  TWindowDC screen;
  GetDIBits(screen.Get(), bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
  return pixels;
}

inline int Red(uint32_t pixel) { return (pixel >> 16) & 0xFF; }
inline uint32_t Rgb(uint32_t pixel) { return ((pixel & 0xFF) << 16) | (pixel & 0xFF00) | ((pixel >> 16) & 0xFF); }

// Makes `png` an RGB image of the bitmap and gives it the alpha values (top row first) when
// any of them is below 255.
void AssignWithAlpha(TPngGraphic* png, TBitmap* bitmap, const std::vector<uint8_t>& alpha, bool always = false) {
  png->Assign(bitmap);
  if (png->Empty()) return;
  if (!always && std::all_of(alpha.begin(), alpha.end(), [](uint8_t a) { return a == 255; })) return;
  TChunkIHDR* h = png->Header();
  if (h->ColorType != 2) {  // a palette bitmap: redo as RGB
    TBitmap rgb;
    rgb.Assign(bitmap);
    rgb.SetPixelFormat(pf24bit);
    rgb.SetTransparent(false);
    png->Assign(&rgb);
  }
  png->CreateAlpha();
  for (int y = 0; y < png->Height(); ++y)
    std::copy_n(alpha.begin() + static_cast<std::ptrdiff_t>(y) * png->Width(), png->Width(), png->AlphaScanline(y));
  if (auto* trns = png->Chunks()->ItemFromClass<TChunktRNS>()) png->Chunks()->Remove(trns);
}

}  // namespace

BITMAPV4HEADER AlphaBitmapHeader(int Width, int Height) {
  BITMAPV4HEADER v4{};
  v4.bV4Size = sizeof v4;
  v4.bV4Width = Width;
  v4.bV4Height = -Height;
  v4.bV4Planes = 1;
  v4.bV4BitCount = 32;
  v4.bV4V4Compression = BI_BITFIELDS;
  v4.bV4RedMask = 0xFF0000;
  v4.bV4GreenMask = 0xFF00;
  v4.bV4BlueMask = 0xFF;
  v4.bV4AlphaMask = 0xFF000000;
  return v4;
}

bool IconAlphaSupported() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExW(&info)) return false;
#pragma GCC diagnostic pop
  return info.dwPlatformId == VER_PLATFORM_WIN32_NT &&
         (info.dwMajorVersion > 5 || (info.dwMajorVersion == 5 && info.dwMinorVersion >= 1));
}

TPngPixel PngPixel(TPngGraphic* Png, int X, int Y) {
  uint32_t c = static_cast<uint32_t>(Png->Pixels(X, Y));
  TPngPixel p{GetRValue(c), GetGValue(c), GetBValue(c), 255};
  TChunkIHDR* h = Png->Header();
  if (uint8_t* alpha = h->AlphaRow(Y)) {
    p.A = alpha[X];
  } else if (Png->TransparencyMode() == ptmBit) {
    if (Png->Pixels(X, Y) == Png->TransparentColor()) p.A = 0;
  } else if (Png->TransparencyMode() == ptmPartial && h->ColorType == 3) {
    const uint8_t* row = h->ImageRow(Y);
    int index = h->BitCount() == 8   ? row[X]
                : h->BitCount() == 4 ? ((X & 1) ? row[X >> 1] & 15 : row[X >> 1] >> 4)
                                     : (row[X >> 3] >> (7 - (X & 7))) & 1;
    p.A = Png->Chunks()->ItemFromClass<TChunktRNS>()->PaletteValues[index];
  }
  return p;
}

void DrawPngImage(TPngGraphic* Png, TCanvas* Canvas, const TRect& ARect, TPngOptions Options) {
  if (!Png || Png->Empty()) return;
  if (Options.Empty()) {
    Canvas->StretchDraw(ARect, Png);
    return;
  }
  TPngGraphic copy;
  copy.Assign(Png);
  if (Options.Contains(pngBlendOnDisabled)) BlendPngImage(&copy, 127);
  if (Options.Contains(pngGrayscaleOnDisabled)) GreyPngImage(&copy, 255);
  Canvas->StretchDraw(ARect, &copy);
}

void BlendPngImage(TPngGraphic* Png, uint8_t Amount) {
  if (!Png || Png->Empty()) return;
  TChunkIHDR* h = Png->Header();
  const int w = Png->Width(), ht = Png->Height();
  if (h->ColorType == 0 || h->ColorType == 3) {
    // Grey and palette images become RGB images with alpha.
    std::vector<TPngPixel> pixels;
    pixels.reserve(static_cast<size_t>(w) * ht);
    for (int y = 0; y < ht; ++y)
      for (int x = 0; x < w; ++x) pixels.push_back(PngPixel(Png, x, y));
    TPngGraphic rgba;
    rgba.CreateBlank(6, 8, w, ht);
    for (int y = 0; y < ht; ++y) {
      uint8_t* row = rgba.Scanline(y);
      uint8_t* alpha = rgba.AlphaScanline(y);
      for (int x = 0; x < w; ++x) {
        const TPngPixel& p = pixels[static_cast<size_t>(y) * w + x];
        row[x * 3] = p.B;
        row[x * 3 + 1] = p.G;
        row[x * 3 + 2] = p.R;
        // An opaque pixel takes the amount itself; a partly clear palette entry keeps its share.
        alpha[x] = p.A == 255 ? Amount : static_cast<uint8_t>(RoundScaled(p.A, Amount + 1));
      }
    }
    Png->Assign(&rgba);
    return;
  }
  TColor clear = Png->TransparencyMode() == ptmBit ? Png->TransparentColor() : clNone;
  Png->CreateAlpha();
  if (auto* trns = Png->Chunks()->ItemFromClass<TChunktRNS>()) Png->Chunks()->Remove(trns);
  for (int y = 0; y < ht; ++y) {
    uint8_t* alpha = Png->AlphaScanline(y);
    for (int x = 0; x < w; ++x)
      alpha[x] =
          clear != clNone && Png->Pixels(x, y) == clear ? 0 : static_cast<uint8_t>(RoundScaled(alpha[x], Amount + 1));
  }
  Png->SetModified(true);
}

namespace {
// One colour moved towards its grey; the sum is kept within a byte (white would wrap to 0).
void GreyColor(uint8_t& r, uint8_t& g, uint8_t& b, int amount) {
  int grey = static_cast<int>(std::lround(0.3 * r + 0.59 * g + 0.11 * b));
  int share = RoundScaled(grey, amount + 1);
  for (uint8_t* c : {&r, &g, &b}) *c = static_cast<uint8_t>(std::min(255, RoundScaled(*c, 255 - amount) + share));
}
}  // namespace

void GreyPngImage(TPngGraphic* Png, uint8_t Amount) {
  if (!Png || Png->Empty()) return;
  TChunkIHDR* h = Png->Header();
  if (h->ColorType == 0 || h->ColorType == 4) return;
  if (h->ColorType == 3) {
    for (int i = 0; i < (1 << h->BitCount()); ++i) {
      RGBQUAD& q = h->PaletteEntries()[i];
      GreyColor(q.rgbRed, q.rgbGreen, q.rgbBlue, Amount);
    }
    h->ApplyPalette();
    Png->SetModified(true);
    return;
  }
  TColor clear = Png->TransparencyMode() == ptmBit ? Png->TransparentColor() : clNone;
  for (int y = 0; y < Png->Height(); ++y) {
    uint8_t* row = Png->Scanline(y);
    for (int x = 0; x < Png->Width(); ++x) GreyColor(row[x * 3 + 2], row[x * 3 + 1], row[x * 3], Amount);
  }
  if (clear != clNone) {  // the transparent colour goes grey with the pixels
    uint32_t c = ColorToRGB(clear);
    uint8_t r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
    GreyColor(r, g, b, Amount);
    Png->SetTransparentColor(static_cast<TColor>(RGB(r, g, b)));
  }
  Png->SetModified(true);
}

void GraphicToPng(TGraphic* Graphic, TPngGraphic* Png) {
  if (!Graphic || !Png) return;
  if (auto* png = dynamic_cast<TPngGraphic*>(Graphic)) {
    Png->Assign(png);
    return;
  }
  const int w = Graphic->Width(), h = Graphic->Height();
  if (w <= 0 || h <= 0) {
    Png->Assign(nullptr);
    return;
  }
  TBitmap image;
  image.SetPixelFormat(pf24bit);
  image.SetSize(w, h);
  std::vector<uint8_t> alpha(static_cast<size_t>(w) * h, 255);
  if (auto* bitmap = dynamic_cast<TBitmap*>(Graphic)) {
    TBitmap opaque;
    opaque.Assign(bitmap);
    opaque.SetTransparent(false);
    image.Canvas()->Draw(0, 0, &opaque);
    if (bitmap->Transparent()) {
      uint32_t key = ColorToRGB(bitmap->TransparentColor()) & 0xFFFFFF;
      std::vector<uint32_t> pixels = ReadPixels(image.Handle(), w, h);
      for (size_t i = 0; i < pixels.size(); ++i)
        if (Rgb(pixels[i] & 0xFFFFFF) == key) alpha[i] = 0;
    }
  } else if (auto* icon = dynamic_cast<TIcon*>(Graphic)) {
    ICONINFO info{};
    if (!GetIconInfo(icon->Handle(), &info)) return;
    TBitmapHandle color(info.hbmColor), mask(info.hbmMask);
    DrawIconEx(image.Canvas()->Handle(), 0, 0, icon->Handle(), w, h, 0, nullptr, DI_IMAGE);
    std::vector<uint32_t> maskPixels = ReadPixels(mask.Get(), w, h);
    for (size_t i = 0; i < alpha.size(); ++i)
      if ((maskPixels[i] & 0xFFFFFF) != 0) alpha[i] = 0;
    BITMAP bm{};
    if (color && GetObjectW(color.Get(), sizeof bm, &bm) && bm.bmBitsPixel == 32 && IconAlphaSupported()) {
      // The icon's own alpha, read through a header with bit masks.
      BITMAPV4HEADER v4 = AlphaBitmapHeader(w, h);
      std::vector<uint32_t> pixels(static_cast<size_t>(w) * h);
      TWindowDC screen;
      GetDIBits(screen.Get(), color.Get(), 0, static_cast<UINT>(h), pixels.data(), reinterpret_cast<BITMAPINFO*>(&v4),
                DIB_RGB_COLORS);
      if (std::any_of(pixels.begin(), pixels.end(), [](uint32_t p) { return (p >> 24) != 0; })) {
        for (size_t i = 0; i < pixels.size(); ++i) alpha[i] = static_cast<uint8_t>(pixels[i] >> 24);
        // The colours as stored, not as drawn over black.
        for (int y = 0; y < h; ++y) {
          auto* row = static_cast<uint8_t*>(image.ScanLine(y));
          for (int x = 0; x < w; ++x) {
            uint32_t p = pixels[static_cast<size_t>(y) * w + x];
            row[x * 3] = static_cast<uint8_t>(p);
            row[x * 3 + 1] = static_cast<uint8_t>(p >> 8);
            row[x * 3 + 2] = static_cast<uint8_t>(p >> 16);
          }
        }
      }
    }
  } else {
    image.Canvas()->Draw(0, 0, Graphic);
  }
  AssignWithAlpha(Png, &image, alpha);
}

void BitmapMaskToPng(TBitmap* Color, TBitmap* Mask, TPngGraphic* Png, bool InverseMask) {
  if (!Color || !Png || Color->Empty()) return;
  TBitmap image;
  image.Assign(Color);
  if (image.PixelFormat() != pf24bit && image.PixelFormat() != pf32bit) image.SetPixelFormat(pf24bit);
  image.SetTransparent(false);
  const int w = image.Width(), h = image.Height();
  std::vector<uint8_t> alpha(static_cast<size_t>(w) * h, 255);
  if (Mask && !Mask->Empty()) {
    std::vector<uint32_t> maskPixels = ReadPixels(Mask->Handle(), w, h);
    for (size_t i = 0; i < alpha.size(); ++i) {
      int red = Red(maskPixels[i]);
      alpha[i] = static_cast<uint8_t>(InverseMask ? 255 - red : red);
    }
  }
  AssignWithAlpha(Png, &image, alpha, true);
}

void BitmapColorKeyToPng(TBitmap* Image, TColor MaskColor, TPngGraphic* Png) {
  if (!Image || !Png || Image->Empty()) return;
  TBitmap image;
  image.Assign(Image);
  if (image.PixelFormat() != pf24bit && image.PixelFormat() != pf32bit) image.SetPixelFormat(pf24bit);
  image.SetTransparent(false);
  const int w = image.Width(), h = image.Height();
  uint32_t key = ColorToRGB(MaskColor == clDefault ? Image->TransparentColor() : MaskColor) & 0xFFFFFF;
  std::vector<uint32_t> pixels = ReadPixels(image.Handle(), w, h);
  std::vector<uint8_t> alpha(pixels.size(), 255);
  for (size_t i = 0; i < pixels.size(); ++i)
    if (MaskColor != clNone && Rgb(pixels[i] & 0xFFFFFF) == key) alpha[i] = 0;
  AssignWithAlpha(Png, &image, alpha, true);
}

void ImageListEntryToPng(TPngGraphic* Png, TCustomImageList* ImageList, int Index) {
  if (!Png || !ImageList) return;
  if (auto* pngList = dynamic_cast<TPngImageList*>(ImageList)) {
    if (Index < 0 || Index >= pngList->PngImages()->Count()) return;
    Png->Assign(pngList->PngImages()->Items(Index)->PngImage());
    return;
  }
  if (Index < 0 || Index >= ImageList->Count()) return;
  TIcon icon;
  ImageList->GetIcon(Index, &icon);
  GraphicToPng(&icon, Png);
}
