#include "lib/mppi/Vst2MidiIn.h"

namespace mppi {

Vst2MidiIn::~Vst2MidiIn() = default;

int Vst2MidiIn::connect()
{
    _connected_flag.store(true, std::memory_order_relaxed);
    return 0;
}

int Vst2MidiIn::disconnect()
{
    _connected_flag.store(false, std::memory_order_relaxed);
    return 0;
}

int Vst2MidiIn::read_from_memory(const unsigned char* /*data*/)
{
    return 0;
}

int Vst2MidiIn::write_to_memory(unsigned char* /*data*/) const
{
    return 0;
}

} // namespace mppi
