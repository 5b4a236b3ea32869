#include "host/offline/posix/SameFile.h"

#include <sys/stat.h>
#include <unistd.h>

namespace host::offline::posix {

namespace {

// `stream_fd` < 0: "-" is a file name as any other.
bool get_status(const std::string& path, int stream_fd, struct stat& status) noexcept
{
    return stream_fd >= 0 && path == STANDARD_STREAM_NAME_0 ? ::fstat(stream_fd, &status) == 0
                                                            : ::stat(path.c_str(), &status) == 0;
}

} // namespace

bool is_same_file(const std::string& read, bool dash_is_stdin, const std::string& output) noexcept
{
    struct stat in
    {
    };
    struct stat out
    {
    };
    return get_status(read, dash_is_stdin ? STDIN_FILENO : -1, in) && S_ISREG(in.st_mode) &&
           get_status(output, STDOUT_FILENO, out) && in.st_dev == out.st_dev &&
           in.st_ino == out.st_ino;
}

bool is_standard_output(const std::string& output) noexcept
{
    struct stat named
    {
    };
    struct stat stream
    {
    };
    return output == STANDARD_STREAM_NAME_0 ||
           (::stat(output.c_str(), &named) == 0 && !S_ISREG(named.st_mode) &&
            ::fstat(STDOUT_FILENO, &stream) == 0 && named.st_dev == stream.st_dev &&
            named.st_ino == stream.st_ino);
}

} // namespace host::offline::posix
