// The timer component: calls OnTimer every Interval milliseconds while it is enabled. The ticks
// arrive as messages at a hidden window of the timer's own, so they come only while a message
// loop runs.
#pragma once

#include <memory>

#include "framework/Component.h"
#include "framework/Win.h"

class TUtilityWindow;

class TTimer : public TComponent {
  HV_CLASS(TTimer, TComponent)
 public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool Value);
  // Milliseconds between ticks; 0 stops the timer.
  Cardinal Interval() const { return interval_; }
  void SetInterval(Cardinal Value);

  TNotifyEvent OnTimer;

 protected:
  // One tick: fires OnTimer.
  virtual void Timer();

 private:
  bool HandleMessage(UINT Msg, WPARAM WParam, LPARAM LParam, LRESULT& Result);
  // Starts, restarts or stops the system timer to match Enabled and Interval; raises
  // EOutOfResources "Not enough timers available" when the system has none left.
  void UpdateTimer();

  std::unique_ptr<TUtilityWindow> window_;
  bool enabled_ = true;
  Cardinal interval_ = 1000;
  bool running_ = false;
};
