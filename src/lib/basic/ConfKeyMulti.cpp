#include "lib/basic/ConfKeyMulti.h"

#include "lib/basic/ConfKeyContentString.h"
#include "lib/basic/ConfKeyData.h"

#include <stdexcept>
#include <utility>

namespace basic {

namespace {

constexpr const char* PATH_DELIMITERS = "/\\";

} // namespace

ConfKeyMulti::ConfKeyMulti(const std::string& name) : ConfKeyInterface(name) {}

ConfKeyMulti::ConfKeyMulti(const ConfKeyMulti& other) : ConfKeyInterface(other)
{
    _children.reserve(other._children.size());
    for (const auto& child : other._children) {
        _children.push_back(child->clone());
    }
}

ConfKeyMulti& ConfKeyMulti::operator=(const ConfKeyMulti& other)
{
    // The copies are made before the old children go, so self-assignment is safe.
    std::vector<std::unique_ptr<ConfKeyInterface>> copies;
    copies.reserve(other._children.size());
    for (const auto& child : other._children) {
        copies.push_back(child->clone());
    }
    _children.swap(copies);
    return *this;
}

void ConfKeyMulti::push_back(const ConfKeyInterface& key)
{
    _children.push_back(key.clone());
}

void ConfKeyMulti::add_unique(const ConfKeyInterface& key)
{
    auto copy = key.clone();
    const long i = find_index(copy->get_name());
    if (i < 0) {
        _children.push_back(std::move(copy));
    } else {
        _children[size_t(i)] = std::move(copy);
    }
}

void ConfKeyMulti::set_key(long i, const ConfKeyInterface& key)
{
    _children[size_t(i)] = key.clone();
}

void ConfKeyMulti::remove(long i)
{
    _children.erase(_children.begin() + i);
}

void ConfKeyMulti::adopt_back(std::unique_ptr<ConfKeyInterface> key)
{
    _children.push_back(std::move(key));
}

template <typename Kind>
long ConfKeyMulti::find_index_of_kind(const std::string& name, long start) const
{
    for (long i = start; i < get_nbr_keys(); ++i) {
        const ConfKeyInterface* child = _children[size_t(i)].get();
        if (child->get_name() == name && dynamic_cast<const Kind*>(child) != nullptr) {
            return i;
        }
    }
    return -1;
}

long ConfKeyMulti::find_index(const std::string& name, long start) const
{
    return find_index_of_kind<ConfKeyInterface>(name, start);
}

long ConfKeyMulti::find_index_data(const std::string& name, long start) const
{
    return find_index_of_kind<ConfKeyData>(name, start);
}

long ConfKeyMulti::find_index_multi(const std::string& name, long start) const
{
    return find_index_of_kind<ConfKeyMulti>(name, start);
}

long ConfKeyMulti::find_index_throw(const std::string& name) const
{
    const long i = find_index(name);
    if (i < 0) {
        throw std::runtime_error("basic::ConfKeyMulti::find_index_throw() : Key not found.");
    }
    return i;
}

const ConfKeyInterface* ConfKeyMulti::walk_key_tree(const std::string& path) const
{
    std::string first;
    std::string rest;
    split_key_path_first(first, rest, path);
    const long i = find_index(first);
    if (i < 0) {
        return nullptr;
    }
    const ConfKeyInterface* child = _children[size_t(i)].get();
    if (rest.empty()) {
        return child;
    }
    const auto* node = dynamic_cast<const ConfKeyMulti*>(child);
    return node == nullptr ? nullptr : node->walk_key_tree(rest);
}

ConfKeyInterface* ConfKeyMulti::walk_key_tree(const std::string& path)
{
    return const_cast<ConfKeyInterface*>(std::as_const(*this).walk_key_tree(path));
}

bool ConfKeyMulti::is_key_existing(const std::string& path) const
{
    return walk_key_tree(path) != nullptr;
}

const ConfKeyInterface& ConfKeyMulti::use_key(const std::string& path) const
{
    const ConfKeyInterface* key = walk_key_tree(path);
    if (key == nullptr) {
        throw std::runtime_error("basic::ConfKeyMulti::use_key() : Key doesn't exist.");
    }
    return *key;
}

ConfKeyInterface& ConfKeyMulti::use_key(const std::string& path)
{
    return const_cast<ConfKeyInterface&>(std::as_const(*this).use_key(path));
}

std::string ConfKeyMulti::get_key_str(const std::string& path) const
{
    const auto* leaf = dynamic_cast<const ConfKeyData*>(walk_key_tree(path));
    if (leaf == nullptr) {
        return {};
    }
    const auto* text = dynamic_cast<const ConfKeyContentString*>(leaf->use_content());
    return text == nullptr ? std::string() : text->get_text();
}

void ConfKeyMulti::set_key_str(const std::string& path, std::string text)
{
    std::string first;
    std::string rest;
    split_key_path_first(first, rest, path);
    if (rest.empty()) {
        add_unique(ConfKeyData(first, text));
        return;
    }
    long i = find_index(first);
    if (i < 0) {
        _children.push_back(std::make_unique<ConfKeyMulti>(first));
        i = get_nbr_keys() - 1;
    } else if (dynamic_cast<ConfKeyMulti*>(_children[size_t(i)].get()) == nullptr) {
        _children[size_t(i)] = std::make_unique<ConfKeyMulti>(first);
    }
    static_cast<ConfKeyMulti&>(*_children[size_t(i)]).set_key_str(rest, std::move(text));
}

bool ConfKeyMulti::is_key_unique(const std::string& path) const
{
    std::string first;
    std::string rest;
    split_key_path_first(first, rest, path);
    const long i = find_index(first);
    if (i < 0) {
        return true;
    }
    if (find_index(first, i + 1) >= 0) {
        return false;
    }
    const auto* node = dynamic_cast<const ConfKeyMulti*>(_children[size_t(i)].get());
    if (rest.empty() || node == nullptr) {
        return true;
    }
    return node->is_key_unique(rest);
}

void ConfKeyMulti::split_key_path_first(std::string& first, std::string& rest,
                                        const std::string& path)
{
    const size_t cut = path.find_first_of(PATH_DELIMITERS);
    if (cut == 0 || path.empty()) {
        throw std::runtime_error("basic::ConfKeyMulti::split_key_path_first() : Invalid key path.");
    }
    if (cut == std::string::npos) {
        first = path;
        rest.clear();
    } else {
        first = path.substr(0, cut);
        rest = path.substr(cut + 1);
    }
}

void ConfKeyMulti::split_key_path_last(std::string& head, std::string& last,
                                       const std::string& path)
{
    const size_t cut = path.find_last_of(PATH_DELIMITERS);
    const std::string new_last = cut == std::string::npos ? path : path.substr(cut + 1);
    if (new_last.empty()) {
        throw std::runtime_error("basic::ConfKeyMulti::split_key_path_last() : Invalid key path.");
    }
    head = cut == std::string::npos ? std::string() : path.substr(0, cut);
    last = new_last;
}

std::unique_ptr<ConfKeyInterface> ConfKeyMulti::do_clone() const
{
    return std::make_unique<ConfKeyMulti>(*this);
}

int ConfKeyMulti::do_cki_write_to_string(std::string& str, Context& ctx) const
{
    const std::string indent = ctx.get_indent_string();
    if (!get_comment().empty()) {
        str += indent + "// " + get_comment() + '\n';
    }
    str += indent;
    if (const int code = write_string_to_string(str, ctx, get_name()); code != 0) {
        return code;
    }
    str += " =\n";
    str += indent + "{\n";
    {
        const IndentScope children(ctx);
        for (const auto& child : _children) {
            if (const int code = child->write_to_string(str, ctx); code != 0) {
                return code;
            }
            str += '\n';
        }
    }
    str += indent + '}';
    return 0;
}

} // namespace basic
