#pragma once

// Template bodies of InterpFncFiniteAsym, included at the end of its header.
// Including that header here makes this one stand alone too (the header's
// own include of this file is then skipped).

#include "lib/dsp/InterpFncFiniteAsym.h"

namespace dsp {

template <int MIN, int MAX, typename F>
void InterpFncFiniteAsym<MIN, MAX, F>::init_coef() noexcept
{
    if (_coef_init_flag.load(std::memory_order_acquire)) {
        return;
    }
    // A function-local static is initialised exactly once, and concurrent
    // callers wait until that is done, so two effects made on two threads
    // neither build the table twice nor read it half written.
    [[maybe_unused]] static const bool built = build();
}

template <int MIN, int MAX, typename F>
bool InterpFncFiniteAsym<MIN, MAX, F>::build() noexcept
{
    const F f{};
    // Central difference over +/- h with h = 1/2048: slope = (f(x+h) - f(x-h)) / (2h).
    constexpr double h = 1.0 / 2048;
    constexpr double inv_2h = 1024;

    double y[NBR_SEG + 1];
    double d[NBR_SEG + 1];
    for (int j = 0; j <= NBR_SEG; ++j) {
        const double x = double(j + MIN);
        y[j] = f(x);
        d[j] = (f(x + h) - f(x - h)) * inv_2h;
    }
    _val_minus_inf = float(y[0]);
    _val_plus_inf = float(y[NBR_SEG]);

    for (int s = 0; s < NBR_SEG; ++s) {
        const double a = double(s + MIN);
        const double y0 = y[s];
        const double d0 = d[s];
        const double d1 = d[s + 1];
        const double dy = y[s + 1] - y0;
        // Hermite cubic in t = u - a: y0 + d0 t + k2 t^2 + k3 t^3, then
        // expanded into powers of u.
        const double k3 = d0 + d1 - 2 * dy;
        const double k2 = 3 * dy - 2 * d0 - d1;
        Segment& seg = _coef[s];
        seg.c[0] = float(y0 - d0 * a + k2 * (a * a) - k3 * (a * a * a));
        seg.c[1] = float(d0 - 2 * k2 * a + 3 * k3 * (a * a));
        seg.c[2] = float(k2 - 3 * k3 * a);
        seg.c[3] = float(k3);
    }
    _coef_init_flag.store(true, std::memory_order_release);
    return true;
}

template <int MIN, int MAX, typename F>
inline float InterpFncFiniteAsym<MIN, MAX, F>::operator()(float u) const noexcept
{
    // v - 1 truncates to floor(u) - MIN over the table. The bounds are tested
    // on the float before it is converted, so no input, however large, reaches
    // the conversion outside the int range, and NaN fails both tests.
    const float v = u + float(1 - MIN);
    if (v >= 1.0f) {
        if (v < float(NBR_SEG + 1)) {
            const Segment& seg = _coef[int(v) - 1];
            return ((u * seg.c[3] + seg.c[2]) * u + seg.c[1]) * u + seg.c[0];
        }
        return _val_plus_inf;
    }
    return v < 1.0f ? _val_minus_inf : 0.0f;
}

} // namespace dsp
