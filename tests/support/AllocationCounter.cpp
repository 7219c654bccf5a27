// Replaces the global operator new to count allocations. Kept in its own file so that the
// compiler does not pair an inlined replacement with the library's operator delete.
#include "wltest/AllocationCounter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long long> gAllocations{0};
}  // namespace

namespace wltest {
long long allocationCount() { return gAllocations.load(std::memory_order_relaxed); }
}  // namespace wltest

void* operator new(std::size_t size) {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
