#include "plugin/dsp/ParamHarmFactor.h"

#include "lib/basic/StrBounded.h"
#include "plugin/dsp/ParamText.h"

void ParamHarmFactor::get_name(char* text, long max) const noexcept
{
    basic::strncpy_0(text, NAME_0, max);
}

void ParamHarmFactor::get_unit(char* text, long max) const noexcept
{
    basic::strncpy_0(text, UNIT_0, max);
}

double ParamHarmFactor::denormalize_val(float norm) const noexcept
{
    return norm * 4.0f + 1.0f;
}

float ParamHarmFactor::normalize_val(double natural) const noexcept
{
    return static_cast<float>(natural - 1.0) * 0.25f;
}

void ParamHarmFactor::do_print_val(char* text, long max, double natural) const noexcept
{
    const ParamText::RoundNearestScope round_nearest;
    ParamText::print_fixed(text, max, natural, ParamText::PRINT_NBR_CHARS, ParamText::PRINT_LIMIT);
}

double ParamHarmFactor::do_scan_val(const char* text, bool& ok) const noexcept
{
    const ParamText::RoundNearestScope round_nearest;
    return ParamText::scan_clamped(text, ok, VAL_MIN, VAL_MAX);
}
