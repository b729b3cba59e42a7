// The editor test program's own operator new and delete, counting the bytes that are alive by
// the sizes the C heap gives its blocks, and failing them as a full heap would.
#include "tests/editor/HeapCounter.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>

#include "tests/common/CountingNew.h"

namespace {
std::atomic<long long> live{0};
std::atomic<long long> peak{0};
std::atomic<long long> allocations{0};
std::atomic<long long> fullAt{0};    // the allocation at which the heap fills; 0: never
std::atomic<long long> ceiling{-1};  // what the full heap holds; -1 while it is not full
}  // namespace

void* CountedAllocate(std::size_t size) {
  const long long n = ++allocations;
  if (fullAt != 0) {
    if (ceiling < 0 && n >= fullAt) {
      ceiling = live.load();
      throw std::bad_alloc();
    }
    if (ceiling >= 0 && live + static_cast<long long>(size) > ceiling) throw std::bad_alloc();
  }
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
long long HeapAllocations() { return allocations.load(); }

void FillHeapAt(long long N) {
  ceiling = -1;
  fullAt = N > 0 ? allocations + N : 0;
}

bool HeapFilled() { return ceiling >= 0; }
