// The small tool-window frame a floating window sits in.
#pragma once

#include "toolbars/BarDock.h"

// The small tool-window frame a floating window sits in.
class TBarFloatingWindowParent : public TCustomForm {
  HV_CLASS(TBarFloatingWindowParent, TCustomForm)
 public:
  TBarFloatingWindowParent(TCustomForm* AOwningForm, TBarCustomDockableWindow* AWindow);
  ~TBarFloatingWindowParent() override;
  TCustomForm* OwningForm() const { return owningForm_; }
  TBarCustomDockableWindow* DockableWindow() const { return window_; }
  TPoint NonClientSize();
  int HitTest(const TPoint& ScreenPos);
  // The close button in the caption, in window coordinates.
  TRect CloseButtonRect();
  bool CloseButtonHot() const { return closeHot_; }
  // Held down by the mouse while the close button is tracked and the cursor is over it.
  bool CloseButtonPushed() const { return closePushed_; }
  bool CaptionActive();
  bool ShouldShow() const { return shouldShow_; }
  // Shows or hides the frame by the held window's state.
  void UpdateVisibility();
  void ForgetWindow() { window_ = nullptr; }

 protected:
  void CreateParams(TCreateParams& Params) override;
  void WndProc(TMessage& Message) override;
  void CMShowingChanged(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TCustomForm::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == owningForm_) owningForm_ = nullptr;
  }

 private:
  static void PaintFrame(HWND Wnd, HDC DC, void* AppData);
  // The thread's activations, the owning form shown, hidden or destroyed.
  static void HookEvent(THookProcCode Code, HWND Wnd, WPARAM WParam, LPARAM LParam);
  void OwnerEvent(THookProcCode Code, HWND Wnd, WPARAM WParam, LPARAM LParam);
  void Activated(WPARAM State, HWND Other);
  TCustomForm* owningForm_;
  TBarCustomDockableWindow* window_;
  bool closePushed_ = false;
  bool closeHot_ = false;
  bool shouldShow_ = false;
  bool captionActive_ = false;
};
