#include "lib/tnw/sys/FileRefImpl.h"

#include "lib/tnw/sys/MacTimeFnc.h"
#include "lib/tnw/sys/posix/FileTreeOps.h"
#include "lib/tnw/tdbg/LogFmt.h"

#include <stdexcept>
#include <utility>

namespace tnw::sys {

namespace {

constexpr const char* source_file = __FILE__ ", " __DATE__;

std::string find_name(const std::string& path)
{
    if (path == "/") {
        return path;
    }
    return path.substr(path.rfind('/') + 1);
}

} // namespace

FileRefImpl::FileRefImpl(std::string fs_ref) : _fs_ref(std::move(fs_ref)) {}

std::unique_ptr<FileRefImpl> FileRefImpl::clone() const
{
    return std::make_unique<FileRefImpl>(_fs_ref);
}

const util::FileDescriptor& FileRefImpl::use_info()
{
    if (_info_dirty) {
        update();
    }
    if (_info_uptr == nullptr) {
        static const util::FileDescriptor empty_info;
        return empty_info;
    }
    return *_info_uptr;
}

std::string FileRefImpl::conv_to_fopen() const
{
    if (_fs_ref.empty()) {
        throw std::runtime_error("tnw::sys::FileRefImpl::conv_to_fopen : FSRefMakePath failed");
    }
    return _fs_ref;
}

void FileRefImpl::update()
{
    posix::ObjectFacts facts;
    const int err = posix::read_object_facts(_fs_ref, facts);
    // Tried once per update_info(): until then the last description stands.
    _info_dirty = false;
    if (err != 0) {
        tdbg::log_fmt(tdbg::Debugger::ERROR, source_file, __PRETTY_FUNCTION__, __LINE__,
                      "FSGetCatalogInfo failed with error %1%", err);
        return;
    }
    std::string name = find_name(_fs_ref);
    UtcTime creation_date;
    if (facts.birth_known) {
        MacTimeFnc::timespec_to_UtcTime(creation_date, facts.birth);
    }
    UtcTime modification_date;
    MacTimeFnc::timespec_to_UtcTime(modification_date, facts.modification);
    // A folder holds no data of its own; no folder is taken for a package.
    const long long length = facts.directory ? 0 : facts.size;
    const bool hidden = name.starts_with(".");
    const int flags =
        util::FileDescriptor::make_flags(facts.directory, !facts.owner_write, hidden, false);
    _info_uptr = std::make_unique<util::FileDescriptor>(std::move(name), creation_date,
                                                        modification_date, length, flags);
}

} // namespace tnw::sys
