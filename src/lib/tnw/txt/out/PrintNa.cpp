#include "lib/tnw/txt/out/PrintNa.h"

namespace tnw::txt::out {

PrintNa::PrintNa(char* buffer, long max_len) noexcept
    : _buffer(buffer), _max_len((max_len < 0) ? 0 : max_len)
{
}

void PrintNa::print_begin() noexcept
{
    _pos = 0;
}

void PrintNa::print_char(char c) noexcept
{
    if (_pos < _max_len && _buffer != nullptr) {
        _buffer[_pos] = c;
    }
    ++_pos;
}

void PrintNa::print_end() noexcept
{
    if (_buffer != nullptr) {
        _buffer[(_pos < _max_len) ? _pos : _max_len] = '\0';
    }
}

// The buffer holds an empty text from here on, so a message that is dropped
// or still waits for arguments never leaves stale or unterminated characters.
void PrintNa::do_reset() noexcept
{
    _pos = 0;
    if (_buffer != nullptr) {
        _buffer[0] = '\0';
    }
}

bool PrintNa::do_is_truncated() const noexcept
{
    return _pos > _max_len;
}

long PrintNa::do_get_string_len() const noexcept
{
    return static_cast<long>(_pos);
}

} // namespace tnw::txt::out
