#include "lib/tnw/sys/posix/UserFolder.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace tnw::sys::posix {

namespace {

// The path without trailing '/' ("/" stays).
std::string drop_trailing_slashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

// An absolute path from the environment, its trailing '/' removed ("/" stays),
// or an empty text when the variable is unset, empty or relative.
std::string read_absolute_var(const char* name)
{
    const char* value = name == nullptr ? nullptr : std::getenv(name);
    if (value == nullptr || value[0] != '/') {
        return {};
    }
    return drop_trailing_slashes(value);
}

// ${var:-$HOME/sub}: the variable when usable, else the sub-folder of HOME.
std::string var_or_home(const char* var, const char* sub)
{
    std::string path = read_absolute_var(var);
    if (!path.empty()) {
        return path;
    }
    const std::string home = read_absolute_var("HOME");
    if (home.empty()) {
        return {};
    }
    return (home == "/" ? std::string() : home) + "/" + sub;
}

// Empty when the system names no temporary folder that exists.
std::string find_temporary_folder()
{
    std::error_code ec;
    const std::string path = std::filesystem::temp_directory_path(ec).string();
    if (ec || path.empty() || path[0] != '/') {
        return {};
    }
    return drop_trailing_slashes(path);
}

} // namespace

std::string find_user_folder(UserFolder which)
{
    switch (which) {
    case UserFolder::HOME:
        return read_absolute_var("HOME");
    case UserFolder::LOGS:
        return var_or_home("XDG_STATE_HOME", ".local/state");
    case UserFolder::PREFERENCES:
        return var_or_home("XDG_CONFIG_HOME", ".config");
    case UserFolder::CACHE:
        return var_or_home("XDG_CACHE_HOME", ".cache");
    case UserFolder::DOCUMENTS:
        return var_or_home(nullptr, "Documents");
    case UserFolder::DESKTOP:
        return var_or_home(nullptr, "Desktop");
    case UserFolder::TEMPORARY:
        return find_temporary_folder();
    }
    return {};
}

std::string find_first_system_folder(const char* list_var, const char* fallback)
{
    const char* value = std::getenv(list_var);
    if (value != nullptr) {
        std::string list(value);
        std::size_t start = 0;
        while (start <= list.size()) {
            const std::size_t end = std::min(list.find(':', start), list.size());
            const std::string entry = drop_trailing_slashes(list.substr(start, end - start));
            if (!entry.empty() && entry[0] == '/') {
                return entry;
            }
            start = end + 1;
        }
    }
    return fallback;
}

} // namespace tnw::sys::posix
