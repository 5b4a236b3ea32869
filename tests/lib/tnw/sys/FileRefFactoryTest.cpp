#include "lib/tnw/sys/FileRefFactory.h"

#include "support/ErrorMessages.h"
#include "support/ScratchFolder.h"
#include "support/posix/EnvVar.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;
using test_support::EnvVar;
using test_support::LogRecorder;
using test_support::ScratchFolder;
using test_support::take_error_messages;
using tnw::sys::FileRefFactory;
using tnw::sys::FileRefSPtr;
using Strings = std::vector<std::string>;

// The path of a reference, or "" for an empty one.
std::string path_of(const FileRefSPtr& ref)
{
    return ref.get() == nullptr ? std::string() : ref->to_utf8_path();
}

TEST(FileRefFactory, PathsAndFileUrlsNameTheObjectTheLinksLeadTo)
{
    ScratchFolder scratch;
    const std::string base = fs::canonical(scratch.path()).string();
    ScratchFolder::write(scratch.file("a b%.txt"), "x");
    fs::create_directory(scratch.file("dir"));
    fs::create_symlink(scratch.file("dir"), scratch.file("link"));
    const struct
    {
        std::string path;
        std::string expected;
    } paths[] = {
        {scratch.file("a b%.txt"), base + "/a b%.txt"},
        {scratch.file("link"), base + "/dir"},
        {scratch.file("link/../dir/"), base + "/dir"},
        {"/", "/"},
    };
    for (const auto& c : paths) {
        EXPECT_EQ(path_of(FileRefFactory::from_utf8_path(c.path)), c.expected) << c.path;
    }
    const struct
    {
        std::string url;
        std::string expected;
        bool logged; // a URL that does not parse
    } urls[] = {
        {"file://" + base + "/a%20b%25.txt", base + "/a b%.txt", false},
        {"FILE://LocalHost" + base + "/link?q#f", base + "/dir", false},
        {"file:" + base + "/%64ir", base + "/dir", false},
        {"file://" + base + "/missing", "", false},
        {"http://" + base + "/dir", "", true},
        {"file://server" + base + "/dir", "", true},
        {"file://" + base + "/di%2", "", true},
        {"file://" + base + "/di%zz", "", true},
        {"file://" + base + "/dir%00x", "", true},
        {"file:dir", "", true},
        {"", "", true},
    };
    LogRecorder log;
    for (const auto& c : urls) {
        EXPECT_EQ(path_of(FileRefFactory::from_file_url(c.url)), c.expected) << c.url;
        EXPECT_EQ(take_error_messages(log),
                  c.logged ? Strings(1, "CFURLCreateWithBytes failed path " + c.url) : Strings())
            << c.url;
    }
    EXPECT_EQ(FileRefFactory::from_utf8_path(scratch.file("missing")).get(), nullptr);
    EXPECT_EQ(take_error_messages(log),
              Strings(1, "FSPathMakeRef failed with error 2 for path " + scratch.file("missing")));
}

TEST(FileRefFactory, SpecialFoldersFollowTheEnvironmentAndAreMade)
{
    ScratchFolder scratch;
    const std::string base = fs::canonical(scratch.path()).string();
    fs::create_directory(base + "/tmp");
    // The folders below HOME are made, never HOME itself.
    fs::create_directory(base + "/home");
    EnvVar home("HOME", (base + "/home").c_str());
    EnvVar state("XDG_STATE_HOME", nullptr);
    EnvVar config("XDG_CONFIG_HOME", (base + "/config").c_str());
    EnvVar cache("XDG_CACHE_HOME", nullptr);
    EnvVar tmp("TMPDIR", (base + "/tmp").c_str());
    EnvVar config_dirs("XDG_CONFIG_DIRS", ("relative:" + base + "/etc:/etc/xdg").c_str());
    EnvVar data_dirs("XDG_DATA_DIRS", (base + "/share").c_str());
    const std::pair<FileRefFactory::Path, std::string> cases[] = {
        {FileRefFactory::Path_SYSTEM_ROOT, "/"},
        {FileRefFactory::Path_WORKING_DIR, fs::canonical(fs::current_path()).string()},
        {FileRefFactory::Path_USER_DOCUMENTS, base + "/home/Documents"},
        {FileRefFactory::Path_USER_DESKTOP, base + "/home/Desktop"},
        {FileRefFactory::Path_USER_LOG, base + "/home/.local/state"},
        {FileRefFactory::Path_USER_PREFERENCES, base + "/config"},
        {FileRefFactory::Path_USER_CACHE, base + "/home/.cache"},
        {FileRefFactory::Path_FONTS, base + "/share/fonts"},
        {FileRefFactory::Path_COMMON_PREFERENCES, base + "/etc"},
    };
    LogRecorder log;
    for (const auto& [path, expected] : cases) {
        EXPECT_EQ(path_of(FileRefFactory::get_path(path)), expected) << path;
        EXPECT_TRUE(fs::is_directory(expected)) << expected;
    }
    EXPECT_EQ(path_of(FileRefFactory::get_temporary()), base + "/tmp");
    EXPECT_EQ(FileRefFactory::get_path(FileRefFactory::Path_CUR_APPLICATION)->get_name(),
              "test_tnw");
    EXPECT_EQ(FileRefFactory::get_path(FileRefFactory::Path(10)).get(), nullptr);
    EXPECT_TRUE(take_error_messages(log).empty());

    // 'apps' = 0x61707073, 'asup' = 0x61737570, 'sdat' = 0x73646174 in the local domain.
    EXPECT_EQ(FileRefFactory::get_applications().get(), nullptr);
    EXPECT_EQ(FileRefFactory::get_shared_app_data().get(), nullptr);
    EXPECT_EQ(FileRefFactory::get_shared_user_datas().get(), nullptr);
    EXPECT_EQ(FileRefFactory::from_folder_type(FileRefFactory::DOMAIN_USER, 0x726f6f74).get(),
              nullptr);
    EnvVar no_home("HOME", nullptr);
    EXPECT_EQ(FileRefFactory::get_user_documents().get(), nullptr);
    ScratchFolder::write(base + "/tmp/file", "");
    EnvVar file_tmp("XDG_CACHE_HOME", (base + "/tmp/file/cache").c_str());
    EXPECT_EQ(FileRefFactory::get_user_cache().get(), nullptr);
    EnvVar missing_tmp("TMPDIR", (base + "/missing").c_str());
    EXPECT_EQ(FileRefFactory::get_temporary().get(), nullptr);
    EXPECT_EQ(take_error_messages(log),
              (Strings{"FSFindFolder (-32765 - 1634758771) failed with error 2",
                       "FSFindFolder (-32765 - 1634956656) failed with error 2",
                       "FSFindFolder (-32765 - 1935958388) failed with error 2",
                       "FSFindFolder (-32763 - 1919905652) failed with error 2",
                       "FSFindFolder (-32763 - 1685021555) failed with error 2",
                       "FSFindFolder (-32763 - 1667326824) failed with error 20",
                       "FSFindFolder (-32763 - 1952804208) failed with error 2"}));
}

} // namespace
