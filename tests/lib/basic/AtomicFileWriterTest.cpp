#include "lib/basic/AtomicFileWriter.h"

#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

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
    // The rename cannot replace a folder that has something in it.
    std::filesystem::create_directories(folder.file("target/inner"));
    EXPECT_EQ(AtomicFileWriter::write_file(folder.file("target"), "x"),
              AtomicFileWriter::Result::WRITE_FAILED);
    EXPECT_EQ(folder.count_entries(), 1);
    EXPECT_TRUE(std::filesystem::is_directory(folder.file("target/inner")));

    AtomicFileWriter unopened(folder.file("f"));
    EXPECT_EQ(unopened.write("x", 1), AtomicFileWriter::Result::WRITE_FAILED);
    EXPECT_EQ(unopened.commit(), AtomicFileWriter::Result::WRITE_FAILED);
    EXPECT_EQ(folder.count_entries(), 1);
}

} // namespace
