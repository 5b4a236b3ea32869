#include "lib/mppi/GuiSetupInterface.h"

namespace mppi {

GuiSetupInterface::~GuiSetupInterface() = default;

} // namespace mppi
