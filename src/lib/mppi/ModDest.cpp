#include "lib/mppi/ModDest.h"

#include "lib/mppi/ModDestContainerInterface.h"

namespace mppi {

ModDest::~ModDest() = default;

void ModDest::set_channel(ModChannel* channel) noexcept
{
    _channel_ptr.store(channel, std::memory_order_release);
    if (_container_ptr != nullptr) {
        _container_ptr->dest_connection_changed(this);
    }
}

} // namespace mppi
