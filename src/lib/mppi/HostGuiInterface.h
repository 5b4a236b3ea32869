#pragma once

#include "lib/mppi/Fwd.h"

#include <string>

namespace mppi {

// The host services offered to the editor. Indices, values and priorities as
// for `HostDspInterface`. The adapter owns nothing; the editor owns its
// adapter once `GuiInterface::set_host` linked it and deletes it after its
// window.
//
// Main thread only.
class HostGuiInterface
{
public:
    HostGuiInterface() = default;
    HostGuiInterface(const HostGuiInterface&) = delete;
    HostGuiInterface& operator=(const HostGuiInterface&) = delete;
    virtual ~HostGuiInterface();

    virtual void init() = 0;
    // A named numeric host property ("can_resize_window"); 0 for an unknown
    // name.
    [[nodiscard]] virtual double get_property(const char* name) const = 0;
    // A named text property ("interface_standard", "interface_info"); empty
    // for an unknown name.
    [[nodiscard]] virtual std::string get_string_property(const char* name) const = 0;

    // As for the effect side.
    [[nodiscard]] virtual bool is_param_free(int index, int prio) = 0;
    [[nodiscard]] virtual bool reserve_param(int index, int prio) = 0;
    virtual void release_param(int index, int prio) = 0;

    // An editor change: program, effect, editor, host automation and MIDI
    // output, if the priority grants it.
    virtual void set_param(int index, float value, int prio) = 0;
    // Preset recall and morphing: a whole program with that priority.
    virtual void set_program(const ProgramSlot& program, int prio) = 0;
    // Hands a whole bank to the effect side through the two-slot hand-over.
    virtual void update_dsp_bank(const BankManager& bank) = 0;

    // Asks the host to resize the editor window.
    virtual void resize_window(int width, int height) = 0;
    // The plug-in's data folder.
    [[nodiscard]] virtual std::string get_plugin_dir() = 0;
    // The binding's MIDI manager, or null.
    [[nodiscard]] virtual MidiMgr* use_midi_interface() = 0;
};

} // namespace mppi
