#include "lib/dsp/ParamInertia.h"

#include <cmath>

namespace dsp {

void ParamInertia::set_val(float val) noexcept
{
    if (_time == 0) {
        _val_start = val;
        _val_target = val;
        _val_cur = val;
        _step = 0;
        return;
    }
    _val_start = float(_val_cur);
    _val_target = val;
    _step = (val - _val_start) / (_sample_freq * _time);
}

void ParamInertia::tick(long nbr_spl) noexcept
{
    if (_step == 0) {
        return;
    }
    _val_cur += double(nbr_spl) * _step;
    if ((_val_cur - _val_target) * _step >= 0) {
        _val_cur = _val_target;
        _step = 0;
        _val_start = _val_target;
    }
}

void ParamInertia::set_sample_freq(float fs) noexcept
{
    // A zero, negative or non-finite rate would turn the step, and with it the
    // current value, into infinity or NaN for good.
    if (!std::isfinite(fs) || !(fs > 0)) {
        return;
    }
    const float ratio = _sample_freq / fs;
    _sample_freq = fs;
    // A resting glide stays at rest even if the ratio overflows (0 * inf).
    if (_step != 0) {
        _step *= ratio;
    }
}

} // namespace dsp
