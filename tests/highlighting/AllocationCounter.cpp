// The highlighting test program's own operator new (the array forms come through it), counting
// every block allocated and their bytes, so that a test can tell that a scan allocates nothing.
#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> allocations{0};
std::atomic<long long> allocatedBytes{0};

void* Allocate(std::size_t size) {
  void* p = std::malloc(size ? size : 1);
  if (!p) throw std::bad_alloc();
  ++allocations;
  allocatedBytes += static_cast<long long>(size);
  return p;
}
}  // namespace

long AllocationsSoFar() { return allocations.load(); }
long long AllocatedBytesSoFar() { return allocatedBytes.load(); }

void* operator new(std::size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
