#include "lib/mppi/DspInterface.h"

namespace mppi {

DspInterface::~DspInterface() = default;

} // namespace mppi
