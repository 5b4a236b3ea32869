#pragma once

#include "lib/tnw/txt/out/ArgNumBase.h"

namespace tnw::txt::out {

// Renders a signed 64-bit integer in base 2, 10 or 16.
// Any thread; allocates nothing.
class ArgInt : public ArgNumBase
{
public:
    using ArgNumBase::ArgNumBase;

    void print(const long long& val);

    [[nodiscard]] long get_nbr_displayed_chars() const override;
    void print_number_sign() override;
    void print_digit_sequence(long pos, long count) override;

private:
    static constexpr int MAX_NBR_DIGITS = 64; // base 2

    // _digit_arr[p] is the digit of weight base^p.
    unsigned char _digit_arr[MAX_NBR_DIGITS] = {};
    long _nbr_digits = 1;
};

} // namespace tnw::txt::out
