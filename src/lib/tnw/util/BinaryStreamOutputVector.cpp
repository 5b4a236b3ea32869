#include "lib/tnw/util/BinaryStreamOutputVector.h"

#include <cstdint>

namespace tnw::util {

const std::vector<archi::UByte>& BinaryStreamOutputVector::use_bytes() const noexcept
{
    return _bytes;
}

const archi::UByte* BinaryStreamOutputVector::do_data() const
{
    return _bytes.data();
}

std::size_t BinaryStreamOutputVector::do_size() const
{
    return _bytes.size();
}

bool BinaryStreamOutputVector::do_empty() const
{
    return _bytes.empty();
}

void BinaryStreamOutputVector::do_clear()
{
    _bytes.clear();
}

archi::UByte* BinaryStreamOutputVector::do_extend(std::size_t len)
{
    const std::size_t old_size = _bytes.size();
    if (len > _bytes.max_size() - old_size) {
        return nullptr;
    }
    _bytes.resize(old_size + len);
    return _bytes.data() + old_size;
}

archi::UByte* BinaryStreamOutputVector::do_access(std::size_t pos, std::size_t len)
{
    // Compared against what lies after pos, so no sum can wrap around.
    if (pos > _bytes.size() || len > _bytes.size() - pos) {
        return nullptr;
    }
    return _bytes.data() + pos;
}

void BinaryStreamOutputVector::do_write(const archi::UByte* src, std::size_t len)
{
    insert_at(_bytes.size(), src, len);
}

void BinaryStreamOutputVector::do_write_front(const archi::UByte* src, std::size_t len)
{
    insert_at(0, src, len);
}

void BinaryStreamOutputVector::insert_at(std::size_t pos, const archi::UByte* src, std::size_t len)
{
    if (src == nullptr || len == 0) {
        return;
    }
    // Bytes taken from this very stream are copied first: growing the array
    // may move them.
    const auto addr = reinterpret_cast<std::uintptr_t>(src);
    const auto begin = reinterpret_cast<std::uintptr_t>(_bytes.data());
    if (addr >= begin && addr - begin < _bytes.size()) {
        const std::vector<archi::UByte> copy(src, src + len);
        _bytes.insert(_bytes.begin() + static_cast<std::ptrdiff_t>(pos), copy.begin(), copy.end());
        return;
    }
    _bytes.insert(_bytes.begin() + static_cast<std::ptrdiff_t>(pos), src, src + len);
}

} // namespace tnw::util
