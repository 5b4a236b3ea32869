#include "lib/mppi/FullLfoParamBase.h"

namespace mppi {

FullLfoParamBase::~FullLfoParamBase() = default;

} // namespace mppi
