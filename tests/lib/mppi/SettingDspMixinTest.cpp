#include "lib/mppi/SettingDspMixin.h"

#include "lib/mppi/ParamReorder.h"
#include "support/FakeHostDsp.h"
#include "support/ScratchFolder.h"
#include "support/SettingsDsp.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using test_support::ScratchFolder;

// Occurrences of a text in another.
long count(const std::string& text, const std::string& part)
{
    long n = 0;
    for (auto pos = text.find(part); pos != std::string::npos; pos = text.find(part, pos + 1)) {
        ++n;
    }
    return n;
}

TEST(SettingDspMixin, ClientsAreRegisteredOnceAndASecondInitStops)
{
    test_support::SettingsDsp dsp{"A", "B"};
    test_support::FakeHostDsp host;
    mppi::ParamReorder reorder;
    reorder.init(dsp);
    host.set_param_reorder(&reorder);
    dsp.set_host(host);

    ASSERT_EQ(dsp.init_settings(), 0);
    EXPECT_EQ(dsp.use_settings().get_client_pos(reorder), 0);
    dsp.restore_settings();
    EXPECT_EQ(dsp.init_settings(), basic::SettingMgrInterface::ERR_CLIENT_ALREADY_REGISTERED);

    // The manager works after the refused second init, and saves the map once.
    ScratchFolder folder;
    ASSERT_EQ(dsp.use_settings().save_settings(folder.file("s")), 0);
    EXPECT_EQ(count(ScratchFolder::read(folder.file("s")), "parameter_reorder_map"), 1);
}

TEST(SettingDspMixin, WithoutHostOrMapNothingIsRegistered)
{
    test_support::SettingsDsp no_host{"A"};
    EXPECT_EQ(no_host.init_settings(), 0);
    test_support::SettingsDsp no_map{"A"};
    test_support::FakeHostDsp host;
    no_map.set_host(host);
    EXPECT_EQ(no_map.init_settings(), 0);
    ScratchFolder folder;
    for (auto* dsp : {&no_host, &no_map}) {
        ASSERT_EQ(dsp->use_settings().save_settings(folder.file("s")), 0);
        EXPECT_EQ(count(ScratchFolder::read(folder.file("s")), "parameter_reorder_map"), 0);
    }
}

} // namespace
