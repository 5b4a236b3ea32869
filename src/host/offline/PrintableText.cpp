#include "host/offline/PrintableText.h"

#include <cstddef>

namespace host::offline {

namespace {

constexpr unsigned char FIRST_PRINTABLE = 0x20;
constexpr unsigned char DELETE = 0x7f;
constexpr unsigned char BACKSLASH = 0x5c;
// The lead byte of U+0080 to U+00BF, and the continuation bytes that follow it
// from U+00A0 on: below that lie the C1 controls.
constexpr unsigned char C1_LEAD = 0xc2;
constexpr unsigned char AFTER_C1 = 0xa0;

bool is_continuation(unsigned char byte, unsigned char low = 0x80, unsigned char high = 0xbf)
{
    return byte >= low && byte <= high;
}

// The length of the well-formed UTF-8 sequence of more than one byte at `pos`
// (the table of well-formed byte sequences of the Unicode standard), 0 when
// there is none.
std::size_t find_sequence(const std::string& text, std::size_t pos)
{
    const auto at = [&text](std::size_t i) {
        return i < text.size() ? static_cast<unsigned char>(text[i]) : 0;
    };
    const unsigned char lead = at(pos);
    // The range the second byte must lie in narrows for some lead bytes: no
    // overlong form, no surrogate, nothing past U+10FFFF.
    unsigned char low = 0x80;
    unsigned char high = 0xbf;
    std::size_t len = 0;
    if (lead >= 0xc2 && lead <= 0xdf) {
        len = 2;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        len = 3;
        low = lead == 0xe0 ? 0xa0 : low;
        high = lead == 0xed ? 0x9f : high;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        len = 4;
        low = lead == 0xf0 ? 0x90 : low;
        high = lead == 0xf4 ? 0x8f : high;
    } else {
        return 0;
    }
    if (!is_continuation(at(pos + 1), low, high)) {
        return 0;
    }
    for (std::size_t k = 2; k < len; ++k) {
        if (!is_continuation(at(pos + k))) {
            return 0;
        }
    }
    return len;
}

void append_escaped(std::string& shown, unsigned char byte)
{
    constexpr char DIGITS[] = "0123456789abcdef";
    shown += {'\\', 'x', DIGITS[byte >> 4], DIGITS[byte & 0xf]};
}

} // namespace

std::string make_printable(const std::string& text)
{
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const auto byte = static_cast<unsigned char>(text[pos]);
        if (byte < DELETE) {
            if (byte < FIRST_PRINTABLE || byte == BACKSLASH) {
                append_escaped(shown, byte);
            } else {
                shown += char(byte);
            }
            ++pos;
            continue;
        }
        const std::size_t len = byte == DELETE ? 0 : find_sequence(text, pos);
        if (len == 0) {
            append_escaped(shown, byte);
            ++pos;
        } else if (byte == C1_LEAD && static_cast<unsigned char>(text[pos + 1]) < AFTER_C1) {
            append_escaped(shown, byte);
            append_escaped(shown, static_cast<unsigned char>(text[pos + 1]));
            pos += len;
        } else {
            shown.append(text, pos, len);
            pos += len;
        }
    }
    return shown;
}

} // namespace host::offline
