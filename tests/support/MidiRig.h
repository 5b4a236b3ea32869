#pragma once

#include "lib/mppi/MidiDevSelDispatcher.h"
#include "lib/mppi/MidiMgr.h"
#include "lib/mppi/MidiReceiverInterface.h"
#include "support/FakePluginCmd.h"
#include "support/NamedParamDsp.h"

#include <initializer_list>
#include <string>

namespace test_support {

// A MIDI manager linked as the host binding links it: to an effect with
// named parameters, a MIDI client (a silent one by default), a plug-in
// command target and a device dispatcher. A test registers its device
// components, then calls `start` for the binding's start-up steps.
template <typename Client = mppi::MidiReceiverInterface, typename PluginCmd = FakePluginCmd>
class MidiRigOf
{
public:
    explicit MidiRigOf(std::initializer_list<std::string> names = {"Cutoff Freq", "Resonance"})
        : dsp(names)
    {
        mgr.connect_obj(client, dsp, dispatcher, cmd);
    }

    // Device scan, components' init, then input 0 and no output. 0 when every
    // step succeeded, else the first code (-1 for a failed scan).
    [[nodiscard]] int start()
    {
        mgr.init();
        if (!mgr.are_devices_scanned()) {
            return -1;
        }
        const int rc = dispatcher.init();
        return (rc != 0) ? rc : dispatcher.select_default_dev(true, false);
    }

    NamedParamDsp dsp;
    Client client;
    PluginCmd cmd;
    mppi::MidiDevSelDispatcher dispatcher;
    mppi::MidiMgr mgr;
};

using MidiRig = MidiRigOf<>;

} // namespace test_support
