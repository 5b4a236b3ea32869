#include "lib/tnw/sys/FileRefOp.h"

#include "lib/tnw/sys/FileRefFactory.h"
#include "support/ErrorMessages.h"
#include "support/ScratchFolder.h"
#include "support/posix/FileFacts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <list>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using test_support::LogRecorder;
using test_support::ScratchFolder;
using test_support::take_error_messages;
using tnw::sys::FileRef;
using tnw::sys::FileRefFactory;
using tnw::sys::FileRefOp;
using tnw::sys::FileRefSPtr;
using Strings = std::vector<std::string>;

// top/ holds a.txt, b/ (c.txt, d/), e -> a folder outside top, f.txt.
class FileRefOpTest : public testing::Test
{
protected:
    void SetUp() override
    {
        base = fs::canonical(scratch.path()).string();
        top = base + "/top";
        fs::create_directories(top + "/b/d");
        ScratchFolder::write(top + "/a.txt", "a");
        ScratchFolder::write(top + "/b/c.txt", "c");
        ScratchFolder::write(top + "/f.txt", "f");
        ScratchFolder::write(outside.file("keep.txt"), "keep");
        fs::create_directory_symlink(outside.path(), top + "/e");
        top_ref = FileRefFactory::from_utf8_path(top);
        ASSERT_NE(top_ref.get(), nullptr);
    }

    // The paths of a listing, relative to top.
    [[nodiscard]] Strings names_of(const std::list<FileRef>& list) const
    {
        Strings names;
        for (const FileRef& ref : list) {
            names.push_back(ref.to_utf8_path().substr(top.size() + 1));
        }
        return names;
    }

    [[nodiscard]] FileRef listed(const std::string& rel) const
    {
        std::list<FileRef> list;
        FileRefOp::lsr(list, *top_ref);
        const auto it = std::find_if(list.begin(), list.end(), [&](const FileRef& ref) {
            return ref.to_utf8_path() == top + "/" + rel;
        });
        EXPECT_NE(it, list.end()) << rel;
        return it == list.end() ? *top_ref : *it;
    }

    ScratchFolder scratch;
    ScratchFolder outside;
    std::string base;
    std::string top;
    FileRefSPtr top_ref;
};

TEST_F(FileRefOpTest, ListingsNeverEnterALink)
{
    std::list<FileRef> list;
    FileRefOp::ls(list, *top_ref);
    EXPECT_EQ(names_of(list), (Strings{"a.txt", "b", "e", "f.txt"}));
    list.clear();
    FileRefOp::lsr(list, *top_ref);
    EXPECT_EQ(names_of(list), (Strings{"a.txt", "b", "b/c.txt", "b/d", "e", "f.txt"}));
    list.clear();
    FileRefOp::lsr(list, listed("a.txt"));
    EXPECT_TRUE(list.empty());
}

TEST_F(FileRefOpTest, ListingARefusedFolderWarnsAndGoesOn)
{
    fs::create_directory(top + "/locked");
    fs::permissions(top + "/locked", fs::perms::owner_all);
    const int status = test_support::run_unprivileged([this] {
        LogRecorder log;
        std::list<FileRef> list;
        FileRefOp::lsr(list, *top_ref);
        const auto records = log.get_records();
        const bool warned = records.size() == 1 &&
                            records[0].level == tnw::tdbg::Debugger::WARNING &&
                            records[0].msg == "listing " + top + "/locked : access denied";
        return (warned && names_of(list).size() == 7) ? 0 : 1;
    });
    if (status == -1) {
        GTEST_SKIP() << "needs the superuser to run a process without rights";
    }
    EXPECT_EQ(status, 0);
}

TEST_F(FileRefOpTest, UpClimbsToTheRootAndStopsPastIt)
{
    const FileRefSPtr file = FileRefFactory::from_utf8_path(top + "/b/c.txt");
    const auto levels = int(std::count(top.begin(), top.end(), '/')) + 2;
    const struct
    {
        int n;
        std::string expected;
    } cases[] = {
        {0, top + "/b"}, {1, top + "/b"}, {2, top}, {levels, "/"}, {levels + 1, ""},
    };
    for (const auto& c : cases) {
        const FileRefSPtr up = FileRefOp::up(file, c.n);
        EXPECT_EQ(up.get() == nullptr ? "" : up->to_utf8_path(), c.expected) << c.n;
    }
    EXPECT_EQ(FileRefOp::up(FileRefSPtr()).get(), nullptr);
    fs::remove(top + "/b/c.txt");
    EXPECT_EQ(FileRefOp::up(file).get(), nullptr);
    // A listed link's folder, not its target's.
    EXPECT_EQ(FileRefOp::up(listed("e"))->to_utf8_path(), top);
}

TEST_F(FileRefOpTest, MkdirGivesAFolderOrNothing)
{
    LogRecorder log;
    const FileRefSPtr made = FileRefOp::mkdir(*top_ref, "new");
    ASSERT_NE(made.get(), nullptr);
    EXPECT_TRUE(fs::is_directory(top + "/new"));
    EXPECT_EQ(*FileRefOp::mkdir(*top_ref, "new"), *made);
    EXPECT_EQ(*FileRefOp::enter(*top_ref, "new"), *made);
    EXPECT_TRUE(take_error_messages(log).empty());

    EXPECT_EQ(FileRefOp::mkdir(*top_ref, "a.txt").get(), nullptr);
    EXPECT_EQ(FileRefOp::enter(*top_ref, "none").get(), nullptr);
    EXPECT_EQ(take_error_messages(log),
              (Strings{"FileRefOp::mkdir () - error 17 : folder " + top + "/a.txt",
                       "FSPathMakeRef failed with error 2 for path " + top + "/none"}));
}

TEST_F(FileRefOpTest, MoveAndCopyNeverReplaceNorFollowLinks)
{
    fs::create_directory_symlink(outside.path(), top + "/b/lnk");
    const struct
    {
        bool copy;
        std::string src;
        std::string name;
        int error; // 0: done
    } cases[] = {
        {false, "a.txt", "moved.txt", 0},
        {false, "f.txt", "b", 17},
        {false, "f.txt", "", 22},
        {false, "f.txt", "..", 22},
        {false, "f.txt", "b/f.txt", 22},
        {true, "b", "b2", 0},
        {true, "e", "e2", 0},
        {true, "f.txt", "f2.txt", 0},
        {true, "f.txt", "b", 17},
        {true, "b", "b2", 17},
        {true, "", "top", 22},
    };
    LogRecorder log;
    for (const auto& c : cases) {
        const FileRef src = c.src.empty() ? *top_ref : listed(c.src);
        const FileRef& dst_dir = c.src.empty() ? listed("b") : *top_ref;
        const FileRefSPtr done =
            c.copy ? FileRefOp::cp(src, dst_dir, c.name) : FileRefOp::mv(src, dst_dir, c.name);
        const std::string what = c.src + " -> " + c.name;
        EXPECT_EQ(done.get() != nullptr, c.error == 0) << what;
        if (c.error == 0) {
            EXPECT_EQ(done->to_utf8_path(), top + "/" + c.name) << what;
            EXPECT_EQ(take_error_messages(log), Strings()) << what;
            continue;
        }
        const std::string text = std::string(c.copy ? "FileRefOp::cp" : "FileRefOp::mv") +
                                 " () - FileManager error #" + std::to_string(c.error) +
                                 " : \nsrc: " + src.to_utf8_path() +
                                 "\n dst:  " + dst_dir.to_utf8_path() + "/" + c.name;
        EXPECT_EQ(take_error_messages(log), Strings(1, text)) << what;
    }
    EXPECT_FALSE(fs::exists(top + "/a.txt"));
    EXPECT_EQ(ScratchFolder::read(top + "/moved.txt"), "a");
    EXPECT_EQ(ScratchFolder::read(top + "/f.txt"), "f");
    EXPECT_EQ(ScratchFolder::read(top + "/f2.txt"), "f");
    EXPECT_EQ(ScratchFolder::read(top + "/b2/c.txt"), "c");
    EXPECT_TRUE(fs::is_directory(top + "/b2/d"));
    EXPECT_EQ(fs::read_symlink(top + "/b2/lnk"), outside.path());
    EXPECT_EQ(fs::read_symlink(top + "/e2"), outside.path());
    EXPECT_FALSE(fs::exists(top + "/b/top"));
    EXPECT_EQ(outside.count_entries(), 1);
}

TEST_F(FileRefOpTest, RemovalTakesLinksNotWhatTheyPointAt)
{
    LogRecorder log;
    const FileRef a = listed("a.txt");
    FileRefOp::rm(listed("b"));
    FileRefOp::rm(a);
    FileRefOp::rm(a);
    EXPECT_EQ(take_error_messages(log),
              (Strings{"FileRefOp::rm () - FileManager error 39 : file " + top + "/b",
                       "FileRefOp::rm () - FileManager error 2 : file " + top + "/a.txt"}));
    FileRefOp::rmr(*top_ref);
    EXPECT_TRUE(take_error_messages(log).empty());
    EXPECT_FALSE(fs::exists(top));
    EXPECT_EQ(ScratchFolder::read(outside.file("keep.txt")), "keep");
}

} // namespace
