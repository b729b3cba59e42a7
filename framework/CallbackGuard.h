// The bodies of callbacks that the system calls: no exception may cross the system's code. An
// enumeration keeps the first one for its caller; a window or hook procedure, which has no
// caller of ours, hands it to the application's handling as the message loop would.
#pragma once

#include <exception>
#include <utility>

class TObject;

class TCallbackGuard {
 public:
  // Body's answer, or Stop once anything has raised.
  template <class TBody, class TAnswer>
  TAnswer Run(TBody&& Body, TAnswer Stop) noexcept {
    if (error_) return Stop;
    try {
      return Body();
    } catch (...) {
      error_ = std::current_exception();
      return Stop;
    }
  }

  // Raises what a callback raised, if anything.
  void Rethrow() {
    if (error_) std::rethrow_exception(std::exchange(error_, nullptr));
  }

 private:
  std::exception_ptr error_;
};

// Hands the exception being handled to the application's exception handling; never raises.
void HandleCallbackException(TObject* Sender) noexcept;

// Body's answer, or Fallback once the exception it raised has gone to the application.
template <class TBody, class TAnswer>
TAnswer RunWindowCallback(TObject* Sender, TBody&& Body, TAnswer Fallback) noexcept {
  try {
    return Body();
  } catch (...) {
    HandleCallbackException(Sender);
    return Fallback;
  }
}
