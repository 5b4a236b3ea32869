#pragma once

#include "plugin/dsp/ParamNumeric.h"

// Cross-fade between the low-pass road and the band road, 0 to 1: natural =
// normalised.
// Displayed as the first five characters of "%f"; parsed as a number clamped to
// the range.
class ParamHarmBalance : public ParamNumeric<ParamHarmBalance>
{
public:
    static constexpr const char* NAME_0 = "Tone";
    static constexpr const char* UNIT_0 = "";
    static constexpr double VAL_MIN = 0.0;
    static constexpr double VAL_MAX = 1.0;

    [[nodiscard]] double denormalize_val(float norm) const noexcept override;
    [[nodiscard]] float normalize_val(double natural) const noexcept override;
};
