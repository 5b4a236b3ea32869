#include "support/AllocFailure.h"

#include <cstdlib>
#include <new>

namespace test_support {

namespace {
thread_local bool fail_next = false;
} // namespace

void fail_next_allocation() noexcept
{
    fail_next = true;
}

bool is_allocation_failure_pending() noexcept
{
    return fail_next;
}

} // namespace test_support

void* operator new(std::size_t size)
{
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
