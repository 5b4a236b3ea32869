#include "lib/tnw/sys/posix/ThreadOps.h"

#include <cerrno>
#include <ctime>

#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

namespace tnw::sys::posix {

long get_thread_id() noexcept
{
    return static_cast<long>(::gettid());
}

void yield_thread() noexcept
{
    ::sched_yield();
}

void sleep_us(long long microseconds) noexcept
{
    if (microseconds <= 0) {
        return;
    }
    constexpr long long US_PER_S = 1'000'000;
    timespec remaining{};
    remaining.tv_sec = static_cast<time_t>(microseconds / US_PER_S);
    remaining.tv_nsec = static_cast<long>((microseconds % US_PER_S) * 1000);
    while (::nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
}

long count_online_processors() noexcept
{
    return ::sysconf(_SC_NPROCESSORS_ONLN);
}

bool set_thread_nice(int nice) noexcept
{
    // On Linux a thread id names a single thread for PRIO_PROCESS, so this
    // changes the calling thread only.
    return ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), nice) == 0;
}

} // namespace tnw::sys::posix
