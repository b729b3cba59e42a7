// Page-granular memory blocks.
#include "framework/PageBlock.h"

#include <new>

#include "framework/Win.h"

TPageBlock::TPageBlock(size_t Size) : size_(Size) {
  bytes_ = static_cast<char*>(VirtualAlloc(nullptr, Size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
  if (!bytes_) throw std::bad_alloc();
}

TPageBlock::~TPageBlock() { VirtualFree(bytes_, 0, MEM_RELEASE); }

void TPageBlock::ReleaseTail(size_t Keep) {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  size_t page = info.dwPageSize;
  size_t kept = (Keep + page - 1) / page * page;
  if (kept < size_) VirtualFree(bytes_ + kept, size_ - kept, MEM_DECOMMIT);
}
