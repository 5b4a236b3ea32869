#pragma once

#include "plugin/dsp/ParamNumeric.h"

// Spacing of the bands as a multiple of the cut-off, 1 to 5: natural = 4 n + 1,
// computed in single precision.
// Displayed as the first five characters of "%f"; parsed as a number clamped to
// the range.
class ParamHarmFactor : public ParamNumeric<ParamHarmFactor>
{
public:
    static constexpr const char* NAME_0 = "Band Spacing";
    static constexpr const char* UNIT_0 = "";
    static constexpr double VAL_MIN = 1.0;
    static constexpr double VAL_MAX = 5.0;

    [[nodiscard]] double denormalize_val(float norm) const noexcept override;
    [[nodiscard]] float normalize_val(double natural) const noexcept override;
};
