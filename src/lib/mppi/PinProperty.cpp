#include "lib/mppi/PinProperty.h"

#include <algorithm>

namespace mppi {

PinProperty::PinProperty(int nbr_chn)
{
    set_nbr_chn(nbr_chn);
}

void PinProperty::set_nbr_chn(int nbr_chn)
{
    _chn_names.resize(static_cast<size_t>(std::max(nbr_chn, 0)));
}

} // namespace mppi
