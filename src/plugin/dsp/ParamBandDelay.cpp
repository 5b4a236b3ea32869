#include "plugin/dsp/ParamBandDelay.h"

#include <cmath>

double ParamBandDelay::denormalize_val(float norm) const noexcept
{
    const double u = 2.0f * norm - 1.0f;
    return 50.0 * u * u * u;
}

float ParamBandDelay::normalize_val(double natural) const noexcept
{
    // Cube root of v / 50 mapped from -1..1 to 0..1.
    if (natural == 0.0) {
        return 0.5f;
    }
    if (natural > 0.0) {
        const double c = std::exp(std::log(0.02 * natural) / 3.0);
        return static_cast<float>((c + 1.0) * 0.5);
    }
    const double c = std::exp(std::log(-0.02 * natural) / 3.0);
    return static_cast<float>(1.0 - (c + 1.0) * 0.5);
}
