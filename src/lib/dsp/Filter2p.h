#pragma once

#include "lib/dsp/BiquadS.h"

namespace dsp {

// Two-pole filter of four types, each a normalised analogue prototype turned
// into a Biquad by BiquadS:
//   0 low-pass   1 / (s^2 + s/g + 1)                    gain g at f
//   1 high-pass  s^2 / (s^2 + s/g + 1)                  gain g at f
//   2 resonator  (s^2 + (g/q) s + 1) / (s^2 + s/q + 1)  gain g at f, 1 far off
//   3 band-pass  (g/q) s / (s^2 + s/q + 1)              gain g at f, width f/q
//
// Used by one thread at a time; update_eq allocates nothing and takes no lock.
// The owner writes frequency, sample frequency, type, gain and q, then calls
// update_eq. A new filter is a flat resonator (gain 1) at 1000 Hz, 44100 Hz.
// Precondition for update_eq: gain and q positive, 0 < _freq < _sample_freq / 2.
class Filter2p : public BiquadS
{
public:
    static constexpr int TYPE_LOWPASS = 0;
    static constexpr int TYPE_HIGHPASS = 1;
    static constexpr int TYPE_RESONATOR = 2;
    static constexpr int TYPE_BANDPASS = 3;
    static constexpr int NBR_TYPES = 4;

    // Display names indexed by type.
    static const char* const TYPE_NAME_0[NBR_TYPES];

    // One of the TYPE_ constants.
    int _type = TYPE_RESONATOR;
    // Low- and high-pass: the quality factor; resonator and band-pass: the
    // gain at the centre frequency.
    float _gain = 1;
    // Resonator and band-pass: the quality factor; unused by the others.
    float _q = 1;

    Filter2p() noexcept;

    // Audio thread (control rate); no lock, no allocation. Sets the prototype
    // from type, gain and q, then transform_s_to_z. An unknown type only
    // resets A0 and A2 to 1, keeping the rest.
    void update_eq() noexcept;

    // Audio thread (control rate); no lock, no allocation. Takes the other
    // filter's coefficients, prototype, frequency, sample frequency, type,
    // gain and q, so both filter alike; memory and toggle stay.
    void copy_settings(const Filter2p& other) noexcept;
};

} // namespace dsp
