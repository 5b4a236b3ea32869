#include "lib/mppi/PluginInfo.h"

#include <gtest/gtest.h>

#include <type_traits>

namespace {

TEST(PluginInfo, OneRecordWithTheSystemsDescription)
{
    const mppi::PluginInfo& info = mppi::PluginInfo::use_instance();
    EXPECT_EQ(&info, &mppi::PluginInfo::use_instance());
    // 'T' 'n' 'W' 'k' and 'T' 'w' 'M' 'v' in ASCII, the first character highest.
    EXPECT_EQ(info.company_fcc_id(), 0x546E576BL);
    EXPECT_EQ(info.company_fcc_id_rtas(), 0x546E576BL);
    EXPECT_EQ(info.plugin_fcc_id(), 0x54774D76L);
    EXPECT_EQ(info.company_name(), "Tarnwick");
    EXPECT_EQ(info.rtas_company_name(), "Tarnwick\nTnWk\n");
    EXPECT_EQ(info.plugin_name(), "Morvanel");
    EXPECT_EQ(info.plugin_path(), "Tarnwick/Morvanel");
    EXPECT_EQ(info.plugin_path_suffix_win_vst(), " VST2");
    EXPECT_TRUE(info.plugin_path_suffix_win_wa2().empty());
    EXPECT_EQ(info.plugin_type(), 0);
    EXPECT_EQ(info.version_au(), 0x10600L);
    EXPECT_EQ(info.version_int(), 160L);
    static_assert(std::is_same_v<decltype(info.version_float()), float>);
    EXPECT_EQ(info.version_float(), 1.6f);
    EXPECT_TRUE(info.is_au_automation_old());
    EXPECT_TRUE(info.is_preset_shared());
    EXPECT_TRUE(info.is_nrpn_erroneous());
}

} // namespace
