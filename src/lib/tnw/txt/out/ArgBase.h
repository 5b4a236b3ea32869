#pragma once

#include "lib/tnw/txt/out/DevInterface.h"
#include "lib/tnw/txt/out/FmtInfo.h"

namespace tnw::txt::out {

// Renders one placeholder onto a device; built on the stack for one call.
// Any thread; allocates nothing.
class ArgBase
{
public:
    ArgBase(DevInterface& dev, const FmtInfo& fmt) : _dev(dev), _fmt(fmt) {}
    virtual ~ArgBase() = default;
    ArgBase(const ArgBase&) = delete;
    ArgBase& operator=(const ArgBase&) = delete;

protected:
    // Characters around a rendered value of a given width: only a maximum
    // length leaves room to fill.
    class Fill
    {
    public:
        long _before = 0;
        long _after = 0;
        char _before_char = ' ';
    };

    [[nodiscard]] Fill compute_fill(long width) const noexcept;
    void print_repeat(char c, long nbr);
    // Letter case of the case option, ASCII only (independent of any locale).
    [[nodiscard]] char apply_case(char c) const noexcept;

    DevInterface& _dev;
    const FmtInfo& _fmt;
};

} // namespace tnw::txt::out
