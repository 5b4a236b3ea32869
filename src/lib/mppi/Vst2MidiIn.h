#pragma once

#include "lib/mppi/MidiInInterface.h"

#include <atomic>

namespace mppi {

// The VST host's MIDI input, one device that the host feeds with the MIDI
// events of every block. Selecting it connects it: the binding passes events
// on only while it is connected.
//
// The device keeps no channel state: it stores and reads no bytes and has no
// pitch-bend range of its own (it answers 0 semitones).
//
// Thread use is that of `MidiInInterface`; the connected flag is written on
// the main thread and read on the audio thread.
class Vst2MidiIn : public MidiInInterface
{
public:
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

    [[nodiscard]] int read_from_memory(const unsigned char* data) override;
    [[nodiscard]] int write_to_memory(unsigned char* data) const override;
    [[nodiscard]] long get_object_size() const override { return 0; }

protected:
    void do_reset_time_stamp(long /*sample_offset*/) noexcept override {}
    void do_set_pitch_bend_range(float /*semitones*/) override {}
    [[nodiscard]] float do_get_pitch_bend_range(int /*chn*/) const override { return 0.0f; }

private:
    // Relaxed order suffices: the flag only gates the delivery of events and
    // publishes no other memory.
    std::atomic<bool> _connected_flag{false};
};

} // namespace mppi
