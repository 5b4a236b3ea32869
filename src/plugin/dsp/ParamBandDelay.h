#pragma once

#include "plugin/dsp/ParamNumeric.h"

// Delay step between the bands, -50 to 50 ms: natural = 50 u^3 with u = 2 n - 1,
// so that small delays get most of the travel.
// Displayed as the first five characters of "%f"; parsed as a number clamped to
// the range.
class ParamBandDelay : public ParamNumeric<ParamBandDelay>
{
public:
    static constexpr const char* NAME_0 = "Evolution";
    static constexpr const char* UNIT_0 = "ms";
    static constexpr double VAL_MIN = -50.0;
    static constexpr double VAL_MAX = 50.0;

    [[nodiscard]] double denormalize_val(float norm) const noexcept override;
    [[nodiscard]] float normalize_val(double natural) const noexcept override;
};
