#include "lib/tnw/util/BinaryStreamOutputVector.h"

#include "lib/tnw/util/BinaryStreamInput.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
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
    BinaryStreamOutputVector out;
    out.write(true);
    out.write(UByte{0xAB});
    out.write(std::int8_t{-2});
    out.write(std::uint16_t{0x1234});
    out.write(std::int16_t{-2});
    out.write(std::uint32_t{0x89ABCDEF});
    out.write(std::int32_t{-3});
    out.write(0x0102030405060708ULL);
    out.write(-2LL);
    out.write(reinterpret_cast<const void*>(std::uintptr_t{0xA0B0C0D0E0F00010}));
    out.write(1.0f);
    out.write(1.0);
    out.write(std::string("ab"));
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
    ASSERT_EQ(out.use_bytes(), expected);
    ASSERT_EQ(out.size(), expected.size());

    BinaryStreamInput in(out.data(), out.size());
    bool b = false;
    UByte ub = 0;
    std::int8_t sb = 0;
    std::uint16_t u16 = 0;
    std::int16_t i16 = 0;
    std::uint32_t u32 = 0;
    std::int32_t i32 = 0;
    unsigned long long u64 = 0;
    long long i64 = 0;
    void* ptr = nullptr;
    float f = 0;
    double d = 0;
    std::string txt;
    for (const int ret :
         {in.read(b, nullptr), in.read(ub, nullptr), in.read(sb, nullptr), in.read(u16, nullptr),
          in.read(i16, nullptr), in.read(u32, nullptr), in.read(i32, nullptr),
          in.read(u64, nullptr), in.read(i64, nullptr), in.read(ptr, nullptr),
          in.read(f, nullptr), in.read(d, nullptr), in.read(txt, nullptr)}) {
        EXPECT_EQ(ret, 0);
    }
    EXPECT_TRUE(b);
    EXPECT_EQ(ub, 0xAB);
    EXPECT_EQ(sb, -2);
    EXPECT_EQ(u16, 0x1234);
    EXPECT_EQ(i16, -2);
    EXPECT_EQ(u32, 0x89ABCDEFu);
    EXPECT_EQ(i32, -3);
    EXPECT_EQ(u64, 0x0102030405060708ULL);
    EXPECT_EQ(i64, -2);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(ptr), std::uintptr_t{0xA0B0C0D0E0F00010});
    EXPECT_EQ(f, 1.0f);
    EXPECT_EQ(d, 1.0);
    EXPECT_EQ(txt, "ab");
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
        {"u16 inside", [](auto& out) { out.overwrite(std::uint16_t{0x1234}, 8); },
         {0, 0, 0, 0, 0, 0, 0, 0, 0x12, 0x34}},
        {"u16 one past", [](auto& out) { out.overwrite(std::uint16_t{0x1234}, 9); }, zeros},
        {"u64 inside", [](auto& out) { out.overwrite(-1LL, 1); }, {0, 0xFF, 0xFF, 0xFF, 0xFF,
                                                                   0xFF, 0xFF, 0xFF, 0xFF, 0}},
        {"u64 straddling the end", [](auto& out) { out.overwrite(-1LL, 4); }, zeros},
        {"u64 near the top of size_t", [](auto& out) { out.overwrite(-1LL, FAR); }, zeros},
        {"double inside", [](auto& out) { out.overwrite(1.0, 2); },
         {0, 0, 0x3F, 0xF0, 0, 0, 0, 0, 0, 0}},
        {"text inside", [](auto& out) { out.overwrite(std::string("ab"), 3); },
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
