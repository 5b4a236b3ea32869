#include "lib/tnw/sys/Guid.h"

#include "lib/tnw/sys/posix/RandomBytes.h"
#include "lib/tnw/txt/out/PrintNa.h"

#include <cctype>
#include <cstring>
#include <stdexcept>

namespace tnw::sys {

namespace {

// Byte 6 holds the version in its high half, byte 8 the variant in its two
// high bits (binary 10).
constexpr int version_byte = 6;
constexpr unsigned char version_mask = 0x0F;
constexpr unsigned char version_4 = 0x40;
constexpr int variant_byte = 8;
constexpr unsigned char variant_mask = 0x3F;
constexpr unsigned char variant_rfc = 0x80;

constexpr int digits_per_byte = 2;

// A dash follows these bytes.
bool is_dash_after(int index) noexcept
{
    return index == 3 || index == 5 || index == 7 || index == 9;
}

// The digit value of an upper-cased character; not checked, so that another
// character gives some value modulo 256.
unsigned digit_value(char c) noexcept
{
    const char up = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return static_cast<unsigned>((up <= '9') ? up - '0' : up - '7');
}

} // namespace

Guid::Guid(const unsigned char (&bytes)[NBR_BYTES]) noexcept
{
    set_bytes(bytes);
}

void Guid::set_bytes(const unsigned char (&bytes)[NBR_BYTES]) noexcept
{
    std::memcpy(_bytes, bytes, NBR_BYTES);
}

void Guid::get_bytes(unsigned char (&bytes)[NBR_BYTES]) const noexcept
{
    std::memcpy(bytes, _bytes, NBR_BYTES);
}

bool Guid::operator==(const Guid& other) const noexcept
{
    return std::memcmp(_bytes, other._bytes, NBR_BYTES) == 0;
}

bool Guid::operator!=(const Guid& other) const noexcept
{
    return !(*this == other);
}

bool Guid::operator<(const Guid& other) const noexcept
{
    return std::memcmp(_bytes, other._bytes, NBR_BYTES) < 0;
}

void Guid::generate()
{
    unsigned char bytes[NBR_BYTES];
    if (posix::fill_random_bytes(bytes, NBR_BYTES) != 0) {
        throw std::runtime_error("tnw::sys::Guid::generate() : The random source failed.");
    }
    bytes[version_byte] =
        static_cast<unsigned char>((bytes[version_byte] & version_mask) | version_4);
    bytes[variant_byte] =
        static_cast<unsigned char>((bytes[variant_byte] & variant_mask) | variant_rfc);
    set_bytes(bytes);
}

std::string Guid::to_string(bool upper, bool dashes) const
{
    std::string text;
    // Two digits and the terminating zero.
    char digits[digits_per_byte + 1];
    txt::out::PrintNa out(digits, digits_per_byte);
    for (int index = 0; index < NBR_BYTES; ++index) {
        out.print(upper ? "%1m2rw0X%" : "%1m2rw0x%").arg(static_cast<unsigned int>(_bytes[index]));
        text.append(digits, digits_per_byte);
        if (dashes && is_dash_after(index)) {
            text.push_back('-');
        }
    }
    return text;
}

void Guid::from_string(const std::string& text) noexcept
{
    int index = 0;
    std::size_t pos = 0;
    while (index < NBR_BYTES && pos < text.size()) {
        if (text[pos] == '-') {
            ++pos;
            continue;
        }
        if (pos + 1 >= text.size()) {
            break;
        }
        const unsigned value = (digit_value(text[pos]) << 4) | digit_value(text[pos + 1]);
        _bytes[index] = static_cast<unsigned char>(value);
        ++index;
        pos += digits_per_byte;
    }
}

} // namespace tnw::sys
