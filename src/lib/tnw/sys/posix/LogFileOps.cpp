#include "lib/tnw/sys/posix/LogFileOps.h"

#include "lib/tnw/sys/posix/UserFolder.h"

#include <filesystem>
#include <system_error>

namespace tnw::sys::posix {

namespace {

// True when making `path` would make the user's home folder: HOME names a
// folder that does not exist, and `path` is that folder or lies below it.
bool would_make_home(const std::filesystem::path& path)
{
    const std::string home = find_user_folder(UserFolder::HOME);
    std::error_code ec;
    if (home.empty() || std::filesystem::is_directory(home, ec)) {
        return false;
    }
    const std::filesystem::path rel =
        path.lexically_normal().lexically_relative(std::filesystem::path(home).lexically_normal());
    return !rel.empty() && *rel.begin() != "..";
}

} // namespace

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
        if (would_make_home(path)) {
            return false;
        }
        std::error_code ec;
        std::filesystem::create_directories(path, ec);
        return std::filesystem::is_directory(path, ec);
    } catch (...) {
        return false;
    }
}

} // namespace tnw::sys::posix
