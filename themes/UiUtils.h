// Colour arithmetic and GDI helpers shared by every themed painter: mixing and shifting colours,
// drawing that treats clNone as "draw nothing", icon effects, gradients with a colour cache.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "framework/Colors.h"
#include "framework/GdiHandles.h"
#include "framework/Types.h"
#include "framework/Win.h"

class TCustomImageList;

// ---- colour arithmetic (system colours are resolved first) ----

// Per channel (C1 * W + C2 * (255 - W)) div 256, W in 0..255. The division by 256 is kept on
// purpose: painted colours of the themes depend on it, so W = 255 gives one step below C1.
TColor MixColors(TColor C1, TColor C2, int W);
// MixColors, then the nearest colour the screen can show.
TColor MixColorsNearest(TColor C1, TColor C2, int W);
// W percent of C1 when W < 100; from 100 on, W is read as per mille (100 gives 10 percent).
TColor MixColorsPercent(TColor C1, TColor C2, int W);
// Adds Amount to each channel, clamped to 0..255.
TColor ShiftColorChannels(TColor Color, int Amount);
// R * 76 + G * 150 + B * 30 below Threshold * 256.
bool IsDarkColor(TColor Color, int Threshold);
// The colour as a 32-bit scanline pixel, 0xFFRRGGBB.
uint32_t ColorToScanline(TColor Color);

// ---- GDI helpers; a clNone colour draws nothing ----

TPenHandle CreatePenEx(TColor Color);
TBrushHandle CreateBrushEx(TColor Color);
// Whether anything was painted.
bool FillRectEx(HDC DC, const TRect& R, TColor Color);
// Frames R; with Adjust, R shrinks by one pixel on every side.
void FrameRectEx(HDC DC, TRect& R, TColor Color, bool Adjust);
void DrawLineEx(HDC DC, int X1, int Y1, int X2, int Y2, TColor Color);
void PolyLineEx(HDC DC, const std::vector<TPoint>& Points, TColor Color);
void PolygonEx(HDC DC, const std::vector<TPoint>& Points, TColor Fill, TColor Outline);
void RoundRectEx(HDC DC, const TRect& R, int CornerW, int CornerH, TColor Fill, TColor Outline);
void RoundRectEx(HDC DC, int Left, int Top, int Right, int Bottom, int CornerW, int CornerH, TColor Fill,
                 TColor Outline);
// Fills R with a checkerboard of C1 and C2 (C1 on the pixels whose x + y is even).
void DitherRect(HDC DC, const TRect& R, TColor C1, TColor C2);
// TopLeft along the top and left edges, BottomRight along the bottom and right edges; with
// Adjust, R shrinks by one pixel on every side.
void FrameRect3D(HDC DC, TRect& R, TColor TopLeft, TColor BottomRight, bool Adjust);
// The opaque pixels of an image list entry drawn in one colour; the rectangle form centres it.
void DrawGlyph(HDC DC, int X, int Y, TCustomImageList* ImageList, int Index, TColor Color);
void DrawGlyph(HDC DC, const TRect& R, TCustomImageList* ImageList, int Index, TColor Color);
// An 8 x 8 pattern: bit 0x80 of a row is its leftmost pixel; set bits are drawn in Color.
void DrawGlyph(HDC DC, int X, int Y, const uint8_t (&Pattern)[8], TColor Color);
// A two-colour gradient across R, left to right when Horizontal, else top to bottom.
void GradFill(HDC DC, const TRect& R, TColor C1, TColor C2, bool Horizontal);

// ---- gradient colour arrays ----

// The N colours of a gradient from C1 to C2 (N >= 1), from the ring of the 16 arrays made last.
// The last entry is C2 exactly, falling channels included.
const std::vector<TColor>& GradientColors(int N, TColor C1, TColor C2);
// Whether the array for (N, C1, C2) is still in the ring.
bool GradientCached(int N, TColor C1, TColor C2);
void ClearGradientCache();

// ---- icon effects ----
// Each draws an image at the top-left corner of R (clipped to R) through two scratch bitmaps:
// the pixels the image changes are its own, the rest stay the background.

// Draws the image at (X, Y) of a DC.
using TUiImageDrawProc = std::function<void(HDC DC, int X, int Y)>;

// pixel := (image * Opacity + Color * (255 - Opacity)) div 256.
void DrawBlendedIcon(HDC DC, const TRect& R, int Width, int Height, const TUiImageDrawProc& Draw, int Opacity,
                     TColor Color);
void DrawBlendedIcon(HDC DC, const TRect& R, TCustomImageList* ImageList, int Index, int Opacity, TColor Color);
// The background darkened by the image's luminance; Level 0..2, lighter as it grows.
void DrawShadowedIcon(HDC DC, const TRect& R, int Width, int Height, const TUiImageDrawProc& Draw, int Level);
void DrawShadowedIcon(HDC DC, const TRect& R, TCustomImageList* ImageList, int Index, int Level);
// Very light pixels turn black and very dark ones white, then every channel is lightened by 32.
void DrawHighContrastIcon(HDC DC, const TRect& R, int Width, int Height, const TUiImageDrawProc& Draw);
void DrawHighContrastIcon(HDC DC, const TRect& R, TCustomImageList* ImageList, int Index);

// ---- unit state ----

// The system functions that may be missing; null when they are. Tests may replace them.
struct TUiOptionalFunctions {
  BOOL(WINAPI* UpdateLayeredWindow)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF, BLENDFUNCTION*, DWORD) = nullptr;
  BOOL(WINAPI* AlphaBlend)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION) = nullptr;
  BOOL(WINAPI* GradientFill)(HDC, TRIVERTEX*, ULONG, void*, ULONG, ULONG) = nullptr;
};
TUiOptionalFunctions& UiOptionalFunctions();
// The system's small-caption font (from the non-client metrics).
HFONT UiSmallCaptionFont();
// After a change of system colours, display or visual style: the cached GDI objects are
// deleted and the scratch bitmaps and caption font rebuilt.
void UiUtilsSystemChanged();
// Deletes the cached GDI objects only.
void UiUtilsClearGdiCache();
// Raises EAssertionFailed "Assertion failure (file, line N)".
[[noreturn]] void UiAssertionFailed(const char* File, int Line);
#define UI_ASSERT(cond)                                 \
  do {                                                  \
    if (!(cond)) UiAssertionFailed(__FILE__, __LINE__); \
  } while (0)
