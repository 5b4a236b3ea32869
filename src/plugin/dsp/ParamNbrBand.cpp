#include "plugin/dsp/ParamNbrBand.h"

#include "lib/basic/StrNumDate.h"
#include "plugin/dsp/ParamText.h"

#include <cmath>

int ParamNbrBand::get_range_type() const noexcept
{
    return 1;
}

double ParamNbrBand::denormalize_val(float norm) const noexcept
{
    const float steps = norm * 15.0f;
    return std::floor(static_cast<double>(steps) + 0.5) + 1.0;
}

float ParamNbrBand::normalize_val(double natural) const noexcept
{
    // (v - 1) / 15
    return static_cast<float>((natural - 1.0) * 0.06666666666666667);
}

void ParamNbrBand::do_print_val(char* text, long max, double natural) const noexcept
{
    const ParamText::RoundNearestScope round_nearest;
    ParamText::print_int(text, max, basic::round_int(natural), PRINT_NBR_CHARS, PRINT_LIMIT);
}

double ParamNbrBand::do_scan_val(const char* text, bool& ok) const noexcept
{
    const ParamText::RoundNearestScope round_nearest;
    return std::floor(ParamText::scan_clamped(text, ok, VAL_MIN, VAL_MAX) + 0.5);
}
