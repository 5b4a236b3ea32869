#include "lib/mppi/BankManager.h"

#include "lib/mppi/BankErr.h"
#include "lib/mppi/BigEndian.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>

namespace mppi {
namespace {

// Layout of a bank image.
constexpr long OFS_NBR_PROG = 0;
constexpr long OFS_RECORD_SIZE = 4;
constexpr long HEADER_SIZE = 8;

// The record size of a program without values, the least a record can have.
constexpr long MIN_RECORD_SIZE = ProgramSlot::get_object_size_from_param(0, 0);
// Both header fields are read as signed 32-bit numbers.
constexpr long MAX_FIELD = std::numeric_limits<std::int32_t>::max();

} // namespace

BankManager::BankManager() : _prog_arr(1) {}

BankManager::BankManager(int nbr_prog) : _prog_arr(static_cast<std::size_t>(std::max(nbr_prog, 0)))
{
}

BankManager& BankManager::operator=(const BankManager& other)
{
    if (this == &other) {
        return *this;
    }
    const std::size_t nbr_other = other._prog_arr.size();
    // The vector's own assignment is not used: the programs' assignment keeps
    // flags, and what stays of this bank must do so knowingly.
    if (_prog_arr.size() > nbr_other) {
        _prog_arr.erase(_prog_arr.begin() + static_cast<std::ptrdiff_t>(nbr_other),
                        _prog_arr.end());
    }
    const std::size_t nbr_kept = _prog_arr.size();
    _prog_arr.reserve(nbr_other);
    for (std::size_t i = 0; i < nbr_kept; ++i) {
        _prog_arr[i] = other._prog_arr[i];
    }
    _prog_arr.insert(_prog_arr.end(),
                     other._prog_arr.begin() + static_cast<std::ptrdiff_t>(nbr_kept),
                     other._prog_arr.end());
    return *this;
}

int BankManager::get_header_size() noexcept
{
    return static_cast<int>(HEADER_SIZE);
}

void BankManager::set_nbr_prog(int nbr)
{
    _prog_arr.resize(static_cast<std::size_t>(std::max(nbr, 0)));
}

void BankManager::store(int index, const ProgramSlot& prog)
{
    (*this)[index] = prog;
}

void BankManager::load(int index, ProgramSlot& prog) const
{
    prog = (*this)[index];
}

void BankManager::reserve_memory(long nbr_param, long nbr_extra)
{
    for (ProgramSlot& prog : _prog_arr) {
        prog.reserve_nbr_param(nbr_param);
        prog.reserve_extra_byte_size(nbr_extra);
    }
}

long BankManager::get_record_size() const noexcept
{
    long size = 0;
    for (const ProgramSlot& prog : _prog_arr) {
        size = std::max(size, prog.get_object_size());
    }
    return size;
}

long BankManager::get_object_size() const
{
    return HEADER_SIZE + static_cast<long>(_prog_arr.size()) * get_record_size();
}

int BankManager::write_to_memory(unsigned char* data) const
{
    const long nbr_prog = get_nbr_prog();
    const long record_size = get_record_size();
    if (nbr_prog < 1 || record_size > MAX_FIELD) {
        return BankErr::SERIALIZE;
    }
    BigEndian::write_u32(data + OFS_NBR_PROG, static_cast<std::uint32_t>(nbr_prog));
    BigEndian::write_u32(data + OFS_RECORD_SIZE, static_cast<std::uint32_t>(record_size));
    unsigned char* dst = data + HEADER_SIZE;
    for (const ProgramSlot& prog : _prog_arr) {
        if (const int ret = prog.write_to_memory(dst); ret != 0) {
            return ret;
        }
        // A shorter record is padded, so the image holds no stale bytes.
        const long used = prog.get_object_size();
        std::memset(dst + used, 0, static_cast<std::size_t>(record_size - used));
        dst += record_size;
    }
    return 0;
}

int BankManager::read_from_memory(const unsigned char* data, long len)
{
    if (data == nullptr || len < HEADER_SIZE) {
        return BankErr::PARSE;
    }
    // 64-bit arithmetic: neither the product nor a negative field can wrap.
    const long nbr_prog = BigEndian::read_s32(data + OFS_NBR_PROG);
    const long record_size = BigEndian::read_s32(data + OFS_RECORD_SIZE);
    if (nbr_prog < 1 || record_size < MIN_RECORD_SIZE ||
        nbr_prog * record_size > len - HEADER_SIZE) {
        return BankErr::PARSE;
    }
    const unsigned char* const first = data + HEADER_SIZE;
    for (long i = 0; i < nbr_prog; ++i) {
        if (!ProgramSlot::check_record(first + i * record_size, record_size)) {
            return BankErr::PARSE;
        }
    }
    set_nbr_prog(static_cast<int>(nbr_prog));
    for (long i = 0; i < nbr_prog; ++i) {
        // Cannot fail: the record was checked above.
        static_cast<void>(_prog_arr[static_cast<std::size_t>(i)].read_from_memory(
            first + i * record_size, record_size));
    }
    return 0;
}

int BankManager::read_from_memory(const unsigned char* data)
{
    if (data == nullptr) {
        return BankErr::PARSE;
    }
    const long nbr_prog = BigEndian::read_s32(data + OFS_NBR_PROG);
    const long record_size = BigEndian::read_s32(data + OFS_RECORD_SIZE);
    if (nbr_prog < 1 || record_size < MIN_RECORD_SIZE) {
        return BankErr::PARSE;
    }
    return read_from_memory(data, HEADER_SIZE + nbr_prog * record_size);
}

} // namespace mppi
