#include "lib/mppi/LfoParamBase.h"

namespace mppi {

LfoParamBase::~LfoParamBase() = default;

} // namespace mppi
