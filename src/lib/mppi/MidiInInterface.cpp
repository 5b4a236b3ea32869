#include "lib/mppi/MidiInInterface.h"

namespace mppi {

MidiInInterface::~MidiInInterface() = default;

} // namespace mppi
