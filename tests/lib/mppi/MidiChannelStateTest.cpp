#include "lib/mppi/MidiChannelState.h"

#include "lib/mppi/BigEndian.h"
#include "support/RecordingMidiReceiver.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

namespace {

using mppi::BigEndian;
using mppi::MidiChannelState;
using Record = std::array<unsigned char, MidiChannelState::RECORD_SIZE>;

// A record built by hand: marker 1, channel 9, program, then the 16-bit
// fields bank, RPN, NRPN, tuning and range, the pedals and the bend.
Record make_record(std::int32_t program, std::array<int, 5> codes, int sustain, int sostenuto,
                   float bend)
{
    Record r{};
    BigEndian::write_u32(&r[0], 1);
    BigEndian::write_u32(&r[4], 9);
    BigEndian::write_u32(&r[8], std::uint32_t(program));
    const int offsets[] = {12, 16, 18, 20, 22};
    for (size_t i = 0; i < codes.size(); ++i) {
        BigEndian::write_u16(&r[size_t(offsets[i])], std::uint16_t(codes[i]));
    }
    r[14] = std::uint8_t(sustain);
    r[15] = std::uint8_t(sostenuto);
    BigEndian::write_float(&r[24], bend);
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
        Record in = make_record(std::int32_t(rng()),
                                {code(rng), code(rng), code(rng), code(rng), code(rng)},
                                int(rng() % 2), int(rng() % 2),
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
    Record r = make_record(5, {0xFFFF, 0x8000, 0x7FFF, 0xFFFF, 0x7FFF}, 1, 0, std::nanf(""));
    ASSERT_EQ(state.read_from_memory(r.data()), 0);
    EXPECT_EQ(state.get_bank(), 0);
    EXPECT_EQ(state.get_rpn_id(), 0);
    EXPECT_EQ(state.get_nrpn_id(), 16383);
    EXPECT_EQ(state.get_pitch_modifier(), -64.0);          // tuning code 0
    EXPECT_DOUBLE_EQ(state.get_pitch_bend_range(), 127 + 1.27); // range code 16383
    EXPECT_EQ(state.get_pitch_bend(), 0.0);
    EXPECT_EQ(client.calls.back(), "pitch_bend 3 0.000000");

    r = make_record(5, {0, 0, 0, 8192, 256}, 0, 0, -inf);
    ASSERT_EQ(state.read_from_memory(r.data()), 0);
    EXPECT_EQ(state.get_pitch_bend(), 0.0);

    Record empty = make_record(7, {1, 1, 1, 1, 1}, 1, 1, 1.0f);
    empty[3] = 0;
    ASSERT_EQ(state.read_from_memory(empty.data()), 0);
    EXPECT_EQ(state.get_program(), 5);
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
        EXPECT_EQ(state.get_nrpn_val(), 0);
        EXPECT_TRUE(client.calls.empty());
        ASSERT_EQ(state.init(client, 0), 0);
        state.restore();
    }
}

} // namespace
