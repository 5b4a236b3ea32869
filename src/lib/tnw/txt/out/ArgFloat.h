#pragma once

#include "lib/tnw/math/FloatMultiPrecPrint.h"
#include "lib/tnw/txt/out/ArgNumBase.h"

namespace tnw::txt::out {

// Renders a floating-point value in fixed, exponent or general form, in base
// 2, 10 or 16, from the shortest digits that identify the double (generated
// lazily, most significant first, only as far as they are shown).
// Infinities and NaN print as "inf", "-inf" and "nan".
// Any thread; allocates nothing.
class ArgFloat : public ArgNumBase
{
public:
    ArgFloat(DevInterface& dev, const FmtInfo& fmt);

    void print(const long double& val);

    [[nodiscard]] long get_nbr_displayed_chars() const override;
    void print_number_sign() override;
    void print_digit_sequence(long pos, long count) override;

private:
    using DigitGen = math::FloatMultiPrecPrint<4>;

    void print_word(const char* word_0);
    void set_value(double x);
    void layout();
    void round_value();
    [[nodiscard]] int get_digit(long pos);
    void cut_trailing_zeros();
    [[nodiscard]] long get_size() const noexcept;
    void print_exponent();

    DigitGen _gen;
    double _x = 0.0; // magnitude being shown
    long _q = 0;     // position of the first significant digit
    bool _exp_form_flag = false;
    long _exp = 0; // shown exponent X: the lowest integer digit has position X
    char _exp_sign_char = '\0';
    long _nbr_exp_digits = 0;
    long _nbr_int_digits = 1;
    long _nbr_decimals = 0;
    // Digits generated so far, the first (position q) at index 0, so that
    // printing after the trailing-zero scan needs no second generation.
    static constexpr long MAX_NBR_DIGITS = 128; // shortest base-2 form: 53
    unsigned char _digit_arr[MAX_NBR_DIGITS] = {};
    long _nbr_digits = 0;
    bool _started_flag = false;
    bool _exhausted_flag = false; // every lower position is a zero
};

} // namespace tnw::txt::out
