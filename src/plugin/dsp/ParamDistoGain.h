#pragma once

#include "lib/mppi/NormalizedParamInterface.h"

// Gain into the soft-clipping distortion, 1 to 10: natural = 10^n.
// Displayed as the first five characters of "%f"; parsed as a number clamped to
// the range.
class ParamDistoGain : public mppi::NormalizedParamInterface
{
public:
    static constexpr const char* NAME_0 = "Dist Gain";
    static constexpr const char* UNIT_0 = "";
    static constexpr double VAL_MIN = 1.0;
    static constexpr double VAL_MAX = 10.0;

    void get_name(char* text, long max) const noexcept override;
    void get_unit(char* text, long max) const noexcept override;
    [[nodiscard]] double denormalize_val(float norm) const noexcept override;
    [[nodiscard]] float normalize_val(double natural) const noexcept override;
    // At most min(max, 16) bytes with the terminator.
    void do_print_val(char* text, long max, double natural) const noexcept override;
    [[nodiscard]] double do_scan_val(const char* text, bool& ok) const noexcept override;
};
