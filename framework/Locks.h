// Locks for the few places where threads meet: a critical section with a scoped guard, and a
// many-readers/one-writer lock that the same thread may take again.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <unordered_map>

class TCriticalSection {
 public:
  TCriticalSection();
  ~TCriticalSection();
  TCriticalSection(const TCriticalSection&) = delete;
  TCriticalSection& operator=(const TCriticalSection&) = delete;

  void Enter();
  void Leave();
  bool TryEnter();
  void Acquire() { Enter(); }
  void Release() { Leave(); }

 private:
  // Storage for the system's CRITICAL_SECTION (24 bytes on 32-bit Windows), kept opaque so
  // that this header does not pull in the Windows headers.
  alignas(8) unsigned char section_[48];
};

// Holds a critical section for its lifetime.
class TCriticalSectionGuard {
 public:
  explicit TCriticalSectionGuard(TCriticalSection& section) : section_(section) { section_.Enter(); }
  ~TCriticalSectionGuard() { section_.Leave(); }
  TCriticalSectionGuard(const TCriticalSectionGuard&) = delete;
  TCriticalSectionGuard& operator=(const TCriticalSectionGuard&) = delete;

 private:
  TCriticalSection& section_;
};

// Many readers or one writer. Both locks are reentrant; the writer may take the read lock, and
// a reader may ask for the write lock (it lets its read lock go while it waits, so two readers
// asking at once cannot lock each other out). BeginWrite is false when another writer got the
// lock in between, so that what the thread read before may have changed.
class TMultiReadExclusiveWriteSynchronizer {
 public:
  TMultiReadExclusiveWriteSynchronizer() = default;
  TMultiReadExclusiveWriteSynchronizer(const TMultiReadExclusiveWriteSynchronizer&) = delete;
  TMultiReadExclusiveWriteSynchronizer& operator=(const TMultiReadExclusiveWriteSynchronizer&) = delete;

  void BeginRead();
  void EndRead();
  bool BeginWrite();
  void EndWrite();

  // The number of times the write lock was granted to a thread that did not hold it.
  uint32_t RevisionLevel() const;

 private:
  int& ReadsOfThisThread();

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::unordered_map<std::thread::id, int> reads_;  // read locks held, per thread
  int activeReaders_ = 0;                           // threads holding a read lock and not the write lock
  int waitingWriters_ = 0;
  std::thread::id writer_;  // default id: none
  int writeDepth_ = 0;
  uint32_t revision_ = 0;
};
