#pragma once

#include "lib/mppi/MidiOutInterface.h"

namespace mppi {

// The layer of an output device that turns receiver calls into 4-byte MIDI
// packets (status, data 1, data 2, and a fourth byte that is always 0) and
// hands each packet to `enqueue_event`, which the concrete device implements.
// Controller values, numbers and program numbers go out in 7-bit data bytes
// and the channel in the status byte's low 4 bits: whatever a caller passes,
// no data byte ever carries a status bit.
//
// A send answers 1 only when every packet it produced was taken. A send of
// several packets (number select and data entry, bank and program) goes
// into the device whole or not at all: it asks `has_room` first, so the
// receiver never gets a data entry without its number select.
//
// Thread of the sender (the thread that calls the MIDI manager's
// `param_to_midi_out`); no lock, no allocation. RPN and NRPN sends read the
// NRPN order of the MIDI manager's preferences, so `set_midi_mgr` comes
// first (the standard order otherwise).
class MidiOut4BPacketMixin : public MidiOutInterface
{
public:
    MidiOut4BPacketMixin() = default;
    ~MidiOut4BPacketMixin() override;

    // Thread of the sender; no lock, no allocation. True when the packet was
    // taken.
    [[nodiscard]] virtual bool enqueue_event(int status, int data1, int data2,
                                             int data3) noexcept = 0;
    // Thread of the sender; no lock, no allocation. True when that many
    // packets would be taken now.
    [[nodiscard]] virtual bool has_room(int nbr_packets) const noexcept = 0;

    // Note on and off, poly pressure, pitch bend, system exclusive and reset
    // produce no packet and answer 0.
    [[nodiscard]] int do_send_midi_note_on(int channel, int note, float pitch, float detune,
                                           float velocity, bool flag) noexcept override;
    [[nodiscard]] int do_send_midi_note_off(int channel, int note,
                                            float velocity) noexcept override;
    [[nodiscard]] int do_send_midi_velo(int channel, int note, float pressure) noexcept override;
    [[nodiscard]] int do_send_midi_pitch_bend(int channel, float semitones) noexcept override;
    // Bank MSB (controller 0) from bits 7-13, bank LSB (controller 32) from
    // bits 14-20, then the program change from bits 0-6.
    [[nodiscard]] int do_send_midi_program_change(int channel, long program) noexcept override;
    // Number select (high bits first), then data entry MSB and LSB.
    [[nodiscard]] int do_send_midi_rpn(int channel, int number, long value) noexcept override;
    [[nodiscard]] int do_send_midi_nrpn(int channel, int number, long value) noexcept override;
    // command is the status high nibble, 8..14; any other is refused.
    [[nodiscard]] int do_send_midi_chn_cmd(int channel, int command, int data1,
                                           int data2) noexcept override;
    // status must be a status byte (0x80..0xFF); any other is refused.
    [[nodiscard]] int do_send_midi_rt_cmd(int status) noexcept override;
    [[nodiscard]] int do_send_midi_common_cmd(int status, int data1, int data2) noexcept override;
    [[nodiscard]] int do_send_midi_sys_ex(long length, const unsigned char* data) noexcept override;
    [[nodiscard]] int do_send_midi_reset() noexcept override;

private:
    // One packet without its fourth byte.
    class Packet
    {
    public:
        int _status;
        int _data1;
        int _data2;
    };

    // All of them or none; 1 when every packet was taken.
    [[nodiscard]] int send(const Packet* packets, int nbr) noexcept;
    // Number select of (N)RPN `number` on the controllers msb_cc and lsb_cc,
    // then data entry of value.
    [[nodiscard]] int send_xrpn(int channel, int msb_cc, int lsb_cc, int number,
                                long value) noexcept;
};

} // namespace mppi
