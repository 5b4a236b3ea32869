#pragma once

// Frame loops and gain rules shared by the BasicMixing routines. Internal to
// the filter library's mixing sources.

namespace dsp::mixing_impl {

// Gain 1: the sample passes unchanged.
struct Unity
{
    float operator()(float x) const noexcept { return x; }
    void next() noexcept {}
};

// Fixed gain.
struct Fixed
{
    float _g;

    float operator()(float x) const noexcept { return _g * x; }
    void next() noexcept {}
};

// Running-sum ramp: one addition per frame, never a multiplication by the
// frame index, so consecutive blocks join without a seam.
struct Ramp
{
    float _g;
    float _step;

    float operator()(float x) const noexcept { return _g * x; }
    void next() noexcept { _g += _step; }
};

// Ramp of the single-gain routines: step = (end - beg) / n.
inline Ramp make_ramp(float beg, float end, long nbr_spl) noexcept
{
    return nbr_spl > 0 ? Ramp{beg, (end - beg) / float(nbr_spl)} : Ramp{beg, 0};
}

// Ramp of the multi-gain routines: step = (end - beg) * r with r = 1 / n.
inline Ramp make_ramp_rcp(float beg, float end, float rcp) noexcept
{
    return Ramp{beg, (end - beg) * rcp};
}

inline float reciprocal(long nbr_spl) noexcept
{
    return nbr_spl > 0 ? 1.0f / float(nbr_spl) : 0.0f;
}

// Calls op with the fixed gain when both ends are equal, else with the ramp.
template <typename Op>
inline void auto_gain(float beg, float end, long nbr_spl, Op op) noexcept
{
    if (end == beg) {
        op(Fixed{beg});
    } else {
        op(make_ramp(beg, end, nbr_spl));
    }
}

// Runs frame(i, gain) for every frame, stepping the gain after each.
template <typename G, typename Frame>
inline void for_frames(long nbr_spl, G gain, Frame frame) noexcept
{
    for (long i = 0; i < nbr_spl; ++i) {
        frame(i, gain);
        gain.next();
    }
}

// Writes (copy) or adds (mix) one output sample.
template <bool MIX>
inline void put(float& dst, float val) noexcept
{
    if constexpr (MIX) {
        dst += val;
    } else {
        dst = val;
    }
}

} // namespace dsp::mixing_impl
