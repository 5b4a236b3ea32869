#pragma once

#include "lib/basic/SettingClientInterface.h"
#include "lib/mppi/Fwd.h"
#include "lib/mppi/MidiCtrlMap.h"
#include "lib/mppi/MidiReceiverInterface.h"
#include "lib/mppi/PersistentMidiSettings.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <string>

namespace basic {
class ConfKeyData;
class ConfKeyMulti;
} // namespace basic

namespace mppi {

class MidiDevSelectorInterface;
class MidiInInterface;
class MidiOutInterface;
class PluginCmdInterface;

// The plug-in's MIDI manager: the map from MIDI controllers (plain CC, RPN,
// NRPN) to parameter indices, MIDI learn, the conversions between controller
// values and normalised values, parameter changes sent out as MIDI, the map
// and the device choice in the settings file ("midi" node), and the MIDI
// preferences. As a MIDI receiver it forwards everything to the selected
// output device.
//
// A controller id is the controller number times 65536, plus the 14-bit
// parameter number for controllers 99 (NRPN) and 101 (RPN). The map holds
// only ids that MIDI input can produce (controller 0..127, parameter number
// 0..16383), at most MidiCtrlMap::CAPACITY of them; one id names one
// parameter and a parameter has at most one id.
//
// Lifecycle: constructed empty, linked at once with `connect_obj`; the
// effect's `init` sets the preferences up and the default mapping; `init`
// scans the devices; `restore` undoes the preferences' set-up. Threads:
// `autobind_cc_2_param`, `process_pre` and `process_post` run on the audio
// thread; `param_to_midi_out` and the receiver hooks on the thread of the
// parameter or program change that sends; everything else on the main
// thread. The map, the learn state, the preferences and the device links are
// shared without a lock.
class MidiMgr : public MidiReceiverInterface, public basic::SettingClientInterface
{
public:
    // One binding as saved: parameter index, controller number and parameter
    // number.
    class ParamMapping
    {
    public:
        int _param;
        int _cc;
        int _number;
    };
    // Orders bindings by parameter index only.
    class ParamMappingPred
    {
    public:
        [[nodiscard]] bool operator()(const ParamMapping& a, const ParamMapping& b) const noexcept
        {
            return a._param < b._param;
        }
    };

    static constexpr int CC_MAX = 127;
    static constexpr int CC_NRPN = 99;
    static constexpr int CC_RPN = 101;
    static constexpr int VALUE14_MAX = 16383;

    // Results of the map operations.
    static constexpr int ERR_MAP_REFUSED = -1;  // id that MIDI cannot produce, or map full
    static constexpr int ERR_SEND_REFUSED = -1; // param_to_midi_out: a send answered false
    static constexpr int ERR_NOT_BOUND = -2;    // param_to_midi_out: no controller
    // Results of the settings text decoders.
    static constexpr int ERR_NO_PREFIX = -1;
    static constexpr int ERR_NO_NUMBER = -2;
    static constexpr int ERR_OUT_OF_RANGE = -3;

    MidiMgr();
    ~MidiMgr() override;

    // Main thread only. Stores the links (not owned) and links the selector
    // back to this manager.
    void connect_obj(MidiReceiverInterface& midi_client, DspInterface& dsp,
                     MidiDevSelectorInterface& dev_selector, PluginCmdInterface& plugin_cmd);
    // Main thread only. Scans the devices.
    void init();
    void set_default_state() noexcept {}
    void restore();
    [[nodiscard]] bool are_devices_scanned() const noexcept { return _dev_scanned_flag; }
    // Main thread only; may allocate. Reads the MIDI preferences.
    void set_persistent_midi_settings(const char* plugin_name);

    [[nodiscard]] PersistentMidiSettings& use_persistent_midi_settings() noexcept { return _pms; }
    [[nodiscard]] const PersistentMidiSettings& use_persistent_midi_settings() const noexcept
    {
        return _pms;
    }
    // Any thread once linked; null before `connect_obj`.
    [[nodiscard]] DspInterface* use_dsp() const noexcept { return _dsp; }
    [[nodiscard]] MidiReceiverInterface* use_midi_client() const noexcept { return _midi_client; }
    [[nodiscard]] MidiDevSelectorInterface* use_dev_selector() const noexcept
    {
        return _dev_selector;
    }
    [[nodiscard]] PluginCmdInterface* use_plugin_cmd() const noexcept { return _plugin_cmd; }

    // Set on the main thread by the device selector, read on any thread.
    void set_output_device(MidiOutInterface* dev) noexcept;
    [[nodiscard]] MidiOutInterface* get_output_device() const noexcept;
    void set_input_device(MidiInInterface* dev) noexcept;
    [[nodiscard]] MidiInInterface* get_input_device() const noexcept;

    // Audio thread; no lock, no allocation. The devices' per-block calls,
    // input device first.
    void process_pre() noexcept;
    void process_post() noexcept;
    void reset_time_stamp(long /*sample_offset*/) noexcept {}

    // Thread of the sender; no lock, no allocation. Each hook goes to the
    // output device; with none it sends nothing and answers 0.
    void do_set_time_stamp(long sample_offset) noexcept override;
    [[nodiscard]] int do_send_midi_note_on(int channel, int note, float pitch, float detune,
                                           float velocity, bool flag) noexcept override;
    [[nodiscard]] int do_send_midi_note_off(int channel, int note,
                                            float velocity) noexcept override;
    [[nodiscard]] int do_send_midi_velo(int channel, int note, float pressure) noexcept override;
    [[nodiscard]] int do_send_midi_pitch_bend(int channel, float semitones) noexcept override;
    [[nodiscard]] int do_send_midi_program_change(int channel, long program) noexcept override;
    [[nodiscard]] int do_send_midi_rpn(int channel, int number, long value) noexcept override;
    [[nodiscard]] int do_send_midi_nrpn(int channel, int number, long value) noexcept override;
    [[nodiscard]] int do_send_midi_cc(int channel, int controller, int value) noexcept override;
    [[nodiscard]] int do_send_midi_chn_cmd(int channel, int command, int data1,
                                           int data2) noexcept override;
    [[nodiscard]] int do_send_midi_rt_cmd(int status) noexcept override;
    [[nodiscard]] int do_send_midi_common_cmd(int status, int data1, int data2) noexcept override;
    [[nodiscard]] int do_send_midi_sys_ex(long length, const unsigned char* data) noexcept override;
    [[nodiscard]] int do_send_midi_reset() noexcept override;

    // Any thread; pure computations.
    [[nodiscard]] static long encode_ctrl_id(int cc, int number) noexcept;
    // Writes the controller and the parameter number; returns the number.
    static int decode_ctrl_id(int& cc, int& number, long ctrl_id) noexcept;
    // True for an id that MIDI input can produce.
    [[nodiscard]] static bool is_midi_ctrl_id(long ctrl_id) noexcept;
    // v / 16383 in double precision, stored as float.
    [[nodiscard]] static float ctrl_to_norm(int value14) noexcept;
    // round(x * 16383), the product in single precision, halves upward.
    [[nodiscard]] static int norm_to_ctrl(float norm) noexcept;
    // Main thread only; allocates. "NRPN 5", "RPN 0", "CC 7".
    [[nodiscard]] static std::string label_ctrl_id(int ctrl_id);

    // MIDI learn. Main thread, read on the audio thread; no lock.
    void set_autobind_param(int param) noexcept;
    [[nodiscard]] int get_autobind_param() const noexcept;
    void clear_cur_autobind() noexcept { set_autobind_param(-1); }
    // The latest learned parameter and its controller, read as one pair;
    // false (outputs untouched) when there is none.
    [[nodiscard]] bool get_latest_autobind_info(int& param, long& ctrl_id) const noexcept;
    void clear_latest_autobind_info() noexcept;
    // Audio thread; no lock, no allocation. Learns the controller for the
    // armed parameter, then looks it up: param and value are the bound
    // parameter and the normalised value, or -1 and -1.0 when unbound.
    void autobind_cc_2_param(long ctrl_id, int value14, int& param, float& value) noexcept;

    // Main thread only; no lock, no allocation. Binding removes the
    // parameter's other bindings and moves an id bound elsewhere. 0, or
    // ERR_MAP_REFUSED (nothing changed) for an id that MIDI cannot produce or
    // a new id when the map is full.
    [[nodiscard]] int associate_param(int param, long ctrl_id) noexcept;
    [[nodiscard]] int associate_param(int param, int cc, int number) noexcept;
    [[nodiscard]] int dissociate_param(int param) noexcept;
    // The map replaced by NRPN i for every parameter i of the effect.
    [[nodiscard]] int set_default_nrpn_mapping() noexcept;

    // Any thread; no lock, no allocation.
    [[nodiscard]] bool is_autobinded(int param) const noexcept;
    // The parameter's controller (lowest id).
    [[nodiscard]] bool get_binded_cc(int param, int& ctrl_id) const noexcept;
    [[nodiscard]] bool get_binded_cc(int param, int& cc, int& number) const noexcept;
    void map_cc_2_param(long ctrl_id, int value14, int& param, float& value) const noexcept;
    // ctrl_id and value14 are -1 when the parameter is unbound.
    void map_param_2_cc(int param, float value, long& ctrl_id, int& value14) const noexcept;
    // Main thread only; allocates. A copy of the map in ascending id order.
    [[nodiscard]] std::map<long, int> get_param_mapping() const;

    // Thread of the parameter or program change; no lock, no allocation.
    // Sends the value on the parameter's controller: 0 when sent,
    // ERR_SEND_REFUSED when a send answered false, ERR_NOT_BOUND.
    [[nodiscard]] int param_to_midi_out(int chn, int param, float value) noexcept;

    // Main thread only; may allocate. The "midi" node under the settings root:
    // 0 or the device selector's error.
    [[nodiscard]] int save_settings(basic::ConfKeyMulti& root) override;
    [[nodiscard]] int load_settings(const basic::ConfKeyMulti& root) override;
    [[nodiscard]] int save_param_map(basic::ConfKeyMulti& midi_key) const;
    // Merges the "control_map" entries into the map; bad entries and entries
    // beyond the map's capacity are skipped.
    [[nodiscard]] int load_param_map(const basic::ConfKeyMulti& midi_key);
    // Binds one entry: 0, or the code of the reason it was skipped.
    [[nodiscard]] int load_param_conf(const basic::ConfKeyData& entry);

    // Main thread only; may allocate. Key names "id_<param>" and texts
    // "cc_<cc>", "rpn_<number>", "nrpn_<number>"; 0 on success.
    static int encode_param_conf_key_name(std::string& name, int param);
    [[nodiscard]] static int decode_parma_conf_key_name(const std::string& name, int& param);
    static int encode_param_conf_key_content(std::string& text, int cc, int number);
    [[nodiscard]] static int decode_param_conf_key_content(const std::string& text, int& cc,
                                                           int& number);

private:
    // The parameter and controller id of one entry of "control_map".
    [[nodiscard]] static int decode_param_conf(const basic::ConfKeyData& entry, int& param,
                                               long& ctrl_id);
    // Binds on whichever thread calls; no allocation. The audio thread gives
    // up under contention, the main thread waits (see MidiCtrlMap::edit).
    [[nodiscard]] bool bind(int param, long ctrl_id, MidiCtrlMap::Contention contention) noexcept;
    [[nodiscard]] bool find_ctrl_id(int param, long& ctrl_id) const noexcept;

    // Calls the hook on the output device; 0 when there is none.
    template <typename... Params, typename... Args>
    [[nodiscard]] int forward(int (MidiReceiverInterface::*hook)(Params...) noexcept,
                              Args... args) const noexcept;

    // The latest learn result packed in one word, so that it is read whole:
    // parameter in the high half, controller id (below 2^23) in the low half.
    [[nodiscard]] static std::uint64_t pack_latest(int param, long ctrl_id) noexcept;

    MidiCtrlMap _ctrl_map;
    DspInterface* _dsp = nullptr;
    MidiReceiverInterface* _midi_client = nullptr;
    // Swapped by the device selector on the main thread while the audio
    // thread calls the devices. Release and acquire order: a thread that sees
    // a device also sees what `connect` did to it.
    std::atomic<MidiOutInterface*> _output_dev{nullptr};
    std::atomic<MidiInInterface*> _input_dev{nullptr};
    MidiDevSelectorInterface* _dev_selector = nullptr;
    PluginCmdInterface* _plugin_cmd = nullptr;
    PersistentMidiSettings _pms;
    // Armed by the main thread, read and (with autobind mode 0) disarmed by
    // the audio thread. Relaxed order suffices: the value stands alone, and
    // the audio thread disarms only the parameter it saw armed.
    std::atomic<int> _autobind_param{-1};
    // Written by learn on the audio thread with release order after the
    // binding is published, read by the editor with acquire order: whoever
    // sees the result also sees the binding.
    std::atomic<std::uint64_t> _latest_autobind;
    bool _dev_scanned_flag = false;
};

} // namespace mppi
