#pragma once

#include "lib/tnw/txt/out/PrintInterface.h"

#include <string>

namespace tnw::txt::out {

// Formats into a string it owns; the result stays until the next print().
// Any thread; one object is used by one thread at a time; may allocate.
class Print : public PrintInterface
{
public:
    Print() = default;
    ~Print() override = default;

    operator const std::string&() const noexcept { return _result; }

    void print_begin() override;
    void print_char(char c) override;
    void print_end() override;

protected:
    void do_reset() override;
    [[nodiscard]] bool do_is_truncated() const override;
    [[nodiscard]] long do_get_string_len() const override;

private:
    std::string _result;
};

} // namespace tnw::txt::out
