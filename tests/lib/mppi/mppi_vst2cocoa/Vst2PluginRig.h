#pragma once

#include "lib/mppi/BankManager.h"
#include "lib/mppi/MidiReceiverInterface.h"
#include "lib/mppi/mppi_vst2cocoa/HostDspVst2Cocoa.h"
#include "lib/mppi/mppi_vst2cocoa/HostGuiVst2Cocoa.h"
#include "lib/mppi/mppi_vst2cocoa/Vst2Plugin.h"
#include "support/FakeVst2Host.h"
#include "support/RecordingDsp.h"
#include "support/RecordingGui.h"
#include "support/ScratchFolder.h"
#include "support/posix/EnvVar.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace vst2_test {

// The clock of the priority grants in these tests, moved by hand.
inline double g_now = 100.0;
inline double fake_clock() noexcept
{
    return g_now;
}

// Value i of program p of the banks below.
inline float prog_value(int p, int i)
{
    return float(p + 1) / 10 + float(i) / 100;
}

// A bank of `nbr_prog` programs "P0", "P1", ... with `nbr_val` values each.
inline mppi::BankManager make_bank(int nbr_prog, int nbr_val = 3)
{
    mppi::BankManager bank(nbr_prog);
    for (int p = 0; p < nbr_prog; ++p) {
        // Built by appending: the optimiser misreads "P" + text as an overlapping copy.
        std::string name = "P";
        name += std::to_string(p);
        bank[p].set_name(name);
        bank[p].set_nbr_param(nbr_val);
        for (int i = 0; i < nbr_val; ++i) {
            bank[p].set_param(i, prog_value(p, i));
        }
    }
    return bank;
}

// The plug-in started as the start-up does it, around a recording effect with the
// parameters "A", "B", "C", optionally a recording editor, and a fake host. Preferences
// and logs go to a scratch folder.
struct Vst2PluginRig
{
    explicit Vst2PluginRig(const mppi::BankManager& bank = make_bank(3), bool with_gui = false)
    {
        g_now = 100.0;
        auto dsp_ptr = std::make_unique<test_support::RecordingDsp>();
        dsp = dsp_ptr.get();
        std::unique_ptr<test_support::RecordingGui> gui_ptr;
        if (with_gui) {
            gui_ptr = std::make_unique<test_support::RecordingGui>();
            gui = gui_ptr.get();
        }
        plugin = std::make_unique<mppi::Vst2Plugin>(test_support::FakeVst2Host::callback,
                                                    std::move(dsp_ptr), std::move(gui_ptr), client,
                                                    bank, 0x54774D76);
        dsp->set_host(*new mppi::HostDspVst2Cocoa(*plugin));
        if (gui != nullptr) {
            gui->set_host(*new mppi::HostGuiVst2Cocoa(*plugin));
        }
        plugin->set_clock(fake_clock);
        EXPECT_EQ(plugin->init(), 0);
        plugin->set_default_state();
        (void)plugin->setProgram(0);
    }

    // One stereo block of `frames` frames (at most 64).
    void process(long frames = 64)
    {
        float* in[2] = {buf[0], buf[1]};
        float* out[2] = {buf[2], buf[3]};
        plugin->processReplacing(in, out, frames);
    }

    test_support::ScratchFolder folder;
    test_support::EnvVar config{"XDG_CONFIG_HOME", folder.path().c_str()};
    test_support::EnvVar state{"XDG_STATE_HOME", folder.path().c_str()};
    test_support::FakeVst2Host host;
    mppi::MidiReceiverInterface client;
    test_support::RecordingDsp* dsp = nullptr;
    test_support::RecordingGui* gui = nullptr;
    std::unique_ptr<mppi::Vst2Plugin> plugin;
    float buf[4][64] = {};
};

} // namespace vst2_test
