#pragma once

#include <string>

namespace tnw::sys::posix {

// Any thread; may allocate. The reason a file operation failed, in a few lower-case words,
// for the system's error number (errno): "no such folder", "read-only file system", "no
// space left on device", "permission denied", "is a folder", ... Numbers without a text of
// their own get the system's text.
[[nodiscard]] std::string describe_error(int error);

} // namespace tnw::sys::posix
