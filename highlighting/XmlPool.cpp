// XmlPool: size classes of 8 bytes up to 256, each a free list threaded through its blocks.
#include "highlighting/XmlPool.h"

#include <atomic>
#include <cstdint>

namespace {

constexpr size_t kGrain = 8;
constexpr size_t kLargest = 256;
constexpr size_t kChunk = 65536;

struct TFreeBlock {
  TFreeBlock* Next;
};

struct TPool {
  TFreeBlock* free[kLargest / kGrain + 1] = {};
  long inUse = 0;
  char* chunk = nullptr;
  size_t left = 0;
  std::atomic_flag busy = ATOMIC_FLAG_INIT;
};

TPool& Pool() {
  // Never destroyed: blocks may still be released while the program ends.
  static TPool* pool = new TPool;
  return *pool;
}

// The model is used from one thread at a time; the lock only keeps another thread safe.
class TPoolLock {
 public:
  explicit TPoolLock(TPool& p) : p_(p) {
    while (p_.busy.test_and_set(std::memory_order_acquire)) {}
  }
  ~TPoolLock() { p_.busy.clear(std::memory_order_release); }

 private:
  TPool& p_;
};

}  // namespace

void* XmlPoolAlloc(size_t Size) {
  TPool& pool = Pool();
  if (Size > kLargest) {
    void* block = ::operator new(Size);
    TPoolLock lock(pool);
    ++pool.inUse;
    return block;
  }
  const size_t cls = (Size + kGrain - 1) / kGrain;
  TPoolLock lock(pool);
  ++pool.inUse;
  if (TFreeBlock* block = pool.free[cls]) {
    pool.free[cls] = block->Next;
    return block;
  }
  const size_t bytes = (cls ? cls : 1) * kGrain;
  if (pool.left < bytes) {
    pool.chunk = static_cast<char*>(::operator new(kChunk));
    pool.left = kChunk;
  }
  void* block = pool.chunk;
  pool.chunk += bytes;
  pool.left -= bytes;
  return block;
}

void XmlPoolFree(void* Block, size_t Size) noexcept {
  if (!Block) return;
  TPool& pool = Pool();
  {
    TPoolLock lock(pool);
    --pool.inUse;
  }
  if (Size > kLargest) return ::operator delete(Block);
  const size_t cls = (Size + kGrain - 1) / kGrain;
  TPoolLock lock(pool);
  auto* block = static_cast<TFreeBlock*>(Block);
  block->Next = pool.free[cls];
  pool.free[cls] = block;
}

long XmlPoolBlocksInUse() {
  TPool& pool = Pool();
  TPoolLock lock(pool);
  return pool.inUse;
}
