#include "plugin/dsp/ParamReso.h"

#include "lib/basic/StrBounded.h"
#include "plugin/dsp/ParamText.h"

#include <cmath>
#include <numbers>

void ParamReso::get_name(char* text, long max) const noexcept
{
    basic::strncpy_0(text, NAME_0, max);
}

void ParamReso::get_unit(char* text, long max) const noexcept
{
    basic::strncpy_0(text, UNIT_0, max);
}

double ParamReso::denormalize_val(float norm) const noexcept
{
    const float twice = norm + norm;
    return std::exp(static_cast<double>(twice) * std::numbers::ln10);
}

float ParamReso::normalize_val(double natural) const noexcept
{
    // log10(v) / 2
    return static_cast<float>(std::log(natural) * 0.21714724095162588);
}

void ParamReso::do_print_val(char* text, long max, double natural) const noexcept
{
    const ParamText::RoundNearestScope round_nearest;
    ParamText::print_fixed(text, max, natural, ParamText::PRINT_NBR_CHARS, ParamText::PRINT_LIMIT);
}

double ParamReso::do_scan_val(const char* text, bool& ok) const noexcept
{
    const ParamText::RoundNearestScope round_nearest;
    return ParamText::scan_clamped(text, ok, VAL_MIN, VAL_MAX);
}
