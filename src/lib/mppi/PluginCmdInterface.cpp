#include "lib/mppi/PluginCmdInterface.h"

namespace mppi {

PluginCmdInterface::~PluginCmdInterface() = default;

} // namespace mppi
