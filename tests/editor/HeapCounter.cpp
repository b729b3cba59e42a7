// The editor test program's own operator new and delete, counting the bytes that are alive by
// the sizes the C heap gives its blocks.
#include "tests/editor/HeapCounter.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>

#include "tests/common/CountingNew.h"

namespace {
std::atomic<long long> live{0};
std::atomic<long long> peak{0};
}  // namespace

void* CountedAllocate(std::size_t size) {
  void* p = std::malloc(size ? size : 1);
  if (!p) throw std::bad_alloc();
  const long long now = live += static_cast<long long>(_msize(p));
  for (long long most = peak.load(); now > most && !peak.compare_exchange_weak(most, now);) {}
  return p;
}

void CountedFree(void* p) noexcept {
  if (!p) return;
  live -= static_cast<long long>(_msize(p));
  std::free(p);
}

long long HeapBytes() { return live.load(); }
long long HeapPeak() { return peak.load(); }
void MarkHeapPeak() { peak = live.load(); }
