// The process's private memory, for tests that make and free things many times and expect the
// memory to stay where it was.
#pragma once

#include <cstddef>

#include "framework/Win.h"

#include <psapi.h>

// The bytes of committed private memory (the page-file usage) of this process.
inline size_t ProcessPrivateBytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters.PagefileUsage;
}
