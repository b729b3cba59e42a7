// Scope guards: work that undoes a change when a scope ends, whether it ends normally or
// because an exception passes through it.
#pragma once

#include <exception>
#include <utility>

// Runs Action when the scope ends. On a normal end an exception from Action reaches the
// caller; while another exception passes, one from Action is dropped so that the first goes on.
template <class F>
class TScopeExit {
 public:
  explicit TScopeExit(F Action) : action_(std::move(Action)), pending_(std::uncaught_exceptions()) {}
  ~TScopeExit() noexcept(false) {
    if (std::uncaught_exceptions() == pending_) {
      action_();
      return;
    }
    try {
      action_();
    } catch (...) {
    }
  }
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
    } catch (...) {
    }
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
