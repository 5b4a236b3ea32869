#pragma once

#include "lib/basic/SerializableInterface.h"
#include "lib/mppi/MidiDevInterface.h"

namespace mppi {

// An input device: it turns the MIDI it receives into calls on the effect's
// MIDI client and hands every controller to the MIDI manager. Its channel
// state (pitch-bend ranges among others) is stored through the serialisation
// operations.
//
// Thread use is that of `MidiDevInterface`; the time stamp is reset on the
// audio thread, the pitch-bend range is set and read on the main thread.
class MidiInInterface : public MidiDevInterface, public basic::SerializableInterface
{
public:
    MidiInInterface() = default;
    ~MidiInInterface() override;

    // Audio thread; no lock, no allocation.
    void reset_time_stamp(long sample_offset) noexcept { do_reset_time_stamp(sample_offset); }

    // Main thread only. The range of every channel, in semitones, and the
    // range of one channel.
    void set_pitch_bend_range(float semitones) { do_set_pitch_bend_range(semitones); }
    [[nodiscard]] float get_pitch_bend_range(int chn) const { return do_get_pitch_bend_range(chn); }

protected:
    virtual void do_reset_time_stamp(long sample_offset) noexcept = 0;
    virtual void do_set_pitch_bend_range(float semitones) = 0;
    [[nodiscard]] virtual float do_get_pitch_bend_range(int chn) const = 0;
};

} // namespace mppi
