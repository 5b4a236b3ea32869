#include "support/AllocFailure.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace test_support {

namespace {
thread_local bool fail_next = false;
// Only a count: relaxed ordering is enough.
std::atomic<long> nbr_allocations{0};
// Only a maximum of sizes: relaxed ordering is enough.
std::atomic<std::size_t> largest_allocation{0};

void note_size(std::size_t size) noexcept
{
    std::size_t old = largest_allocation.load(std::memory_order_relaxed);
    while (size > old &&
           !largest_allocation.compare_exchange_weak(old, size, std::memory_order_relaxed)) {
    }
}
} // namespace

void fail_next_allocation() noexcept
{
    fail_next = true;
}

bool is_allocation_failure_pending() noexcept
{
    return fail_next;
}

long get_nbr_allocations() noexcept
{
    return nbr_allocations.load(std::memory_order_relaxed);
}

void reset_largest_allocation() noexcept
{
    largest_allocation.store(0, std::memory_order_relaxed);
}

std::size_t get_largest_allocation() noexcept
{
    return largest_allocation.load(std::memory_order_relaxed);
}

} // namespace test_support

void* operator new(std::size_t size)
{
    test_support::nbr_allocations.fetch_add(1, std::memory_order_relaxed);
    test_support::note_size(size);
    if (test_support::fail_next) {
        test_support::fail_next = false;
        throw std::bad_alloc();
    }
    void* ptr = std::malloc(size == 0 ? 1 : size);
    if (ptr == nullptr) {
        throw std::bad_alloc();
    }
    return ptr;
}

void operator delete(void* ptr) noexcept
{
    std::free(ptr);
}

void operator delete(void* ptr, std::size_t /*size*/) noexcept
{
    std::free(ptr);
}
