#pragma once

#include "lib/tnw/txt/out/PrintInterface.h"

#include <cstdint>

namespace tnw::txt::out {

// Formats into a caller's buffer of max_len + 1 characters and never writes
// past it: characters beyond max_len are counted but dropped, and the text is
// always zero-terminated once a message is complete.
// Any thread; one object is used by one thread at a time; allocates nothing
// (apart from demangling a type name argument).
class PrintNa : public PrintInterface
{
public:
    // Precondition: buffer holds max_len + 1 characters. A negative max_len
    // counts as 0; a null buffer stores nothing.
    PrintNa(char* buffer, long max_len) noexcept;
    ~PrintNa() override = default;
    PrintNa(const PrintNa&) = delete;
    PrintNa& operator=(const PrintNa&) = delete;

    void print_begin() noexcept override;
    void print_char(char c) noexcept override;
    void print_end() noexcept override;

protected:
    void do_reset() noexcept override;
    [[nodiscard]] bool do_is_truncated() const noexcept override;
    [[nodiscard]] long do_get_string_len() const noexcept override;

private:
    char* _buffer;
    std::int64_t _max_len;
    std::int64_t _pos = 0; // characters produced, dropped ones included
};

} // namespace tnw::txt::out
