#pragma once

#include "lib/tnw/sys/posix/RawFile.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace basic {

// One thread per instance; instances writing different files may run concurrently.
// Replaces a file as a whole or not at all where it can: the bytes go to a new temporary file
// in the target's folder, which is written, closed and then renamed over the target; any
// failure removes the temporary file and leaves the previous target untouched. The temporary
// file is never more open than the target (a new target's stays owner-only until the rename)
// and the new file gets the target's permissions, owner and group.
// The target is written in place instead (emptied, then written; a failure can leave it
// partly written) where replacing it would differ from writing it: a pipe or device, a file
// with other hard links, a file whose owner or group this process cannot give the new one;
// and where the folder takes no temporary file (read-only folder, path too long) but the
// target can be written.
// A symbolic link is followed, also when it leads to nothing yet: the file it points at is
// written and the link stays; a loop of links is refused. A target that could not be written
// in place (a folder, a read-only file) is refused at open().
// Lifecycle: open(), any number of write(), then commit(); an instance that is destroyed or
// discarded before commit() removes its temporary file. A target written in place is emptied
// at open(): a caller forms its whole content (and every reason to refuse it) first.
class AtomicFileWriter
{
public:
    enum class Result
    {
        OK,
        OPEN_FAILED,  // the target cannot be written or the temporary file not be created
        WRITE_FAILED, // writing, closing or renaming failed
    };

    explicit AtomicFileWriter(const std::string& target_path);
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;
    ~AtomicFileWriter();

    [[nodiscard]] Result open();
    // After a failure every later write() and commit() fails too.
    [[nodiscard]] Result write(const void* data, std::size_t size);
    [[nodiscard]] Result commit();
    void discard() noexcept;

    // The whole job for bytes held in memory.
    [[nodiscard]] static Result write_file(const std::string& target_path, std::string_view bytes);

private:
    using RawFile = tnw::sys::posix::RawFile;

    // Follows symbolic links to the path the bytes go to; false for a loop.
    [[nodiscard]] bool resolve_target();
    [[nodiscard]] RawFile::CreateResult create_temp(unsigned mode);
    [[nodiscard]] Result open_in_place();

    std::filesystem::path _target;
    std::filesystem::path _temp;
    RawFile _file;
    bool _in_place = false;
    bool _failed = false;
    // Mode bits given to the temporary file before the rename.
    unsigned _final_mode = 0;
};

} // namespace basic
