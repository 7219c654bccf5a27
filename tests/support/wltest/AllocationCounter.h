// Counts the process's heap allocations, for the code that must allocate nothing. A program
// built with AllocationCounter.cpp has its global operator new replaced by a counting one.
#pragma once

namespace wltest {

// Allocations through operator new since the program started, the host library's included.
long long allocationCount();

}  // namespace wltest
