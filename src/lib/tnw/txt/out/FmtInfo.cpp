#include "lib/tnw/txt/out/FmtInfo.h"

#include <climits>

namespace tnw::txt::out {

namespace {

// A further digit after this value could leave the 64-bit range.
constexpr long DIGITS_LIMIT = 922337203685477580L;

bool is_digit(char c) noexcept
{
    return c >= '0' && c <= '9';
}

char to_lower_ascii(char c) noexcept
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

bool FmtInfo::ParserState::starts_number() const noexcept
{
    if (is_end()) {
        return false;
    }
    const char c = peek();
    return is_digit(c) || c == '!' || c == '$';
}

long FmtInfo::ParserState::read_digits() noexcept
{
    if (is_end() || !is_digit(peek())) {
        _error = -1;
        return 0;
    }
    long val = 0;
    while (!is_end() && is_digit(peek())) {
        if (val >= DIGITS_LIMIT) {
            _error = -1;
            return 0;
        }
        val = val * 10 + (peek() - '0');
        ++_pos;
    }
    return val;
}

long FmtInfo::ParserState::read_number() noexcept
{
    // "$$2" is the extra value whose number is extra value 2: count the '$'
    // first, then resolve from the innermost out, so nesting costs no stack.
    long nbr_indirect = 0;
    while (!is_end() && peek() == '$') {
        ++nbr_indirect;
        ++_pos;
    }
    long val = 0;
    if (!is_end() && peek() == '!') {
        ++_pos;
        if (_next_extra >= _nbr_extra || _extra == nullptr) {
            _error = -1;
            return 0;
        }
        val = _extra[_next_extra];
        ++_next_extra;
    } else {
        val = read_digits();
        if (_error != 0) {
            return 0;
        }
    }
    for (; nbr_indirect > 0; --nbr_indirect) {
        if (val < 1 || val > 4 || val > _nbr_extra || _extra == nullptr) {
            _error = -1;
            return 0;
        }
        val = _extra[val - 1];
    }
    return val;
}

int FmtInfo::parse_options(const char* opt, long len, const long* extra, long nbr_extra) noexcept
{
    ParserState state;
    state._opt = opt;
    state._len = (opt == nullptr || len < 0) ? 0 : len;
    state._extra = extra;
    state._nbr_extra = (nbr_extra < 0) ? 0 : nbr_extra;
    while (!state.is_end()) {
        const char c = state.peek();
        ++state._pos;
        if (parse_one(c, state) != 0) {
            state._error = -1;
            return -1;
        }
    }
    return 0;
}

// A count for a 32-bit option: negative values give 0, values beyond the
// field's range are refused rather than wrapped.
bool FmtInfo::read_count(ParserState& state, std::int32_t& count) noexcept
{
    const long val = state.read_number();
    if (state._error != 0 || val > INT32_MAX) {
        state._error = -1;
        return false;
    }
    count = (val < 0) ? 0 : static_cast<std::int32_t>(val);
    return true;
}

void FmtInfo::read_optional_count(ParserState& state, std::int32_t& count) noexcept
{
    count = 0;
    if (state.starts_number()) {
        (void)read_count(state, count);
    }
}

// Options that read a number or a character after their letter.
int FmtInfo::parse_one(char c, ParserState& state) noexcept
{
    switch (to_lower_ascii(c)) {
    case 'e':
    case 'g':
        _float_mode = (to_lower_ascii(c) == 'e') ? FLOAT_MODE_EXPONENT : FLOAT_MODE_GENERAL;
        read_optional_count(state, _exp_size);
        break;
    case 'm': {
        const long val = state.read_number();
        if (state._error == 0) {
            _max_len = (val < 0) ? 0 : val;
        }
        break;
    }
    case 'p':
        (void)read_count(state, _nbr_decimals);
        break;
    case 's':
        (void)read_count(state, _group_size);
        break;
    case 'w':
        if (state.is_end()) {
            state._error = -1;
        } else {
            _whitespace = state.peek();
            ++state._pos;
        }
        break;
    default:
        set_flag(c);
        break;
    }
    return state._error;
}

// clang-format off
// Options of a single letter; the case of 'b', 'd' and 'x' picks the letter
// case of digits. Other characters are no option and are ignored.
void FmtInfo::set_flag(char c) noexcept
{
    const CaseMode case_mode = (c >= 'a' && c <= 'z') ? CASE_LOWER : CASE_UPPER;
    switch (to_lower_ascii(c)) {
    case '+': _sign_mode = SIGN_PLUS; break;
    case '-': _sign_mode = SIGN_SPACE; break;
    case 'b': _base = 2; _case_mode = case_mode; break;
    case 'd': _base = 10; _case_mode = case_mode; break;
    case 'x': _base = 16; _case_mode = case_mode; break;
    case 'c': _justify_mode = JUSTIFY_CENTRE; break;
    case 'k': _justify_mode = JUSTIFY_LEFT; break;
    case 'l': _justify_mode = JUSTIFY_NONE; break;
    case 'r': _justify_mode = JUSTIFY_RIGHT; break;
    case 'f': _float_mode = FLOAT_MODE_FIXED; break;
    case 't': _truncate_flag = true; break;
    case 'v': _zero_trail_flag = true; break;
    case 'o': _zero_trail_flag = false; break;
    default: break;
    }
}

// clang-format on

} // namespace tnw::txt::out
