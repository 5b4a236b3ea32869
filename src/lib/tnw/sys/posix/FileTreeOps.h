#pragma once

#include <ctime>
#include <string>
#include <vector>

namespace tnw::sys::posix {

// Objects of the file tree named by their paths. Any thread; no lock; may
// block in the file system and may allocate. Every int result is 0 or the
// system's error number (errno). A path holding a zero byte is refused with
// EINVAL, as it would name another object once handed to the system.
// Symbolic links are followed only where an operation says so.

// What the system tells of one object, a symbolic link not followed.
struct ObjectFacts
{
    bool directory = false;
    bool owner_write = false;
    long long size = 0;
    std::timespec modification{};
    // False where the file system keeps no creation time.
    bool birth_known = false;
    std::timespec birth{};
};

[[nodiscard]] int read_object_facts(const std::string& path, ObjectFacts& facts) noexcept;

// The absolute path of the object, every symbolic link resolved and no "."
// or ".." left. ENOENT when nothing is there.
[[nodiscard]] int make_canonical_path(const std::string& path, std::string& canonical) noexcept;

// For a stored identity: an absolute path without "." or ".." parts, double
// or trailing '/', naming an object (the last part not followed when it is a
// link). The result has the folders above resolved. EINVAL for any other
// text.
[[nodiscard]] int make_object_path(const std::string& path, std::string& object_path) noexcept;

// folder + "/" + name, without doubling the root's '/'.
[[nodiscard]] std::string join_path(const std::string& folder, const std::string& name);

// The parent folder's path of an absolute path without trailing '/';
// ENOENT for "/" and for a path without a '/'.
[[nodiscard]] int find_parent_path(const std::string& path, std::string& parent) noexcept;

// Creates the folder with mode 0777 (less the creation mask). 0 also when a
// folder (or a link to one) holds the name already; EEXIST when anything
// else does.
[[nodiscard]] int make_folder(const std::string& path) noexcept;

// Removes a file, a symbolic link (never what it points at) or an empty
// folder.
[[nodiscard]] int remove_object(const std::string& path) noexcept;

// Renames within one file system; EEXIST rather than replace an object at
// dst, EXDEV across file systems (no copy is made).
[[nodiscard]] int move_object(const std::string& src, const std::string& dst) noexcept;

// Copies a file, or a folder with its content; a symbolic link anywhere is
// copied as a link. EEXIST rather than replace or merge into an object at
// dst; EINVAL for a folder copied into itself. A failed folder copy leaves
// nothing at dst.
[[nodiscard]] int copy_object(const std::string& src, const std::string& dst) noexcept;

// Replaces names with the names in the folder, sorted bytewise, without "."
// and "..". ENOTDIR for anything that is not a folder, a symbolic link
// included.
[[nodiscard]] int list_folder(const std::string& path, std::vector<std::string>& names) noexcept;

// The process's current directory.
[[nodiscard]] int find_working_dir(std::string& path) noexcept;

// The running program's file.
[[nodiscard]] int find_application_file(std::string& path) noexcept;

} // namespace tnw::sys::posix
