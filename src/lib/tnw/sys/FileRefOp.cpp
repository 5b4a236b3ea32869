#include "lib/tnw/sys/FileRefOp.h"

#include "lib/tnw/sys/FileRefFactory.h"
#include "lib/tnw/sys/FileRefImpl.h"
#include "lib/tnw/sys/posix/FileTreeOps.h"
#include "lib/tnw/tdbg/LogFmt.h"

#include <algorithm>
#include <cerrno>
#include <vector>

namespace tnw::sys {

namespace {

constexpr const char* source_file = __FILE__ ", " __DATE__;

bool is_single_name(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

} // namespace

FileRefSPtr FileRefOp::up(const FileRef& ref)
{
    std::string parent;
    posix::ObjectFacts facts;
    if (posix::read_object_facts(ref.get_fs_ref(), facts) != 0 ||
        posix::find_parent_path(ref.get_fs_ref(), parent) != 0) {
        return {};
    }
    return FileRefFactory::from_fsref(parent);
}

FileRefSPtr FileRefOp::up(FileRefSPtr ref)
{
    if (ref.get() == nullptr) {
        return {};
    }
    return up(*ref);
}

FileRefSPtr FileRefOp::up(FileRefSPtr ref, int n)
{
    FileRefSPtr cur = up(ref);
    for (int level = 1; level < n && cur.get() != nullptr; ++level) {
        cur = up(cur);
    }
    return cur;
}

FileRefSPtr FileRefOp::mkdir(const FileRef& parent, const std::string& name)
{
    const std::string path = posix::join_path(parent.get_fs_ref(), name);
    const int err = posix::make_folder(path);
    if (err != 0) {
        tdbg::log_fmt(tdbg::Debugger::ERROR, source_file, __PRETTY_FUNCTION__, __LINE__,
                      "FileRefOp::mkdir () - error %1% : folder %2%", err, path.c_str());
        return {};
    }
    return FileRefFactory::from_utf8_path(path);
}

FileRefSPtr FileRefOp::enter(const FileRef& parent, const std::string& name)
{
    return FileRefFactory::from_utf8_path(posix::join_path(parent.get_fs_ref(), name));
}

void FileRefOp::rm(const FileRef& ref)
{
    const int err = posix::remove_object(ref.get_fs_ref());
    if (err != 0) {
        tdbg::log_fmt(tdbg::Debugger::ERROR, source_file, __PRETTY_FUNCTION__, __LINE__,
                      "FileRefOp::rm () - FileManager error %1% : file %2%", err,
                      ref.get_fs_ref().c_str());
    }
}

void FileRefOp::rmr(const FileRef& ref)
{
    std::list<FileRef> list;
    lsr(list, ref);
    // Last to first: every folder's content goes before the folder.
    std::for_each(list.rbegin(), list.rend(), [](const FileRef& entry) { rm(entry); });
    rm(ref);
}

FileRefSPtr FileRefOp::mv(const FileRef& src, const FileRef& dst_dir, const std::string& name)
{
    return transfer(src, dst_dir, name, false);
}

FileRefSPtr FileRefOp::cp(const FileRef& src, const FileRef& dst_dir, const std::string& name)
{
    return transfer(src, dst_dir, name, true);
}

FileRefSPtr FileRefOp::transfer(const FileRef& src, const FileRef& dst_dir, const std::string& name,
                                bool copy_flag)
{
    const std::string dst = posix::join_path(dst_dir.get_fs_ref(), name);
    int err = EINVAL;
    if (is_single_name(name)) {
        err = copy_flag ? posix::copy_object(src.get_fs_ref(), dst)
                        : posix::move_object(src.get_fs_ref(), dst);
    }
    if (err != 0) {
        const char* format =
            copy_flag ? "FileRefOp::cp () - FileManager error #%1% : \nsrc: %2%\n dst:  %3%/%4%"
                      : "FileRefOp::mv () - FileManager error #%1% : \nsrc: %2%\n dst:  %3%/%4%";
        tdbg::log_fmt(tdbg::Debugger::ERROR, source_file, __PRETTY_FUNCTION__, __LINE__, format,
                      err, src.get_fs_ref().c_str(), dst_dir.get_fs_ref().c_str(), name.c_str());
        return {};
    }
    // The new object itself, a link included.
    return FileRefFactory::from_fsref(dst);
}

void FileRefOp::ls(std::list<FileRef>& list, const FileRef& dir)
{
    ls_rec(list, dir, false);
}

void FileRefOp::lsr(std::list<FileRef>& list, const FileRef& dir)
{
    ls_rec(list, dir, true);
}

void FileRefOp::ls_rec(std::list<FileRef>& list, const FileRef& dir, bool recursive)
{
    ls_path(list, dir.get_fs_ref(), recursive);
}

void FileRefOp::ls_path(std::list<FileRef>& list, const std::string& dir_path, bool recursive)
{
    std::vector<std::string> names;
    const int err = posix::list_folder(dir_path, names);
    if (err == ENOTDIR) {
        return;
    }
    if (err == EACCES) {
        tdbg::log_fmt(tdbg::Debugger::WARNING, source_file, __PRETTY_FUNCTION__, __LINE__,
                      "listing %1% : access denied", dir_path.c_str());
        return;
    }
    if (err != 0) {
        tdbg::log_fmt(tdbg::Debugger::ERROR, source_file, __PRETTY_FUNCTION__, __LINE__,
                      "listing %1% : unknown error %2% occured", dir_path.c_str(), err);
        return;
    }
    for (const std::string& name : names) {
        const std::string child = posix::join_path(dir_path, name);
        list.emplace_back(FileRefImpl(child));
        if (recursive) {
            ls_path(list, child, true);
        }
    }
}

} // namespace tnw::sys
