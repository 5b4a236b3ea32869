#pragma once

#include "lib/basic/ConfKeyContentInterface.h"
#include "lib/basic/ConfKeyInterface.h"

#include <memory>
#include <string>

namespace basic {

class ConfKeyFactory;

// Any thread, one tree per thread at a time; may allocate.
// Leaf key: a name and one owned content, a text or a brace list; never without content (an
// empty text unless another was given).
// Constructors taking a name throw std::runtime_error for an invalid name.
class ConfKeyData : public ConfKeyInterface
{
public:
    ConfKeyData();
    explicit ConfKeyData(const std::string& name);
    ConfKeyData(const std::string& name, const std::string& text);
    ConfKeyData(const std::string& name, const ConfKeyContentInterface& content);
    ConfKeyData(const ConfKeyData& other);
    ConfKeyData& operator=(const ConfKeyData&) = delete;
    ~ConfKeyData() override = default;

    // The owned content, never null; its kind is found with dynamic_cast to
    // ConfKeyContentString or ConfKeyContentMulti.
    [[nodiscard]] ConfKeyContentInterface* use_content() noexcept { return _content.get(); }
    [[nodiscard]] const ConfKeyContentInterface* use_content() const noexcept
    {
        return _content.get();
    }
    void set_content(const ConfKeyContentInterface& content);

private:
    // The reader hands over the content it has just built instead of copying it.
    friend class ConfKeyFactory;
    void adopt_content(std::unique_ptr<ConfKeyContentInterface> content);

    [[nodiscard]] std::unique_ptr<ConfKeyInterface> do_clone() const override;
    int do_cki_write_to_string(std::string& str, Context& ctx) const override;

    std::unique_ptr<ConfKeyContentInterface> _content;
};

} // namespace basic
