#include "lib/mppi/MidiModParam.h"

#include "lib/mppi/ModChannel.h"
#include "lib/mppi/NotifiedInterface.h"

#include <cmath>

namespace mppi {

static_assert(std::atomic<float>::is_always_lock_free,
              "the audio thread reads modulation values without a lock");

namespace {

// Smooth step t²(3 - 2t) on 0..1, flat outside.
double smooth_step(double t) noexcept
{
    if (t <= 0.0) {
        return 0.0;
    }
    if (t >= 1.0) {
        return 1.0;
    }
    return t * t * (3.0 - 2.0 * t);
}

// The shapes shared by the unipolar curves (applied to x) and the bipolar
// ones (applied to |2x - 1|, then given its sign): index 0..8.
double shape(int index, double t) noexcept
{
    const double u = 1.0 - t;
    switch (index) {
    case 0:
        return t;
    case 1:
        return 1.0 - u * u;
    case 2:
        return 1.0 - u * u * u * u;
    case 3:
        return t * t;
    case 4:
        return t * t * t * t;
    case 5:
        return smooth_step(t);
    case 6:
        return smooth_step(4.0 * t - 1.5);
    case 7:
        return smooth_step(4.0 * t);
    case 8:
        return smooth_step(4.0 * t - 3.0);
    default:
        return 0.0;
    }
}

// The staircases 9..12 in 0..1; the bipolar ones 22..25 double the step and
// start at -1.
double staircase(int index, double x) noexcept
{
    switch (index) {
    case 9:
        return std::floor(4.0 * x) * 0.25;
    case 10:
        return std::floor(16.0 * x) * 0.0625;
    case 11:
        return std::floor(x * 32.0 / 3.0) * 0.09375;
    case 12:
        return std::fmod(std::floor(128.0 * x), 12.0) / 12.0;
    default:
        return 0.0;
    }
}

} // namespace

MidiModParam::MidiModParam() = default;

MidiModParam::~MidiModParam() = default;

void MidiModParam::init(double natural, int level)
{
    NormalizedParamInterface::init(natural, level);
    update_midi_dest_name();
    _dest.set_container(this);
    set_poly_mode(false);
}

void MidiModParam::set_poly_mode(bool on)
{
    const int nbr = on ? NBR_VOICES + 1 : 1;
    if (nbr != _nbr_values) {
        _values = std::make_unique<std::atomic<float>[]>(static_cast<size_t>(nbr));
        _nbr_values = nbr;
    }
    _poly_mode = on;
    zero_values();
}

void MidiModParam::update_midi_dest_name()
{
    char name[256];
    get_name(name, sizeof name);
    _dest.set_name(name);
}

void MidiModParam::mod_value_changed(ModDest*) noexcept
{
    const ModChannel* const channel = _dest.get_channel();
    if (channel == nullptr) {
        zero_values();
        set_mod_amount(0.0f);
    } else {
        const bool has_event = channel->has_cur_event();
        const float m = map_mod(has_event ? channel->get_cur_val() : 0.0f);
        const int voice = has_event ? channel->get_cur_voice() : -1;
        // A voice beyond the per-voice entries counts as none, so only the
        // latest entry is written.
        const bool has_voice = voice >= 0 && voice < NBR_VOICES;
        _last_event_had_voice.store(has_voice, std::memory_order_relaxed);
        if (_nbr_values > 0) {
            if (!_poly_mode) {
                _values[0].store(m, std::memory_order_relaxed);
            } else {
                if (has_voice) {
                    _values[voice].store(m, std::memory_order_relaxed);
                }
                _values[LATEST].store(m, std::memory_order_relaxed);
            }
        }
        set_mod_amount(m * _sensitivity.load(std::memory_order_relaxed));
    }
    do_set_val();
    notify_listener();
    notify_mod_change();
}

void MidiModParam::dest_connection_changed(ModDest*) noexcept
{
    zero_values();
    set_mod_amount(0.0f);
    do_set_val();
    notify_listener();
}

void MidiModParam::set_curve(int curve) noexcept
{
    _curve.store(curve, std::memory_order_relaxed);
    notify_mod_change();
}

void MidiModParam::set_sensibility(float sensitivity) noexcept
{
    _sensitivity.store(sensitivity, std::memory_order_relaxed);
    notify_mod_change();
}

float MidiModParam::map_mod(float x) const noexcept
{
    const int curve = _curve.load(std::memory_order_relaxed);
    const double xd = x;
    if (curve >= 0 && curve <= 8) {
        return static_cast<float>(shape(curve, xd));
    }
    if (curve >= 9 && curve <= 12) {
        return static_cast<float>(staircase(curve, xd));
    }
    if (curve >= 13 && curve <= 21) {
        const double y = 2.0 * xd - 1.0;
        const double sign = (y > 0.0) ? 1.0 : (y < 0.0) ? -1.0 : 0.0;
        return static_cast<float>(sign * shape(curve - 13, std::fabs(y)));
    }
    if (curve >= 22 && curve <= 25) {
        return static_cast<float>(staircase(curve - 13, xd) * 2.0 - 1.0);
    }
    return 0.0f;
}

float MidiModParam::do_get_mod(int voice) const noexcept
{
    if (_nbr_values == 0) {
        return 0.0f;
    }
    int index = 0;
    if (_poly_mode) {
        const bool has_voice = _last_event_had_voice.load(std::memory_order_relaxed) &&
                               voice >= 0 && voice < NBR_VOICES;
        index = has_voice ? voice : LATEST;
    }
    return _values[index].load(std::memory_order_relaxed) *
           _sensitivity.load(std::memory_order_relaxed);
}

void MidiModParam::zero_values() noexcept
{
    for (int i = 0; i < _nbr_values; ++i) {
        _values[i].store(0.0f, std::memory_order_relaxed);
    }
}

void MidiModParam::notify_mod_change() noexcept
{
    if (_notified_for_mod_change_ptr != nullptr) {
        _notified_for_mod_change_ptr->notify(*this);
    }
}

} // namespace mppi
