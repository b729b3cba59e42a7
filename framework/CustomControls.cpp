// The graphic and custom controls: painting on a canvas lent for the paint.
#include "framework/CustomControls.h"

#include "framework/PaintScopes.h"

HV_PUBLISH(TGraphicControl) {}

TGraphicControl::TGraphicControl(TComponent* AOwner)
    : TControl(AOwner), canvas_(std::make_unique<TControlCanvas>(this)) {}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_PAINT)
    WMPaint(Message);
  else
    inherited::Dispatch(Message);
}

void TGraphicControl::WMPaint(TMessage& Message) {
  if (!Message.WParam) return;
  canvas_->FreeHandle();
  TCanvasLoan loan(canvas_.get(), reinterpret_cast<HDC>(Message.WParam));
  Paint();
}

HV_PUBLISH(TCustomControl) {}

TCustomControl::TCustomControl(TComponent* AOwner)
    : TWinControl(AOwner), canvas_(std::make_unique<TControlCanvas>(this)) {}

TCustomControl::~TCustomControl() {
  Destroying();
  // The focus leaves before the window goes, so that it lands where the form puts it.
  if (Parent()) RemoveFocus(true);
  DestroyHandle();
}

void TCustomControl::PaintWindow(HDC DC) {
  canvas_->FreeHandle();
  TCanvasLoan loan(canvas_.get(), DC);
  Paint();
}
