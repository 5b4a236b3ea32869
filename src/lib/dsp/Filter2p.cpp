#include "lib/dsp/Filter2p.h"

namespace dsp {

const char* const Filter2p::TYPE_NAME_0[NBR_TYPES] = {"Low-pass", "High-pass", "Resonator",
                                                      "Band-pass"};

Filter2p::Filter2p() noexcept
{
    update_eq();
}

void Filter2p::update_eq() noexcept
{
    switch (_type) {
    case TYPE_LOWPASS:
        _num_s[0] = 1;
        _num_s[1] = 0;
        _num_s[2] = 0;
        _den_s[1] = 1 / _gain;
        break;
    case TYPE_HIGHPASS:
        _num_s[0] = 0;
        _num_s[1] = 0;
        _num_s[2] = 1;
        _den_s[1] = 1 / _gain;
        break;
    case TYPE_RESONATOR:
        _num_s[0] = 1;
        _num_s[1] = _gain / _q;
        _num_s[2] = 1;
        _den_s[1] = 1 / _q;
        break;
    case TYPE_BANDPASS:
        _num_s[0] = 0;
        _num_s[1] = _gain / _q;
        _num_s[2] = 0;
        _den_s[1] = 1 / _q;
        break;
    default:
        break;
    }
    _den_s[0] = 1;
    _den_s[2] = 1;
    transform_s_to_z();
}

void Filter2p::copy_settings(const Filter2p& other) noexcept
{
    for (int k = 0; k < 3; ++k) {
        _b[k] = other._b[k];
        _a[k] = other._a[k];
        _num_s[k] = other._num_s[k];
        _den_s[k] = other._den_s[k];
    }
    _sample_freq = other._sample_freq;
    _freq = other._freq;
    _type = other._type;
    _gain = other._gain;
    _q = other._q;
}

} // namespace dsp
