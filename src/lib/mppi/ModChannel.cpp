#include "lib/mppi/ModChannel.h"

namespace mppi {

ModChannel::~ModChannel() = default;

} // namespace mppi
