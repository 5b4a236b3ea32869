#pragma once

namespace mppi {

// A parameter driven by an LFO. The registry only keeps a list of them; a
// concrete class supplies the behaviour.
class LfoParamBase
{
public:
    LfoParamBase() = default;
    LfoParamBase(const LfoParamBase&) = delete;
    LfoParamBase& operator=(const LfoParamBase&) = delete;
    virtual ~LfoParamBase() = 0;
};

} // namespace mppi
