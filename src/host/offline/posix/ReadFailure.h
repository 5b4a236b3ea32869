#pragma once

#include <string>

namespace host::offline::posix {

// Any thread; may allocate. Why the file at `path` cannot be read as a
// regular file, in a few lower-case words: the system's reason ("no such
// file", "permission denied", ...), "is a folder" or "not a regular file";
// empty when it can be read.
[[nodiscard]] std::string find_read_failure(const std::string& path);

} // namespace host::offline::posix
