#include "lib/tnw/txt/out/Print.h"

namespace tnw::txt::out {

void Print::print_begin()
{
    _result.clear();
}

void Print::print_char(char c)
{
    _result.push_back(c);
}

void Print::print_end() {}

void Print::do_reset()
{
    _result.clear();
}

bool Print::do_is_truncated() const
{
    return false;
}

long Print::do_get_string_len() const
{
    return static_cast<long>(_result.size());
}

} // namespace tnw::txt::out
