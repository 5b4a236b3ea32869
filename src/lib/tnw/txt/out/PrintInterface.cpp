#include "lib/tnw/txt/out/PrintInterface.h"

#include "lib/tnw/sys/posix/Demangler.h"
#include "lib/tnw/txt/out/ArgFloat.h"
#include "lib/tnw/txt/out/ArgInt.h"
#include "lib/tnw/txt/out/ArgString.h"
#include "lib/tnw/txt/out/FmtInfo.h"

namespace tnw::txt::out {

namespace {

// Placeholder numbers saturate here while their digits are read, so a long
// run of digits can never wrap around to a small, valid number.
constexpr long PLACEHOLDER_SATURATION = 1'000'000L;

// Walks a format text in its four states (text, after '%', number, options).
// Text characters go to on_char, closed placeholders to on_placeholder with
// their number and option characters. Returns the highest placeholder number
// (0 without placeholders), or -1 when the format ends inside a sequence.
template <class OnChar, class OnPlaceholder>
long scan_format(const char* format_0, OnChar&& on_char, OnPlaceholder&& on_placeholder)
{
    long highest = 0;
    const char* pos = format_0;
    while (*pos != '\0') {
        if (*pos != '%') {
            on_char(*pos);
            ++pos;
            continue;
        }
        ++pos; // after '%'
        if (*pos == '\0') {
            return -1;
        }
        if (*pos < '0' || *pos > '9') {
            if (*pos != '%') {
                on_char('%');
            }
            on_char(*pos);
            ++pos;
            continue;
        }
        long nbr = 0;
        while (*pos >= '0' && *pos <= '9') {
            nbr = nbr * 10 + (*pos - '0');
            nbr = (nbr > PLACEHOLDER_SATURATION) ? PLACEHOLDER_SATURATION : nbr;
            ++pos;
        }
        const char* opt = pos;
        while (*pos != '\0' && *pos != '%') {
            ++pos;
        }
        if (*pos == '\0') {
            return -1;
        }
        on_placeholder(nbr, opt, static_cast<long>(pos - opt));
        highest = (nbr > highest) ? nbr : highest;
        ++pos; // closing '%'
    }
    return highest;
}

} // namespace

PrintInterface& PrintInterface::print(const char* format_0)
{
    _append_flag = false;
    _begun_flag = false;
    do_reset();
    start_message(format_0, false);
    return *this;
}

PrintInterface& PrintInterface::cat(const char* format_0)
{
    start_message(format_0, true);
    return *this;
}

void PrintInterface::start_message(const char* format_0, bool append_flag)
{
    _format_0 = nullptr;
    _nbr_placeholders = 0;
    _nbr_args = 0;
    _append_flag = append_flag;
    const long highest = (format_0 == nullptr)
                             ? -1
                             : scan_format(
                                   format_0, [](char) {}, [](long, const char*, long) {});
    if (highest < 0 || highest > MAX_NBR_ARGS) {
        reset(); // a malformed format drops the whole message
        return;
    }
    _format_0 = format_0;
    _nbr_placeholders = static_cast<std::int32_t>(highest);
    check_complete();
}

void PrintInterface::reset()
{
    _format_0 = nullptr;
    _nbr_placeholders = 0;
    _nbr_args = 0;
    _append_flag = false;
    _begun_flag = false;
    do_reset();
}

bool PrintInterface::is_truncated() const
{
    return do_is_truncated();
}

long PrintInterface::get_string_len() const
{
    return do_get_string_len();
}

// Renders once the argument for the highest placeholder number is there.
void PrintInterface::check_complete()
{
    if (_format_0 != nullptr && _nbr_args == _nbr_placeholders) {
        render();
    }
}

PrintInterface& PrintInterface::store_arg(ArgInfo::Type type, const ArgInfo::Value& val, long e1,
                                          long e2, long e3, long e4)
{
    if (_nbr_args >= MAX_NBR_ARGS) {
        return *this; // a 65th argument is ignored
    }
    ArgInfo& info = _arg_list[_nbr_args];
    info._type = type;
    info._val = val;
    info._extra[0] = e1;
    info._extra[1] = e2;
    info._extra[2] = e3;
    info._extra[3] = e4;
    ++_nbr_args;
    check_complete();
    return *this;
}

// Every integer type is carried as the same 64 bits; unsigned values above
// the signed range print as their two's complement reading.
PrintInterface& PrintInterface::store_int(std::int64_t val, long e1, long e2, long e3, long e4)
{
    ArgInfo::Value v{};
    v._int = val;
    return store_arg(ArgInfo::TYPE_INT, v, e1, e2, e3, e4);
}

PrintInterface& PrintInterface::arg(const int& val, long e1, long e2, long e3, long e4)
{
    return store_int(static_cast<std::int64_t>(val), e1, e2, e3, e4);
}

PrintInterface& PrintInterface::arg(const unsigned int& val, long e1, long e2, long e3, long e4)
{
    return store_int(static_cast<std::int64_t>(val), e1, e2, e3, e4);
}

PrintInterface& PrintInterface::arg(const long& val, long e1, long e2, long e3, long e4)
{
    return store_int(static_cast<std::int64_t>(val), e1, e2, e3, e4);
}

PrintInterface& PrintInterface::arg(const long long& val, long e1, long e2, long e3, long e4)
{
    return store_int(static_cast<std::int64_t>(val), e1, e2, e3, e4);
}

PrintInterface& PrintInterface::arg(const unsigned long& val, long e1, long e2, long e3, long e4)
{
    return store_int(static_cast<std::int64_t>(val), e1, e2, e3, e4);
}

PrintInterface& PrintInterface::arg(const unsigned long long& val, long e1, long e2, long e3,
                                    long e4)
{
    return store_int(static_cast<std::int64_t>(val), e1, e2, e3, e4);
}

PrintInterface& PrintInterface::arg(const void* val, long e1, long e2, long e3, long e4)
{
    return store_int(static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(val)), e1, e2, e3,
                     e4);
}

PrintInterface& PrintInterface::arg(const double& val, long e1, long e2, long e3, long e4)
{
    ArgInfo::Value v{};
    v._flt = static_cast<long double>(val);
    return store_arg(ArgInfo::TYPE_FLOAT, v, e1, e2, e3, e4);
}

PrintInterface& PrintInterface::arg(const long double& val, long e1, long e2, long e3, long e4)
{
    ArgInfo::Value v{};
    v._flt = val;
    return store_arg(ArgInfo::TYPE_FLOAT, v, e1, e2, e3, e4);
}

PrintInterface& PrintInterface::arg(const char* const& val_0, long e1, long e2, long e3, long e4)
{
    ArgInfo::Value v{};
    v._txt_0 = (val_0 == nullptr) ? "" : val_0;
    return store_arg(ArgInfo::TYPE_STRING, v, e1, e2, e3, e4);
}

PrintInterface& PrintInterface::arg(const std::type_info& val, long e1, long e2, long e3, long e4)
{
    ArgInfo::Value v{};
    v._type_ptr = &val;
    return store_arg(ArgInfo::TYPE_TYPE_NAME, v, e1, e2, e3, e4);
}

void PrintInterface::render()
{
    if (!(_append_flag && _begun_flag)) {
        print_begin();
        _begun_flag = true;
    }
    (void)scan_format(
        _format_0, [this](char c) { print_char(c); },
        [this](long nbr, const char* opt, long opt_len) { render_placeholder(nbr, opt, opt_len); });
    print_end();
}

// "%0%" refers to no argument and prints nothing.
void PrintInterface::render_placeholder(long nbr, const char* opt, long opt_len)
{
    if (nbr >= 1 && nbr <= _nbr_args) {
        render_arg(_arg_list[nbr - 1], opt, opt_len);
    }
}

void PrintInterface::render_arg(const ArgInfo& info, const char* opt, long opt_len)
{
    FmtInfo fmt;
    if (fmt.parse_options(opt, opt_len, info._extra, NBR_EXTRA) != 0) {
        return;
    }
    switch (info._type) {
    case ArgInfo::TYPE_INT:
        ArgInt(*this, fmt).print(info._val._int);
        break;
    case ArgInfo::TYPE_FLOAT:
        ArgFloat(*this, fmt).print(info._val._flt);
        break;
    case ArgInfo::TYPE_STRING:
        ArgString(*this, fmt).print(info._val._txt_0);
        break;
    case ArgInfo::TYPE_TYPE_NAME: {
        const sys::posix::Demangler name(info._val._type_ptr->name());
        const char* name_0 = name.get_name_0();
        ArgString(*this, fmt).print(name_0);
        break;
    }
    }
}

} // namespace tnw::txt::out
