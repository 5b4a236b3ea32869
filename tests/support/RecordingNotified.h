#pragma once

#include "lib/mppi/NotifiedInterface.h"
#include "lib/mppi/NotifierInterface.h"

#include <vector>

namespace test_support {

// A parameter owner that records every notification, in order, with the
// object that sent it. Single-threaded use only.
class RecordingNotified : public mppi::NotifiedInterface
{
public:
    void notify(mppi::NotifierInterface& sender) noexcept override { senders.push_back(&sender); }

    std::vector<const mppi::NotifierInterface*> senders;
};

} // namespace test_support
