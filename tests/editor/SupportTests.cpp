// Editor support classes: the callback chain and the mark list.
#include <gtest/gtest.h>

#include <string>

#include "editor/TxtEditSupport.h"

namespace {

struct Recorder : TObject {
  std::string log;
  TObject* lastSender = nullptr;
  TTxtNotifyEventChain* chain = nullptr;
  bool continueAfterError = true;
  bool handlerRaises = false;

  void A(TObject* Sender) { log += "A"; lastSender = Sender; }
  void B(TObject*) { log += "B"; }
  void Raise(TObject*) { log += "!"; throw Exception("boom"); }
  void AddsB(TObject*) {
    log += "+";
    chain->Add(TNotifyEvent(this, &Recorder::B));
  }
  void OnError(TObject*, Exception& E, bool& Continue) {
    log += "[" + std::string(E.what()) + "]";
    if (handlerRaises) throw Exception("again");
    Continue = continueAfterError;
  }
};

struct CountedMark : TTxtEditMark {
  explicit CountedMark(int* freed, int line) : freed_(freed) { SetLine(line); }
  ~CountedMark() override { ++*freed_; }
  int* freed_;
};

struct ChangeCounter {
  int changes = 0;
  void Changed(TObject*) { ++changes; }
};

}  // namespace

TEST(MethodChain, FiresInOrderWithItsSender) {
  Recorder r;
  TTxtNotifyEventChain chain(r);
  chain.Add(TNotifyEvent(&r, &Recorder::A));
  chain.Add(TNotifyEvent(&r, &Recorder::B));
  chain.Add(TNotifyEvent(&r, &Recorder::A));
  chain.Fire();
  EXPECT_EQ(r.log, "ABA");
  EXPECT_EQ(r.lastSender, &r);
  // Remove takes out every equal entry.
  chain.Remove(TNotifyEvent(&r, &Recorder::A));
  r.log.clear();
  chain.Fire();
  EXPECT_EQ(r.log, "B");
  EXPECT_EQ(chain.Count(), 1);
}

TEST(MethodChain, RejectsUnassignedCallbacks) {
  TTxtNotifyEventChain chain;
  try {
    chain.Add(TNotifyEvent());
    FAIL();
  } catch (const ETxtMethodChain& e) {
    EXPECT_STREQ(e.what(), "TTxtNotifyEventChain.Entry : the parameter `AEvent' must be specified.");
  }
  try {
    chain.Remove(TNotifyEvent());
    FAIL();
  } catch (const ETxtMethodChain& e) {
    EXPECT_STREQ(e.what(), "TTxtNotifyEventChain.Remove: the parameter `AEvent' must be specified.");
  }
}

TEST(MethodChain, CallbacksAddedWhileFiringAreReached) {
  Recorder r;
  TTxtNotifyEventChain chain(r);
  r.chain = &chain;
  chain.Add(TNotifyEvent(&r, &Recorder::AddsB));
  chain.Fire();
  EXPECT_EQ(r.log, "+B");
}

TEST(MethodChain, ExceptionsPropagateWithoutAHandler) {
  Recorder r;
  TTxtNotifyEventChain chain(r);
  chain.Add(TNotifyEvent(&r, &Recorder::Raise));
  chain.Add(TNotifyEvent(&r, &Recorder::B));
  EXPECT_THROW(chain.Fire(), Exception);
  EXPECT_EQ(r.log, "!");
}

TEST(MethodChain, TheExceptionHandlerDecidesWhetherTheWalkGoesOn) {
  Recorder r;
  TTxtNotifyEventChain chain(r);
  chain.OnException = TTxtExceptionEvent(&r, &Recorder::OnError);
  chain.Add(TNotifyEvent(&r, &Recorder::Raise));
  chain.Add(TNotifyEvent(&r, &Recorder::B));
  chain.Fire();
  EXPECT_EQ(r.log, "![boom]B");
  r.log.clear();
  r.continueAfterError = false;
  chain.Fire();
  EXPECT_EQ(r.log, "![boom]");
  r.handlerRaises = true;
  try {
    chain.Fire();
    FAIL();
  } catch (const ETxtMethodChain& e) {
    EXPECT_STREQ(e.what(),
                 "TTxtNotifyEventChain.DoHandleException : MUST NOT occur any kind of exception in ExceptionHandler");
  }
}

TEST(MarkList, OwnsItsMarksAndNotifiesOnAddRemoveAndClear) {
  int freed = 0;
  ChangeCounter c;
  {
    TTxtEditMarkList marks;
    marks.OnChange = TNotifyEvent(&c, &ChangeCounter::Changed);
    auto* a = new CountedMark(&freed, 1);
    EXPECT_EQ(marks.Add(a), 0);
    EXPECT_EQ(marks.Add(new CountedMark(&freed, 2)), 1);
    EXPECT_EQ(marks.Add(new CountedMark(&freed, 3)), 2);
    EXPECT_EQ(c.changes, 3);
    marks.Delete(1);  // silent
    EXPECT_EQ(freed, 1);
    EXPECT_EQ(c.changes, 3);
    EXPECT_EQ(marks.Remove(a), 0);
    EXPECT_EQ(freed, 2);
    EXPECT_EQ(c.changes, 4);
    EXPECT_EQ(marks.Count(), 1);
    marks.Add(new CountedMark(&freed, 4));
    marks.Clear();
    EXPECT_EQ(freed, 4);
    EXPECT_EQ(c.changes, 6);
    marks.Add(new CountedMark(&freed, 5));
  }
  EXPECT_EQ(freed, 5);  // the destructor frees what is left
}

TEST(MarkList, RemovingAMarkThatIsNotInTheListFailsAndChangesNothing) {
  int freed = 0;
  TTxtEditMarkList marks;
  marks.Add(new CountedMark(&freed, 1));
  CountedMark stranger(&freed, 1);
  try {
    marks.Remove(&stranger);
    FAIL();
  } catch (const EListError& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (-1)");
  }
  EXPECT_EQ(marks.Count(), 1);
  EXPECT_EQ(freed, 0);
  EXPECT_THROW(marks.Items(5), EListError);
}

TEST(MarkList, MarksForALineAreCutAtSeventeen) {
  int freed = 0;
  TTxtEditMarkList marks;
  for (int i = 0; i < 20; ++i) {
    marks.Add(new CountedMark(&freed, 7));
    marks.Add(new CountedMark(&freed, 8));
  }
  TTxtEditMarks found;
  found.fill(reinterpret_cast<TTxtEditMark*>(1));
  marks.GetMarksForLine(7, found);
  for (size_t i = 0; i < found.size(); ++i) EXPECT_EQ(found[i], marks.Items(static_cast<int>(2 * i)));
  marks.GetMarksForLine(9, found);
  for (TTxtEditMark* m : found) EXPECT_EQ(m, nullptr);
  TTxtEditMark fresh;
  EXPECT_FALSE(fresh.IsBookmark());
  fresh.SetBookmarkNumber(0);
  EXPECT_TRUE(fresh.IsBookmark());
}
