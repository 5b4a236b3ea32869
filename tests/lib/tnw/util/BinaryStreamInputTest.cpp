#include "lib/tnw/util/BinaryStreamInput.h"

#include "support/ErrorMessages.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace {

using test_support::LogRecorder;
using test_support::take_error_messages;
using tnw::archi::UByte;
using tnw::util::BinaryStreamInput;

constexpr int END = BinaryStreamInput::ERR_END_OF_DATA;

// Every failure leaves the stream at the position the encoding rules give.
TEST(BinaryStreamInput, FailuresReturnEndOfDataAtTheirDocumentedPosition)
{
    // 00 00 00 05 'a' 'b': a text prefix promising more than is there.
    const UByte bytes[6] = {0, 0, 0, 5, 'a', 'b'};
    struct Case
    {
        const char* name;
        std::size_t start;
        std::function<int(BinaryStreamInput&)> op;
        int ret;
        std::size_t pos;
    };
    const Case cases[] = {
        {"u32 with three left", 3,
         [](auto& s) {
             std::uint32_t v = 7;
             return s.read(v, nullptr);
         },
         END, 3},
        {"u64 missing its low half", 0,
         [](auto& s) {
             long long v = 7;
             const int ret = s.read(v, nullptr);
             return (v == 7) ? ret : 1;
         },
         END, 4},
        {"double missing its low half", 0,
         [](auto& s) {
             double v = 0;
             return s.read(v, nullptr);
         },
         END, 4},
        {"text longer than the rest", 0,
         [](auto& s) {
             std::string v = "keep";
             const int ret = s.read(v, nullptr);
             return (v == "keep") ? ret : 1;
         },
         END, 4},
        {"pointer with a huge length", 1,
         [](auto& s) {
             const UByte* p = s.data();
             const int ret = s.read(p, SIZE_MAX, nullptr);
             return (p == nullptr) ? ret : 1;
         },
         END, 1},
        {"pointer exactly to the end", 2,
         [](auto& s) {
             const UByte* p = nullptr;
             const int ret = s.read(p, 4, nullptr);
             return (p != nullptr && *p == 0 && s.empty()) ? ret : 1;
         },
         0, 6},
        {"seek_beg past the end", 2, [](auto& s) { return s.seek_beg(7, nullptr); }, END, 6},
        {"seek_beg to the end", 2, [](auto& s) { return s.seek_beg(6, nullptr); }, 0, 6},
        {"seek_end before the start", 2, [](auto& s) { return s.seek_end(7, nullptr); }, END, 0},
        {"seek_end(0)", 2,
         [](auto& s) { return (s.seek_end(0, nullptr) == 0 && s.size() == 0) ? 0 : 1; }, 0, 6},
        {"advance past the end", 2, [](auto& s) { return s.advance(5, nullptr); }, END, 6},
        {"advance by LONG_MAX", 2, [](auto& s) { return s.advance(LONG_MAX, nullptr); }, END, 6},
        {"advance(-1) at the start", 0, [](auto& s) { return s.advance(-1, nullptr); }, END, 0},
        {"advance by LONG_MIN", 2, [](auto& s) { return s.advance(LONG_MIN, nullptr); }, END, 0},
        {"advance back to the start", 2, [](auto& s) { return s.advance(-2, nullptr); }, 0, 0},
    };
    for (const Case& c : cases) {
        BinaryStreamInput stream(bytes, sizeof(bytes));
        ASSERT_EQ(stream.seek_beg(c.start, nullptr), 0);
        EXPECT_EQ(c.op(stream), c.ret) << c.name;
        EXPECT_EQ(stream.tell(), c.pos) << c.name;
    }
}

TEST(BinaryStreamInput, NullDataIsAnEmptyStreamForEveryOperation)
{
    BinaryStreamInput stream(nullptr, 100);
    EXPECT_EQ(stream.size(), 0u);
    EXPECT_TRUE(stream.empty());
    bool b = false;
    const UByte* p = nullptr;
    EXPECT_EQ(stream.read(b, nullptr), END);
    EXPECT_EQ(stream.read(p, 1, nullptr), END);
    EXPECT_EQ(stream.seek_beg(1, nullptr), END);
    EXPECT_EQ(stream.advance(1, nullptr), END);
    EXPECT_EQ(stream.read(p, 0, nullptr), 0);
    EXPECT_EQ(stream.tell(), 0u);
}

TEST(BinaryStreamInput, ValuesReplaceTheDestinationAndCopiesRestartAtZero)
{
    const UByte bytes[4] = {0x12, 0x34, 0x00, 0x80};
    BinaryStreamInput stream(bytes, sizeof(bytes));
    std::uint16_t u16 = 0xFFFF;
    ASSERT_EQ(stream.read(u16, nullptr), 0);
    EXPECT_EQ(u16, 0x1234);
    bool b = false;
    ASSERT_EQ(stream.read(b, nullptr), 0);
    EXPECT_FALSE(b);
    ASSERT_EQ(stream.read(b, nullptr), 0);
    EXPECT_TRUE(b); // any non-zero byte

    BinaryStreamInput copy(stream);
    EXPECT_EQ(copy.tell(), 0u);
    EXPECT_EQ(copy.size(), 4u);
    BinaryStreamInput assigned;
    assigned = stream;
    EXPECT_EQ(assigned.tell(), 0u);
    EXPECT_EQ(assigned.data(), bytes);
}

// A failing operation logs its text as it stands, percent signs included,
// with this stream's source file as the scope; no text, no record.
TEST(BinaryStreamInput, FailuresLogTheirTextAtLevelError)
{
    const UByte bytes[2] = {1, 2};
    BinaryStreamInput stream(bytes, sizeof(bytes));
    LogRecorder log;
    std::uint32_t v = 0;
    EXPECT_EQ(stream.read(v, "50% of %1% missing"), END);
    const std::vector<test_support::LogRecord> records = log.get_records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_NE(records[0].file.find("BinaryStreamInput.cpp, "), std::string::npos);
    EXPECT_NE(records[0].function.find("read"), std::string::npos);
    EXPECT_EQ(take_error_messages(log), std::vector<std::string>{"50% of %1% missing"});
    EXPECT_EQ(stream.advance(-1, nullptr), END);
    EXPECT_EQ(stream.seek_beg(1, "not logged: the seek succeeds"), 0);
    EXPECT_TRUE(log.get_records().empty());
}

} // namespace
