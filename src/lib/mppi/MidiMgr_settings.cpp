#include "lib/mppi/MidiMgr.h"

#include "lib/basic/ConfKeyContentString.h"
#include "lib/basic/ConfKeyData.h"
#include "lib/basic/ConfKeyMulti.h"
#include "lib/basic/StrCase.h"
#include "lib/basic/StrNumDate.h"
#include "lib/mppi/DspInterface.h"
#include "lib/mppi/MidiDevSelectorInterface.h"
#include "lib/mppi/NormalizedParamInterface.h"

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

// The MIDI manager's keys in the settings file: the controller map and the
// device choice under "midi".

namespace mppi {
namespace {

constexpr const char* CONTROL_MAP_COMMENT =
    "Bind param with cc_, rpn_ or nrpn_ as prefix + CC/(N)RPN #.";
constexpr const char* PREFIX_ID = "id_";
constexpr const char* PREFIX_CC = "cc_";
constexpr const char* PREFIX_RPN = "rpn_";
constexpr const char* PREFIX_NRPN = "nrpn_";

// Length of a prefix of at most a few characters.
[[nodiscard]] constexpr size_t prefix_len(const char* prefix) noexcept
{
    return std::char_traits<char>::length(prefix);
}

// The decimal number after the prefix of text: ERR_NO_NUMBER when there is
// none or it is negative, ERR_OUT_OF_RANGE beyond max.
[[nodiscard]] int read_number(const std::string& text, size_t pos, long long max, int& val)
{
    const char* start = text.c_str() + pos;
    const char* end = start;
    const long long n = basic::read_decimal(start, &end);
    if (end == start || n < 0) {
        return MidiMgr::ERR_NO_NUMBER;
    }
    if (n > max) {
        return MidiMgr::ERR_OUT_OF_RANGE;
    }
    val = int(n);
    return 0;
}

[[nodiscard]] bool starts_with_ci(const std::string& text, const char* prefix) noexcept
{
    return basic::search_str_ci(prefix, text.c_str()) == 0;
}

} // namespace

int MidiMgr::save_settings(basic::ConfKeyMulti& root)
{
    basic::ConfKeyMulti midi_key("midi");
    int rc = save_param_map(midi_key);
    if (rc == 0 && _dev_selector != nullptr) {
        rc = _dev_selector->save_settings(midi_key);
    }
    if (rc == 0) {
        root.add_unique(midi_key);
    }
    return rc;
}

int MidiMgr::save_param_map(basic::ConfKeyMulti& midi_key) const
{
    std::vector<ParamMapping> mapping_list;
    mapping_list.reserve(MidiCtrlMap::CAPACITY);
    {
        const MidiCtrlMap::Reader reader(_ctrl_map);
        const MidiCtrlMap::Table& table = reader.use();
        for (int i = 0; i < table.size(); ++i) {
            ParamMapping mapping{table[i]._param, 0, 0};
            decode_ctrl_id(mapping._cc, mapping._number, table[i]._ctrl_id);
            mapping_list.push_back(mapping);
        }
    }
    // A parameter has at most one binding: no two records compare equal.
    std::sort(mapping_list.begin(), mapping_list.end(), ParamMappingPred());

    basic::ConfKeyMulti control_map("control_map");
    control_map.set_comment(CONTROL_MAP_COMMENT);
    const int nbr_param = (_dsp != nullptr) ? _dsp->get_nbr_param() : 0;
    for (const ParamMapping& mapping : mapping_list) {
        std::string name;
        std::string text;
        encode_param_conf_key_name(name, mapping._param);
        encode_param_conf_key_content(text, mapping._cc, mapping._number);
        basic::ConfKeyData entry(name, text);
        if (mapping._param >= 0 && mapping._param < nbr_param) {
            char param_name[128];
            _dsp->get_param_ref(mapping._param).get_name(param_name, long(sizeof param_name));
            entry.set_comment(param_name);
        }
        control_map.push_back(entry);
    }
    midi_key.add_unique(control_map);
    return 0;
}

int MidiMgr::load_settings(const basic::ConfKeyMulti& root)
{
    const long pos = root.find_index_multi("midi");
    if (pos < 0) {
        return 0;
    }
    const auto& midi_key = static_cast<const basic::ConfKeyMulti&>(root[pos]);
    const int rc = load_param_map(midi_key);
    if (rc != 0 || _dev_selector == nullptr) {
        return rc;
    }
    return _dev_selector->load_settings(midi_key);
}

int MidiMgr::load_param_map(const basic::ConfKeyMulti& midi_key)
{
    const long pos = midi_key.find_index_multi("control_map");
    if (pos < 0) {
        return 0;
    }
    const auto& control_map = static_cast<const basic::ConfKeyMulti&>(midi_key[pos]);
    std::vector<MidiCtrlMap::Entry> entries;
    for (long i = 0; i < control_map.get_nbr_keys(); ++i) {
        const auto* entry = dynamic_cast<const basic::ConfKeyData*>(control_map.use_key(i));
        MidiCtrlMap::Entry binding{0, 0};
        if (entry != nullptr && decode_param_conf(*entry, binding._param, binding._ctrl_id) == 0) {
            entries.push_back(binding);
        }
    }
    // Merged into the current map in file order, all at once.
    const bool ok = _ctrl_map.edit(
        [&entries](MidiCtrlMap::Table& table) {
            for (const MidiCtrlMap::Entry& binding : entries) {
                (void)table.bind(binding._param, binding._ctrl_id);
            }
            return MidiCtrlMap::Edit::PUBLISH;
        },
        MidiCtrlMap::Contention::WAIT);
    return ok ? 0 : ERR_MAP_REFUSED;
}

int MidiMgr::load_param_conf(const basic::ConfKeyData& entry)
{
    int param = 0;
    long ctrl_id = 0;
    const int rc = decode_param_conf(entry, param, ctrl_id);
    return (rc != 0) ? rc : associate_param(param, ctrl_id);
}

int MidiMgr::decode_param_conf(const basic::ConfKeyData& entry, int& param, long& ctrl_id)
{
    const auto* content = dynamic_cast<const basic::ConfKeyContentString*>(entry.use_content());
    if (content == nullptr) {
        return ERR_NO_PREFIX;
    }
    int rc = decode_parma_conf_key_name(entry.get_name(), param);
    int cc = 0;
    int number = 0;
    if (rc == 0) {
        rc = decode_param_conf_key_content(content->get_text(), cc, number);
    }
    if (rc == 0) {
        ctrl_id = encode_ctrl_id(cc, number);
    }
    return rc;
}

int MidiMgr::encode_param_conf_key_name(std::string& name, int param)
{
    name = PREFIX_ID + std::to_string(param);
    return 0;
}

int MidiMgr::decode_parma_conf_key_name(const std::string& name, int& param)
{
    if (!starts_with_ci(name, PREFIX_ID)) {
        return ERR_NO_PREFIX;
    }
    // An index that does not fit an int is refused rather than wrapped.
    return read_number(name, prefix_len(PREFIX_ID), INT_MAX, param);
}

int MidiMgr::encode_param_conf_key_content(std::string& text, int cc, int number)
{
    if (cc == CC_NRPN) {
        text = PREFIX_NRPN + std::to_string(number);
    } else if (cc == CC_RPN) {
        text = PREFIX_RPN + std::to_string(number);
    } else {
        text = PREFIX_CC + std::to_string(cc);
    }
    return 0;
}

int MidiMgr::decode_param_conf_key_content(const std::string& text, int& cc, int& number)
{
    cc = -1;
    number = -1;
    int val = 0;
    int rc = 0;
    // Controllers and parameter numbers are range-checked: out of range they
    // would make ids of other controllers.
    if (starts_with_ci(text, PREFIX_CC)) {
        rc = read_number(text, prefix_len(PREFIX_CC), CC_MAX, val);
        if (rc == 0) {
            cc = val;
            number = 0;
        }
    } else if (starts_with_ci(text, PREFIX_RPN) || starts_with_ci(text, PREFIX_NRPN)) {
        const bool rpn_flag = starts_with_ci(text, PREFIX_RPN);
        rc = read_number(text, prefix_len(rpn_flag ? PREFIX_RPN : PREFIX_NRPN), VALUE14_MAX, val);
        if (rc == 0) {
            cc = rpn_flag ? CC_RPN : CC_NRPN;
            number = val;
        }
    } else {
        rc = ERR_NO_PREFIX;
    }
    return rc;
}

} // namespace mppi
