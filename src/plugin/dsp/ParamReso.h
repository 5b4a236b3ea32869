#pragma once

#include "plugin/dsp/ParamNumeric.h"

// Resonance of the low-pass, 1 to 100: natural = 10^(2 n).
// Displayed as the first five characters of "%f"; parsed as a number clamped to
// the range.
class ParamReso : public ParamNumeric<ParamReso>
{
public:
    static constexpr const char* NAME_0 = "Resonance";
    static constexpr const char* UNIT_0 = "";
    static constexpr double VAL_MIN = 1.0;
    static constexpr double VAL_MAX = 100.0;

    [[nodiscard]] double denormalize_val(float norm) const noexcept override;
    [[nodiscard]] float normalize_val(double natural) const noexcept override;
};
