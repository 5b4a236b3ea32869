#include "lib/mppi/Vst2MidiIn.h"

#include "lib/mppi/DspInterface.h"
#include "lib/mppi/MidiMgr.h"
#include "lib/mppi/PluginCmdInterface.h"
#include "lib/mppi/Vst2MidiEvent.h"

namespace mppi {
namespace {

constexpr int DATA_MASK = 0x7F;
constexpr int CHN_MASK = 0x0F;
constexpr int STATUS_MIN = 0x80;
constexpr int CMD_NOTE_OFF = 8;
constexpr int CMD_NOTE_ON = 9;
constexpr int CMD_POLY_PRESSURE = 10;
constexpr int CMD_CONTROL_CHANGE = 11;
constexpr int CMD_PROGRAM_CHANGE = 12;
constexpr int CMD_CHN_PRESSURE = 13;
constexpr int CMD_PITCH_BEND = 14;
constexpr int CMD_SYSTEM = 15;
constexpr float CENT = 0.01f;

} // namespace

Vst2MidiIn::~Vst2MidiIn() = default;

int Vst2MidiIn::connect()
{
    _connected_flag.store(true, std::memory_order_relaxed);
    return 0;
}

int Vst2MidiIn::disconnect()
{
    _connected_flag.store(false, std::memory_order_relaxed);
    return 0;
}

void Vst2MidiIn::process_midi_event(const Vst2MidiEvent& event) noexcept
{
    const int status = event._midi_data[0];
    if (!is_connected() || status < STATUS_MIN) {
        return;
    }
    MidiChannelState& state = use_channel(status & CHN_MASK);
    MidiReceiverInterface* client = state.use_client();
    if (client == nullptr) {
        return;
    }
    client->do_set_time_stamp(event._delta_frames);
    const int cmd = status >> 4;
    if (cmd == CMD_SYSTEM) {
        return;
    }
    const int data1 = event._midi_data[1] & DATA_MASK;
    const int data2 = event._midi_data[2] & DATA_MASK;
    dispatch(state, cmd, data1, data2, event._detune);
    state.transmit_channel_command(cmd, data1, data2);
}

void Vst2MidiIn::dispatch(MidiChannelState& state, int cmd, int data1, int data2,
                          int detune_cents) noexcept
{
    switch (cmd) {
    case CMD_NOTE_OFF:
        state.midi_note_off(data1, data2);
        break;
    case CMD_NOTE_ON:
        if (data2 == 0) {
            state.midi_note_off(data1, 0);
        } else {
            state.midi_note_on(data1, data2, float(detune_cents) * CENT);
        }
        break;
    case CMD_POLY_PRESSURE:
        state.set_aftertouch(data1, data2);
        break;
    case CMD_CONTROL_CHANGE:
        process_control_change(state.get_channel(), data1, data2);
        break;
    case CMD_PROGRAM_CHANGE:
        state.set_program(data1);
        break;
    case CMD_CHN_PRESSURE:
        state.set_chn_pressure(data1);
        break;
    case CMD_PITCH_BEND: // the first data byte is the LSB
        state.set_pitch_bend(data1, data2);
        break;
    default:
        break;
    }
}

void Vst2MidiIn::control_change_2_param(long ctrl_id, int value14) noexcept
{
    MidiMgr* mgr = use_midi_mgr();
    if (mgr == nullptr) {
        return;
    }
    int param = -1;
    float value = 0.0f;
    mgr->autobind_cc_2_param(ctrl_id, value14, param, value);
    DspInterface* dsp = use_dsp();
    if (param < 0 || dsp == nullptr) {
        return;
    }
    if (param < dsp->get_nbr_param()) {
        if (PluginCmdInterface* cmd = mgr->use_plugin_cmd()) {
            (void)cmd->set_param_pi(param, value, PRIORITY_MIDI);
        }
    } else {
        dsp->send_scalar_msg(param, value);
    }
}

} // namespace mppi
