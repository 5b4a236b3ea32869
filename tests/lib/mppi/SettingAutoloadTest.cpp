#include "lib/mppi/SettingAutoload.h"

#include "lib/sys/PersistentKeyList.h"
#include "support/ScratchFolder.h"
#include "support/SettingsDsp.h"
#include "support/posix/EnvVar.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace {

using test_support::ScratchFolder;
using test_support::SettingsPlugin;

const std::vector<int> IDENTITY{0, 1, 2};
const std::vector<int> REORDERED{2, 0, 1};
const std::string PREF_PATH = "Tarnwick/Morvanel/Autoload";

// A settings file of this plug-in whose map gives REORDERED, in a scratch folder, and a
// scratch Preferences folder.
class SettingAutoloadTest : public ::testing::Test
{
protected:
    SettingAutoloadTest()
    {
        ScratchFolder::write(good_file, "Morvanel_config_section =\n{\n   version = 1.60\n"
                                        "   parameter_reorder_map = { \"2_C\" \"0_A\" \"1_B\" }\n}");
    }
    // Stores the two keys; a null value leaves its key out.
    static void store(const char* autoload, const char* file)
    {
        sys::PersistentKeyList list(PREF_PATH, true);
        if (autoload != nullptr) {
            ASSERT_EQ(list.set_key("LatestConfigAutoload", autoload), 0);
        }
        if (file != nullptr) {
            ASSERT_EQ(list.set_key("LatestConfigFile", file), 0);
        }
    }

    ScratchFolder files;
    const std::string good_file = files.file("good.cfg.txt");
};

// A fresh Preferences folder for each case.
struct Prefs
{
    ScratchFolder folder;
    test_support::EnvVar config{"XDG_CONFIG_HOME", folder.path().c_str()};
};

TEST_F(SettingAutoloadTest, StartUpLoadsTheLatestFileOnlyWhenTheSwitchIsOn)
{
    const struct
    {
        const char* value; // null: no key
        bool on;
    } cases[] = {{"1", true}, {"10", true}, {"0", false}, {"01", false}, {"", false},
                 {nullptr, false}};
    for (const auto& c : cases) {
        Prefs prefs;
        store(c.value, good_file.c_str());
        SettingsPlugin plugin;
        ASSERT_EQ(plugin.dsp.init_settings(), 0);
        mppi::SettingAutoload& autoload = plugin.dsp.use_settings().use_autoload();
        EXPECT_EQ(autoload.is_latest_config_file_autoloading_enabled(), c.on);
        autoload.execute_autoloading();
        EXPECT_EQ(plugin.wrap_2_nat(), c.on ? REORDERED : IDENTITY)
            << (c.value ? c.value : "(no key)");
    }
}

TEST_F(SettingAutoloadTest, AFailedStartUpLoadLeavesTheStateAndStartUpGoesOn)
{
    const std::string foreign = files.file("foreign.cfg.txt");
    ScratchFolder::write(foreign, "Brevant_config_section = { parameter_reorder_map = { \"2\" } }");
    const std::string truncated = files.file("truncated.cfg.txt");
    ScratchFolder::write(truncated, ScratchFolder::read(good_file).substr(0, 60));
    const std::string pipe = files.file("pipe");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const struct
    {
        const char* file; // null: no key
        int code;
    } cases[] = {
        {nullptr, 0},
        {"/nowhere/missing.cfg.txt", -1020},
        {truncated.c_str(), -2044},
        {foreign.c_str(), -3071},
        {pipe.c_str(), -1019},
        {"/dev/zero", -1019},
    };
    for (const auto& c : cases) {
        Prefs prefs;
        store("1", c.file);
        SettingsPlugin plugin;
        ASSERT_EQ(plugin.dsp.init_settings(), 0);
        mppi::SettingAutoload& autoload = plugin.dsp.use_settings().use_autoload();
        EXPECT_EQ(autoload.autoload_latest(), c.code) << (c.file ? c.file : "(no key)");
        autoload.execute_autoloading();
        EXPECT_EQ(plugin.wrap_2_nat(), IDENTITY);
    }
}

// Throws while loading, as a client or an allocation may.
template <typename Thrown>
struct ThrowingClient : basic::SettingClientInterface
{
    int save_settings(basic::ConfKeyMulti&) override { return 0; }
    int load_settings(const basic::ConfKeyMulti&) override { throw Thrown(); }
};

struct Anything
{
};

TEST_F(SettingAutoloadTest, AnExceptionWhileLoadingNeverLeavesTheStartUpLoad)
{
    Prefs prefs;
    store("1", good_file.c_str());
    ThrowingClient<std::bad_alloc> alloc;
    ThrowingClient<Anything> anything;
    struct Error : std::runtime_error
    {
        Error() : std::runtime_error("client failed") {}
    };
    ThrowingClient<Error> error;
    for (basic::SettingClientInterface* client :
         std::initializer_list<basic::SettingClientInterface*>{&alloc, &anything, &error}) {
        SettingsPlugin plugin;
        ASSERT_EQ(plugin.dsp.init_settings(), 0);
        ASSERT_EQ(plugin.dsp.use_settings().register_client(*client), 0);
        EXPECT_ANY_THROW(static_cast<void>(plugin.dsp.use_settings().use_autoload().autoload_latest()));
        EXPECT_NO_THROW(plugin.dsp.use_settings().use_autoload().execute_autoloading());
    }
}

TEST_F(SettingAutoloadTest, KeysKeepTheirSenses)
{
    Prefs prefs;
    SettingsPlugin plugin;
    ASSERT_EQ(plugin.dsp.init_settings(), 0);
    mppi::SettingAutoload& autoload = plugin.dsp.use_settings().use_autoload();
    std::string path = "stale";
    EXPECT_TRUE(autoload.check_and_retrieve_latest_config_file(path)); // true: missing
    EXPECT_EQ(path, "");
    EXPECT_FALSE(autoload.is_latest_config_file_existing());
    EXPECT_EQ(autoload.get_latest_config_file(), "");

    ASSERT_EQ(autoload.set_latest_config_file("/x/y.cfg.txt"), 0);
    EXPECT_FALSE(autoload.check_and_retrieve_latest_config_file(path));
    EXPECT_EQ(path, "/x/y.cfg.txt");
    EXPECT_TRUE(autoload.is_latest_config_file_existing());
    EXPECT_EQ(autoload.get_latest_config_file(), "/x/y.cfg.txt");

    for (const bool on : {true, false}) {
        ASSERT_EQ(autoload.enable_latest_config_file_autoloading(on), 0);
        std::string stored;
        ASSERT_EQ(sys::PersistentKeyList(PREF_PATH, false).get_key("LatestConfigAutoload", stored),
                  0);
        EXPECT_EQ(stored, on ? "1" : "0");
        EXPECT_EQ(autoload.is_latest_config_file_autoloading_enabled(), on);
    }
    EXPECT_EQ(autoload.autoload_multi(), 0);

    // A store that cannot be written throws out of the setters.
    std::filesystem::remove_all(prefs.folder.path() / "Tarnwick");
    ScratchFolder::write(prefs.folder.file("Tarnwick"), "blocks the folder");
    EXPECT_THROW(static_cast<void>(autoload.enable_latest_config_file_autoloading(true)),
                 std::runtime_error);
    EXPECT_THROW(static_cast<void>(autoload.set_latest_config_file("/z")), std::runtime_error);
}

} // namespace
