#include "lib/tnw/math/FloatMultiPrecPrint.h"

namespace tnw::math {

template class FloatMultiPrecPrint<4>;

} // namespace tnw::math
