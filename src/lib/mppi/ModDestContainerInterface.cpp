#include "lib/mppi/ModDestContainerInterface.h"

namespace mppi {

ModDestContainerInterface::~ModDestContainerInterface() = default;

} // namespace mppi
