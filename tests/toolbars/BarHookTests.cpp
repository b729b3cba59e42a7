// The thread hook hub: reference counts per hook type and dispatch to every interested user.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/Application.h"
#include "toolbars/BarHook.h"

namespace {

std::vector<std::string> calls;
HWND watched = nullptr;

// Other windows of the thread (the system's own) may come and go meanwhile: only the test's
// window counts.
void Recorder(THookProcCode Code, HWND Wnd, WPARAM WParam, LPARAM) {
  if (Code != hkGetMessage && Wnd != watched) return;
  calls.push_back(std::to_string(static_cast<int>(Code)) + ":" + std::to_string(WParam));
}

void Other(THookProcCode, HWND, WPARAM, LPARAM) {}

HWND MakeWindow() {
  return watched = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
}

void TakeOneMessage() {
  PostThreadMessageW(GetCurrentThreadId(), WM_APP + 3, 77, 0);
  MSG msg;
  PeekMessageW(&msg, nullptr, WM_APP + 3, WM_APP + 3, PM_REMOVE);
}

int user1, user2;

}  // namespace

TEST(BarHook, TypesFollowTheEventsAndTheirUsers) {
  InstallHookProc(&user1, Recorder, {hkGetMessage});
  EXPECT_FALSE(HookTypeInstalled(0));
  EXPECT_FALSE(HookTypeInstalled(1));
  EXPECT_TRUE(HookTypeInstalled(2));
  InstallHookProc(&user2, Recorder, {hkGetMessage});
  InstallHookProc(&user2, Other, {hkActivate, hkDestroyWindow});
  EXPECT_EQ(HookTypeRefCount(2), 2);
  EXPECT_EQ(HookTypeRefCount(0), 1);
  UninstallHookProc(&user1, Recorder);
  EXPECT_TRUE(HookTypeInstalled(2));
  UninstallHookProc(&user2, Recorder);
  EXPECT_FALSE(HookTypeInstalled(2));
  UninstallHookProc(&user1, Other);  // not a user of it: ignored
  EXPECT_TRUE(HookTypeInstalled(0));
  UninstallHookProc(&user2, Other);
  for (int t = 0; t < 3; ++t) {
    EXPECT_FALSE(HookTypeInstalled(t)) << t;
    EXPECT_EQ(HookTypeRefCount(t), 0) << t;
  }
}

TEST(BarHook, ProcedureHearsTheEventsOfEveryOneOfItsUsers) {
  calls.clear();
  InstallHookProc(&user1, Recorder, {hkActivateApp});
  InstallHookProc(&user2, Recorder, {hkGetMessage, hkDestroyWindow});
  HWND wnd = MakeWindow();
  SendMessageW(wnd, WM_ACTIVATEAPP, 1, 0);
  TakeOneMessage();
  DestroyWindow(wnd);
  EXPECT_EQ(calls, (std::vector<std::string>{"1:1", "4:1", "3:0"}));
  // The first user leaves: its event is no longer heard, the other user's still are.
  UninstallHookProc(&user1, Recorder);
  calls.clear();
  wnd = MakeWindow();
  SendMessageW(wnd, WM_ACTIVATEAPP, 1, 0);
  TakeOneMessage();
  EXPECT_EQ(calls, (std::vector<std::string>{"4:1"}));
  UninstallHookProc(&user2, Recorder);
  calls.clear();
  DestroyWindow(wnd);
  TakeOneMessage();
  EXPECT_TRUE(calls.empty());
}

namespace {

void Raiser(THookProcCode Code, HWND Wnd, WPARAM, LPARAM) {
  if (Code == hkGetMessage || Wnd == watched) throw Exception("hook failed " + std::to_string(static_cast<int>(Code)));
}

struct TExceptionCatcher {
  std::vector<WideString> Messages;
  void Caught(TObject*, Exception& E) { Messages.push_back(E.Message()); }
};

}  // namespace

// A raising procedure may not unwind through the system's hook chain: its exception goes to the
// application's handling, and the other procedures of the same event still run.
TEST(BarHook, RaisingProceduresReachTheApplicationsHandling) {
  TExceptionCatcher catcher;
  Application->OnException = TExceptionEvent(&catcher, &TExceptionCatcher::Caught);
  const struct {
    THookProcCode Code;
    std::function<void(HWND)> Raise;
  } cases[] = {
      {hkGetMessage, [](HWND) { TakeOneMessage(); }},
      {hkActivateApp, [](HWND w) { SendMessageW(w, WM_ACTIVATEAPP, 1, 0); }},
      {hkActivate, [](HWND w) { SendMessageW(w, WM_ACTIVATE, WA_ACTIVE, 0); }},
      {hkWindowPosChanged, [](HWND w) { SetWindowPos(w, nullptr, 1, 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER); }},
      {hkDestroyWindow, [](HWND w) { DestroyWindow(w); }},
  };
  for (const auto& c : cases) {
    catcher.Messages.clear();
    calls.clear();
    HWND wnd = MakeWindow();
    InstallHookProc(&user1, Raiser, {c.Code});
    InstallHookProc(&user2, Recorder, {c.Code});
    c.Raise(wnd);
    UninstallHookProc(&user1, Raiser);
    UninstallHookProc(&user2, Recorder);
    if (IsWindow(wnd)) DestroyWindow(wnd);
    // The system may send the message more than once; each time both procedures hear it.
    ASSERT_FALSE(catcher.Messages.empty()) << static_cast<int>(c.Code);
    for (const WideString& m : catcher.Messages)
      EXPECT_EQ(m, L"hook failed " + std::to_wstring(static_cast<int>(c.Code)));
    EXPECT_EQ(calls.size(), catcher.Messages.size()) << static_cast<int>(c.Code);
  }
  Application->OnException = nullptr;
}
