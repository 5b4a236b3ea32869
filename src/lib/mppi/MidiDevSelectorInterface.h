#pragma once

#include "lib/basic/SettingClientInterface.h"
#include "lib/mppi/Fwd.h"

#include <cstdint>
#include <string>
#include <vector>

namespace mppi {

class MidiDevInterface;
class MidiInInterface;
class MidiOutInterface;

// The list of available MIDI input and output devices and the current choice
// of one input and one output, kept in the settings file under the MIDI
// manager's "midi" node ("port_in" and "port_out", each with the device's
// "name"). A device id is its index in the list of its side; -1 is no device.
// Selecting a device drops the old one (`disconnect`), has the new one made
// by the implementation, `connect`s it and hands it to the MIDI manager.
//
// Main thread only; may allocate. Lifecycle: `connect_midi_mgr`, then
// `scan_devices` (ids are given), `init`, a first selection
// (`select_default_dev`); settings may change the choice later; `restore` at
// shut-down. The MIDI manager's device links, which the selection sets, are
// the only part that the audio thread reads.
class MidiDevSelectorInterface : public basic::SettingClientInterface
{
public:
    // One device description. The second field is kept for the back end; no
    // selector operation reads it.
    class Properties
    {
    public:
        std::string _name;
        std::int64_t _data = 0;
    };

    // A device id outside -1..count-1 given to a selection.
    static constexpr int ERR_INVALID_ID = -1;

    MidiDevSelectorInterface() = default;
    MidiDevSelectorInterface(const MidiDevSelectorInterface&) = delete;
    MidiDevSelectorInterface& operator=(const MidiDevSelectorInterface&) = delete;
    ~MidiDevSelectorInterface() override;

    // Saves and loads the current choice into / from the manager's "midi" node.
    [[nodiscard]] int save_settings(basic::ConfKeyMulti& midi_key) override;
    [[nodiscard]] int load_settings(const basic::ConfKeyMulti& midi_key) override;

    [[nodiscard]] virtual int init() = 0;
    [[nodiscard]] virtual int restore() = 0;
    // The current input (output) device is set up again by its back end.
    [[nodiscard]] virtual int configure_dev_in() = 0;
    [[nodiscard]] virtual int configure_dev_out() = 0;
    [[nodiscard]] virtual int scan_dev_in() = 0;
    [[nodiscard]] virtual int scan_dev_out() = 0;
    // Makes the device of that id (null for -1), 0 on success.
    [[nodiscard]] virtual int do_select_dev_in(int id, MidiInInterface*& dev) = 0;
    [[nodiscard]] virtual int do_select_dev_out(int id, MidiOutInterface*& dev) = 0;

    void connect_midi_mgr(MidiMgr& mgr) noexcept { _midi_mgr = &mgr; }
    [[nodiscard]] MidiMgr* use_midi_mgr() noexcept { return _midi_mgr; }
    [[nodiscard]] const MidiMgr* use_midi_mgr() const noexcept { return _midi_mgr; }

    // Inputs, then (when that succeeded) outputs; the first error is returned.
    [[nodiscard]] int scan_devices();
    [[nodiscard]] bool are_devices_scanned() const noexcept { return _scanned_flag; }

    [[nodiscard]] int get_nbr_dev_in() const noexcept { return int(_dev_in_list.size()); }
    [[nodiscard]] int get_nbr_dev_out() const noexcept { return int(_dev_out_list.size()); }
    // Precondition: 0 <= id < the number of devices of that side.
    [[nodiscard]] const Properties& get_dev_in_prop(int id) const
    {
        return _dev_in_list[size_t(id)];
    }
    [[nodiscard]] const Properties& get_dev_out_prop(int id) const
    {
        return _dev_out_list[size_t(id)];
    }
    [[nodiscard]] const std::vector<Properties>& use_prop_list_in() const noexcept
    {
        return _dev_in_list;
    }
    [[nodiscard]] const std::vector<Properties>& use_prop_list_out() const noexcept
    {
        return _dev_out_list;
    }
    [[nodiscard]] int get_dev_in_cur_id() const noexcept { return _cur_id_in; }
    [[nodiscard]] int get_dev_out_cur_id() const noexcept { return _cur_id_out; }

    // Selects the device of that id, or none for -1. An id outside
    // -1..count-1 gives ERR_INVALID_ID and changes nothing; a failing
    // disconnect of the old device is returned and keeps it; any later
    // failure is returned and leaves that side with no device.
    [[nodiscard]] int select_dev_in(int id);
    [[nodiscard]] int select_dev_out(int id);
    // Selects the first device whose name equals `name` ignoring letter case;
    // none when no name matches.
    [[nodiscard]] int select_dev_in(const std::string& name);
    [[nodiscard]] int select_dev_out(const std::string& name);
    // Device 0 of a side when asked for and present, else none; inputs first.
    [[nodiscard]] int select_default_dev(bool use_in, bool use_out);
    // Selects the devices named under "port_in/name" and "port_out/name"; a
    // missing or empty name keeps that side's choice.
    [[nodiscard]] int select_devices_from_key(const basic::ConfKeyMulti& midi_key);

protected:
    // The lists that an implementation fills while scanning and empties at
    // `restore`.
    std::vector<Properties> _dev_in_list;
    std::vector<Properties> _dev_out_list;

private:
    [[nodiscard]] static int find_dev(const std::vector<Properties>& list,
                                      const std::string& name) noexcept;
    // The manager's device of that side, or null.
    [[nodiscard]] MidiDevInterface* use_mgr_dev(bool in_flag) noexcept;
    [[nodiscard]] int save_port(basic::ConfKeyMulti& midi_key, bool in_flag);
    // Selection by id on the side of that device type.
    template <typename Dev>
    [[nodiscard]] int select_side(int id);

    MidiMgr* _midi_mgr = nullptr;
    int _cur_id_in = -1;
    int _cur_id_out = -1;
    bool _scanned_flag = false;
};

} // namespace mppi
