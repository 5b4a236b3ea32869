#pragma once

#include "lib/dsp/Biquad.h"

namespace dsp {

// A Biquad designed from an analogue prototype
// H(s) = (B0 + B1 s + B2 s^2) / (A0 + A1 s + A2 s^2), normalised so that
// s = j is the section's frequency, by the bilinear transform pre-warped at
// that frequency.
//
// Used by one thread at a time; the transforms allocate nothing, take no lock
// and leave memory and toggle alone, so they may run at control rate between
// blocks. The owner writes the prototype and frequencies, then transforms.
// Construction does not transform: the section stays the identity filter.
// Precondition for the transforms: 0 < _freq < _sample_freq / 2 and a
// non-zero denominator.
class BiquadS : public Biquad
{
public:
    // Prototype numerator, coefficients of s^0, s^1, s^2.
    float _num_s[3] = {1, 2, 1};
    // Prototype denominator, coefficients of s^0, s^1, s^2.
    float _den_s[3] = {1, 2, 1};
    // Sample frequency, Hz.
    float _sample_freq = 44100;
    // Frequency that s = j maps to (cut-off or centre), Hz.
    float _freq = 1000;

    // Audio thread (control rate); no lock, no allocation. Recomputes the z
    // coefficients from the prototype in double precision.
    void transform_s_to_z() noexcept;
    // Audio thread (control rate); no lock, no allocation. The same in single
    // precision with a three-term tangent series; close to transform_s_to_z
    // well below a quarter of the sample frequency only.
    void transform_s_to_z_fast() noexcept;

    // Normalised analogue frequency of the digital frequency freq:
    // tan(pi freq / fs) / tan(pi f / fs).
    [[nodiscard]] float wrap_freq_blt(float freq) const noexcept;
    // The same with the tangent series of transform_s_to_z_fast.
    [[nodiscard]] float wrap_freq_blt_fast(float freq) const noexcept;
};

} // namespace dsp
