#include "lib/mppi/NotifierInterface.h"

#include "lib/mppi/NotifiedInterface.h"

namespace mppi {

NotifierInterface::~NotifierInterface() = default;

void NotifierInterface::notify_listener() noexcept
{
    if (_notified != nullptr) {
        _notified->notify(*this);
    }
}

} // namespace mppi
