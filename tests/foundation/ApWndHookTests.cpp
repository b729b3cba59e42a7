// Window-procedure hooks on window handles: chains, order, unhooking in any order, release.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/ApUtilWindow.h"
#include "foundation/ApWndHook.h"
#include "framework/Exceptions.h"
#include "framework/UtilityWindow.h"
#include "tests/framework/MessagePump.h"

namespace {

const UINT kTestMsg = WM_USER + 77;
std::vector<std::string>* gLog = nullptr;
bool gLogLastMessages = false;

LRESULT CALLBACK OwnProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if ((msg == WM_DESTROY || msg == WM_NCDESTROY) && gLog && gLogLastMessages)
    gLog->push_back(msg == WM_DESTROY ? "destroy" : "ncdestroy");
  if (msg == kTestMsg) {
    if (gLog) gLog->push_back("own");
    return 42;
  }
  return DefWindowProcW(wnd, msg, wParam, lParam);
}

HWND MakeWindow() {
  static bool registered = false;
  if (!registered) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = OwnProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VerdanHookTestWindow";
    RegisterClassW(&wc);
    registered = true;
  }
  return CreateWindowExW(0, L"VerdanHookTestWindow", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

// A handler object that logs its calls and can be told what to do.
struct Handler {
  explicit Handler(std::string n, bool h = false) : name(std::move(n)), handles(h) {}
  std::string name;
  bool handles;
  std::function<void(TApHookMessage&)> action;
  bool Call(TApHookMessage& m) {
    if (m.Msg != kTestMsg) return false;
    gLog->push_back(name);
    if (action) action(m);
    return handles;
  }
  TApHookHandler Event() { return TApHookHandler(this, &Handler::Call); }
};

class ApWndHookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gLog = &log;
    wnd = MakeWindow();
    ASSERT_NE(wnd, nullptr);
  }
  void TearDown() override {
    if (IsWindow(wnd)) DestroyWindow(wnd);
    DispatchPendingMessages();
    FinalizeWndProcHooks();
    gLog = nullptr;
  }
  LRESULT Send() { return SendMessageW(wnd, kTestMsg, 0, 0); }
  std::string Log() {
    std::string s;
    for (auto& e : log) s += (s.empty() ? "" : ",") + e;
    log.clear();
    return s;
  }

  HWND wnd = nullptr;
  std::vector<std::string> log;
};

WNDPROC ProcOf(HWND wnd) { return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(wnd, GWLP_WNDPROC)); }

}  // namespace

TEST_F(ApWndHookTest, BeforeAndAfterAroundTheOwnProcedureUnlessHandledBefore) {
  Handler b{"before"}, a{"after"}, stop{"stop", true};
  a.action = [](TApHookMessage& m) { m.Result += 1; };
  stop.action = [](TApHookMessage& m) { m.Result = 7; };
  ASSERT_TRUE(RegisterWndProcHook(wnd, b.Event(), hoBeforeMsg));
  ASSERT_TRUE(RegisterWndProcHook(wnd, a.Event(), hoAfterMsg));
  EXPECT_EQ(Send(), 43);
  EXPECT_EQ(Log(), "before,own,after");
  UnRegisterWndProcHook(wnd, b.Event(), hoBeforeMsg);
  RegisterWndProcHook(wnd, stop.Event(), hoBeforeMsg);
  RegisterWndProcHook(wnd, b.Event(), hoBeforeMsg);
  EXPECT_EQ(Send(), 7);
  EXPECT_EQ(Log(), "stop");
}

// Handlers removing themselves or adding others keep the walk going in the same dispatch.
TEST_F(ApWndHookTest, HandlersAddedOrRemovedDuringTheWalk) {
  Handler one{"one"}, two{"two"}, late{"late"};
  one.action = [&](TApHookMessage&) {
    UnRegisterWndProcHook(wnd, one.Event(), hoBeforeMsg);
    RegisterWndProcHook(wnd, late.Event(), hoBeforeMsg);
  };
  RegisterWndProcHook(wnd, one.Event(), hoBeforeMsg);
  RegisterWndProcHook(wnd, two.Event(), hoBeforeMsg);
  Send();
  EXPECT_EQ(Log(), "one,two,late,own");
  Send();
  EXPECT_EQ(Log(), "two,late,own");
}

TEST_F(ApWndHookTest, SameHandlerTwiceMakesTwoNodes) {
  Handler h{"h"};
  RegisterWndProcHook(wnd, h.Event(), hoBeforeMsg);
  RegisterWndProcHook(wnd, h.Event(), hoBeforeMsg);
  Send();
  EXPECT_EQ(Log(), "h,h,own");
  EXPECT_TRUE(UnRegisterWndProcHook(wnd, h.Event(), hoBeforeMsg));
  Send();
  EXPECT_EQ(Log(), "h,own");
}

TEST_F(ApWndHookTest, HandlersLeaveInAnyOrder) {
  Handler a{"a"}, b{"b"}, c{"c"}, d{"d"}, after{"after"};
  for (Handler* h : {&a, &b, &c}) RegisterWndProcHook(wnd, h->Event(), hoBeforeMsg);
  RegisterWndProcHook(wnd, after.Event(), hoAfterMsg);
  EXPECT_TRUE(UnRegisterWndProcHook(wnd, b.Event(), hoBeforeMsg));  // from the middle
  EXPECT_TRUE(UnRegisterWndProcHook(wnd, c.Event(), hoBeforeMsg));  // the last one
  RegisterWndProcHook(wnd, d.Event(), hoBeforeMsg);                 // goes behind a
  Send();
  EXPECT_EQ(Log(), "a,d,own,after");
  EXPECT_TRUE(UnRegisterWndProcHook(wnd, after.Event(), hoAfterMsg));
  EXPECT_TRUE(UnRegisterWndProcHook(wnd, a.Event(), hoBeforeMsg));  // the first one
  Send();
  EXPECT_EQ(Log(), "d,own");
  EXPECT_TRUE(UnRegisterWndProcHook(wnd, d.Event(), hoBeforeMsg));
  EXPECT_EQ(ProcOf(wnd), &OwnProc);
  RegisterWndProcHook(wnd, c.Event(), hoBeforeMsg);  // the record starts again from empty
  Send();
  EXPECT_EQ(Log(), "c,own");
}

TEST_F(ApWndHookTest, RefusesWhatItCannotHook) {
  Handler h{"h"};
  EXPECT_FALSE(RegisterWndProcHook(HWND(nullptr), h.Event(), hoBeforeMsg));
  EXPECT_FALSE(RegisterWndProcHook(static_cast<TControl*>(nullptr), h.Event(), hoBeforeMsg));
  EXPECT_FALSE(RegisterWndProcHook(wnd, TApHookHandler(), hoBeforeMsg));
  EXPECT_FALSE(UnRegisterWndProcHook(wnd, h.Event(), hoBeforeMsg));  // never hooked
  EXPECT_FALSE(UnRegisterWndProcHook(wnd, TApHookHandler(), hoBeforeMsg));
  EXPECT_EQ(ProcOf(wnd), &OwnProc);
}

TEST_F(ApWndHookTest, NestedDispatchKeepsEachLevelsPlace) {
  Handler outer{"outer"}, inner{"inner"};
  int depth = 0;
  outer.action = [&](TApHookMessage&) {
    if (depth++ == 0) SendMessageW(wnd, kTestMsg, 0, 0);
  };
  RegisterWndProcHook(wnd, outer.Event(), hoBeforeMsg);
  RegisterWndProcHook(wnd, inner.Event(), hoBeforeMsg);
  Send();
  EXPECT_EQ(Log(), "outer,outer,inner,own,inner,own");
}

TEST_F(ApWndHookTest, LastHandlerRemovedDuringDispatchStillReachesTheOwnProcedure) {
  Handler h{"h"};
  h.action = [&](TApHookMessage&) { UnRegisterWndProcHook(wnd, h.Event(), hoBeforeMsg); };
  RegisterWndProcHook(wnd, h.Event(), hoBeforeMsg);
  EXPECT_EQ(Send(), 42);
  EXPECT_EQ(Log(), "h,own");
}

namespace {
WNDPROC laterSaved = nullptr;
LRESULT CALLBACK LaterProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == kTestMsg && gLog) gLog->push_back("later");
  return CallWindowProcW(laterSaved, wnd, msg, wParam, lParam);
}
}  // namespace

TEST_F(ApWndHookTest, UnhookingNeverCutsOutAProcedureInstalledLater) {
  Handler h{"h"};
  RegisterWndProcHook(wnd, h.Event(), hoBeforeMsg);
  laterSaved = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LaterProc)));
  Send();
  EXPECT_EQ(Log(), "later,h,own");
  UnRegisterWndProcHook(wnd, h.Event(), hoBeforeMsg);
  EXPECT_EQ(ProcOf(wnd), &LaterProc);
  EXPECT_EQ(Send(), 42);
  EXPECT_EQ(Log(), "later,own");
  // The later one unhooks in turn and gets our pass-through back; messages still arrive.
  SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(laterSaved));
  EXPECT_EQ(Send(), 42);
  EXPECT_EQ(Log(), "own");
  // Even with the registry gone (end of the process) the chain stays whole.
  SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LaterProc));
  FinalizeWndProcHooks();
  EXPECT_EQ(Send(), 42);
  EXPECT_EQ(Log(), "later,own");
}

TEST_F(ApWndHookTest, AHandlerThatDestroysTheWindowEndsTheWalkSafely) {
  const int before = TApHookInfos::LiveCount();
  Handler killer{"killer"}, next{"next"}, after{"after"};
  killer.action = [&](TApHookMessage&) { DestroyWindow(wnd); };
  RegisterWndProcHook(wnd, killer.Event(), hoBeforeMsg);
  RegisterWndProcHook(wnd, next.Event(), hoBeforeMsg);
  RegisterWndProcHook(wnd, after.Event(), hoAfterMsg);
  Send();
  // Nothing behind the handler runs for a window that is gone, and the record outlives the
  // dispatch that was using it.
  EXPECT_EQ(Log(), "killer");
  EXPECT_EQ(WndProcHookRegistry().Find(wnd), nullptr);
  EXPECT_EQ(TApHookInfos::LiveCount(), before + 1);
  DispatchPendingMessages();
  EXPECT_EQ(TApHookInfos::LiveCount(), before);
  EXPECT_FALSE(UnRegisterWndProcHook(wnd, next.Event(), hoBeforeMsg));
}

// The window's own procedure still gets its last messages through a hook, so that it can
// let go of what it holds; the record goes after them.
TEST_F(ApWndHookTest, TheOwnProcedureSeesTheWindowsLastMessages) {
  const int before = TApHookInfos::LiveCount();
  Handler h{"h"};
  RegisterWndProcHook(wnd, h.Event(), hoBeforeMsg);
  gLogLastMessages = true;
  DestroyWindow(wnd);
  gLogLastMessages = false;
  EXPECT_EQ(Log(), "destroy,ncdestroy");
  EXPECT_EQ(WndProcHookRegistry().Find(wnd), nullptr);
  DispatchPendingMessages();
  EXPECT_EQ(TApHookInfos::LiveCount(), before);
}

TEST_F(ApWndHookTest, FinalizingGivesProceduresBackAndFreesEverything) {
  Handler h{"h"};
  RegisterWndProcHook(wnd, h.Event(), hoBeforeMsg);
  HWND other = MakeWindow();
  RegisterWndProcHook(other, h.Event(), hoBeforeMsg);
  DestroyWindow(other);  // its record waits for the releaser
  FinalizeWndProcHooks();
  EXPECT_EQ(TApHookInfos::LiveCount(), 0);
  EXPECT_EQ(PendingReleaseCount(), 0);
  EXPECT_EQ(ProcOf(wnd), &OwnProc);
  DispatchPendingMessages();  // the release message of a freed releaser finds nobody
  Send();
  EXPECT_EQ(Log(), "own");
}

TEST(ApUtilWindow, RoutesMessagesToItsMethod) {
  struct Receiver {
    UINT last = 0;
    void Method(UINT msg, WPARAM, LPARAM, LRESULT& result) {
      if (msg == WM_USER + 1) {
        last = msg;
        result = 5;
      }
    }
  } r;
  TApUtilWindow w(TApUtilWindowMethod(&r, &Receiver::Method));
  ASSERT_NE(w.Handle(), nullptr);
  EXPECT_EQ(SendMessageW(w.Handle(), WM_USER + 1, 0, 0), 5);
  EXPECT_EQ(r.last, WM_USER + 1u);
  // A message the method leaves alone answers 0, not what the default procedure would say.
  EXPECT_EQ(SendMessageW(w.Handle(), WM_QUERYOPEN, 0, 0), 0);
  TApUtilWindow plain{TApUtilWindowMethod()};
  EXPECT_EQ(SendMessageW(plain.Handle(), WM_USER + 1, 0, 0), 0);
  EXPECT_EQ(SendMessageW(plain.Handle(), WM_QUERYOPEN, 0, 0), 1);
  // Both are hidden pop-up tool windows of the one class.
  for (HWND wnd : {w.Handle(), plain.Handle()}) {
    wchar_t name[64] = {};
    GetClassNameW(wnd, name, 64);
    EXPECT_STREQ(name, L"TPUtilWindowEx");
    EXPECT_FALSE(IsWindowVisible(wnd));
    EXPECT_TRUE(GetWindowLongW(wnd, GWL_STYLE) & WS_POPUP);
    EXPECT_TRUE(GetWindowLongW(wnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  }
  HWND h = w.Handle();
  w.Reset();
  EXPECT_FALSE(IsWindow(h));
}

namespace {
int reported = 0;
void CountReport(std::exception_ptr) { ++reported; }
}  // namespace

TEST(ApUtilWindow, ExceptionsGoToTheApplicationsHandling) {
  struct Thrower {
    void Method(UINT msg, WPARAM, LPARAM, LRESULT&) {
      if (msg == WM_USER + 2) throw Exception("boom");
    }
  } t;
  TWindowExceptionHandler previous = SetWindowExceptionHandler(&CountReport);
  TApUtilWindow w(TApUtilWindowMethod(&t, &Thrower::Method));
  reported = 0;
  EXPECT_EQ(SendMessageW(w.Handle(), WM_USER + 2, 0, 0), 0);
  EXPECT_EQ(reported, 1);
  SetWindowExceptionHandler(previous);
}

// A handler that raises: the exception goes to the application's handling, never through the
// system, and the dispatch ends so cleanly that unhooking gives the window its procedure back.
TEST_F(ApWndHookTest, AHandlerThatRaisesNeverEndsTheProgram) {
  static int raised = 0;
  TWindowExceptionHandler previous = SetWindowExceptionHandler([](std::exception_ptr) { ++raised; });
  Handler h{"h"};
  h.action = [](TApHookMessage&) { throw Exception("raised"); };
  RegisterWndProcHook(wnd, h.Event(), hoAfterMsg);
  Send();
  UnRegisterWndProcHook(wnd, h.Event(), hoAfterMsg);
  SetWindowExceptionHandler(previous);
  EXPECT_EQ(Log() + std::to_string(raised), "own,h1");
  EXPECT_EQ(ProcOf(wnd), &OwnProc);
}
