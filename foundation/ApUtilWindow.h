// A hidden utility window of the class "TPUtilWindowEx" whose messages go to a method: the
// receiver of deferred work (posted messages) for objects that have no window of their own.
#pragma once

#include "framework/Delegate.h"
#include "framework/Win.h"

// Receives the message and both parameters; Result (0 at first) is the window's answer.
using TApUtilWindowMethod = TEvent<void(UINT Msg, WPARAM WParam, LPARAM LParam, LRESULT& Result)>;

// Creates the window; without a method the default window procedure answers every message.
// Raises EOSError when the window cannot be made.
HWND AllocateUtilWindow(const TApUtilWindowMethod& Method);
void DeallocateUtilWindow(HWND Wnd);

// The owner of one utility window.
class TApUtilWindow {
 public:
  TApUtilWindow() = default;
  explicit TApUtilWindow(const TApUtilWindowMethod& Method) : wnd_(AllocateUtilWindow(Method)) {}
  TApUtilWindow(const TApUtilWindow&) = delete;
  TApUtilWindow& operator=(const TApUtilWindow&) = delete;
  TApUtilWindow(TApUtilWindow&& O) noexcept : wnd_(O.wnd_) { O.wnd_ = nullptr; }
  TApUtilWindow& operator=(TApUtilWindow&& O) noexcept;
  ~TApUtilWindow() { Reset(); }

  HWND Handle() const { return wnd_; }
  void Reset();

 private:
  HWND wnd_ = nullptr;
};
