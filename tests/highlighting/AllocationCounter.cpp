// The highlighting test program's own operator new (the array forms come through it), counting
// every block allocated, so that a test can tell that a scan allocates nothing.
#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> allocations{0};

void* Allocate(std::size_t size) {
  void* p = std::malloc(size ? size : 1);
  if (!p) throw std::bad_alloc();
  ++allocations;
  return p;
}
}  // namespace

long AllocationsSoFar() { return allocations.load(); }

void* operator new(std::size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
