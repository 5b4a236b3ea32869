#pragma once

#include "lib/mppi/Fwd.h"

#include <string>

namespace mppi {

// The host services offered to the effect. Parameter indices are the effect's
// own (nat order); values are normalised floats; a priority is 100 for host
// automation, 125 for learned MIDI controllers and 200 for program changes.
// The adapter owns nothing: it forwards to the binding's plug-in object. The
// effect owns its adapter once `DspInterface::set_host` linked it.
//
// Main thread only, unless an operation says otherwise.
class HostDspInterface
{
public:
    HostDspInterface() = default;
    HostDspInterface(const HostDspInterface&) = delete;
    HostDspInterface& operator=(const HostDspInterface&) = delete;
    virtual ~HostDspInterface();

    // 0 on success.
    [[nodiscard]] virtual int init() = 0;
    // A named numeric host property ("can_tempo"); 0 for an unknown name.
    [[nodiscard]] virtual double get_property(const char* name) const = 0;
    virtual void get_time_info(TimeInfo& info) const = 0;
    // Audio thread (the effect asks on every block and control tick); no
    // lock, no allocation. Whether the host feeds / reads that channel of that
    // pin.
    [[nodiscard]] virtual bool is_input_connected(int pin, int chn) const noexcept = 0;
    [[nodiscard]] virtual bool is_output_connected(int pin, int chn) const noexcept = 0;
    // The binding's MIDI manager, or null.
    [[nodiscard]] virtual MidiMgr* use_midi_interface() = 0;
    // An optional manager object of the binding; null in this system.
    [[nodiscard]] virtual void* use_copperlan_mgr() = 0;

    // The priority test at the current time (changes nothing), the grant and
    // the release.
    [[nodiscard]] virtual bool is_param_free(int index, int prio) = 0;
    [[nodiscard]] virtual bool reserve_param(int index, int prio) = 0;
    virtual void release_param(int index, int prio) = 0;

    // If granted: stores the value in the current program, sets the effect's
    // parameter, tells the editor, reports it to the host as automation and
    // sends it to MIDI output.
    virtual void set_param(int index, float value, int prio) = 0;
    // Reports to the host and to MIDI output only, without a priority test
    // and without touching the effect.
    virtual void set_param_host_only(int index, float value, int prio) = 0;
    // If granted: program, effect and editor, without telling the host.
    virtual void set_param_pi_only(int index, float value, int prio) = 0;
    // Applies a whole program with that priority and reports each granted
    // parameter to the host; the priorities are kept, not released.
    virtual void set_program(const ProgramSlot& program, int prio) = 0;

    // The host-order map, or null.
    [[nodiscard]] virtual ParamReorder* use_param_reorder() = 0;
    // A new bank from the effect side, passed on by the binding.
    virtual void update_bank(const BankManager& bank) = 0;

    // Start and stop running the effect's background task.
    virtual void do_start_bkg_thread() = 0;
    virtual void do_stop_bkg_thread() = 0;
    // The plug-in's data folder.
    [[nodiscard]] virtual std::string do_get_plugin_dir() = 0;
};

} // namespace mppi
