#include "plugin/dsp/ParamReso.h"

#include <cmath>
#include <numbers>

double ParamReso::denormalize_val(float norm) const noexcept
{
    const float twice = norm + norm;
    return std::exp(static_cast<double>(twice) * std::numbers::ln10);
}

float ParamReso::normalize_val(double natural) const noexcept
{
    // log10(v) / 2
    return static_cast<float>(std::log(natural) * 0.21714724095162588);
}
