#include "lib/mppi/SettingAutoload.h"

#include "lib/sys/PersistentKeyList.h"
#include "support/LogRecorder.h"
#include "support/ScratchFolder.h"
#include "support/SettingsDsp.h"
#include "support/posix/EnvVar.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <utility>
#include <new>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace {

using test_support::ScratchFolder;

const std::vector<int> IDENTITY{0, 1, 2};
const std::vector<int> REORDERED{2, 0, 1};
const std::string GOOD_TEXT = "Morvanel_config_section =\n{\n   version = 1.60\n"
                              "   parameter_reorder_map = { \"2_C\" \"0_A\" \"1_B\" }\n}";

// A plug-in started with the two keys stored in a fresh Preferences folder (a null value
// leaves its key out).
struct StartUp
{
    StartUp(const char* autoload, const char* file)
    {
        sys::PersistentKeyList list("Tarnwick/Morvanel/Autoload", true);
        if (autoload != nullptr) {
            EXPECT_EQ(list.set_key("LatestConfigAutoload", autoload), 0);
        }
        if (file != nullptr) {
            EXPECT_EQ(list.set_key("LatestConfigFile", file), 0);
        }
        EXPECT_EQ(plugin.dsp.init_settings(), 0);
    }
    mppi::SettingAutoload& autoload() { return plugin.dsp.use_settings().use_autoload(); }

    ScratchFolder prefs;
    test_support::EnvVar config{"XDG_CONFIG_HOME", prefs.path().c_str()};
    test_support::SettingsPlugin plugin;
};

TEST(SettingAutoload, StartUpLoadsTheLatestFileOnlyWhenTheSwitchIsOn)
{
    ScratchFolder files;
    ScratchFolder::write(files.file("good.cfg.txt"), GOOD_TEXT);
    const struct
    {
        const char* value; // null: no key
        bool on;
    } cases[] = {{"1", true}, {"10", true}, {"0", false}, {"01", false}, {"", false},
                 {nullptr, false}};
    for (const auto& c : cases) {
        StartUp start(c.value, files.file("good.cfg.txt").c_str());
        EXPECT_EQ(start.autoload().is_latest_config_file_autoloading_enabled(), c.on);
        start.autoload().execute_autoloading();
        EXPECT_EQ(start.plugin.wrap_2_nat(), c.on ? REORDERED : IDENTITY)
            << (c.value ? c.value : "(no key)");
    }
}

TEST(SettingAutoload, AFailedStartUpLoadLeavesTheStateAndStartUpGoesOn)
{
    ScratchFolder files;
    ScratchFolder::write(files.file("foreign"),
                         "Other_config_section = { parameter_reorder_map = { \"2\" } }");
    ScratchFolder::write(files.file("truncated"), GOOD_TEXT.substr(0, 60));
    ScratchFolder::write(files.file("huge"), GOOD_TEXT);
    std::filesystem::resize_file(files.file("huge"), mppi::SettingMgr::MAX_FILE_SIZE + 1);
    ASSERT_EQ(::mkfifo(files.file("pipe").c_str(), 0600), 0);
    const struct
    {
        std::string file; // empty: no key
        int code;
    } cases[] = {
        {"", 0},
        {files.file("missing"), -1020},
        {files.file("truncated"), -2044},
        {files.file("foreign"), -3071},
        {files.file("huge"), -1019},
        {files.file("pipe"), -1019},
        {"/dev/zero", -1019},
    };
    for (const auto& c : cases) {
        StartUp start("1", c.file.empty() ? nullptr : c.file.c_str());
        EXPECT_EQ(start.autoload().autoload_latest(), c.code) << c.file;
        start.autoload().execute_autoloading();
        EXPECT_EQ(start.plugin.wrap_2_nat(), IDENTITY) << c.file;
    }
}

template <typename Thrown>
struct ThrowingClient : basic::SettingClientInterface
{
    int save_settings(basic::ConfKeyMulti&) override { return 0; }
    int load_settings(const basic::ConfKeyMulti&) override { throw Thrown(); }
};

// A client or an allocation that throws while loading never stops the start-up; the
// failure is logged.
TEST(SettingAutoload, AnExceptionWhileLoadingIsLoggedAndNeverLeavesTheStartUpLoad)
{
    ScratchFolder files;
    ScratchFolder::write(files.file("good.cfg.txt"), GOOD_TEXT);
    ThrowingClient<std::bad_alloc> alloc;
    ThrowingClient<int> other;
    const std::pair<basic::SettingClientInterface*, std::string> cases[] = {
        {&alloc, std::bad_alloc().what()}, {&other, "Unknown exception."}};
    for (const auto& [client, reason] : cases) {
        StartUp start("1", files.file("good.cfg.txt").c_str());
        ASSERT_EQ(start.plugin.dsp.use_settings().register_client(*client), 0);
        EXPECT_ANY_THROW(static_cast<void>(start.autoload().autoload_latest()));
        test_support::LogRecorder log;
        EXPECT_NO_THROW(start.autoload().execute_autoloading());
        const auto records = log.get_records();
        ASSERT_EQ(records.size(), 1U);
        EXPECT_EQ(records[0].level, tnw::tdbg::Debugger::ERROR);
        EXPECT_EQ(records[0].msg, "Autoload of the latest settings file failed: " + reason);
    }
}

TEST(SettingAutoload, KeysKeepTheirSenses)
{
    StartUp start(nullptr, nullptr);
    mppi::SettingAutoload& autoload = start.autoload();
    std::string path = "stale";
    EXPECT_TRUE(autoload.check_and_retrieve_latest_config_file(path)); // true: missing
    EXPECT_EQ(path + autoload.get_latest_config_file(), "");
    EXPECT_FALSE(autoload.is_latest_config_file_existing());
    ASSERT_EQ(autoload.set_latest_config_file("/x/y.cfg.txt"), 0);
    ASSERT_EQ(autoload.enable_latest_config_file_autoloading(false), 0);
    EXPECT_FALSE(autoload.check_and_retrieve_latest_config_file(path));
    EXPECT_EQ(path, "/x/y.cfg.txt");
    EXPECT_TRUE(autoload.is_latest_config_file_existing());
    std::string stored;
    ASSERT_EQ(sys::PersistentKeyList("Tarnwick/Morvanel/Autoload", false)
                  .get_key("LatestConfigAutoload", stored), 0);
    EXPECT_EQ(stored, "0");
    ASSERT_EQ(autoload.enable_latest_config_file_autoloading(true), 0);
    EXPECT_TRUE(autoload.is_latest_config_file_autoloading_enabled());
}

} // namespace
