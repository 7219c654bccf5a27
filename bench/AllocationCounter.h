// Counts the process's heap allocations, for benchmarks that must allocate nothing.
#pragma once

namespace wlbench {

// Allocations through operator new since the program started, the host library's included.
long long allocationCount();

}  // namespace wlbench
