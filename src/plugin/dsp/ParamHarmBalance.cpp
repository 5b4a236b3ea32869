#include "plugin/dsp/ParamHarmBalance.h"

#include "lib/basic/StrBounded.h"
#include "plugin/dsp/ParamText.h"

void ParamHarmBalance::get_name(char* text, long max) const noexcept
{
    basic::strncpy_0(text, NAME_0, max);
}

void ParamHarmBalance::get_unit(char* text, long max) const noexcept
{
    basic::strncpy_0(text, UNIT_0, max);
}

double ParamHarmBalance::denormalize_val(float norm) const noexcept
{
    return norm;
}

float ParamHarmBalance::normalize_val(double natural) const noexcept
{
    return static_cast<float>(natural);
}

void ParamHarmBalance::do_print_val(char* text, long max, double natural) const noexcept
{
    const ParamText::RoundNearestScope round_nearest;
    ParamText::print_fixed(text, max, natural, ParamText::PRINT_NBR_CHARS, ParamText::PRINT_LIMIT);
}

double ParamHarmBalance::do_scan_val(const char* text, bool& ok) const noexcept
{
    const ParamText::RoundNearestScope round_nearest;
    return ParamText::scan_clamped(text, ok, VAL_MIN, VAL_MAX);
}
