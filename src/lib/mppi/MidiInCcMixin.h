#pragma once

#include "lib/mppi/MidiInChn.h"

namespace mppi {

// The control-change decoder of an input device: number selects and data
// entry of RPN and NRPN (in the NRPN order of the MIDI manager's
// preferences), plain controllers, and every controller value handed to
// `control_change_2_param` as a controller id (controller × 65536, plus the
// number for RPN and NRPN) and a 14-bit value (a plain 7-bit controller as
// value × 128).
//
// Thread use is that of `MidiInChn`; decoding runs on the audio thread.
class MidiInCcMixin : public MidiInChn
{
public:
    MidiInCcMixin() = default;
    ~MidiInCcMixin() override;

    // Audio thread; no lock, no allocation. A channel outside 0..15 or not
    // live, or a controller or value outside 0..127, is ignored.
    void process_control_change(int chn, int cc, int value) noexcept;

protected:
    // Audio thread; no lock, no allocation. The concrete device hands the
    // controller on for mapping and learn.
    virtual void control_change_2_param(long ctrl_id, int value14) noexcept = 0;

private:
    // Writes a number select of the given controller; false for any other
    // controller.
    [[nodiscard]] static bool select_number(MidiChannelState& state, int cc, int value,
                                            int compat) noexcept;
    void enter_data(MidiChannelState& state, int cc, int value) noexcept;
};

} // namespace mppi
