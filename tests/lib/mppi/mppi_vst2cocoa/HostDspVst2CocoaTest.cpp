#include "Vst2PluginRig.h"

#include "lib/mppi/TimeInfo.h"

#include <cmath>
#include <limits>

namespace {

using vst2_test::Vst2PluginRig;
namespace v = mppi::vst2;

TEST(HostDspVst2Cocoa, TimeInfoCarriesTheHostsTempoWhenAskedAndValid)
{
    struct Case
    {
        bool host_has_time;
        std::int32_t host_flags;
        double host_tempo;
        bool asked;
        bool no_info;
        bool valid_after;
        double tempo_after;
    };
    constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        {false, v::TIME_TEMPO_VALID, 120, true, true, true, 0},
        {true, v::TIME_TEMPO_VALID, 120, true, false, true, 120},
        {true, 0, 120, true, false, false, 0},
        {true, v::TIME_TEMPO_VALID, NaN, true, false, false, 0},
        {true, v::TIME_TEMPO_VALID, 120, false, false, false, 0},
    };
    Vst2PluginRig rig;
    mppi::HostDspInterface& adapter = *rig.dsp->get_host();
    for (const Case& c : cases) {
        rig.host.time_flag = c.host_has_time;
        rig.host.time.flags = c.host_flags;
        rig.host.time.tempo = c.host_tempo;
        rig.host.clear();
        mppi::TimeInfo info;
        info._tempo_valid_flag = c.asked;
        adapter.get_time_info(info);
        EXPECT_EQ(info._no_info_flag, c.no_info);
        EXPECT_EQ(info._tempo_valid_flag, c.valid_after);
        EXPECT_EQ(info._tempo, c.tempo_after);
        // The tempo is asked of the host only when the caller wants it.
        ASSERT_EQ(rig.host.calls(v::HOST_GET_TIME).size(), 1u);
        EXPECT_EQ(rig.host.calls(v::HOST_GET_TIME)[0].value, c.asked ? v::TIME_TEMPO_VALID : 0);
    }
}

TEST(HostDspVst2Cocoa, ForwardsToThePlugin)
{
    Vst2PluginRig rig;
    mppi::HostDspInterface& adapter = *rig.dsp->get_host();
    EXPECT_EQ(adapter.init(), 0);
    EXPECT_EQ(adapter.get_property("can_tempo"), 1.0);
    EXPECT_EQ(adapter.get_property("other"), 0.0);
    EXPECT_EQ(adapter.use_midi_interface(), rig.plugin->use_midi_mgr());
    EXPECT_EQ(adapter.use_param_reorder(), &rig.plugin->use_param_reorder());
    EXPECT_EQ(adapter.use_copperlan_mgr(), nullptr);
    rig.plugin->set_plugin_dir("/data/Tarnwick/Morvanel");
    EXPECT_EQ(adapter.do_get_plugin_dir(), "/data/Tarnwick/Morvanel");
    adapter.do_start_bkg_thread();
    EXPECT_TRUE(rig.plugin->get_bkg_flag());
    adapter.do_stop_bkg_thread();
    EXPECT_FALSE(rig.plugin->get_bkg_flag());

    // Effect-side writes: with and without the host, a whole program kept by its priority.
    rig.host.clear();
    const float kept = rig.dsp->get_param_ref(2).get_nrm_val();
    adapter.set_param_pi_only(0, 0.25f, 100);
    EXPECT_TRUE(rig.host.calls(v::HOST_AUTOMATE).empty());
    adapter.set_param(1, 0.5f, 100);
    adapter.set_param_host_only(2, 0.75f, 100);
    EXPECT_EQ(rig.host.calls(v::HOST_AUTOMATE).size(), 2u);
    EXPECT_EQ(rig.dsp->get_param_ref(2).get_nrm_val(), kept);
    adapter.set_program(vst2_test::make_bank(2)[1], 150);
    EXPECT_FALSE(adapter.is_param_free(0, 100));
    EXPECT_EQ(rig.host.calls(v::HOST_AUTOMATE).size(), 5u);
}

TEST(HostGuiVst2Cocoa, AnswersItsPropertiesAndForwards)
{
    Vst2PluginRig rig(vst2_test::make_bank(2), true);
    mppi::HostGuiInterface& adapter = *rig.gui->get_host();
    EXPECT_EQ(adapter.get_property("can_resize_window"), 1.0);
    EXPECT_EQ(adapter.get_property("can_tempo"), 0.0);
    EXPECT_EQ(adapter.get_string_property("interface_standard"), "VST 2.0");
    EXPECT_EQ(adapter.get_string_property("interface_info"),
              "VST is a trademark of Steinberg Media Technologies GmbH");
    EXPECT_EQ(adapter.get_string_property("plugin_name"), "");
    adapter.resize_window(640, 480);
    ASSERT_EQ(rig.host.calls(v::HOST_SIZE_WINDOW).size(), 1u);
    EXPECT_EQ(rig.host.calls(v::HOST_SIZE_WINDOW)[0].index, 640);
    EXPECT_EQ(rig.host.calls(v::HOST_SIZE_WINDOW)[0].value, 480);
    EXPECT_TRUE(adapter.reserve_param(1, 150));
    EXPECT_FALSE(adapter.is_param_free(1, 100));
    adapter.set_program(vst2_test::make_bank(2)[1], 150);
    EXPECT_EQ(rig.dsp->get_param_ref(1).get_nrm_val(), vst2_test::prog_value(1, 1));
    EXPECT_EQ(adapter.use_midi_interface(), rig.plugin->use_midi_mgr());
}

} // namespace
