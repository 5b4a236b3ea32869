#include "plugin/dsp/ParamHarmBalance.h"

double ParamHarmBalance::denormalize_val(float norm) const noexcept
{
    return norm;
}

float ParamHarmBalance::normalize_val(double natural) const noexcept
{
    return static_cast<float>(natural);
}
