#include "lib/mppi/MidiChannelState.h"

#include "support/RecordingMidiReceiver.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>

namespace {

using mppi::MidiChannelState;
using Record = std::array<unsigned char, MidiChannelState::RECORD_SIZE>;

// A record built by hand: marker 1, channel 9, then the given fields.
Record make_record(std::int32_t program, int bank, int sustain, int sostenuto, int rpn, int nrpn,
                   int tuning, int range, float bend)
{
    Record r{};
    auto put16 = [&r](int ofs, int v) {
        r[size_t(ofs)] = std::uint8_t(unsigned(v) >> 8);
        r[size_t(ofs) + 1] = std::uint8_t(v);
    };
    auto put32 = [&r](int ofs, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            r[size_t(ofs + i)] = std::uint8_t(v >> (24 - 8 * i));
        }
    };
    put32(0, 1);
    put32(4, 9);
    put32(8, std::uint32_t(program));
    put16(12, bank);
    r[14] = std::uint8_t(sustain);
    r[15] = std::uint8_t(sostenuto);
    put16(16, rpn);
    put16(18, nrpn);
    put16(20, tuning);
    put16(22, range);
    std::uint32_t bits = 0;
    std::memcpy(&bits, &bend, 4);
    put32(24, bits);
    return r;
}

class MidiChannelStateTest : public ::testing::Test
{
protected:
    MidiChannelStateTest() { EXPECT_EQ(state.init(client, 3), 0); }

    test_support::RecordingMidiReceiver<> client;
    MidiChannelState state;
};

// Every record with codes in range and a finite bend reads back into the
// same bytes, the channel field excepted (the channel is the state's own).
TEST_F(MidiChannelStateTest, RecordRoundTrips)
{
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> code(0, MidiChannelState::CODE_MAX);
    for (int i = 0; i < 200; ++i) {
        Record in = make_record(std::int32_t(rng()), code(rng), int(rng() % 2), int(rng() % 2),
                                code(rng), code(rng), code(rng), code(rng),
                                std::uniform_real_distribution<float>(-48.0f, 48.0f)(rng));
        ASSERT_EQ(state.read_from_memory(in.data()), 0);
        Record out{};
        ASSERT_EQ(state.write_to_memory(out.data()), 0);
        in[7] = 3;
        EXPECT_EQ(out, in);
    }
    EXPECT_EQ(state.get_object_size(), 28);
}

// Out-of-range codes clamp to 0..16383 (tuning code too); a bend that is
// not finite reads as 0; a zero marker changes nothing.
TEST_F(MidiChannelStateTest, RecordReaderClampsAndIgnoresEmptyRecords)
{
    const float inf = std::numeric_limits<float>::infinity();
    Record r = make_record(5, 0xFFFF, 1, 0, 0x8000, 0x7FFF, 0xFFFF, 0x7FFF, std::nanf(""));
    ASSERT_EQ(state.read_from_memory(r.data()), 0);
    EXPECT_EQ(state.get_bank(), 0);
    EXPECT_EQ(state.get_rpn_id(), 0);
    EXPECT_EQ(state.get_nrpn_id(), 16383);
    EXPECT_EQ(state.get_pitch_modifier(), -64.0);          // tuning code 0
    EXPECT_DOUBLE_EQ(state.get_pitch_bend_range(), 127 + 1.27); // range code 16383
    EXPECT_EQ(state.get_pitch_bend(), 0.0);
    EXPECT_EQ(client.calls.back(), "pitch_bend 3 0.000000");

    r = make_record(5, 0, 0, 0, 0, 0, 8192, 256, -inf);
    ASSERT_EQ(state.read_from_memory(r.data()), 0);
    EXPECT_EQ(state.get_pitch_bend(), 0.0);

    Record empty = make_record(7, 1, 1, 1, 1, 1, 1, 1, 1.0f);
    empty[3] = 0;
    ASSERT_EQ(state.read_from_memory(empty.data()), 0);
    EXPECT_EQ(state.get_program(), 5);
}

// After the reset of the RPN state the range and bend follow the default
// code again: RPN 0 reports 256 and a full-down bend is -2 semitones.
TEST_F(MidiChannelStateTest, RpnResetDerivesRangeAgain)
{
    for (const bool by_data_entry : {false, true}) {
        state.set_rpn_id_msb(0);
        state.set_rpn_id_lsb(0);
        state.set_xrpn_msb(12);
        ASSERT_EQ(state.get_pitch_bend_range(), 12.0);
        if (by_data_entry) {
            state.set_rpn_id_msb(127);
            state.set_rpn_id_lsb(127);
            state.set_xrpn_lsb(0);
        } else {
            state.rpn_reset();
        }
        EXPECT_EQ(state.get_rpn_val(), 256);
        EXPECT_EQ(state.get_pitch_bend_range(), 2.0);
        state.set_pitch_bend(0, 0);
        EXPECT_EQ(state.get_pitch_bend(), -2.0);
    }
}

// Before init and after restore a channel ignores every event.
TEST(MidiChannelState, InertChannelIgnoresEvents)
{
    test_support::RecordingMidiReceiver<> client;
    MidiChannelState state;
    for (int round = 0; round < 2; ++round) {
        state.set_nrpn_id_msb(1);
        state.set_xrpn_msb(5);
        state.midi_note_on(60, 100, 0.0f);
        state.transmit_channel_command(11, 64, 127);
        state.set_pitch_bend(0, 0);
        EXPECT_FALSE(state.is_data_entry_handled());
        EXPECT_EQ(state.get_nrpn_val(), 0);
        EXPECT_TRUE(client.calls.empty());
        ASSERT_EQ(state.init(client, 0), 0);
        state.restore();
        EXPECT_EQ(state.get_channel(), -1);
    }
}

} // namespace
