#include "lib/mppi/NotifiedInterface.h"

namespace mppi {

NotifiedInterface::~NotifiedInterface() = default;

} // namespace mppi
