// Feeds arbitrary text to the string parsers and bounded copies. The first
// byte chooses a split point: the text before it serves as delimiters or
// patterns, the text after it as the line or name.
#include "lib/basic/StrBounded.h"
#include "lib/basic/StrBuild.h"
#include "lib/basic/StrNumDate.h"
#include "lib/basic/StrParse.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    const std::string all(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t split = std::min<std::size_t>(data[0], all.size());
    const std::string head = all.substr(0, split);
    const std::string tail = all.substr(split);

    std::vector<std::string> tokens;
    const int nbr = basic::parse_line(tokens, tail.c_str(), head.c_str());
    if (nbr != static_cast<int>(tokens.size())) {
        std::abort();
    }
    (void)basic::test_filename(tail.c_str(), head.c_str());

    int year = 0;
    int month = 0;
    int day = 0;
    basic::decode_compile_date(year, month, day, tail.c_str());

    const long max_len = data[0] % 48;
    if (static_cast<long>(basic::compact_string_for_display(tail, max_len, head.c_str()).size()) >
        max_len) {
        std::abort();
    }

    // Bounded append into an exactly sized, possibly unterminated buffer.
    const std::size_t cap = (data[0] % 16) + 1;
    std::vector<char> dst(cap);
    std::memcpy(dst.data(), head.data(), std::min(cap, head.size()));
    basic::strncat_0(dst.data(), tail.c_str(), static_cast<long>(cap));
    return 0;
}
