#include "lib/tnw/txt/out/ArgBase.h"

namespace tnw::txt::out {

ArgBase::Fill ArgBase::compute_fill(long width) const noexcept
{
    Fill fill;
    if (!_fmt.has_max_len() || width >= _fmt.get_max_len()) {
        return fill;
    }
    const long free = _fmt.get_max_len() - width;
    switch (_fmt.get_justify_mode()) {
    case FmtInfo::JUSTIFY_CENTRE:
        fill._before = free / 2;
        fill._after = free - fill._before;
        break;
    case FmtInfo::JUSTIFY_RIGHT:
        fill._before = free;
        fill._before_char = _fmt.get_whitespace();
        break;
    case FmtInfo::JUSTIFY_LEFT:
        fill._after = free;
        break;
    case FmtInfo::JUSTIFY_NONE:
        break;
    }
    return fill;
}

void ArgBase::print_repeat(char c, long nbr)
{
    for (long i = 0; i < nbr; ++i) {
        _dev.print_char(c);
    }
}

char ArgBase::apply_case(char c) const noexcept
{
    switch (_fmt.get_case_mode()) {
    case FmtInfo::CASE_UPPER:
        return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    case FmtInfo::CASE_LOWER:
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    case FmtInfo::CASE_UNCHANGED:
        break;
    }
    return c;
}

} // namespace tnw::txt::out
