#pragma once

#include "DspStub.h"
#include "NamedParam.h"

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace test_support {

// An effect whose parameters are named parameters, in the given order.
class NamedParamDsp : public DspStub
{
public:
    NamedParamDsp(std::initializer_list<std::string> names)
    {
        for (const std::string& name : names) {
            _params.push_back(std::make_unique<NamedParam>(name));
        }
    }

    int get_nbr_param() const noexcept override { return static_cast<int>(_params.size()); }
    mppi::NormalizedParamInterface& get_param_ref(int index) const noexcept override
    {
        return *_params[static_cast<size_t>(index)];
    }
    void do_get_program_parameters(mppi::ProgramSlot&) override {}

private:
    std::vector<std::unique_ptr<NamedParam>> _params;
};

} // namespace test_support
