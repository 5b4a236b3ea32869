#include "lib/mppi/ProgramSlot.h"

#include "lib/mppi/BankErr.h"

#include "support/BankBytes.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>

namespace {

using mppi::ProgramSlot;
using test_support::Bytes;
using test_support::ProgRecord;

void expect_holds(const ProgramSlot& prog, const ProgRecord& rec_case, long flags)
{
    EXPECT_EQ(std::string(prog.get_name()), rec_case.name);
    EXPECT_EQ(prog.get_flags(), flags);
    ASSERT_EQ(prog.get_nbr_param(), static_cast<int>(rec_case.values.size()));
    for (int i = 0; i < prog.get_nbr_param(); ++i) {
        EXPECT_EQ(std::bit_cast<std::uint32_t>(prog.get_param(i)),
                  std::bit_cast<std::uint32_t>(rec_case.values[static_cast<std::size_t>(i)]));
    }
    ASSERT_EQ(prog.get_extra_byte_size(), static_cast<long>(rec_case.extra.size()));
    EXPECT_TRUE(std::equal(rec_case.extra.begin(), rec_case.extra.end(), prog.use_extra_byte_buf()));
}

// The record is the hand-built layout byte for byte, written over a dirty
// buffer, and reads back; flags come back as the signed low 32 bits.
TEST(ProgramSlot, RecordIsTheLayoutAndReadsBack)
{
    const std::string long_name(70, 'n');
    const ProgRecord records[] = {
        {},
        {0x80000001L, long_name, {0.0F, 0.5F, 1.0F, -0.25F}, {1, 2, 255}},
        {0x1234567890L, "X", {0.125F}, {}},
    };
    for (const ProgRecord& rec_case : records) {
        const ProgramSlot prog = rec_case.make();
        ProgRecord stored = rec_case;
        stored.name = rec_case.name.substr(0, 63);
        const Bytes expected = stored.record();
        ASSERT_EQ(prog.get_object_size(), static_cast<long>(expected.size()));
        Bytes out(expected.size(), 0xAA);
        ASSERT_EQ(prog.write_to_memory(out.data()), 0);
        EXPECT_EQ(out, expected) << rec_case.name;

        ProgramSlot back;
        ASSERT_EQ(back.read_from_memory(out.data(), static_cast<long>(out.size())), 0);
        expect_holds(back, stored, static_cast<std::int32_t>(rec_case.flags & 0xFFFFFFFF));
    }
    EXPECT_EQ(ProgramSlot().get_object_size(), 76);
}

// The values start after the name field as long as the record says it is.
TEST(ProgramSlot, NameFieldLengthPlacesTheValues)
{
    for (const int name_len : {40, 64, 68, 200}) {
        const ProgRecord rec_case{
            -5, "Short", {0.25F, 0.75F, 1.0F, 0.0F, 0.5F, 0.125F, 1.0F, 0.5F}, {9}, name_len};
        const Bytes rec = rec_case.record();
        ProgramSlot prog;
        ASSERT_EQ(prog.read_from_memory(rec.data(), static_cast<long>(rec.size())), 0) << name_len;
        expect_holds(prog, rec_case, -5);
        ProgramSlot unbounded;
        ASSERT_EQ(unbounded.read_from_memory(rec.data()), 0);
        expect_holds(unbounded, rec_case, -5);
    }
}

// Counts that point past the record, read as unsigned, are refused before
// the program changes.
TEST(ProgramSlot, BoundedReadRefusesCountsPastTheRecord)
{
    const ProgRecord rec_case{7, "Kept", {0.5F, 0.25F}, {3, 4}};
    const Bytes rec = rec_case.record(); // 76 + 8 + 2 = 86 bytes
    struct Case
    {
        long offset; // field to overwrite, or -1
        std::uint32_t value;
        int size;
        long len;
    };
    const Case cases[] = {
        {-1, 0, 0, 85},         // one byte short
        {6, 3, 2, 86},          // one value more than there is
        {8, 3, 4, 86},          // one extra byte more
        {4, 0xFFFF, 2, 86},     // name field beyond the record
        {6, 0xFFFF, 2, 86},     // n as unsigned 16 bits
        {8, 0xFFFFFFFF, 4, 86}, // e as unsigned 32 bits
        {4, 0, 2, 75},          // no name field: still 76 bytes at least
    };
    for (const Case& c : cases) {
        Bytes bad = rec;
        if (c.offset >= 0) {
            Bytes field;
            ProgRecord::put(field, c.value, c.size);
            std::copy(field.begin(), field.end(), bad.begin() + c.offset);
        }
        ProgramSlot prog = ProgRecord{-1, "Before", {1.0F}, {8}}.make();
        EXPECT_EQ(prog.read_from_memory(bad.data(), c.len), mppi::BankErr::PARSE) << c.offset;
        expect_holds(prog, ProgRecord{-1, "Before", {1.0F}, {8}}, -1);
    }
    ProgramSlot prog;
    EXPECT_EQ(prog.read_from_memory(nullptr, 100), mppi::BankErr::PARSE);
    EXPECT_EQ(prog.read_from_memory(nullptr), mppi::BankErr::PARSE);
}

// A count its field cannot hold is refused rather than written wrapped.
TEST(ProgramSlot, WriteRefusesMoreValuesThanTheFieldHolds)
{
    ProgramSlot prog;
    prog.set_nbr_param(static_cast<int>(ProgramSlot::MAX_NBR_PARAM) + 1);
    Bytes out(static_cast<std::size_t>(prog.get_object_size()));
    EXPECT_EQ(prog.write_to_memory(out.data()), mppi::BankErr::SERIALIZE);
}

} // namespace
