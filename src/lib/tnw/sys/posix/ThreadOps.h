#pragma once

namespace tnw::sys::posix {

// Thread services of the system, for the calling thread. Any thread.

// Kernel id of the calling thread (never 0).
[[nodiscard]] long get_thread_id() noexcept;

// Gives up the processor to any other runnable thread.
void yield_thread() noexcept;

// Sleeps for the given number of microseconds; 0 or less returns at once.
// Interruptions by signals are resumed until the whole time has passed.
void sleep_us(long long microseconds) noexcept;

// Number of logical processors online; 0 or less when the query fails.
[[nodiscard]] long count_online_processors() noexcept;

// Sets the scheduling nice value of the calling thread; false when refused.
[[nodiscard]] bool set_thread_nice(int nice) noexcept;

} // namespace tnw::sys::posix
