#include "lib/tnw/util/BinaryStreamInput.h"

#include "lib/tnw/tdbg/ErrorLog.h"

#include <bit>

namespace tnw::util {

namespace {
constexpr const char* SOURCE_FILE = __FILE__ ", " __DATE__;
} // namespace

BinaryStreamInput::BinaryStreamInput(const archi::UByte* data, std::size_t size) noexcept
    : _data(data), _size((data == nullptr) ? 0 : size)
{
}

BinaryStreamInput::BinaryStreamInput(const BinaryStreamInput& other) noexcept
    : _data(other._data), _size(other._size)
{
}

BinaryStreamInput& BinaryStreamInput::operator=(const BinaryStreamInput& other) noexcept
{
    _data = other._data;
    _size = other._size;
    _pos = 0;
    return *this;
}

const archi::UByte* BinaryStreamInput::data() const noexcept
{
    return (_data == nullptr) ? nullptr : _data + _pos;
}

std::size_t BinaryStreamInput::size() const noexcept
{
    return static_cast<std::size_t>(_size - _pos);
}

bool BinaryStreamInput::empty() const noexcept
{
    return _pos == _size;
}

std::size_t BinaryStreamInput::tell() const noexcept
{
    return static_cast<std::size_t>(_pos);
}

int BinaryStreamInput::seek_beg(std::size_t pos, const char* err_txt)
{
    if (pos > _size) {
        _pos = _size;
        return fail(err_txt, __PRETTY_FUNCTION__, __LINE__);
    }
    _pos = pos;
    return 0;
}

int BinaryStreamInput::seek_end(std::size_t off, const char* err_txt)
{
    if (off > _size) {
        _pos = 0;
        return fail(err_txt, __PRETTY_FUNCTION__, __LINE__);
    }
    _pos = _size - off;
    return 0;
}

int BinaryStreamInput::advance(long n, const char* err_txt)
{
    // Magnitudes are taken as unsigned values, so the most negative n moves
    // back by its true distance instead of overflowing.
    if (n >= 0) {
        const auto forward = static_cast<std::uint64_t>(n);
        if (forward > _size - _pos) {
            _pos = _size;
            return fail(err_txt, __PRETTY_FUNCTION__, __LINE__);
        }
        _pos += forward;
        return 0;
    }
    const std::uint64_t back = 0 - static_cast<std::uint64_t>(n);
    if (back > _pos) {
        _pos = 0;
        return fail(err_txt, __PRETTY_FUNCTION__, __LINE__);
    }
    _pos -= back;
    return 0;
}

int BinaryStreamInput::read(bool& value, const char* err_txt)
{
    std::uint32_t raw = 0;
    const int ret = read_raw(raw, 1, err_txt, __PRETTY_FUNCTION__, __LINE__);
    if (ret == 0) {
        value = (raw != 0);
    }
    return ret;
}

int BinaryStreamInput::read(archi::UByte& value, const char* err_txt)
{
    std::uint32_t raw = 0;
    const int ret = read_raw(raw, 1, err_txt, __PRETTY_FUNCTION__, __LINE__);
    if (ret == 0) {
        value = static_cast<archi::UByte>(raw);
    }
    return ret;
}

int BinaryStreamInput::read(archi::SByte& value, const char* err_txt)
{
    std::uint32_t raw = 0;
    const int ret = read_raw(raw, 1, err_txt, __PRETTY_FUNCTION__, __LINE__);
    if (ret == 0) {
        value = static_cast<archi::SByte>(raw);
    }
    return ret;
}

int BinaryStreamInput::read(archi::UInt16& value, const char* err_txt)
{
    std::uint32_t raw = 0;
    const int ret = read_raw(raw, 2, err_txt, __PRETTY_FUNCTION__, __LINE__);
    if (ret == 0) {
        value = static_cast<archi::UInt16>(raw);
    }
    return ret;
}

int BinaryStreamInput::read(archi::Int16& value, const char* err_txt)
{
    std::uint32_t raw = 0;
    const int ret = read_raw(raw, 2, err_txt, __PRETTY_FUNCTION__, __LINE__);
    if (ret == 0) {
        value = static_cast<archi::Int16>(raw);
    }
    return ret;
}

int BinaryStreamInput::read(archi::UInt32& value, const char* err_txt)
{
    return read_raw(value, 4, err_txt, __PRETTY_FUNCTION__, __LINE__);
}

int BinaryStreamInput::read(archi::Int32& value, const char* err_txt)
{
    std::uint32_t raw = 0;
    const int ret = read_raw(raw, 4, err_txt, __PRETTY_FUNCTION__, __LINE__);
    if (ret == 0) {
        value = static_cast<archi::Int32>(raw);
    }
    return ret;
}

int BinaryStreamInput::read(unsigned long long& value, const char* err_txt)
{
    std::uint64_t raw = 0;
    const int ret = read_raw_64(raw, err_txt, __PRETTY_FUNCTION__, __LINE__);
    if (ret == 0) {
        value = raw;
    }
    return ret;
}

int BinaryStreamInput::read(long long& value, const char* err_txt)
{
    std::uint64_t raw = 0;
    const int ret = read_raw_64(raw, err_txt, __PRETTY_FUNCTION__, __LINE__);
    if (ret == 0) {
        value = static_cast<long long>(raw);
    }
    return ret;
}

int BinaryStreamInput::read(void*& value, const char* err_txt)
{
    std::uint64_t raw = 0;
    const int ret = read_raw_64(raw, err_txt, __PRETTY_FUNCTION__, __LINE__);
    if (ret == 0) {
        value = reinterpret_cast<void*>(static_cast<std::uintptr_t>(raw));
    }
    return ret;
}

int BinaryStreamInput::read(float& value, const char* err_txt)
{
    std::uint32_t raw = 0;
    const int ret = read_raw(raw, 4, err_txt, __PRETTY_FUNCTION__, __LINE__);
    if (ret == 0) {
        value = std::bit_cast<float>(raw);
    }
    return ret;
}

int BinaryStreamInput::read(double& value, const char* err_txt)
{
    std::uint64_t raw = 0;
    const int ret = read_raw_64(raw, err_txt, __PRETTY_FUNCTION__, __LINE__);
    if (ret == 0) {
        value = std::bit_cast<double>(raw);
    }
    return ret;
}

int BinaryStreamInput::read(std::string& value, const char* err_txt)
{
    std::uint32_t len = 0;
    const int ret = read_raw(len, 4, err_txt, __PRETTY_FUNCTION__, __LINE__);
    if (ret != 0) {
        return ret;
    }
    if (!can_read(len)) {
        return fail(err_txt, __PRETTY_FUNCTION__, __LINE__);
    }
    value.assign(reinterpret_cast<const char*>(_data + _pos), len);
    _pos += len;
    return 0;
}

int BinaryStreamInput::read(const archi::UByte*& ptr, std::size_t len, const char* err_txt)
{
    if (!can_read(len)) {
        ptr = nullptr;
        return fail(err_txt, __PRETTY_FUNCTION__, __LINE__);
    }
    // A zero-length view of an empty stream stays null.
    ptr = (_data == nullptr) ? nullptr : _data + _pos;
    _pos += len;
    return 0;
}

int BinaryStreamInput::read_raw(std::uint32_t& raw, int nbr_bytes, const char* err_txt,
                                const char* function, long line)
{
    if (!can_read(static_cast<std::uint64_t>(nbr_bytes))) {
        return fail(err_txt, function, line);
    }
    std::uint32_t acc = 0;
    for (int i = 0; i < nbr_bytes; ++i) {
        acc = (acc << 8) | _data[_pos + static_cast<std::uint64_t>(i)];
    }
    _pos += static_cast<std::uint64_t>(nbr_bytes);
    raw = acc;
    return 0;
}

int BinaryStreamInput::read_raw_64(std::uint64_t& raw, const char* err_txt, const char* function,
                                   long line)
{
    std::uint32_t high = 0;
    std::uint32_t low = 0;
    int ret = read_raw(high, 4, err_txt, function, line);
    if (ret == 0) {
        ret = read_raw(low, 4, err_txt, function, line);
    }
    if (ret == 0) {
        raw = (std::uint64_t{high} << 32) | low;
    }
    return ret;
}

bool BinaryStreamInput::can_read(std::uint64_t len) const noexcept
{
    // Compared against what is left, so a huge len cannot wrap around.
    return len <= _size - _pos;
}

int BinaryStreamInput::fail(const char* err_txt, const char* function, long line)
{
    tdbg::log_error(err_txt, SOURCE_FILE, function, line);
    return ERR_END_OF_DATA;
}

} // namespace tnw::util
