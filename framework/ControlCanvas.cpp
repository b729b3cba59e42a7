// The canvas of a control and the DCs it borrows.
#include "framework/ControlCanvas.h"

#include <algorithm>
#include <vector>

#include "framework/Controls.h"

namespace {
std::vector<TControlCanvas*> canvasesWithDC;
}

HV_PUBLISH(TControlCanvas) {}

TControlCanvas::~TControlCanvas() { FreeHandle(); }

void TControlCanvas::CreateHandle() {
  if (!control_) return;
  auto* window = dynamic_cast<TWinControl*>(control_);
  HWND wnd = nullptr;
  if (window) {
    wnd = window->Handle();
  } else {
    if (!control_->Parent()) return;
    wnd = control_->Parent()->Handle();
  }
  windowDC_ = TWindowDC(wnd);
  HDC dc = windowDC_.Get();
  if (!dc) return;
  if (!window) {
    SetViewportOrgEx(dc, control_->Left(), control_->Top(), nullptr);
    IntersectClipRect(dc, 0, 0, control_->Width(), control_->Height());
  }
  SetHandle(dc);
  canvasesWithDC.push_back(this);
}

void TControlCanvas::FreeHandle() {
  if (!windowDC_) return;
  SetHandle(nullptr);
  windowDC_.Reset();
  canvasesWithDC.erase(std::remove(canvasesWithDC.begin(), canvasesWithDC.end(), this), canvasesWithDC.end());
}

void TControlCanvas::FreeDeviceContexts() {
  for (TControlCanvas* c : std::vector<TControlCanvas*>(canvasesWithDC))
    if (c->LockCount() == 0) c->FreeHandle();
}

void TControlCanvas::FreeDeviceContextsOf(TWinControl* Window) {
  for (TControlCanvas* c : std::vector<TControlCanvas*>(canvasesWithDC))
    if (c->control_ == Window || c->control_->Parent() == Window) c->FreeHandle();
}
