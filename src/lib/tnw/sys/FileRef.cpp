#include "lib/tnw/sys/FileRef.h"

#include "lib/tnw/sys/FileRefImpl.h"
#include "lib/tnw/sys/posix/FileTreeOps.h"
#include "lib/tnw/tdbg/LogFmt.h"

namespace tnw::sys {

namespace {
constexpr const char* source_file = __FILE__ ", " __DATE__;
} // namespace

FileRef::FileRef(const FileRefImpl& impl) : _impl_uptr(impl.clone()) {}

FileRef::FileRef(const FileRef& other) : _impl_uptr(other._impl_uptr->clone()) {}

FileRef& FileRef::operator=(const FileRef& other)
{
    if (&other != this) {
        _impl_uptr = other._impl_uptr->clone();
    }
    return *this;
}

FileRef::~FileRef() = default;

bool FileRef::is_directory() const
{
    return _impl_uptr->use_info().is_directory();
}

bool FileRef::is_hidden() const
{
    return _impl_uptr->use_info().is_hidden();
}

bool FileRef::is_read_only() const
{
    return _impl_uptr->use_info().is_read_only();
}

const std::string& FileRef::get_name() const
{
    return _impl_uptr->use_info().get_name();
}

const util::FileDescriptor& FileRef::get_info() const
{
    return _impl_uptr->use_info();
}

void FileRef::update_info()
{
    _impl_uptr->set_dirty();
    static_cast<void>(_impl_uptr->use_info());
}

std::string FileRef::to_utf8_path() const
{
    return _impl_uptr->conv_to_fopen();
}

void FileRef::save(std::vector<unsigned char>& data) const
{
    data.clear();
    const std::string& path = _impl_uptr->get_fs_ref();
    posix::ObjectFacts facts;
    const int err = posix::read_object_facts(path, facts);
    if (err != 0) {
        tdbg::log_fmt(tdbg::Debugger::ERROR, source_file, __PRETTY_FUNCTION__, __LINE__,
                      "FSNewAliasMinimal failed with error %1%", err);
        return;
    }
    data.assign(path.begin(), path.end());
}

const std::string& FileRef::get_fs_ref() const noexcept
{
    return _impl_uptr->get_fs_ref();
}

bool FileRef::operator==(const FileRef& other) const noexcept
{
    return get_fs_ref() == other.get_fs_ref();
}

bool FileRef::operator!=(const FileRef& other) const noexcept
{
    return !(*this == other);
}

bool FileRef::operator<(const FileRef& other) const noexcept
{
    // std::string compares as unsigned bytes, as the stored forms do.
    return get_fs_ref() < other.get_fs_ref();
}

} // namespace tnw::sys
