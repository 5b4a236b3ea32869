#include "plugin/dsp/ParamText.h"

#include "lib/basic/StrBounded.h"
#include "lib/basic/StrNumDate.h"

#include <algorithm>
#include <array>
#include <cfenv>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

// "%f" of the largest double: sign, 309 integer digits, point, six decimals.
constexpr std::size_t FIXED_SCRATCH_SIZE = 1 + 309 + 1 + 6 + 1;

} // namespace

ParamText::RoundNearestScope::RoundNearestScope() noexcept : _saved_mode(std::fegetround())
{
    std::fesetround(FE_TONEAREST);
}

ParamText::RoundNearestScope::~RoundNearestScope()
{
    std::fesetround(_saved_mode);
}

void ParamText::copy(char* buf, long len, const char* text, long limit) noexcept
{
    basic::strncpy_0(buf, text, std::min(len, limit));
}

void ParamText::print_fixed(char* buf, long len, double value, int nbr_chars, long limit) noexcept
{
    std::array<char, FIXED_SCRATCH_SIZE> scratch{};
    const auto res = std::to_chars(scratch.data(), scratch.data() + scratch.size() - 1, value,
                                   std::chars_format::fixed, 6);
    const auto length = res.ec == std::errc{} ? res.ptr - scratch.data() : 0;
    scratch[static_cast<std::size_t>(std::clamp<long>(nbr_chars, 0, length))] = '\0';
    copy(buf, len, scratch.data(), limit);
}

void ParamText::print_int(char* buf, long len, int value, int nbr_chars, long limit) noexcept
{
    std::array<char, std::numeric_limits<int>::digits10 + 3> scratch{};
    const auto res = std::to_chars(scratch.data(), scratch.data() + scratch.size() - 1, value);
    const auto length = res.ec == std::errc{} ? res.ptr - scratch.data() : 0;
    scratch[static_cast<std::size_t>(std::clamp<long>(nbr_chars, 0, length))] = '\0';
    copy(buf, len, scratch.data(), limit);
}

double ParamText::scan_clamped(const char* text, bool& ok, double lo, double hi) noexcept
{
    double value = 0.0;
    const char* end = nullptr;
    if (!basic::scan_double(text, value, end)) {
        return lo;
    }
    ok = true;
    if (std::isnan(value) || value > hi) {
        return hi;
    }
    return value < lo ? lo : value;
}
