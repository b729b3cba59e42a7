// XmlPool: free lists of small blocks for the XML model, whose documents are made of a great
// many small nodes, lists and attribute arrays. Blocks of up to 256 bytes come from 64 KiB
// chunks that are kept for reuse; larger ones go to the ordinary heap.
#pragma once

#include <cstddef>
#include <new>

void* XmlPoolAlloc(size_t Size);
void XmlPoolFree(void* Block, size_t Size) noexcept;
// Blocks taken and not given back yet: what a leak check compares before and after.
long XmlPoolBlocksInUse();

// The allocator of the model's vectors.
template <class T>
struct TXmlAllocator {
  using value_type = T;
  TXmlAllocator() = default;
  template <class U>
  TXmlAllocator(const TXmlAllocator<U>&) {}
  T* allocate(size_t N) { return static_cast<T*>(XmlPoolAlloc(N * sizeof(T))); }
  void deallocate(T* P, size_t N) noexcept { XmlPoolFree(P, N * sizeof(T)); }
  template <class U>
  bool operator==(const TXmlAllocator<U>&) const {
    return true;
  }
};
