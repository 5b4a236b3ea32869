#include "lib/tnw/sys/posix/LogFileOps.h"

#include <filesystem>
#include <system_error>

namespace tnw::sys::posix {

std::FILE* create_log_file(const char* path) noexcept
{
    if (path == nullptr) {
        return nullptr;
    }
    // "e": close-on-exec, so a program the host starts cannot keep the log.
    return std::fopen(path, "we");
}

bool close_log_file(std::FILE* file) noexcept
{
    return file == nullptr || std::fclose(file) == 0;
}

bool make_folders(const std::string& path) noexcept
{
    try {
        std::error_code ec;
        std::filesystem::create_directories(path, ec);
        return std::filesystem::is_directory(path, ec);
    } catch (...) {
        return false;
    }
}

} // namespace tnw::sys::posix
