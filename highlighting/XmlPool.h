// XmlPool: free lists of small blocks for the XML model's nodes, lists, attribute arrays and
// values that are made in code (a document that is read lives in its arena instead). Blocks of
// up to 256 bytes come from 64 KiB chunks that are kept for reuse; larger ones go to the heap.
#pragma once

#include <cstddef>

void* XmlPoolAlloc(size_t Size);
void XmlPoolFree(void* Block, size_t Size) noexcept;
// Blocks taken and not given back yet: what a leak check compares before and after.
long XmlPoolBlocksInUse();
