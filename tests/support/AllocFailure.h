#pragma once

namespace test_support {

// Makes the next allocation through the global operator new on the calling
// thread throw std::bad_alloc (once). Linking this file into a test program
// replaces the global operator new and delete by malloc-based versions that
// honour the request.
void fail_next_allocation() noexcept;

// True while a requested failure has not happened yet.
[[nodiscard]] bool is_allocation_failure_pending() noexcept;

} // namespace test_support
