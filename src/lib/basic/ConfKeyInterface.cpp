#include "lib/basic/ConfKeyInterface.h"

#include <algorithm>
#include <stdexcept>

namespace basic {

ConfKeyInterface::ConfKeyInterface(const std::string& name) : _name(name)
{
    throw_if_invalid(_name);
}

void ConfKeyInterface::set_name(const std::string& name)
{
    // Validated before it is stored, so a key never holds a name the reader would refuse.
    throw_if_invalid(name);
    _name = name;
}

void ConfKeyInterface::set_comment(const std::string& comment)
{
    _comment = comment;
    check_and_correct_comment();
}

void ConfKeyInterface::check_and_correct_comment()
{
    std::replace(_comment.begin(), _comment.end(), '\n', ' ');
}

bool ConfKeyInterface::check_name(const std::string& name) noexcept
{
    return name.find_first_of("/\\") == std::string::npos;
}

void ConfKeyInterface::check_name_throw() const
{
    throw_if_invalid(_name);
}

void ConfKeyInterface::throw_if_invalid(const std::string& name)
{
    if (!check_name(name)) {
        throw std::runtime_error("basic::ConfKeyInterface::check_name_throw() : Invalid name.");
    }
}

std::string ConfKeyInterface::mangle_name(const std::string& text)
{
    std::string name = text;
    for (char& c : name) {
        const bool is_alnum =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!is_alnum) {
            c = '_';
        }
    }
    return name;
}

int ConfKeyInterface::do_write_to_string(std::string& str, Context& ctx) const
{
    if (_name.empty()) {
        throw std::runtime_error(
            "basic::ConfKeyInterface::do_write_to_string() : Key can't be anonymous.");
    }
    return do_cki_write_to_string(str, ctx);
}

std::ostream& operator<<(std::ostream& os, const ConfKeyInterface& key)
{
    std::string text;
    if (key.write_to_string(text) != 0) {
        // A text the format cannot store: no partial text, the stream reports the failure.
        os.setstate(std::ios::failbit);
        return os;
    }
    return os << text;
}

} // namespace basic
