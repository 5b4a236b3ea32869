#include "lib/mppi/Vst2MidiIn.h"

#include "lib/mppi/MidiMgr.h"
#include "support/Vst2MidiRig.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using test_support::Vst2MidiRig;
using Lines = std::vector<std::string>;

// What the client got, without time stamps and channel commands.
Lines decoded(const Vst2MidiRig& rig)
{
    Lines lines;
    for (const std::string& line : rig.client.calls) {
        if (line.rfind("time_stamp", 0) != 0 && line.rfind("chn_cmd", 0) != 0) {
            lines.push_back(line);
        }
    }
    return lines;
}

std::string semitones(double v)
{
    return std::to_string(float(v));
}

// Channel messages, as bytes, decode into what the effect's MIDI client
// receives: velocities / 64, pitches and bends in semitones, RPN and NRPN
// values by data entry in either number order.
TEST(Vst2MidiIn, DecodesByteSequences)
{
    struct Case
    {
        const char* name;
        int compat;
        std::initializer_list<int> bytes;
        int detune;
        Lines expected;
    };
    const Case cases[] = {
        {"nrpn 3 by MSB then LSB", 1, {0xB0, 99, 0, 0xB0, 98, 3, 0xB0, 6, 127, 0xB0, 38, 127}, 0,
         {"cc 0 99 0", "cc 0 98 3", "nrpn 0 3 16256", "nrpn 0 3 16383"}},
        {"nrpn 5, each byte reports", 1, {0xB0, 99, 0, 0xB0, 98, 5, 0xB0, 6, 1, 0xB0, 38, 2}, 0,
         {"cc 0 99 0", "cc 0 98 5", "nrpn 0 5 128", "nrpn 0 5 130"}},
        {"old order makes it nrpn 640", 0, {0xB0, 99, 0, 0xB0, 98, 5, 0xB0, 6, 1, 0xB0, 38, 2}, 0,
         {"cc 0 99 0", "cc 0 98 5", "nrpn 0 640 128", "nrpn 0 640 130"}},
        {"12-semitone range, full bend up", 1,
         {0xB0, 101, 0, 0xB0, 100, 0, 0xB0, 6, 12, 0xB0, 38, 0, 0xE0, 127, 127}, 0,
         {"cc 0 101 0", "cc 0 100 0", "rpn 0 0 1536", "rpn 0 0 1536",
          "pitch_bend 0 " + semitones(8191.0 / 8192.0 * 12.0)}},
        {"default range", 1, {0xE1, 0, 64, 0xE1, 0, 0}, 0,
         {"pitch_bend 1 0.000000", "pitch_bend 1 -2.000000"}},
        // Closing data entry with the null RPN resets the codes; the bend keeps its range.
        {"null rpn keeps range and bend step", 1,
         {0xB0, 101, 0, 0xB0, 100, 0, 0xB0, 6, 12, 0xB0, 101, 127, 0xB0, 100, 127, 0xB0, 38, 0,
          0xE0, 0, 0},
         0,
         {"cc 0 101 0", "cc 0 100 0", "rpn 0 0 1536", "cc 0 101 127", "cc 0 100 127",
          "rpn 0 0 256", "pitch_bend 0 -12.000000"}},
        {"null rpn resets the tuning", 1,
         {0xB0, 101, 0, 0xB0, 100, 1, 0xB0, 6, 66, 0xB0, 101, 127, 0xB0, 100, 127, 0xB0, 6, 0,
          0x90, 60, 64},
         0,
         {"cc 0 101 0", "cc 0 100 1", "rpn 0 1 8448", "cc 0 101 127", "cc 0 100 127",
          "rpn 0 0 256", "note_on 0 60 60.000000 0.000000 1.000000 1"}},
        {"tuning 2.5 semitones, note with detune", 1,
         {0xB0, 101, 0, 0xB0, 100, 1, 0xB0, 6, 66, 0xB0, 38, 50, 0x90, 60, 100}, 25,
         {"cc 0 101 0", "cc 0 100 1", "rpn 0 1 8448", "rpn 0 1 8498",
          "note_on 0 60 " + semitones(60.25 + 2.5) + " 0.000000 1.562500 1"}},
        {"velocities", 1, {0x9F, 60, 127, 0x8F, 60, 64, 0x9F, 61, 1, 0x9F, 61, 0}, 0,
         {"note_on 15 60 60.000000 0.000000 1.984375 1", "note_off 15 60 1.000000",
          "note_on 15 61 61.000000 0.000000 0.015625 1", "note_off 15 61 0.000000"}},
        {"sustain holds note-offs", 1, {0xB0, 64, 127, 0x90, 60, 64, 0x80, 60, 64, 0xB0, 64, 0}, 0,
         {"cc 0 64 127", "note_on 0 60 60.000000 0.000000 1.000000 1", "cc 0 64 0",
          "note_off 0 60 1.000000"}},
        {"sustain forgets notes not held", 1, {0xB0, 64, 127, 0x80, 61, 64, 0xB0, 64, 0}, 0,
         {"cc 0 64 127", "cc 0 64 0"}},
        {"sostenuto holds only notes held at press", 1,
         {0x90, 60, 64, 0xB0, 66, 64, 0x90, 62, 64, 0x80, 60, 64, 0x80, 62, 64, 0xB0, 66, 63}, 0,
         {"note_on 0 60 60.000000 0.000000 1.000000 1", "cc 0 66 64",
          "note_on 0 62 62.000000 0.000000 1.000000 1", "note_off 0 62 1.000000", "cc 0 66 63",
          "note_off 0 60 1.000000"}},
        {"bank selects are plain controllers; pressures", 1,
         {0xB2, 0, 2, 0xB2, 32, 1, 0xC2, 44, 0, 0xA2, 60, 32, 0xD2, 9, 0}, 0,
         {"cc 2 0 2", "cc 2 32 1", "program_change 2 44", "velo 2 60 0.500000"}},
        {"data entry on nrpn 3000 is ignored", 1,
         {0xB0, 99, 3000 >> 7, 0xB0, 98, 3000 & 127, 0xB0, 6, 127, 0xB0, 38, 1}, 0,
         {"cc 0 99 23", "cc 0 98 56"}},
        {"data entry on rpn 5 is ignored", 1, {0xB0, 101, 0, 0xB0, 100, 5, 0xB0, 6, 3}, 0,
         {"cc 0 101 0", "cc 0 100 5"}},
        {"data bytes count by 7 bits", 1, {0xB0, 7 + 128, 127 + 128}, 0, {"cc 0 7 127"}},
    };
    for (const Case& c : cases) {
        Vst2MidiRig rig(c.compat);
        ASSERT_TRUE(rig.started);
        rig.feed(c.bytes, c.detune);
        EXPECT_EQ(decoded(rig), c.expected) << c.name;
    }
}

// A controller bound to a parameter moves it with priority 125: a 7-bit
// controller by value × 128, a 14-bit data entry up to exactly 1.0. Data
// entry on a number that is ignored neither moves nor learns anything.
TEST(Vst2MidiIn, BoundControllersMoveParameters)
{
    Vst2MidiRig rig;
    ASSERT_EQ(rig.mgr.associate_param(0, 99, 3), 0);
    ASSERT_EQ(rig.mgr.associate_param(1, 7, 0), 0);
    struct Step
    {
        std::initializer_list<int> bytes;
        long param;
        float value;
    };
    const Step steps[] = {
        {{0xB0, 99, 0, 0xB0, 98, 3, 0xB0, 6, 127}, 0, float(16256.0 / 16383.0)},
        {{0xB0, 38, 127}, 0, 1.0f},
        {{0xB5, 7, 127}, 1, float(16256.0 / 16383.0)},
        {{0xB5, 7, 0}, 1, 0.0f},
    };
    for (const Step& s : steps) {
        rig.feed(s.bytes);
        EXPECT_EQ(rig.cmd.last_index, s.param);
        EXPECT_EQ(rig.cmd.last_value, s.value);
        EXPECT_EQ(rig.cmd.last_prio, mppi::Vst2MidiIn::PRIORITY_MIDI);
    }
    rig.cmd.last_index = -1;
    ASSERT_EQ(rig.mgr.associate_param(0, 99, 3000), 0);
    rig.mgr.set_autobind_param(1);
    rig.feed({0xB0, 99, 3000 >> 7, 0xB0, 98, 3000 & 127, 0xB0, 6, 127, 0xB0, 38, 127});
    EXPECT_EQ(rig.cmd.last_index, -1);
    int param = -1;
    long ctrl_id = 0;
    EXPECT_FALSE(rig.mgr.get_latest_autobind_info(param, ctrl_id));
}

// No message: a first byte below 0x80 reaches nothing, not even the time
// stamp; a system message gets the time stamp and stops; a disconnected
// device decodes nothing.
TEST(Vst2MidiIn, DropsWhatIsNoChannelMessage)
{
    Vst2MidiRig rig;
    rig.feed({0x3C, 0x40, 0, 0x7F, 0, 0});
    EXPECT_TRUE(rig.client.calls.empty());
    rig.feed({0xF8, 0, 0});
    EXPECT_EQ(rig.client.calls, Lines{"time_stamp 0"});
    ASSERT_EQ(rig.in().disconnect(), 0);
    rig.feed({0x90, 60, 100});
    EXPECT_EQ(rig.client.calls.size(), 1U);
}

} // namespace
