#include "lib/tnw/sys/FileUrl.h"

#include <string_view>

namespace tnw::sys {

namespace {

constexpr std::string_view scheme = "file:";
constexpr std::string_view authority_mark = "//";
constexpr std::string_view local_host = "localhost";

// Case-blind for ASCII letters, as schemes and host names are.
bool equal_no_case(std::string_view a, std::string_view b) noexcept
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

// 0 to 15, or -1 for a character that is no hexadecimal digit.
int hex_value(char c) noexcept
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace

FileUrl::FileUrl(const std::string& text)
{
    _valid_flag = parse(text);
    if (!_valid_flag) {
        _path.clear();
    }
}

bool FileUrl::parse(const std::string& text)
{
    std::string_view rest(text);
    if (rest.size() < scheme.size() || !equal_no_case(rest.substr(0, scheme.size()), scheme)) {
        return false;
    }
    rest.remove_prefix(scheme.size());
    if (rest.starts_with(authority_mark)) {
        rest.remove_prefix(authority_mark.size());
        const std::size_t slash = rest.find('/');
        const std::string_view host = rest.substr(0, slash);
        if (!host.empty() && !equal_no_case(host, local_host)) {
            return false;
        }
        rest.remove_prefix(host.size());
    }
    rest = rest.substr(0, rest.find_first_of("?#"));
    if (!rest.starts_with('/')) {
        return false;
    }
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] != '%') {
            _path.push_back(rest[i]);
            continue;
        }
        // An escape is '%' and two hexadecimal digits, all inside the text.
        if (i + 2 >= rest.size()) {
            return false;
        }
        const int hi = hex_value(rest[i + 1]);
        const int lo = hex_value(rest[i + 2]);
        if (hi < 0 || lo < 0 || (hi == 0 && lo == 0)) {
            return false;
        }
        _path.push_back(static_cast<char>((hi << 4) | lo));
        i += 2;
    }
    return true;
}

} // namespace tnw::sys
