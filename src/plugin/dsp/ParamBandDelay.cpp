#include "plugin/dsp/ParamBandDelay.h"

#include "lib/basic/StrBounded.h"
#include "plugin/dsp/ParamText.h"

#include <cmath>
#include <numbers>

void ParamBandDelay::get_name(char* text, long max) const noexcept
{
    basic::strncpy_0(text, NAME_0, max);
}

void ParamBandDelay::get_unit(char* text, long max) const noexcept
{
    basic::strncpy_0(text, UNIT_0, max);
}

double ParamBandDelay::denormalize_val(float norm) const noexcept
{
    const double u = 2.0f * norm - 1.0f;
    return 50.0 * u * u * u;
}

float ParamBandDelay::normalize_val(double natural) const noexcept
{
    // Cube root of v / 50 mapped from -1..1 to 0..1.
    if (natural == 0.0) {
        return 0.5f;
    }
    if (natural > 0.0) {
        const double c = std::exp(std::log(0.02 * natural) / 3.0);
        return static_cast<float>((c + 1.0) * 0.5);
    }
    const double c = std::exp(std::log(-0.02 * natural) / 3.0);
    return static_cast<float>(1.0 - (c + 1.0) * 0.5);
}

void ParamBandDelay::do_print_val(char* text, long max, double natural) const noexcept
{
    const ParamText::RoundNearestScope round_nearest;
    ParamText::print_fixed(text, max, natural, ParamText::PRINT_NBR_CHARS, ParamText::PRINT_LIMIT);
}

double ParamBandDelay::do_scan_val(const char* text, bool& ok) const noexcept
{
    const ParamText::RoundNearestScope round_nearest;
    return ParamText::scan_clamped(text, ok, VAL_MIN, VAL_MAX);
}
