// The graphic control, painted on its parent's window, and the custom control, a windowed
// control that paints itself; both paint on a control canvas.
#pragma once

#include <memory>

#include "framework/ControlCanvas.h"
#include "framework/Controls.h"

// A control without a window of its own, painted on its parent's.
class TGraphicControl : public TControl {
  HV_CLASS(TGraphicControl, TControl)
 public:
  explicit TGraphicControl(TComponent* AOwner);
  ~TGraphicControl() override;
  TCanvas* Canvas() const { return canvas_.get(); }

 protected:
  virtual void Paint() {}
  void Dispatch(TMessage& Message) override;
  virtual void WMPaint(TMessage& Message);

 private:
  std::unique_ptr<TControlCanvas> canvas_;
};

// A windowed control that paints itself on its canvas.
class TCustomControl : public TWinControl {
  HV_CLASS(TCustomControl, TWinControl)
 public:
  explicit TCustomControl(TComponent* AOwner);
  ~TCustomControl() override;
  TCanvas* Canvas() const { return canvas_.get(); }

 protected:
  virtual void Paint() {}
  void PaintWindow(HDC DC) override;

 private:
  std::unique_ptr<TControlCanvas> canvas_;
};
