#include "plugin/vst2/BrevantVst2Factory.h"

#include "lib/mppi/mppi_vst2cocoa/Vst2Plugin.h"
#include "plugin/vst2/StaticPresets.h"
#include "support/FakeVst2Host.h"
#include "support/ScratchFolder.h"
#include "support/posix/EnvVar.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using test_support::ScratchFolder;

// Preferences and the log go to a scratch folder; the log's lines are read back.
struct StartRig
{
    [[nodiscard]] std::string read_log() const
    {
        return ScratchFolder::read(folder.file("Tarnwick Morvanel VST.log.txt"));
    }

    ScratchFolder folder;
    test_support::EnvVar config{"XDG_CONFIG_HOME", folder.path().c_str()};
    test_support::EnvVar state{"XDG_STATE_HOME", folder.path().c_str()};
    test_support::FakeVst2Host host;
};

// Peak of the output of `frames` frames of `value` (stereo) through the plug-in.
float run_block(mppi::Vst2Plugin& plugin, float value, long frames)
{
    std::vector<float> in(static_cast<std::size_t>(frames), value);
    std::vector<float> out_l(in.size()), out_r(in.size());
    float* ins[2] = {in.data(), in.data()};
    float* outs[2] = {out_l.data(), out_r.data()};
    plugin.processReplacing(ins, outs, frames);
    float peak = 0;
    for (std::size_t i = 0; i < in.size(); ++i) {
        peak = std::max({peak, std::abs(out_l[i]), std::abs(out_r[i])});
    }
    return peak;
}

TEST(BrevantVst2Factory, StartsWithTheFactoryBankAndProgramZero)
{
    StartRig rig;
    const auto plugin = BrevantVst2Factory::create_plugin(test_support::FakeVst2Host::callback,
                                                          MORVANEL_BUNDLE_DIR);
    ASSERT_NE(plugin, nullptr);
    EXPECT_NE(rig.read_log().find("main OK."), std::string::npos);
    const mppi::BankManager bank = StaticPresets::make_bank();
    ASSERT_EQ(plugin->getNumPrograms(), bank.get_nbr_prog());
    char name[mppi::Vst2Plugin::PROG_NAME_INDEXED_LEN + 1] = {};
    for (int p = 0; p < bank.get_nbr_prog(); ++p) {
        ASSERT_TRUE(plugin->getProgramNameIndexed(p, name));
        EXPECT_STREQ(name, bank[p].get_name());
    }
    EXPECT_EQ(plugin->getProgram(), 0);
    ASSERT_EQ(plugin->getNumParams(), bank[0].get_nbr_param());
    for (int i = 0; i < plugin->getNumParams(); ++i) {
        EXPECT_EQ(plugin->getParameter(i), bank[0].get_param(i));
    }
    EXPECT_NE(plugin->use_midi_mgr(), nullptr);
}

TEST(BrevantVst2Factory, StartUpFailsWithoutHostVersionBundleOrFactoryBank)
{
    struct Case
    {
        const char* what;
        long version;
        const char* bank_bytes; // null: the built bank, "-": no bank file
        bool bundle;
        const char* log_text;
    };
    const Case cases[] = {
        {"no host version", 0, nullptr, true, nullptr},
        {"no bundle", 2400, nullptr, false, "Bundle path search failed !"},
        {"no bank", 2400, "-", true, "Factory bank \"static_presets\" not loaded: -1"},
        {"damaged bank", 2400, "TWBX\0\0\0\0", true, "not loaded: -1010"},
    };
    for (const Case& c : cases) {
        StartRig rig;
        rig.host.version = c.version;
        const std::filesystem::path bundle = rig.folder.path() / "Morvanel.vst";
        const std::filesystem::path resources = bundle / "Contents" / "Resources";
        if (c.bundle) {
            std::filesystem::create_directories(resources);
            if (c.bank_bytes == nullptr) {
                std::filesystem::copy(std::string(MORVANEL_BUNDLE_DIR) +
                                          "/Contents/Resources/static_presets.TWBK",
                                      resources);
            } else if (std::string(c.bank_bytes) != "-") {
                ScratchFolder::write((resources / "static_presets.TWBK").string(),
                                     std::string(c.bank_bytes, 8));
            }
        }
        EXPECT_EQ(BrevantVst2Factory::create_plugin(test_support::FakeVst2Host::callback,
                                                    bundle.string()),
                  nullptr)
            << c.what;
        if (c.log_text != nullptr) {
            EXPECT_NE(rig.read_log().find(c.log_text), std::string::npos) << c.what;
        }
    }
}

TEST(BrevantVst2Factory, RateChangeAndSuspendResumeSilenceTheEffect)
{
    enum Step
    {
        NONE,
        SUSPEND,
        RESUME,
        RATE
    };
    for (const Step step : {NONE, SUSPEND, RESUME, RATE}) {
        StartRig rig;
        const auto plugin = BrevantVst2Factory::create_plugin(test_support::FakeVst2Host::callback,
                                                              MORVANEL_BUNDLE_DIR);
        ASSERT_NE(plugin, nullptr);
        plugin->setSampleRate(44100);
        float value = 0;
        ASSERT_TRUE(plugin->string2parameter(1, "100", value));
        plugin->setParameter(1, value);
        plugin->resume();
        (void)run_block(*plugin, 0.5f, 4096);
        switch (step) {
        case SUSPEND:
            plugin->suspend();
            break;
        case RESUME:
            plugin->resume();
            break;
        case RATE:
            plugin->setSampleRate(48000);
            break;
        case NONE:
            break;
        }
        // A resonance of 100 rings on for long after the input stops, unless cleared.
        const float peak = run_block(*plugin, 0.0f, 256);
        if (step == NONE) {
            EXPECT_GT(peak, 1e-3f);
        } else {
            EXPECT_LT(peak, 1e-12f) << step;
        }
    }
}

} // namespace
