#pragma once

#include "plugin/dsp/ParamNamed.h"
#include "plugin/dsp/ParamText.h"

// Any thread: the display of a parameter shown as a plain number, for the
// parameter class `Param` that derives from it with the constants `NAME_0`,
// `UNIT_0`, `VAL_MIN` and `VAL_MAX`. Printing keeps the first five characters
// of "%f"; parsing reads a number clamped to [VAL_MIN, VAL_MAX]. Holds no
// fields, so the parameter keeps exactly the base's.
template <typename Param>
class ParamNumeric : public ParamNamed<Param>
{
public:
    // At most min(max, 16) bytes with the terminator.
    void do_print_val(char* text, long max, double natural) const noexcept override
    {
        const ParamText::RoundNearestScope round_nearest;
        ParamText::print_fixed(text, max, natural, ParamText::PRINT_NBR_CHARS,
                               ParamText::PRINT_LIMIT);
    }

    // Above VAL_MAX or not a number gives VAL_MAX, below VAL_MIN gives
    // VAL_MIN; a text starting with no number is refused.
    [[nodiscard]] double do_scan_val(const char* text, bool& ok) const noexcept override
    {
        const ParamText::RoundNearestScope round_nearest;
        return ParamText::scan_clamped(text, ok, Param::VAL_MIN, Param::VAL_MAX);
    }
};
