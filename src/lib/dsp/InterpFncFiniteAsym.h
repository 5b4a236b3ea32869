#pragma once

#include <atomic>

namespace dsp {

// A curve f tabulated over [MIN, MAX) as one cubic Hermite segment per unit
// interval, for callers that cannot afford f itself per sample. Outside the
// table the curve is held at f(MIN) below and f(MAX) from MAX up.
//
// F is a default-constructible function object, double F{}(double).
// Each segment's cubic is expanded in the input itself (not in the offset
// within the segment): value = c0 + u (c1 + u (c2 + u c3)); the nodes carry
// f and its central-difference slope, so the curve through the table and its
// slope are continuous at the nodes.
//
// All state is static, one table per process and per instantiation.
// Lifecycle: init_coef() runs before the first evaluation (the owner's
// constructor calls it); from then on evaluation reads the table only.
template <int MIN, int MAX, typename F>
class InterpFncFiniteAsym
{
public:
    static_assert(MIN < MAX, "the table needs at least one segment");

    static constexpr int NBR_SEG = MAX - MIN;

    // Any thread, before the first evaluation; may block while another thread
    // builds the table. Builds the table once per process; later calls return
    // at once.
    static void init_coef() noexcept;

    // Any thread once init_coef() has returned; no lock, no allocation. The
    // tabulated curve at u, in single precision: f(MIN) for u below MIN and
    // for -infinity, f(MAX) for u from MAX up and for +infinity, 0 for NaN.
    [[nodiscard]] float operator()(float u) const noexcept;

    // Any thread; true once the table is built.
    [[nodiscard]] static bool is_init() noexcept
    {
        return _coef_init_flag.load(std::memory_order_acquire);
    }

    // Segment s covers [MIN + s, MIN + s + 1); c[k] multiplies u^k.
    struct Segment
    {
        float c[4];
    };

    // Read-only view of the table, for its tests.
    [[nodiscard]] static const Segment& get_segment(int s) noexcept { return _coef[s]; }
    [[nodiscard]] static float get_val_minus_inf() noexcept { return _val_minus_inf; }
    [[nodiscard]] static float get_val_plus_inf() noexcept { return _val_plus_inf; }

private:
    static bool build() noexcept;

    static inline Segment _coef[NBR_SEG] = {};
    static inline float _val_minus_inf = 0;
    static inline float _val_plus_inf = 0;
    // Set with release once the table is written; a thread that sees it set
    // through an acquire load sees the whole table.
    static inline std::atomic<bool> _coef_init_flag{false};
};

} // namespace dsp

#include "lib/dsp/InterpFncFiniteAsym_impl.h"
