#include "lib/tnw/sys/Guid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <random>
#include <stdexcept>
#include <string>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

using tnw::sys::Guid;
using Bytes = unsigned char[Guid::NBR_BYTES];

// Independent model of the text form: two digits a byte, dashes 8-4-4-4-12.
std::string model_text(const Bytes& bytes, bool upper, bool dashes)
{
    std::string text;
    for (int i = 0; i < Guid::NBR_BYTES; ++i) {
        char digits[3];
        std::snprintf(digits, sizeof(digits), upper ? "%02X" : "%02x", bytes[i]);
        text += digits;
        if (dashes && (i == 3 || i == 5 || i == 7 || i == 9)) {
            text += '-';
        }
    }
    return text;
}

TEST(Guid, PrintsEveryByteAsTwoDigitsAndReadsItBack)
{
    const Bytes counting = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    EXPECT_EQ(Guid(counting).to_string(true, true), "01020304-0506-0708-090A-0B0C0D0E0F10");
    EXPECT_EQ(Guid().to_string(false, true), "00000000-0000-0000-0000-000000000000");

    std::mt19937 gen(12345);
    for (int draw = 0; draw < 200; ++draw) {
        Bytes bytes;
        for (unsigned char& b : bytes) {
            b = static_cast<unsigned char>(gen());
        }
        const Guid guid(bytes);
        for (const bool upper : {false, true}) {
            for (const bool dashes : {false, true}) {
                const std::string text = guid.to_string(upper, dashes);
                ASSERT_EQ(text, model_text(bytes, upper, dashes));
                Guid back;
                back.from_string(text);
                ASSERT_EQ(back, guid) << text;
            }
        }
    }
}

TEST(Guid, ReadingStopsAtSixteenBytesAndAtTheEndOfTheText)
{
    Bytes ones;
    std::memset(ones, 0xEE, sizeof(ones));
    const struct
    {
        std::string text;
        std::vector<int> expected; // the first bytes; the others keep 0xEE
    } cases[] = {
        {"ab", {0xAB}},
        {"abc", {0xAB}},
        {"a", {}},
        {"--01--02-", {0x01, 0x02}},
        {"0-", {0xFD}}, // (0 << 4) | ('-' - '0')
        {std::string(40, '1'), std::vector<int>(16, 0x11)},
        {"", {}},
    };
    for (const auto& c : cases) {
        Guid guid(ones);
        guid.from_string(c.text);
        Bytes expected;
        std::memset(expected, 0xEE, sizeof(expected));
        std::copy(c.expected.begin(), c.expected.end(), expected);
        EXPECT_EQ(guid, Guid(expected)) << c.text;
    }
}

TEST(Guid, GeneratesVersionFourIdentifiersUniqueOverAMillionDraws)
{
    constexpr int NBR_DRAWS = 1'000'000;
    // Each identifier as two 64-bit halves, which sort fast.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> drawn(NBR_DRAWS);
    Guid guid;
    int nbr_bad_marks = 0;
    for (auto& halves : drawn) {
        guid.generate();
        const unsigned char* bytes = guid.use_bytes();
        nbr_bad_marks += int((bytes[6] >> 4) != 4 || (bytes[8] >> 6) != 2);
        std::memcpy(&halves.first, bytes, 8);
        std::memcpy(&halves.second, bytes + 8, 8);
    }
    EXPECT_EQ(nbr_bad_marks, 0);
    std::sort(drawn.begin(), drawn.end());
    EXPECT_EQ(std::adjacent_find(drawn.begin(), drawn.end()), drawn.end());
}

// Makes the random source fail for this process: getrandom answers ENOSYS.
bool block_random_source()
{
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_getrandom, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | ENOSYS),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog prog = {static_cast<unsigned short>(std::size(filter)), filter};
    return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &prog) == 0;
}

TEST(Guid, AFailingRandomSourceThrowsAndKeepsTheValue)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto child = [] {
        if (!block_random_source()) {
            std::_Exit(2);
        }
        Guid guid;
        try {
            guid.generate();
        } catch (const std::runtime_error& e) {
            const bool ok =
                std::string(e.what()) == "tnw::sys::Guid::generate() : The random source failed." &&
                guid == Guid();
            std::_Exit(ok ? 0 : 1);
        }
        std::_Exit(1);
    };
    EXPECT_EXIT(child(), testing::ExitedWithCode(0), "");
}

} // namespace
