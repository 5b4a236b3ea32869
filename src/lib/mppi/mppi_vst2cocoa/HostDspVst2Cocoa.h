#pragma once

#include "lib/mppi/HostDspInterface.h"

namespace mppi {

class Vst2Plugin;

// The host services the effect sees, forwarded to the plug-in object. The
// adapter owns nothing; the effect owns (and deletes) the adapter.
//
// Threads as for HostDspInterface: the pin queries run on the audio thread.
class HostDspVst2Cocoa : public HostDspInterface
{
public:
    explicit HostDspVst2Cocoa(Vst2Plugin& plugin) noexcept : _plugin(plugin) {}
    ~HostDspVst2Cocoa() override;

    // Does nothing; 0.
    [[nodiscard]] int init() override;
    // "can_tempo": 1 when the host offers its time information, else 0.
    [[nodiscard]] double get_property(const char* name) const override;
    // Audio thread; no lock, no allocation. Asks for the tempo only when
    // `info` asks for it (tempo-valid flag set on entry).
    void get_time_info(TimeInfo& info) const override;
    [[nodiscard]] bool is_input_connected(int pin, int chn) const noexcept override;
    [[nodiscard]] bool is_output_connected(int pin, int chn) const noexcept override;
    [[nodiscard]] MidiMgr* use_midi_interface() override;
    [[nodiscard]] void* use_copperlan_mgr() override { return nullptr; }
    [[nodiscard]] bool is_param_free(int index, int prio) override;
    [[nodiscard]] bool reserve_param(int index, int prio) override;
    void release_param(int index, int prio) override;
    void set_param(int index, float value, int prio) override;
    void set_param_host_only(int index, float value, int prio) override;
    void set_param_pi_only(int index, float value, int prio) override;
    void set_program(const ProgramSlot& program, int prio) override;
    [[nodiscard]] ParamReorder* use_param_reorder() override;
    void update_bank(const BankManager& bank) override;
    void do_start_bkg_thread() override;
    void do_stop_bkg_thread() override;
    [[nodiscard]] std::string do_get_plugin_dir() override;

private:
    Vst2Plugin& _plugin;
};

} // namespace mppi
