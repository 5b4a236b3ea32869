#pragma once

#include <cstdio>
#include <string>

namespace tnw::sys::posix {

// Files and folders of the log. Any thread.

// Creates the file, or empties an existing one, for writing text. Null when
// that fails (or path is null). The file is not handed on to programs the
// process starts.
[[nodiscard]] std::FILE* create_log_file(const char* path) noexcept;

// Closes a file from create_log_file(); a null file is ignored. False when
// data could not be written.
bool close_log_file(std::FILE* file) noexcept;

// Creates the folder and every missing folder above it, without a shell.
// True when the folder exists afterwards. May allocate.
[[nodiscard]] bool make_folders(const std::string& path) noexcept;

} // namespace tnw::sys::posix
