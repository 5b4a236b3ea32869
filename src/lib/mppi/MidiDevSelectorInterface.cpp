#include "lib/mppi/MidiDevSelectorInterface.h"

#include "lib/basic/ConfKeyData.h"
#include "lib/basic/ConfKeyMulti.h"
#include "lib/basic/StrCase.h"
#include "lib/mppi/MidiInInterface.h"
#include "lib/mppi/MidiMgr.h"
#include "lib/mppi/MidiOutInterface.h"

#include <type_traits>

namespace mppi {
namespace {

// What the two sides of the selection differ in, looked up by device type.
template <typename Dev>
constexpr bool IS_IN = std::is_same_v<Dev, MidiInInterface>;

template <typename Dev>
Dev* get_mgr_dev(MidiMgr& mgr) noexcept
{
    if constexpr (IS_IN<Dev>) {
        return mgr.get_input_device();
    } else {
        return mgr.get_output_device();
    }
}

template <typename Dev>
void set_mgr_dev(MidiMgr& mgr, Dev* dev) noexcept
{
    if constexpr (IS_IN<Dev>) {
        mgr.set_input_device(dev);
    } else {
        mgr.set_output_device(dev);
    }
}

const char* port_name(bool in_flag) noexcept
{
    return in_flag ? "port_in" : "port_out";
}

} // namespace

MidiDevSelectorInterface::~MidiDevSelectorInterface() = default;

int MidiDevSelectorInterface::scan_devices()
{
    int rc = scan_dev_in();
    if (rc == 0) {
        rc = scan_dev_out();
    }
    _scanned_flag = (rc == 0);
    return rc;
}

template <typename Dev>
int MidiDevSelectorInterface::select_side(int id)
{
    constexpr bool in_flag = IS_IN<Dev>;
    const std::vector<Properties>& list = in_flag ? _dev_in_list : _dev_out_list;
    int& cur_id = in_flag ? _cur_id_in : _cur_id_out;
    if (id < -1 || id >= int(list.size())) {
        return ERR_INVALID_ID;
    }
    if (_midi_mgr != nullptr) {
        if (Dev* old_dev = get_mgr_dev<Dev>(*_midi_mgr)) {
            const int rc = old_dev->disconnect();
            if (rc != 0) {
                return rc;
            }
        }
        set_mgr_dev<Dev>(*_midi_mgr, nullptr);
    }
    cur_id = -1;
    Dev* dev = nullptr;
    int rc = 0;
    if constexpr (in_flag) {
        rc = do_select_dev_in(id, dev);
    } else {
        rc = do_select_dev_out(id, dev);
    }
    if (rc == 0 && dev != nullptr) {
        rc = dev->connect();
    }
    if (rc != 0) {
        return rc;
    }
    cur_id = id;
    if (_midi_mgr != nullptr) {
        set_mgr_dev<Dev>(*_midi_mgr, dev);
    }
    return 0;
}

int MidiDevSelectorInterface::select_dev_in(int id)
{
    return select_side<MidiInInterface>(id);
}

int MidiDevSelectorInterface::select_dev_out(int id)
{
    return select_side<MidiOutInterface>(id);
}

int MidiDevSelectorInterface::find_dev(const std::vector<Properties>& list,
                                       const std::string& name) noexcept
{
    for (size_t i = 0; i < list.size(); ++i) {
        if (basic::strcmp_ci(list[i]._name.c_str(), name.c_str())) {
            return int(i);
        }
    }
    return -1;
}

int MidiDevSelectorInterface::select_dev_in(const std::string& name)
{
    return select_dev_in(find_dev(_dev_in_list, name));
}

int MidiDevSelectorInterface::select_dev_out(const std::string& name)
{
    return select_dev_out(find_dev(_dev_out_list, name));
}

int MidiDevSelectorInterface::select_default_dev(bool use_in, bool use_out)
{
    const int rc = select_dev_in((use_in && !_dev_in_list.empty()) ? 0 : -1);
    if (rc != 0) {
        return rc;
    }
    return select_dev_out((use_out && !_dev_out_list.empty()) ? 0 : -1);
}

int MidiDevSelectorInterface::select_devices_from_key(const basic::ConfKeyMulti& midi_key)
{
    const std::string name_in = midi_key.get_key_str("port_in/name");
    if (!name_in.empty()) {
        const int rc = select_dev_in(name_in);
        if (rc != 0) {
            return rc;
        }
    }
    const std::string name_out = midi_key.get_key_str("port_out/name");
    return name_out.empty() ? 0 : select_dev_out(name_out);
}

MidiDevInterface* MidiDevSelectorInterface::use_mgr_dev(bool in_flag) noexcept
{
    if (_midi_mgr == nullptr) {
        return nullptr;
    }
    if (in_flag) {
        return _midi_mgr->get_input_device();
    }
    return _midi_mgr->get_output_device();
}

int MidiDevSelectorInterface::save_port(basic::ConfKeyMulti& midi_key, bool in_flag)
{
    const std::vector<Properties>& list = in_flag ? _dev_in_list : _dev_out_list;
    const int id = in_flag ? _cur_id_in : _cur_id_out;
    basic::ConfKeyMulti port(port_name(in_flag));
    // After `restore` emptied the lists the old id names nothing any more.
    if (id < 0 || id >= int(list.size())) {
        port.push_back(basic::ConfKeyData("name", "none"));
    } else {
        port.push_back(basic::ConfKeyData("name", list[size_t(id)]._name));
        if (MidiDevInterface* dev = use_mgr_dev(in_flag)) {
            const int rc = dev->save_settings(port);
            if (rc != 0) {
                return rc;
            }
        }
    }
    midi_key.add_unique(port);
    return 0;
}

int MidiDevSelectorInterface::save_settings(basic::ConfKeyMulti& midi_key)
{
    const int rc = save_port(midi_key, true);
    return (rc != 0) ? rc : save_port(midi_key, false);
}

int MidiDevSelectorInterface::load_settings(const basic::ConfKeyMulti& midi_key)
{
    int rc = select_devices_from_key(midi_key);
    for (const bool in_flag : {true, false}) {
        if (rc != 0) {
            break;
        }
        MidiDevInterface* dev = use_mgr_dev(in_flag);
        const long pos = midi_key.find_index_multi(port_name(in_flag));
        if (dev != nullptr && pos >= 0) {
            rc = dev->load_settings(static_cast<const basic::ConfKeyMulti&>(midi_key[pos]));
        }
    }
    return rc;
}

} // namespace mppi
