// Counts the blocks of this test program that are allocated through operator new and not yet
// freed, so that leak tests can compare the count before and after instead of guessing from the
// process's memory figures.
#pragma once

#include <cstddef>

// Blocks allocated with operator new (any form) and not yet deleted.
std::ptrdiff_t LiveAllocations();
