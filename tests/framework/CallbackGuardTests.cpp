// A system enumeration whose callback raises stops at once, and the exception reaches the
// caller after the system call instead of crossing the system's code.
#include <gtest/gtest.h>

#include "framework/CallbackGuard.h"
#include "framework/Exceptions.h"
#include "framework/Win.h"

namespace {
TCallbackGuard guard;
int calls = 0;
BOOL CALLBACK Visit(HWND, LPARAM) {
  return guard.Run([]() -> BOOL { return ++calls == 2 ? throw EConvertError("x") : TRUE; }, FALSE);
}
}  // namespace

TEST(CallbackGuard, AnExceptionInAnEnumerationReachesTheCaller) {
  HWND windows[3];
  for (HWND& w : windows) w = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 9, 9, nullptr, nullptr, nullptr, nullptr);
  EnumThreadWindows(GetCurrentThreadId(), &Visit, 0);
  EXPECT_EQ(calls, 2);  // the system was told to stop
  EXPECT_THROW(guard.Rethrow(), EConvertError);
  for (HWND w : windows) DestroyWindow(w);
}
