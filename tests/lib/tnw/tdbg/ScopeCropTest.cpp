#include "lib/tnw/tdbg/ScopeCrop.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The crop ends after the marker as found from the project's source root,
// wherever the checkout lies; a marker above the root still crops there.
TEST(ScopeCrop, FoundFromTheSourceRootWhereverTheCheckoutLies)
{
    constexpr const char* OWN_FILE = "src/lib/tnw/tdbg/LogMgr.cpp";
    const struct
    {
        std::string root; // the checkout, with its trailing '/'
        const char* marker;
        long expected;
    } cases[] = {
        {"/home/u/morvanel/", "/src/", long(std::string("/home/u/morvanel/src/").size())},
        {"/home/u/src/morvanel/", "/src/", long(std::string("/home/u/src/morvanel/src/").size())},
        {"/src/src/", "/src/", long(std::string("/src/src/src/").size())},
        {"/home/u/src/morvanel/", "lib/tnw/",
         long(std::string("/home/u/src/morvanel/src/lib/tnw/").size())},
        {"/home/u/src/morvanel/", "morvanel/", long(std::string("/home/u/src/morvanel/").size())},
        {"/home/u/src/morvanel/", "/home/u/", long(std::string("/home/u/").size())},
        {"/home/u/src/morvanel/", "no-such-marker/", -1},
        {"/home/u/src/morvanel/", "", 0},
        {"", "src/", 4},
        {"", "/src/", -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(tnw::tdbg::find_scope_crop(c.root + OWN_FILE, OWN_FILE, c.marker), c.expected)
            << c.root << " " << c.marker;
    }
    // A path that does not end in the file's own (a build that rewrote it) is
    // searched whole.
    EXPECT_EQ(tnw::tdbg::find_scope_crop("/x/src/LogMgr.cpp", OWN_FILE, "/src/"), 7);
}

} // namespace
