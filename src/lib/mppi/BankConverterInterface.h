#pragma once

#include "lib/mppi/Fwd.h"

namespace mppi {

// Main thread only. Adapts a bank just read from a bank file or a resource
// (an older layout, say) before it replaces the caller's bank. No class of
// this system implements it: the effect answers null when asked for one.
class BankConverterInterface
{
public:
    BankConverterInterface() = default;
    BankConverterInterface(const BankConverterInterface&) = delete;
    BankConverterInterface& operator=(const BankConverterInterface&) = delete;
    virtual ~BankConverterInterface();

    // May change the bank; true when it is usable.
    [[nodiscard]] bool convert(BankManager& bank) { return do_convert(bank); }

protected:
    [[nodiscard]] virtual bool do_convert(BankManager& bank) = 0;
};

} // namespace mppi
