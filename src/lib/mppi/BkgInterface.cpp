#include "lib/mppi/BkgInterface.h"

namespace mppi {

BkgInterface::~BkgInterface() = default;

} // namespace mppi
