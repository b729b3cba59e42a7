// Scoped owners for the pairs of a paint: BeginPaint/EndPaint, and a DC lent to a canvas.
#pragma once

#include "framework/Graphics.h"
#include "framework/Win.h"

// BeginPaint/EndPaint as one scope.
class TPaintScope {
 public:
  explicit TPaintScope(HWND Wnd) : wnd_(Wnd) { dc_ = BeginPaint(Wnd, &ps_); }
  TPaintScope(const TPaintScope&) = delete;
  TPaintScope& operator=(const TPaintScope&) = delete;
  ~TPaintScope() { EndPaint(wnd_, &ps_); }
  HDC DC() const { return dc_; }
  const RECT& PaintRect() const { return ps_.rcPaint; }

 private:
  HWND wnd_;
  HDC dc_;
  PAINTSTRUCT ps_{};
};

// Lends a DC to a canvas for one paint and takes it back, also when painting raises. The canvas
// stays locked meanwhile, so that nobody frees the DC under it.
class TCanvasLoan {
 public:
  TCanvasLoan(TCanvas* Canvas, HDC DC) : canvas_(Canvas) {
    canvas_->Lock();
    canvas_->SetHandle(DC);
  }
  TCanvasLoan(const TCanvasLoan&) = delete;
  TCanvasLoan& operator=(const TCanvasLoan&) = delete;
  ~TCanvasLoan() {
    canvas_->SetHandle(nullptr);
    canvas_->Unlock();
  }

 private:
  TCanvas* canvas_;
};
