#pragma once

#include "lib/basic/ConfKeyContentInterface.h"

#include <memory>
#include <vector>

namespace basic {

class ConfKeyFactory;

// Any thread, one tree per thread at a time; may allocate.
// Brace-list content of a leaf key: an ordered list of owned contents (texts or lists).
// Every stored content is a copy of the argument.
// Index operations do no bounds test: the index must be below get_nbr_contents().
class ConfKeyContentMulti : public ConfKeyContentInterface
{
public:
    ConfKeyContentMulti() = default;
    ConfKeyContentMulti(const ConfKeyContentMulti& other);
    ConfKeyContentMulti& operator=(const ConfKeyContentMulti& other);
    ~ConfKeyContentMulti() override = default;

    [[nodiscard]] long get_nbr_contents() const noexcept { return long(_contents.size()); }
    [[nodiscard]] ConfKeyContentInterface* use_content(long i)
    {
        return _contents[size_t(i)].get();
    }
    [[nodiscard]] const ConfKeyContentInterface* use_content(long i) const
    {
        return _contents[size_t(i)].get();
    }
    [[nodiscard]] ConfKeyContentInterface& operator[](long i) { return *_contents[size_t(i)]; }
    [[nodiscard]] const ConfKeyContentInterface& operator[](long i) const
    {
        return *_contents[size_t(i)];
    }

    void push_back(const ConfKeyContentInterface& content);
    void set_content(long i, const ConfKeyContentInterface& content);
    void remove(long i);
    void clear() noexcept { _contents.clear(); }

private:
    // The reader hands over contents it has just built instead of copying them.
    friend class ConfKeyFactory;
    void adopt_back(std::unique_ptr<ConfKeyContentInterface> content);

    int do_write_to_string(std::string& str, Context& ctx) const override;
    [[nodiscard]] std::unique_ptr<ConfKeyContentInterface> do_clone() const override;

    std::vector<std::unique_ptr<ConfKeyContentInterface>> _contents;
};

} // namespace basic
