#include "lib/basic/ConfKeyData.h"

#include "lib/basic/ConfKeyContentString.h"

namespace basic {

ConfKeyData::ConfKeyData() : _content(std::make_unique<ConfKeyContentString>()) {}

ConfKeyData::ConfKeyData(const std::string& name)
    : ConfKeyInterface(name), _content(std::make_unique<ConfKeyContentString>())
{
}

ConfKeyData::ConfKeyData(const std::string& name, const std::string& text)
    : ConfKeyInterface(name), _content(std::make_unique<ConfKeyContentString>(text))
{
}

ConfKeyData::ConfKeyData(const std::string& name, const ConfKeyContentInterface& content)
    : ConfKeyInterface(name), _content(content.clone())
{
}

ConfKeyData::ConfKeyData(const ConfKeyData& other)
    : ConfKeyInterface(other), _content(other._content->clone())
{
}

void ConfKeyData::set_content(const ConfKeyContentInterface& content)
{
    _content = content.clone();
}

void ConfKeyData::adopt_content(std::unique_ptr<ConfKeyContentInterface> content)
{
    if (content) {
        _content = std::move(content);
    }
}

std::unique_ptr<ConfKeyInterface> ConfKeyData::do_clone() const
{
    return std::make_unique<ConfKeyData>(*this);
}

int ConfKeyData::do_cki_write_to_string(std::string& str, Context& ctx) const
{
    str += ctx.get_indent_string();
    if (const int code = write_string_to_string(str, ctx, get_name()); code != 0) {
        return code;
    }
    str += " = ";
    if (const int code = _content->write_to_string(str, ctx); code != 0) {
        return code;
    }
    if (!get_comment().empty()) {
        str += "\t// ";
        str += get_comment();
    }
    return 0;
}

} // namespace basic
