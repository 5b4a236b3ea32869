#include "lib/basic/AtomicFileWriter.h"

#include "support/ScratchFolder.h"
#include "support/posix/FileFacts.h"
#include "support/posix/FileSizeLimit.h"
#include "support/posix/RoomReservation.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using basic::AtomicFileWriter;
using test_support::ScratchFolder;
namespace fs = std::filesystem;

constexpr auto OK = AtomicFileWriter::Result::OK;
constexpr fs::perms WRITE_ALL =
    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
constexpr fs::perms READ_WRITE_ALL =
    WRITE_ALL | fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;

// Permission bits of the entries of a folder other than the one named keep.
std::vector<fs::perms> other_entry_perms(const fs::path& folder, const fs::path& keep)
{
    std::vector<fs::perms> found;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path() != keep) {
            found.push_back(entry.status().permissions());
        }
    }
    return found;
}

// A path in a new folder inside `folder` that the system takes, but whose temporary file's
// longer path passes the system's path limit.
fs::path make_path_without_room_for_a_temporary_name(const ScratchFolder& folder)
{
    fs::path deep = folder.path();
    while (deep.string().size() < 3900) {
        deep /= std::string(100, 'd');
    }
    fs::create_directories(deep);
    return deep / std::string(4080 - deep.string().size() - 1, 'f');
}

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

// A superuser may write read-only files: there the writer runs in a child without those
// rights. check() finds the refusal first.
TEST(AtomicFileWriter, ReadOnlyFileIsRefusedAndKept)
{
    namespace fs = std::filesystem;
    ScratchFolder folder;
    const std::string path = folder.file("f.txt");
    ScratchFolder::write(path, "old");
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const auto write_new = [&] {
        AtomicFileWriter checker(path);
        std::string reason;
        const bool refused = checker.check() == AtomicFileWriter::Result::OPEN_FAILED &&
                             checker.get_reason() == "permission denied" &&
                             AtomicFileWriter::write_file(path, "new", reason) ==
                                 AtomicFileWriter::Result::OPEN_FAILED &&
                             reason == "permission denied";
        return int(refused);
    };
    const bool unprivileged = test_support::is_superuser();
    if (unprivileged) {
        fs::permissions(folder.path(), fs::perms::all & ~WRITE_ALL);
    }
    EXPECT_EQ(unprivileged ? test_support::run_unprivileged(write_new) : write_new(), 1);
    fs::permissions(folder.path(), fs::perms::owner_all);
    EXPECT_EQ(ScratchFolder::read(path), "old");
    EXPECT_EQ(folder.count_entries(), 1);
}

// Every failure names the system's reason. check() meets the refusals that open() meets and
// changes nothing: no file is left, none emptied, no pipe opened.
TEST(AtomicFileWriter, FailuresNameTheSystemsReasonAndCheckFindsThemUnchanged)
{
    ScratchFolder folder;
    const auto at = [&](const char* name) { return folder.file(name); };
    ScratchFolder::write(at("file"), "old");
    fs::create_hard_link(at("file"), at("hard"));
    fs::create_directory(at("dir"));
    fs::create_symlink("loop", at("loop"));
    constexpr auto OPEN_FAILED = AtomicFileWriter::Result::OPEN_FAILED;
    const struct
    {
        std::string path;
        AtomicFileWriter::Result checked;
        AtomicFileWriter::Result written;
        const char* reason;
    } cases[] = {
        {at("new"), OK, OK, ""},
        {at("hard"), OK, OK, ""},
        {at("none/f"), OPEN_FAILED, OPEN_FAILED, "no such folder"},
        {at("file/f"), OPEN_FAILED, OPEN_FAILED, "not a folder"},
        {at("dir"), OPEN_FAILED, OPEN_FAILED, "is a folder"},
        {at("dir") + "/", OPEN_FAILED, OPEN_FAILED, "is a folder"},
        {at("loop"), OPEN_FAILED, OPEN_FAILED, "too many symbolic links"},
        {"/dev/full", OK, AtomicFileWriter::Result::WRITE_FAILED, "no space left on device"},
    };
    for (const auto& c : cases) {
        AtomicFileWriter checker(c.path);
        EXPECT_EQ(checker.check(), c.checked) << c.path;
        EXPECT_EQ(checker.get_reason(), c.checked == OK ? "" : c.reason) << c.path;
        EXPECT_EQ(folder.count_entries(), 4) << c.path;
        EXPECT_EQ(ScratchFolder::read(at("file")), "old") << c.path;
    }
    for (const auto& c : cases) {
        std::string reason = "before";
        EXPECT_EQ(AtomicFileWriter::write_file(c.path, "new", reason), c.written) << c.path;
        EXPECT_EQ(reason, c.reason) << c.path;
    }
    EXPECT_EQ(ScratchFolder::read(at("new")), "new");
    EXPECT_EQ(ScratchFolder::read(at("file")), "new");
    EXPECT_EQ(folder.count_entries(), 5);
}

// 233 bytes leave room for the temporary file's 22 more; longer names get a shortened one.
TEST(AtomicFileWriter, LongNamesAreStillReplacedAsAWhole)
{
    ScratchFolder folder;
    for (const std::size_t length : {233, 234, 255}) {
        const std::string path = folder.file(std::string(length, 'n'));
        ScratchFolder::write(path, "old");
        AtomicFileWriter writer(path);
        ASSERT_EQ(writer.open(), OK) << length;
        ASSERT_EQ(writer.write("new", 3), OK);
        EXPECT_EQ(ScratchFolder::read(path), "old") << length;
        EXPECT_EQ(writer.commit(), OK);
        EXPECT_EQ(ScratchFolder::read(path), "new") << length;
        EXPECT_EQ(folder.count_entries(), 1);
        fs::remove(path);
    }
}

// Where no temporary file can be made beside a file that can be written, the file is
// written in place. Two such folders: one where the temporary file's longer path passes the
// system's path limit while the file's own does not, and a read-only folder (a superuser may
// create files anywhere, so there the writer runs in a child without those rights).
TEST(AtomicFileWriter, FolderRefusingTheTemporaryFileGetsTheFileWrittenInPlace)
{
    ScratchFolder folder;
    const fs::path read_only = folder.path() / "ro";
    fs::create_directory(read_only);
    const fs::path paths[] = {make_path_without_room_for_a_temporary_name(folder), read_only / "f"};
    for (const auto& path : paths) {
        ScratchFolder::write(path.string(), "old");
        fs::permissions(path, READ_WRITE_ALL);
    }
    fs::permissions(read_only, fs::perms::all & ~WRITE_ALL);
    for (const auto& path : paths) {
        const auto write_new = [&] { return int(AtomicFileWriter::write_file(path, "new")); };
        const bool unprivileged = path.parent_path() == read_only && test_support::is_superuser();
        EXPECT_EQ(unprivileged ? test_support::run_unprivileged(write_new) : write_new(), int(OK))
            << path;
        EXPECT_EQ(ScratchFolder::read(path.string()), "new");
        EXPECT_TRUE(other_entry_perms(path.parent_path(), path).empty());
    }
    fs::permissions(read_only, fs::perms::owner_all);
}

// A link leads to where the bytes go, also when nothing is there yet; a loop leads nowhere.
// A pipe, a device or a file with other names is written in place: replacing it would make
// it a plain file of its own.
TEST(AtomicFileWriter, SpecialTargetsAreWrittenWhereTheyLead)
{
    ScratchFolder folder;
    const auto at = [&](const char* name) { return folder.file(name); };
    const auto holds_new = [&](const char* name) { return ScratchFolder::read(at(name)) == "new"; };
    std::unique_ptr<test_support::FifoReader> fifo;
    const struct
    {
        const char* label;
        std::function<void()> make;
        const char* written;
        AtomicFileWriter::Result result;
        std::function<bool()> holds;
    } cases[] = {
        {"dangling link", [&] { fs::create_symlink("d.txt", at("d")); }, "d", OK,
         [&] { return fs::is_symlink(at("d")) && holds_new("d.txt"); }},
        {"links to a dangling link",
         [&] {
             fs::create_symlink("c.txt", at("c1"));
             fs::create_symlink(at("c1"), at("c2"));
         },
         "c2", OK,
         [&] {
             return fs::is_symlink(at("c1")) && fs::is_symlink(at("c2")) && holds_new("c.txt");
         }},
        {"link loop",
         [&] {
             fs::create_symlink("l2", at("l1"));
             fs::create_symlink("l1", at("l2"));
         },
         "l1", AtomicFileWriter::Result::OPEN_FAILED,
         [&] { return fs::is_symlink(at("l1")) && fs::is_symlink(at("l2")); }},
        {"link to itself", [&] { fs::create_symlink("s", at("s")); }, "s",
         AtomicFileWriter::Result::OPEN_FAILED, [&] { return fs::is_symlink(at("s")); }},
        {"file with another name",
         [&] {
             ScratchFolder::write(at("h1"), "old");
             fs::create_hard_link(at("h1"), at("h2"));
         },
         "h1", OK, [&] { return fs::hard_link_count(at("h1")) == 2 && holds_new("h2"); }},
        {"named pipe", [&] { fifo = std::make_unique<test_support::FifoReader>(at("p")); }, "p", OK,
         [&] { return fifo->is_open() && fs::is_fifo(at("p")) && fifo->read_all() == "new"; }},
        // The descriptor's link reads as "pipe:[N]", a name that is nowhere.
        {"link to a descriptor of an unnamed pipe",
         [&] {
             fifo = std::make_unique<test_support::FifoReader>();
             fs::create_symlink(fifo->writer_path(), at("fd"));
         },
         "fd", OK, [&] { return fifo->read_all() == "new" && fs::is_symlink(at("fd")); }},
    };
    for (const auto& c : cases) {
        c.make();
        EXPECT_EQ(AtomicFileWriter::write_file(at(c.written), "new"), c.result) << c.label;
        EXPECT_TRUE(c.holds()) << c.label;
    }
    EXPECT_EQ(folder.count_entries(), 12); // nothing but what the cases made
}

// A file written in place gets room for its new bytes before any of them is written. It keeps
// its bytes where it gets none (a full disk), and where its new size passes the file-size
// limit, however long it is already; a file system that reserves no room gets it emptied and
// written. Each save runs in a child process, where the kernel's answer to a reservation and
// the limit are set.
TEST(AtomicFileWriter, FileWrittenInPlaceIsWholeOrUnchanged)
{
    constexpr std::size_t NEW_SIZE = 8192;
    constexpr rlim_t NONE = RLIM_INFINITY;
    const struct
    {
        const char* what;
        std::size_t old_size;
        rlim_t limit;
        int reservation; // the kernel's answer to one, 0 for its own
        std::string outcome; // "saved", or the reason of a refusal
    } cases[] = {
        {"shorter, past the limit", 100, 4096, 0, "file too large"},
        {"as long, past the limit", NEW_SIZE, 4096, 0, "file too large"},
        {"longer, past the limit", 3 * NEW_SIZE, 4096, 0, "file too large"},
        {"full disk", 100, NONE, ENOSPC, "no space left on device"},
        {"reservation failing otherwise", 100, NONE, EIO, "input/output error"},
        {"file system without reservation", 3 * NEW_SIZE, NONE, EOPNOTSUPP, "saved"},
        {"without reservation, past the limit", 3 * NEW_SIZE, 4096, EOPNOTSUPP, "file too large"},
        {"longer, room reserved", 3 * NEW_SIZE, NONE, 0, "saved"},
        {"shorter, room reserved", 100, NONE, 0, "saved"},
    };
    ScratchFolder folder;
    const std::string linked = folder.file("linked");
    ScratchFolder::write(linked, "");
    fs::create_hard_link(linked, folder.file("other name"));
    const fs::path deep = make_path_without_room_for_a_temporary_name(folder);
    std::string new_bytes(NEW_SIZE, 'n');
    new_bytes.front() = 'N';
    for (const auto& c : cases) {
        // Bytes that are no zeros, so that a block written over shows.
        const std::string old_bytes(c.old_size, 'o');
        for (const fs::path& path : {fs::path(linked), deep}) {
            ScratchFolder::write(path.string(), old_bytes);
            const std::optional<std::string> outcome = test_support::run_in_child([&] {
                if (c.reservation != 0 &&
                    !test_support::answer_room_reservations_with(c.reservation)) {
                    return std::string("no reservation filter");
                }
                const test_support::FileSizeLimit limit(c.limit);
                if (c.limit != NONE && !limit.is_active()) {
                    return std::string("no file-size limit");
                }
                std::string reason;
                return AtomicFileWriter::write_file(path, new_bytes, reason) == OK
                           ? std::string("saved")
                           : reason;
            });
            EXPECT_EQ(outcome.value_or("no child"), c.outcome) << c.what << ", " << path;
            const bool saved = c.outcome == "saved";
            EXPECT_TRUE(ScratchFolder::read(path.string()) == (saved ? new_bytes : old_bytes))
                << c.what << ", " << path;
        }
    }
    // Written in place, and nothing else left.
    EXPECT_TRUE(ScratchFolder::read(folder.file("other name")) == new_bytes);
    EXPECT_EQ(folder.count_entries(), 3);
    EXPECT_EQ(std::distance(fs::directory_iterator(deep.parent_path()), fs::directory_iterator()),
              1);
}

// Where the writer may give the new file the old one's owner and group it does; where it may
// not (an ordinary user writing another's file), it writes in place, which keeps them.
TEST(AtomicFileWriter, OwnerAndGroupStay)
{
    if (!test_support::is_superuser()) {
        GTEST_SKIP() << "only a superuser can make a file of another owner";
    }
    const test_support::FileOwner other{4242, 4343};
    for (const bool unprivileged : {false, true}) {
        ScratchFolder folder;
        fs::permissions(folder.path(), fs::perms::all); // anyone may make a temporary file here
        const std::string path = folder.file("f.txt");
        ScratchFolder::write(path, "old");
        fs::permissions(path, READ_WRITE_ALL);
        ASSERT_TRUE(test_support::give_file(path, other));
        const auto write_new = [&] { return int(AtomicFileWriter::write_file(path, "new")); };
        EXPECT_EQ(unprivileged ? test_support::run_unprivileged(write_new) : write_new(), int(OK))
            << unprivileged;
        EXPECT_EQ(ScratchFolder::read(path), "new");
        EXPECT_EQ(test_support::owner_of(path), other);
        EXPECT_EQ(fs::status(path).permissions(), READ_WRITE_ALL);
        EXPECT_EQ(folder.count_entries(), 1);
    }
}

// The temporary file holds the new bytes before the rename: it is never more open than the
// file it replaces, and a new file stays private until it gets the permissions any new file
// of this process gets (those of a file made by the standard library beside it).
TEST(AtomicFileWriter, TemporaryFileIsNoMoreOpenThanItsTarget)
{
    const fs::perms private_perms = fs::perms::owner_read | fs::perms::owner_write;
    for (const bool exists : {true, false}) {
        ScratchFolder folder;
        const fs::path path = folder.path() / "f";
        if (exists) {
            ScratchFolder::write(path.string(), "old");
            fs::permissions(path, private_perms);
        }
        AtomicFileWriter writer(path.string());
        ASSERT_EQ(writer.open(), OK) << exists;
        ASSERT_EQ(writer.write("secret", 6), OK);
        EXPECT_EQ(other_entry_perms(folder.path(), path), std::vector<fs::perms>{private_perms})
            << exists;
        ASSERT_EQ(writer.commit(), OK);
        const fs::path reference = folder.path() / "ref";
        ScratchFolder::write(reference.string(), "");
        EXPECT_EQ(fs::status(path).permissions(),
                  exists ? private_perms : fs::status(reference).permissions())
            << exists;
    }
}

} // namespace
