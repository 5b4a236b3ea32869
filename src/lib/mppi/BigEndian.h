#pragma once

#include <bit>
#include <cstdint>

namespace mppi {

// Fields of the framework's flat byte images (program records, bank images,
// bank file headers), always stored big-endian whatever the machine's order.
// Any thread; no state, no allocation.
class BigEndian
{
public:
    static constexpr long SIZE_U16 = 2;
    static constexpr long SIZE_U32 = 4;

    static void write_u16(unsigned char* dst, std::uint16_t val) noexcept
    {
        dst[0] = static_cast<unsigned char>(val >> 8);
        dst[1] = static_cast<unsigned char>(val);
    }

    static void write_u32(unsigned char* dst, std::uint32_t val) noexcept
    {
        dst[0] = static_cast<unsigned char>(val >> 24);
        dst[1] = static_cast<unsigned char>(val >> 16);
        dst[2] = static_cast<unsigned char>(val >> 8);
        dst[3] = static_cast<unsigned char>(val);
    }

    // The IEEE 754 bit pattern of the float.
    static void write_float(unsigned char* dst, float val) noexcept
    {
        write_u32(dst, std::bit_cast<std::uint32_t>(val));
    }

    [[nodiscard]] static std::uint16_t read_u16(const unsigned char* src) noexcept
    {
        return static_cast<std::uint16_t>((unsigned{src[0]} << 8) | unsigned{src[1]});
    }

    [[nodiscard]] static std::uint32_t read_u32(const unsigned char* src) noexcept
    {
        return (std::uint32_t{src[0]} << 24) | (std::uint32_t{src[1]} << 16) |
               (std::uint32_t{src[2]} << 8) | std::uint32_t{src[3]};
    }

    // The 32-bit word taken as a two's complement signed number.
    [[nodiscard]] static std::int32_t read_s32(const unsigned char* src) noexcept
    {
        return std::bit_cast<std::int32_t>(read_u32(src));
    }

    [[nodiscard]] static float read_float(const unsigned char* src) noexcept
    {
        return std::bit_cast<float>(read_u32(src));
    }
};

} // namespace mppi
