#include "lib/sys/PersistentKeyList.h"

#include "support/AllocFailure.h"
#include "support/ScratchFolder.h"
#include "support/posix/EnvVar.h"
#include "support/posix/FileFacts.h"
#include "support/posix/FileSizeLimit.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using sys::PersistentKeyList;
using test_support::ScratchFolder;

// The store under a scratch Preferences folder.
class PersistentKeyListTest : public ::testing::Test
{
protected:
    static std::string get(const std::string& path, const std::string& key, int rc = 0)
    {
        std::string value = "untouched";
        EXPECT_EQ(PersistentKeyList(path, false).get_key(key, value), rc) << path << " " << key;
        return value;
    }
    // What set_key throws, or "" after it stored the value.
    static std::string set(const std::string& path, const std::string& key,
                           const std::string& value)
    {
        try {
            EXPECT_EQ(PersistentKeyList(path, true).set_key(key, value), 0);
        } catch (const std::runtime_error& e) {
            const std::string what = e.what();
            const std::string prefix = "sys::PersistentKeyList::set_key() : ";
            return what.rfind(prefix, 0) == 0 ? what.substr(prefix.size()) : "(prefix) " + what;
        }
        return "";
    }
    std::string key_file(const std::string& path) const
    {
        return prefs.file(path + "/" + PersistentKeyList::KEY_FILE_NAME_0);
    }

    ScratchFolder prefs;
    test_support::EnvVar config{"XDG_CONFIG_HOME", prefs.path().c_str()};
};

std::string le32(std::uint32_t v)
{
    return {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char(v >> 24)};
}

// A key file built by hand: magic, count, then lengths and bytes, little-endian.
std::string image(const std::vector<std::pair<std::string, std::string>>& entries)
{
    std::string bytes = "TWKL" + le32(std::uint32_t(entries.size()));
    for (const auto& [key, value] : entries) {
        bytes += le32(std::uint32_t(key.size())) + key + le32(std::uint32_t(value.size())) + value;
    }
    return bytes;
}

TEST_F(PersistentKeyListTest, ValuesSurviveNewHandlesInFoldersOfTheirOwnUnderAsciiLowerCaseNames)
{
    const std::string paths[] = {"Tarnwick", "Tarnwick/Morvanel/Autoload/", "Other"};
    for (const char* round : {"0", "1"}) {
        for (const std::string& path : paths) {
            EXPECT_EQ(set(path, "LatestConfigFile", path + '\0' + round), "");
            EXPECT_EQ(set(path, "\xC4Mix", ""), "");
        }
    }
    for (const std::string& path : paths) {
        EXPECT_EQ(get(path, "LATESTconfigfile"), path + '\0' + "1");
        EXPECT_EQ(get(path, "\xC4mIX"), "");
        get(path, "\xE4mix", -1); // bytes beyond ASCII keep their case
    }
    EXPECT_EQ(get("//Tarnwick//Morvanel/Autoload", "latestconfigfile"), paths[1] + '\0' + "1");
    get("Tarnwick/Morvanel", "latestconfigfile", -1);
    EXPECT_EQ(ScratchFolder::read(key_file("Other")),
              image({{"latestconfigfile", std::string("Other\0" "1", 7)}, {"\xC4mix", ""}}));
}

TEST_F(PersistentKeyListTest, DotComponentsOrNoPreferencesFolderNameNoList)
{
    using namespace std::string_literals;
    for (const std::string& path : {"."s, ".."s, "a/../b"s, "a/./b"s, "../escape"s, "a\0b"s}) {
        get(path, "k", -1);
        EXPECT_EQ(set(path, "k", "v"), "No preference folder for this path.") << path;
    }
    EXPECT_EQ(prefs.count_entries(), 0);
    test_support::EnvVar no_config("XDG_CONFIG_HOME", nullptr);
    test_support::EnvVar no_home("HOME", nullptr);
    get("Tarnwick", "k", -1);
    EXPECT_EQ(set("Tarnwick", "k", "v"), "No preference folder for this path.");
}

TEST_F(PersistentKeyListTest, TruncatedOrDamagedFilesReadAsEmptyWithoutAHugeAllocation)
{
    const std::string whole = image({{"alpha", "one"}, {"beta", ""}});
    std::vector<std::string> damaged = {
        "TWKL" + le32(0xFFFFFFFF) + whole.substr(8),                  // count beyond the bytes
        "TWKL" + le32(1) + le32(0xFFFFFFFF) + "k" + le32(1) + "v",    // key length
        "TWKL" + le32(1) + le32(1) + "k" + le32(0xFFFFFFF0) + "v",    // value length
        whole + "x",                                                  // a byte after the end
        "TWKM" + whole.substr(4),                                     // another format
    };
    for (std::size_t len = 0; len < whole.size(); ++len) {
        damaged.push_back(whole.substr(0, len));
    }
    std::filesystem::create_directories(prefs.path() / "P");
    ScratchFolder::write(key_file("P"), whole);
    EXPECT_EQ(get("P", "Alpha"), "one");
    for (const std::string& bytes : damaged) {
        ScratchFolder::write(key_file("P"), bytes);
        test_support::reset_largest_allocation();
        get("P", "alpha", -1);
        get("P", "k", -1);
        EXPECT_LT(test_support::get_largest_allocation(), 4096U);
    }
    // A damaged file is replaced by one holding the new key only.
    EXPECT_EQ(set("P", "n", "w"), "");
    EXPECT_EQ(ScratchFolder::read(key_file("P")), image({{"n", "w"}}));
}

TEST_F(PersistentKeyListTest, AStoreThatCannotBeWrittenThrowsAndKeepsTheOldFile)
{
    ASSERT_EQ(set("Kept", "k", "old"), "");
    const std::string old_image = ScratchFolder::read(key_file("Kept"));
    ScratchFolder::write(prefs.file("Blocker"), "a file where a folder should be");
    std::filesystem::create_directories(key_file("Dir"));

    EXPECT_EQ(set("Blocker/Sub", "k", "v"), "Cannot create the folder.");
    EXPECT_EQ(set("Blocker", "k", "v"), "Cannot create the folder.");
    EXPECT_EQ(set("Dir", "k", "v"), "Cannot read the key file.");
    // A lock file that is a named pipe is refused at once, never waited on for a writer.
    std::filesystem::create_directories(prefs.path() / "Piped");
    const std::string pipe =
        prefs.file(std::string("Piped/") + PersistentKeyList::LOCK_FILE_NAME_0);
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::string refusal;
    EXPECT_TRUE(test_support::returns_without_a_pipe_writer(
        pipe, [&] { refusal = set("Piped", "k", "v"); }));
    EXPECT_EQ(refusal, "Cannot lock the key file.");
    EXPECT_EQ(set("Kept", "k", std::string(1 << 20, 'x')), "Key file too large.");
    {
        test_support::FileSizeLimit full_disk(old_image.size());
        ASSERT_TRUE(full_disk.is_active());
        EXPECT_EQ(set("Kept", "k", "longer than before"), "Cannot write the key file.");
    }
    EXPECT_EQ(ScratchFolder::read(key_file("Kept")), old_image);
    EXPECT_TRUE(std::filesystem::is_regular_file(prefs.file("Blocker")));
    // The key file and the lock file only: no temporary file left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(prefs.path() / "Kept"), {}), 2);
}

// Writers of one folder read, change and rewrite its file in turn: none loses another's key.
TEST_F(PersistentKeyListTest, ConcurrentWritersLoseNoKey)
{
    constexpr int NBR_THREADS = 8;
    constexpr int NBR_KEYS = 12;
    std::vector<std::thread> threads;
    for (int t = 0; t < NBR_THREADS; ++t) {
        threads.emplace_back([t] {
            for (int k = 0; k < NBR_KEYS; ++k) {
                static_cast<void>(set("Shared", std::to_string(t * NBR_KEYS + k), "v"));
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (int i = 0; i < NBR_THREADS * NBR_KEYS; ++i) {
        EXPECT_EQ(get("Shared", std::to_string(i)), "v");
    }
}

} // namespace
