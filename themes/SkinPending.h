// PENDING-MERGE: stand-ins for the skin types and painters, replaced by the shared unit.
#pragma once

#include "framework/Controls.h"
#include "framework/StdCtrls.h"
#include <memory>

#include "framework/CustomControls.h"
#include "themes/Ui.h"

HV_ENUM(TTextWrapping, twNone, twEndEllipsis, twPathEllipsis, twWrap)
class TFontSettings : public TPersistent {
  HV_CLASS(TFontSettings, TPersistent)
 public:
  void Assign(TPersistent*) override {}
  void Apply(TFont*) {}
  TNotifyEvent OnChange;
};

HV_ENUM(TSkinThemeType, thtNone, thtWindows, thtUi)
HV_ENUM(TSkinPaintStage, pstPrePaint, pstPostPaint)
using TSkinDrawEvent =
    TEvent<void(TObject* Sender, TCanvas* ACanvas, const TRect& ARect, TSkinPaintStage PaintStage, bool& PaintDefault)>;

inline TSkinThemeType GetSkinType(TSkinThemeType T) {
  if (T == thtUi && GetCurrentThemeName() == "Default") T = thtWindows;
  if (T == thtWindows && !ThemesUsable) T = thtNone;
  return T;
}
inline void SpDrawParentBackground(TControl*, HDC, const TRect&) {}
inline void SpDrawXPEditFrame(TCanvas*, const TRect&, bool, bool, TSkinThemeType, bool) {}
inline void SpDrawXPListItem(TCanvas*, const TRect&, bool, TSkinThemeType, bool, bool) {}
inline void SpDrawXPCheckBoxGlyph(TCanvas*, const TRect&, bool, TSkinThemeType, bool, bool, bool, TCheckBoxState) {}

HV_ENUM(TSpGlowDirection, gldNone, gldAll, gldTopLeft, gldBottomRight)
inline int DrawWideText(TCanvas* ACanvas, const WideString& AText, TRect& ARect, int Orientation, TColor GlowColor,
                        TSpGlowDirection Glow, UINT Format) {
  (void)Orientation;
  (void)GlowColor;
  (void)Glow;
  ACanvas->Brush()->SetStyle(bsClear);
  return ACanvas->DrawText(ARect, AText, Format);
}

class TUiControlMargins : public TPersistent {
  HV_CLASS(TUiControlMargins, TPersistent)
 public:
  int Left() const { return left_; }
  void SetLeft(int V) {
    left_ = V;
    if (OnChange) OnChange(this);
  }
  int Top() const { return top_; }
  void SetTop(int V) {
    top_ = V;
    if (OnChange) OnChange(this);
  }
  int Right() const { return right_; }
  void SetRight(int V) {
    right_ = V;
    if (OnChange) OnChange(this);
  }
  int Bottom() const { return bottom_; }
  void SetBottom(int V) {
    bottom_ = V;
    if (OnChange) OnChange(this);
  }
  TNotifyEvent OnChange;

 private:
  int left_ = 0, top_ = 0, right_ = 0, bottom_ = 0;
};

inline int CalcCaptionLayout(TCanvas* Canvas, const TRect& ItemRect, const WideString& Caption, int Orientation,
                             TRect& ImageRect, TRect& CaptionRect, bool PushedOffset, bool GlyphTop, int ImageHeight,
                             int ImageWidth, UINT Format, TAlignment Alignment) {
  (void)Orientation;
  (void)GlyphTop;
  int gap = !Caption.empty() && ImageWidth > 0 && ImageHeight > 0 ? 4 : 0;
  TRect m(0, 0, 1, 1);
  if (Format & (DT_WORDBREAK | DT_END_ELLIPSIS | DT_PATH_ELLIPSIS)) m.Right = ItemRect.Width() - ImageWidth - gap;
  if (!Caption.empty())
    Canvas->DrawText(m, Caption, (Format & ~UINT(DT_CENTER | DT_VCENTER)) | DT_CALCRECT);
  else
    m = TRect();
  int h = m.Height(), w = m.Width();
  int top = (ItemRect.Top + ItemRect.Bottom - h) / 2;
  int left = Alignment == taRightJustify ? ItemRect.Right - w
             : Alignment == taCenter     ? (ItemRect.Left + ItemRect.Right - w) / 2
                                         : ItemRect.Left;
  CaptionRect = Bounds(left, top, w, h);
  ImageRect = TRect();
  if (ImageWidth > 0 && ImageHeight > 0) {
    int it = (CaptionRect.Top + CaptionRect.Bottom - ImageHeight) / 2;
    if (Alignment == taRightJustify) {
      ImageRect = Bounds(CaptionRect.Right - ImageWidth, it, ImageWidth, ImageHeight);
      CaptionRect = Bounds(CaptionRect.Left - ImageWidth - gap, top, w, h);
    } else if (Alignment == taCenter) {
      ImageRect =
          Bounds((CaptionRect.Left + CaptionRect.Right - (ImageWidth + gap + w)) / 2, it, ImageWidth, ImageHeight);
      CaptionRect = Bounds(CaptionRect.Left + (ImageWidth + gap) / 2, top, w, h);
    } else {
      ImageRect = Bounds(CaptionRect.Left, it, ImageWidth, ImageHeight);
      CaptionRect = Bounds(CaptionRect.Left + ImageWidth + gap, top, w, h);
    }
  }
  if (PushedOffset) {
    CaptionRect = Bounds(CaptionRect.Left + 1, CaptionRect.Top + 1, w, h);
    ImageRect = Bounds(ImageRect.Left + 1, ImageRect.Top + 1, ImageRect.Width(), ImageRect.Height());
  }
  return h;
}
inline void SpDrawXPButton(TCanvas*, const TRect&, bool, bool, bool, bool, bool, TSkinThemeType) {}

class TUiTextObject : public TCustomControl {
  HV_CLASS(TUiTextObject, TCustomControl)
 public:
  explicit TUiTextObject(TComponent* AOwner) : TCustomControl(AOwner), margins_(new TUiControlMargins) {
    SetWidth(100);
  }
  TUiControlMargins* Margins() const { return margins_.get(); }
  void SetMargins(TUiControlMargins* V) { margins_->Assign(V); }
  TTextWrapping Wrapping() const { return wrapping_; }
  void SetWrapping(TTextWrapping V) {
    wrapping_ = V;
    AdjustBounds();
    Invalidate();
  }
  bool ShowAccelChar() const { return showAccelChar_; }
  void SetShowAccelChar(bool V) {
    showAccelChar_ = V;
    AdjustBounds();
    Invalidate();
  }
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool V) {
    autoSize_ = V;
    AdjustBounds();
  }
  virtual void AdjustBounds() {}
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

 private:
  std::unique_ptr<TUiControlMargins> margins_;
  TTextWrapping wrapping_ = twNone;
  bool showAccelChar_ = true;
  bool autoSize_ = true;
};
