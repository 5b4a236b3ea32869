#include "lib/tnw/txt/out/ArgString.h"

#include <cstring>

namespace tnw::txt::out {

void ArgString::print(const char* const& txt_0)
{
    const char* src_0 = (txt_0 == nullptr) ? "" : txt_0;
    const long len = static_cast<long>(std::strlen(src_0));
    long shown = len;
    long start = 0;
    if (_fmt.has_max_len() && _fmt.get_max_len() < len) {
        shown = _fmt.get_max_len();
        if (_fmt.get_justify_mode() == FmtInfo::JUSTIFY_CENTRE) {
            start = (len - shown) / 2;
        } else if (_fmt.get_justify_mode() == FmtInfo::JUSTIFY_RIGHT) {
            start = len - shown;
        }
    }
    const Fill fill = compute_fill(shown);
    print_repeat(fill._before_char, fill._before);
    for (long i = 0; i < shown; ++i) {
        _dev.print_char(apply_case(src_0[start + i]));
    }
    print_repeat(' ', fill._after);
}

} // namespace tnw::txt::out
