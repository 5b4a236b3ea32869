#pragma once

namespace mppi {

// A parameter driven by an LFO that follows the host's tempo. The registry
// asks every such parameter to follow a tempo change.
class FullLfoParamBase
{
public:
    FullLfoParamBase() = default;
    FullLfoParamBase(const FullLfoParamBase&) = delete;
    FullLfoParamBase& operator=(const FullLfoParamBase&) = delete;
    virtual ~FullLfoParamBase();

    // Thread of the tempo change; no lock, no allocation.
    virtual void update_tempo() noexcept = 0;
};

} // namespace mppi
