#include "lib/mppi/MidiInCcMixin.h"

#include "lib/mppi/MidiMgr.h"
#include "lib/mppi/MidiReceiverInterface.h"
#include "lib/mppi/MidiXrpnCtrl.h"

namespace mppi {
namespace {

constexpr int DATA_MAX = 0x7F;     // largest data byte
constexpr int CC_TO_VALUE14 = 128; // a 7-bit value in the high bits of a 14-bit one

} // namespace

MidiInCcMixin::~MidiInCcMixin() = default;

void MidiInCcMixin::process_control_change(int chn, int cc, int value) noexcept
{
    if (!is_channel(chn) || cc < 0 || cc > DATA_MAX || value < 0 || value > DATA_MAX) {
        return;
    }
    MidiChannelState& state = use_channel(chn);
    MidiReceiverInterface* client = state.use_client();
    if (client == nullptr) {
        return;
    }
    if (select_number(state, cc, value, MidiXrpnCtrl::get_compatibility(*this))) {
        (void)client->do_send_midi_cc(chn, cc, value);
    } else if (cc == MidiXrpnCtrl::DATA_ENTRY_MSB || cc == MidiXrpnCtrl::DATA_ENTRY_LSB) {
        enter_data(state, cc, value);
    } else {
        (void)client->do_send_midi_cc(chn, cc, value);
        control_change_2_param(MidiMgr::encode_ctrl_id(cc, 0), value * CC_TO_VALUE14);
    }
}

bool MidiInCcMixin::select_number(MidiChannelState& state, int cc, int value,
                                  int compat) noexcept
{
    if (cc == MidiXrpnCtrl::nrpn_msb(compat)) {
        state.set_nrpn_id_msb(value);
    } else if (cc == MidiXrpnCtrl::nrpn_lsb(compat)) {
        state.set_nrpn_id_lsb(value);
    } else if (cc == MidiXrpnCtrl::rpn_msb(compat)) {
        state.set_rpn_id_msb(value);
    } else if (cc == MidiXrpnCtrl::rpn_lsb(compat)) {
        state.set_rpn_id_lsb(value);
    } else {
        return false;
    }
    return true;
}

void MidiInCcMixin::enter_data(MidiChannelState& state, int cc, int value) noexcept
{
    // Data entry on a number that the channel does not keep is no value at
    // all: reporting 0 would set whatever is bound to that number to 0.
    if (!state.is_data_entry_handled()) {
        return;
    }
    if (cc == MidiXrpnCtrl::DATA_ENTRY_MSB) {
        state.set_xrpn_msb(value);
    } else {
        state.set_xrpn_lsb(value);
    }
    MidiReceiverInterface& client = *state.use_client();
    const int chn = state.get_channel();
    if (state.get_data_entry_type() == MidiChannelState::DATA_ENTRY_RPN) {
        const int number = state.get_rpn_id();
        const int v = state.get_rpn_val();
        (void)client.do_send_midi_rpn(chn, number, v);
        control_change_2_param(MidiMgr::encode_ctrl_id(MidiXrpnCtrl::RPN, number), v);
    } else {
        const int number = state.get_nrpn_id();
        const int v = state.get_nrpn_val();
        (void)client.do_send_midi_nrpn(chn, number, v);
        control_change_2_param(MidiMgr::encode_ctrl_id(MidiXrpnCtrl::NRPN, number), v);
    }
}

} // namespace mppi
