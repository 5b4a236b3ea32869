#pragma once

#include "lib/tnw/sys/posix/RawFile.h"
#include "lib/tnw/sys/posix/SignalHold.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace basic {

// One thread per instance; instances writing different files may run concurrently.
// Replaces a file as a whole or not at all where it can: the bytes go to a new temporary file
// in the target's folder, which is written, closed and then renamed over the target; any
// failure removes the temporary file and leaves the previous target untouched. The temporary
// file is never more open than the target (a new target's stays owner-only until the rename)
// and the new file gets the target's permissions, owner and group.
// The target is written in place instead where replacing it would differ from writing it: a
// pipe or device, a file with other hard links, a file whose owner or group this process
// cannot give the new one; and where the folder takes no temporary file (read-only folder,
// path too long) but the target can be written. Opened with the size to come, such a file
// keeps its bytes until room for the new ones is reserved, and is refused unchanged where
// there is none (a full disk) or where the size passes the process's file-size limit; it is
// then written over and cut to its new length. Opened without a size, or on a file system
// that reserves no room, it is emptied, then written, and a failure can leave it partly
// written. From open() until a plain file written in place is closed (commit(), discard())
// SIGINT, SIGTERM and SIGHUP wait on the writer's thread, so that one ending the process
// finds the file whole; they act once it is closed. A pipe or device is not held so: its
// reader may never take the bytes.
// A symbolic link is followed, also when it leads to nothing yet: the file it points at is
// written and the link stays; a loop of links is refused. A link to a pipe, device or socket
// (a descriptor's link such as /dev/stdout) is written through as it stands. A target that
// could not be written in place (a folder, a read-only file) is refused at open().
// Every failure keeps the system's reason, in a few words, for get_reason().
// Lifecycle: open(), any number of write(), then commit(); an instance that is destroyed or
// discarded before commit() removes its temporary file; check() may come first, apart. A
// target written in place changes from open() on: a caller forms its whole content (and
// every reason to refuse it) first.
class AtomicFileWriter
{
public:
    enum class Result
    {
        OK,
        OPEN_FAILED,  // the target cannot be written (or, in place, get room for its size) or
                      // the temporary file not be created; nothing changed
        WRITE_FAILED, // writing, closing or renaming failed
    };

    // Told the path of a file the writer makes and removes again unless the save ends well
    // (the temporary file), just before it is made, and nullptr once it is gone or renamed
    // over the target: a process that must not leave it behind when a signal ends it keeps
    // the last path. Called on the writer's thread; the text lives until the next call.
    using FileWatch = void (*)(const char* path_0) noexcept;

    explicit AtomicFileWriter(const std::string& target_path);
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;
    ~AtomicFileWriter();

    [[nodiscard]] Result open();
    // open() for `size` bytes to come: a target written in place gets room for them first.
    [[nodiscard]] Result open(std::uint64_t size);
    // What open() would meet, changing nothing that stays: OPEN_FAILED where open() would
    // fail now. The temporary file (or a new target written in place) is made and removed
    // again; an existing target is not emptied, and a pipe, device or socket not opened, as
    // a reader could take its closing for the end.
    [[nodiscard]] Result check();
    // After a failure every later write() and commit() fails too.
    [[nodiscard]] Result write(const void* data, std::size_t size);
    [[nodiscard]] Result commit();
    void discard() noexcept;
    void set_watch(FileWatch watch) noexcept { _watch = watch; }
    // Why the last open(), check(), write() or commit() failed ("no such folder", "permission
    // denied", "no space left on device", ...); empty after a success.
    [[nodiscard]] std::string get_reason() const;

    // The whole job for bytes held in memory; the second form gives the reason of a failure
    // and takes a watch.
    [[nodiscard]] static Result write_file(const std::string& target_path, std::string_view bytes);
    [[nodiscard]] static Result write_file(const std::string& target_path, std::string_view bytes,
                                           std::string& reason, FileWatch watch = nullptr);

private:
    using RawFile = tnw::sys::posix::RawFile;

    // open() and, with `probe`, check(); `size`: of the bytes to come, where known.
    [[nodiscard]] Result prepare(bool probe, std::optional<std::uint64_t> size);
    // Follows symbolic links to the path the bytes go to; false for a loop.
    [[nodiscard]] bool resolve_target();
    [[nodiscard]] RawFile::CreateResult create_temp(unsigned mode);
    // Creates a new file at `path` that the watch is told of.
    [[nodiscard]] RawFile::CreateResult create_watched(const std::filesystem::path& path,
                                                       unsigned mode);
    // Removes such a file.
    void remove_watched(const std::filesystem::path& path) noexcept;
    void tell_watch(const char* path_0) const noexcept
    {
        if (_watch != nullptr) {
            _watch(path_0);
        }
    }
    // `status`: the target's.
    [[nodiscard]] Result open_in_place(bool probe, const tnw::sys::posix::FileStatus& status,
                                       std::optional<std::uint64_t> size);
    // Keeps the system's error number of a failure; `result`.
    [[nodiscard]] Result fail(Result result, int error) noexcept;

    std::filesystem::path _target;
    std::filesystem::path _temp;
    RawFile _file;
    // Held while a file written in place is open.
    tnw::sys::posix::SignalHold _signal_hold;
    bool _in_place = false;
    bool _failed = false;
    // The system's error number of the last failure, 0 after a success.
    int _error = 0;
    // Mode bits given to the temporary file before the rename.
    unsigned _final_mode = 0;
    FileWatch _watch = nullptr;
};

} // namespace basic
