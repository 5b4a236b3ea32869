#include "plugin/dsp/ParamHarmFactor.h"

double ParamHarmFactor::denormalize_val(float norm) const noexcept
{
    return norm * 4.0f + 1.0f;
}

float ParamHarmFactor::normalize_val(double natural) const noexcept
{
    return static_cast<float>(natural - 1.0) * 0.25f;
}
