#include "lib/mppi/MidiInChn.h"

#include "support/Vst2MidiRig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

using mppi::MidiInChn;
using test_support::Vst2MidiRig;

// Four zero bytes, then sixteen 28-byte records in channel order; reading
// them into another device restores every channel.
TEST(MidiInChn, StoredFormHoldsSixteenChannelsInOrder)
{
    Vst2MidiRig from;
    Vst2MidiRig to;
    for (int chn = 0; chn < MidiInChn::NBR_CHN; ++chn) {
        from.feed({0xE0 + chn, 0, chn}); // a bend per channel
    }
    ASSERT_EQ(from.in().get_object_size(), 452);
    ASSERT_EQ(MidiInChn::get_max_size(), 452);
    std::vector<unsigned char> image(452, 0xEE);
    ASSERT_EQ(from.in().write_to_memory(image.data()), 0);
    EXPECT_EQ(std::vector<unsigned char>(image.begin(), image.begin() + 4),
              std::vector<unsigned char>(4, 0));
    ASSERT_EQ(to.in().read_from_memory(image.data()), 0);
    for (int chn = 0; chn < MidiInChn::NBR_CHN; ++chn) {
        EXPECT_EQ(image[size_t(4 + 28 * chn + 7)], chn);
        EXPECT_EQ(to.in().use_channel(chn).get_pitch_bend(), (chn * 128 - 8192) * 2.0 / 8192);
    }
}

// A range in 0..128 (exclusive) reaches every channel in whole and
// hundredths of semitones; a range that is negative, too large or not
// finite is ignored.
TEST(MidiInChn, PitchBendRangeTakesOnlyWhatTheCodeHolds)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case
    {
        float semitones;
        double expected;
    };
    const Case cases[] = {{2.5f, 2.5},   {0.0f, 0.0}, {127.5f, 127.5}, {128.0f, 2.0},
                          {-0.5f, 2.0},  {nan, 2.0},  {inf, 2.0},      {1e30f, 2.0}};
    for (const Case& c : cases) {
        Vst2MidiRig rig;
        rig.in().set_pitch_bend_range(c.semitones);
        for (const int chn : {0, 15}) {
            EXPECT_NEAR(rig.in().get_pitch_bend_range(chn), c.expected, 1e-6) << c.semitones;
        }
        EXPECT_EQ(rig.in().get_pitch_bend_range(16), 0.0f);
    }
}

// Without a MIDI client there is nothing to make the channels live with.
TEST(MidiInChn, InitWithoutClientFails)
{
    mppi::Vst2MidiIn in;
    EXPECT_EQ(in.init(), MidiInChn::ERR_NO_CLIENT);
    EXPECT_FALSE(in.use_channel(0).is_live());
}

} // namespace
