#include "lib/mppi/SettingMgr.h"

#include "lib/basic/ConfKeyData.h"
#include "lib/basic/ConfKeyFactory.h"
#include "support/CommaLocale.h"
#include "support/ScratchFolder.h"
#include "support/SettingsDsp.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using mppi::SettingMgr;
using test_support::ScratchFolder;

// Saves one leaf after the registered clients.
struct LastClient : basic::SettingClientInterface
{
    int save_settings(basic::ConfKeyMulti& root) override
    {
        root.push_back(basic::ConfKeyData("last", "x"));
        return 0;
    }
    int load_settings(const basic::ConfKeyMulti&) override { return 0; }
};

TEST(SettingMgr, SavedFileHoldsSectionVersionThenClientsInOrderAndLoadsBack)
{
    for (const bool comma : {false, true}) {
        std::optional<test_support::CommaLocale> locale;
        if (comma) {
            locale.emplace();
            ASSERT_TRUE(locale->active());
        }
        test_support::SettingsPlugin plugin;
        ASSERT_EQ(plugin.dsp.init_settings(), 0);
        std::vector<int> wrap_2_nat{1, 2, 0};
        std::vector<int> nat_2_wrap{2, 0, 1};
        plugin.reorder.complete_and_commit_new_map(wrap_2_nat, nat_2_wrap);
        LastClient last;
        ASSERT_EQ(plugin.dsp.use_settings().register_client(last), 0);
        ScratchFolder folder;
        ASSERT_EQ(plugin.dsp.use_settings().save_settings(folder.file("s.cfg.txt")), 0);

        const auto key = basic::ConfKeyFactory::get_instance().create_key(
            ScratchFolder::read(folder.file("s.cfg.txt")));
        const auto* root = dynamic_cast<const basic::ConfKeyMulti*>(key.get());
        ASSERT_NE(root, nullptr);
        EXPECT_EQ(root->get_name(), "Morvanel_config_section");
        std::vector<std::string> names;
        for (long i = 0; i < root->get_nbr_keys(); ++i) {
            names.push_back((*root)[i].get_name());
        }
        EXPECT_EQ(names, (std::vector<std::string>{"version", "parameter_reorder_map", "last"}));
        EXPECT_EQ(root->get_key_str("version"), "1.60") << (comma ? "comma locale" : "C locale");

        test_support::SettingsPlugin fresh;
        ASSERT_EQ(fresh.dsp.init_settings(), 0);
        ASSERT_EQ(fresh.dsp.use_settings().load_settings(folder.file("s.cfg.txt")), 0);
        EXPECT_EQ(fresh.wrap_2_nat(), (std::vector<int>{1, 2, 0}));
    }
}

TEST(SettingMgr, OnlyThisPluginsSectionLoadsAndAFailedLoadChangesNothing)
{
    const std::string body = " =\n{\n   version = 1.60\n   parameter_reorder_map = "
                             "{ \"2_C\" \"0_A\" \"1_B\" }\n}";
    const std::string good = "Morvanel_config_section" + body;
    const struct
    {
        std::string text;
        int code;
    } cases[] = {
        {"Morvanel_config_sectionX" + body, SettingMgr::ERR_OTHER_PLUGIN},
        {"Morvanel_config_sectio" + body, SettingMgr::ERR_OTHER_PLUGIN},
        {"morvanel_config_section" + body, SettingMgr::ERR_OTHER_PLUGIN},
        {"MORVANEL_CONFIG_SECTION" + body, SettingMgr::ERR_OTHER_PLUGIN},
        {"Default" + body, SettingMgr::ERR_OTHER_PLUGIN},
        {"a b c", -2039},                          // no key at the start
        {good.substr(0, good.size() / 2), -2044}, // truncated
        {good, 0},
    };
    ScratchFolder folder;
    const std::string path = folder.file("s.cfg.txt");
    for (const auto& c : cases) {
        test_support::SettingsPlugin plugin;
        ASSERT_EQ(plugin.dsp.init_settings(), 0);
        ScratchFolder::write(path, c.text);
        EXPECT_EQ(plugin.dsp.use_settings().load_settings(path), c.code) << c.text;
        const std::vector<int> expected =
            c.code == 0 ? std::vector<int>{2, 0, 1} : std::vector<int>{0, 1, 2};
        EXPECT_EQ(plugin.wrap_2_nat(), expected) << c.text;
    }
}

} // namespace
