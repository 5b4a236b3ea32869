#pragma once

#include <cstddef>

namespace test_support {

// Makes the next allocation through the global operator new on the calling
// thread throw std::bad_alloc (once). Linking this file into a test program
// replaces the global operator new and delete by malloc-based versions that
// honour the request.
void fail_next_allocation() noexcept;

// True while a requested failure has not happened yet.
[[nodiscard]] bool is_allocation_failure_pending() noexcept;

// Number of calls of the global operator new so far, on every thread; a test
// proves a stretch of code allocates nothing by reading it before and after.
[[nodiscard]] long get_nbr_allocations() noexcept;

// The largest single request to the global operator new since the last reset, on every
// thread; a test proves that a damaged length asks for no huge block.
void reset_largest_allocation() noexcept;
[[nodiscard]] std::size_t get_largest_allocation() noexcept;

} // namespace test_support
