// PENDING-MERGE: stand-ins for the skin types and painters, replaced by the shared unit.
#pragma once

#include "framework/Controls.h"
#include "framework/StdCtrls.h"
#include <memory>

#include "framework/CustomControls.h"
#include "themes/SkinPainters.h"
#include "themes/SkinText.h"
#include "themes/Ui.h"
#include "themes/UiItems.h"

using TSkinDrawEvent =
    TEvent<void(TObject* Sender, TCanvas* ACanvas, const TRect& ARect, TSkinPaintStage PaintStage, bool& PaintDefault)>;

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
