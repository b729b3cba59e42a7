// The critical section over the system's, and the readers/writer lock over a mutex and a
// condition variable.
#include "framework/Locks.h"

#include "framework/Win.h"

namespace {
CRITICAL_SECTION* Section(unsigned char* storage) { return reinterpret_cast<CRITICAL_SECTION*>(storage); }
}  // namespace

TCriticalSection::TCriticalSection() {
  static_assert(sizeof(CRITICAL_SECTION) <= sizeof(section_), "critical section storage too small");
  InitializeCriticalSection(Section(section_));
}

TCriticalSection::~TCriticalSection() { DeleteCriticalSection(Section(section_)); }
void TCriticalSection::Enter() { EnterCriticalSection(Section(section_)); }
void TCriticalSection::Leave() { LeaveCriticalSection(Section(section_)); }
bool TCriticalSection::TryEnter() { return TryEnterCriticalSection(Section(section_)) != FALSE; }

int& TMultiReadExclusiveWriteSynchronizer::ReadsOfThisThread() { return reads_[std::this_thread::get_id()]; }

void TMultiReadExclusiveWriteSynchronizer::BeginRead() {
  std::unique_lock<std::mutex> lock(mutex_);
  const std::thread::id me = std::this_thread::get_id();
  int& mine = ReadsOfThisThread();
  // A thread that already holds a lock never waits for its own.
  if (writer_ == me || mine > 0) {
    ++mine;
    return;
  }
  // Writers come first, so that a stream of readers cannot starve them.
  changed_.wait(lock, [&] { return writer_ == std::thread::id() && waitingWriters_ == 0; });
  ++mine;
  ++activeReaders_;
}

void TMultiReadExclusiveWriteSynchronizer::EndRead() {
  std::lock_guard<std::mutex> lock(mutex_);
  const std::thread::id me = std::this_thread::get_id();
  auto it = reads_.find(me);
  if (it == reads_.end() || it->second <= 0) return;
  if (--it->second > 0) return;
  reads_.erase(it);
  if (writer_ != me) {
    --activeReaders_;
    changed_.notify_all();
  }
}

bool TMultiReadExclusiveWriteSynchronizer::BeginWrite() {
  std::unique_lock<std::mutex> lock(mutex_);
  const std::thread::id me = std::this_thread::get_id();
  if (writer_ == me) {
    ++writeDepth_;
    return true;
  }
  const uint32_t before = revision_;
  auto it = reads_.find(me);
  if (it != reads_.end() && it->second > 0) {
    --activeReaders_;  // let the read lock go while waiting
    changed_.notify_all();
  }
  ++waitingWriters_;
  changed_.wait(lock, [&] { return writer_ == std::thread::id() && activeReaders_ == 0; });
  --waitingWriters_;
  writer_ = me;
  writeDepth_ = 1;
  ++revision_;
  return revision_ == before + 1;
}

void TMultiReadExclusiveWriteSynchronizer::EndWrite() {
  std::lock_guard<std::mutex> lock(mutex_);
  const std::thread::id me = std::this_thread::get_id();
  if (writer_ != me || --writeDepth_ > 0) return;
  writer_ = std::thread::id();
  auto it = reads_.find(me);
  if (it != reads_.end() && it->second > 0) ++activeReaders_;  // back to the read lock it held
  changed_.notify_all();
}

uint32_t TMultiReadExclusiveWriteSynchronizer::RevisionLevel() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return revision_;
}
