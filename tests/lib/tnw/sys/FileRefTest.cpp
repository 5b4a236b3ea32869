#include "lib/tnw/sys/FileRef.h"

#include "lib/tnw/sys/FileRefFactory.h"
#include "lib/tnw/sys/FileRefOp.h"
#include "lib/tnw/util/FileDescriptor.h"
#include "support/ErrorMessages.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <list>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using test_support::LogRecorder;
using test_support::ScratchFolder;
using test_support::take_error_messages;
using tnw::sys::FileRef;
using tnw::sys::FileRefFactory;
using tnw::sys::FileRefSPtr;
using Strings = std::vector<std::string>;

// 100-ns ticks since 1601: 369 years of 365 days and 89 leap days before 1970.
long long ticks_of(long long sec, long long nsec)
{
    constexpr long long SECONDS_1601_TO_1970 = (369LL * 365 + 89) * 86400;
    return (sec + SECONDS_1601_TO_1970) * 10'000'000 + nsec / 100;
}

std::vector<unsigned char> bytes_of(const std::string& text)
{
    return {text.begin(), text.end()};
}

// The entry of dir named name, as a listing gives it.
FileRef child_of(const FileRef& dir, const std::string& name)
{
    std::list<FileRef> list;
    tnw::sys::FileRefOp::ls(list, dir);
    for (const FileRef& ref : list) {
        if (ref.get_fs_ref().ends_with("/" + name)) {
            return ref;
        }
    }
    ADD_FAILURE() << name;
    return list.front();
}

class FileRefTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ScratchFolder::write(scratch.file("data.bin"), "12345");
        ScratchFolder::write(scratch.file(".hidden"), "");
        ScratchFolder::write(scratch.file("locked"), "abc");
        fs::permissions(scratch.file("locked"), fs::perms::owner_read | fs::perms::group_read);
        fs::create_directory(scratch.file("sub"));
        fs::create_symlink("data.bin", scratch.file("link"));
        root = FileRefFactory::from_utf8_path(scratch.path().string());
        ASSERT_NE(root.get(), nullptr);
    }

    ScratchFolder scratch;
    FileRefSPtr root;
};

TEST_F(FileRefTest, DescriptionFollowsLstat)
{
    for (const char* name : {"data.bin", ".hidden", "locked", "sub", "link"}) {
        const FileRef ref = child_of(*root, name);
        struct stat st
        {
        };
        ASSERT_EQ(::lstat(scratch.file(name).c_str(), &st), 0);
        const tnw::util::FileDescriptor& info = ref.get_info();
        const bool dir = S_ISDIR(st.st_mode);
        EXPECT_EQ(info.get_name(), name);
        EXPECT_EQ(info.get_length(), dir ? 0 : st.st_size) << name;
        EXPECT_EQ(info.is_directory(), dir) << name;
        EXPECT_EQ(info.is_read_only(), (st.st_mode & S_IWUSR) == 0) << name;
        EXPECT_EQ(info.is_hidden(), name[0] == '.') << name;
        EXPECT_FALSE(info.is_system());
        EXPECT_EQ(info.get_modification_date().get(),
                  ticks_of(st.st_mtim.tv_sec, st.st_mtim.tv_nsec));
        struct statx stx
        {
        };
        ASSERT_EQ(
            ::statx(AT_FDCWD, scratch.file(name).c_str(), AT_SYMLINK_NOFOLLOW, STATX_BTIME, &stx),
            0);
        const long long birth = (stx.stx_mask & STATX_BTIME) != 0
                                    ? ticks_of(stx.stx_btime.tv_sec, stx.stx_btime.tv_nsec)
                                    : -1;
        EXPECT_EQ(info.get_creation_date().get(), birth) << name;
    }
}

TEST_F(FileRefTest, DescriptionIsKeptUntilUpdatedAndSurvivesAFailedUpdate)
{
    LogRecorder log;
    FileRef ref = child_of(*root, "data.bin");
    EXPECT_EQ(ref.get_info().get_length(), 5);
    ScratchFolder::write(scratch.file("data.bin"), "1234567");
    EXPECT_EQ(ref.get_info().get_length(), 5);
    ref.update_info();
    EXPECT_EQ(ref.get_info().get_length(), 7);

    fs::remove(scratch.file("data.bin"));
    ref.update_info();
    EXPECT_EQ(ref.get_name(), "data.bin");
    EXPECT_EQ(ref.get_info().get_length(), 7);
    EXPECT_EQ(take_error_messages(log), Strings(1, "FSGetCatalogInfo failed with error 2"));

    // Never read: an empty description.
    const FileRef gone = child_of(*root, "sub");
    fs::remove(scratch.file("sub"));
    EXPECT_TRUE(gone.get_name().empty() && !gone.is_directory() && !gone.is_hidden() &&
                !gone.is_read_only());
    const tnw::util::FileDescriptor& info = gone.get_info();
    EXPECT_TRUE(info.get_length() == 0 && !info.is_system() &&
                !info.get_creation_date().is_valid() && !info.get_modification_date().is_valid());
    EXPECT_EQ(take_error_messages(log), Strings(1, "FSGetCatalogInfo failed with error 2"));
}

TEST_F(FileRefTest, CopiesAndSelfAssignmentKeepTheObject)
{
    FileRef ref = child_of(*root, "data.bin");
    const FileRef& same = ref;
    ref = same;
    EXPECT_EQ(ref.to_utf8_path(), scratch.file("data.bin"));
    EXPECT_EQ(ref.get_name(), "data.bin");
    FileRef other = child_of(*root, "sub");
    other = ref;
    EXPECT_EQ(other, ref);
    EXPECT_EQ(FileRef(ref).get_info().get_length(), 5);
}

TEST_F(FileRefTest, StoredFormTurnsBackIntoTheSameObject)
{
    LogRecorder log;
    // A link made from its path leads to its target; a listed link stays itself.
    const FileRefSPtr via_link = FileRefFactory::from_utf8_path(scratch.file("link"));
    const FileRef listed_link = child_of(*root, "link");
    const FileRef data = child_of(*root, "data.bin");
    EXPECT_EQ(*via_link, data);
    EXPECT_NE(listed_link, data);
    for (const FileRef* ref : {static_cast<const FileRef*>(root.get()), &data, &listed_link}) {
        std::vector<unsigned char> saved = bytes_of("old");
        ref->save(saved);
        EXPECT_EQ(saved, bytes_of(ref->to_utf8_path()));
        const FileRefSPtr loaded = FileRefFactory::load(saved);
        ASSERT_NE(loaded.get(), nullptr);
        EXPECT_EQ(*loaded, *ref);
        EXPECT_EQ(loaded->is_directory(), ref->is_directory());
        std::vector<unsigned char> data_saved;
        data.save(data_saved);
        EXPECT_EQ(*ref < data, saved < data_saved);
    }
    EXPECT_TRUE(take_error_messages(log).empty());

    const struct
    {
        std::string bytes;
        int error;
    } foreign[] = {
        {"", 22},
        {"data.bin", 22},
        {scratch.file("sub/../data.bin"), 22},
        {scratch.file("sub/"), 22},
        {scratch.file("data.bin") + std::string(1, '\0') + "x", 22},
        {"\xff\xfe\x01", 22},
        {scratch.file("missing"), 2},
    };
    for (const auto& c : foreign) {
        EXPECT_EQ(FileRefFactory::load(bytes_of(c.bytes)).get(), nullptr) << c.bytes;
        EXPECT_EQ(take_error_messages(log),
                  Strings(1, "FSResolveAlias failed with error " + std::to_string(c.error)));
    }

    fs::remove(scratch.file("data.bin"));
    std::vector<unsigned char> saved = bytes_of("old");
    data.save(saved);
    EXPECT_TRUE(saved.empty());
    EXPECT_EQ(take_error_messages(log), Strings(1, "FSNewAliasMinimal failed with error 2"));
}

} // namespace
