#include "lib/tnw/svnrev/SvnRev.h"

#include <charconv>
#include <string_view>

namespace tnw::svnrev {

namespace {

bool is_blank(char c) noexcept
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The next run of non-blank characters, after leading blanks; empty at the end.
std::string_view take_word(std::string_view& rest) noexcept
{
    std::size_t start = 0;
    while (start < rest.size() && is_blank(rest[start])) {
        ++start;
    }
    std::size_t end = start;
    while (end < rest.size() && !is_blank(rest[end])) {
        ++end;
    }
    const std::string_view word = rest.substr(start, end - start);
    rest.remove_prefix(end);
    return word;
}

} // namespace

SvnRev::SvnRev()
{
    long nbr = 0;
    if (parse_keyword(KEYWORD_0, nbr)) {
        _rev_nbr = nbr;
        _rev_nbr_str = std::to_string(nbr);
    }
}

bool SvnRev::parse_keyword(const char* keyword_0, long& rev_nbr) noexcept
{
    std::string_view rest = (keyword_0 == nullptr) ? std::string_view() : keyword_0;
    const std::string_view head = take_word(rest);
    const std::string_view number = take_word(rest);
    const std::string_view tail = take_word(rest);
    if (head.empty() || number.empty() || tail.empty()) {
        return false;
    }
    // A leading '+' is taken, as the C library's reader does.
    const std::string_view digits = (number.front() == '+') ? number.substr(1) : number;
    if (digits.empty() || (digits.front() == '-' && digits.data() != number.data())) {
        return false;
    }
    long value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc() || end != digits.data() + digits.size()) {
        return false;
    }
    rev_nbr = value;
    return true;
}

} // namespace tnw::svnrev
