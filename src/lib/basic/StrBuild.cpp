#include "lib/basic/StrBuild.h"

#include "lib/basic/StrBounded.h"

#include <cstring>
#include <string_view>
#include <vector>

namespace basic {
namespace {

// `count` whole copies of `piece`: the piece is appended for every set bit of
// `count` and doubled at each step, so the work grows with log2(count)
// appends.
std::string repeat(std::string_view piece, long count)
{
    std::string res;
    if (piece.empty() || count <= 0) {
        return res;
    }
    res.reserve(piece.size() * static_cast<std::size_t>(count));
    std::string doubled(piece);
    for (unsigned long bits = static_cast<unsigned long>(count); bits != 0; bits >>= 1) {
        if ((bits & 1U) != 0) {
            res += doubled;
        }
        if ((bits >> 1) != 0) {
            doubled += doubled;
        }
    }
    return res;
}

std::string gen_string_of(std::string_view text, long n)
{
    if (text.empty() || n <= 0) {
        return {};
    }
    const auto len = static_cast<long>(text.size());
    std::string res = repeat(text, n / len);
    res.append(text.substr(0, static_cast<std::size_t>(n % len)));
    return res;
}

// Head and tail of exactly `max_len` characters around "...".
// Precondition: 6 <= max_len < text.size().
std::string cut_middle(const std::string& text, long max_len)
{
    const long head = (max_len - 3) / 2;
    const long tail = max_len - head - 3;
    return text.substr(0, static_cast<std::size_t>(head)) + "..." +
           text.substr(text.size() - static_cast<std::size_t>(tail));
}

} // namespace

std::string gen_string(char c, long n)
{
    return repeat(std::string_view(&c, 1), n);
}

std::string gen_string(const char* text, long n)
{
    return gen_string_of(text == nullptr ? std::string_view() : std::string_view(text), n);
}

std::string gen_string(const std::string& text, long n)
{
    return gen_string_of(text, n);
}

std::string compact_string_for_display(const std::string& text, long max_len,
                                       const char* delimiters)
{
    const auto len = static_cast<long>(text.size());
    if (len <= max_len) {
        return text;
    }
    if (max_len < 6) {
        return text.substr(0, static_cast<std::size_t>(max_len < 0 ? 0 : max_len));
    }
    std::vector<long> pos;
    for (long i = 0; i < len; ++i) {
        if (is_delimiter(text[static_cast<std::size_t>(i)], delimiters)) {
            pos.push_back(i);
        }
    }
    const auto nbr = static_cast<long>(pos.size());
    if (nbr >= 2) {
        // Start from the middle pair of delimiters and widen the dropped
        // window alternately to the left and to the right until it fits.
        long left = (nbr - 1) / 2;
        long right = left + 1;
        bool move_left = true;
        while (left >= 0 && right < nbr) {
            const auto l_pos = static_cast<std::size_t>(pos[static_cast<std::size_t>(left)]);
            const auto r_pos = static_cast<std::size_t>(pos[static_cast<std::size_t>(right)]);
            if (static_cast<long>(l_pos + 1 + 3 + (text.size() - r_pos)) <= max_len) {
                return text.substr(0, l_pos + 1) + "..." + text.substr(r_pos);
            }
            if (move_left) {
                --left;
            } else {
                ++right;
            }
            move_left = !move_left;
        }
    }
    return cut_middle(text, max_len);
}

void trim_string(std::string& str, const char* chars) noexcept
{
    std::size_t end = str.size();
    while (end > 0 && is_delimiter(str[end - 1], chars)) {
        --end;
    }
    std::size_t begin = 0;
    while (begin < end && is_delimiter(str[begin], chars)) {
        ++begin;
    }
    str.erase(end);
    str.erase(0, begin);
}

} // namespace basic
