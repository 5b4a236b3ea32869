#include "plugin/dsp/ParamDistoGain.h"

#include <cmath>
#include <numbers>

double ParamDistoGain::denormalize_val(float norm) const noexcept
{
    return std::exp(static_cast<double>(norm) * std::numbers::ln10);
}

float ParamDistoGain::normalize_val(double natural) const noexcept
{
    // log10(v)
    return static_cast<float>(std::log(natural) * 0.43429448190325176);
}
