#include "lib/mppi/MPCInterface.h"

namespace mppi {

MPCInterface::~MPCInterface() = default;

} // namespace mppi
