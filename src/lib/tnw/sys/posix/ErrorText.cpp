#include "lib/tnw/sys/posix/ErrorText.h"

#include <cctype>
#include <cerrno>
#include <cstring>

namespace tnw::sys::posix {

namespace {

// The texts of the failures a file save meets, worded for the file operations that report
// them (a missing entry on the way to a file that is created is its folder).
const char* find_text(int error) noexcept
{
    switch (error) {
    case ENOENT:
        return "no such folder";
    case ENOTDIR:
        return "not a folder";
    case EISDIR:
        return "is a folder";
    case EACCES:
    case EPERM:
        return "permission denied";
    case EROFS:
        return "read-only file system";
    case ENOSPC:
        return "no space left on device";
    case EDQUOT:
        return "disk quota exceeded";
    case EFBIG:
        return "file too large";
    case ENAMETOOLONG:
        return "name too long";
    case ELOOP:
        return "too many symbolic links";
    case EIO:
        return "input/output error";
    case ENXIO:
        return "nobody reads the pipe";
    case EPIPE:
        return "broken pipe";
    case EMFILE:
    case ENFILE:
        return "too many open files";
    case ENOMEM:
        return "out of memory";
    default:
        return nullptr;
    }
}

} // namespace

std::string describe_error(int error)
{
    if (const char* text = find_text(error)) {
        return text;
    }
    std::string text = std::strerror(error);
    if (!text.empty()) {
        text[0] = char(std::tolower(static_cast<unsigned char>(text[0])));
    }
    return text;
}

} // namespace tnw::sys::posix
