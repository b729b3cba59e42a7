// XmlArena: slabs that grow from 16 KiB to 1 MiB as a document grows; a larger request gets a
// slab of its own size.
#include "highlighting/XmlArena.h"

#include <algorithm>
#include <new>

#include "highlighting/XmlDom.h"

TXmlArena::TXmlArena(TXmlNameTable* Table) : table_(Table) { table_->AddRef(); }

void TXmlArena::NewSlab(size_t AtLeast) {
  const size_t size = std::max(nextSlab_, AtLeast);
  slabs_.reserve(slabs_.size() + 1);
  char* slab = static_cast<char*>(::operator new(size));
  slabs_.push_back(slab);
  cur_ = slab;
  end_ = slab + size;
  nextSlab_ = std::min<size_t>(nextSlab_ * 2, 1u << 18);
}

void TXmlArena::Free() noexcept {
  for (char* slab : slabs_) ::operator delete(slab);
  TXmlNameTable* table = table_;
  delete this;
  table->Release();
}
