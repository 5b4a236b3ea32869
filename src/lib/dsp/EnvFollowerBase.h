#pragma once

namespace dsp {

// Envelope state shared by a level follower and the sections that it limits.
// Audio thread; no lock, no allocation. The limiting section reads the three
// fields below in this order and writes the envelope back after each block.
class EnvFollowerBase
{
public:
    // Current envelope, in linear gain.
    float _env = 0;
    // Fraction of the distance covered per sample while the level rises.
    float _coef_rise = 1;
    // Fraction of the distance covered per sample while the level falls.
    float _coef_fall = 1;
};

} // namespace dsp
