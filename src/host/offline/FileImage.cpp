#include "host/offline/FileImage.h"

#include "host/offline/posix/HugePages.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <new>

namespace host::offline {

void FileImage::AlignedDelete::operator()(unsigned char* data) const noexcept
{
    ::operator delete (data, std::align_val_t{align});
}

void FileImage::reserve(std::size_t capacity)
{
    if (capacity <= _capacity) {
        return;
    }
    // Large pages need their own alignment; small files keep the usual one.
    const bool large = capacity >= posix::HUGE_PAGE_SIZE;
    const std::size_t align = large ? posix::HUGE_PAGE_SIZE : alignof(std::max_align_t);
    std::unique_ptr<unsigned char, AlignedDelete> fresh(
        static_cast<unsigned char*>(::operator new (capacity, std::align_val_t{align})),
        AlignedDelete{align});
    if (large) {
        // Before the first touch, which is what the advice is about.
        posix::advise_huge_pages(fresh.get(), capacity);
    }
    if (_size > 0) {
        std::memcpy(fresh.get(), _data.get(), _size);
    }
    _data = std::move(fresh);
    _capacity = capacity;
}

unsigned char* FileImage::make_room(std::size_t pos, std::size_t nbr)
{
    const std::size_t end = pos + nbr;
    if (end > _capacity) {
        reserve(std::max(end, 2 * _capacity));
    }
    return _data.get() + pos;
}

void FileImage::write(std::size_t pos, const void* bytes, std::size_t nbr)
{
    if (nbr == 0) {
        return;
    }
    const auto* src = static_cast<const unsigned char*>(bytes);
    const unsigned char* base = _data.get();
    const std::less<const unsigned char*> before;
    if (base != nullptr && !before(src, base) && before(src, base + _capacity)) {
        // Made in the room: in place already, or moved within the image.
        const auto from = static_cast<std::size_t>(src - base);
        unsigned char* at = make_room(pos, nbr);
        if (from != pos) {
            std::memmove(at, _data.get() + from, nbr);
        }
    } else {
        std::memcpy(make_room(pos, nbr), src, nbr);
    }
    if (pos > _size) {
        std::memset(_data.get() + _size, 0, pos - _size);
    }
    _size = std::max(_size, pos + nbr);
}

} // namespace host::offline
