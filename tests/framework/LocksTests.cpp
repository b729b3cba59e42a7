// The critical section and the readers/writer lock: reentrancy and mutual exclusion.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "framework/Locks.h"

TEST(Locks, CriticalSectionIsReentrantAndExclusive) {
  TCriticalSection cs;
  {
    TCriticalSectionGuard outer(cs);
    TCriticalSectionGuard inner(cs);  // the same thread may enter again
    std::atomic<bool> entered{true};
    std::thread other([&] { entered = cs.TryEnter(); });
    other.join();
    EXPECT_FALSE(entered) << "another thread is kept out";
  }
  std::atomic<bool> entered{false};
  std::thread other([&] {
    entered = cs.TryEnter();
    if (entered) cs.Leave();
  });
  other.join();
  EXPECT_TRUE(entered) << "both guards have left";

  long counter = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 20000; ++i) {
        TCriticalSectionGuard g(cs);
        ++counter;
      }
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(counter, 80000);
}

TEST(Locks, SynchronizerReentrancyOnOneThread) {
  TMultiReadExclusiveWriteSynchronizer sync;
  sync.BeginRead();
  sync.BeginRead();
  sync.EndRead();
  sync.EndRead();
  EXPECT_TRUE(sync.BeginWrite());
  EXPECT_TRUE(sync.BeginWrite()) << "the writer may write again";
  sync.BeginRead();  // and read
  sync.EndRead();
  sync.EndWrite();
  sync.EndWrite();
  // A reader may become the writer and back.
  sync.BeginRead();
  EXPECT_TRUE(sync.BeginWrite()) << "nobody else wrote in between";
  sync.EndWrite();
  sync.EndRead();
  sync.EndRead();  // one too many is ignored
  EXPECT_EQ(sync.RevisionLevel(), 2u);

  // Everything was released: another thread can write.
  std::thread other([&] {
    sync.BeginWrite();
    sync.EndWrite();
  });
  other.join();
  EXPECT_EQ(sync.RevisionLevel(), 3u);
}

TEST(Locks, SynchronizerKeepsWritersExclusive) {
  TMultiReadExclusiveWriteSynchronizer sync;
  long a = 0, b = 0;
  std::atomic<int> torn{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 3; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 3000; ++i) {
        sync.BeginWrite();
        ++a;
        sync.BeginRead();
        ++b;
        sync.EndRead();
        sync.EndWrite();
      }
    });
  for (int t = 0; t < 3; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 3000; ++i) {
        sync.BeginRead();
        sync.BeginRead();
        if (a != b) ++torn;
        sync.EndRead();
        sync.EndRead();
      }
    });
  // Readers that turn into writers at the same time must not lock each other out.
  for (int t = 0; t < 2; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 1000; ++i) {
        sync.BeginRead();
        sync.BeginWrite();
        ++a;
        ++b;
        sync.EndWrite();
        sync.EndRead();
      }
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(torn, 0);
  EXPECT_EQ(a, 9000 + 2000);
  EXPECT_EQ(b, a);
}
