#include "host/offline/posix/ReadFailure.h"

#include "lib/tnw/sys/posix/ErrorText.h"
#include "lib/tnw/sys/posix/RegularFile.h"

#include <cerrno>

namespace host::offline::posix {

std::string find_read_failure(const std::string& path)
{
    using tnw::sys::posix::ReadFileResult;
    tnw::sys::posix::RegularFile file;
    const ReadFileResult result = file.open(path);
    if (result == ReadFileResult::OK) {
        return {};
    }
    const int error = file.get_error();
    if (result == ReadFileResult::NOT_REGULAR && error == 0) {
        return "not a regular file";
    }
    // Read, not made: a missing entry on the way is a missing file.
    return error == ENOENT ? "no such file" : tnw::sys::posix::describe_error(error);
}

} // namespace host::offline::posix
