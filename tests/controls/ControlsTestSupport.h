// What the control tests share: a shown form per test, message pumping, typed characters,
// and the expected message of an exception.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "framework/Application.h"
#include "framework/Forms.h"

// A handler made of a lambda, handed to an event with Event(); it must outlive the event.
template <class Sig>
class TFn;
template <class R, class... A>
class TFn<R(A...)> {
 public:
  template <class F>
  explicit TFn(F f) : f_(std::move(f)) {}
  TEvent<R(A...)> Event() { return TEvent<R(A...)>::FromFunction(&Call, this); }

 private:
  static R Call(void* Context, A... Args) { return static_cast<TFn*>(Context)->f_(std::forward<A>(Args)...); }
  std::function<R(A...)> f_;
};

// A form without form file, shown at a fixed place; freed by the fixture.
class ShownForm : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // A new control owned by the form, on the parent (the form when none is given).
  template <class T>
  T* Child(TWinControl* Parent = nullptr) {
    auto* c = new T(form);
    c->SetParent(Parent ? Parent : form);
    return c;
  }
  TForm* form = nullptr;
};

void Pump();
// Sends each character as WM_CHAR to a window.
void TypeChars(HWND Wnd, const WideString& Text);
// The message of the exception Work raises (of type E), or "" when it raises none.
template <class E>
WideString MessageOf(const std::function<void()>& Work) {
  try {
    Work();
  } catch (const E& e) {
    return e.Message();
  }
  return WideString();
}
