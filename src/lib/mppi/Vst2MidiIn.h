#pragma once

#include "lib/mppi/MidiInCcMixin.h"

#include <atomic>

namespace mppi {

class Vst2MidiEvent;

// The VST host's MIDI input, one device that the host feeds with the MIDI
// events of every block. Selecting it connects it; events reach the decoder
// only while it is connected. Controllers go to the MIDI manager for learn
// and mapping; a mapped controller becomes a parameter change with the
// priority of MIDI.
//
// Lifecycle: `set_midi_mgr`, `init` (the channels), `connect`; `disconnect`,
// `restore`. Thread use is that of `MidiInInterface`; events are decoded on
// the audio thread; the connected flag is written on the main thread.
class Vst2MidiIn : public MidiInCcMixin
{
public:
    // Priority of a parameter change from a learned controller.
    static constexpr int PRIORITY_MIDI = 125;

    Vst2MidiIn() = default;
    ~Vst2MidiIn() override;

    // Main thread only; always 0.
    [[nodiscard]] int connect() override;
    [[nodiscard]] int disconnect() override;
    // Any thread; no lock.
    [[nodiscard]] bool is_connected() const noexcept
    {
        return _connected_flag.load(std::memory_order_relaxed);
    }

    // Audio thread; the VST host needs no per-block call.
    void process_pre() noexcept override {}
    void process_post() noexcept override {}

    // Audio thread; no lock, no allocation. Decodes one channel message of
    // the host while connected: the client first gets the event's time
    // stamp, then the message; data bytes count by their low 7 bits. A
    // first byte below 0x80 is no message and is dropped whole; system
    // messages are dropped after the time stamp.
    void process_midi_event(const Vst2MidiEvent& event) noexcept;

protected:
    void do_reset_time_stamp(long /*sample_offset*/) noexcept override {}
    // Audio thread; no lock, no allocation. Learn and look-up in the
    // manager; a parameter of the effect is set with PRIORITY_MIDI, a larger
    // index goes to the effect as a scalar message.
    void control_change_2_param(long ctrl_id, int value14) noexcept override;

private:
    void dispatch(MidiChannelState& state, int cmd, int data1, int data2,
                  int detune_cents) noexcept;

    // Relaxed order suffices: the flag only gates the delivery of events and
    // publishes no other memory; the channels were made live by `init`
    // before the host delivers the first event.
    std::atomic<bool> _connected_flag{false};
};

} // namespace mppi
