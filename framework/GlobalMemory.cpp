// Allocation of global memory blocks.
#include "framework/GlobalMemory.h"

#include "framework/Exceptions.h"

TGlobalMemory TGlobalMemory::Allocate(size_t Size, UINT Flags) {
  HGLOBAL h = GlobalAlloc(Flags, Size);
  if (!h) RaiseLastOSError();
  return TGlobalMemory(h);
}
