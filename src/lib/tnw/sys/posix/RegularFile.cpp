#include "lib/tnw/sys/posix/RegularFile.h"

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tnw::sys::posix {

namespace {

// Bytes asked of the system per read call.
constexpr std::size_t READ_CHUNK = 16 * 1024;

// Closes the descriptor when the reading ends, whichever way.
class FdCloser
{
public:
    explicit FdCloser(int fd) noexcept : _fd(fd) {}
    FdCloser(const FdCloser&) = delete;
    FdCloser& operator=(const FdCloser&) = delete;
    ~FdCloser() { static_cast<void>(::close(_fd)); }

private:
    int _fd;
};

// Appends the file's bytes until its end; refuses more than max_bytes. The string grows
// only by what was read, so a small file never costs a large block.
ReadFileResult read_all(int fd, std::size_t max_bytes, std::string& bytes)
{
    char chunk[READ_CHUNK];
    for (;;) {
        // One byte beyond the limit is asked for, so that growth shows.
        const std::size_t want = std::min(READ_CHUNK, max_bytes - bytes.size() + 1);
        const ssize_t got = ::read(fd, chunk, want);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return ReadFileResult::READ_FAILED;
        }
        if (got == 0) {
            return ReadFileResult::OK;
        }
        bytes.append(chunk, std::size_t(got));
        if (bytes.size() > max_bytes) {
            return ReadFileResult::TOO_LARGE;
        }
    }
}

} // namespace

ReadFileResult read_regular_file(const std::string& path, std::size_t max_bytes,
                                 std::string& bytes)
{
    bytes.clear();
    // Non-blocking, so that opening a named pipe with no writer returns at once; the flag
    // changes nothing for a regular file.
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return errno == ENOENT || errno == ENOTDIR ? ReadFileResult::MISSING
                                                   : ReadFileResult::OPEN_FAILED;
    }
    FdCloser closer(fd);
    struct stat info = {};
    if (::fstat(fd, &info) != 0) {
        return ReadFileResult::READ_FAILED;
    }
    if (!S_ISREG(info.st_mode)) {
        return ReadFileResult::NOT_REGULAR;
    }
    if (info.st_size < 0 || std::size_t(info.st_size) > max_bytes) {
        return ReadFileResult::TOO_LARGE;
    }
    bytes.reserve(std::size_t(info.st_size)); // bounded by max_bytes just above
    const ReadFileResult result = read_all(fd, max_bytes, bytes);
    if (result != ReadFileResult::OK) {
        bytes.clear();
    }
    return result;
}

} // namespace tnw::sys::posix
