#include "lib/basic/ConfKeyStreamInterface.h"

#include "lib/basic/StrBounded.h"
#include "lib/basic/StrBuild.h"

#include <string_view>

namespace basic {

namespace {

// Characters that the reader's lexer splits on, drops or turns into separate tokens when
// they stand outside double quotes (blank, tab, line feed, the structure signs, carriage
// return, backspace, vertical tab), and the comma, which texts have always been quoted for.
constexpr const char* QUOTED_CHARS = " \t\n,={}\r\b\v";

// Characters that no text of the format can hold, quoted or not: the reader ends a token at a
// zero byte, a quoted group at a line feed, and takes a double quote as the start or end of a
// quoted group.
constexpr std::string_view UNSTORABLE_CHARS("\0\n\"", 3);

// True when text must stand between double quotes to come back from the reader as one token
// equal to it: the empty text, and any text holding a character above or a "//" (which
// would start a comment).
bool needs_quotes(const std::string& text)
{
    if (text.empty()) {
        return true;
    }
    char prev = '\0';
    for (const char c : text) {
        if (is_delimiter(c, QUOTED_CHARS) || (c == '/' && prev == '/')) {
            return true;
        }
        prev = c;
    }
    return false;
}

} // namespace

std::string ConfKeyStreamInterface::Context::get_indent_string() const
{
    return gen_string(' ', 3L * _indent_level);
}

int ConfKeyStreamInterface::write_to_string(std::string& str, Context& ctx) const
{
    return do_write_to_string(str, ctx);
}

int ConfKeyStreamInterface::write_to_string(std::string& str) const
{
    Context ctx;
    return do_write_to_string(str, ctx);
}

int ConfKeyStreamInterface::write_string_to_string(std::string& str, Context& /*ctx*/,
                                                   const std::string& text) const
{
    if (text.find_first_of(UNSTORABLE_CHARS) != std::string::npos) {
        return ERR_TEXT_NOT_STORABLE;
    }
    if (needs_quotes(text)) {
        str += '"';
        str += text;
        str += '"';
    } else {
        str += text;
    }
    return 0;
}

} // namespace basic
