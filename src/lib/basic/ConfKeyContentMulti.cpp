#include "lib/basic/ConfKeyContentMulti.h"

namespace basic {

namespace {

// Lists of up to this many items are written on the line of their key.
constexpr long MAX_ITEMS_ON_ONE_LINE = 7;

} // namespace

ConfKeyContentMulti::ConfKeyContentMulti(const ConfKeyContentMulti& other)
    : ConfKeyContentInterface(other)
{
    _contents.reserve(other._contents.size());
    for (const auto& content : other._contents) {
        _contents.push_back(content->clone());
    }
}

ConfKeyContentMulti& ConfKeyContentMulti::operator=(const ConfKeyContentMulti& other)
{
    // The copies are made before the old list goes, so assigning a list to itself is safe.
    ConfKeyContentMulti copy(other);
    _contents.swap(copy._contents);
    return *this;
}

void ConfKeyContentMulti::push_back(const ConfKeyContentInterface& content)
{
    _contents.push_back(content.clone());
}

void ConfKeyContentMulti::set_content(long i, const ConfKeyContentInterface& content)
{
    _contents[size_t(i)] = content.clone();
}

void ConfKeyContentMulti::remove(long i)
{
    _contents.erase(_contents.begin() + i);
}

void ConfKeyContentMulti::adopt_back(std::unique_ptr<ConfKeyContentInterface> content)
{
    _contents.push_back(std::move(content));
}

int ConfKeyContentMulti::do_write_to_string(std::string& str, Context& ctx) const
{
    str += '{';
    if (get_nbr_contents() <= MAX_ITEMS_ON_ONE_LINE) {
        str += ' ';
        for (const auto& content : _contents) {
            if (const int code = content->write_to_string(str, ctx); code != 0) {
                return code;
            }
            str += ' ';
        }
        str += '}';
        return 0;
    }
    str += '\n';
    {
        const IndentScope items(ctx);
        const std::string item_indent = ctx.get_indent_string();
        for (const auto& content : _contents) {
            str += item_indent;
            if (const int code = content->write_to_string(str, ctx); code != 0) {
                return code;
            }
            str += '\n';
        }
    }
    str += ctx.get_indent_string();
    str += '}';
    return 0;
}

std::unique_ptr<ConfKeyContentInterface> ConfKeyContentMulti::do_clone() const
{
    return std::make_unique<ConfKeyContentMulti>(*this);
}

} // namespace basic
