#pragma once

namespace mppi {

class NotifierInterface;

// An object that wants to hear when one of its parameters changed. The owner of
// a parameter (the effect or one of its stages) implements it; the parameter
// calls `notify` after each value change.
class NotifiedInterface
{
public:
    virtual ~NotifiedInterface();

    // Main or audio thread (whichever wrote the value); no lock, no allocation.
    // Only records that something changed: the owner reads the new values at
    // its next control tick.
    virtual void notify(NotifierInterface& sender) noexcept = 0;
};

} // namespace mppi
