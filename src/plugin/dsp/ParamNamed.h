#pragma once

#include "lib/basic/StrBounded.h"
#include "lib/mppi/NormalizedParamInterface.h"

// Any thread: the name and unit of an effect parameter, taken from the
// `NAME_0` and `UNIT_0` constants of the parameter class `Param` that derives
// from it. Holds no fields, so the parameter keeps exactly the base's.
template <typename Param>
class ParamNamed : public mppi::NormalizedParamInterface
{
public:
    // At most `max` bytes with the terminator.
    void get_name(char* text, long max) const noexcept override
    {
        basic::strncpy_0(text, Param::NAME_0, max);
    }

    void get_unit(char* text, long max) const noexcept override
    {
        basic::strncpy_0(text, Param::UNIT_0, max);
    }
};
