#pragma once

// Text helpers shared by the effect's parameters: "%f"- and "%d"-style
// printing cut to a few characters, and clamped number reading. None of
// them depends on the process's locale (a host may have set a decimal comma),
// and none allocates. Callers run them inside a `RoundNearestScope`, since
// display and parsing are defined with round-to-nearest.
class ParamText
{
public:
    // The most characters, terminator included, that the numeric displays
    // write, and how many characters of the formatted value they keep.
    static constexpr long PRINT_LIMIT = 16;
    static constexpr int PRINT_NBR_CHARS = 5;

    // Forces the floating-point rounding mode to round-to-nearest for its
    // lifetime and restores the caller's mode afterwards. Any thread.
    class RoundNearestScope
    {
    public:
        RoundNearestScope() noexcept;
        ~RoundNearestScope();
        RoundNearestScope(const RoundNearestScope&) = delete;
        RoundNearestScope& operator=(const RoundNearestScope&) = delete;

    private:
        int _saved_mode;
    };

    // Copies `text` into `buf`, at most min(len, limit) bytes with the
    // terminator; nothing when that is 0 or less.
    static void copy(char* buf, long len, const char* text, long limit) noexcept;

    // The first `nbr_chars` characters of `value` formatted as "%f" does (six
    // decimals; "nan", "inf" and their signs likewise), copied as `copy` does.
    static void print_fixed(char* buf, long len, double value, int nbr_chars, long limit) noexcept;

    // The first `nbr_chars` characters of the decimal form of `value`, copied
    // as `copy` does.
    static void print_int(char* buf, long len, int value, int nbr_chars, long limit) noexcept;

    // A number read by `basic::scan_double`, clamped to [lo, hi]: above hi or NaN
    // gives hi, below lo gives lo. Sets `ok` when a number was read; otherwise
    // leaves it untouched and answers lo.
    [[nodiscard]] static double scan_clamped(const char* text, bool& ok, double lo,
                                             double hi) noexcept;
};
