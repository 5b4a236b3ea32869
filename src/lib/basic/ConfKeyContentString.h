#pragma once

#include "lib/basic/ConfKeyContentInterface.h"

#include <string>

namespace basic {

// Any thread, one tree per thread at a time; may allocate. Text content of a leaf key.
class ConfKeyContentString : public ConfKeyContentInterface
{
public:
    ConfKeyContentString() = default;
    explicit ConfKeyContentString(const std::string& text) : _text(text) {}
    ConfKeyContentString(const ConfKeyContentString&) = default;
    ConfKeyContentString& operator=(const ConfKeyContentString&) = default;
    ~ConfKeyContentString() override = default;

    [[nodiscard]] const std::string& get_text() const noexcept { return _text; }
    void set_text(const std::string& text) { _text = text; }

private:
    int do_write_to_string(std::string& str, Context& ctx) const override;
    [[nodiscard]] std::unique_ptr<ConfKeyContentInterface> do_clone() const override;

    std::string _text;
};

} // namespace basic
