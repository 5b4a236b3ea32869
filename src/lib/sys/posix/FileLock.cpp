#include "lib/sys/posix/FileLock.h"

namespace sys::posix {

namespace {

// Permissions of a new lock file (before the umask): like any preference file.
constexpr unsigned LOCK_FILE_MODE = 0644;

} // namespace

FileLock::FileLock(const std::string& path)
{
    if (_file.open_or_create(path, LOCK_FILE_MODE) != tnw::sys::posix::ReadFileResult::OK ||
        !_file.lock_exclusive()) {
        _file.close();
    }
}

} // namespace sys::posix
