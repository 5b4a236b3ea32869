#include "lib/tnw/sys/posix/RegularFile.h"

#include "support/HangGuard.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>

namespace {

using tnw::sys::posix::ReadFileResult;

// Every limit from none to the largest: the file is read whole when it fits, refused with
// nothing kept when it does not. The file is larger than one read call asks for.
TEST(RegularFile, ReadHonoursEveryLimitUpToTheLargest)
{
    const test_support::ScratchFolder folder;
    const std::string path = folder.file("f");
    std::string content;
    for (int i = 0; i < 40000; ++i) {
        content += char('a' + i % 26);
    }
    test_support::ScratchFolder::write(path, content);
    const std::size_t size = content.size();
    const struct
    {
        std::size_t limit;
        ReadFileResult expected;
    } cases[] = {
        {0, ReadFileResult::TOO_LARGE}, {size - 1, ReadFileResult::TOO_LARGE},
        {size, ReadFileResult::OK},     {size + 1, ReadFileResult::OK},
        {SIZE_MAX, ReadFileResult::OK},
    };
    for (const auto& c : cases) {
        const auto read = test_support::run_with_hang_guard([path, limit = c.limit] {
            std::string bytes = "left over";
            const ReadFileResult result = tnw::sys::posix::read_regular_file(path, limit, bytes);
            return std::make_pair(result, bytes);
        });
        ASSERT_TRUE(read.has_value()) << "no return with the limit " << c.limit;
        EXPECT_EQ(read->first, c.expected) << c.limit;
        EXPECT_EQ(read->second, c.expected == ReadFileResult::OK ? content : "") << c.limit;
    }
}

} // namespace
