#include "lib/tnw/sys/TimerFine.h"

#include "lib/tnw/sys/posix/MonotonicClock.h"

namespace tnw::sys {

double TimerFine::get() const noexcept
{
    return static_cast<double>(posix::read_uptime_ns()) * 1e-9;
}

} // namespace tnw::sys
