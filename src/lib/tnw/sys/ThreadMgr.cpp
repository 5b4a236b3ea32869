#include "lib/tnw/sys/ThreadMgr.h"

#include "lib/tnw/sys/posix/ThreadOps.h"

#include <cmath>

namespace tnw::sys {

namespace {
// Result code of a thread priority that the system refused.
constexpr int ERR_PRIORITY_REFUSED = -2946;
} // namespace

ThreadMgr::ThreadId ThreadMgr::get_current_thread_id() noexcept
{
    return posix::get_thread_id();
}

void ThreadMgr::yield() noexcept
{
    posix::yield_thread();
}

void ThreadMgr::sleep(double seconds) noexcept
{
    const double microseconds = std::trunc(seconds * 1e6);
    // Also false for NaN. A huge time is bounded far below the integer's
    // range (about 285,000 years), which no caller can tell apart.
    if (!(microseconds >= 1.0)) {
        return;
    }
    constexpr double MAX_US = 9.0e18;
    posix::sleep_us(static_cast<long long>(std::fmin(microseconds, MAX_US)));
}

int ThreadMgr::count_nbr_logical_proc() noexcept
{
    const long nbr_proc = posix::count_online_processors();
    return (nbr_proc >= 1) ? static_cast<int>(nbr_proc) : 1;
}

int ThreadMgr::set_priority(Priority priority) noexcept
{
    return posix::set_thread_nice(static_cast<int>(priority)) ? 0 : ERR_PRIORITY_REFUSED;
}

void ThreadMgr::set_thread_name(const char* /*name*/) noexcept {}

} // namespace tnw::sys
