#include "lib/sys/posix/FileLock.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace sys::posix {

namespace {

// Permissions of a new lock file (before the umask): like any preference file.
constexpr mode_t LOCK_FILE_MODE = 0644;

} // namespace

FileLock::FileLock(const std::string& path)
{
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOCTTY, LOCK_FILE_MODE);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return;
    }
    int rc = -1;
    do {
        rc = ::flock(fd, LOCK_EX);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        static_cast<void>(::close(fd));
        return;
    }
    _fd = fd;
}

FileLock::~FileLock()
{
    if (_fd >= 0) {
        // Closing the only descriptor of the open file releases its lock.
        static_cast<void>(::close(_fd));
    }
}

} // namespace sys::posix
