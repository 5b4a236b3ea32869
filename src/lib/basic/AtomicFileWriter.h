#pragma once

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace basic {

// One thread per instance; instances writing different files may run concurrently.
// Replaces a file as a whole or not at all: the bytes go to a new temporary file in the
// target's folder, which is flushed, closed and then renamed over the target. Any failure
// removes the temporary file and leaves the previous target untouched.
// The replacement behaves like writing the file in place where it matters to the user: a
// target that could not be opened for writing (a folder, a read-only file) is refused at
// open(), the new file keeps the permissions of the one it replaces, and a symbolic link is
// followed, so the file it points at is replaced and the link stays.
// Lifecycle: open(), any number of write(), then commit(); an instance that is destroyed or
// discarded before commit() removes its temporary file.
class AtomicFileWriter
{
public:
    enum class Result
    {
        OK,
        OPEN_FAILED,  // the target cannot be written or the temporary file not be created
        WRITE_FAILED, // writing, flushing, closing or renaming failed
    };

    explicit AtomicFileWriter(const std::string& target_path);
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;
    ~AtomicFileWriter();

    [[nodiscard]] Result open();
    // After a failure every later write() and commit() fails too.
    [[nodiscard]] Result write(const void* data, std::size_t size);
    [[nodiscard]] Result commit();
    void discard() noexcept;

    // The whole job for bytes held in memory.
    [[nodiscard]] static Result write_file(const std::string& target_path, std::string_view bytes);

private:
    // Follows a symbolic link and refuses a target that could not be written in place; notes
    // the permissions of an existing target.
    [[nodiscard]] bool check_target();

    std::filesystem::path _target;
    std::filesystem::path _temp;
    std::FILE* _file = nullptr;
    bool _failed = false;
    // Permissions of the file being replaced, given to the new one before the rename.
    std::filesystem::perms _target_perms = std::filesystem::perms::unknown;
};

} // namespace basic
