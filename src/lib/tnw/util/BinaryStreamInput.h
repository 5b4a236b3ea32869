#pragma once

#include "lib/tnw/archi/Types.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace tnw::util {

// Reads big-endian typed values from a caller's block of bytes, which it
// neither owns nor modifies: integers and floating-point values most
// significant byte first, 64-bit values as two 32-bit halves (high half
// first), texts as a 32-bit length followed by the bytes.
// Any thread; one object is used by one thread at a time. Nothing is
// allocated except the content of a text read.
//
// Every operation that fails returns ERR_END_OF_DATA and leaves the stream
// usable at a documented position. When err_txt is not null, a failure is
// written to the debug log at level ERROR with that text.
class BinaryStreamInput
{
public:
    // Reading or seeking past either end of the block.
    static constexpr int ERR_END_OF_DATA = -3994;

    BinaryStreamInput() noexcept = default;
    // A null data pointer is an empty block, whatever the size.
    BinaryStreamInput(const archi::UByte* data, std::size_t size) noexcept;
    // A copy reads the same block from its start.
    BinaryStreamInput(const BinaryStreamInput& other) noexcept;
    BinaryStreamInput& operator=(const BinaryStreamInput& other) noexcept;
    virtual ~BinaryStreamInput() = default;

    // The first unread byte.
    [[nodiscard]] const archi::UByte* data() const noexcept;
    // Number of unread bytes.
    [[nodiscard]] std::size_t size() const noexcept;
    [[nodiscard]] bool empty() const noexcept;
    [[nodiscard]] std::size_t tell() const noexcept;

    // Past the end: the position becomes the end.
    [[nodiscard]] int seek_beg(std::size_t pos, const char* err_txt);
    // Before the start: the position becomes the start.
    [[nodiscard]] int seek_end(std::size_t off, const char* err_txt);
    // Past either end: the position stops at that end.
    [[nodiscard]] int advance(long n, const char* err_txt);

    // On failure the position and the value are unchanged, except that a
    // 64-bit value whose second half is missing consumes its first half.
    [[nodiscard]] int read(bool& value, const char* err_txt);
    [[nodiscard]] int read(archi::UByte& value, const char* err_txt);
    [[nodiscard]] int read(archi::SByte& value, const char* err_txt);
    [[nodiscard]] int read(archi::UInt16& value, const char* err_txt);
    [[nodiscard]] int read(archi::Int16& value, const char* err_txt);
    [[nodiscard]] int read(archi::UInt32& value, const char* err_txt);
    [[nodiscard]] int read(archi::Int32& value, const char* err_txt);
    [[nodiscard]] int read(unsigned long long& value, const char* err_txt);
    [[nodiscard]] int read(long long& value, const char* err_txt);
    [[nodiscard]] int read(void*& value, const char* err_txt);
    [[nodiscard]] int read(float& value, const char* err_txt);
    [[nodiscard]] int read(double& value, const char* err_txt);
    // A length whose bytes are not all there fails with the four length
    // bytes consumed and the text unchanged.
    [[nodiscard]] int read(std::string& value, const char* err_txt);
    // A view of the next len bytes inside the block, no copy. On failure ptr
    // becomes null and the position is unchanged.
    [[nodiscard]] int read(const archi::UByte*& ptr, std::size_t len, const char* err_txt);

private:
    // Reads nbr_bytes (1 to 4) into the low bits of raw.
    [[nodiscard]] int read_raw(std::uint32_t& raw, int nbr_bytes, const char* err_txt,
                               const char* function, long line);
    [[nodiscard]] int read_raw_64(std::uint64_t& raw, const char* err_txt, const char* function,
                                  long line);
    [[nodiscard]] bool can_read(std::uint64_t len) const noexcept;
    [[nodiscard]] static int fail(const char* err_txt, const char* function, long line);

    const archi::UByte* _data = nullptr;
    std::uint64_t _size = 0;
    std::uint64_t _pos = 0;
};

} // namespace tnw::util
