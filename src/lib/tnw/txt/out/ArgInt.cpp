#include "lib/tnw/txt/out/ArgInt.h"

#include <cstdint>

namespace tnw::txt::out {

void ArgInt::print(const long long& val)
{
    const int base = _fmt.get_base();
    // Unsigned magnitude, so the most negative value has its digits too.
    const auto bits = static_cast<std::uint64_t>(val);
    std::uint64_t mag = (val < 0) ? ~bits + 1 : bits;
    _nbr_digits = 0;
    do {
        _digit_arr[_nbr_digits] = static_cast<unsigned char>(mag % static_cast<unsigned>(base));
        mag /= static_cast<unsigned>(base);
        ++_nbr_digits;
    } while (mag != 0);
    set_sign(val < 0);

    if (_fmt.has_max_len() && get_nbr_displayed_chars() > _fmt.get_max_len()) {
        print_not_displayable();
        return;
    }
    const long after = print_head(get_grouped_len(_nbr_digits));
    print_grouped(_nbr_digits - 1, _nbr_digits, 0);
    print_repeat(' ', after);
}

long ArgInt::get_nbr_displayed_chars() const
{
    return get_nbr_sign_chars() + get_grouped_len(_nbr_digits);
}

void ArgInt::print_number_sign()
{
    if (_sign_char != '\0') {
        _dev.print_char(_sign_char);
    }
}

void ArgInt::print_digit_sequence(long pos, long count)
{
    for (long p = pos; p > pos - count; --p) {
        _dev.print_char(digit_char(_digit_arr[p]));
    }
}

} // namespace tnw::txt::out
