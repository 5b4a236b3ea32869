#include "plugin/dsp/ParamDistoRouting.h"

#include "lib/basic/StrCase.h"
#include "lib/basic/StrNumDate.h"
#include "plugin/dsp/ParamText.h"

#include <cmath>
#include <limits>

int ParamDistoRouting::get_range_type() const noexcept
{
    return 1;
}

double ParamDistoRouting::denormalize_val(float norm) const noexcept
{
    return std::floor(static_cast<double>(norm) + 0.5);
}

float ParamDistoRouting::normalize_val(double natural) const noexcept
{
    return static_cast<float>(std::floor(natural + 0.5));
}

void ParamDistoRouting::do_print_val(char* text, long max, double natural) const noexcept
{
    const ParamText::RoundNearestScope round_nearest;
    // Not a number rounds to no routing either.
    const int routing = std::isnan(natural) ? -1 : basic::round_int(natural);
    const char* name = routing == 0 || routing == 1 ? _ROUTING_NAME_LIST_0[routing] : ERROR_TXT_0;
    ParamText::copy(text, max, name, std::numeric_limits<long>::max());
}

double ParamDistoRouting::do_scan_val(const char* text, bool& ok) const noexcept
{
    if (text == nullptr) {
        return 0.0;
    }
    if (basic::search_str_ci("pre", text) >= 0) {
        ok = true;
        return 0.0;
    }
    if (basic::search_str_ci("post", text) >= 0) {
        ok = true;
        return 1.0;
    }
    return 0.0;
}
