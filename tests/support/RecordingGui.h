#pragma once

#include "lib/mppi/BankManager.h"
#include "lib/mppi/GuiInterface.h"
#include "lib/mppi/HostGuiInterface.h"

#include <vector>

namespace test_support {

// An editor without a window: it records the parameter values shown and the banks given
// to its preset panel, and owns the host adapter it is given.
class RecordingGui : public mppi::GuiInterface
{
public:
    struct Shown
    {
        int index;
        float value;
        int prio;
    };

    ~RecordingGui() override { delete _host; }

    void init() override {}
    void set_default_state() override {}
    void restore() override {}
    mppi::HostGuiInterface* get_host() const override { return _host; }
    void set_host(mppi::HostGuiInterface& host) override { _host = &host; }
    mppi::DspInterface* get_dsp() const override { return _dsp; }
    void set_dsp(mppi::DspInterface& dsp) override { _dsp = &dsp; }
    void set_msg_mgr_ptr(void*) override {}
    void* get_msg_mgr_ptr() const override { return nullptr; }
    void get_max_window_size(int& width, int& height) const override { width = height = 0; }
    void get_window_size(int& width, int& height) const override { width = height = 0; }
    void open(void*) override {}
    void close() override {}
    void set_param(int index, float value, int prio) override
    {
        shown.push_back({index, value, prio});
    }
    void set_hidden_param(int, float) override {}
    void update_bank(const mppi::BankManager& bank) override { banks.push_back(bank); }
    void set_tempo(float) override {}
    void set_control_top_layer_pic(int, int) override {}

    std::vector<Shown> shown;
    std::vector<mppi::BankManager> banks;

private:
    mppi::HostGuiInterface* _host = nullptr;
    mppi::DspInterface* _dsp = nullptr;
};

} // namespace test_support
