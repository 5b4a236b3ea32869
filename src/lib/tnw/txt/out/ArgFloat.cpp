#include "lib/tnw/txt/out/ArgFloat.h"

#include <cmath>

namespace tnw::txt::out {

namespace {

// floor(a / b) for b > 0.
long floor_div(long a, long b) noexcept
{
    const long quot = a / b;
    return (a % b != 0 && a < 0) ? quot - 1 : quot;
}

long count_digits(long mag, long base) noexcept
{
    long nbr = 1;
    for (; mag >= base; mag /= base) {
        ++nbr;
    }
    return nbr;
}

// Bits per digit, rounded down, of the bases the options offer.
long bits_per_digit(int base) noexcept
{
    return (base == 16) ? 4 : (base == 10) ? 3 : 1;
}

// A half unit below 2^-1200 is more than 112 bits under the smallest double,
// so adding it cannot change any double: such rounding is skipped.
constexpr long NEGLIGIBLE_BIN_EXP = -1200;

} // namespace

ArgFloat::ArgFloat(DevInterface& dev, const FmtInfo& fmt) : ArgNumBase(dev, fmt) {}

void ArgFloat::print(const long double& val)
{
    const auto d = static_cast<double>(val);
    if (std::isnan(d)) {
        set_sign(false);
        print_word("nan");
        return;
    }
    set_sign(d < 0); // -0.0 counts as zero: no '-'
    if (std::isinf(d)) {
        print_word("inf");
        return;
    }
    set_value(std::fabs(d));
    layout();
    if (_x != 0 && !_fmt.is_truncated()) {
        const long q = _q;
        round_value();
        if (_q != q) {
            layout(); // once more on the rounded value, without a second rounding
        }
    }
    if (_fmt.has_max_len() && get_size() > _fmt.get_max_len()) {
        print_not_displayable();
        return;
    }
    cut_trailing_zeros();
    const long after = print_head(get_grouped_len(_nbr_int_digits));
    print_grouped(_exp + _nbr_int_digits - 1, _nbr_int_digits, _exp);
    if (_nbr_decimals > 0) {
        _dev.print_char('.');
        print_digit_sequence(_exp - 1, _nbr_decimals);
    }
    if (_exp_form_flag) {
        print_exponent();
    }
    print_repeat(' ', after);
}

// Infinities and NaN are laid out like a number of three characters; a '0'
// fill would make them look like digits, so it shows as blanks.
void ArgFloat::print_word(const char* word_0)
{
    const long width = get_nbr_sign_chars() + 3;
    if (_fmt.has_max_len() && width > _fmt.get_max_len()) {
        print_not_displayable();
        return;
    }
    const Fill fill = compute_fill(width);
    print_repeat((fill._before_char == '0') ? ' ' : fill._before_char, fill._before);
    print_number_sign();
    for (const char* c = word_0; *c != '\0'; ++c) {
        _dev.print_char(apply_case(*c));
    }
    print_repeat(' ', fill._after);
}

void ArgFloat::set_value(double x)
{
    _x = x;
    _q = 0;
    _nbr_digits = 0;
    _started_flag = false;
    _exhausted_flag = false;
    if (x != 0) {
        _gen.set_dbl(x, _fmt.get_base());
        _q = _gen.get_k() - 1;
    }
}

// Form, exponent, integer digits and decimals for the current value.
void ArgFloat::layout()
{
    const long base = _fmt.get_base();
    const long nbr_dec_opt = _fmt.get_nbr_decimals();
    switch (_fmt.get_float_mode()) {
    case FmtInfo::FLOAT_MODE_FIXED:
        _exp_form_flag = false;
        break;
    case FmtInfo::FLOAT_MODE_EXPONENT:
        _exp_form_flag = true;
        break;
    case FmtInfo::FLOAT_MODE_GENERAL:
        _exp_form_flag = (_x != 0 && (_q > 9 || _q < -nbr_dec_opt));
        break;
    }
    if (_exp_form_flag) {
        const long step = (_fmt.get_group_size() > 0) ? _fmt.get_group_size() : 1;
        _exp = floor_div(_q, step) * step;
        _exp_sign_char = (_exp < 0)                                              ? '-'
                         : (_fmt.get_sign_mode() != FmtInfo::SIGN_NEGATIVE_ONLY) ? '+'
                                                                                 : '\0';
        const long nbr_digits = count_digits((_exp < 0) ? -_exp : _exp, base);
        _nbr_exp_digits = (_fmt.get_exp_size() > nbr_digits) ? _fmt.get_exp_size() : nbr_digits;
        _nbr_int_digits = _q - _exp + 1;
    } else {
        _exp = 0;
        _exp_sign_char = '\0';
        _nbr_exp_digits = 0;
        _nbr_int_digits = (_q >= 0) ? _q + 1 : 1;
    }
    long nbr_dec = nbr_dec_opt;
    if (_fmt.has_max_len()) {
        const long room = _fmt.get_max_len() - get_size() - 1;
        nbr_dec = (room < nbr_dec) ? room : nbr_dec;
    }
    _nbr_decimals = (nbr_dec < 0) ? 0 : nbr_dec;
}

// Adds half a unit of the last shown digit, so that cutting the digits there
// rounds. The value stays as it is when the half unit is negligible or the
// sum lies beyond the largest double (its own digits are then cut).
void ArgFloat::round_value()
{
    const int base = _fmt.get_base();
    const long pos = _exp - _nbr_decimals;
    if (pos * bits_per_digit(base) < NEGLIGIBLE_BIN_EXP) {
        return;
    }
    // add_half_unit keeps the value itself when the sum is not finite.
    const double rounded = DigitGen::add_half_unit(_x, base, static_cast<int>(pos));
    if (rounded != _x) {
        set_value(rounded);
    }
}

// Digit of weight base^pos: 0 above the first digit and below the last one.
int ArgFloat::get_digit(long pos)
{
    if (_x == 0 || pos > _q) {
        return 0;
    }
    const long index = _q - pos;
    while (!_exhausted_flag && _nbr_digits <= index) {
        if (!_started_flag) {
            _gen.start();
            _started_flag = true;
        } else if (_gen.is_last() || _nbr_digits >= MAX_NBR_DIGITS) {
            _gen.set_state(-1);
            _exhausted_flag = true;
            break;
        } else {
            _gen.iterate_internal();
        }
        _digit_arr[_nbr_digits] = static_cast<unsigned char>(_gen.get_cur_digit());
        ++_nbr_digits;
    }
    return (index < _nbr_digits) ? _digit_arr[index] : 0;
}

// Drops the decimals after the last non-zero digit (all of them for zero).
void ArgFloat::cut_trailing_zeros()
{
    if (_fmt.has_zero_trail()) {
        return;
    }
    long last_non_zero = _exp;
    if (_x != 0) {
        const long lowest = _exp - _nbr_decimals;
        for (long pos = (_q < _exp - 1) ? _q : _exp - 1; pos >= lowest; --pos) {
            const int digit = get_digit(pos);
            if (_exhausted_flag && _q - pos >= _nbr_digits) {
                break;
            }
            last_non_zero = (digit != 0) ? pos : last_non_zero;
        }
    }
    _nbr_decimals = _exp - last_non_zero;
}

// Sign, grouped integer digits and exponent part: what has to fit.
long ArgFloat::get_size() const noexcept
{
    long size = get_nbr_sign_chars() + get_grouped_len(_nbr_int_digits);
    if (_exp_form_flag) {
        size += ((_exp_sign_char != '\0') ? 1 : 0) + 1 + _nbr_exp_digits;
    }
    return size;
}

long ArgFloat::get_nbr_displayed_chars() const
{
    return get_size() + ((_nbr_decimals > 0) ? 1 + _nbr_decimals : 0);
}

void ArgFloat::print_number_sign()
{
    if (_sign_char != '\0') {
        _dev.print_char(_sign_char);
    }
}

void ArgFloat::print_digit_sequence(long pos, long count)
{
    for (long p = pos; p > pos - count; --p) {
        _dev.print_char(digit_char(get_digit(p)));
    }
}

void ArgFloat::print_exponent()
{
    _dev.print_char((_fmt.get_case_mode() == FmtInfo::CASE_UPPER) ? 'E' : 'e');
    if (_exp_sign_char != '\0') {
        _dev.print_char(_exp_sign_char);
    }
    const long base = _fmt.get_base();
    const long mag = (_exp < 0) ? -_exp : _exp;
    const long nbr_digits = count_digits(mag, base);
    print_repeat('0', _nbr_exp_digits - nbr_digits);
    long weight = 1;
    for (long i = 1; i < nbr_digits; ++i) {
        weight *= base;
    }
    for (; weight > 0; weight /= base) {
        _dev.print_char(digit_char(static_cast<int>((mag / weight) % base)));
    }
}

} // namespace tnw::txt::out
