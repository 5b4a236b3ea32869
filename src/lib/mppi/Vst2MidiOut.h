#pragma once

#include "lib/mppi/MidiOutInterface.h"

#include <atomic>

namespace mppi {

// The VST host's MIDI output, one device whose events go to the host. While
// it is not selected it is disabled.
//
// Thread use is that of `MidiOutInterface`; the enabled flag is written on
// the main thread and read on the thread that sends.
class Vst2MidiOut : public MidiOutInterface
{
public:
    Vst2MidiOut() = default;
    ~Vst2MidiOut() override;

    // Main thread only; always 0.
    [[nodiscard]] int connect() override;
    [[nodiscard]] int disconnect() override;
    // Any thread; no lock.
    [[nodiscard]] bool is_enabled() const noexcept
    {
        return _enabled_flag.load(std::memory_order_relaxed);
    }

    // Audio thread; the VST host needs no per-block call.
    void process_pre() noexcept override {}
    void process_post() noexcept override {}
    void do_set_time_stamp(long /*sample_offset*/) noexcept override {}

private:
    // Relaxed order suffices: the flag publishes no other memory.
    std::atomic<bool> _enabled_flag{false};
};

} // namespace mppi
