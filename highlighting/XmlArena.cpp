// XmlArena: slabs that grow from 16 KiB to 256 KiB as a document grows (a larger request gets a
// slab of its own size), and a store of freed slabs that the next document takes first.
#include "highlighting/XmlArena.h"

#include <algorithm>
#include <atomic>
#include <new>

#include "highlighting/XmlDom.h"

namespace {

constexpr size_t kFirstSlab = 16384;
constexpr size_t kLargestSlab = 262144;
// Freed slabs kept for reuse, at most this many bytes: a document read after another one uses
// memory already in place instead of fresh pages, each of which the system must clear first.
constexpr size_t kKeptBytes = 32u << 20;

// The freed slabs of each standard size (16 KiB doubled up to 256 KiB).
struct TSlabStore {
  std::vector<char*> free[5];
  size_t bytes = 0;
  std::atomic_flag busy = ATOMIC_FLAG_INIT;
  int arenas = 0;
};

TSlabStore& Store() {
  // Never destroyed: documents may still be freed while the program ends.
  static TSlabStore* store = new TSlabStore;
  return *store;
}

// The documents are read on one thread at a time; the lock only keeps another thread safe.
class TStoreLock {
 public:
  explicit TStoreLock(TSlabStore& s) : s_(s) {
    while (s_.busy.test_and_set(std::memory_order_acquire)) {}
  }
  ~TStoreLock() { s_.busy.clear(std::memory_order_release); }

 private:
  TSlabStore& s_;
};

// The store's list for a slab of Size bytes, or -1 for a size it does not keep.
int SizeClass(size_t Size) {
  int cls = 0;
  for (size_t s = kFirstSlab; s <= kLargestSlab; s *= 2, ++cls)
    if (s == Size) return cls;
  return -1;
}

char* TakeSlab(size_t Size) {
  const int cls = SizeClass(Size);
  if (cls >= 0) {
    TSlabStore& store = Store();
    TStoreLock lock(store);
    auto& list = store.free[cls];
    if (!list.empty()) {
      char* slab = list.back();
      list.pop_back();
      store.bytes -= Size;
      return slab;
    }
  }
  return static_cast<char*>(::operator new(Size));
}

void GiveSlab(char* Slab, size_t Size) noexcept {
  const int cls = SizeClass(Size);
  if (cls >= 0) {
    TSlabStore& store = Store();
    TStoreLock lock(store);
    if (store.bytes + Size <= kKeptBytes) {
      try {
        store.free[cls].push_back(Slab);
        store.bytes += Size;
        return;
      } catch (...) {
        // No room to note it: given back instead.
      }
    }
  }
  ::operator delete(Slab);
}

}  // namespace

TXmlArena::TXmlArena(TXmlNameTable* Table) : table_(Table), nextSlab_(kFirstSlab) {
  table_->AddRef();
  TSlabStore& store = Store();
  TStoreLock lock(store);
  ++store.arenas;
}

int XmlArenasInUse() {
  TSlabStore& store = Store();
  TStoreLock lock(store);
  return store.arenas;
}

void TXmlArena::NewSlab(size_t AtLeast) {
  const size_t size = std::max(nextSlab_, AtLeast);
  slabs_.reserve(slabs_.size() + 1);
  char* slab = TakeSlab(size);
  slabs_.push_back({slab, size});
  cur_ = slab;
  end_ = slab + size;
  nextSlab_ = std::min(nextSlab_ * 2, kLargestSlab);
}

void TXmlArena::Free() noexcept {
  for (const auto& [slab, size] : slabs_) GiveSlab(slab, size);
  {
    TSlabStore& store = Store();
    TStoreLock lock(store);
    --store.arenas;
  }
  TXmlNameTable* table = table_;
  delete this;
  table->Release();
}
