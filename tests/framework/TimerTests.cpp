// The timer component: ticks while the loop runs, stops when disabled, restarts on a new
// interval, and survives handlers that fail or free the timer.
#include <gtest/gtest.h>

#include <memory>

#include "framework/Timer.h"
#include "framework/UtilityWindow.h"
#include "tests/framework/MessagePump.h"

namespace {

struct Ticks {
  int count = 0;
  TObject* sender = nullptr;
  TTimer* toFree = nullptr;
  void Tick(TObject* Sender) {
    ++count;
    sender = Sender;
  }
  void TickAndFree(TObject*) {
    ++count;
    delete toFree;
    toFree = nullptr;
  }
  void TickAndFail(TObject*) {
    ++count;
    throw EInvalidOperation("tick failed");
  }
};

int handledErrors = 0;
void CountError(std::exception_ptr) { ++handledErrors; }

}  // namespace

TEST(Timer, DefaultsAndPublishedProperties) {
  TTimer timer(nullptr);
  EXPECT_TRUE(timer.Enabled());
  EXPECT_EQ(timer.Interval(), 1000u);
  const TPropInfo& interval = FindPropInfo(&timer, "Interval");
  EXPECT_TRUE(interval.HasDefault);
  EXPECT_EQ(interval.Default, 1000);
  const TPropInfo& enabled = FindPropInfo(&timer, "Enabled");
  EXPECT_TRUE(enabled.HasDefault);
  EXPECT_EQ(enabled.Default, 1);
  SetOrdProp(&timer, interval, 250);
  EXPECT_EQ(timer.Interval(), 250u);
  EXPECT_NE(GetPropInfo(&timer, "OnTimer"), nullptr);
}

TEST(Timer, FiresWhileTheMessageLoopRuns) {
  Ticks ticks;
  TTimer timer(nullptr);
  timer.SetInterval(10);
  timer.OnTimer = TNotifyEvent(&ticks, &Ticks::Tick);
  EXPECT_EQ(ticks.count, 0);  // nothing happens until messages are dispatched
  ASSERT_TRUE(PumpMessagesUntil([&] { return ticks.count >= 3; }));
  EXPECT_EQ(ticks.sender, &timer);
}

TEST(Timer, DisabledOrZeroIntervalNeverFires) {
  Ticks ticks;
  TTimer disabled(nullptr);
  disabled.SetInterval(10);
  disabled.SetEnabled(false);
  disabled.OnTimer = TNotifyEvent(&ticks, &Ticks::Tick);
  TTimer zero(nullptr);
  zero.SetInterval(0);
  zero.OnTimer = TNotifyEvent(&ticks, &Ticks::Tick);
  PumpMessagesFor(150);
  EXPECT_EQ(ticks.count, 0);

  // Enabling it again starts it.
  disabled.SetEnabled(true);
  ASSERT_TRUE(PumpMessagesUntil([&] { return ticks.count >= 1; }));
}

TEST(Timer, StoppingDropsATickAlreadyQueued) {
  Ticks ticks;
  TTimer timer(nullptr);
  timer.SetInterval(10);
  timer.OnTimer = TNotifyEvent(&ticks, &Ticks::Tick);
  Sleep(50);  // a tick is due now
  timer.SetEnabled(false);
  PumpMessagesFor(100);
  EXPECT_EQ(ticks.count, 0);
}

TEST(Timer, ANewIntervalRestartsTheTimer) {
  Ticks ticks;
  TTimer timer(nullptr);
  timer.SetInterval(60000);
  timer.OnTimer = TNotifyEvent(&ticks, &Ticks::Tick);
  timer.SetInterval(10);
  ASSERT_TRUE(PumpMessagesUntil([&] { return ticks.count >= 2; }));
}

TEST(Timer, AHandlerMayFreeItsOwnTimer) {
  Ticks ticks;
  auto* timer = new TTimer(nullptr);
  timer->SetInterval(10);
  ticks.toFree = timer;
  timer->OnTimer = TNotifyEvent(&ticks, &Ticks::TickAndFree);
  ASSERT_TRUE(PumpMessagesUntil([&] { return ticks.count >= 1; }));
  PumpMessagesFor(60);
  EXPECT_EQ(ticks.count, 1);
  EXPECT_EQ(ticks.toFree, nullptr);
}

TEST(Timer, AFailingHandlerGoesToTheExceptionHandlerAndTheTimerGoesOn) {
  handledErrors = 0;
  TWindowExceptionHandler previous = SetWindowExceptionHandler(&CountError);
  Ticks ticks;
  {
    TTimer timer(nullptr);
    timer.SetInterval(10);
    timer.OnTimer = TNotifyEvent(&ticks, &Ticks::TickAndFail);
    ASSERT_TRUE(PumpMessagesUntil([&] { return ticks.count >= 2; }));
  }
  SetWindowExceptionHandler(previous);
  EXPECT_GE(handledErrors, 2);
}
