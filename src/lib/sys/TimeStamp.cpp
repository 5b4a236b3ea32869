#include "lib/sys/TimeStamp.h"

#include "lib/tnw/sys/posix/MonotonicClock.h"

namespace sys {

double get_time_stamp() noexcept
{
    return static_cast<double>(tnw::sys::posix::read_uptime_ns()) * 1e-9;
}

} // namespace sys
