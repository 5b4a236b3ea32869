#pragma once

#include "lib/tnw/sys/FileRef.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tnw::sys {

class FileUrl;

// Makers of file references. Each answers failure with an empty pointer.
// Any thread; may allocate (std::bad_alloc passes on) and block in the file
// system. The special folders are read from the environment on each call.
class FileRefFactory
{
public:
    enum Path : int
    {
        Path_SYSTEM_ROOT = 0,
        Path_WORKING_DIR,
        Path_CUR_APPLICATION,
        Path_USER_DOCUMENTS,
        Path_USER_DESKTOP,
        Path_USER_LOG,
        Path_USER_PREFERENCES,
        Path_USER_CACHE,
        Path_FONTS,
        Path_COMMON_PREFERENCES
    };

    // A folder type: four characters, the first in the high byte.
    using OSType = std::uint32_t;

    static constexpr short DOMAIN_SYSTEM = -32766;
    static constexpr short DOMAIN_LOCAL = -32765;
    static constexpr short DOMAIN_USER = -32763;

    [[nodiscard]] static constexpr OSType make_four_cc(const char (&code_0)[5]) noexcept
    {
        return (OSType(std::uint8_t(code_0[0])) << 24) | (OSType(std::uint8_t(code_0[1])) << 16) |
               (OSType(std::uint8_t(code_0[2])) << 8) | OSType(std::uint8_t(code_0[3]));
    }

    FileRefFactory() = delete;

    // A reference on the absolute path fs_ref, taken as it is.
    [[nodiscard]] static FileRefSPtr from_fsref(const std::string& fs_ref);
    // Empty when the URL is invalid or names no object.
    [[nodiscard]] static FileRefSPtr from_url_ref(const FileUrl& url);
    // The object the path leads to, links resolved; failure logged.
    [[nodiscard]] static FileRefSPtr from_utf8_path(const std::string& path);
    // A "file:" URL (FileUrl); a URL that does not parse is logged.
    [[nodiscard]] static FileRefSPtr from_file_url(const std::string& url);
    // The reference whose stored form (FileRef::save) data is; failure logged.
    [[nodiscard]] static FileRefSPtr load(const std::vector<unsigned char>& data);
    // The special folder of the domain and type, made when missing; a pair
    // without a folder on this system, or a user folder without a usable
    // HOME, is logged.
    [[nodiscard]] static FileRefSPtr from_folder_type(short domain, OSType type);

    [[nodiscard]] static FileRefSPtr get_system_root();
    [[nodiscard]] static FileRefSPtr get_applications();
    [[nodiscard]] static FileRefSPtr get_shared_app_data();
    [[nodiscard]] static FileRefSPtr get_shared_user_datas();
    [[nodiscard]] static FileRefSPtr get_common_preferences();
    [[nodiscard]] static FileRefSPtr get_fonts();
    [[nodiscard]] static FileRefSPtr get_temporary();
    [[nodiscard]] static FileRefSPtr get_user_cache();
    [[nodiscard]] static FileRefSPtr get_user_preferences();
    [[nodiscard]] static FileRefSPtr get_user_log();
    [[nodiscard]] static FileRefSPtr get_user_desktop();
    [[nodiscard]] static FileRefSPtr get_user_documents();
    // Not logged.
    [[nodiscard]] static FileRefSPtr get_working_dir();
    [[nodiscard]] static FileRefSPtr get_cur_application();
    // Empty for a value outside the Path list.
    [[nodiscard]] static FileRefSPtr get_path(Path p);
};

} // namespace tnw::sys
