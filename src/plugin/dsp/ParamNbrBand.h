#pragma once

#include "plugin/dsp/ParamNamed.h"

// Number of bands, 1 to 16 in whole steps: natural = floor(15 n + 0.5) + 1.
// Displayed as a whole number of at most two digits.
class ParamNbrBand : public ParamNamed<ParamNbrBand>
{
public:
    static constexpr const char* NAME_0 = "Nbr Bands";
    static constexpr const char* UNIT_0 = "";
    static constexpr double VAL_MIN = 1.0;
    static constexpr double VAL_MAX = 16.0;

    [[nodiscard]] int get_range_type() const noexcept override;
    [[nodiscard]] double denormalize_val(float norm) const noexcept override;
    [[nodiscard]] float normalize_val(double natural) const noexcept override;
    // At most min(max, 3) bytes with the terminator.
    void do_print_val(char* text, long max, double natural) const noexcept override;
    // A number clamped to 1..16 (NaN gives 16), rounded half up.
    [[nodiscard]] double do_scan_val(const char* text, bool& ok) const noexcept override;

private:
    static constexpr long PRINT_LIMIT = 3;
    static constexpr int PRINT_NBR_CHARS = 2;
};
