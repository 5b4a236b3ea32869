#pragma once

#include <cstddef>
#include <memory>

namespace host::offline {

// The bytes of a file built in memory. It grows without zeroing what it adds,
// so a writer can make its bytes straight in the room past the end, and, where
// the system lets it, on large pages: a long render's output then costs a few
// page faults instead of one every 4 KiB.
//
// One thread at a time; may allocate.
class FileImage
{
public:
    FileImage() = default;
    FileImage(const FileImage&) = delete;
    FileImage& operator=(const FileImage&) = delete;
    ~FileImage() = default;

    [[nodiscard]] const unsigned char* data() const noexcept { return _data.get(); }
    [[nodiscard]] std::size_t size() const noexcept { return _size; }

    // Room for `capacity` bytes in all, the bytes there kept. Throws
    // std::bad_alloc.
    void reserve(std::size_t capacity);
    // Room for `nbr` bytes from `pos` on (at least doubled where it grows);
    // the start of that room, whose bytes the caller then sets and `write`s
    // at `pos`. Throws std::bad_alloc.
    [[nodiscard]] unsigned char* make_room(std::size_t pos, std::size_t nbr);
    // Writes `nbr` bytes at `pos`, growing the file; a gap before them reads
    // as zeros. Bytes that lie in the image itself (made in its room) move
    // within it, and are not copied at all when already at `pos`. Throws
    // std::bad_alloc.
    void write(std::size_t pos, const void* bytes, std::size_t nbr);
    // Empties the file; the room stays.
    void clear() noexcept { _size = 0; }

private:
    // Frees with the alignment the bytes were allocated with (set with
    // every pointer the image takes).
    struct AlignedDelete
    {
        std::size_t align;
        void operator()(unsigned char* data) const noexcept;
    };

    std::unique_ptr<unsigned char, AlignedDelete> _data;
    std::size_t _size = 0;
    std::size_t _capacity = 0;
};

} // namespace host::offline
