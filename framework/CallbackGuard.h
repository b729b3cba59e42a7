// The body of a callback that the system calls from inside one of our calls (enumerations):
// no exception may cross the system's code, so the first one is kept, the callback asks the
// system to stop, and the caller raises it again once the system call has returned.
#pragma once

#include <exception>
#include <utility>

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
