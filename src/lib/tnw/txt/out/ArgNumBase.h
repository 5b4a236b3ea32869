#pragma once

#include "lib/tnw/txt/out/ArgBase.h"

namespace tnw::txt::out {

// Layout shared by numbers: sign position, grouping of integer digits,
// fill (a '0' fill continues the grouping) and the '#' form of a number that
// does not fit its maximum length. Digit positions count powers of the base:
// position p is the digit of weight base^p.
// Any thread; allocates nothing.
class ArgNumBase : public ArgBase
{
public:
    using ArgBase::ArgBase;

    // Width of the value without fill.
    [[nodiscard]] virtual long get_nbr_displayed_chars() const = 0;
    virtual void print_number_sign() = 0;
    // Prints count digits, from position pos downward, without separators.
    virtual void print_digit_sequence(long pos, long count) = 0;

protected:
    // Sign position: present for negatives and whenever a sign option is set.
    void set_sign(bool negative_flag) noexcept;
    [[nodiscard]] long get_nbr_sign_chars() const noexcept { return (_sign_char != '\0') ? 1 : 0; }
    // Digits plus one separator per full group.
    [[nodiscard]] long get_grouped_len(long nbr_digits) const noexcept;
    [[nodiscard]] char digit_char(int digit) const noexcept;

    void print_not_displayable();
    // Fill and sign before the number; int_len is the length of its grouped
    // integer part (a '0' fill continues that grouping). Returns the number of
    // fill characters still due after the number.
    [[nodiscard]] long print_head(long int_len);
    // count digits from position top downward, grouped so that a group ends
    // at position low.
    void print_grouped(long top, long count, long low);

    char _sign_char = '\0';
};

} // namespace tnw::txt::out
