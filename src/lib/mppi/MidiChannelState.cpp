#include "lib/mppi/MidiChannelState.h"

#include "lib/mppi/BigEndian.h"
#include "lib/mppi/MidiReceiverInterface.h"

#include <algorithm>
#include <cmath>

namespace mppi {
namespace {

constexpr int LOW7 = 0x7F;
constexpr int HIGH7 = 0x3F80;
constexpr int CMD_CONTROL_CHANGE = 11;
constexpr int CC_SUSTAIN = 64;
constexpr int CC_SOSTENUTO = 66;
constexpr int PEDAL_ON = 64;       // pedal controller values from 64 on press the pedal
constexpr int BEND_CENTRE = 8192;  // 14-bit pitch bend at rest
constexpr int TUNING_CENTRE = 64;  // coarse tuning at rest, in the code's high 7 bits
constexpr float VELO_SCALE = 1.0f / 64.0f;
constexpr double HUNDREDTH = 0.01;

// Stored form.
constexpr long OFS_MARKER = 0;
constexpr long OFS_CHANNEL = 4;
constexpr long OFS_PROGRAM = 8;
constexpr long OFS_BANK = 12;
constexpr long OFS_SUSTAIN = 14;
constexpr long OFS_SOSTENUTO = 15;
constexpr long OFS_RPN = 16;
constexpr long OFS_NRPN = 18;
constexpr long OFS_TUNING = 20;
constexpr long OFS_RANGE = 22;
constexpr long OFS_PITCH_BEND = 24;
static_assert(OFS_PITCH_BEND + BigEndian::SIZE_U32 == MidiChannelState::RECORD_SIZE);

// A 16-bit field read as a signed value and clamped to a 14-bit code.
[[nodiscard]] int read_code(const unsigned char* src) noexcept
{
    const auto raw = static_cast<std::int16_t>(BigEndian::read_u16(src));
    return std::clamp(int{raw}, 0, MidiChannelState::CODE_MAX);
}

// The 7-bit byte v in the high (msb) or low half of a 14-bit code.
[[nodiscard]] int replace_7bits(int code, int v, bool msb_flag) noexcept
{
    return msb_flag ? (code & LOW7) | ((v & LOW7) << 7) : (code & HIGH7) | (v & LOW7);
}

} // namespace

int MidiChannelState::init(MidiReceiverInterface& client, int chn)
{
    _nrpn_values.assign(NBR_NRPN, 0);
    _held.reset();
    _delayed.reset();
    _program = 0;
    _bank = 0;
    _rpn_id = 0;
    _nrpn_id = 0;
    _data_entry_type = DATA_ENTRY_RPN;
    _pitch_bend = 0.0;
    _range_code = RANGE_CODE_DEFAULT;
    _tuning_code = TUNING_CODE_DEFAULT;
    update_pitch_bend_range();
    update_pitch_modifier();
    update_note_off_filter();
    _chn = chn;
    _client = &client;
    return 0;
}

void MidiChannelState::restore() noexcept
{
    _chn = -1;
    _client = nullptr;
}

// ---- Notes and pedals ----

void MidiChannelState::midi_note_on(int note, int velocity, float detune) noexcept
{
    if (!is_live() || !is_note(note)) {
        return;
    }
    _held.set(size_t(note));
    _delayed.reset(size_t(note));
    const float played = float(note) + detune;
    const auto pitch = float(double(played) + _pitch_modifier);
    (void)_client->do_send_midi_note_on(_chn, note, pitch, 0.0f, float(velocity) * VELO_SCALE,
                                        true);
}

void MidiChannelState::midi_note_off(int note, int velocity) noexcept
{
    if (!is_live() || !is_note(note) || !filter_note_off(note)) {
        return;
    }
    _held.reset(size_t(note));
    (void)_client->do_send_midi_note_off(_chn, note, float(velocity) * VELO_SCALE);
}

bool MidiChannelState::filter_note_off(int note) noexcept
{
    if (!is_note(note) || !_note_off_filter.test(size_t(note))) {
        return true;
    }
    _delayed.set(size_t(note));
    return false;
}

void MidiChannelState::send_delayed_notes_off() noexcept
{
    for (int note = 0; note < NBR_NOTES && _delayed.any(); ++note) {
        if (!_delayed.test(size_t(note))) {
            continue;
        }
        _delayed.reset(size_t(note));
        if (_held.test(size_t(note))) {
            _held.reset(size_t(note));
            if (is_live()) {
                (void)_client->do_send_midi_note_off(_chn, note, 1.0f);
            }
        }
    }
}

void MidiChannelState::update_note_off_filter() noexcept
{
    if (_sustain) {
        _note_off_filter.set();
    } else if (_sostenuto) {
        _note_off_filter = _held;
    } else {
        _note_off_filter.reset();
    }
}

void MidiChannelState::set_pedal(bool& pedal, bool on) noexcept
{
    if (pedal != on) {
        pedal = on;
        send_delayed_notes_off();
        update_note_off_filter();
    }
}

void MidiChannelState::transmit_channel_command(int cmd, int data1, int data2) noexcept
{
    if (!is_live()) {
        return;
    }
    if (cmd == CMD_CONTROL_CHANGE && data1 == CC_SUSTAIN) {
        set_pedal(_sustain, data2 >= PEDAL_ON);
    } else if (cmd == CMD_CONTROL_CHANGE && data1 == CC_SOSTENUTO) {
        set_pedal(_sostenuto, data2 >= PEDAL_ON);
    }
    (void)_client->do_send_midi_chn_cmd(_chn, cmd, data1, data2);
}

void MidiChannelState::set_aftertouch(int note, int value) noexcept
{
    if (is_live()) {
        (void)_client->do_send_midi_velo(_chn, note, float(value) * VELO_SCALE);
    }
}

void MidiChannelState::set_chn_pressure(int /*value*/) noexcept {}

// ---- Bank, program, pitch bend ----

void MidiChannelState::set_bank_msb(int v) noexcept
{
    if (is_live()) {
        _bank = (_bank & HIGH7) | (v & LOW7);
    }
}

void MidiChannelState::set_bank_lsb(int v) noexcept
{
    if (is_live()) {
        _bank = (_bank & LOW7) | ((v & LOW7) << 7);
    }
}

void MidiChannelState::set_program(int prog) noexcept
{
    if (!is_live()) {
        return;
    }
    _program = std::int64_t{_bank} * 128 + prog;
    (void)_client->do_send_midi_program_change(_chn, long(_program));
}

void MidiChannelState::set_pitch_bend(int lsb, int msb) noexcept
{
    if (!is_live()) {
        return;
    }
    _pitch_bend = double(msb * 128 + lsb - BEND_CENTRE) * _bend_step;
    (void)_client->do_send_midi_pitch_bend(_chn, float(_pitch_bend));
}

void MidiChannelState::set_pitch_bend_range(int lsb, int msb) noexcept
{
    _range_code = ((msb & LOW7) << 7) | (lsb & LOW7);
    update_pitch_bend_range();
}

void MidiChannelState::update_pitch_bend_range() noexcept
{
    _bend_range = double(_range_code >> 7) + double(_range_code & LOW7) * HUNDREDTH;
    _bend_step = _bend_range / BEND_CENTRE;
}

void MidiChannelState::update_pitch_modifier() noexcept
{
    _pitch_modifier =
        double((_tuning_code >> 7) - TUNING_CENTRE) + double(_tuning_code & LOW7) * HUNDREDTH;
}

// ---- RPN and NRPN ----

void MidiChannelState::set_rpn_id_msb(int v) noexcept
{
    if (is_live()) {
        _rpn_id = replace_7bits(_rpn_id, v, true);
        _data_entry_type = DATA_ENTRY_RPN;
    }
}

void MidiChannelState::set_rpn_id_lsb(int v) noexcept
{
    if (is_live()) {
        _rpn_id = replace_7bits(_rpn_id, v, false);
        _data_entry_type = DATA_ENTRY_RPN;
    }
}

void MidiChannelState::set_nrpn_id_msb(int v) noexcept
{
    if (is_live()) {
        _nrpn_id = replace_7bits(_nrpn_id, v, true);
        _data_entry_type = DATA_ENTRY_NRPN;
    }
}

void MidiChannelState::set_nrpn_id_lsb(int v) noexcept
{
    if (is_live()) {
        _nrpn_id = replace_7bits(_nrpn_id, v, false);
        _data_entry_type = DATA_ENTRY_NRPN;
    }
}

bool MidiChannelState::is_data_entry_handled() const noexcept
{
    if (!is_live()) {
        return false;
    }
    if (_data_entry_type == DATA_ENTRY_NRPN) {
        return _nrpn_id >= 0 && size_t(_nrpn_id) < _nrpn_values.size();
    }
    return _rpn_id == RPN_BEND_RANGE || _rpn_id == RPN_TUNING_FINE ||
           _rpn_id == RPN_TUNING_COARSE || _rpn_id == RPN_NULL;
}

void MidiChannelState::set_xrpn_msb(int v) noexcept
{
    set_xrpn(v, true);
}

void MidiChannelState::set_xrpn_lsb(int v) noexcept
{
    set_xrpn(v, false);
}

void MidiChannelState::set_xrpn(int v, bool msb_flag) noexcept
{
    if (!is_data_entry_handled()) {
        return;
    }
    if (_data_entry_type == DATA_ENTRY_NRPN) {
        std::uint16_t& value = _nrpn_values[size_t(_nrpn_id)];
        value = std::uint16_t(replace_7bits(value, v, msb_flag));
        return;
    }
    switch (_rpn_id) {
    case RPN_BEND_RANGE:
        _range_code = replace_7bits(_range_code, v, msb_flag);
        update_pitch_bend_range();
        break;
    case RPN_TUNING_FINE:
        _tuning_code = replace_7bits(_tuning_code, v, msb_flag);
        update_pitch_modifier();
        break;
    case RPN_TUNING_COARSE:
        if (msb_flag) {
            _tuning_code = (v & LOW7) << 7;
            update_pitch_modifier();
        }
        break;
    default: // the null number
        rpn_reset();
        break;
    }
}

int MidiChannelState::get_rpn_val() const noexcept
{
    switch (_rpn_id) {
    case RPN_BEND_RANGE:
        return _range_code;
    case RPN_TUNING_FINE:
        return _tuning_code;
    case RPN_TUNING_COARSE:
        return _tuning_code >> 7;
    default:
        return 0;
    }
}

int MidiChannelState::get_nrpn_val() const noexcept
{
    if (_nrpn_id < 0 || size_t(_nrpn_id) >= _nrpn_values.size()) {
        return 0;
    }
    return _nrpn_values[size_t(_nrpn_id)];
}

void MidiChannelState::rpn_reset() noexcept
{
    _rpn_id = 0;
    _range_code = RANGE_CODE_DEFAULT;
    _tuning_code = TUNING_CODE_DEFAULT;
    _pitch_modifier = 0.0;
    // Range and bend step keep their derived values: controllers send the
    // null RPN right after setting the bend range, to close data entry, and
    // the range they set must stay in force.
}

// ---- Stored form ----

int MidiChannelState::read_from_memory(const unsigned char* data)
{
    if (BigEndian::read_u32(data + OFS_MARKER) == 0) {
        return 0;
    }
    _program = BigEndian::read_s32(data + OFS_PROGRAM);
    _bank = read_code(data + OFS_BANK);
    _sustain = data[OFS_SUSTAIN] != 0;
    _sostenuto = data[OFS_SOSTENUTO] != 0;
    _rpn_id = read_code(data + OFS_RPN);
    _nrpn_id = read_code(data + OFS_NRPN);
    _range_code = read_code(data + OFS_RANGE);
    _tuning_code = read_code(data + OFS_TUNING);
    const float bend = BigEndian::read_float(data + OFS_PITCH_BEND);
    _pitch_bend = std::isfinite(bend) ? double(bend) : 0.0;
    update_pitch_bend_range();
    update_pitch_modifier();
    update_note_off_filter();
    if (is_live()) {
        (void)_client->do_send_midi_pitch_bend(_chn, float(_pitch_bend));
    }
    return 0;
}

int MidiChannelState::write_to_memory(unsigned char* data) const
{
    BigEndian::write_u32(data + OFS_MARKER, 1);
    BigEndian::write_u32(data + OFS_CHANNEL, std::uint32_t(_chn));
    BigEndian::write_u32(data + OFS_PROGRAM, std::uint32_t(_program));
    BigEndian::write_u16(data + OFS_BANK, std::uint16_t(_bank));
    data[OFS_SUSTAIN] = _sustain ? 1 : 0;
    data[OFS_SOSTENUTO] = _sostenuto ? 1 : 0;
    BigEndian::write_u16(data + OFS_RPN, std::uint16_t(_rpn_id));
    BigEndian::write_u16(data + OFS_NRPN, std::uint16_t(_nrpn_id));
    BigEndian::write_u16(data + OFS_TUNING, std::uint16_t(_tuning_code));
    BigEndian::write_u16(data + OFS_RANGE, std::uint16_t(_range_code));
    BigEndian::write_float(data + OFS_PITCH_BEND, float(_pitch_bend));
    return 0;
}

} // namespace mppi
