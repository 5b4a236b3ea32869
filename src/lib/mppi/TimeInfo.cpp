#include "lib/mppi/TimeInfo.h"

namespace mppi {

void TimeInfo::clear() noexcept
{
    *this = TimeInfo();
}

} // namespace mppi
