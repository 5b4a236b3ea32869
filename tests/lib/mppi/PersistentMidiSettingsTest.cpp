#include "lib/mppi/PersistentMidiSettings.h"

#include "lib/sys/PersistentKeyList.h"
#include "support/ScratchFolder.h"
#include "support/posix/EnvVar.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

namespace {

using mppi::PersistentMidiSettings;
using sys::PersistentKeyList;

const char* const NRPN_KEY = "NRPN Compatibility";
const char* const AUTOBIND_KEY = "Autobind Mode";
const char* const NRPN_PATH = "Tarnwick/Morvanel";
const char* const AUTOBIND_PATH = "Tarnwick";

// The preferences under a scratch Preferences folder.
class PersistentMidiSettingsTest : public ::testing::Test
{
protected:
    static std::optional<std::string> stored(const char* path, const char* key)
    {
        std::string value;
        if (PersistentKeyList(path, false).get_key(key, value) != 0) {
            return std::nullopt;
        }
        return value;
    }
    static void store(const char* path, const char* key, const std::optional<std::string>& value)
    {
        if (value) {
            ASSERT_EQ(PersistentKeyList(path, true).set_key(key, *value), 0);
        }
    }

    test_support::ScratchFolder prefs;
    test_support::EnvVar config{"XDG_CONFIG_HOME", prefs.path().c_str()};
};

TEST_F(PersistentMidiSettingsTest, InitTakesZeroOrOneAndWritesBackAnythingElse)
{
    using Text = std::optional<std::string>;
    struct Case
    {
        Text nrpn_in, autobind_in;
        int nrpn, autobind;
        Text nrpn_out, autobind_out;
    };
    const Case cases[] = {
        {"0", "0", 0, 0, "0", "0"},
        {"1", "1", 1, 1, "1", "1"},
        {"2", std::nullopt, 1, 1, "1", "1"}, // repaired with the defaults
        {std::nullopt, "yes", 1, 1, "1", "1"},
        {"", " 0", 1, 1, "1", "1"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(prefs.path() / "Tarnwick");
        store(NRPN_PATH, NRPN_KEY, c.nrpn_in);
        store(AUTOBIND_PATH, AUTOBIND_KEY, c.autobind_in);
        PersistentMidiSettings settings;
        EXPECT_FALSE(settings.init_check());
        settings.init("Morvanel");
        EXPECT_TRUE(settings.init_check());
        EXPECT_EQ(settings.get_nrpn_compatibility(), c.nrpn);
        EXPECT_EQ(settings.get_autobind_mode(), c.autobind);
        EXPECT_EQ(stored(NRPN_PATH, NRPN_KEY), c.nrpn_out);
        EXPECT_EQ(stored(AUTOBIND_PATH, AUTOBIND_KEY), c.autobind_out);
        settings.restore();
        EXPECT_FALSE(settings.init_check());
    }
}

TEST_F(PersistentMidiSettingsTest, SettersWriteThenTakeAndRefuseOtherValues)
{
    PersistentMidiSettings settings;
    settings.init("Morvanel");
    ASSERT_EQ(settings.set_nrpn_compatibility(PersistentMidiSettings::NRPN_COMPAT_OLD), 0);
    ASSERT_EQ(settings.set_autobind_mode(PersistentMidiSettings::AUTOBIND_ONCE), 0);
    EXPECT_EQ(settings.get_nrpn_compatibility() + settings.get_autobind_mode(), 0);
    EXPECT_EQ(stored(NRPN_PATH, NRPN_KEY), "0");
    EXPECT_EQ(stored(AUTOBIND_PATH, AUTOBIND_KEY), "0");

    EXPECT_EQ(settings.set_nrpn_compatibility(PersistentMidiSettings::NrpnCompatibility(2)),
              PersistentMidiSettings::ERR_INVALID_VALUE);
    EXPECT_EQ(settings.set_autobind_mode(PersistentMidiSettings::AutobindMode(-1)),
              PersistentMidiSettings::ERR_INVALID_VALUE);
    EXPECT_EQ(settings.get_nrpn_compatibility() + settings.get_autobind_mode(), 0);
    EXPECT_EQ(stored(NRPN_PATH, NRPN_KEY), "0");
}

TEST_F(PersistentMidiSettingsTest, AStoreThatCannotBeWrittenKeepsTheDefaultsAtStartUpOnly)
{
    // A file where the folder should be: no key can be written.
    test_support::ScratchFolder::write(prefs.file("Tarnwick"), "blocked");
    PersistentMidiSettings::set_default_compatibility(PersistentMidiSettings::NRPN_COMPAT_OLD);
    PersistentMidiSettings settings;
    PersistentMidiSettings::set_default_compatibility(PersistentMidiSettings::NRPN_COMPAT_STANDARD);
    ASSERT_NO_THROW(settings.init("Morvanel"));
    EXPECT_TRUE(settings.init_check());
    EXPECT_EQ(settings.get_nrpn_compatibility(), 0);
    EXPECT_EQ(settings.get_autobind_mode(), 1);
    EXPECT_THROW(
        (void)settings.set_nrpn_compatibility(PersistentMidiSettings::NRPN_COMPAT_STANDARD),
        std::runtime_error);
    EXPECT_THROW((void)settings.set_autobind_mode(PersistentMidiSettings::AUTOBIND_ONCE),
                 std::runtime_error);
    EXPECT_EQ(settings.get_nrpn_compatibility(), 0);
    EXPECT_EQ(settings.get_autobind_mode(), 1);
}

TEST_F(PersistentMidiSettingsTest, TheBasePathIsCutToItsRoomAndNamesTheFolders)
{
    const std::string long_path(400, 'p');
    PersistentMidiSettings::set_base_path(long_path.c_str());
    EXPECT_EQ(PersistentMidiSettings::get_base_path(),
              long_path.substr(0, PersistentMidiSettings::BASE_PATH_LEN));
    PersistentMidiSettings::set_base_path("Other");
    PersistentMidiSettings settings;
    settings.init("Fx");
    ASSERT_EQ(settings.set_autobind_mode(PersistentMidiSettings::AUTOBIND_ONCE), 0);
    PersistentMidiSettings::set_base_path("Tarnwick");
    EXPECT_EQ(stored("Other", AUTOBIND_KEY), "0");
    EXPECT_EQ(stored("Other/Fx", NRPN_KEY), "1");
    EXPECT_EQ(stored(AUTOBIND_PATH, AUTOBIND_KEY), std::nullopt);
}

} // namespace
