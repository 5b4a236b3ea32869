#pragma once

#include "plugin/dsp/ParamNumeric.h"

// Gain into the soft-clipping distortion, 1 to 10: natural = 10^n.
// Displayed as the first five characters of "%f"; parsed as a number clamped to
// the range.
class ParamDistoGain : public ParamNumeric<ParamDistoGain>
{
public:
    static constexpr const char* NAME_0 = "Dist Gain";
    static constexpr const char* UNIT_0 = "";
    static constexpr double VAL_MIN = 1.0;
    static constexpr double VAL_MAX = 10.0;

    [[nodiscard]] double denormalize_val(float norm) const noexcept override;
    [[nodiscard]] float normalize_val(double natural) const noexcept override;
};
