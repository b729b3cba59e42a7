// The timer component over SetTimer on a hidden window.
#include "framework/Timer.h"

#include "framework/UtilityWindow.h"

namespace {
constexpr UINT_PTR timerId = 1;
}

HV_PUBLISH(TTimer) {
  p.Prop("Enabled", &T::Enabled, &T::SetEnabled).Default(true);
  p.Prop("Interval", &T::Interval, &T::SetInterval).Default(1000);
  p.Event("OnTimer", &T::OnTimer);
}

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {
  window_ = std::make_unique<TUtilityWindow>([this](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    return HandleMessage(msg, wParam, lParam, result);
  });
  UpdateTimer();
}

TTimer::~TTimer() {
  enabled_ = false;
  UpdateTimer();
}

void TTimer::SetEnabled(bool Value) {
  if (enabled_ == Value) return;
  enabled_ = Value;
  UpdateTimer();
}

void TTimer::SetInterval(Cardinal Value) {
  if (interval_ == Value) return;
  interval_ = Value;
  UpdateTimer();
}

void TTimer::Timer() {
  if (OnTimer) OnTimer(this);
}

bool TTimer::HandleMessage(UINT Msg, WPARAM WParam, LPARAM, LRESULT& Result) {
  if (Msg != WM_TIMER || WParam != timerId) return false;
  // A tick that was queued before the timer stopped is not delivered.
  if (running_) Timer();
  Result = 0;
  return true;
}

void TTimer::UpdateTimer() {
  if (running_) {
    KillTimer(window_->Handle(), timerId);
    running_ = false;
  }
  if (!enabled_ || interval_ == 0) return;
  if (!SetTimer(window_->Handle(), timerId, interval_, nullptr)) throw EOutOfResources("Not enough timers available");
  running_ = true;
}
