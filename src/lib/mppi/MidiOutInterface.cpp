#include "lib/mppi/MidiOutInterface.h"

namespace mppi {

MidiOutInterface::~MidiOutInterface() = default;

} // namespace mppi
