#pragma once

#include "lib/mppi/MidiDevInterface.h"
#include "lib/mppi/MidiReceiverInterface.h"

namespace mppi {

// An output device: MIDI is sent to it through the receiver hooks, which
// keep the interface's defaults (nothing sent, 0) until a concrete device
// turns them into bytes. The MIDI manager forwards every hook it gets to the
// selected output device, on the thread of the parameter or program change
// that sends.
class MidiOutInterface : public MidiDevInterface, public MidiReceiverInterface
{
public:
    MidiOutInterface() = default;
    ~MidiOutInterface() override;
};

} // namespace mppi
