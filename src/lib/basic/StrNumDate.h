// Rounding to an integer, short float printing, reading a number (decimal
// integer or floating-point) and reading a compile date.
//
// Any thread; no state, no lock, no allocation. Nothing here depends on the
// process's C locale: a decimal comma set by a host never shows up.
#pragma once

namespace basic {

// The nearest integer, halves rounded up (towards plus infinity): 2.5 gives
// 3, -2.5 gives -2, -0.5 gives 0. Values beyond the 32-bit range saturate to
// its ends; NaN gives 0.
[[nodiscard]] int round_int(double x) noexcept;

// Reads an optionally signed decimal number after leading white space, as
// strtol does but without locale. `end` receives the position after the
// digits, or `text` itself when there are none (the result is then 0). Every
// value of the long long range reads exactly, its minimum too; a number
// beyond the range saturates to plus or minus its maximum.
[[nodiscard]] long long read_decimal(const char* text, const char** end) noexcept;

// Prints `value` into `dst` in at most `n` characters and returns `dst`.
// A value whose integer part leaves room for a point and a decimal within
// `n` characters is printed with six decimals and cut to `n` characters
// (123.456 with n = 5 gives "123.4"); any other value is rounded half up to
// an integer and cut to `n` characters; NaN and infinities print as "nan",
// "inf" and "-inf", cut likewise. n = 0 (or less) gives an empty text.
// Precondition: `dst` holds max(n, 0) + 1 bytes.
char* print_float(char* dst, double value, long n) noexcept;

// Reads one floating-point number the way "%lf" does in the "C" locale:
// leading white space skipped, an optional sign, decimal or "0x" hexadecimal
// digits with an optional exponent, or "inf", "infinity", "nan"; a magnitude
// beyond the double range reads as infinity, one below it as zero. The
// longest number that starts the text is taken, as strtod takes it: "0x"
// reads as 0 and "infin" as infinity (a reader that refuses such an
// unfinished tail would refuse texts that hold a number). `end` receives the
// position after the number. False when no number starts the text (or the
// text is null); `value` is then untouched and `end` is `text`.
[[nodiscard]] bool scan_double(const char* text, double& value, const char*& end) noexcept;

// Reads a compile-date text such as "Dec 25 2009": a three-letter English
// month name (any case), a blank, the day in two characters (a one-digit day
// led by a blank), a blank and the year. `month` is 0-based (-1 when no name
// matches) and `day` is 0-based (24 for the 25th).
void decode_compile_date(int& year, int& month, int& day, const char* text) noexcept;

} // namespace basic
