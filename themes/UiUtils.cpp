// Colour arithmetic, clNone-aware GDI helpers, icon effects and gradients for the themed painters.
#include "themes/UiUtils.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string>

#include "framework/Exceptions.h"
#include "framework/ImageList.h"
#include "framework/SystemHandles.h"

namespace {

using TAnyGdiObject = TGdiOwner<HGDIOBJ, gdi_detail::DeleteObjectFree>;

uint32_t Resolve(TColor c) { return ColorToRGB(c) & 0xFFFFFF; }
int Red(uint32_t c) { return c & 0xFF; }
int Green(uint32_t c) { return (c >> 8) & 0xFF; }
int Blue(uint32_t c) { return (c >> 16) & 0xFF; }
TColor MakeColor(int r, int g, int b) { return TColor(r | (g << 8) | (b << 16)); }
int Clamp255(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

// A top-down 32-bit DIB section with its pixels reachable (0xAARRGGBB each).
struct TDib {
  TBitmapHandle Bitmap;
  uint32_t* Bits = nullptr;
  int Width = 0;
  int Height = 0;

  void Make(int w, int h) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    Bitmap.Reset(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    Bits = Bitmap ? static_cast<uint32_t*>(bits) : nullptr;
    Width = Bitmap ? w : 0;
    Height = Bitmap ? h : 0;
  }
  // Grows (never shrinks) to hold w x h.
  bool Reserve(int w, int h) {
    if (w <= Width && h <= Height) return true;
    Make(std::max(w, Width), std::max(h, Height));
    return Bits != nullptr;
  }
};

// A cache record: two keys and up to eight objects made for them.
struct TGdiCacheRecord {
  int Key1 = -1;
  int Key2 = -1;
  std::array<TAnyGdiObject, 8> Handles;
  void Clear() {
    for (auto& h : Handles) h.Reset();
    Key1 = Key2 = -1;
  }
};

struct TGradientEntry {
  int N = 0;
  uint32_t C1 = 0, C2 = 0;
  std::vector<TColor> Colors;
};

struct TUiUtilsState {
  TUiOptionalFunctions Functions;
  TModuleHandle Msimg32;
  TDib Scratch1, Scratch2;
  TBitmapHandle MonoScratch;
  int MonoWidth = 0, MonoHeight = 0;
  TBitmapHandle NearestBitmap;
  TCreatedDC NearestDC;
  TSelectObject NearestSelect;
  TFontHandle SmallCaptionFont;
  std::array<TGradientEntry, 16> Gradients;
  int NextGradient = 0;
  std::array<TGdiCacheRecord, 8> GdiCache;
  int NextGdiRecord = 0;

  TUiUtilsState() {
    if (HMODULE user32 = GetModuleHandleW(L"user32.dll"))
      Functions.UpdateLayeredWindow = reinterpret_cast<decltype(Functions.UpdateLayeredWindow)>(
          reinterpret_cast<void*>(GetProcAddress(user32, "UpdateLayeredWindow")));
    Msimg32 = TModuleHandle(L"msimg32.dll");
    Functions.AlphaBlend = Msimg32.Proc<decltype(Functions.AlphaBlend)>("AlphaBlend");
    if (static_cast<int32_t>(GetVersion()) >= 0)  // Windows NT only
      Functions.GradientFill = Msimg32.Proc<decltype(Functions.GradientFill)>("GradientFill");
    BuildScratch();
  }
  ~TUiUtilsState() {
    ClearGdiCache();
    for (auto& g : Gradients) g = TGradientEntry();
    NearestSelect.Restore();
  }

  void BuildScratch() {
    Scratch1 = TDib();
    Scratch2 = TDib();
    MonoScratch.Reset();
    MonoWidth = MonoHeight = 0;
    NearestSelect.Restore();
    NearestDC.Reset();
    NearestBitmap.Reset();
    TWindowDC screen;
    NearestDC.Reset(CreateCompatibleDC(screen.Get()));
    NearestBitmap.Reset(CreateCompatibleBitmap(screen.Get(), 8, 8));
    if (NearestDC && NearestBitmap) NearestSelect.Select(NearestDC.Get(), NearestBitmap.Get());
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof(ncm);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0))
      SmallCaptionFont.Reset(CreateFontIndirectW(&ncm.lfSmCaptionFont));
    else
      SmallCaptionFont.Reset();
  }

  void ClearGdiCache() {
    for (auto& r : GdiCache) r.Clear();
  }

  HBITMAP Mono(int w, int h) {
    if (w > MonoWidth || h > MonoHeight) {
      MonoWidth = std::max(w, MonoWidth);
      MonoHeight = std::max(h, MonoHeight);
      MonoScratch.Reset(CreateBitmap(MonoWidth, MonoHeight, 1, 1, nullptr));
    }
    return MonoScratch.Get();
  }
};

TUiUtilsState& State() {
  static TUiUtilsState state;
  return state;
}

// A DC for drawing, with a pen and brush selected and put back at the end.
class TPenBrush {
 public:
  TPenBrush(HDC dc, TColor fill, TColor outline) : pen_(CreatePenEx(outline)), brush_(CreateBrushEx(fill)) {
    select_.Select(dc, pen_.Get());
    select2_.Select(dc, brush_.Get());
  }

 private:
  TPenHandle pen_;
  TBrushHandle brush_;
  TSelectObject select_, select2_;
};

std::vector<POINT> ToPoints(const std::vector<TPoint>& points) {
  std::vector<POINT> out;
  out.reserve(points.size());
  for (const TPoint& p : points) out.push_back(POINT{p.X, p.Y});
  return out;
}

// One channel of a gradient array. Rounding is symmetric, so that a falling channel ends on
// its end value as a rising one does.
int GradientChannel(int c1, int c2, int i, int n) {
  if (n == 1) return c1 + (c2 - c1) / 2;
  int d = (c2 - c1) * i;
  int half = (n - 1) / 2;
  return c1 + (d >= 0 ? (d + half) : (d - half)) / (n - 1);
}

// Pixels of the image: those that differ between the copy of the background and the copy the
// image was drawn on. `effect` turns (background, image) into the pixel shown.
template <class Effect>
void ApplyIconEffect(HDC dc, const TRect& r, int width, int height, const TUiImageDrawProc& draw, Effect effect) {
  int w = std::min(width, r.Width());
  int h = std::min(height, r.Height());
  if (w <= 0 || h <= 0 || !draw) return;
  TUiUtilsState& s = State();
  if (!s.Scratch1.Reserve(w, h) || !s.Scratch2.Reserve(w, h)) return;
  TCreatedDC dc1(CreateCompatibleDC(dc)), dc2(CreateCompatibleDC(dc));
  TSelectObject sel1(dc1.Get(), s.Scratch1.Bitmap.Get()), sel2(dc2.Get(), s.Scratch2.Bitmap.Get());
  BitBlt(dc1.Get(), 0, 0, w, h, dc, r.Left, r.Top, SRCCOPY);
  BitBlt(dc2.Get(), 0, 0, w, h, dc, r.Left, r.Top, SRCCOPY);
  GdiFlush();
  {
    TSaveDC saved(dc2.Get());
    IntersectClipRect(dc2.Get(), 0, 0, w, h);
    draw(dc2.Get(), 0, 0);
  }
  GdiFlush();
  for (int y = 0; y < h; ++y) {
    uint32_t* back = s.Scratch1.Bits + static_cast<size_t>(y) * s.Scratch1.Width;
    const uint32_t* image = s.Scratch2.Bits + static_cast<size_t>(y) * s.Scratch2.Width;
    for (int x = 0; x < w; ++x) {
      uint32_t b = back[x] & 0xFFFFFF, i = image[x] & 0xFFFFFF;
      if (b != i) back[x] = effect(b, i) & 0xFFFFFF;
    }
  }
  BitBlt(dc, r.Left, r.Top, w, h, dc1.Get(), 0, 0, SRCCOPY);
}

TUiImageDrawProc ImageListDrawer(TCustomImageList* list, int index) {
  if (!list || index < 0 || index >= list->Count()) return {};
  return [list, index](HDC dc, int x, int y) { ImageList_Draw(list->Handle(), index, dc, x, y, ILD_NORMAL); };
}

// Scanline pixels are 0xRRGGBB: luminance weights of the icon effects (they sum to 255).
int IconLuminance(uint32_t p) { return ((p >> 16) & 0xFF) * 76 + ((p >> 8) & 0xFF) * 150 + (p & 0xFF) * 29; }

// Draws the black pixels of the monochrome bitmap in `mono` in Color; white pixels leave the
// destination as it is.
void DrawMonoInColor(HDC dc, int x, int y, int w, int h, HDC mono, TColor color) {
  if (color == clNone) return;
  TBrushHandle brush(CreateSolidBrush(Resolve(color)));
  TSelectObject sel(dc, brush.Get());
  // The raster operation paints where the source is white: the black pixels are turned white.
  COLORREF oldText = SetTextColor(dc, 0xFFFFFF);
  COLORREF oldBk = SetBkColor(dc, 0);
  BitBlt(dc, x, y, w, h, mono, 0, 0, 0xE20746);
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBk);
}

}  // namespace

// ---- colour arithmetic ----

TColor MixColors(TColor C1, TColor C2, int W) {
  UI_ASSERT(W >= 0 && W < 256);
  uint32_t a = Resolve(C1), b = Resolve(C2);
  uint32_t rb = (((a & 0xFF00FF) * W + (b & 0xFF00FF) * (255 - W)) >> 8) & 0xFF00FF;
  uint32_t g = (((a & 0xFF00) * W + (b & 0xFF00) * (255 - W)) >> 8) & 0xFF00;
  return TColor(static_cast<int32_t>(rb | g));
}

TColor MixColorsNearest(TColor C1, TColor C2, int W) {
  TColor mixed = MixColors(C1, C2, W);
  TUiUtilsState& s = State();
  if (!s.NearestDC) return mixed;
  COLORREF nearest = GetNearestColor(s.NearestDC.Get(), static_cast<COLORREF>(mixed));
  return nearest == CLR_INVALID ? mixed : TColor(static_cast<int32_t>(nearest));
}

TColor MixColorsPercent(TColor C1, TColor C2, int W) {
  UI_ASSERT(W >= 0 && W <= 1000);
  int d = W < 100 ? 100 : 1000;
  uint32_t a = Resolve(C1), b = Resolve(C2);
  auto mix = [&](int c1, int c2) { return (c2 * (d - W) + c1 * W + d / 2) / d; };
  return MakeColor(mix(Red(a), Red(b)), mix(Green(a), Green(b)), mix(Blue(a), Blue(b)));
}

TColor ShiftColorChannels(TColor Color, int Amount) {
  uint32_t c = Resolve(Color);
  return MakeColor(Clamp255(Red(c) + Amount), Clamp255(Green(c) + Amount), Clamp255(Blue(c) + Amount));
}

bool IsDarkColor(TColor Color, int Threshold) {
  uint32_t c = Resolve(Color);
  return Red(c) * 76 + Green(c) * 150 + Blue(c) * 30 < Threshold * 256;
}

uint32_t ColorToScanline(TColor Color) {
  uint32_t c = Resolve(Color);
  return 0xFF000000u | (static_cast<uint32_t>(Red(c)) << 16) | (static_cast<uint32_t>(Green(c)) << 8) |
         static_cast<uint32_t>(Blue(c));
}

// ---- GDI helpers ----

TPenHandle CreatePenEx(TColor Color) {
  if (Color == clNone) return TPenHandle(CreatePen(PS_NULL, 1, 0));
  return TPenHandle(CreatePen(PS_SOLID, 1, Resolve(Color)));
}

TBrushHandle CreateBrushEx(TColor Color) {
  if (Color == clNone) {
    LOGBRUSH lb{BS_HOLLOW, 0, 0};
    return TBrushHandle(CreateBrushIndirect(&lb));
  }
  return TBrushHandle(CreateSolidBrush(Resolve(Color)));
}

bool FillRectEx(HDC DC, const TRect& R, TColor Color) {
  if (Color == clNone) return false;
  RECT r = ToRECT(R);
  if (IsSystemColor(Color)) {
    FillRect(DC, &r, GetSysColorBrush(static_cast<int>(static_cast<uint32_t>(Color) & 0xFF)));
  } else {
    TBrushHandle brush(CreateSolidBrush(Resolve(Color)));
    FillRect(DC, &r, brush.Get());
  }
  return true;
}

void FrameRectEx(HDC DC, TRect& R, TColor Color, bool Adjust) {
  if (Color != clNone) {
    TBrushHandle brush(CreateSolidBrush(Resolve(Color)));
    RECT r = ToRECT(R);
    FrameRect(DC, &r, brush.Get());
  }
  if (Adjust) R = TRect{R.Left + 1, R.Top + 1, R.Right - 1, R.Bottom - 1};
}

void DrawLineEx(HDC DC, int X1, int Y1, int X2, int Y2, TColor Color) {
  if (Color == clNone) return;
  TPenHandle pen(CreatePenEx(Color));
  TSelectObject sel(DC, pen.Get());
  POINT old;
  MoveToEx(DC, X1, Y1, &old);
  LineTo(DC, X2, Y2);
  MoveToEx(DC, old.x, old.y, nullptr);
}

void PolyLineEx(HDC DC, const std::vector<TPoint>& Points, TColor Color) {
  if (Color == clNone || Points.empty()) return;
  TPenHandle pen(CreatePenEx(Color));
  TSelectObject sel(DC, pen.Get());
  std::vector<POINT> pts = ToPoints(Points);
  Polyline(DC, pts.data(), static_cast<int>(pts.size()));
}

void PolygonEx(HDC DC, const std::vector<TPoint>& Points, TColor Fill, TColor Outline) {
  if ((Fill == clNone && Outline == clNone) || Points.empty()) return;
  TPenBrush objects(DC, Fill, Outline);
  std::vector<POINT> pts = ToPoints(Points);
  Polygon(DC, pts.data(), static_cast<int>(pts.size()));
}

void RoundRectEx(HDC DC, int Left, int Top, int Right, int Bottom, int CornerW, int CornerH, TColor Fill,
                 TColor Outline) {
  if (Fill == clNone && Outline == clNone) return;
  TPenBrush objects(DC, Fill, Outline);
  // A null pen draws the shape one pixel smaller on the right and bottom.
  int extra = Outline == clNone ? 1 : 0;
  RoundRect(DC, Left, Top, Right + extra, Bottom + extra, CornerW, CornerH);
}

void RoundRectEx(HDC DC, const TRect& R, int CornerW, int CornerH, TColor Fill, TColor Outline) {
  RoundRectEx(DC, R.Left, R.Top, R.Right, R.Bottom, CornerW, CornerH, Fill, Outline);
}

void DitherRect(HDC DC, const TRect& R, TColor C1, TColor C2) {
  if (C1 == clNone || C2 == clNone) return;
  uint32_t a = Resolve(C1), b = Resolve(C2);
  TUiUtilsState& s = State();
  // The two-colour pattern brushes are kept in the GDI cache by their two colours.
  TGdiCacheRecord* record = nullptr;
  for (auto& r : s.GdiCache)
    if (r.Key1 == static_cast<int>(a) && r.Key2 == static_cast<int>(b) && r.Handles[0]) record = &r;
  if (!record) {
    record = &s.GdiCache[s.NextGdiRecord];
    s.NextGdiRecord = (s.NextGdiRecord + 1) % static_cast<int>(s.GdiCache.size());
    record->Clear();
    TDib pattern;
    pattern.Make(8, 8);
    if (!pattern.Bits) return;
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x)
        pattern.Bits[y * 8 + x] = ((x + y) % 2 == 0) ? ColorToScanline(C1) : ColorToScanline(C2);
    record->Handles[0].Reset(CreatePatternBrush(pattern.Bitmap.Get()));
    record->Handles[1].Reset(pattern.Bitmap.Release());
    if (!record->Handles[0]) return;
    record->Key1 = static_cast<int>(a);
    record->Key2 = static_cast<int>(b);
  }
  POINT org;
  SetBrushOrgEx(DC, 0, 0, &org);
  RECT r = ToRECT(R);
  FillRect(DC, &r, static_cast<HBRUSH>(record->Handles[0].Get()));
  SetBrushOrgEx(DC, org.x, org.y, nullptr);
}

void FrameRect3D(HDC DC, TRect& R, TColor TopLeft, TColor BottomRight, bool Adjust) {
  FillRectEx(DC, TRect{R.Left, R.Top, R.Right - 1, R.Top + 1}, TopLeft);
  FillRectEx(DC, TRect{R.Left, R.Top, R.Left + 1, R.Bottom - 1}, TopLeft);
  FillRectEx(DC, TRect{R.Left, R.Bottom - 1, R.Right, R.Bottom}, BottomRight);
  FillRectEx(DC, TRect{R.Right - 1, R.Top, R.Right, R.Bottom}, BottomRight);
  if (Adjust) R = TRect{R.Left + 1, R.Top + 1, R.Right - 1, R.Bottom - 1};
}

void DrawGlyph(HDC DC, int X, int Y, TCustomImageList* ImageList, int Index, TColor Color) {
  if (!ImageList || Index < 0 || Index >= ImageList->Count() || Color == clNone) return;
  int w = ImageList->Width(), h = ImageList->Height();
  HBITMAP mono = State().Mono(w, h);
  if (!mono) return;
  TCreatedDC monoDC(CreateCompatibleDC(DC));
  TSelectObject sel(monoDC.Get(), mono);
  PatBlt(monoDC.Get(), 0, 0, w, h, WHITENESS);
  // The mask has black where the image is opaque.
  ImageList_Draw(ImageList->Handle(), Index, monoDC.Get(), 0, 0, ILD_MASK);
  DrawMonoInColor(DC, X, Y, w, h, monoDC.Get(), Color);
}

void DrawGlyph(HDC DC, const TRect& R, TCustomImageList* ImageList, int Index, TColor Color) {
  if (!ImageList) return;
  DrawGlyph(DC, R.Left + (R.Width() - ImageList->Width()) / 2, R.Top + (R.Height() - ImageList->Height()) / 2,
            ImageList, Index, Color);
}

void DrawGlyph(HDC DC, int X, int Y, const uint8_t (&Pattern)[8], TColor Color) {
  // Rows of a monochrome bitmap are word-aligned; set bits are white there, so invert.
  uint16_t rows[8];
  for (int i = 0; i < 8; ++i) rows[i] = static_cast<uint16_t>(static_cast<uint8_t>(~Pattern[i]) | 0xFF00);
  TBitmapHandle bitmap(CreateBitmap(8, 8, 1, 1, rows));
  TCreatedDC monoDC(CreateCompatibleDC(DC));
  TSelectObject sel(monoDC.Get(), bitmap.Get());
  DrawMonoInColor(DC, X, Y, 8, 8, monoDC.Get(), Color);
}

void GradFill(HDC DC, const TRect& R, TColor C1, TColor C2, bool Horizontal) {
  if (R.IsEmpty() || C1 == clNone || C2 == clNone) return;
  uint32_t a = Resolve(C1), b = Resolve(C2);
  if (auto gradientFill = State().Functions.GradientFill) {
    TRIVERTEX v[2] = {};
    v[0].x = R.Left;
    v[0].y = R.Top;
    v[0].Red = static_cast<COLOR16>(Red(a) << 8);
    v[0].Green = static_cast<COLOR16>(Green(a) << 8);
    v[0].Blue = static_cast<COLOR16>(Blue(a) << 8);
    v[1].x = R.Right;
    v[1].y = R.Bottom;
    v[1].Red = static_cast<COLOR16>(Red(b) << 8);
    v[1].Green = static_cast<COLOR16>(Green(b) << 8);
    v[1].Blue = static_cast<COLOR16>(Blue(b) << 8);
    GRADIENT_RECT gr{0, 1};
    gradientFill(DC, v, 2, &gr, 1, Horizontal ? GRADIENT_FILL_RECT_H : GRADIENT_FILL_RECT_V);
    return;
  }
  int n = Horizontal ? R.Width() : R.Height();
  const std::vector<TColor>& colors = GradientColors(n, C1, C2);
  RECT clip;
  if (GetClipBox(DC, &clip) == ERROR) clip = ToRECT(R);
  int from = Horizontal ? std::max(R.Left, static_cast<int>(clip.left)) : std::max(R.Top, static_cast<int>(clip.top));
  int to =
      Horizontal ? std::min(R.Right, static_cast<int>(clip.right)) : std::min(R.Bottom, static_cast<int>(clip.bottom));
  int start = Horizontal ? R.Left : R.Top;
  for (int p = from; p < to; ++p) {
    TRect line = Horizontal ? TRect{p, R.Top, p + 1, R.Bottom} : TRect{R.Left, p, R.Right, p + 1};
    FillRectEx(DC, line, colors[p - start]);
  }
}

// ---- gradient colour arrays ----

const std::vector<TColor>& GradientColors(int N, TColor C1, TColor C2) {
  UI_ASSERT(N >= 1);
  TUiUtilsState& s = State();
  uint32_t a = Resolve(C1), b = Resolve(C2);
  // Newest first: walk the ring backwards from the slot made last.
  for (int k = 1; k <= 16; ++k) {
    TGradientEntry& e = s.Gradients[(s.NextGradient - k + 16) % 16];
    if (e.N == N && e.C1 == a && e.C2 == b) return e.Colors;
  }
  TGradientEntry& e = s.Gradients[s.NextGradient];
  s.NextGradient = (s.NextGradient + 1) % 16;
  e.N = N;
  e.C1 = a;
  e.C2 = b;
  e.Colors.assign(static_cast<size_t>(N), TColor(0));
  for (int i = 0; i < N; ++i)
    e.Colors[i] = MakeColor(GradientChannel(Red(a), Red(b), i, N), GradientChannel(Green(a), Green(b), i, N),
                            GradientChannel(Blue(a), Blue(b), i, N));
  return e.Colors;
}

bool GradientCached(int N, TColor C1, TColor C2) {
  uint32_t a = Resolve(C1), b = Resolve(C2);
  for (const TGradientEntry& e : State().Gradients)
    if (e.N == N && e.C1 == a && e.C2 == b) return true;
  return false;
}

void ClearGradientCache() {
  TUiUtilsState& s = State();
  for (auto& e : s.Gradients) e = TGradientEntry();
  s.NextGradient = 0;
}

// ---- icon effects ----

void DrawBlendedIcon(HDC DC, const TRect& R, int Width, int Height, const TUiImageDrawProc& Draw, int Opacity,
                     TColor Color) {
  UI_ASSERT(Opacity >= 0 && Opacity <= 255);
  uint32_t c = ColorToScanline(Color);
  ApplyIconEffect(DC, R, Width, Height, Draw, [&](uint32_t, uint32_t image) {
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
      uint32_t i = (image >> shift) & 0xFF, k = (c >> shift) & 0xFF;
      out |= ((i * Opacity + k * (255 - Opacity)) >> 8) << shift;
    }
    return out;
  });
}

void DrawBlendedIcon(HDC DC, const TRect& R, TCustomImageList* ImageList, int Index, int Opacity, TColor Color) {
  if (!ImageList) return;
  DrawBlendedIcon(DC, R, ImageList->Width(), ImageList->Height(), ImageListDrawer(ImageList, Index), Opacity, Color);
}

void DrawShadowedIcon(HDC DC, const TRect& R, int Width, int Height, const TUiImageDrawProc& Draw, int Level) {
  UI_ASSERT(Level >= 0 && Level < 3);
  static constexpr int kDivisor[3] = {3, 8, 20};
  static constexpr int kBase[3] = {170, 224, 243};
  ApplyIconEffect(DC, R, Width, Height, Draw, [&](uint32_t back, uint32_t image) {
    uint32_t factor = static_cast<uint32_t>((IconLuminance(image) >> 8) / kDivisor[Level] + kBase[Level]);
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) out |= ((((back >> shift) & 0xFF) * factor) >> 8) << shift;
    return out;
  });
}

void DrawShadowedIcon(HDC DC, const TRect& R, TCustomImageList* ImageList, int Index, int Level) {
  if (!ImageList) return;
  DrawShadowedIcon(DC, R, ImageList->Width(), ImageList->Height(), ImageListDrawer(ImageList, Index), Level);
}

void DrawHighContrastIcon(HDC DC, const TRect& R, int Width, int Height, const TUiImageDrawProc& Draw) {
  ApplyIconEffect(DC, R, Width, Height, Draw, [](uint32_t, uint32_t image) {
    int l = IconLuminance(image);
    uint32_t p = l > 64768 ? 0x000000 : (l < 25600 ? 0xFFFFFF : image);
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8)
      out |= static_cast<uint32_t>(Clamp255(static_cast<int>((p >> shift) & 0xFF) + 32)) << shift;
    return out;
  });
}

void DrawHighContrastIcon(HDC DC, const TRect& R, TCustomImageList* ImageList, int Index) {
  if (!ImageList) return;
  DrawHighContrastIcon(DC, R, ImageList->Width(), ImageList->Height(), ImageListDrawer(ImageList, Index));
}

// ---- unit state ----

TUiOptionalFunctions& UiOptionalFunctions() { return State().Functions; }

HFONT UiSmallCaptionFont() { return State().SmallCaptionFont.Get(); }

void UiUtilsSystemChanged() {
  TUiUtilsState& s = State();
  s.ClearGdiCache();
  s.BuildScratch();
}

void UiUtilsClearGdiCache() { State().ClearGdiCache(); }

void UiAssertionFailed(const char* File, int Line) {
  throw EAssertionFailed("Assertion failure (" + std::string(File) + ", line " + std::to_string(Line) + ")");
}
