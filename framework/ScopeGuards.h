// Scope guards: work that undoes a change when a scope ends, whether it ends normally or
// because an exception passes through it.
#pragma once

#include <exception>
#include <utility>

// The undo work of a guard whose scope ends, Pending being the count of exceptions in flight
// when the guard was made: on a normal end an exception from Undo reaches the caller (the
// guard's destructor must be noexcept(false)); while another exception passes, one from Undo is
// dropped so that the first goes on.
template <class F>
void EndOfScope(int Pending, F&& Undo) {
  if (std::uncaught_exceptions() == Pending) {
    std::forward<F>(Undo)();
    return;
  }
  try {
    std::forward<F>(Undo)();
  } catch (...) {}
}

// Runs Action when the scope ends, as EndOfScope says.
template <class F>
class TScopeExit {
 public:
  explicit TScopeExit(F Action) : action_(std::move(Action)), pending_(std::uncaught_exceptions()) {}
  ~TScopeExit() noexcept(false) { EndOfScope(pending_, action_); }
  TScopeExit(const TScopeExit&) = delete;
  TScopeExit& operator=(const TScopeExit&) = delete;

 private:
  F action_;
  int pending_;
};

// Runs Action only when the scope is left by an exception: the undo of a step that completes
// only when the scope ends normally. An exception from Action is dropped.
template <class F>
class TScopeFail {
 public:
  explicit TScopeFail(F Action) : action_(std::move(Action)), pending_(std::uncaught_exceptions()) {}
  ~TScopeFail() {
    if (std::uncaught_exceptions() == pending_) return;
    try {
      action_();
    } catch (...) {}
  }
  TScopeFail(const TScopeFail&) = delete;
  TScopeFail& operator=(const TScopeFail&) = delete;

 private:
  F action_;
  int pending_;
};

// Sets Variable to Value for the scope and gives it its earlier value back at the end.
template <class T>
class TTempValue {
 public:
  TTempValue(T& Variable, T Value) : variable_(Variable), saved_(std::exchange(Variable, std::move(Value))) {}
  ~TTempValue() { variable_ = std::move(saved_); }
  TTempValue(const TTempValue&) = delete;
  TTempValue& operator=(const TTempValue&) = delete;

 private:
  T& variable_;
  T saved_;
};

// Runs Work; when it raises, runs Undo and lets the exception go on. For undo work that may
// raise in its turn (hiding a window, telling a list), whose exception then takes the place of
// the first, as a destructor could not let it.
template <class W, class U>
decltype(auto) UndoOnFailure(W&& Work, U&& Undo) {
  try {
    return std::forward<W>(Work)();
  } catch (...) {
    std::forward<U>(Undo)();
    throw;
  }
}
