#include "lib/tnw/sys/posix/RawFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tnw::sys::posix {

namespace {

// Mode bits that chmod sets: the permission bits and the set-user-id, set-group-id and
// sticky bits.
constexpr unsigned MODE_BITS = 07777;
// What an ordinary open asks for a new file before the file creation mask applies.
constexpr unsigned OPEN_DEFAULT_MODE = 0666;

// The file creation mask. Linux tells it without changing it; elsewhere it can only be read
// by setting it, and it is set to the most private value for that moment, so that a file
// another thread creates meanwhile is never more open than intended.
unsigned read_creation_mask()
{
    if (std::FILE* status = std::fopen("/proc/self/status", "r")) {
        char line[256];
        long mask = -1;
        while (mask < 0 && std::fgets(line, sizeof(line), status) != nullptr) {
            if (std::strncmp(line, "Umask:", 6) == 0) {
                char* end = nullptr;
                mask = std::strtol(line + 6, &end, 8);
                if (end == line + 6) {
                    mask = -1;
                }
            }
        }
        static_cast<void>(std::fclose(status)); // only read
        if (mask >= 0) {
            return unsigned(mask) & PERMISSION_BITS;
        }
    }
    const mode_t mask = ::umask(077);
    static_cast<void>(::umask(mask));
    return unsigned(mask) & PERMISSION_BITS;
}

// An error number of a reservation that tells that the file system reserves no room (for
// some, the system has no reservation at all).
bool reserves_no_room(int error) noexcept
{
    return error == EOPNOTSUPP || error == ENOSYS || error == EINVAL;
}

// EFBIG where a file of `size` bytes passes what the system lets a file of this process
// grow to (the file-size limit), 0 otherwise. The limit is read, not met: a write past it
// would already have changed the file.
int check_size_limit(std::uint64_t size) noexcept
{
    if (size > std::uint64_t(std::numeric_limits<off_t>::max())) {
        return EFBIG;
    }
    rlimit limit{};
    return ::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
                   size > std::uint64_t(limit.rlim_cur)
               ? EFBIG
               : 0;
}

// Room on its device for the first `size` bytes of the plain file `fd` of `old_size` bytes,
// the bytes there kept: 0, or the system's error number, the file's size then as it was.
int reserve_room(int fd, off_t old_size, std::uint64_t size)
{
    if (size == 0) {
        return 0;
    }
    int error = EINTR;
    while (error == EINTR) {
#ifdef __linux__
        // The kernel itself, whose answer tells a file system that reserves nothing: there
        // the C library's posix_fallocate() reads and writes a byte of every block instead,
        // which fails on a descriptor open for writing only.
        error = ::fallocate(fd, 0, 0, off_t(size)) == 0 ? 0 : errno;
#else
        error = ::posix_fallocate(fd, 0, off_t(size));
#endif
    }
    struct stat st
    {
    };
    // A reservation cut short may have made the file longer.
    if (error != 0 && ::fstat(fd, &st) == 0 && st.st_size != old_size) {
        static_cast<void>(::ftruncate(fd, old_size));
    }
    return error;
}

} // namespace

bool get_file_status(const std::string& path, FileStatus& status)
{
    status = FileStatus();
    struct stat st
    {
    };
    if (::stat(path.c_str(), &st) != 0) {
        status.error = errno;
        return errno == ENOENT || errno == ENOTDIR;
    }
    status.exists = true;
    status.regular = S_ISREG(st.st_mode);
    status.folder = S_ISDIR(st.st_mode);
    status.nbr_links = static_cast<unsigned long>(st.st_nlink);
    status.owner = static_cast<unsigned long>(st.st_uid);
    status.group = static_cast<unsigned long>(st.st_gid);
    status.mode = static_cast<unsigned>(st.st_mode) & MODE_BITS;
    return true;
}

unsigned get_new_file_mode()
{
    return OPEN_DEFAULT_MODE & ~read_creation_mask();
}

RawFile::CreateResult RawFile::create_new(const std::string& path, unsigned mode)
{
    close_quietly();
    _fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                 static_cast<mode_t>(mode & PERMISSION_BITS));
    if (_fd >= 0) {
        return CreateResult::OK;
    }
    _error = errno;
    switch (errno) {
    case EEXIST:
        return CreateResult::NAME_TAKEN;
    case EACCES:
    case EPERM:
    case EROFS:
    case ENAMETOOLONG:
        return CreateResult::FOLDER_REFUSES;
    default:
        return CreateResult::FAILED;
    }
}

bool RawFile::open_in_place(const std::string& path)
{
    // Truncation applies to plain files only.
    return open_for_writing(path, O_TRUNC);
}

bool RawFile::open_in_place(const std::string& path, std::uint64_t size)
{
    if (!open_for_writing(path, 0)) {
        return false;
    }
    struct stat st
    {
    };
    if (::fstat(_fd, &st) != 0) {
        fail();
        close_quietly();
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        return true;
    }
    int error = check_size_limit(size);
    if (error == 0) {
        error = reserve_room(_fd, st.st_size, size);
    }
    if (error == 0) {
        return true;
    }
    if (reserves_no_room(error)) {
        // Nothing to rely on: the file is written from empty, as without a size.
        if (::ftruncate(_fd, 0) == 0) {
            return true;
        }
        error = errno;
    }
    _error = error;
    close_quietly();
    return false;
}

bool RawFile::open_for_writing(const std::string& path, int extra_flags)
{
    close_quietly();
    // Without O_NONBLOCK, opening a pipe for writing waits until someone opens it for
    // reading.
    _fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC | extra_flags,
                 static_cast<mode_t>(OPEN_DEFAULT_MODE));
    if (_fd < 0) {
        return fail();
    }
    // Writes wait for a slow reader instead of failing half-way.
    const int flags = ::fcntl(_fd, F_GETFL);
    if (flags == -1 || ::fcntl(_fd, F_SETFL, flags & ~O_NONBLOCK) == -1) {
        fail();
        close_quietly();
        return false;
    }
    return true;
}

bool RawFile::open_duplicate(int fd)
{
    close_quietly();
    _fd = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    return _fd >= 0 || fail();
}

bool RawFile::can_write(const std::string& path, int& error)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return false;
    }
    static_cast<void>(::close(fd)); // nothing was written through it
    return true;
}

bool RawFile::write_all(const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t done = ::write(_fd, bytes, size);
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done < 0) {
            return fail();
        }
        if (done == 0) {
            // The system took nothing and told no reason: the device holds no more.
            _error = ENOSPC;
            return false;
        }
        bytes += done;
        size -= static_cast<std::size_t>(done);
    }
    return true;
}

bool RawFile::end_here()
{
    struct stat st
    {
    };
    if (::fstat(_fd, &st) != 0) {
        return fail();
    }
    if (!S_ISREG(st.st_mode)) {
        return true;
    }
    const off_t end = ::lseek(_fd, 0, SEEK_CUR);
    return (end >= 0 && ::ftruncate(_fd, end) == 0) || fail();
}

bool RawFile::set_owner(unsigned long owner, unsigned long group)
{
    struct stat st
    {
    };
    if (::fstat(_fd, &st) != 0) {
        return fail();
    }
    if (static_cast<unsigned long>(st.st_uid) == owner &&
        static_cast<unsigned long>(st.st_gid) == group) {
        return true;
    }
    return ::fchown(_fd, static_cast<uid_t>(owner), static_cast<gid_t>(group)) == 0 || fail();
}

bool RawFile::set_mode(unsigned mode)
{
    return ::fchmod(_fd, static_cast<mode_t>(mode & MODE_BITS)) == 0 || fail();
}

bool RawFile::close()
{
    if (_fd < 0) {
        _error = EBADF;
        return false;
    }
    const int result = ::close(_fd);
    _fd = -1;
    return result == 0 || fail();
}

bool RawFile::fail() noexcept
{
    _error = errno;
    return false;
}

void RawFile::close_quietly() noexcept
{
    if (_fd >= 0) {
        static_cast<void>(::close(_fd));
        _fd = -1;
    }
}

} // namespace tnw::sys::posix
