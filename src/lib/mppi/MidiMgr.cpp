#include "lib/mppi/MidiMgr.h"

#include "lib/basic/StrNumDate.h"
#include "lib/mppi/DspInterface.h"
#include "lib/mppi/MidiDevSelectorInterface.h"
#include "lib/mppi/MidiInInterface.h"
#include "lib/mppi/MidiOutInterface.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace mppi {
namespace {

using Edit = MidiCtrlMap::Edit;
using Contention = MidiCtrlMap::Contention;

constexpr int CC_DATA_ENTRY_LIMIT = 32; // below it: MSB on cc, LSB on cc + 32
constexpr int CMD_CONTROL_CHANGE = 11;
constexpr int CTRL_SHIFT = 16;
constexpr long NUMBER_MASK = 0x3FFF;
constexpr long LOW_MASK = 0xFFFF;

} // namespace

MidiMgr::MidiMgr() : _latest_autobind(pack_latest(-1, 0)) {}

MidiMgr::~MidiMgr() = default;

void MidiMgr::connect_obj(MidiReceiverInterface& midi_client, DspInterface& dsp,
                          MidiDevSelectorInterface& dev_selector, PluginCmdInterface& plugin_cmd)
{
    _midi_client = &midi_client;
    _dsp = &dsp;
    _dev_selector = &dev_selector;
    _plugin_cmd = &plugin_cmd;
    dev_selector.connect_midi_mgr(*this);
}

void MidiMgr::init()
{
    _dev_scanned_flag = (_dev_selector != nullptr && _dev_selector->scan_devices() == 0);
}

void MidiMgr::restore()
{
    if (_pms.init_check()) {
        _pms.restore();
    }
    _dev_scanned_flag = false;
}

void MidiMgr::set_persistent_midi_settings(const char* plugin_name)
{
    _pms.init(plugin_name);
}

void MidiMgr::set_output_device(MidiOutInterface* dev) noexcept
{
    _output_dev.store(dev, std::memory_order_release);
}

MidiOutInterface* MidiMgr::get_output_device() const noexcept
{
    return _output_dev.load(std::memory_order_acquire);
}

void MidiMgr::set_input_device(MidiInInterface* dev) noexcept
{
    _input_dev.store(dev, std::memory_order_release);
}

MidiInInterface* MidiMgr::get_input_device() const noexcept
{
    return _input_dev.load(std::memory_order_acquire);
}

void MidiMgr::process_pre() noexcept
{
    if (MidiInInterface* dev_in = get_input_device()) {
        dev_in->process_pre();
    }
    if (MidiOutInterface* dev_out = get_output_device()) {
        dev_out->process_pre();
    }
}

void MidiMgr::process_post() noexcept
{
    if (MidiInInterface* dev_in = get_input_device()) {
        dev_in->process_post();
    }
    if (MidiOutInterface* dev_out = get_output_device()) {
        dev_out->process_post();
    }
}

// ---- Controller ids and values ----

long MidiMgr::encode_ctrl_id(int cc, int number) noexcept
{
    const long base = long(cc) * (1L << CTRL_SHIFT);
    return (cc == CC_NRPN || cc == CC_RPN) ? base + number : base;
}

int MidiMgr::decode_ctrl_id(int& cc, int& number, long ctrl_id) noexcept
{
    cc = int(ctrl_id >> CTRL_SHIFT);
    number = int(ctrl_id & NUMBER_MASK);
    return number;
}

bool MidiMgr::is_midi_ctrl_id(long ctrl_id) noexcept
{
    const long cc = ctrl_id >> CTRL_SHIFT;
    const long low = ctrl_id & LOW_MASK;
    if (cc < 0 || cc > CC_MAX) {
        return false;
    }
    return (cc == CC_NRPN || cc == CC_RPN) ? low <= VALUE14_MAX : low == 0;
}

float MidiMgr::ctrl_to_norm(int value14) noexcept
{
    return float(double(value14) * (1.0 / VALUE14_MAX));
}

int MidiMgr::norm_to_ctrl(float norm) noexcept
{
    const float scaled = norm * float(VALUE14_MAX);
    return basic::round_int(double(scaled));
}

std::string MidiMgr::label_ctrl_id(int ctrl_id)
{
    int cc = 0;
    int number = 0;
    decode_ctrl_id(cc, number, ctrl_id);
    if (cc == CC_NRPN) {
        return "NRPN " + std::to_string(number);
    }
    if (cc == CC_RPN) {
        return "RPN " + std::to_string(number);
    }
    return "CC " + std::to_string(cc);
}

// ---- Map ----

bool MidiMgr::bind(int param, long ctrl_id, Contention contention) noexcept
{
    if (!is_midi_ctrl_id(ctrl_id)) {
        return false;
    }
    {
        // Learn sees the same controller again and again while a knob moves:
        // a binding that is already there costs no copy of the map.
        const MidiCtrlMap::Reader reader(_ctrl_map);
        if (reader.use().is_bound_only_to(param, ctrl_id)) {
            return true;
        }
    }
    return _ctrl_map.edit(
        [param, ctrl_id](MidiCtrlMap::Table& table) {
            return table.bind(param, ctrl_id) ? Edit::PUBLISH : Edit::REFUSE;
        },
        contention);
}

bool MidiMgr::find_ctrl_id(int param, long& ctrl_id) const noexcept
{
    const MidiCtrlMap::Reader reader(_ctrl_map);
    const MidiCtrlMap::Entry* entry = reader.use().find_param(param);
    if (entry == nullptr) {
        return false;
    }
    ctrl_id = entry->_ctrl_id;
    return true;
}

int MidiMgr::associate_param(int param, long ctrl_id) noexcept
{
    return bind(param, ctrl_id, Contention::WAIT) ? 0 : ERR_MAP_REFUSED;
}

int MidiMgr::associate_param(int param, int cc, int number) noexcept
{
    return associate_param(param, encode_ctrl_id(cc, number));
}

int MidiMgr::dissociate_param(int param) noexcept
{
    const bool ok = _ctrl_map.edit(
        [param](MidiCtrlMap::Table& table) {
            if (table.find_param(param) == nullptr) {
                return Edit::KEEP;
            }
            table.unbind(param);
            return Edit::PUBLISH;
        },
        Contention::WAIT);
    return ok ? 0 : ERR_MAP_REFUSED;
}

int MidiMgr::set_default_nrpn_mapping() noexcept
{
    const int nbr_param = (_dsp != nullptr) ? _dsp->get_nbr_param() : 0;
    const bool ok = _ctrl_map.edit(
        [nbr_param](MidiCtrlMap::Table& table) {
            table.clear();
            // NRPN numbers end at 16383, and the map's capacity may end first.
            for (int i = 0; i < nbr_param && i <= VALUE14_MAX; ++i) {
                if (!table.bind(i, encode_ctrl_id(CC_NRPN, i))) {
                    break;
                }
            }
            return Edit::PUBLISH;
        },
        Contention::WAIT);
    return ok ? 0 : ERR_MAP_REFUSED;
}

bool MidiMgr::is_autobinded(int param) const noexcept
{
    long ctrl_id = 0;
    return find_ctrl_id(param, ctrl_id);
}

bool MidiMgr::get_binded_cc(int param, int& ctrl_id) const noexcept
{
    long found = 0;
    if (!find_ctrl_id(param, found)) {
        return false;
    }
    ctrl_id = int(found);
    return true;
}

bool MidiMgr::get_binded_cc(int param, int& cc, int& number) const noexcept
{
    long found = 0;
    if (!find_ctrl_id(param, found)) {
        return false;
    }
    decode_ctrl_id(cc, number, found);
    return true;
}

void MidiMgr::map_cc_2_param(long ctrl_id, int value14, int& param, float& value) const noexcept
{
    const MidiCtrlMap::Reader reader(_ctrl_map);
    const MidiCtrlMap::Entry* entry = reader.use().find(ctrl_id);
    if (entry == nullptr) {
        param = -1;
        value = -1.0f;
    } else {
        param = entry->_param;
        value = ctrl_to_norm(value14);
    }
}

void MidiMgr::map_param_2_cc(int param, float value, long& ctrl_id, int& value14) const noexcept
{
    ctrl_id = -1;
    value14 = -1;
    if (find_ctrl_id(param, ctrl_id)) {
        value14 = norm_to_ctrl(value);
    }
}

std::map<long, int> MidiMgr::get_param_mapping() const
{
    std::vector<MidiCtrlMap::Entry> entries;
    entries.reserve(MidiCtrlMap::CAPACITY);
    {
        const MidiCtrlMap::Reader reader(_ctrl_map);
        const MidiCtrlMap::Table& table = reader.use();
        entries.assign(&table[0], &table[0] + table.size());
    }
    std::map<long, int> mapping;
    for (const MidiCtrlMap::Entry& entry : entries) {
        mapping.emplace(entry._ctrl_id, entry._param);
    }
    return mapping;
}

// ---- Learn ----

std::uint64_t MidiMgr::pack_latest(int param, long ctrl_id) noexcept
{
    return (std::uint64_t(std::uint32_t(param)) << 32) | std::uint32_t(ctrl_id);
}

void MidiMgr::set_autobind_param(int param) noexcept
{
    _autobind_param.store(param, std::memory_order_relaxed);
}

int MidiMgr::get_autobind_param() const noexcept
{
    return _autobind_param.load(std::memory_order_relaxed);
}

bool MidiMgr::get_latest_autobind_info(int& param, long& ctrl_id) const noexcept
{
    const std::uint64_t latest = _latest_autobind.load(std::memory_order_acquire);
    const auto latest_param = std::int32_t(std::uint32_t(latest >> 32));
    if (latest_param < 0) {
        return false;
    }
    param = latest_param;
    ctrl_id = long(std::uint32_t(latest));
    return true;
}

void MidiMgr::clear_latest_autobind_info() noexcept
{
    // Publishes nothing: relaxed.
    _latest_autobind.store(pack_latest(-1, 0), std::memory_order_relaxed);
}

void MidiMgr::autobind_cc_2_param(long ctrl_id, int value14, int& param, float& value) noexcept
{
    int armed = _autobind_param.load(std::memory_order_relaxed);
    if (armed >= 0 && bind(armed, ctrl_id, Contention::GIVE_UP)) {
        _latest_autobind.store(pack_latest(armed, ctrl_id), std::memory_order_release);
        if (_pms.get_autobind_mode() == PersistentMidiSettings::AUTOBIND_ONCE) {
            // Disarms only what was armed: a parameter armed by the editor
            // in the meantime stays armed.
            _autobind_param.compare_exchange_strong(armed, -1, std::memory_order_relaxed);
        }
    }
    map_cc_2_param(ctrl_id, value14, param, value);
}

// ---- MIDI out ----

int MidiMgr::param_to_midi_out(int chn, int param, float value) noexcept
{
    long ctrl_id = 0;
    if (!find_ctrl_id(param, ctrl_id)) {
        return ERR_NOT_BOUND;
    }
    int cc = 0;
    int number = 0;
    decode_ctrl_id(cc, number, ctrl_id);
    // A value outside 0..1 or NaN (a damaged bank, a host) must not turn a
    // data byte into a status byte.
    const int v = std::clamp(norm_to_ctrl(std::isnan(value) ? 0.0f : value), 0, VALUE14_MAX);
    int sent = 0;
    if (cc == CC_NRPN) {
        sent = do_send_midi_nrpn(chn, number, v);
    } else if (cc == CC_RPN) {
        sent = do_send_midi_rpn(chn, number, v);
    } else if (cc < CC_DATA_ENTRY_LIMIT) {
        sent = do_send_midi_chn_cmd(chn, CMD_CONTROL_CHANGE, cc, v >> 7);
        if (sent != 0) {
            sent = do_send_midi_chn_cmd(chn, CMD_CONTROL_CHANGE, cc + CC_DATA_ENTRY_LIMIT, v & 127);
        }
    } else {
        sent = do_send_midi_chn_cmd(chn, CMD_CONTROL_CHANGE, cc, std::min(CC_MAX, (v + 64) >> 7));
    }
    return (sent != 0) ? 0 : ERR_SEND_REFUSED;
}

template <typename... Params, typename... Args>
int MidiMgr::forward(int (MidiReceiverInterface::*hook)(Params...) noexcept,
                     Args... args) const noexcept
{
    MidiReceiverInterface* dev = get_output_device();
    return (dev != nullptr) ? (dev->*hook)(args...) : 0;
}

void MidiMgr::do_set_time_stamp(long sample_offset) noexcept
{
    if (MidiOutInterface* dev = get_output_device()) {
        dev->do_set_time_stamp(sample_offset);
    }
}

int MidiMgr::do_send_midi_note_on(int channel, int note, float pitch, float detune, float velocity,
                                  bool flag) noexcept
{
    return forward(&MidiReceiverInterface::do_send_midi_note_on, channel, note, pitch, detune,
                   velocity, flag);
}

int MidiMgr::do_send_midi_note_off(int channel, int note, float velocity) noexcept
{
    return forward(&MidiReceiverInterface::do_send_midi_note_off, channel, note, velocity);
}

int MidiMgr::do_send_midi_velo(int channel, int note, float pressure) noexcept
{
    return forward(&MidiReceiverInterface::do_send_midi_velo, channel, note, pressure);
}

int MidiMgr::do_send_midi_pitch_bend(int channel, float semitones) noexcept
{
    return forward(&MidiReceiverInterface::do_send_midi_pitch_bend, channel, semitones);
}

int MidiMgr::do_send_midi_program_change(int channel, long program) noexcept
{
    return forward(&MidiReceiverInterface::do_send_midi_program_change, channel, program);
}

int MidiMgr::do_send_midi_rpn(int channel, int number, long value) noexcept
{
    return forward(&MidiReceiverInterface::do_send_midi_rpn, channel, number, value);
}

int MidiMgr::do_send_midi_nrpn(int channel, int number, long value) noexcept
{
    return forward(&MidiReceiverInterface::do_send_midi_nrpn, channel, number, value);
}

int MidiMgr::do_send_midi_cc(int channel, int controller, int value) noexcept
{
    return forward(&MidiReceiverInterface::do_send_midi_cc, channel, controller, value);
}

int MidiMgr::do_send_midi_chn_cmd(int channel, int command, int data1, int data2) noexcept
{
    return forward(&MidiReceiverInterface::do_send_midi_chn_cmd, channel, command, data1, data2);
}

int MidiMgr::do_send_midi_rt_cmd(int status) noexcept
{
    return forward(&MidiReceiverInterface::do_send_midi_rt_cmd, status);
}

int MidiMgr::do_send_midi_common_cmd(int status, int data1, int data2) noexcept
{
    return forward(&MidiReceiverInterface::do_send_midi_common_cmd, status, data1, data2);
}

int MidiMgr::do_send_midi_sys_ex(long length, const unsigned char* data) noexcept
{
    return forward(&MidiReceiverInterface::do_send_midi_sys_ex, length, data);
}

int MidiMgr::do_send_midi_reset() noexcept
{
    return forward(&MidiReceiverInterface::do_send_midi_reset);
}

} // namespace mppi
