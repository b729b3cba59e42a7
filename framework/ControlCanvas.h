// The canvas of a control: it borrows a DC of the control's window, or of its parent's window
// clipped to the control, and gives it back when idle or when the window goes.
#pragma once

#include "framework/GdiHandles.h"
#include "framework/Graphics.h"

class TControl;
class TWinControl;

// A canvas that draws on a control: its own window, or its part of the parent's window.
class TControlCanvas : public TCanvas {
  HV_CLASS(TControlCanvas, TCanvas)
 public:
  explicit TControlCanvas(TControl* Control) : control_(Control) {}
  ~TControlCanvas() override;
  TControl* Control() const { return control_; }
  // Gives back a DC the canvas borrowed from the window.
  void FreeHandle();
  // Lets go of every DC that control canvases borrowed (the application does this when idle),
  // or of those drawing on one window (it is being destroyed).
  static void FreeDeviceContexts();
  static void FreeDeviceContextsOf(TWinControl* Window);

 protected:
  void CreateHandle() override;

 private:
  TControl* control_;
  TWindowDC windowDC_;
};
