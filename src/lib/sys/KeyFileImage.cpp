#include "lib/sys/KeyFileImage.h"

#include <cstdint>

namespace sys::key_file {

namespace {

// Reads the image front to back; every take checks the bytes left first.
class Reader
{
public:
    explicit Reader(std::string_view image) : _rest(image) {}

    [[nodiscard]] std::size_t get_nbr_left() const { return _rest.size(); }

    [[nodiscard]] bool take_u32(std::uint32_t& value)
    {
        if (_rest.size() < LENGTH_SIZE) {
            return false;
        }
        value = 0;
        for (std::size_t i = 0; i < LENGTH_SIZE; ++i) {
            value |= std::uint32_t(static_cast<unsigned char>(_rest[i])) << (8 * i);
        }
        _rest.remove_prefix(LENGTH_SIZE);
        return true;
    }

    [[nodiscard]] bool take_text(std::string& text)
    {
        std::uint32_t len = 0;
        if (!take_u32(len) || len > _rest.size()) {
            return false;
        }
        text.assign(_rest.substr(0, len));
        _rest.remove_prefix(len);
        return true;
    }

    [[nodiscard]] bool take_magic()
    {
        if (_rest.substr(0, MAGIC.size()) != MAGIC) {
            return false;
        }
        _rest.remove_prefix(MAGIC.size());
        return true;
    }

private:
    std::string_view _rest;
};

void put_u32(std::string& image, std::size_t value)
{
    for (std::size_t i = 0; i < LENGTH_SIZE; ++i) {
        image += char((value >> (8 * i)) & 0xFF);
    }
}

} // namespace

bool decode(std::string_view image, EntryList& entries)
{
    entries.clear();
    Reader reader(image);
    std::uint32_t count = 0;
    if (!reader.take_magic() || !reader.take_u32(count)) {
        return false;
    }
    // Each entry holds at least its two lengths: a larger count cannot be whole.
    if (count > reader.get_nbr_left() / (2 * LENGTH_SIZE)) {
        return false;
    }
    entries.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        Entry entry;
        if (!reader.take_text(entry.first) || !reader.take_text(entry.second)) {
            entries.clear();
            return false;
        }
        entries.push_back(std::move(entry));
    }
    if (reader.get_nbr_left() != 0) {
        entries.clear();
        return false;
    }
    return true;
}

bool encode(const EntryList& entries, std::string& image)
{
    image.clear();
    std::size_t size = HEADER_SIZE;
    for (const Entry& entry : entries) {
        size += 2 * LENGTH_SIZE + entry.first.size() + entry.second.size();
        if (size > MAX_IMAGE_SIZE) {
            return false;
        }
    }
    image.reserve(size);
    image += MAGIC;
    put_u32(image, entries.size());
    for (const Entry& entry : entries) {
        put_u32(image, entry.first.size());
        image += entry.first;
        put_u32(image, entry.second.size());
        image += entry.second;
    }
    return true;
}

} // namespace sys::key_file
