// Drawing PNG images in a disabled look (blended, grey) and making PNG images with alpha from
// bitmaps, masks, colour keys, icons and image-list entries.
#pragma once
#include "controls/PngGraphic.h"

class TBitmap;
class TCustomImageList;

HV_ENUM(TPngOption, pngBlendOnDisabled, pngGrayscaleOnDisabled)
using TPngOptions = TSet<TPngOption>;

// Draws the image into the rectangle; with options, a copy blended (127) and/or greyed (255).
void DrawPngImage(TPngGraphic* Png, TCanvas* Canvas, const TRect& ARect, TPngOptions Options);
// Scales every alpha by (Amount + 1) / 256, giving images without alpha an alpha channel first.
void BlendPngImage(TPngGraphic* Png, uint8_t Amount);
// Moves every colour towards its grey by Amount (0 none, 255 all the way); grey images stay.
void GreyPngImage(TPngGraphic* Png, uint8_t Amount);

// The colour and the alpha of one pixel as drawn (alpha plane, palette alpha or the single
// transparent colour).
struct TPngPixel {
  uint8_t R, G, B, A;
};
TPngPixel PngPixel(TPngGraphic* Png, int X, int Y);

void GraphicToPng(TGraphic* Graphic, TPngGraphic* Png);
void BitmapMaskToPng(TBitmap* Color, TBitmap* Mask, TPngGraphic* Png, bool InverseMask);
void BitmapColorKeyToPng(TBitmap* Image, TColor MaskColor, TPngGraphic* Png);
// From a PNG image list, a copy of the item's image (nothing for an index out of range); from
// another list, the entry with its mask as alpha.
void ImageListEntryToPng(TPngGraphic* Png, TCustomImageList* ImageList, int Index);

// The header of a top-down 32-bit image whose fourth byte is alpha (bit masks for the colours
// and the alpha), as icons with their own alpha are read and made.
BITMAPV4HEADER AlphaBitmapHeader(int Width, int Height);

// Whether the system keeps an icon's own alpha (Windows XP and later: NT platform, 5.1 on).
bool IconAlphaSupported();
