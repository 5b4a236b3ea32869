#pragma once

#include "lib/mppi/NormalizedParamInterface.h"

// Cross-fade between the low-pass road and the band road, 0 to 1: natural =
// normalised.
// Displayed as the first five characters of "%f"; parsed as a number clamped to
// the range.
class ParamHarmBalance : public mppi::NormalizedParamInterface
{
public:
    static constexpr const char* NAME_0 = "Tone";
    static constexpr const char* UNIT_0 = "";
    static constexpr double VAL_MIN = 0.0;
    static constexpr double VAL_MAX = 1.0;

    void get_name(char* text, long max) const noexcept override;
    void get_unit(char* text, long max) const noexcept override;
    [[nodiscard]] double denormalize_val(float norm) const noexcept override;
    [[nodiscard]] float normalize_val(double natural) const noexcept override;
    // At most min(max, 16) bytes with the terminator.
    void do_print_val(char* text, long max, double natural) const noexcept override;
    [[nodiscard]] double do_scan_val(const char* text, bool& ok) const noexcept override;
};
