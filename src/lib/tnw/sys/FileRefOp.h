#pragma once

#include "lib/tnw/sys/FileRef.h"

#include <list>
#include <string>

namespace tnw::sys {

// Walks and changes the file tree. Symbolic links are never followed: a
// listing does not descend into a link, a removal removes the link, a copy
// copies a link as a link. Nothing replaces an existing object.
// Any thread; may allocate and block in the file system.
class FileRefOp
{
public:
    FileRefOp() = delete;

    // The folder that holds ref; empty at the root and when ref's object is
    // gone.
    [[nodiscard]] static FileRefSPtr up(const FileRef& ref);
    [[nodiscard]] static FileRefSPtr up(FileRefSPtr ref);
    // Climbs n levels (at least one), stopping at the first empty result.
    [[nodiscard]] static FileRefSPtr up(FileRefSPtr ref, int n);

    // The folder name in parent, made with mode 0777 when missing. Empty,
    // logged, when it cannot be made or another object holds the name.
    [[nodiscard]] static FileRefSPtr mkdir(const FileRef& parent, const std::string& name);
    // The object at parent's path + "/" + name, links resolved; failure logged.
    [[nodiscard]] static FileRefSPtr enter(const FileRef& parent, const std::string& name);

    // Removes a file, a link or an empty folder; failure logged.
    static void rm(const FileRef& ref);
    // Removes ref and, for a folder, everything in it.
    static void rmr(const FileRef& ref);
    // Moves src into the folder dst_dir under name, within one file system.
    // Empty, logged, when an object holds the name already or name is not a
    // single name ("", ".", "..", a '/' in it).
    [[nodiscard]] static FileRefSPtr mv(const FileRef& src, const FileRef& dst_dir,
                                        const std::string& name);
    // The same for a copy; a folder is copied with its content.
    [[nodiscard]] static FileRefSPtr cp(const FileRef& src, const FileRef& dst_dir,
                                        const std::string& name);

    // Appends dir's children, sorted by name; nothing for a non-folder.
    static void ls(std::list<FileRef>& list, const FileRef& dir);
    // Appends dir's whole subtree, each folder before its content.
    static void lsr(std::list<FileRef>& list, const FileRef& dir);
    static void ls_rec(std::list<FileRef>& list, const FileRef& dir, bool recursive);

private:
    [[nodiscard]] static FileRefSPtr transfer(const FileRef& src, const FileRef& dst_dir,
                                              const std::string& name, bool copy_flag);
    static void ls_path(std::list<FileRef>& list, const std::string& dir_path, bool recursive);
};

} // namespace tnw::sys
