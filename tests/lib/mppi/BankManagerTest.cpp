#include "lib/mppi/BankManager.h"

#include "lib/mppi/BankErr.h"

#include "support/BankBytes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using mppi::BankManager;
using test_support::Bytes;
using test_support::image_bytes;
using test_support::image_of;
using test_support::make_bank;
using test_support::ProgRecord;
using test_support::sample_progs;

// The image is the hand-built layout over a dirty buffer, whether the records
// share one shape (stride = program 0's record) or not (stride = the longest,
// shorter records zero-padded); reading it into banks of other sizes gives
// the same programs.
TEST(BankManager, ImageIsTheLayoutAndReadsBackIntoAnyBank)
{
    const std::vector<std::vector<ProgRecord>> banks = {
        sample_progs(1, 0),
        sample_progs(3, 8),
        {ProgRecord{1, "Two", {0.5F, 0.25F}, {}},
         ProgRecord{2, "Eight", std::vector<float>(8, 1.0F), {7}},
         ProgRecord{3, "Extra", {}, {1, 2, 3}}},
    };
    for (const auto& progs : banks) {
        const BankManager bank = make_bank(progs);
        const Bytes expected = image_bytes(progs);
        ASSERT_EQ(bank.get_object_size(), static_cast<long>(expected.size()));
        Bytes out(expected.size(), 0xAA);
        ASSERT_EQ(bank.write_to_memory(out.data()), 0);
        EXPECT_EQ(out, expected);
        for (const int nbr_before : {1, 2, 5}) {
            BankManager back(nbr_before);
            ASSERT_EQ(back.read_from_memory(out.data(), static_cast<long>(out.size())), 0);
            EXPECT_EQ(back.get_nbr_prog(), static_cast<int>(progs.size()));
            EXPECT_EQ(image_of(back), expected) << nbr_before;
        }
    }
    EXPECT_EQ(make_bank(sample_progs(3, 8)).get_object_size(), 8 + 3 * 108);
}

// Every count of the image is checked before the bank is touched.
TEST(BankManager, BoundedReadRefusesImagesThatDoNotHoldTheirCounts)
{
    const Bytes good = image_bytes(sample_progs(2, 4)); // s = 92, 192 bytes
    auto with = [&](long offset, std::uint32_t value) {
        Bytes bad = good;
        Bytes field;
        ProgRecord::put(field, value, 4);
        std::copy(field.begin(), field.end(), bad.begin() + offset);
        return bad;
    };
    struct Case
    {
        const char* what;
        Bytes image;
        long len;
    };
    const Case cases[] = {
        {"shorter than the header", good, 7},
        {"one byte short", good, 191},
        {"no program", with(0, 0), 192},
        {"negative count", with(0, 0xFFFFFFFF), 192},
        {"record size below 76", with(4, 75), 192},
        {"negative record size", with(4, 0x80000000), 192},
        {"count times size wraps 32 bits", with(0, 0x02000000), 192},
        {"largest count and size", with(4, 0x7FFFFFFF), 192},
        {"second record's values past its stride", with(8 + 92 + 4, 0x00400005), 192},
        {"second record's extra bytes past its stride", with(8 + 92 + 8, 1), 192},
    };
    for (const Case& c : cases) {
        BankManager bank = make_bank(sample_progs(3, 1));
        const Bytes before = image_of(bank);
        EXPECT_EQ(bank.read_from_memory(c.image.data(), c.len), mppi::BankErr::PARSE) << c.what;
        EXPECT_EQ(image_of(bank), before) << c.what;
    }
    BankManager bank;
    EXPECT_EQ(bank.read_from_memory(nullptr, 100), mppi::BankErr::PARSE);
    EXPECT_EQ(bank.read_from_memory(with(0, 0).data()), mppi::BankErr::PARSE);
    EXPECT_EQ(bank.read_from_memory(good.data()), 0);
    EXPECT_EQ(image_of(bank), good);
}

TEST(BankManager, EmptyBankHasNoImage)
{
    BankManager bank(0);
    EXPECT_EQ(bank.get_object_size(), 8);
    Bytes out(8);
    EXPECT_NE(bank.write_to_memory(out.data()), 0);
}

// Assignment, store and load go program by program: programs that were there
// keep their flags, added programs bring theirs.
TEST(BankManager, AssignmentStoreAndLoadKeepTheTargetFlags)
{
    const auto source = sample_progs(3, 2); // flags 1, 4, 7
    for (const int nbr_target : {1, 3, 5}) {
        BankManager target(nbr_target);
        for (int i = 0; i < nbr_target; ++i) {
            target[i].set_flags(100 + i);
        }
        target = make_bank(source);
        ASSERT_EQ(target.get_nbr_prog(), 3);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(std::string(target[i].get_name()), source[std::size_t(i)].name);
            EXPECT_EQ(target[i].get_flags(),
                      i < nbr_target ? 100 + i : source[std::size_t(i)].flags);
        }
    }
    BankManager bank = make_bank(source);
    bank.store(1, ProgRecord{99, "Stored", {0.5F}, {}}.make());
    EXPECT_EQ(std::string(bank[1].get_name()), "Stored");
    EXPECT_EQ(bank[1].get_flags(), 4);
    mppi::ProgramSlot out = ProgRecord{55, "Out", {}, {}}.make();
    bank.load(2, out);
    EXPECT_EQ(std::string(out.get_name()), "Prog 2");
    EXPECT_EQ(out.get_flags(), 55);
}

} // namespace
