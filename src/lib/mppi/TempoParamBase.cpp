#include "lib/mppi/TempoParamBase.h"

namespace mppi {

TempoParamBase::~TempoParamBase() = default;

} // namespace mppi
