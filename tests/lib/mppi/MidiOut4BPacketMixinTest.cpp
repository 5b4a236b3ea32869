#include "lib/mppi/MidiOut4BPacketMixin.h"

#include "support/Vst2MidiRig.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

using test_support::Vst2MidiRig;
using Packets = std::vector<Vst2MidiRig::Packet>;
using Send = std::function<int(mppi::MidiOut4BPacketMixin&)>;

// Each receiver call as the exact packets it queues, and its answer.
TEST(MidiOut4BPacketMixin, SendsExactPackets)
{
    struct Case
    {
        const char* name;
        int compat;
        Send send;
        int answer;
        Packets expected;
    };
    const Case cases[] = {
        {"nrpn 5 = 16383", 1, [](auto& d) { return d.do_send_midi_nrpn(0, 5, 16383); }, 1,
         {{0xB0, 99, 0, 0}, {0xB0, 98, 5, 0}, {0xB0, 6, 127, 0}, {0xB0, 38, 127, 0}}},
        {"nrpn 640 old order", 0, [](auto& d) { return d.do_send_midi_nrpn(4, 640, 130); }, 1,
         {{0xB4, 98, 5, 0}, {0xB4, 99, 0, 0}, {0xB4, 6, 1, 0}, {0xB4, 38, 2, 0}}},
        {"rpn 0 = 12 semitones", 1, [](auto& d) { return d.do_send_midi_rpn(0, 0, 1536); }, 1,
         {{0xB0, 101, 0, 0}, {0xB0, 100, 0, 0}, {0xB0, 6, 12, 0}, {0xB0, 38, 0, 0}}},
        {"rpn 0 old order", 0, [](auto& d) { return d.do_send_midi_rpn(0, 0, 1536); }, 1,
         {{0xB0, 100, 0, 0}, {0xB0, 101, 0, 0}, {0xB0, 6, 12, 0}, {0xB0, 38, 0, 0}}},
        {"program 300", 1, [](auto& d) { return d.do_send_midi_program_change(2, 300); }, 1,
         {{0xB2, 0, 2, 0}, {0xB2, 32, 0, 0}, {0xC2, 44, 0, 0}}},
        {"controller", 1, [](auto& d) { return d.do_send_midi_chn_cmd(3, 11, 7, 100); }, 1,
         {{0xB3, 7, 100, 0}}},
        {"real time, common", 1,
         [](auto& d) { return d.do_send_midi_rt_cmd(0xF8) + d.do_send_midi_common_cmd(0xF2, 5, 8); },
         2, {{0xF8, 0, 0, 0}, {0xF2, 5, 8, 0}}},
        // Out-of-range numbers, values and channels keep 7 and 4 bits.
        {"masked nrpn", 1, [](auto& d) { return d.do_send_midi_nrpn(17, 20000, 70000); }, 1,
         {{0xB1, 99, 28, 0}, {0xB1, 98, 32, 0}, {0xB1, 6, 34, 0}, {0xB1, 38, 112, 0}}},
        {"masked controller", 1, [](auto& d) { return d.do_send_midi_chn_cmd(-1, 11, 200, -1); }, 1,
         {{0xBF, 72, 127, 0}}},
        {"masked program", 1, [](auto& d) { return d.do_send_midi_program_change(0, -1); }, 1,
         {{0xB0, 0, 127, 0}, {0xB0, 32, 127, 0}, {0xC0, 127, 0, 0}}},
        {"no packet for notes, bends, pressure, sys-ex, reset", 1,
         [](auto& d) {
             const unsigned char sysex[] = {0xF0, 0xF7};
             return d.do_send_midi_note_on(0, 60, 60.0f, 0.0f, 1.0f, true) +
                    d.do_send_midi_note_off(0, 60, 1.0f) + d.do_send_midi_velo(0, 60, 1.0f) +
                    d.do_send_midi_pitch_bend(0, 1.0f) + d.do_send_midi_sys_ex(2, sysex) +
                    d.do_send_midi_reset() + d.do_send_midi_cc(0, 7, 1);
         },
         0, {}},
        {"no status byte, no packet", 1,
         [](auto& d) {
             return d.do_send_midi_chn_cmd(0, 15, 0, 0) + d.do_send_midi_chn_cmd(0, 7, 0, 0) +
                    d.do_send_midi_rt_cmd(0x7F) + d.do_send_midi_common_cmd(0x100, 0, 0);
         },
         0, {}},
    };
    for (const Case& c : cases) {
        Vst2MidiRig rig(c.compat);
        ASSERT_TRUE(rig.started);
        EXPECT_EQ(c.send(rig.out()), c.answer) << c.name;
        EXPECT_EQ(rig.take_packets(), c.expected) << c.name;
    }
}

// A send of several packets goes in whole or not at all; a refused send
// answers 0, and the manager's send answers -1.
TEST(MidiOut4BPacketMixin, SendsWholeOrNothing)
{
    Vst2MidiRig rig;
    ASSERT_EQ(rig.mgr.associate_param(0, 99, 5), 0);
    for (long i = 0; i < mppi::Vst2MidiOut::QUEUE_SIZE - 3; ++i) {
        ASSERT_EQ(rig.out().do_send_midi_chn_cmd(0, 11, 7, 1), 1);
    }
    EXPECT_EQ(rig.out().do_send_midi_nrpn(0, 5, 1), 0);
    EXPECT_EQ(rig.mgr.param_to_midi_out(0, 0, 1.0f), -1);
    EXPECT_EQ(rig.out().do_send_midi_program_change(0, 1), 1);
    EXPECT_EQ(rig.take_packets().size(), size_t(mppi::Vst2MidiOut::QUEUE_SIZE));
}

} // namespace
