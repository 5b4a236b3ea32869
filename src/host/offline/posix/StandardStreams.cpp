#include "host/offline/posix/StandardStreams.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace host::offline::posix {

namespace {

constexpr const char* NULL_DEVICE_0 = "/dev/null";

// True when `fd` was closed; the null device is then opened on it with `flags`.
bool fill_if_closed(int fd, int flags) noexcept
{
    if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF) {
        return false;
    }
    // The lowest free number is taken: `fd` itself when the ones below it are
    // open, as they are once filled in order.
    const int null_fd = ::open(NULL_DEVICE_0, flags | O_NOCTTY);
    if (null_fd >= 0 && null_fd != fd) {
        (void)::dup2(null_fd, fd);
        (void)::close(null_fd);
    }
    return true;
}

} // namespace

ClosedStreams fill_closed_streams() noexcept
{
    ClosedStreams closed;
    closed.input = fill_if_closed(STDIN_FILENO, O_RDONLY);
    closed.output = fill_if_closed(STDOUT_FILENO, O_WRONLY);
    (void)fill_if_closed(STDERR_FILENO, O_WRONLY);
    return closed;
}

} // namespace host::offline::posix
