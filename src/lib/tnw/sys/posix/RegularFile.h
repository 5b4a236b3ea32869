#pragma once

#include <cstddef>
#include <string>

namespace tnw::sys::posix {

enum class ReadFileResult
{
    OK,
    MISSING,     // no file at the path (or a path through a non-folder)
    OPEN_FAILED, // the file is there but could not be opened
    NOT_REGULAR, // a folder, a named pipe, a device, a socket
    TOO_LARGE,   // more than the caller's limit
    READ_FAILED  // an I/O error while reading
};

// Any thread; may allocate, blocks on file I/O only (never on a pipe or a device, which
// are refused before the first read). Replaces `bytes` with the whole content of the
// regular file at `path`, when it holds at most `max_bytes` bytes; on any other result
// `bytes` is left empty. A file that grows past the limit while it is read is refused too.
[[nodiscard]] ReadFileResult read_regular_file(const std::string& path, std::size_t max_bytes,
                                               std::string& bytes);

} // namespace tnw::sys::posix
