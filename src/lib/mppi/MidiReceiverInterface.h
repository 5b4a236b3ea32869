#pragma once

namespace mppi {

// What the effect receives from MIDI input, event by event, as the input
// decoder delivers it: velocities and pressures divided by 64, pitches and
// pitch bends in semitones. Every hook has a default that swallows the event
// and answers 0, so a receiver overrides only what it uses.
//
// No lock, no allocation. The effect's receiver is called on the audio thread,
// by the decoder while the host delivers its events, before the block that they
// belong to; the MIDI manager and the output devices, which derive from this
// interface too, get the same hooks on the thread of the parameter or program
// change that sends MIDI out.
class MidiReceiverInterface
{
public:
    MidiReceiverInterface() = default;
    MidiReceiverInterface(const MidiReceiverInterface&) = delete;
    MidiReceiverInterface& operator=(const MidiReceiverInterface&) = delete;
    virtual ~MidiReceiverInterface();

    // The sample offset in the block of the events that follow.
    virtual void do_set_time_stamp(long sample_offset) noexcept;

    // Each answers 0 by default. The decoder passes 0.0 and true for the
    // unnamed float and bool of a note-on.
    [[nodiscard]] virtual int do_send_midi_note_on(int channel, int note, float pitch, float,
                                                   float velocity, bool) noexcept;
    [[nodiscard]] virtual int do_send_midi_note_off(int channel, int note, float velocity) noexcept;
    [[nodiscard]] virtual int do_send_midi_velo(int channel, int note, float pressure) noexcept;
    [[nodiscard]] virtual int do_send_midi_pitch_bend(int channel, float semitones) noexcept;
    [[nodiscard]] virtual int do_send_midi_program_change(int channel, long program) noexcept;
    [[nodiscard]] virtual int do_send_midi_rpn(int channel, int number, long value) noexcept;
    [[nodiscard]] virtual int do_send_midi_nrpn(int channel, int number, long value) noexcept;
    [[nodiscard]] virtual int do_send_midi_cc(int channel, int controller, int value) noexcept;
    [[nodiscard]] virtual int do_send_midi_chn_cmd(int channel, int command, int data1,
                                                   int data2) noexcept;
    [[nodiscard]] virtual int do_send_midi_rt_cmd(int status) noexcept;
    [[nodiscard]] virtual int do_send_midi_common_cmd(int status, int data1, int data2) noexcept;
    [[nodiscard]] virtual int do_send_midi_sys_ex(long length, const unsigned char* data) noexcept;
    [[nodiscard]] virtual int do_send_midi_reset() noexcept;
};

} // namespace mppi
