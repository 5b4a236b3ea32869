#include "lib/mppi/MidiOut4BPacketMixin.h"

#include "lib/mppi/MidiXrpnCtrl.h"

namespace mppi {
namespace {

constexpr int DATA_MASK = 0x7F;
constexpr int CHN_MASK = 0x0F;
constexpr int STATUS_MIN = 0x80;
constexpr int STATUS_MAX = 0xFF;
constexpr int CMD_FIRST = 8;  // note off
constexpr int CMD_LAST = 14;  // pitch bend
constexpr int CMD_CONTROL_CHANGE = 11;
constexpr int CMD_PROGRAM_CHANGE = 12;
constexpr int CC_BANK_MSB = 0;
constexpr int CC_BANK_LSB = 32;

[[nodiscard]] constexpr int status_of(int command, int channel) noexcept
{
    return (command << 4) | (channel & CHN_MASK);
}

// The 7 bits of v from bit `shift` on.
[[nodiscard]] constexpr int bits7(long v, int shift) noexcept
{
    return int((v >> shift) & DATA_MASK);
}

[[nodiscard]] constexpr bool is_status(int status) noexcept
{
    return status >= STATUS_MIN && status <= STATUS_MAX;
}

} // namespace

MidiOut4BPacketMixin::~MidiOut4BPacketMixin() = default;

int MidiOut4BPacketMixin::send(const Packet* packets, int nbr) noexcept
{
    if (!has_room(nbr)) {
        return 0;
    }
    bool taken = true;
    for (int i = 0; i < nbr; ++i) {
        const Packet& p = packets[i];
        taken = enqueue_event(p._status, p._data1 & DATA_MASK, p._data2 & DATA_MASK, 0) && taken;
    }
    return taken ? 1 : 0;
}

int MidiOut4BPacketMixin::do_send_midi_chn_cmd(int channel, int command, int data1,
                                               int data2) noexcept
{
    if (command < CMD_FIRST || command > CMD_LAST) {
        return 0;
    }
    const Packet packet{status_of(command, channel), data1, data2};
    return send(&packet, 1);
}

int MidiOut4BPacketMixin::do_send_midi_program_change(int channel, long program) noexcept
{
    const int cc_status = status_of(CMD_CONTROL_CHANGE, channel);
    const Packet packets[] = {
        {cc_status, CC_BANK_MSB, bits7(program, 7)},
        {cc_status, CC_BANK_LSB, bits7(program, 14)},
        {status_of(CMD_PROGRAM_CHANGE, channel), bits7(program, 0), 0},
    };
    return send(packets, 3);
}

int MidiOut4BPacketMixin::send_xrpn(int channel, int msb_cc, int lsb_cc, int number,
                                    long value) noexcept
{
    const int cc_status = status_of(CMD_CONTROL_CHANGE, channel);
    const Packet packets[] = {
        {cc_status, msb_cc, bits7(number, 7)},
        {cc_status, lsb_cc, bits7(number, 0)},
        {cc_status, MidiXrpnCtrl::DATA_ENTRY_MSB, bits7(value, 7)},
        {cc_status, MidiXrpnCtrl::DATA_ENTRY_LSB, bits7(value, 0)},
    };
    return send(packets, 4);
}

int MidiOut4BPacketMixin::do_send_midi_rpn(int channel, int number, long value) noexcept
{
    const int compat = MidiXrpnCtrl::get_compatibility(*this);
    return send_xrpn(channel, MidiXrpnCtrl::rpn_msb(compat), MidiXrpnCtrl::rpn_lsb(compat), number,
                     value);
}

int MidiOut4BPacketMixin::do_send_midi_nrpn(int channel, int number, long value) noexcept
{
    const int compat = MidiXrpnCtrl::get_compatibility(*this);
    return send_xrpn(channel, MidiXrpnCtrl::nrpn_msb(compat), MidiXrpnCtrl::nrpn_lsb(compat),
                     number, value);
}

int MidiOut4BPacketMixin::do_send_midi_rt_cmd(int status) noexcept
{
    if (!is_status(status)) {
        return 0;
    }
    const Packet packet{status, 0, 0};
    return send(&packet, 1);
}

int MidiOut4BPacketMixin::do_send_midi_common_cmd(int status, int data1, int data2) noexcept
{
    if (!is_status(status)) {
        return 0;
    }
    const Packet packet{status, data1, data2};
    return send(&packet, 1);
}

int MidiOut4BPacketMixin::do_send_midi_note_on(int /*channel*/, int /*note*/, float /*pitch*/,
                                               float /*detune*/, float /*velocity*/,
                                               bool /*flag*/) noexcept
{
    return 0;
}

int MidiOut4BPacketMixin::do_send_midi_note_off(int /*channel*/, int /*note*/,
                                                float /*velocity*/) noexcept
{
    return 0;
}

int MidiOut4BPacketMixin::do_send_midi_velo(int /*channel*/, int /*note*/,
                                            float /*pressure*/) noexcept
{
    return 0;
}

int MidiOut4BPacketMixin::do_send_midi_pitch_bend(int /*channel*/, float /*semitones*/) noexcept
{
    return 0;
}

int MidiOut4BPacketMixin::do_send_midi_sys_ex(long /*length*/,
                                              const unsigned char* /*data*/) noexcept
{
    return 0;
}

int MidiOut4BPacketMixin::do_send_midi_reset() noexcept
{
    return 0;
}

} // namespace mppi
