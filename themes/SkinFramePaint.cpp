// Painting a themed window frame and caption strip in off-screen bitmaps, and the title bar
// that makes a form look framed with them.
#include "themes/SkinFramePaint.h"

#include <memory>

#include "framework/Bitmap.h"
#include "framework/Colors.h"
#include "themes/SkinTitleBar.h"
#include "themes/Ui.h"
#include "themes/UiUtils.h"

namespace {

constexpr int FrameViewType = VT_TOOLBAR | VT_FLOATING | VT_RESIZABLE | 1;  // 0x1C01

// Themes whose caption is a plain gradient strip rather than their floating window's caption.
bool gradientCaptionTheme(const AnsiString& Name) {
  return Name == "Stripes" || Name == "Miranda" || Name == "Monai" || Name == "MonaiXP";
}

TUiFloatingBorderInfo frameInfo(HWND Window, TPoint Border, int Parts) {
  TUiFloatingBorderInfo info;
  info.Window = Window;
  info.ViewType = FrameViewType;
  info.BorderSize = Border;
  info.ShowCaption = true;
  info.Active = true;
  info.CloseButtonState = 0;
  info.PaintParts = Parts;
  return info;
}

}  // namespace

void PaintWindowFrame(HWND Window, TCanvas* ACanvas, const TRect& ARect, int CaptionWidth, int CaptionHeight,
                      bool DockStyleBackground) {
  const int w = ARect.Width(), h = ARect.Height();
  if (w <= 0 || h <= 0) return;
  const TRect local(0, 0, w, h);
  const TPoint border(GetSystemMetrics(SM_CXFRAME), GetSystemMetrics(SM_CYFRAME));
  auto frame = std::make_unique<TBitmap>();
  frame->SetSize(w, h);
  TCanvas* fc = frame->Canvas();
  fc->Brush()->SetColor(ACanvas->Brush()->Color());
  fc->FillRect(local);
  AnsiString theme = GetCurrentThemeName();
  if (DockStyleBackground && CurrentTheme && theme != "Default") {
    TRect grown(-3, -3, w + 3, h + 3);
    CurrentTheme->PaintDock(fc, grown, grown, 1);  // dpBottom
  }
  if (CaptionHeight < h && CurrentTheme) CurrentTheme->PaintFloatingBorder(fc, local, frameInfo(Window, border, 1));
  if (CaptionWidth > 0 && CaptionHeight > 0 && CurrentTheme) {
    auto caption = std::make_unique<TBitmap>();
    if (gradientCaptionTheme(theme)) {
      caption->SetSize(CaptionWidth, CaptionHeight);
      HDC dc = caption->Canvas()->Handle();
      GradFill(dc, TRect(0, 0, CaptionWidth, CaptionHeight), ShiftColorChannels(clBtnFace, 12),
               ShiftColorChannels(clBtnFace, -12), false);
      caption->Canvas()->Pen()->SetColor(clBtnShadow);
      caption->Canvas()->MoveTo(0, CaptionHeight - 1);
      caption->Canvas()->LineTo(CaptionWidth, CaptionHeight - 1);
      BitBlt(fc->Handle(), 0, 0, CaptionWidth, CaptionHeight, dc, 0, 0, SRCCOPY);
    } else {
      // The theme paints its caption into a window taller than the frame, so that the strip
      // is the caption alone; the strip is then stretched to the caption's size.
      caption->SetSize(w, h + 100);
      caption->Canvas()->Brush()->SetColor(ACanvas->Brush()->Color());
      caption->Canvas()->FillRect(TRect(0, 0, w, h + 100));
      CurrentTheme->PaintFloatingBorder(caption->Canvas(), TRect(0, 0, w, h + 100), frameInfo(Window, {0, 0}, 3));
      int strip = GetSystemMetrics(SM_CYSMCAPTION) - 1;
      SetStretchBltMode(fc->Handle(), COLORONCOLOR);
      StretchBlt(fc->Handle(), 0, 0, CaptionWidth, CaptionHeight, caption->Canvas()->Handle(), 0, 0, w, strip, SRCCOPY);
    }
  }
  BitBlt(ACanvas->Handle(), ARect.Left, ARect.Top, w, h, fc->Handle(), 0, 0, SRCCOPY);
}

void PaintSystemCaption(TCanvas* ACanvas, const TRect& ARect, bool Active) {
  UINT flags = DC_TEXT | (Active ? DC_ACTIVE : 0);
  BOOL gradient = FALSE;
  if (SystemParametersInfoW(SPI_GETGRADIENTCAPTIONS, 0, &gradient, 0) && gradient) flags |= DC_GRADIENT;
  RECT r{ARect.Left, ARect.Top, ARect.Right, ARect.Bottom};
  ACanvas->Lock();
  DrawCaption(GetDesktopWindow(), ACanvas->Handle(), &r, flags);
  ACanvas->Unlock();
}

// ---- the title bar's frame and caption ----

void TSkinTitleBar::SetUiStyleBackground(bool Value) {
  if (Value == uiStyleBackground_) return;
  uiStyleBackground_ = Value;
  if (HandleAllocated()) RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TSkinTitleBar::DoDrawBackground(TCanvas* ACanvas, const TRect& ARect, TSkinPaintStage PaintStage,
                                     bool& PaintDefault) {
  if (OnDrawBackground) OnDrawBackground(this, ACanvas, ARect, PaintStage, PaintDefault);
}

void TSkinTitleBar::DoDrawDockBackground(TCanvas* ACanvas, const TRect& ARect, TSkinPaintStage PaintStage,
                                         bool& PaintDefault) {
  TSkinCompoundBar::DoDrawDockBackground(ACanvas, ARect, PaintStage, PaintDefault);
  if (PaintStage != pstPrePaint || !PaintDefault) return;
  PaintDefault = false;
  bool system = GetCurrentThemeName() == "Default" && ThemesUsable;
  TRect r = ARect;
  if (system) r = TRect(r.Left - frameSize_, r.Top - frameSize_, r.Right + frameSize_, r.Bottom + frameSize_);
  int w = r.Width(), h = r.Height();
  ACanvas->Lock();
  if (system) {
    // Repainted only when its size changes: activation and colours alone leave it as it is,
    // always in active colours.
    if (!captionCache_) captionCache_ = std::make_unique<TBitmap>();
    if (captionCache_->Width() != w || captionCache_->Height() != h) {
      captionCache_->SetSize(w, h);
      PaintSystemCaption(captionCache_->Canvas(), r, true);
    }
    BitBlt(ACanvas->Handle(), 0, 0, w, h, captionCache_->Canvas()->Handle(), 0, 0, SRCCOPY);
  } else {
    PaintWindowFrame(Handle(), ACanvas, r, w, h, false);
  }
  ACanvas->Unlock();
}

void TSkinTitleBar::WndProc(TMessage& Message) {
  if (Message.Msg != WM_ERASEBKGND) {
    TSkinCompoundBar::WndProc(Message);
    return;
  }
  Message.Result = 1;
  TCanvas canvas;
  canvas.SetHandle(reinterpret_cast<HDC>(Message.WParam));
  canvas.Lock();
  TRect r = ClientRect();
  canvas.Brush()->SetColor(Color());
  bool paintDefault = true;
  DoDrawBackground(&canvas, r, pstPrePaint, paintDefault);
  if (paintDefault) {
    bool maximized = form_ && form_->WindowState() == wsMaximized;
    if (maximized) r = TRect(r.Left - 4, r.Top - 4, r.Right + 4, r.Bottom + 4);
    if (!active_)
      canvas.FillRect(r);
    else if (GetCurrentThemeName() == "Default" && ThemesUsable && Dock() && !maximized)
      PaintWindowFrame(Handle(), &canvas, r, Dock()->Width() + 2 * frameSize_, Dock()->Height() + frameSize_,
                       uiStyleBackground_);
    else
      PaintWindowFrame(Handle(), &canvas, r, 0, 0, uiStyleBackground_);
  }
  paintDefault = true;
  DoDrawBackground(&canvas, r, pstPostPaint, paintDefault);
  canvas.Unlock();
  canvas.SetHandle(nullptr);
}
