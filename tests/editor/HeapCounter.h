// Counts the bytes of this test program's blocks that are allocated through operator new and not
// yet freed, and the most of them at once, so that a test can bound what a command holds while
// it runs, not only what it leaves; and runs the heap out at a chosen allocation.
#pragma once

// Bytes allocated with operator new (any form) and not yet deleted.
long long HeapBytes();
// The most HeapBytes has been since the last call of MarkHeapPeak.
long long HeapPeak();
void MarkHeapPeak();
// Allocations made since the program started.
long long HeapAllocations();

// From the Nth allocation after this call on, the heap is full: that allocation fails with
// std::bad_alloc, and so does every later one that would hold more than was held then, so that
// only what is freed after the failure can be had again. FillHeapAt(0) ends it.
void FillHeapAt(long long N);
// Whether an allocation failed since the last FillHeapAt.
bool HeapFilled();
