#include "lib/basic/AtomicFileWriter.h"

#include "support/ScratchFolder.h"
#include "support/posix/FileSizeLimit.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

using basic::AtomicFileWriter;
using test_support::ScratchFolder;

TEST(AtomicFileWriter, ReplacesTheFileWithExactlyTheBytes)
{
    ScratchFolder folder;
    const std::string path = folder.file("f.bin");
    ScratchFolder::write(path, "a much longer previous content");
    const std::string bytes("x\0y\n", 4);
    EXPECT_EQ(AtomicFileWriter::write_file(path, bytes), AtomicFileWriter::Result::OK);
    EXPECT_EQ(ScratchFolder::read(path), bytes);
    EXPECT_EQ(AtomicFileWriter::write_file(path, ""), AtomicFileWriter::Result::OK);
    EXPECT_EQ(ScratchFolder::read(path), "");
    EXPECT_EQ(folder.count_entries(), 1);
}

TEST(AtomicFileWriter, PreviousFileStaysUntilCommitAndWhenDiscarded)
{
    ScratchFolder folder;
    const std::string path = folder.file("f.txt");
    ScratchFolder::write(path, "old");
    {
        AtomicFileWriter writer(path);
        ASSERT_EQ(writer.open(), AtomicFileWriter::Result::OK);
        ASSERT_EQ(writer.write("new", 3), AtomicFileWriter::Result::OK);
        EXPECT_EQ(ScratchFolder::read(path), "old");
        EXPECT_EQ(folder.count_entries(), 2); // the temporary file sits beside the target
    }
    EXPECT_EQ(ScratchFolder::read(path), "old");
    EXPECT_EQ(folder.count_entries(), 1);

    AtomicFileWriter writer(path);
    ASSERT_EQ(writer.open(), AtomicFileWriter::Result::OK);
    ASSERT_EQ(writer.write("ne", 2), AtomicFileWriter::Result::OK);
    ASSERT_EQ(writer.write("w", 1), AtomicFileWriter::Result::OK);
    EXPECT_EQ(writer.commit(), AtomicFileWriter::Result::OK);
    EXPECT_EQ(ScratchFolder::read(path), "new");
    EXPECT_EQ(folder.count_entries(), 1);
}

TEST(AtomicFileWriter, FailuresLeaveNothingBehind)
{
    ScratchFolder folder;
    EXPECT_EQ(AtomicFileWriter::write_file(folder.file("no/such/folder/f"), "x"),
              AtomicFileWriter::Result::OPEN_FAILED);
    // A folder in place of the file is refused before anything is written.
    std::filesystem::create_directories(folder.file("target/inner"));
    EXPECT_EQ(AtomicFileWriter::write_file(folder.file("target"), "x"),
              AtomicFileWriter::Result::OPEN_FAILED);
    EXPECT_EQ(folder.count_entries(), 1);
    EXPECT_TRUE(std::filesystem::is_directory(folder.file("target/inner")));

    AtomicFileWriter unopened(folder.file("f"));
    EXPECT_EQ(unopened.write("x", 1), AtomicFileWriter::Result::WRITE_FAILED);
    EXPECT_EQ(unopened.commit(), AtomicFileWriter::Result::WRITE_FAILED);
    EXPECT_EQ(folder.count_entries(), 1);
}

// A full disk may only show when the buffered bytes are flushed (a short text) or while
// writing (a long one); either way the previous file stays and no temporary file is left.
TEST(AtomicFileWriter, FullDiskFailsAndKeepsThePreviousFile)
{
    ScratchFolder folder;
    const std::string path = folder.file("f.txt");
    ScratchFolder::write(path, "old");
    for (const std::size_t size : {std::size_t(13), std::size_t(1) << 20}) {
        const std::string bytes(size, 'x');
        test_support::FileSizeLimit limit(4);
        ASSERT_TRUE(limit.is_active());
        EXPECT_EQ(AtomicFileWriter::write_file(path, bytes), AtomicFileWriter::Result::WRITE_FAILED)
            << size;
    }
    EXPECT_EQ(ScratchFolder::read(path), "old");
    EXPECT_EQ(folder.count_entries(), 1);
}

// The file is replaced as if it had been written in place: its permissions stay, and through
// a symbolic link the file it points at is replaced while the link stays a link.
TEST(AtomicFileWriter, ReplacementKeepsPermissionsAndLinks)
{
    namespace fs = std::filesystem;
    ScratchFolder folder;
    const std::string path = folder.file("f.txt");
    ScratchFolder::write(path, "old");
    const fs::perms owner_only = fs::perms::owner_read | fs::perms::owner_write;
    fs::permissions(path, owner_only);
    ASSERT_EQ(AtomicFileWriter::write_file(path, "new"), AtomicFileWriter::Result::OK);
    EXPECT_EQ(ScratchFolder::read(path), "new");
    EXPECT_EQ(fs::status(path).permissions(), owner_only);

    const std::string link = folder.file("link.txt");
    fs::create_symlink(path, link);
    ASSERT_EQ(AtomicFileWriter::write_file(link, "newer"), AtomicFileWriter::Result::OK);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ScratchFolder::read(path), "newer");
    EXPECT_EQ(folder.count_entries(), 2);
}

TEST(AtomicFileWriter, ReadOnlyFileIsRefusedAndKept)
{
    namespace fs = std::filesystem;
    ScratchFolder folder;
    const std::string path = folder.file("f.txt");
    ScratchFolder::write(path, "old");
    fs::permissions(path, fs::perms::owner_read);
    if (std::FILE* f = std::fopen(path.c_str(), "r+b"); f != nullptr) {
        static_cast<void>(std::fclose(f));
        GTEST_SKIP() << "this process may write read-only files";
    }
    EXPECT_EQ(AtomicFileWriter::write_file(path, "new"), AtomicFileWriter::Result::OPEN_FAILED);
    EXPECT_EQ(ScratchFolder::read(path), "old");
    EXPECT_EQ(folder.count_entries(), 1);
}

} // namespace
