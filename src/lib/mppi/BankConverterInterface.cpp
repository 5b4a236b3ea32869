#include "lib/mppi/BankConverterInterface.h"

namespace mppi {

BankConverterInterface::~BankConverterInterface() = default;

} // namespace mppi
