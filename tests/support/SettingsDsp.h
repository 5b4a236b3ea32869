#pragma once

#include "lib/mppi/ParamReorder.h"
#include "lib/mppi/SettingDspMixin.h"
#include "support/FakeHostDsp.h"
#include "support/NamedParamDsp.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace test_support {

// An effect with named parameters and the settings mixin, describing itself as the plug-in
// "Morvanel" of "Tarnwick", version 1.6 (as the 32-bit float the plug-in description holds).
// The host adapter is linked, not owned.
class SettingsDsp : public NamedParamDsp, public mppi::SettingDspMixin
{
public:
    SettingsDsp(std::initializer_list<std::string> names) : NamedParamDsp(names) {}

    mppi::HostDspInterface* get_host() override { return _host_ptr; }
    void set_host(mppi::HostDspInterface& host) override { _host_ptr = &host; }
    mppi::SettingMgr& use_settings() override { return SettingDspMixin::use_settings(); }
    const mppi::SettingMgr& use_settings() const override
    {
        return SettingDspMixin::use_settings();
    }
    double get_property(const char* name) const override
    {
        return std::string(name) == "plugin_version" ? double(1.6f) : 0.0;
    }
    std::string get_string_property(const char* name) const override
    {
        const std::string key(name);
        return key == "plugin_name" ? "Morvanel" : key == "manufacturer" ? "Tarnwick" : "";
    }

private:
    mppi::HostDspInterface* _host_ptr = nullptr;
};

// The effect above with parameters "A", "B" and "C", linked to a host that offers a
// parameter map and no MIDI manager.
struct SettingsPlugin
{
    SettingsPlugin()
    {
        reorder.init(dsp);
        host.set_param_reorder(&reorder);
        dsp.set_host(host);
    }
    [[nodiscard]] std::vector<int> wrap_2_nat() const
    {
        return {reorder.map_wrap_2_nat(0), reorder.map_wrap_2_nat(1), reorder.map_wrap_2_nat(2)};
    }

    SettingsDsp dsp{"A", "B", "C"};
    FakeHostDsp host;
    mppi::ParamReorder reorder;
};

} // namespace test_support
