#pragma once

#include "lib/mppi/HostGuiInterface.h"

namespace mppi {

class Vst2Plugin;

// The host services the editor sees, forwarded to the plug-in object. The
// adapter owns nothing; the editor owns (and deletes) the adapter.
//
// Main thread only.
class HostGuiVst2Cocoa : public HostGuiInterface
{
public:
    static constexpr const char* INTERFACE_STANDARD_0 = "VST 2.0";
    static constexpr const char* INTERFACE_INFO_0 =
        "VST is a trademark of Steinberg Media Technologies GmbH";

    explicit HostGuiVst2Cocoa(Vst2Plugin& plugin) noexcept : _plugin(plugin) {}
    ~HostGuiVst2Cocoa() override;

    // Does nothing.
    void init() override {}
    // "can_resize_window": 1 when the host can size the editor window.
    [[nodiscard]] double get_property(const char* name) const override;
    // "interface_standard" and "interface_info".
    [[nodiscard]] std::string get_string_property(const char* name) const override;
    [[nodiscard]] bool is_param_free(int index, int prio) override;
    [[nodiscard]] bool reserve_param(int index, int prio) override;
    void release_param(int index, int prio) override;
    void set_param(int index, float value, int prio) override;
    void set_program(const ProgramSlot& program, int prio) override;
    void update_dsp_bank(const BankManager& bank) override;
    void resize_window(int width, int height) override;
    [[nodiscard]] std::string get_plugin_dir() override;
    [[nodiscard]] MidiMgr* use_midi_interface() override;

private:
    Vst2Plugin& _plugin;
};

} // namespace mppi
