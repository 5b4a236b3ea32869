#include "lib/tnw/math/IntMultiPrec.h"

namespace tnw::math {

template class IntMultiPrec<4>;

} // namespace tnw::math
