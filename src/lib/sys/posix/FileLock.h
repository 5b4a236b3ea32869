#pragma once

#include "lib/tnw/sys/posix/RegularFile.h"

#include <string>

namespace sys::posix {

// Any thread; blocks until the lock is granted, may allocate. An exclusive advisory lock
// (flock) on the regular file at a path, created empty when missing, held for the object's
// lifetime. Processes and threads that take the lock on the same file run one at a
// time, each holding its own object; the lock ends with the object (or the process).
// Anything but a regular file at the path (a named pipe, a device, a folder) is refused
// at once, never waited on.
class FileLock
{
public:
    explicit FileLock(const std::string& path);
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock() = default;

    // False when the file could not be opened or locked; nothing is then held.
    [[nodiscard]] bool is_locked() const noexcept { return _file.is_open(); }

private:
    // Closing the only descriptor of the open file releases its lock.
    tnw::sys::posix::RegularFile _file;
};

} // namespace sys::posix
