#pragma once

#include <string>

namespace tnw::sys {

// A 16-byte globally unique identifier, in the order in which it prints.
// Any thread; a value type with no shared state.
class Guid
{
public:
    static constexpr int NBR_BYTES = 16;

    // All bytes zero.
    Guid() noexcept = default;
    explicit Guid(const unsigned char (&bytes)[NBR_BYTES]) noexcept;
    Guid(const Guid& other) noexcept = default;
    Guid& operator=(const Guid& other) noexcept = default;
    virtual ~Guid() = default;

    void set_bytes(const unsigned char (&bytes)[NBR_BYTES]) noexcept;
    void get_bytes(unsigned char (&bytes)[NBR_BYTES]) const noexcept;
    [[nodiscard]] const unsigned char* use_bytes() const noexcept { return _bytes; }

    [[nodiscard]] bool operator==(const Guid& other) const noexcept;
    [[nodiscard]] bool operator!=(const Guid& other) const noexcept;
    [[nodiscard]] bool operator<(const Guid& other) const noexcept;

    // A new random identifier (version 4). Throws std::runtime_error when
    // the system's random source fails.
    void generate();

    // 32 hexadecimal digits, upper- or lower-case, with dashes grouped
    // 8-4-4-4-12 when asked.
    [[nodiscard]] std::string to_string(bool upper, bool dashes) const;
    // Reads digit pairs from the start of text into the bytes in order,
    // skipping every '-', up to 16 bytes and the end of text; a last single
    // digit is dropped and bytes not reached keep their value. Digits are not
    // checked: any other character reads as some value.
    void from_string(const std::string& text) noexcept;

private:
    unsigned char _bytes[NBR_BYTES] = {};
};

} // namespace tnw::sys
