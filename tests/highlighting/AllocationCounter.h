// Blocks allocated through operator new by this test program so far.
#pragma once

long AllocationsSoFar();
