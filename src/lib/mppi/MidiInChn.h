#pragma once

#include "lib/mppi/MidiChannelState.h"
#include "lib/mppi/MidiInInterface.h"

#include <array>

namespace mppi {

// An input device with the state of all sixteen MIDI channels, index =
// channel. The concrete device connects, feeds the channels and answers the
// per-block calls.
//
// Lifecycle: `set_midi_mgr` (which gives the MIDI client), then `init`
// (main thread, before block processing) makes the channels live; `restore`
// makes them inert. Thread use is that of `MidiInInterface`; the channels
// themselves are driven on the audio thread.
//
// Stored form: four bytes of zero, then the sixteen channel records in
// channel order (452 bytes).
class MidiInChn : public MidiInInterface
{
public:
    static constexpr int NBR_CHN = 16;
    static constexpr long HEADER_SIZE = 4;
    // `init` with no MIDI client to hand to the channels.
    static constexpr int ERR_NO_CLIENT = -1;

    MidiInChn() = default;
    ~MidiInChn() override;

    // Precondition: chn is 0..15.
    [[nodiscard]] MidiChannelState& use_channel(int chn) noexcept
    {
        return _chn_arr[static_cast<std::size_t>(chn)];
    }
    [[nodiscard]] const MidiChannelState& use_channel(int chn) const noexcept
    {
        return _chn_arr[static_cast<std::size_t>(chn)];
    }
    [[nodiscard]] static bool is_channel(int chn) noexcept { return chn >= 0 && chn < NBR_CHN; }

    // Main thread only; may allocate. The device's own set-up, then every
    // channel made live with the device's MIDI client; the first error.
    [[nodiscard]] int init() override;
    void restore() override;

    [[nodiscard]] int read_from_memory(const unsigned char* data) override;
    [[nodiscard]] int write_to_memory(unsigned char* data) const override;
    [[nodiscard]] long get_object_size() const override;
    [[nodiscard]] static constexpr long get_max_size() noexcept
    {
        return HEADER_SIZE + NBR_CHN * MidiChannelState::get_max_size();
    }

protected:
    // Main thread only. A range that is not finite, is negative or is 128
    // semitones or more is ignored.
    void do_set_pitch_bend_range(float semitones) override;
    // 0 for a channel outside 0..15.
    [[nodiscard]] float do_get_pitch_bend_range(int chn) const override;

private:
    std::array<MidiChannelState, NBR_CHN> _chn_arr;
};

} // namespace mppi
