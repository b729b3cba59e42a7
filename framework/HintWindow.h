// The hint window: a small pop-up with a border that shows a text near the mouse without
// taking the activation. The application shows hints in windows of its HintWindowClass; the
// editor shows its scroll hint in one of its own.
#pragma once

#include "framework/Controls.h"

class THintWindow : public TCustomControl {
  HV_CLASS(THintWindow, TCustomControl)
 public:
  explicit THintWindow(TComponent* AOwner);

  // Shows the text in the rectangle (screen coordinates), kept on the screen.
  virtual void ActivateHint(TRect Rect, const WideString& AHint);
  virtual void ActivateHintData(TRect Rect, const WideString& AHint, void* AData);
  // The size the text needs, wrapped at MaxWidth pixels: (0, 0, width, height).
  virtual TRect CalcHintRect(int MaxWidth, const WideString& AHint, void* AData);
  // Hides the hint: its window goes (a new one comes with the next hint).
  void ReleaseHandle();
  // Whether the message (a key, a click) makes a shown hint go away.
  virtual bool IsHintMsg(const MSG& Msg);
  // The messages that end a hint by default: keys, clicks, activation and commands.
  static bool EndsHint(const MSG& Msg);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void Dispatch(TMessage& Message) override;
  virtual void WMNCHitTest(TMessage& Message);
  void CMTextChanged(TMessage& Message) override;

 private:
  bool activating_ = false;
};
