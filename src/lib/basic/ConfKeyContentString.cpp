#include "lib/basic/ConfKeyContentString.h"

namespace basic {

int ConfKeyContentString::do_write_to_string(std::string& str, Context& ctx) const
{
    return write_string_to_string(str, ctx, _text);
}

std::unique_ptr<ConfKeyContentInterface> ConfKeyContentString::do_clone() const
{
    return std::make_unique<ConfKeyContentString>(*this);
}

} // namespace basic
