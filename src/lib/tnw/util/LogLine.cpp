#include "lib/tnw/util/LogLine.h"

#include <cstring>

namespace tnw::util {

namespace {

void copy_cut(char* dest, const char* src_0)
{
    if (src_0 == nullptr) {
        dest[0] = '\0';
        return;
    }
    // memchr stops at the first match, so a shorter text is not read past.
    const auto* end = static_cast<const char*>(std::memchr(src_0, '\0', LogLine::MAX_TXT_LEN));
    const std::size_t len =
        (end == nullptr) ? std::size_t(LogLine::MAX_TXT_LEN) : std::size_t(end - src_0);
    if (len > 0) {
        std::memcpy(dest, src_0, len);
    }
    dest[len] = '\0';
}

} // namespace

void LogLine::set_log(long ord, double date, const char* msg, const char* scope,
                      long line_nbr) noexcept
{
    _ord = ord;
    _date = date;
    _line_nbr = line_nbr;
    copy_cut(_msg, msg);
    copy_cut(_scope, scope);
}

} // namespace tnw::util
