#pragma once

#include <string>

namespace sys::posix {

// Any thread; blocks until the lock is granted, may allocate. An exclusive advisory lock
// (flock) on the file at a path, created empty when missing, held for the object's
// lifetime. Processes and threads that take the lock on the same file run one at a
// time, each holding its own object; the lock ends with the object (or the process).
class FileLock
{
public:
    explicit FileLock(const std::string& path);
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock();

    // False when the file could not be opened or locked; nothing is then held.
    [[nodiscard]] bool is_locked() const noexcept { return _fd >= 0; }

private:
    int _fd = -1;
};

} // namespace sys::posix
