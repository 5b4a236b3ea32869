#include "lib/tnw/sys/FileRefFactory.h"

#include "lib/tnw/sys/FileRefImpl.h"
#include "lib/tnw/sys/FileUrl.h"
#include "lib/tnw/sys/posix/FileTreeOps.h"
#include "lib/tnw/sys/posix/LogFileOps.h"
#include "lib/tnw/sys/posix/UserFolder.h"
#include "lib/tnw/tdbg/LogFmt.h"

#include <cerrno>

namespace tnw::sys {

namespace {

constexpr const char* source_file = __FILE__ ", " __DATE__;

using posix::UserFolder;

constexpr FileRefFactory::OSType folder_root = FileRefFactory::make_four_cc("root");
constexpr FileRefFactory::OSType folder_apps = FileRefFactory::make_four_cc("apps");
constexpr FileRefFactory::OSType folder_app_support = FileRefFactory::make_four_cc("asup");
constexpr FileRefFactory::OSType folder_shared_data = FileRefFactory::make_four_cc("sdat");
constexpr FileRefFactory::OSType folder_preferences = FileRefFactory::make_four_cc("pref");
constexpr FileRefFactory::OSType folder_fonts = FileRefFactory::make_four_cc("font");
constexpr FileRefFactory::OSType folder_temporary = FileRefFactory::make_four_cc("temp");
constexpr FileRefFactory::OSType folder_cache = FileRefFactory::make_four_cc("cach");
constexpr FileRefFactory::OSType folder_logs = FileRefFactory::make_four_cc("logs");
constexpr FileRefFactory::OSType folder_desktop = FileRefFactory::make_four_cc("desk");
constexpr FileRefFactory::OSType folder_documents = FileRefFactory::make_four_cc("docs");

// The user folders that have a counterpart here.
struct UserFolderType
{
    FileRefFactory::OSType type;
    UserFolder folder;
};
constexpr UserFolderType user_folder_list[] = {
    {folder_logs, UserFolder::LOGS},           {folder_preferences, UserFolder::PREFERENCES},
    {folder_cache, UserFolder::CACHE},         {folder_temporary, UserFolder::TEMPORARY},
    {folder_documents, UserFolder::DOCUMENTS}, {folder_desktop, UserFolder::DESKTOP},
};

// The path of a special folder, or an empty text when it has none.
std::string find_folder_path(short domain, FileRefFactory::OSType type)
{
    if (domain == FileRefFactory::DOMAIN_SYSTEM && type == folder_root) {
        return "/";
    }
    if (domain == FileRefFactory::DOMAIN_LOCAL && type == folder_preferences) {
        return posix::find_first_system_folder("XDG_CONFIG_DIRS", "/etc/xdg");
    }
    if (domain == FileRefFactory::DOMAIN_LOCAL && type == folder_fonts) {
        return posix::find_first_system_folder("XDG_DATA_DIRS", "/usr/local/share") + "/fonts";
    }
    if (domain == FileRefFactory::DOMAIN_USER) {
        for (const UserFolderType& entry : user_folder_list) {
            if (entry.type == type) {
                return posix::find_user_folder(entry.folder);
            }
        }
    }
    return {};
}

// The folder at path, made when missing; 0 or the error number.
int make_special_folder(const std::string& path, std::string& real_path)
{
    if (path.empty()) {
        return ENOENT;
    }
    int err = 0;
    if (!posix::make_folders(path)) {
        // Tells why the last folder is missing.
        err = posix::make_folder(path);
    }
    if (err == 0) {
        err = posix::make_canonical_path(path, real_path);
    }
    return err;
}

} // namespace

FileRefSPtr FileRefFactory::from_fsref(const std::string& fs_ref)
{
    return FileRefSPtr(new FileRef(FileRefImpl(fs_ref)));
}

FileRefSPtr FileRefFactory::from_url_ref(const FileUrl& url)
{
    std::string real_path;
    if (!url.is_valid() || posix::make_canonical_path(url.get_path(), real_path) != 0) {
        return {};
    }
    return from_fsref(real_path);
}

FileRefSPtr FileRefFactory::from_utf8_path(const std::string& path)
{
    std::string real_path;
    const int err = posix::make_canonical_path(path, real_path);
    if (err != 0) {
        tdbg::log_fmt(tdbg::Debugger::ERROR, source_file, __PRETTY_FUNCTION__, __LINE__,
                      "FSPathMakeRef failed with error %1% for path %2%", err, path.c_str());
        return {};
    }
    return from_fsref(real_path);
}

FileRefSPtr FileRefFactory::from_file_url(const std::string& url)
{
    const FileUrl url_obj(url);
    if (!url_obj.is_valid()) {
        tdbg::log_fmt(tdbg::Debugger::ERROR, source_file, __PRETTY_FUNCTION__, __LINE__,
                      "CFURLCreateWithBytes failed path %1%", url.c_str());
        return {};
    }
    return from_url_ref(url_obj);
}

FileRefSPtr FileRefFactory::load(const std::vector<unsigned char>& data)
{
    const std::string path(data.begin(), data.end());
    std::string object_path;
    const int err = posix::make_object_path(path, object_path);
    if (err != 0) {
        tdbg::log_fmt(tdbg::Debugger::ERROR, source_file, __PRETTY_FUNCTION__, __LINE__,
                      "FSResolveAlias failed with error %1%", err);
        return {};
    }
    return from_fsref(object_path);
}

FileRefSPtr FileRefFactory::from_folder_type(short domain, OSType type)
{
    std::string real_path;
    const int err = make_special_folder(find_folder_path(domain, type), real_path);
    if (err != 0) {
        tdbg::log_fmt(tdbg::Debugger::ERROR, source_file, __PRETTY_FUNCTION__, __LINE__,
                      "FSFindFolder (%1% - %2%) failed with error %3%", int(domain),
                      (unsigned int)type, err);
        return {};
    }
    return from_fsref(real_path);
}

FileRefSPtr FileRefFactory::get_system_root()
{
    return from_folder_type(DOMAIN_SYSTEM, folder_root);
}

FileRefSPtr FileRefFactory::get_applications()
{
    return from_folder_type(DOMAIN_LOCAL, folder_apps);
}

FileRefSPtr FileRefFactory::get_shared_app_data()
{
    return from_folder_type(DOMAIN_LOCAL, folder_app_support);
}

FileRefSPtr FileRefFactory::get_shared_user_datas()
{
    return from_folder_type(DOMAIN_LOCAL, folder_shared_data);
}

FileRefSPtr FileRefFactory::get_common_preferences()
{
    return from_folder_type(DOMAIN_LOCAL, folder_preferences);
}

FileRefSPtr FileRefFactory::get_fonts()
{
    return from_folder_type(DOMAIN_LOCAL, folder_fonts);
}

FileRefSPtr FileRefFactory::get_temporary()
{
    return from_folder_type(DOMAIN_USER, folder_temporary);
}

FileRefSPtr FileRefFactory::get_user_cache()
{
    return from_folder_type(DOMAIN_USER, folder_cache);
}

FileRefSPtr FileRefFactory::get_user_preferences()
{
    return from_folder_type(DOMAIN_USER, folder_preferences);
}

FileRefSPtr FileRefFactory::get_user_log()
{
    return from_folder_type(DOMAIN_USER, folder_logs);
}

FileRefSPtr FileRefFactory::get_user_desktop()
{
    return from_folder_type(DOMAIN_USER, folder_desktop);
}

FileRefSPtr FileRefFactory::get_user_documents()
{
    return from_folder_type(DOMAIN_USER, folder_documents);
}

FileRefSPtr FileRefFactory::get_working_dir()
{
    std::string path;
    std::string real_path;
    if (posix::find_working_dir(path) != 0 || posix::make_canonical_path(path, real_path) != 0) {
        return {};
    }
    return from_fsref(real_path);
}

FileRefSPtr FileRefFactory::get_cur_application()
{
    std::string path;
    if (posix::find_application_file(path) != 0) {
        return {};
    }
    return from_fsref(path);
}

FileRefSPtr FileRefFactory::get_path(Path p)
{
    switch (p) {
    case Path_SYSTEM_ROOT:
        return get_system_root();
    case Path_WORKING_DIR:
        return get_working_dir();
    case Path_CUR_APPLICATION:
        return get_cur_application();
    case Path_USER_DOCUMENTS:
        return get_user_documents();
    case Path_USER_DESKTOP:
        return get_user_desktop();
    case Path_USER_LOG:
        return get_user_log();
    case Path_USER_PREFERENCES:
        return get_user_preferences();
    case Path_USER_CACHE:
        return get_user_cache();
    case Path_FONTS:
        return get_fonts();
    case Path_COMMON_PREFERENCES:
        return get_common_preferences();
    }
    return {};
}

} // namespace tnw::sys
