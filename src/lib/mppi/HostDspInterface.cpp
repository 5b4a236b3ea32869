#include "lib/mppi/HostDspInterface.h"

namespace mppi {

HostDspInterface::~HostDspInterface() = default;

} // namespace mppi
