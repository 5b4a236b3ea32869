#pragma once

#include "lib/mppi/PluginCmdInterface.h"

namespace test_support {

// A plug-in command target that grants every priority, applies nothing and
// keeps the last change made through the plug-in path (index -1 before the
// first). Lock-free, no allocation.
class FakePluginCmd : public mppi::PluginCmdInterface
{
public:
    bool is_param_free(int, int) noexcept override { return true; }
    bool reserve_param(int, int) noexcept override { return true; }
    void release_param(int, int) noexcept override {}
    bool set_param_pi(long index, float value, int prio) noexcept override
    {
        last_index = index;
        last_value = value;
        last_prio = prio;
        return true;
    }
    void set_param_host(long, float, int) override {}
    bool set_param_pi_and_host(long, float, int) override { return true; }
    void set_program_pi_and_host(const mppi::ProgramSlot&, int, bool, bool) override {}

    long last_index = -1;
    float last_value = 0.0f;
    int last_prio = 0;
};

} // namespace test_support
