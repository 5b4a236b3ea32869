#pragma once

#include "lib/mppi/PluginCmdInterface.h"

namespace test_support {

// A plug-in command target that grants every priority and applies nothing.
class FakePluginCmd : public mppi::PluginCmdInterface
{
public:
    bool is_param_free(int, int) noexcept override { return true; }
    bool reserve_param(int, int) noexcept override { return true; }
    void release_param(int, int) noexcept override {}
    bool set_param_pi(long, float, int) noexcept override { return true; }
    void set_param_host(long, float, int) override {}
    bool set_param_pi_and_host(long, float, int) override { return true; }
    void set_program_pi_and_host(const mppi::ProgramSlot&, int, bool, bool) override {}
};

} // namespace test_support
