#include "lib/tnw/sys/posix/RegularFile.h"

#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <sys/stat.h>

namespace {

using test_support::ScratchFolder;
using tnw::sys::posix::ReadFileResult;
using tnw::sys::posix::read_regular_file;

TEST(RegularFile, ReadsOnlyRegularFilesUpToTheLimit)
{
    constexpr std::size_t LIMIT = 40000; // more than one read call
    ScratchFolder folder;
    std::string at_limit(LIMIT, 'a');
    at_limit[LIMIT - 1] = 'z';
    ScratchFolder::write(folder.file("at_limit"), at_limit);
    ScratchFolder::write(folder.file("beyond"), at_limit + "!");
    ScratchFolder::write(folder.file("empty"), "");
    ASSERT_EQ(::mkfifo(folder.file("pipe").c_str(), 0600), 0);
    const struct
    {
        std::string path;
        ReadFileResult result;
        std::string bytes;
    } cases[] = {
        {folder.file("at_limit"), ReadFileResult::OK, at_limit},
        {folder.file("empty"), ReadFileResult::OK, ""},
        {folder.file("beyond"), ReadFileResult::TOO_LARGE, ""},
        {folder.file("missing"), ReadFileResult::MISSING, ""},
        {folder.file("at_limit/below"), ReadFileResult::MISSING, ""},
        {folder.path().string(), ReadFileResult::NOT_REGULAR, ""},
        {folder.file("pipe"), ReadFileResult::NOT_REGULAR, ""},
        {"/dev/zero", ReadFileResult::NOT_REGULAR, ""},
    };
    for (const auto& c : cases) {
        std::string bytes = "stale";
        EXPECT_EQ(read_regular_file(c.path, LIMIT, bytes), c.result) << c.path;
        EXPECT_EQ(bytes, c.bytes) << c.path;
    }
}

} // namespace
