#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tnw::sys::posix {

// Permission bits of a file: read, write and execute for owner, group and others.
inline constexpr unsigned PERMISSION_BITS = 0777;
// Read and write for the owner alone.
inline constexpr unsigned OWNER_ONLY_MODE = 0600;

// What the system tells of a file, symbolic links followed.
struct FileStatus
{
    bool exists = false;
    bool regular = false; // a plain file: no folder, pipe, device or socket
    bool folder = false;
    unsigned long nbr_links = 0;
    unsigned long owner = 0;
    unsigned long group = 0;
    unsigned mode = 0; // permission bits with set-user-id, set-group-id and sticky bits
    int error = 0;     // the system's error number when the status could not be told
};

// Any thread; no lock. A missing file (or a missing folder on the way) gives exists false and
// true; false when the status cannot be told (no search permission, a link loop, ...).
[[nodiscard]] bool get_file_status(const std::string& path, FileStatus& status);

// Any thread; no lock. The permission bits a file created now by an ordinary open of this
// process gets: read and write for everyone, less the process's file creation mask.
[[nodiscard]] unsigned get_new_file_mode();

// One thread at a time per object; may block in the file system.
// A file open for writing, closed (without a check) when the object goes.
class RawFile
{
public:
    enum class CreateResult
    {
        OK,
        NAME_TAKEN,     // something exists at the path
        FOLDER_REFUSES, // the folder takes no new file here (permission, read-only, name length)
        FAILED          // any other failure (no space, no such folder, ...)
    };

    RawFile() = default;
    RawFile(const RawFile&) = delete;
    RawFile& operator=(const RawFile&) = delete;
    ~RawFile() { close_quietly(); }

    // Creates a file that must not exist yet, with the given permission bits (the file
    // creation mask may only narrow them).
    [[nodiscard]] CreateResult create_new(const std::string& path, unsigned mode);
    // Opens a file for writing in place: a plain file is emptied (a missing one created as
    // any new file); a pipe that nobody reads is refused instead of waited for.
    [[nodiscard]] bool open_in_place(const std::string& path);
    // As open_in_place(), for `size` bytes to come: a plain file keeps its bytes until room
    // for `size` bytes is reserved on its device, and is refused unchanged, with the
    // system's reason, where there is none (a full disk) or where `size` passes the
    // process's file-size limit, however long the file is already. On a file system that
    // reserves no room it is emptied as above. The bytes written go over the previous ones
    // from the start; end_here() then cuts what is left of those.
    [[nodiscard]] bool open_in_place(const std::string& path, std::uint64_t size);
    // Writes to a copy of the descriptor `fd` of this process (the standard output, say),
    // which stays open itself.
    [[nodiscard]] bool open_duplicate(int fd);
    // True when this process may open the existing file at path for writing; the file is not
    // changed. `error` receives the system's error number of a refusal.
    [[nodiscard]] static bool can_write(const std::string& path, int& error);

    [[nodiscard]] bool is_open() const noexcept { return _fd >= 0; }
    // Writes every byte, going on after partial writes and interruptions.
    [[nodiscard]] bool write_all(const void* data, std::size_t size);
    // A plain file ends where the bytes written so far end; other files stay as they are.
    [[nodiscard]] bool end_here();
    // Gives the file the owner and group unless it has them already.
    [[nodiscard]] bool set_owner(unsigned long owner, unsigned long group);
    [[nodiscard]] bool set_mode(unsigned mode);
    // False when the system reports an error at close (a write that failed late).
    [[nodiscard]] bool close();
    void close_quietly() noexcept;

    // The system's error number (errno) of the last operation that failed, 0 before any.
    [[nodiscard]] int get_error() const noexcept { return _error; }

private:
    // Opens for writing with open_in_place()'s flags and `extra_flags`.
    [[nodiscard]] bool open_for_writing(const std::string& path, int extra_flags);
    // Keeps errno of a failure; false.
    bool fail() noexcept;

    int _fd = -1;
    int _error = 0;
};

} // namespace tnw::sys::posix
