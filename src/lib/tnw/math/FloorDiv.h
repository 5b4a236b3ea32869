// Integer division rounded towards minus infinity, and its remainder.
#pragma once

#include <cstdint>

namespace tnw::math {

// a / b rounded down. Precondition: b != 0, and not (a minimum, b = -1).
[[nodiscard]] constexpr std::int64_t floor_div(std::int64_t a, std::int64_t b) noexcept
{
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// a - b x floor_div(a, b): takes the sign of b (0 to b - 1 for b > 0).
[[nodiscard]] constexpr std::int64_t floor_mod(std::int64_t a, std::int64_t b) noexcept
{
    const std::int64_t r = a % b;
    return (r != 0 && (r < 0) != (b < 0)) ? r + b : r;
}

} // namespace tnw::math
