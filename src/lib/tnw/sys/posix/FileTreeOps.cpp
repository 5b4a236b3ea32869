#include "lib/tnw/sys/posix/FileTreeOps.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <new>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace tnw::sys::posix {

namespace fs = std::filesystem;

namespace {

constexpr mode_t new_folder_mode = 0777;

bool holds_zero(const std::string& path) noexcept
{
    return path.find('\0') != std::string::npos;
}

// Absolute, no empty, "." or ".." part, no trailing '/' (the root aside).
bool is_plain_absolute(const std::string& path) noexcept
{
    if (path.empty() || path[0] != '/') {
        return false;
    }
    if (path == "/") {
        return true;
    }
    std::size_t start = 1;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        const std::string_view part(path.data() + start, end - start);
        if (part.empty() || part == "." || part == "..") {
            return false;
        }
        start = end + 1;
    }
    return true;
}

int error_of(const std::error_code& ec) noexcept
{
    return ec ? ec.value() : 0;
}

struct DirCloser
{
    void operator()(DIR* dir) const noexcept { static_cast<void>(::closedir(dir)); }
};

// The names of an open folder, sorted; closes it.
int read_names(DIR* dir_ptr, std::vector<std::string>& names)
{
    const std::unique_ptr<DIR, DirCloser> dir(dir_ptr);
    std::vector<std::string> found;
    int err = 0;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir.get());
        if (entry == nullptr) {
            err = errno;
            break;
        }
        const std::string_view name(entry->d_name);
        if (name != "." && name != "..") {
            found.emplace_back(name);
        }
    }
    if (err == 0) {
        std::sort(found.begin(), found.end());
        names.swap(found);
    }
    return err;
}

// Copies every entry of the folder src into the existing folder dst.
int copy_content(const std::string& src, const std::string& dst)
{
    std::vector<std::string> names;
    const int err = list_folder(src, names);
    if (err != 0) {
        return err;
    }
    constexpr auto options = fs::copy_options::copy_symlinks | fs::copy_options::recursive;
    for (const std::string& name : names) {
        std::error_code ec;
        fs::copy(join_path(src, name), join_path(dst, name), options, ec);
        if (ec) {
            return ec.value();
        }
    }
    return 0;
}

int copy_folder(const std::string& src, const std::string& dst)
{
    std::string src_real;
    std::string dst_parent;
    std::string dst_parent_real;
    int err = make_canonical_path(src, src_real);
    if (err == 0) {
        err = find_parent_path(dst, dst_parent);
    }
    if (err == 0) {
        err = make_canonical_path(dst_parent, dst_parent_real);
    }
    if (err != 0) {
        return err;
    }
    // A copy inside its own source would be listed and copied again, without end.
    if (dst_parent_real == src_real || dst_parent_real.starts_with(join_path(src_real, ""))) {
        return EINVAL;
    }
    std::error_code ec;
    // False without an error when a folder holds the name: that folder is not merged into.
    if (!fs::create_directory(dst, src, ec)) {
        return ec ? ec.value() : EEXIST;
    }
    err = copy_content(src, dst);
    if (err != 0) {
        // The folder was made above, so what it holds is this copy's own.
        fs::remove_all(dst, ec);
    }
    return err;
}

} // namespace

int read_object_facts(const std::string& path, ObjectFacts& facts) noexcept
{
    if (holds_zero(path)) {
        return EINVAL;
    }
    struct stat st
    {
    };
    if (::lstat(path.c_str(), &st) != 0) {
        return errno;
    }
    ObjectFacts found;
    found.directory = S_ISDIR(st.st_mode);
    found.owner_write = (st.st_mode & S_IWUSR) != 0;
    found.size = static_cast<long long>(st.st_size);
    found.modification = st.st_mtim;
    struct statx stx
    {
    };
    if (::statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BTIME, &stx) == 0 &&
        (stx.stx_mask & STATX_BTIME) != 0) {
        found.birth_known = true;
        found.birth.tv_sec = static_cast<std::time_t>(stx.stx_btime.tv_sec);
        found.birth.tv_nsec = static_cast<long>(stx.stx_btime.tv_nsec);
    }
    facts = found;
    return 0;
}

int make_canonical_path(const std::string& path, std::string& canonical) noexcept
{
    if (holds_zero(path)) {
        return EINVAL;
    }
    try {
        std::error_code ec;
        const fs::path found = fs::canonical(path, ec);
        if (ec) {
            return ec.value();
        }
        canonical = found.string();
        return 0;
    } catch (const std::bad_alloc&) {
        return ENOMEM;
    }
}

int make_object_path(const std::string& path, std::string& object_path) noexcept
{
    if (holds_zero(path) || !is_plain_absolute(path)) {
        return EINVAL;
    }
    struct stat st
    {
    };
    if (::lstat(path.c_str(), &st) != 0) {
        return errno;
    }
    try {
        std::string parent;
        if (find_parent_path(path, parent) != 0) {
            object_path = path;
            return 0;
        }
        std::string parent_real;
        const int err = make_canonical_path(parent, parent_real);
        if (err == 0) {
            object_path = join_path(parent_real, path.substr(path.rfind('/') + 1));
        }
        return err;
    } catch (const std::bad_alloc&) {
        return ENOMEM;
    }
}

std::string join_path(const std::string& folder, const std::string& name)
{
    return (folder == "/") ? "/" + name : folder + "/" + name;
}

int find_parent_path(const std::string& path, std::string& parent) noexcept
{
    const std::size_t pos = path.rfind('/');
    if (path == "/" || pos == std::string::npos) {
        return ENOENT;
    }
    try {
        parent = (pos == 0) ? std::string("/") : path.substr(0, pos);
        return 0;
    } catch (const std::bad_alloc&) {
        return ENOMEM;
    }
}

int make_folder(const std::string& path) noexcept
{
    if (holds_zero(path)) {
        return EINVAL;
    }
    if (::mkdir(path.c_str(), new_folder_mode) == 0) {
        return 0;
    }
    const int err = errno;
    struct stat st
    {
    };
    if (err == EEXIST && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        return 0;
    }
    return err;
}

int remove_object(const std::string& path) noexcept
{
    if (holds_zero(path)) {
        return EINVAL;
    }
    return (std::remove(path.c_str()) == 0) ? 0 : errno;
}

int move_object(const std::string& src, const std::string& dst) noexcept
{
    if (holds_zero(src) || holds_zero(dst)) {
        return EINVAL;
    }
    if (::renameat2(AT_FDCWD, src.c_str(), AT_FDCWD, dst.c_str(), RENAME_NOREPLACE) == 0) {
        return 0;
    }
    const int err = errno;
    if (err != EINVAL && err != ENOSYS) {
        return err;
    }
    // A file system that cannot refuse the replacement itself: look first.
    struct stat st
    {
    };
    if (::lstat(dst.c_str(), &st) == 0) {
        return EEXIST;
    }
    return (::rename(src.c_str(), dst.c_str()) == 0) ? 0 : errno;
}

int copy_object(const std::string& src, const std::string& dst) noexcept
{
    if (holds_zero(src) || holds_zero(dst)) {
        return EINVAL;
    }
    struct stat st
    {
    };
    if (::lstat(src.c_str(), &st) != 0) {
        return errno;
    }
    try {
        if (S_ISDIR(st.st_mode)) {
            return copy_folder(src, dst);
        }
        // The copies below refuse an existing dst too, but tell a folder there by EINVAL
        // (and fs::copy would copy into it).
        struct stat dst_st
        {
        };
        if (::lstat(dst.c_str(), &dst_st) == 0) {
            return EEXIST;
        }
        std::error_code ec;
        if (S_ISLNK(st.st_mode)) {
            fs::copy_symlink(src, dst, ec);
        } else if (S_ISREG(st.st_mode)) {
            fs::copy_file(src, dst, fs::copy_options::none, ec);
        } else {
            return ENOTSUP;
        }
        return error_of(ec);
    } catch (const std::bad_alloc&) {
        return ENOMEM;
    }
}

int list_folder(const std::string& path, std::vector<std::string>& names) noexcept
{
    if (holds_zero(path)) {
        return EINVAL;
    }
    const int fd =
        ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        // O_NOFOLLOW refuses a link with ELOOP: a link is no folder here.
        return (errno == ELOOP) ? ENOTDIR : errno;
    }
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
        const int err = errno;
        static_cast<void>(::close(fd));
        return err;
    }
    try {
        return read_names(dir, names);
    } catch (const std::bad_alloc&) {
        return ENOMEM;
    }
}

int find_working_dir(std::string& path) noexcept
{
    try {
        std::error_code ec;
        const fs::path found = fs::current_path(ec);
        if (ec) {
            return ec.value();
        }
        path = found.string();
        return 0;
    } catch (const std::bad_alloc&) {
        return ENOMEM;
    }
}

int find_application_file(std::string& path) noexcept
{
    return make_canonical_path("/proc/self/exe", path);
}

} // namespace tnw::sys::posix
