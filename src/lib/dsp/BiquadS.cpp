#include "lib/dsp/BiquadS.h"

#include <cmath>
#include <numbers>

namespace dsp {

namespace {

// 3.141592653589793
constexpr double pi = std::numbers::pi;

// tan x ~= x (1 + x^2/3 + 2 x^4/15): the first three terms of the series.
inline float tan_approx(float x) noexcept
{
    const float x2 = x * x;
    return x * (1.0f + x2 * (0.33333334f + x2 * 0.13333334f));
}

// Substitutes s = k (1 - z^-1) / (1 + z^-1) into the prototype and
// normalises so that a0 = 1. T is double for the exact transform, float for
// the fast one.
template <typename T>
void bilinear(BiquadS& f, T k) noexcept
{
    const T bs0 = f._num_s[0], bs1 = f._num_s[1], bs2 = f._num_s[2];
    const T as0 = f._den_s[0], as1 = f._den_s[1], as2 = f._den_s[2];
    const T k2 = k * k;
    const T norm = T(1) / (as0 + as1 * k + as2 * k2);
    f._b[0] = float((bs0 + bs1 * k + bs2 * k2) * norm);
    f._b[1] = float(T(2) * (bs0 - bs2 * k2) * norm);
    f._b[2] = float((bs0 - bs1 * k + bs2 * k2) * norm);
    f._a[0] = 1;
    f._a[1] = float(T(2) * (as0 - as2 * k2) * norm);
    f._a[2] = float((as0 - as1 * k + as2 * k2) * norm);
}

} // namespace

void BiquadS::transform_s_to_z() noexcept
{
    const double k = 1.0 / std::tan(double(_freq) * pi / double(_sample_freq));
    bilinear<double>(*this, k);
}

void BiquadS::transform_s_to_z_fast() noexcept
{
    const auto x = float(double(_freq) * pi / double(_sample_freq));
    bilinear<float>(*this, 1.0f / tan_approx(x));
}

float BiquadS::wrap_freq_blt(float freq) const noexcept
{
    const auto w = float(pi / double(_sample_freq));
    return std::tan(freq * w) / std::tan(w * _freq);
}

float BiquadS::wrap_freq_blt_fast(float freq) const noexcept
{
    const auto w = float(pi / double(_sample_freq));
    return tan_approx(freq * w) / tan_approx(_freq * w);
}

} // namespace dsp
