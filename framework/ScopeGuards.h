// Scoped owners for state that must be put back however a scope ends: a value set for the length
// of a call, clean-up that runs on every way out, and undo work for a step that failed.
#pragma once

#include <utility>

// Sets Target to Value for the scope and puts the earlier value back when it ends.
template <class T>
class TScopedValue {
 public:
  TScopedValue(T& Target, T Value) : target_(Target), saved_(std::exchange(Target, std::move(Value))) {}
  TScopedValue(const TScopedValue&) = delete;
  TScopedValue& operator=(const TScopedValue&) = delete;
  ~TScopedValue() { target_ = std::move(saved_); }

 private:
  T& target_;
  T saved_;
};

// Runs Cleanup when the scope ends. Cleanup must not raise: it may run while an exception passes.
template <class F>
class TScopeExit {
 public:
  explicit TScopeExit(F Cleanup) : cleanup_(std::move(Cleanup)) {}
  TScopeExit(const TScopeExit&) = delete;
  TScopeExit& operator=(const TScopeExit&) = delete;
  ~TScopeExit() { cleanup_(); }

 private:
  F cleanup_;
};

// Runs Work; when it raises, runs Undo and lets the exception go on. Undo may raise in its turn
// (hiding a window, telling a list), which a destructor could not pass on.
template <class W, class U>
decltype(auto) UndoOnFailure(W&& Work, U&& Undo) {
  try {
    return std::forward<W>(Work)();
  } catch (...) {
    std::forward<U>(Undo)();
    throw;
  }
}
