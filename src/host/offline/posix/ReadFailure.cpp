#include "host/offline/posix/ReadFailure.h"

#include "lib/tnw/sys/posix/ErrorText.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace host::offline::posix {

std::string find_read_failure(const std::string& path)
{
    // Non-blocking: a named pipe without a writer is told at once.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        // Read, not made: a missing entry on the way is a missing file.
        return errno == ENOENT ? "no such file" : tnw::sys::posix::describe_error(errno);
    }
    struct stat status
    {
    };
    const int error = ::fstat(fd, &status) == 0 ? 0 : errno;
    (void)::close(fd);
    if (error != 0) {
        return tnw::sys::posix::describe_error(error);
    }
    if (S_ISDIR(status.st_mode)) {
        return tnw::sys::posix::describe_error(EISDIR);
    }
    return S_ISREG(status.st_mode) ? std::string() : "not a regular file";
}

} // namespace host::offline::posix
