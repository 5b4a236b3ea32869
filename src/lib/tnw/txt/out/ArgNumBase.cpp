#include "lib/tnw/txt/out/ArgNumBase.h"

namespace tnw::txt::out {

void ArgNumBase::set_sign(bool negative_flag) noexcept
{
    if (negative_flag) {
        _sign_char = '-';
    } else if (_fmt.get_sign_mode() == FmtInfo::SIGN_PLUS) {
        _sign_char = '+';
    } else if (_fmt.get_sign_mode() == FmtInfo::SIGN_SPACE) {
        _sign_char = ' ';
    } else {
        _sign_char = '\0';
    }
}

long ArgNumBase::get_grouped_len(long nbr_digits) const noexcept
{
    const long group = _fmt.get_group_size();
    return (group > 0 && nbr_digits > 0) ? nbr_digits + (nbr_digits - 1) / group : nbr_digits;
}

char ArgNumBase::digit_char(int digit) const noexcept
{
    static constexpr char UPPER[] = "0123456789ABCDEF";
    static constexpr char LOWER[] = "0123456789abcdef";
    const int index = (digit < 0) ? 0 : (digit > 15) ? 15 : digit;
    return (_fmt.get_case_mode() == FmtInfo::CASE_LOWER) ? LOWER[index] : UPPER[index];
}

void ArgNumBase::print_not_displayable()
{
    if (_fmt.get_justify_mode() != FmtInfo::JUSTIFY_NONE) {
        print_repeat('#', _fmt.get_max_len());
    } else if (_fmt.get_max_len() > 0) {
        _dev.print_char('#');
    }
}

long ArgNumBase::print_head(long int_len)
{
    const Fill fill = compute_fill(get_nbr_displayed_chars());
    if (fill._before_char != '0') {
        print_repeat(fill._before_char, fill._before);
        print_number_sign();
        return fill._after;
    }
    print_number_sign();
    const long group = _fmt.get_group_size();
    if (group <= 0) {
        print_repeat('0', fill._before);
        return fill._after;
    }
    // Fill positions continue the number's own, counted from its right end.
    for (long pos = int_len + fill._before - 1; pos >= int_len; --pos) {
        _dev.print_char((pos % (group + 1) == group) ? ' ' : '0');
    }
    return fill._after;
}

void ArgNumBase::print_grouped(long top, long count, long low)
{
    const long group = _fmt.get_group_size();
    const long end = top - count;
    long pos = top;
    while (pos > end) {
        long run = (group > 0) ? (pos - low) % group + 1 : pos - end;
        run = (run > pos - end) ? pos - end : run;
        print_digit_sequence(pos, run);
        pos -= run;
        if (pos > end) {
            _dev.print_char(' ');
        }
    }
}

} // namespace tnw::txt::out
