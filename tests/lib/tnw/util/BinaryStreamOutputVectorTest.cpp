#include "lib/tnw/util/BinaryStreamOutputVector.h"

#include "lib/tnw/util/BinaryStreamInput.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

namespace {

using tnw::archi::UByte;
using tnw::util::BinaryStreamInput;
using tnw::util::BinaryStreamOutputVector;
using Bytes = std::vector<UByte>;

// One value of every encoded type, and the bytes each must give, built by
// hand from the big-endian layout and the IEEE 754 bit patterns.
TEST(BinaryStreamOutputVector, EveryTypeWritesItsBigEndianBytesAndReadsBack)
{
    const auto values = std::make_tuple(
        true, UByte{0xAB}, std::int8_t{-2}, std::uint16_t{0x1234}, std::int16_t{-2},
        std::uint32_t{0x89ABCDEF}, std::int32_t{-3}, 0x0102030405060708ULL, -2LL,
        reinterpret_cast<void*>(std::uintptr_t{0xA0B0C0D0E0F00010}), 1.0f, 1.0, std::string("ab"));
    const Bytes expected = {
        0x01,                                           // bool
        0xAB,                                           // unsigned byte
        0xFE,                                           // signed byte
        0x12, 0x34,                                     // 16 bits
        0xFF, 0xFE,                                     //
        0x89, 0xAB, 0xCD, 0xEF,                         // 32 bits
        0xFF, 0xFF, 0xFF, 0xFD,                         //
        0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, // 64 bits, high half first
        0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, //
        0xA0, 0xB0, 0xC0, 0xD0, 0xE0, 0xF0, 0x00, 0x10, // pointer
        0x3F, 0x80, 0x00, 0x00,                         // float 1.0
        0x3F, 0xF0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // double 1.0
        0x00, 0x00, 0x00, 0x02, 0x61, 0x62,             // text "ab"
    };
    BinaryStreamOutputVector out;
    std::apply([&](const auto&... v) { (out.write(v), ...); }, values);
    ASSERT_EQ(out.use_bytes(), expected);

    BinaryStreamInput in(out.data(), out.size());
    const auto expect_next = [&in](const auto& expected_value) {
        std::remove_cvref_t<decltype(expected_value)> v{};
        EXPECT_EQ(in.read(v, nullptr), 0);
        EXPECT_EQ(v, expected_value);
    };
    std::apply([&](const auto&... v) { (expect_next(v), ...); }, values);
    EXPECT_TRUE(in.empty());
}

TEST(BinaryStreamOutputVector, OverwriteChangesOnlyBytesWhollyInsideTheWrittenOnes)
{
    constexpr std::size_t FAR = std::numeric_limits<std::size_t>::max() - 2;
    const Bytes zeros(10, 0);
    struct Case
    {
        const char* name;
        void (*change)(BinaryStreamOutputVector& out);
        Bytes expected;
    };
    const Case cases[] = {
        {"u16 inside",
         [](auto& out) { out.overwrite(std::uint16_t{0x1234}, 8); },
         {0, 0, 0, 0, 0, 0, 0, 0, 0x12, 0x34}},
        {"u16 one past", [](auto& out) { out.overwrite(std::uint16_t{0x1234}, 9); }, zeros},
        {"u64 inside",
         [](auto& out) { out.overwrite(-1LL, 1); },
         {0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0}},
        {"u64 straddling the end", [](auto& out) { out.overwrite(-1LL, 4); }, zeros},
        {"u64 near the top of size_t", [](auto& out) { out.overwrite(-1LL, FAR); }, zeros},
        {"text inside",
         [](auto& out) { out.overwrite(std::string("ab"), 3); },
         {0, 0, 0, 0, 0, 0, 2, 0x61, 0x62, 0}},
        {"text past the end", [](auto& out) { out.overwrite(std::string("abcd"), 3); }, zeros},
        {"bytes past the end",
         [](auto& out) {
             const UByte src[3] = {1, 2, 3};
             out.overwrite(src, 3, 8);
         },
         zeros},
        {"bytes at a huge position",
         [](auto& out) {
             const UByte src[3] = {1, 2, 3};
             out.overwrite(src, 3, FAR);
         },
         zeros},
    };
    for (const Case& c : cases) {
        BinaryStreamOutputVector out;
        out.write(zeros.data(), zeros.size());
        c.change(out);
        EXPECT_EQ(out.use_bytes(), c.expected) << c.name;
    }
}

TEST(BinaryStreamOutputVector, WriteFrontInsertsAndClearEmpties)
{
    BinaryStreamOutputVector out;
    EXPECT_TRUE(out.empty());
    out.write(std::uint16_t{0x0304});
    const UByte head[2] = {1, 2};
    out.write_front(head, 2);
    out.write(out.data(), 2); // bytes taken from the stream itself
    out.write(nullptr, 5);
    EXPECT_EQ(out.use_bytes(), (Bytes{1, 2, 3, 4, 1, 2}));
    out.clear();
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(out.size(), 0u);
}

} // namespace
