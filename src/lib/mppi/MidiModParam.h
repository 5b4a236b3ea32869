#pragma once

#include "lib/mppi/MPCInterface.h"
#include "lib/mppi/ModDest.h"
#include "lib/mppi/NormalizedParamInterface.h"

#include <atomic>
#include <memory>

namespace mppi {

class NotifiedInterface;

// A parameter that a MIDI modulation channel can drive. It owns one
// destination; the channel's value is shaped by one of 26 response curves
// (0..12 unipolar in 0..1, 13..25 bipolar in -1..1), scaled by the
// sensitivity and becomes the parameter's modulation amount. In poly mode it
// keeps one value per voice (entries 0..127) and the latest one (entry 128).
// A concrete class supplies the name, unit and value conversions.
//
// Lifecycle: `init`, `set_poly_mode` and the links are set on the main thread
// before the channel can drive the parameter; the value array keeps its size
// from then on. Curve and sensitivity may change on the main thread at any
// time. Channel changes arrive on the channel's thread (the audio thread for
// MIDI), connections on the main thread.
class MidiModParam : public virtual NormalizedParamInterface, public MPCInterface
{
public:
    static constexpr int NBR_CURVES = 26;
    static constexpr int NBR_VOICES = 128;
    // Index of the latest value in poly mode.
    static constexpr int LATEST = NBR_VOICES;

    MidiModParam();
    ~MidiModParam() override;

    // Main thread only; may allocate. The parameter's own initialisation,
    // then the destination takes the parameter's name and this container,
    // poly mode goes off and the one value is 0.
    void init(double natural, int level) override;

    // Main thread only, before the channel drives the parameter; may
    // allocate. 129 values when on, 1 when off, all 0.
    void set_poly_mode(bool on);
    [[nodiscard]] bool is_poly_mode() const noexcept { return _poly_mode; }

    // Main thread only, during set-up: told, with this parameter, whenever the
    // curve, the sensitivity or the modulation changes. Null unlinks.
    void set_notified_for_mod_change(NotifiedInterface* listener) noexcept
    {
        _notified_for_mod_change_ptr = listener;
    }

    // Main thread only. The destination's name from the parameter's name.
    void update_midi_dest_name();

    [[nodiscard]] int get_nbr_dest() const noexcept override { return 1; }
    // The index is ignored: there is one destination.
    [[nodiscard]] const ModDest& use_dest(int) const noexcept override { return _dest; }
    [[nodiscard]] ModDest& use_dest(int) noexcept override { return _dest; }

    // Channel's thread; no lock, no allocation. Reads the channel's current
    // event and stores the shaped value (see the class comment); with no
    // channel, everything goes to 0. Then reacts and notifies both links.
    void mod_value_changed(ModDest* dest) noexcept override;
    // Main thread; no lock, no allocation. Every value and the modulation
    // amount to 0, then reacts and notifies the parameter's owner.
    void dest_connection_changed(ModDest* dest) noexcept override;

    // Main thread; no lock, no allocation. Each stores and notifies the
    // modulation-change link.
    void set_curve(int curve) noexcept override;
    void set_sensibility(float sensitivity) noexcept override;
    [[nodiscard]] int get_nbr_curve() const noexcept override { return NBR_CURVES; }

    // Any thread; pure computation. `x` (0..1) through the current curve; 0
    // for a curve index outside 0..25.
    [[nodiscard]] float map_mod(float x) const noexcept;

    // Audio thread; no lock, no allocation. The modulation of `voice` times
    // the sensitivity: entry 0 outside poly mode; in poly mode the voice's
    // entry, or the latest one when the last event had no voice or `voice`
    // is outside 0..127. 0 before `init`.
    [[nodiscard]] float do_get_mod(int voice) const noexcept override;

private:
    void zero_values() noexcept;
    void notify_mod_change() noexcept;

    NotifiedInterface* _notified_for_mod_change_ptr = nullptr;
    ModDest _dest;

    // Written on the main thread (curve, sensitivity, connections) and on the
    // channel's thread (values), read on the audio thread. Relaxed order
    // suffices: each is a self-contained scalar publishing no other memory.
    std::atomic<int> _curve{0};
    std::atomic<float> _sensitivity{1.0f};
    std::unique_ptr<std::atomic<float>[]> _values;
    std::atomic<bool> _last_event_had_voice{false};

    // Set on the main thread before the channel drives the parameter.
    int _nbr_values = 0;
    bool _poly_mode = false;
};

} // namespace mppi
