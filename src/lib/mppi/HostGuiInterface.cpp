#include "lib/mppi/HostGuiInterface.h"

namespace mppi {

HostGuiInterface::~HostGuiInterface() = default;

} // namespace mppi
