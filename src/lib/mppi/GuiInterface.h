#pragma once

#include "lib/mppi/Fwd.h"

namespace mppi {

// The editor as the framework sees it.
//
// Lifecycle: the binding links the host adapter and the effect (`set_host`,
// `set_dsp`), then calls `init` after the effect's `init` in the second
// start-up phase, and `set_default_state`; `open` and `close` follow the
// host's editor calls; `restore` undoes `init`. Main thread only, except
// `set_param` (below).
class GuiInterface
{
public:
    GuiInterface() = default;
    GuiInterface(const GuiInterface&) = delete;
    GuiInterface& operator=(const GuiInterface&) = delete;
    virtual ~GuiInterface();

    virtual void init() = 0;
    virtual void set_default_state() = 0;
    virtual void restore() = 0;

    // The editor owns its host adapter once it is linked.
    [[nodiscard]] virtual HostGuiInterface* get_host() const = 0;
    virtual void set_host(HostGuiInterface& host) = 0;
    [[nodiscard]] virtual DspInterface* get_dsp() const = 0;
    virtual void set_dsp(DspInterface& dsp) = 0;

    // An opaque pointer of the binding's editor glue, kept and given back.
    virtual void set_msg_mgr_ptr(void* ptr) = 0;
    [[nodiscard]] virtual void* get_msg_mgr_ptr() const = 0;

    // The largest and the current window size, in pixels.
    virtual void get_max_window_size(int& width, int& height) const = 0;
    virtual void get_window_size(int& width, int& height) const = 0;

    // Creates the editor's window inside the host's view, and closes it.
    virtual void open(void* parent) = 0;
    virtual void close() = 0;

    // Main or audio thread: a parameter change that a learned MIDI controller
    // or the host's automation makes on the audio thread reaches the editor
    // there, so it must not throw, and should neither lock nor allocate.
    // Shows a parameter's new normalised value; the second form is for a
    // parameter that the host does not see.
    virtual void set_param(int index, float value, int prio) = 0;
    virtual void set_hidden_param(int index, float value) = 0;
    // A new bank for the preset panel.
    virtual void update_bank(const BankManager& bank) = 0;
    // The host's tempo, handed over from the editor idle timer.
    virtual void set_tempo(float bpm) = 0;
    // Chooses the overlay picture of a control.
    virtual void set_control_top_layer_pic(int control, int picture) = 0;
};

} // namespace mppi
