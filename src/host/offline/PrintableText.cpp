#include "host/offline/PrintableText.h"

namespace host::offline {

std::string make_printable(const std::string& text)
{
    constexpr char DIGITS[] = "0123456789abcdef";
    constexpr unsigned char FIRST_PRINTABLE = 0x20;
    constexpr unsigned char DELETE = 0x7f;
    std::string shown;
    shown.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < FIRST_PRINTABLE || byte == DELETE) {
            shown += {'\\', 'x', DIGITS[byte >> 4], DIGITS[byte & 0xf]};
        } else {
            shown += c;
        }
    }
    return shown;
}

} // namespace host::offline
