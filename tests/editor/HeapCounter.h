// Counts the bytes of this test program's blocks that are allocated through operator new and not
// yet freed, and the most of them at once, so that a test can bound what a command holds while
// it runs, not only what it leaves.
#pragma once

// Bytes allocated with operator new (any form) and not yet deleted.
long long HeapBytes();
// The most HeapBytes has been since the last call of MarkHeapPeak.
long long HeapPeak();
void MarkHeapPeak();
