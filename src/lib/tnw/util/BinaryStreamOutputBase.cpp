#include "lib/tnw/util/BinaryStreamOutputBase.h"

#include <bit>
#include <cstring>
#include <limits>

namespace tnw::util {

namespace {

constexpr std::size_t HALF_SIZE = 4;

void store_be(archi::UByte* dst, std::uint32_t raw, int nbr_bytes) noexcept
{
    for (int i = nbr_bytes - 1; i >= 0; --i) {
        dst[i] = static_cast<archi::UByte>(raw);
        raw >>= 8;
    }
}

// pos + HALF_SIZE, or nothing when that leaves the size range.
[[nodiscard]] bool second_half_pos(std::size_t pos, std::size_t& pos_2) noexcept
{
    if (pos > std::numeric_limits<std::size_t>::max() - HALF_SIZE) {
        return false;
    }
    pos_2 = pos + HALF_SIZE;
    return true;
}

} // namespace

const archi::UByte* BinaryStreamOutputBase::data() const
{
    return do_data();
}

std::size_t BinaryStreamOutputBase::size() const
{
    return do_size();
}

bool BinaryStreamOutputBase::empty() const
{
    return do_empty();
}

void BinaryStreamOutputBase::clear()
{
    do_clear();
}

void BinaryStreamOutputBase::write(const archi::UByte* src, std::size_t len)
{
    do_write(src, len);
}

void BinaryStreamOutputBase::write_front(const archi::UByte* src, std::size_t len)
{
    do_write_front(src, len);
}

void BinaryStreamOutputBase::write(bool value)
{
    put(value ? 1 : 0, 1);
}

void BinaryStreamOutputBase::write(archi::UByte value)
{
    put(value, 1);
}

void BinaryStreamOutputBase::write(archi::SByte value)
{
    put(static_cast<archi::UByte>(value), 1);
}

void BinaryStreamOutputBase::write(archi::UInt16 value)
{
    put(value, 2);
}

void BinaryStreamOutputBase::write(archi::Int16 value)
{
    put(static_cast<archi::UInt16>(value), 2);
}

void BinaryStreamOutputBase::write(archi::UInt32 value)
{
    put(value, 4);
}

void BinaryStreamOutputBase::write(archi::Int32 value)
{
    put(static_cast<std::uint32_t>(value), 4);
}

void BinaryStreamOutputBase::write(unsigned long long value)
{
    put_64(value);
}

void BinaryStreamOutputBase::write(long long value)
{
    put_64(static_cast<std::uint64_t>(value));
}

void BinaryStreamOutputBase::write(const void* value)
{
    put_64(reinterpret_cast<std::uintptr_t>(value));
}

void BinaryStreamOutputBase::write(float value)
{
    put(std::bit_cast<std::uint32_t>(value), 4);
}

void BinaryStreamOutputBase::write(double value)
{
    put_64(std::bit_cast<std::uint64_t>(value));
}

void BinaryStreamOutputBase::write(const std::string& value)
{
    put(static_cast<std::uint32_t>(value.size()), 4);
    do_write(reinterpret_cast<const archi::UByte*>(value.data()), value.size());
}

void BinaryStreamOutputBase::overwrite(bool value, std::size_t pos)
{
    put_at(value ? 1 : 0, 1, pos);
}

void BinaryStreamOutputBase::overwrite(archi::UByte value, std::size_t pos)
{
    put_at(value, 1, pos);
}

void BinaryStreamOutputBase::overwrite(archi::SByte value, std::size_t pos)
{
    put_at(static_cast<archi::UByte>(value), 1, pos);
}

void BinaryStreamOutputBase::overwrite(archi::UInt16 value, std::size_t pos)
{
    put_at(value, 2, pos);
}

void BinaryStreamOutputBase::overwrite(archi::Int16 value, std::size_t pos)
{
    put_at(static_cast<archi::UInt16>(value), 2, pos);
}

void BinaryStreamOutputBase::overwrite(archi::UInt32 value, std::size_t pos)
{
    put_at(value, 4, pos);
}

void BinaryStreamOutputBase::overwrite(archi::Int32 value, std::size_t pos)
{
    put_at(static_cast<std::uint32_t>(value), 4, pos);
}

void BinaryStreamOutputBase::overwrite(unsigned long long value, std::size_t pos)
{
    put_64_at(value, pos);
}

void BinaryStreamOutputBase::overwrite(long long value, std::size_t pos)
{
    put_64_at(static_cast<std::uint64_t>(value), pos);
}

void BinaryStreamOutputBase::overwrite(float value, std::size_t pos)
{
    put_at(std::bit_cast<std::uint32_t>(value), 4, pos);
}

void BinaryStreamOutputBase::overwrite(double value, std::size_t pos)
{
    put_64_at(std::bit_cast<std::uint64_t>(value), pos);
}

void BinaryStreamOutputBase::overwrite(const std::string& value, std::size_t pos)
{
    // Both parts are looked up before anything is written, so a text that
    // runs past the written bytes leaves them all as they were.
    std::size_t pos_2 = 0;
    if (!second_half_pos(pos, pos_2)) {
        return;
    }
    archi::UByte* len_ptr = do_access(pos, HALF_SIZE);
    archi::UByte* txt_ptr = value.empty() ? len_ptr : do_access(pos_2, value.size());
    if (len_ptr == nullptr || txt_ptr == nullptr) {
        return;
    }
    store_be(len_ptr, static_cast<std::uint32_t>(value.size()), 4);
    if (!value.empty()) {
        std::memcpy(txt_ptr, value.data(), value.size());
    }
}

void BinaryStreamOutputBase::overwrite(const archi::UByte* src, std::size_t len, std::size_t pos)
{
    if (src == nullptr || len == 0) {
        return;
    }
    archi::UByte* dst = do_access(pos, len);
    if (dst != nullptr) {
        std::memmove(dst, src, len);
    }
}

void BinaryStreamOutputBase::put(std::uint32_t raw, int nbr_bytes)
{
    archi::UByte* dst = do_extend(static_cast<std::size_t>(nbr_bytes));
    if (dst != nullptr) {
        store_be(dst, raw, nbr_bytes);
    }
}

void BinaryStreamOutputBase::put_64(std::uint64_t raw)
{
    put(static_cast<std::uint32_t>(raw >> 32), 4);
    put(static_cast<std::uint32_t>(raw), 4);
}

void BinaryStreamOutputBase::put_at(std::uint32_t raw, int nbr_bytes, std::size_t pos)
{
    archi::UByte* dst = do_access(pos, static_cast<std::size_t>(nbr_bytes));
    if (dst != nullptr) {
        store_be(dst, raw, nbr_bytes);
    }
}

void BinaryStreamOutputBase::put_64_at(std::uint64_t raw, std::size_t pos)
{
    // Both halves are looked up first: a value straddling the end of the
    // written bytes changes nothing rather than half of itself.
    std::size_t pos_2 = 0;
    if (!second_half_pos(pos, pos_2)) {
        return;
    }
    archi::UByte* high = do_access(pos, HALF_SIZE);
    archi::UByte* low = do_access(pos_2, HALF_SIZE);
    if (high != nullptr && low != nullptr) {
        store_be(high, static_cast<std::uint32_t>(raw >> 32), 4);
        store_be(low, static_cast<std::uint32_t>(raw), 4);
    }
}

} // namespace tnw::util
