#include "lib/tnw/sys/posix/RegularFile.h"

#include "lib/tnw/sys/posix/RawFile.h"

#include <cerrno>
#include <limits>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tnw::sys::posix {

namespace {

// Bytes asked of the system per read call.
constexpr std::size_t READ_CHUNK = 16 * 1024;

// Appends the file's bytes until its end; refuses more than max_bytes. The string grows
// only by what was read, so a small file never costs a large block.
ReadFileResult read_all(RegularFile& file, std::size_t max_bytes, std::string& bytes)
{
    char chunk[READ_CHUNK];
    for (;;) {
        // One byte beyond the limit is asked for, so that growth shows. The room left is
        // compared before the byte is added, so that the largest limit does not wrap to 0.
        const std::size_t room = max_bytes - bytes.size(); // bytes never exceeds max_bytes here
        const std::size_t want = room < READ_CHUNK ? room + 1 : READ_CHUNK;
        std::size_t got = 0;
        if (!file.read(chunk, want, got)) {
            return ReadFileResult::READ_FAILED;
        }
        bytes.append(chunk, got);
        if (bytes.size() > max_bytes) {
            return ReadFileResult::TOO_LARGE;
        }
        if (got < want) {
            return ReadFileResult::OK;
        }
    }
}

} // namespace

ReadFileResult RegularFile::open(const std::string& path)
{
    return open_with(path, 0, 0);
}

ReadFileResult RegularFile::open_or_create(const std::string& path, unsigned mode)
{
    return open_with(path, O_CREAT, mode);
}

ReadFileResult RegularFile::open_with(const std::string& path, int flags, unsigned mode)
{
    close();
    _error = 0;
    // Non-blocking, so that opening a named pipe with no writer returns at once; the flag
    // changes nothing for a regular file.
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY | flags,
                    static_cast<mode_t>(mode & PERMISSION_BITS));
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        _error = errno;
        return _error == ENOENT || _error == ENOTDIR ? ReadFileResult::MISSING
                                                     : ReadFileResult::OPEN_FAILED;
    }
    return adopt(fd);
}

ReadFileResult RegularFile::open_standard_input()
{
    close();
    _error = 0;
    // A descriptor of its own, closed with the object; its position is the standard
    // input's, which read_at() leaves where it is.
    const int fd = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0);
    if (fd < 0) {
        _error = errno;
        return ReadFileResult::OPEN_FAILED;
    }
    return adopt(fd);
}

ReadFileResult RegularFile::adopt(int fd)
{
    _fd = fd;
    struct stat info = {};
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        close();
        _error = error;
        return ReadFileResult::READ_FAILED;
    }
    if (!S_ISREG(info.st_mode)) {
        close();
        // The system's own word for a folder used as a file; other kinds have none.
        _error = S_ISDIR(info.st_mode) ? EISDIR : 0;
        return ReadFileResult::NOT_REGULAR;
    }
    _size = info.st_size < 0 ? 0 : static_cast<unsigned long long>(info.st_size);
    return ReadFileResult::OK;
}

bool RegularFile::read(void* data, std::size_t size, std::size_t& got)
{
    return read_from(-1, data, size, got);
}

bool RegularFile::read_at(unsigned long long pos, void* data, std::size_t size, std::size_t& got)
{
    if (pos > static_cast<unsigned long long>(std::numeric_limits<off_t>::max())) {
        got = 0;
        return true; // past any end
    }
    return read_from(static_cast<long long>(pos), data, size, got);
}

bool RegularFile::read_from(long long pos, void* data, std::size_t size, std::size_t& got)
{
    got = 0;
    auto* bytes = static_cast<char*>(data);
    while (got < size) {
        const ssize_t done =
            pos < 0 ? ::read(_fd, bytes + got, size - got)
                    : ::pread(_fd, bytes + got, size - got, static_cast<off_t>(pos) + off_t(got));
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done < 0) {
            return false;
        }
        if (done == 0) {
            break;
        }
        got += static_cast<std::size_t>(done);
    }
    return true;
}

bool RegularFile::lock_exclusive()
{
    int rc = -1;
    do {
        rc = ::flock(_fd, LOCK_EX);
    } while (rc != 0 && errno == EINTR);
    return rc == 0;
}

void RegularFile::close() noexcept
{
    if (_fd >= 0) {
        // Only read: nothing can be lost at close. Closing also releases a lock.
        static_cast<void>(::close(_fd));
        _fd = -1;
    }
    _size = 0;
}

ReadFileResult read_regular_file(const std::string& path, std::size_t max_bytes, std::string& bytes)
{
    bytes.clear();
    RegularFile file;
    if (const ReadFileResult opened = file.open(path); opened != ReadFileResult::OK) {
        return opened;
    }
    if (file.get_size() > max_bytes) {
        return ReadFileResult::TOO_LARGE;
    }
    bytes.reserve(std::size_t(file.get_size())); // bounded by max_bytes just above
    const ReadFileResult result = read_all(file, max_bytes, bytes);
    if (result != ReadFileResult::OK) {
        bytes.clear();
    }
    return result;
}

} // namespace tnw::sys::posix
