#include "host/offline/posix/ExecutableFolder.h"

#include <filesystem>
#include <system_error>

namespace host::offline::posix {

std::string find_executable_folder()
{
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.parent_path().string();
}

} // namespace host::offline::posix
