#include "lib/tnw/util/FileDescriptor.h"

#include <utility>

namespace tnw::util {

FileDescriptor::FileDescriptor(std::string name, const sys::UtcTime& creation_date,
                               const sys::UtcTime& modification_date, long long length, int flags)
    : _name(std::move(name)), _creation_date(creation_date), _modification_date(modification_date),
      _length(length), _directory_flag((flags & FLAG_DIRECTORY) != 0),
      _read_only_flag((flags & FLAG_READ_ONLY) != 0), _hidden_flag((flags & FLAG_HIDDEN) != 0),
      _system_flag((flags & FLAG_SYSTEM) != 0)
{
}

} // namespace tnw::util
