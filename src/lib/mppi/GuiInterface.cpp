#include "lib/mppi/GuiInterface.h"

namespace mppi {

GuiInterface::~GuiInterface() = default;

} // namespace mppi
