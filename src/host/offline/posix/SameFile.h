#pragma once

#include <string>

namespace host::offline::posix {

// The name that stands for the standard input as an input file and for the
// standard output as an output file.
inline constexpr const char* STANDARD_STREAM_NAME_0 = "-";

// Any thread; no allocation. True when `read`, a file the run reads, is a
// regular file and the output that same file: the same device and file
// number, symbolic links followed (a hard link is the same file too). An
// output "-" is the standard output; a `read` "-" is the standard input where
// `dash_is_stdin` (the input), else a file of that name (a bank file). False
// when either is not there (an output not made yet).
[[nodiscard]] bool is_same_file(const std::string& read, bool dash_is_stdin,
                                const std::string& output) noexcept;

// Any thread; no allocation. True for "-" and for another name of the
// standard output when that is no regular file (/dev/stdout, /dev/fd/1 or
// /proc/self/fd/1 on a pipe, say): the bytes go through the descriptor the
// process was given.
[[nodiscard]] bool is_standard_output(const std::string& output) noexcept;

} // namespace host::offline::posix
