#include "lib/tnw/sys/posix/UserFolder.h"

#include "support/posix/EnvVar.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using test_support::EnvVar;
using tnw::sys::posix::UserFolder;

struct Case
{
    const char* home;
    const char* xdg_state;
    std::string expected;
};

TEST(UserFolder, LogsFolderFollowsXdgStateHomeElseHome)
{
    const Case cases[] = {
        {"/home/u", nullptr, "/home/u/.local/state"},
        {"/home/u/", "", "/home/u/.local/state"},
        {"/home/u", "relative/state", "/home/u/.local/state"},
        {"/home/u", "/var/state//", "/var/state"},
        {nullptr, "/var/state", "/var/state"},
        {nullptr, nullptr, ""},
        {"relative", nullptr, ""},
        {"/", nullptr, "/.local/state"},
    };
    for (const Case& c : cases) {
        EnvVar home("HOME", c.home);
        EnvVar state("XDG_STATE_HOME", c.xdg_state);
        EXPECT_EQ(tnw::sys::posix::find_user_folder(UserFolder::LOGS), c.expected)
            << (c.home ? c.home : "(unset)") << " / " << (c.xdg_state ? c.xdg_state : "(unset)");
    }
}

TEST(UserFolder, EveryFolderHasItsOwnVariableAndFallback)
{
    EnvVar home("HOME", "/h");
    EnvVar config("XDG_CONFIG_HOME", "/c");
    EnvVar cache("XDG_CACHE_HOME", nullptr);
    EXPECT_EQ(tnw::sys::posix::find_user_folder(UserFolder::HOME), "/h");
    EXPECT_EQ(tnw::sys::posix::find_user_folder(UserFolder::PREFERENCES), "/c");
    EXPECT_EQ(tnw::sys::posix::find_user_folder(UserFolder::CACHE), "/h/.cache");
    EXPECT_EQ(tnw::sys::posix::find_user_folder(UserFolder::DOCUMENTS), "/h/Documents");
    EXPECT_EQ(tnw::sys::posix::find_user_folder(UserFolder::DESKTOP), "/h/Desktop");
}

TEST(UserFolder, FirstAbsoluteEntryOfAListVariable)
{
    const struct
    {
        const char* value;
        const char* expected;
    } cases[] = {
        {nullptr, "/etc/xdg"},
        {"", "/etc/xdg"},
        {"rel:/a/b/:/c", "/a/b"},
        {"::/x", "/x"},
        {"rel", "/etc/xdg"},
    };
    for (const auto& c : cases) {
        EnvVar dirs("XDG_CONFIG_DIRS", c.value);
        EXPECT_EQ(tnw::sys::posix::find_first_system_folder("XDG_CONFIG_DIRS", "/etc/xdg"),
                  c.expected);
    }
}

} // namespace
