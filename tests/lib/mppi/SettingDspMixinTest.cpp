#include "lib/mppi/SettingDspMixin.h"

#include "lib/mppi/MidiMgr.h"
#include "support/SettingsDsp.h"

#include <gtest/gtest.h>

namespace {

using basic::SettingMgrInterface;

TEST(SettingDspMixin, ClientsAreRegisteredOnceAndASecondInitStops)
{
    test_support::SettingsPlugin plugin;
    mppi::MidiMgr midi;
    plugin.host.set_midi_mgr(&midi);
    SettingMgrInterface& mgr = plugin.dsp.use_settings();
    ASSERT_EQ(plugin.dsp.init_settings(), 0);
    // The MIDI manager's keys come before the parameter map.
    EXPECT_EQ(mgr.get_client_pos(midi), 0);
    EXPECT_EQ(mgr.get_client_pos(plugin.reorder), 1);
    plugin.dsp.restore_settings();
    EXPECT_EQ(plugin.dsp.init_settings(), SettingMgrInterface::ERR_CLIENT_ALREADY_REGISTERED);
    // In the list once: a single removal empties it.
    EXPECT_EQ(mgr.unregister_client(plugin.reorder), 0);
    EXPECT_EQ(mgr.get_client_pos(plugin.reorder), -1);

    // Without a host, or with a host offering no map, there is nothing to register.
    test_support::SettingsDsp no_host{"A"};
    test_support::SettingsDsp no_map{"A"};
    test_support::FakeHostDsp host;
    no_map.set_host(host);
    EXPECT_EQ(no_host.init_settings(), 0);
    EXPECT_EQ(no_map.init_settings(), 0);
}

} // namespace
