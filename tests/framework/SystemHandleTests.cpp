// Owners of libraries, hooks and sockets: each frees its handle once, when it goes or is reset.
#include <winsock2.h>

#include <gtest/gtest.h>

#include <utility>

#include "framework/ClientSocket.h"
#include "framework/SystemHandles.h"
#include "tests/common/LoadErrorMode.h"

namespace {

int hookCalls = 0;
LRESULT CALLBACK CountingHook(int Code, WPARAM WParam, LPARAM LParam) {
  ++hookCalls;
  return CallNextHookEx(nullptr, Code, WParam, LParam);
}

void PumpOne() {
  PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

}  // namespace

TEST(SystemHandles, ModuleLoadsFindsEntriesAndFrees) {
  TModuleHandle missing(L"no-such-library-here.dll");
  EXPECT_FALSE(missing);
  EXPECT_EQ(missing.Proc<FARPROC>("Anything"), nullptr);

  TModuleHandle version(L"version.dll");
  ASSERT_TRUE(version);
  EXPECT_NE(version.Proc<FARPROC>("GetFileVersionInfoSizeW"), nullptr);
  EXPECT_EQ(version.Proc<FARPROC>("NoSuchEntry"), nullptr);
  HMODULE raw = version.Get();
  TModuleHandle moved = std::move(version);
  EXPECT_FALSE(version);
  EXPECT_EQ(moved.Get(), raw);
  moved.Reset();
  EXPECT_FALSE(moved);
}

TEST(SystemHandles, HookRunsUntilItsOwnerGoes) {
  hookCalls = 0;
  {
    THookHandle hook(WH_GETMESSAGE, CountingHook);
    ASSERT_TRUE(hook);
    PumpOne();
    EXPECT_GT(hookCalls, 0);
    THookHandle moved = std::move(hook);
    EXPECT_FALSE(hook);
    EXPECT_TRUE(moved);
  }
  hookCalls = 0;
  PumpOne();
  EXPECT_EQ(hookCalls, 0);  // removed with its owner
}

TEST(SystemHandles, SocketIsClosedOnce) {
  StartSockets();
  TSocketHandle s(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  ASSERT_TRUE(s);
  const SOCKET raw = static_cast<SOCKET>(s.Get());
  int type = 0, length = sizeof type;
  EXPECT_EQ(getsockopt(raw, SOL_SOCKET, SO_TYPE, reinterpret_cast<char*>(&type), &length), 0);
  TSocketHandle moved = std::move(s);
  EXPECT_FALSE(s);
  moved.Reset();
  EXPECT_FALSE(moved);
  EXPECT_EQ(getsockopt(raw, SOL_SOCKET, SO_TYPE, reinterpret_cast<char*>(&type), &length), SOCKET_ERROR);
  moved.Reset();  // twice is harmless
  TSocketHandle none;
  EXPECT_FALSE(none);
}

// A library loads without error boxes, or under its owner's mode; the caller's mode comes back.
TEST(SystemHandles, ModuleLoadsUnderItsErrorMode) {
  const std::tuple<const wchar_t*, bool, UINT> cases[] = {
      {L"cabinet.dll", false, SEM_NOOPENFILEERRORBOX | SEM_FAILCRITICALERRORS},
      {L"mscms.dll", true, SEM_NOOPENFILEERRORBOX},
      {L"mapi32.dll", true, 0}};
  for (const auto& [name, ownMode, mode] : cases) {
    ASSERT_EQ(GetModuleHandleW(name), nullptr) << "loaded before the test";
    TLoadErrorMode seen(name);
    ASSERT_TRUE(seen.Watching());
    UINT callers = SetErrorMode(SEM_NOGPFAULTERRORBOX);
    TModuleHandle module = ownMode ? TModuleHandle(name, mode) : TModuleHandle(name);
    UINT after = SetErrorMode(callers);
    EXPECT_TRUE(module);
    EXPECT_TRUE(seen.Seen);
    EXPECT_EQ(seen.Mode, mode);
    EXPECT_EQ(after, UINT(SEM_NOGPFAULTERRORBOX));
  }
}
