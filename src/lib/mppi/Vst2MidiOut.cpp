#include "lib/mppi/Vst2MidiOut.h"

namespace mppi {

Vst2MidiOut::~Vst2MidiOut() = default;

int Vst2MidiOut::connect()
{
    _enabled_flag.store(true, std::memory_order_relaxed);
    return 0;
}

int Vst2MidiOut::disconnect()
{
    _enabled_flag.store(false, std::memory_order_relaxed);
    return 0;
}

} // namespace mppi
