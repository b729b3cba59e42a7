// The message of the exception a test expects a call to raise, so that a test can compare the
// exact text; another exception or none at all gives a text that says so instead.
#pragma once

#include <exception>
#include <string>

template <class E, class F>
std::string Raised(F f) {
  try {
    f();
  } catch (const E& e) {
    return e.what();
  } catch (const std::exception& e) {
    return std::string("other exception: ") + e.what();
  }
  return "(nothing raised)";
}
