#pragma once

#include "lib/basic/ConfKeyInterface.h"

#include <memory>
#include <string>
#include <vector>

namespace basic {

class ConfKeyFactory;

// Any thread, one tree per thread at a time; may allocate.
// Node key: a name and an ordered list of owned child keys. Every stored key is a copy of the
// argument; sibling names need not be unique and lookups take the first. Index operations do no
// bounds test: the index must be below get_nbr_keys().
//
// Key paths are names joined by '/' or '\'. The path operations throw std::runtime_error for
// an empty path or one that begins with a delimiter, and for two adjacent delimiters once the
// walk gets that far.
class ConfKeyMulti : public ConfKeyInterface
{
public:
    ConfKeyMulti() = default;
    // Throws std::runtime_error for an invalid name.
    explicit ConfKeyMulti(const std::string& name);
    ConfKeyMulti(const ConfKeyMulti& other);
    // Replaces the children only, by copies of the other's children; name and comment stay.
    ConfKeyMulti& operator=(const ConfKeyMulti& other);
    ~ConfKeyMulti() override = default;

    [[nodiscard]] long get_nbr_keys() const noexcept { return long(_children.size()); }
    [[nodiscard]] ConfKeyInterface* use_key(long i) { return _children[size_t(i)].get(); }
    [[nodiscard]] const ConfKeyInterface* use_key(long i) const
    {
        return _children[size_t(i)].get();
    }
    [[nodiscard]] ConfKeyInterface& operator[](long i) { return *_children[size_t(i)]; }
    [[nodiscard]] const ConfKeyInterface& operator[](long i) const { return *_children[size_t(i)]; }

    void push_back(const ConfKeyInterface& key);
    // Replaces the first child of the same name (of either kind), else appends.
    void add_unique(const ConfKeyInterface& key);
    void set_key(long i, const ConfKeyInterface& key);
    void remove(long i);
    void clear() noexcept { _children.clear(); }

    // Index of the first child at or after start (not negative) with this name; -1 when none.
    [[nodiscard]] long find_index(const std::string& name, long start = 0) const;
    [[nodiscard]] long find_index_data(const std::string& name, long start = 0) const;
    [[nodiscard]] long find_index_multi(const std::string& name, long start = 0) const;
    // Throws std::runtime_error when no child has this name.
    [[nodiscard]] long find_index_throw(const std::string& name) const;

    // The key at the path, or null.
    [[nodiscard]] ConfKeyInterface* walk_key_tree(const std::string& path);
    [[nodiscard]] const ConfKeyInterface* walk_key_tree(const std::string& path) const;
    [[nodiscard]] bool is_key_existing(const std::string& path) const;
    // The key at the path; throws std::runtime_error when it does not exist.
    [[nodiscard]] ConfKeyInterface& use_key(const std::string& path);
    [[nodiscard]] const ConfKeyInterface& use_key(const std::string& path) const;
    // Text of the leaf at the path; empty when missing, a node, or a list.
    [[nodiscard]] std::string get_key_str(const std::string& path) const;
    // Stores a leaf holding the text at the path, creating missing nodes and turning a leaf
    // in the way into an empty node. The text is taken by value: it may be held by the very
    // leaf that is replaced on the way.
    void set_key_str(const std::string& path, std::string text);
    [[nodiscard]] bool is_key_unique(const std::string& path) const;

    static void split_key_path_first(std::string& first, std::string& rest,
                                     const std::string& path);
    static void split_key_path_last(std::string& head, std::string& last, const std::string& path);

private:
    // The reader hands over keys it has just built instead of copying them.
    friend class ConfKeyFactory;
    void adopt_back(std::unique_ptr<ConfKeyInterface> key);

    [[nodiscard]] std::unique_ptr<ConfKeyInterface> do_clone() const override;
    int do_cki_write_to_string(std::string& str, Context& ctx) const override;

    template <typename Kind>
    [[nodiscard]] long find_index_of_kind(const std::string& name, long start) const;

    std::vector<std::unique_ptr<ConfKeyInterface>> _children;
};

} // namespace basic
