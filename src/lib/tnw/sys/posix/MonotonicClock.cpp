#include "lib/tnw/sys/posix/MonotonicClock.h"

#include <ctime>

namespace tnw::sys::posix {

std::int64_t read_uptime_ns() noexcept
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

} // namespace tnw::sys::posix
