#pragma once

#include "lib/basic/SettingClientInterface.h"
#include "lib/mppi/Fwd.h"

namespace mppi {

class MidiReceiverInterface;

// The base of every MIDI input or output device. A device may keep settings
// of its own in the settings file, under the node of its port ("port_in" or
// "port_out") that the device selector gives it.
//
// Lifecycle: `set_midi_mgr` runs after the manager's `connect_obj` and before
// block processing; the device selector then `connect`s the device when it
// selects it and `disconnect`s it when it drops it. `init`, `restore`,
// `connect`, `disconnect` and the settings run on the main thread only;
// `process_pre` and `process_post` run on the audio thread around every block
// while the device is the manager's input or output.
class MidiDevInterface : public basic::SettingClientInterface
{
public:
    MidiDevInterface() = default;
    MidiDevInterface(const MidiDevInterface&) = delete;
    MidiDevInterface& operator=(const MidiDevInterface&) = delete;
    ~MidiDevInterface() override;

    // Main thread only; may allocate. Nothing is kept by default: 0.
    [[nodiscard]] int save_settings(basic::ConfKeyMulti& port_key) override;
    [[nodiscard]] int load_settings(const basic::ConfKeyMulti& port_key) override;

    // Main thread only. 0 on success; the default does nothing.
    [[nodiscard]] virtual int init();
    virtual void restore();

    // Main thread only. Opens and closes the device for use; 0 on success.
    [[nodiscard]] virtual int connect() = 0;
    [[nodiscard]] virtual int disconnect() = 0;

    // Audio thread; no lock, no allocation. Called at the start and at the
    // end of every block.
    virtual void process_pre() noexcept = 0;
    virtual void process_post() noexcept = 0;

    // Main thread only, before block processing: links the manager and copies
    // its effect and MIDI client links, so it must follow the manager's
    // `connect_obj`.
    void set_midi_mgr(MidiMgr& mgr);

    // Any thread once linked; null before `set_midi_mgr`.
    [[nodiscard]] MidiMgr* use_midi_mgr() noexcept { return _midi_mgr; }
    [[nodiscard]] const MidiMgr* use_midi_mgr() const noexcept { return _midi_mgr; }
    [[nodiscard]] DspInterface* use_dsp() noexcept { return _dsp; }
    [[nodiscard]] const DspInterface* use_dsp() const noexcept { return _dsp; }
    [[nodiscard]] MidiReceiverInterface* use_midi_client() noexcept { return _midi_client; }
    [[nodiscard]] const MidiReceiverInterface* use_midi_client() const noexcept
    {
        return _midi_client;
    }

private:
    MidiMgr* _midi_mgr = nullptr;
    DspInterface* _dsp = nullptr;
    MidiReceiverInterface* _midi_client = nullptr;
};

} // namespace mppi
