#include "lib/sys/PersistentKeyList.h"

#include "support/AllocFailure.h"
#include "support/ScratchFolder.h"
#include "support/posix/EnvVar.h"
#include "support/posix/FileSizeLimit.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using sys::PersistentKeyList;
using test_support::EnvVar;
using test_support::ScratchFolder;

const std::string SET_KEY_ERROR = "sys::PersistentKeyList::set_key() : ";

// The store under a scratch Preferences folder.
class PersistentKeyListTest : public ::testing::Test
{
protected:
    std::string get(const std::string& path, const std::string& key, int expected_rc = 0)
    {
        std::string value = "untouched";
        EXPECT_EQ(PersistentKeyList(path, false).get_key(key, value), expected_rc) << key;
        return value;
    }
    void set(const std::string& path, const std::string& key, const std::string& value)
    {
        EXPECT_EQ(PersistentKeyList(path, true).set_key(key, value), 0);
    }
    // The message set_key throws, or "" when it does not throw.
    static std::string set_error(const std::string& path, const std::string& key,
                                 const std::string& value)
    {
        try {
            static_cast<void>(PersistentKeyList(path, true).set_key(key, value));
        } catch (const std::runtime_error& e) {
            return e.what();
        }
        return "";
    }
    std::string key_file(const std::string& path) const
    {
        return _prefs.file(path + "/" + PersistentKeyList::KEY_FILE_NAME_0);
    }

    ScratchFolder _prefs;
    EnvVar _config{"XDG_CONFIG_HOME", _prefs.path().c_str()};
};

// Little-endian 32-bit number, built by hand.
std::string le32(std::uint32_t v)
{
    return {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char(v >> 24)};
}

std::string image(const std::vector<std::pair<std::string, std::string>>& entries)
{
    std::string bytes = "TWKL" + le32(std::uint32_t(entries.size()));
    for (const auto& [key, value] : entries) {
        bytes += le32(std::uint32_t(key.size())) + key + le32(std::uint32_t(value.size())) + value;
    }
    return bytes;
}

TEST_F(PersistentKeyListTest, ValuesSurviveNewHandlesAndFoldersStayApart)
{
    const std::vector<std::string> paths = {"Tarnwick", "Tarnwick/Morvanel",
                                            "Tarnwick/Morvanel/Autoload/", "Other"};
    // Values differ per folder, key and round, and hold a NUL byte.
    const auto value = [](const std::string& path, int key, int round) {
        return path + std::string(1, '\0') + std::to_string(key * 10 + round);
    };
    for (int round = 0; round < 2; ++round) {
        for (const std::string& path : paths) {
            for (int k = 0; k < 5; ++k) {
                set(path, "Key" + std::to_string(k), value(path, k, round));
            }
        }
    }
    set("Other", "Empty", "");
    for (const std::string& path : paths) {
        for (int k = 0; k < 5; ++k) {
            EXPECT_EQ(get(path, "Key" + std::to_string(k)), value(path, k, 1));
        }
    }
    EXPECT_EQ(get("Other", "Empty"), "");
    get("Tarnwick", "Empty", -1);
    get("Missing/Folder", "Key0", -1);
    // The stored image holds every key once, in the order of first storage.
    std::vector<std::pair<std::string, std::string>> expected;
    for (int k = 0; k < 5; ++k) {
        expected.emplace_back("key" + std::to_string(k), value("Tarnwick", k, 1));
    }
    EXPECT_EQ(ScratchFolder::read(key_file("Tarnwick")), image(expected));
}

TEST_F(PersistentKeyListTest, NamesAreStoredInAsciiLowerCaseAndEmptyComponentsSkipped)
{
    set("Tarnwick/Morvanel/Autoload/", "LatestConfigAutoload", "1");
    set("//Tarnwick//Morvanel/Autoload", "\xC4Mix\xE4", "v");
    for (const char* path : {"Tarnwick/Morvanel/Autoload", "/Tarnwick/Morvanel/Autoload//"}) {
        EXPECT_EQ(get(path, "latestconfigautoload"), "1");
        EXPECT_EQ(get(path, "LATESTCONFIGAUTOLOAD"), "1");
        EXPECT_EQ(get(path, "\xC4mIX\xE4"), "v");
    }
    get("Tarnwick/Morvanel/Autoload", "\xE4mix\xE4", -1); // bytes beyond ASCII keep their case
    EXPECT_EQ(ScratchFolder::read(key_file("Tarnwick/Morvanel/Autoload")),
              image({{"latestconfigautoload", "1"}, {"\xC4mix\xE4", "v"}}));
}

TEST_F(PersistentKeyListTest, PathsWithDotComponentsOrNoPreferencesFolderNameNoList)
{
    const std::string invalid[] = {".", "..", "a/../b", "a/./b", "../escape", "a/..",
                                   std::string("a\0b", 3)};
    for (const std::string& path : invalid) {
        get(path, "k", -1);
        EXPECT_EQ(set_error(path, "k", "v"), SET_KEY_ERROR + "No preference folder for this path.")
            << path;
    }
    EXPECT_EQ(_prefs.count_entries(), 0);
    EXPECT_FALSE(std::filesystem::exists(_prefs.path().parent_path() / "escape"));

    EnvVar no_config("XDG_CONFIG_HOME", nullptr);
    EnvVar no_home("HOME", nullptr);
    get("Tarnwick", "k", -1);
    EXPECT_EQ(set_error("Tarnwick", "k", "v"),
              SET_KEY_ERROR + "No preference folder for this path.");
}

TEST_F(PersistentKeyListTest, HandBuiltImageReadsAndEveryTruncationReadsAsEmpty)
{
    const std::string whole = image({{"alpha", "one"}, {"beta", ""}, {"gamma", "three"}});
    std::filesystem::create_directories(_prefs.path() / "P");
    ScratchFolder::write(key_file("P"), whole);
    EXPECT_EQ(get("P", "Gamma"), "three");
    EXPECT_EQ(get("P", "beta"), "");
    for (std::size_t len = 0; len < whole.size(); ++len) {
        ScratchFolder::write(key_file("P"), whole.substr(0, len));
        get("P", "alpha", -1);
    }
}

TEST_F(PersistentKeyListTest, DamagedLengthsReadAsEmptyWithoutAHugeAllocation)
{
    const std::string entry = le32(1) + "k" + le32(1) + "v";
    const std::string damaged[] = {
        "TWKL" + le32(0xFFFFFFFF) + entry,                     // count far beyond the bytes
        "TWKL" + le32(2) + entry,                              // one entry missing
        "TWKL" + le32(1) + le32(0xFFFFFFFF) + "k" + le32(1) + "v", // key length
        "TWKL" + le32(1) + le32(1) + "k" + le32(0xFFFFFFF0) + "v", // value length
        "TWKL" + le32(1) + le32(1) + "k" + le32(2) + "v",      // value one byte short
        "TWKL" + le32(1) + entry + "x",                        // a byte after the last entry
        "TWKM" + le32(1) + entry,                              // another format
    };
    std::filesystem::create_directories(_prefs.path() / "P");
    for (const std::string& bytes : damaged) {
        ScratchFolder::write(key_file("P"), bytes);
        test_support::reset_largest_allocation();
        get("P", "k", -1);
        EXPECT_LT(test_support::get_largest_allocation(), 4096U);
    }
    // A damaged file is replaced by one holding the new key only.
    set("P", "n", "w");
    EXPECT_EQ(ScratchFolder::read(key_file("P")), image({{"n", "w"}}));
}

TEST_F(PersistentKeyListTest, AStoreThatCannotBeWrittenThrowsAndKeepsTheOldFile)
{
    set("Kept", "k", "old");
    const std::string old_image = ScratchFolder::read(key_file("Kept"));
    ScratchFolder::write(_prefs.file("Blocker"), "a file where a folder should be");
    std::filesystem::create_directories(key_file("Dir"));

    struct Case
    {
        const char* name;
        std::string path;
        std::string value;
        std::function<std::string()> failure; // runs set_key under the case's condition
    };
    const auto plain = [this](std::string path, std::string value) {
        return [path, value] { return set_error(path, "k", value); };
    };
    const Case cases[] = {
        {"folder blocked", "Blocker/Sub", "v", plain("Blocker/Sub", "v")},
        {"file blocked", "Blocker", "v", plain("Blocker", "v")},
        {"key file is a folder", "Dir", "v", plain("Dir", "v")},
        {"image beyond the limit", "Kept", "", plain("Kept", std::string(1 << 20, 'x'))},
        {"full disk", "Kept", "",
         [] {
             test_support::FileSizeLimit limit(64);
             EXPECT_TRUE(limit.is_active());
             return set_error("Kept", "k", std::string(100, 'x'));
         }},
    };
    const std::string expected[] = {"Cannot create the folder.", "Cannot create the folder.",
                                    "Cannot read the key file.", "Key file too large.",
                                    "Cannot write the key file."};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(cases[i].failure(), SET_KEY_ERROR + expected[i]) << cases[i].name;
        EXPECT_EQ(ScratchFolder::read(key_file("Kept")), old_image) << cases[i].name;
    }
    EXPECT_EQ(get("Kept", "K"), "old");
    EXPECT_TRUE(std::filesystem::is_regular_file(_prefs.file("Blocker")));
    // Only the key file and the lock file: no temporary file left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(_prefs.path() / "Kept"),
                            std::filesystem::directory_iterator()),
              2);
}

// Writers of one folder read, change and rewrite its file in turn, so none loses another's key.
TEST_F(PersistentKeyListTest, ConcurrentWritersLoseNoKey)
{
    constexpr int NBR_THREADS = 8;
    constexpr int NBR_KEYS = 12;
    std::vector<std::thread> threads;
    for (int t = 0; t < NBR_THREADS; ++t) {
        threads.emplace_back([t] {
            for (int k = 0; k < NBR_KEYS; ++k) {
                const std::string name = std::to_string(t) + "_" + std::to_string(k);
                static_cast<void>(PersistentKeyList("Shared", true).set_key(name, name));
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (int t = 0; t < NBR_THREADS; ++t) {
        for (int k = 0; k < NBR_KEYS; ++k) {
            const std::string name = std::to_string(t) + "_" + std::to_string(k);
            EXPECT_EQ(get("Shared", name), name);
        }
    }
}

} // namespace
