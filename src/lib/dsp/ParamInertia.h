#pragma once

namespace dsp {

// Linear glide of a control value: a new value is reached along a straight
// line over _time seconds, advanced by the owner in whole sample counts.
//
// Used only by the thread that owns it (the audio thread in the effect); every
// operation is constant time, allocates nothing and takes no lock.
// Invariant: at rest (_step == 0) _val_cur equals _val_target. The owner reads
// _val_cur, tests _step against 0 to see whether a glide runs, may write _time,
// and may put a glide to rest by writing start = target, step = 0, cur = target.
class ParamInertia
{
public:
    // Glide duration in seconds; 0 makes every change immediate.
    float _time = 0.1f;
    // Sample frequency, Hz; always finite and above 0.
    float _sample_freq = 44100;
    // Value at which the running glide began.
    float _val_start = 0;
    // Value the glide moves to.
    float _val_target = 0;
    // The smoothed value.
    double _val_cur = 0;
    // Change of _val_cur per sample; 0 at rest.
    double _step = 0;

    // Audio thread (control rate); no lock, no allocation. Starts a glide from
    // the current value to val (immediate when _time is 0).
    void set_val(float val) noexcept;
    // Audio thread (control rate); no lock, no allocation. Advances the glide
    // by nbr_spl samples; stops exactly on the target.
    void tick(long nbr_spl) noexcept;
    // Owner's thread, outside block processing; no lock, no allocation.
    // Changes the sample frequency; a running glide keeps its remaining time
    // in seconds. A rate that is not finite or not above 0 is ignored.
    void set_sample_freq(float fs) noexcept;
};

} // namespace dsp
