// Formats arbitrary format texts with arbitrary values through both devices:
// nothing may crash, the fixed buffer must hold exactly the start of the
// string result, zero-terminated, and the bytes after it must stay untouched.
#include "lib/tnw/txt/out/Print.h"
#include "lib/tnw/txt/out/PrintNa.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr std::size_t HEADER_LEN = 1 + 8 + 8 + 4;
constexpr long NBR_GUARD = 8;
constexpr char GUARD = '\x5a';
constexpr int MAX_DIGIT_RUN = 4; // longer counts would only make huge outputs

struct Values
{
    double flt;
    std::int64_t integer;
    long extra[4];
};

// Both devices see the same 64 arguments, kinds cycling.
void feed(tnw::txt::out::PrintInterface& p, const Values& v)
{
    static const char* const TEXTS[] = {"", "abc", "Mixed Case 123", nullptr};
    for (int i = 0; i < 64; ++i) {
        const long e1 = v.extra[0], e2 = v.extra[1], e3 = v.extra[2], e4 = v.extra[3];
        switch (i % 5) {
        case 0:
            p.arg(v.flt, e1, e2, e3, e4);
            break;
        case 1:
            p.arg(static_cast<long long>(v.integer), e1, e2, e3, e4);
            break;
        case 2:
            p.arg(TEXTS[(i / 5) % 4], e1, e2, e3, e4);
            break;
        case 3:
            p.arg(static_cast<long double>(v.flt) * 3, e1, e2, e3, e4);
            break;
        default:
            p.arg(static_cast<unsigned>(v.integer), e1, e2, e3, e4);
            break;
        }
    }
}

bool has_long_digit_run(const std::string& format)
{
    int run = 0;
    for (char c : format) {
        run = (c >= '0' && c <= '9') ? run + 1 : 0;
        if (run > MAX_DIGIT_RUN) {
            return true;
        }
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < HEADER_LEN) {
        return 0;
    }
    const long max_len = data[0] % 48;
    Values v{};
    std::memcpy(&v.flt, data + 1, 8);
    std::memcpy(&v.integer, data + 9, 8);
    for (int i = 0; i < 4; ++i) {
        v.extra[i] = static_cast<std::int8_t>(data[17 + i]); // small counts only
    }
    const std::string format(reinterpret_cast<const char*>(data + HEADER_LEN), size - HEADER_LEN);
    if (has_long_digit_run(format)) {
        return 0;
    }
    const char* format_0 = format.c_str(); // cut at the first zero byte

    tnw::txt::out::Print full;
    full.print(format_0);
    feed(full, v);
    const std::string& text = full;

    std::vector<char> buf(static_cast<std::size_t>(max_len + 1 + NBR_GUARD), GUARD);
    tnw::txt::out::PrintNa cut(buf.data(), max_len);
    cut.print(format_0);
    feed(cut, v);

    const auto len = static_cast<long>(text.size());
    const long kept = (len < max_len) ? len : max_len;
    if (cut.get_string_len() != len || cut.is_truncated() != (len > max_len) ||
        std::memcmp(buf.data(), text.data(), static_cast<std::size_t>(kept)) != 0 ||
        buf[static_cast<std::size_t>(kept)] != '\0') {
        std::abort();
    }
    for (long i = max_len + 1; i < max_len + 1 + NBR_GUARD; ++i) {
        if (buf[static_cast<std::size_t>(i)] != GUARD) {
            std::abort();
        }
    }
    return 0;
}
