#pragma once

#include "lib/mppi/MidiDevSelCompInterface.h"
#include "lib/mppi/Vst2MidiIn.h"
#include "lib/mppi/Vst2MidiOut.h"

namespace mppi {

class MidiMgr;

// The VST back end's devices: one input, "VST MIDI In interface", and one
// output, "VST MIDI Out interface", both owned.
//
// Main thread only. Lifecycle: registered with the dispatcher, linked to the
// MIDI manager (`set_midi_mgr`, after the manager's `connect_obj`), scanned,
// then `init`; `restore` at shut-down.
class Vst2MidiDevSelComp : public MidiDevSelCompInterface
{
public:
    static constexpr const char* NAME_IN = "VST MIDI In interface";
    static constexpr const char* NAME_OUT = "VST MIDI Out interface";

    Vst2MidiDevSelComp() = default;
    ~Vst2MidiDevSelComp() override;

    // The input device's channels made live first (it needs the manager's
    // MIDI client), then, when that gave 0, the output device.
    [[nodiscard]] int init() override;
    // Links both devices to the manager.
    void set_midi_mgr(MidiMgr& mgr);

    [[nodiscard]] Vst2MidiIn& use_dev_in() noexcept { return _dev_in; }
    [[nodiscard]] Vst2MidiOut& use_dev_out() noexcept { return _dev_out; }

protected:
    [[nodiscard]] int do_restore() override;
    [[nodiscard]] int do_configure_dev_in(int /*id*/) override { return 0; }
    [[nodiscard]] int do_configure_dev_out(int /*id*/) override { return 0; }
    [[nodiscard]] int do_scan_dev_in(int start_id) override;
    [[nodiscard]] int do_scan_dev_out(int start_id) override;
    [[nodiscard]] int do_select_dev_in(int id, MidiInInterface*& dev) override;
    [[nodiscard]] int do_select_dev_out(int id, MidiOutInterface*& dev) override;
    [[nodiscard]] int do_remove_dev_in() override { return 0; }
    [[nodiscard]] int do_remove_dev_out() override { return 0; }

private:
    Vst2MidiIn _dev_in;
    Vst2MidiOut _dev_out;
};

} // namespace mppi
