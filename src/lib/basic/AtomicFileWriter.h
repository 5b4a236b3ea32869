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
// Lifecycle: open(), any number of write(), then commit(); an instance that is destroyed or
// discarded before commit() removes its temporary file.
class AtomicFileWriter
{
public:
    enum class Result
    {
        OK,
        OPEN_FAILED,  // the temporary file could not be created
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
    std::filesystem::path _target;
    std::filesystem::path _temp;
    std::FILE* _file = nullptr;
    bool _failed = false;
};

} // namespace basic
