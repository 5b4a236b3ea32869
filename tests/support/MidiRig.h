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
// named parameters, a silent MIDI client, a plug-in command target and a
// device dispatcher. A test registers its device components, then calls
// `start` for the binding's start-up steps.
class MidiRig
{
public:
    explicit MidiRig(std::initializer_list<std::string> names = {"Cutoff Freq", "Resonance"})
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
    mppi::MidiReceiverInterface client;
    FakePluginCmd cmd;
    mppi::MidiDevSelDispatcher dispatcher;
    mppi::MidiMgr mgr;
};

} // namespace test_support
