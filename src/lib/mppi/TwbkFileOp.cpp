#include "lib/mppi/TwbkFileOp.h"

#include "lib/basic/AtomicFileWriter.h"
#include "lib/mppi/BankConverterInterface.h"
#include "lib/mppi/BankErr.h"
#include "lib/mppi/BankManager.h"
#include "lib/mppi/BigEndian.h"
#include "lib/tnw/sys/posix/RegularFile.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>
#include <vector>

namespace mppi {
namespace {

using Writer = basic::AtomicFileWriter;
using tnw::sys::posix::ReadFileResult;
using tnw::sys::posix::RegularFile;

constexpr long HEADER_SIZE = sizeof(TwbkFileHeader);
// The header's size field is a 32-bit word.
constexpr long MAX_IMAGE_SIZE = std::numeric_limits<std::uint32_t>::max();

} // namespace

int TwbkFileOp::save_bank(const char* path, const BankManager& bank)
{
    if (path == nullptr) {
        return BankErr::OPEN;
    }
    // The whole image is formed before the target is opened: a file written in place (one
    // with other hard links) changes from open on, and a save refused here must leave it
    // whole.
    const long size = bank.get_object_size();
    if (size > MAX_IMAGE_SIZE) {
        return BankErr::SERIALIZE;
    }
    std::vector<unsigned char> image;
    try {
        image.assign(static_cast<std::size_t>(size), 0);
    } catch (const std::bad_alloc&) {
        return BankErr::SERIALIZE;
    }
    if (bank.write_to_memory(image.data()) != 0) {
        return BankErr::SERIALIZE;
    }
    TwbkFileHeader header;
    header._magic = TwbkFileHeader::MAGIC;
    BigEndian::write_u32(header._size.data(), static_cast<std::uint32_t>(size));
    Writer writer(path);
    if (writer.open(sizeof(header) + image.size()) != Writer::Result::OK) {
        return BankErr::OPEN;
    }
    if (writer.write(&header, sizeof(header)) != Writer::Result::OK) {
        return BankErr::WRITE_HEADER;
    }
    if (writer.write(image.data(), image.size()) != Writer::Result::OK ||
        writer.commit() != Writer::Result::OK) {
        return BankErr::WRITE_DATA;
    }
    return 0;
}

int TwbkFileOp::load_bank(const char* path, BankManager& bank, BankConverterInterface* converter,
                          bool strict)
{
    // Only a regular file is read: a folder, a device or a named pipe is refused at once
    // (opening a pipe never waits for a writer).
    RegularFile file;
    if (path == nullptr || file.open(path) != ReadFileResult::OK) {
        return BankErr::OPEN;
    }
    TwbkFileHeader header;
    std::size_t got = 0;
    if (!file.read(&header, sizeof(header), got) || got != sizeof(header)) {
        return BankErr::READ_HEADER;
    }
    const unsigned char* unused = nullptr;
    long size = 0;
    if (const int ret = check_header(&header, unused, size); ret != 0) {
        return ret;
    }
    // The announced size is checked against the file before anything is
    // allocated for it.
    if (file.get_size() < sizeof(header) ||
        static_cast<unsigned long long>(size) > file.get_size() - sizeof(header)) {
        return BankErr::READ_DATA;
    }
    std::vector<unsigned char> image;
    try {
        image.assign(static_cast<std::size_t>(size), 0);
    } catch (const std::bad_alloc&) {
        return BankErr::READ_DATA;
    }
    if (!file.read(image.data(), image.size(), got) || got != image.size()) {
        return BankErr::READ_DATA;
    }
    return check_data(image.data(), size, bank, converter, strict);
}

int TwbkFileOp::load_bank_mem(const void* data, long len, BankManager& bank,
                              BankConverterInterface* converter, bool strict)
{
    if (data == nullptr || len < HEADER_SIZE) {
        return BankErr::READ_HEADER;
    }
    const unsigned char* image = nullptr;
    long unused = 0;
    if (const int ret = check_header(static_cast<const TwbkFileHeader*>(data), image, unused);
        ret != 0) {
        return ret;
    }
    return check_data(image, len - HEADER_SIZE, bank, converter, strict);
}

int TwbkFileOp::check_header(const TwbkFileHeader* header, const unsigned char*& image,
                             long& size) noexcept
{
    if (header == nullptr) {
        return BankErr::READ_HEADER;
    }
    // Read as bytes: the header may lie over a plain byte buffer.
    const auto* bytes = reinterpret_cast<const unsigned char*>(header);
    const auto& magic = TwbkFileHeader::MAGIC;
    if (!std::equal(magic.begin(), magic.end(), bytes)) {
        return BankErr::MAGIC;
    }
    image = bytes + HEADER_SIZE;
    size = static_cast<long>(BigEndian::read_u32(bytes + magic.size()));
    return 0;
}

int TwbkFileOp::check_data(const unsigned char* image, long len, BankManager& bank,
                           BankConverterInterface* converter, bool strict)
{
    BankManager loaded(0);
    try {
        if (const int ret = loaded.read_from_memory(image, len); ret != 0) {
            return ret;
        }
    } catch (const std::bad_alloc&) {
        return BankErr::PARSE;
    }
    if (converter != nullptr && !converter->convert(loaded)) {
        return BankErr::CONVERTER;
    }
    const int nbr_prog = loaded.get_nbr_prog();
    if (strict) {
        if (nbr_prog != bank.get_nbr_prog()) {
            return BankErr::NBR_PROG;
        }
        for (int i = 0; i < nbr_prog; ++i) {
            if (loaded[i].get_nbr_param() != bank[i].get_nbr_param()) {
                return BankErr::NBR_PARAM;
            }
        }
    }
    // Bank assignment without a step that could fail half-way: the programs
    // that exist in both keep the target's flags, then the lists change hands.
    for (int i = 0; i < std::min(nbr_prog, bank.get_nbr_prog()); ++i) {
        loaded[i].set_flags(bank[i].get_flags());
    }
    bank.swap(loaded);
    return 0;
}

} // namespace mppi
