#include "plugin/dsp/ParamDistoGain.h"

#include "lib/basic/StrBounded.h"
#include "plugin/dsp/ParamText.h"

#include <cmath>
#include <numbers>

void ParamDistoGain::get_name(char* text, long max) const noexcept
{
    basic::strncpy_0(text, NAME_0, max);
}

void ParamDistoGain::get_unit(char* text, long max) const noexcept
{
    basic::strncpy_0(text, UNIT_0, max);
}

double ParamDistoGain::denormalize_val(float norm) const noexcept
{
    return std::exp(static_cast<double>(norm) * std::numbers::ln10);
}

float ParamDistoGain::normalize_val(double natural) const noexcept
{
    // log10(v)
    return static_cast<float>(std::log(natural) * 0.43429448190325176);
}

void ParamDistoGain::do_print_val(char* text, long max, double natural) const noexcept
{
    const ParamText::RoundNearestScope round_nearest;
    ParamText::print_fixed(text, max, natural, ParamText::PRINT_NBR_CHARS, ParamText::PRINT_LIMIT);
}

double ParamDistoGain::do_scan_val(const char* text, bool& ok) const noexcept
{
    const ParamText::RoundNearestScope round_nearest;
    return ParamText::scan_clamped(text, ok, VAL_MIN, VAL_MAX);
}
