// A sizing grip for any window: drawn in the bottom-right corner of the target, whose message
// handler it takes over, and answering the hit test there as the bottom-right sizing border.
#pragma once

#include "framework/Controls.h"

HV_ENUM(TSizeGripStyle, sgsClassic, sgsWinXP)

class TSizeGripHook;

class TSizeGrip : public TComponent {
  HV_CLASS(TSizeGrip, TComponent)
 public:
  // The target is the owner when that is a windowed control, else the owner's parent.
  explicit TSizeGrip(TComponent* AOwner);
  ~TSizeGrip() override;

  TWinControl* TargetControl() const { return targetControl_; }
  void SetTargetControl(TWinControl* Value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool Value);
  TSizeGripStyle Style() const { return style_; }
  void SetStyle(TSizeGripStyle Value);
  // The grip's rectangle in the target's client coordinates; empty while unhooked.
  const TRect& GripRect() const { return gripRect_; }
  bool Hooked() const { return hook_ != nullptr; }

  // The corner the grip takes in the target's client area.
  virtual void GetGripRect(TRect& Rect);
  virtual void PaintGrip(HDC DC, const TRect& Rect);
  // The target's messages while the grip is hooked.
  virtual void GripWindowProc(TMessage& Message);

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Hands a message on to the target's handler that was there before the grip.
  void CallPrevious(TMessage& Message);
  void InvalidateGrip();
  void UpdateGripRect();
  // The classic drawing, also the fall-back of themed grips.
  void PaintClassicGrip(HDC DC, const TRect& Rect);

 private:
  void Hook();
  void Unhook();

  TWinControl* targetControl_ = nullptr;
  bool enabled_ = true;
  TSizeGripStyle style_ = sgsClassic;
  TRect gripRect_;
  TSizeGripHook* hook_ = nullptr;
};
