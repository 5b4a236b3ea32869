#pragma once

#include "lib/mppi/Fwd.h"

#include <array>

namespace mppi {

// The 8 bytes in front of the bank image of a bank file: the magic "TWBK",
// then the image size as a big-endian 32-bit word. Byte-aligned, so it may be
// laid over the start of a file held in memory.
class TwbkFileHeader
{
public:
    static constexpr std::array<unsigned char, 4> MAGIC = {'T', 'W', 'B', 'K'};

    std::array<unsigned char, 4> _magic{};
    std::array<unsigned char, 4> _size{};
};
static_assert(sizeof(TwbkFileHeader) == 8 && alignof(TwbkFileHeader) == 1);

// Bank files ("TWBK" header and bank image, on disk or in memory), read into
// and written from a BankManager. Results are 0 or a BankErr code; nothing
// throws. A refused load leaves the caller's bank as it was; a failed save
// leaves the previous file as it was, unless the file had to be written in
// place (see basic::AtomicFileWriter) and writing itself failed.
//
// Main thread only; may allocate (at most a small multiple of the file size).
class TwbkFileOp
{
public:
    TwbkFileOp() = delete;

    // Writes the bank as a whole new file (through a temporary file renamed
    // over the target). The image is formed whole before the target is
    // opened, so a bank that cannot be turned into an image (none of its
    // programs, too large, no memory) leaves any file untouched.
    [[nodiscard]] static int save_bank(const char* path, const BankManager& bank);

    // Reads the bank file at `path` into `bank` (see check_data). The image
    // must hold the bytes its header announces, which must be in the file.
    [[nodiscard]] static int load_bank(const char* path, BankManager& bank,
                                       BankConverterInterface* converter, bool strict);

    // As load_bank for a whole bank file of `len` bytes in memory (a
    // resource). The header's size field is not used: the image is whatever
    // follows the header.
    [[nodiscard]] static int load_bank_mem(const void* data, long len, BankManager& bank,
                                           BankConverterInterface* converter, bool strict);

    // BankErr::MAGIC unless the header starts with "TWBK"; otherwise points
    // `image` at the byte after the header, sets `size` to the header's size
    // field (unsigned) and returns 0.
    [[nodiscard]] static int check_header(const TwbkFileHeader* header, const unsigned char*& image,
                                          long& size) noexcept;

    // Reads the image of `len` bytes into a new bank, lets the converter (if
    // any) accept it, and with `strict` demands the target's number of
    // programs and each program's number of values. Then the target takes the
    // new program list (bank assignment: programs that were there keep their
    // flags) and 0 is returned.
    [[nodiscard]] static int check_data(const unsigned char* image, long len, BankManager& bank,
                                        BankConverterInterface* converter, bool strict);
};

} // namespace mppi
