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
// True when the folder exists afterwards. May allocate. The user's home
// folder is never made: a path at or below a HOME that does not exist is
// refused, so that without it there is no log file and no preference store,
// as when HOME is unset.
[[nodiscard]] bool make_folders(const std::string& path) noexcept;

} // namespace tnw::sys::posix
