// A system enumeration whose callback raises: the enumeration stops at once, the exception
// reaches the caller after the system call, and nothing of it crosses the system's code.
#include <gtest/gtest.h>

#include <vector>

#include "framework/CallbackGuard.h"
#include "framework/Exceptions.h"
#include "framework/Win.h"

namespace {

struct TEnumeration {
  TCallbackGuard Guard;
  int Calls = 0;
  int RaiseAt = 0;

  static BOOL CALLBACK Visit(HWND, LPARAM Param) {
    auto* self = reinterpret_cast<TEnumeration*>(Param);
    return self->Guard.Run(
        [self] {
          if (++self->Calls == self->RaiseAt) throw EConvertError("enumeration failed");
          return TRUE;
        },
        FALSE);
  }
};

}  // namespace

TEST(CallbackGuard, AnExceptionInAnEnumerationReachesTheCaller) {
  std::vector<HWND> windows;
  for (int i = 0; i < 4; ++i)
    windows.push_back(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                      GetModuleHandleW(nullptr), nullptr));
  TEnumeration all;
  EnumThreadWindows(GetCurrentThreadId(), &TEnumeration::Visit, reinterpret_cast<LPARAM>(&all));
  EXPECT_NO_THROW(all.Guard.Rethrow());
  ASSERT_GE(all.Calls, 4);

  TEnumeration failing;
  failing.RaiseAt = 2;
  EnumThreadWindows(GetCurrentThreadId(), &TEnumeration::Visit, reinterpret_cast<LPARAM>(&failing));
  EXPECT_EQ(failing.Calls, 2);  // the system was told to stop
  EXPECT_THROW(failing.Guard.Rethrow(), EConvertError);
  EXPECT_NO_THROW(failing.Guard.Rethrow());  // raised once
  for (HWND w : windows) DestroyWindow(w);
}
