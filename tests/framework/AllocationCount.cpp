// The test program's own operator new and delete, counting the blocks that are alive.
#include "AllocationCount.h"

#include <atomic>
#include <cstdlib>

#include "tests/common/CountingNew.h"

namespace {
std::atomic<std::ptrdiff_t> live{0};
}  // namespace

void* CountedAllocate(std::size_t size) {
  void* p = std::malloc(size ? size : 1);
  if (!p) throw std::bad_alloc();
  ++live;
  return p;
}

void CountedFree(void* p) noexcept {
  if (!p) return;
  --live;
  std::free(p);
}

std::ptrdiff_t LiveAllocations() { return live.load(); }
