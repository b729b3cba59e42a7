// The disabled look of images and the screen-resolution suffix.
#include "foundation/ApGraphUtils.h"

#include "framework/Conversions.h"
#include "framework/GdiHandles.h"

namespace {

// Paints the brush where the mask is dark and keeps the destination elsewhere.
constexpr DWORD kRopDSPDxax = 0x00E20746;

void PaintMask(HDC dest, int x, int y, int w, int h, HDC mask, TColor color) {
  TBrushHandle brush(CreateSolidBrush(ColorToRGB(color)));
  TSelectObject select(dest, brush.Get());
  // A monochrome source enters the raster operation through the text and background colours:
  // dark mask pixels become all ones, light ones all zeros.
  COLORREF oldText = SetTextColor(dest, RGB(255, 255, 255));
  COLORREF oldBack = SetBkColor(dest, RGB(0, 0, 0));
  BitBlt(dest, x, y, w, h, mask, 0, 0, kRopDSPDxax);
  SetTextColor(dest, oldText);
  SetBkColor(dest, oldBack);
}

}  // namespace

std::unique_ptr<TBitmap> MakeDisabledBitmapEx(TBitmap* Source, TColor OutlineColor, TColor BackColor,
                                              TColor HighlightColor, TColor ShadowColor, bool DrawHighlight) {
  auto result = std::make_unique<TBitmap>();
  if (!Source || Source->Empty()) return result;
  const int w = Source->Width(), h = Source->Height();
  result->SetSize(w, h);

  // The mask: pixels of the outline colour light, every other pixel dark.
  TWindowDC screen;
  TCreatedDC maskDC(CreateCompatibleDC(screen.Get()));
  TBitmapHandle mask(CreateBitmap(w, h, 1, 1, nullptr));
  TSelectObject selectMask(maskDC.Get(), mask.Get());
  HDC source = Source->Canvas()->Handle();
  COLORREF oldBack = SetBkColor(source, ColorToRGB(OutlineColor));
  BitBlt(maskDC.Get(), 0, 0, w, h, source, 0, 0, SRCCOPY);
  SetBkColor(source, oldBack);

  TCanvas* canvas = result->Canvas();
  canvas->Brush()->SetColor(BackColor);
  canvas->FillRect(Rect(0, 0, w, h));
  HDC dest = canvas->Handle();
  if (DrawHighlight) PaintMask(dest, 1, 1, w, h, maskDC.Get(), HighlightColor);
  PaintMask(dest, 0, 0, w, h, maskDC.Get(), ShadowColor);
  return result;
}

std::unique_ptr<TBitmap> MakeDisabledBitmap(TBitmap* Source, TColor OutlineColor) {
  return MakeDisabledBitmapEx(Source, OutlineColor, clBtnFace, clBtnHighlight, clBtnShadow, true);
}

AnsiString ScreenResolutionSuffix() {
  return "(" + IntToStr(GetSystemMetrics(SM_CXSCREEN)) + "x" + IntToStr(GetSystemMetrics(SM_CYSCREEN)) + ")";
}
