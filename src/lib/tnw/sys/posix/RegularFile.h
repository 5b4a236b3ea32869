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

// One thread at a time per object; blocks on file I/O only, never on a pipe or a device.
// A regular file open for reading, closed when the object goes. Opening never waits for a
// writer of a named pipe, and refuses whatever is not a regular file before a byte is read.
class RegularFile
{
public:
    RegularFile() = default;
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;
    ~RegularFile() { close(); }

    // OK, MISSING, OPEN_FAILED, NOT_REGULAR, or READ_FAILED when the file's status cannot be
    // read; a file open before is closed first.
    [[nodiscard]] ReadFileResult open(const std::string& path);
    // As open(), but a missing file is created empty first, with the permission bits `mode`
    // (the file creation mask may only narrow them).
    [[nodiscard]] ReadFileResult open_or_create(const std::string& path, unsigned mode);
    // As open(), for the process's standard input: OK where it is a regular file, which the
    // object then reads through a descriptor of its own.
    [[nodiscard]] ReadFileResult open_standard_input();
    [[nodiscard]] bool is_open() const noexcept { return _fd >= 0; }
    // The system's error number of the last open() that failed (EISDIR for a folder), 0
    // after a success or where the system gives none (a pipe, a device).
    [[nodiscard]] int get_error() const noexcept { return _error; }
    // The file's size in bytes when it was opened.
    [[nodiscard]] unsigned long long get_size() const noexcept { return _size; }
    // Reads up to `size` bytes, going on after partial reads and interruptions; `got` receives
    // the count, less than `size` only at the end of the file. False on an I/O error.
    [[nodiscard]] bool read(void* data, std::size_t size, std::size_t& got);
    // As read(), from the byte at `pos`, the file's position left as it is.
    [[nodiscard]] bool read_at(unsigned long long pos, void* data, std::size_t size,
                               std::size_t& got);
    // Waits for an exclusive advisory lock (flock) on the file, held until it is closed.
    [[nodiscard]] bool lock_exclusive();
    void close() noexcept;

private:
    [[nodiscard]] ReadFileResult open_with(const std::string& path, int flags, unsigned mode);
    // Takes the open descriptor `fd` as the file's, refusing what is not a regular file.
    [[nodiscard]] ReadFileResult adopt(int fd);
    // read() from the file's position where `pos` is negative, else read_at().
    [[nodiscard]] bool read_from(long long pos, void* data, std::size_t size, std::size_t& got);

    int _fd = -1;
    unsigned long long _size = 0;
    int _error = 0;
};

// Any thread; may allocate, blocks on file I/O only (never on a pipe or a device, which
// are refused before the first read). Replaces `bytes` with the whole content of the
// regular file at `path`, when it holds at most `max_bytes` bytes; on any other result
// `bytes` is left empty. A file that grows past the limit while it is read is refused too.
[[nodiscard]] ReadFileResult read_regular_file(const std::string& path, std::size_t max_bytes,
                                               std::string& bytes);

} // namespace tnw::sys::posix
