#pragma once

namespace mppi {

// A parameter whose value follows the host's tempo. The registry only keeps a
// list of them; a concrete class supplies the behaviour.
class TempoParamBase
{
public:
    TempoParamBase() = default;
    TempoParamBase(const TempoParamBase&) = delete;
    TempoParamBase& operator=(const TempoParamBase&) = delete;
    virtual ~TempoParamBase() = 0;
};

} // namespace mppi
