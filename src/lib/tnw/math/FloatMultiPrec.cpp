#include "lib/tnw/math/FloatMultiPrec.h"

namespace tnw::math {

template class FloatMultiPrec<4>;

} // namespace tnw::math
