#include "lib/mppi/MidiReceiverInterface.h"

#include <gtest/gtest.h>

namespace {

class SilentReceiver : public mppi::MidiReceiverInterface
{
};

TEST(MidiReceiver, DefaultsSwallowEveryEventAndAnswerZero)
{
    SilentReceiver rx;
    mppi::MidiReceiverInterface& r = rx;
    const unsigned char sysex[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    r.do_set_time_stamp(17);
    EXPECT_EQ(r.do_send_midi_note_on(0, 60, 60.0f, 0.0f, 1.5f, true), 0);
    EXPECT_EQ(r.do_send_midi_note_off(1, 61, 0.5f), 0);
    EXPECT_EQ(r.do_send_midi_velo(2, 62, 0.25f), 0);
    EXPECT_EQ(r.do_send_midi_pitch_bend(3, -2.0f), 0);
    EXPECT_EQ(r.do_send_midi_program_change(4, 127), 0);
    EXPECT_EQ(r.do_send_midi_rpn(5, 0, 16383), 0);
    EXPECT_EQ(r.do_send_midi_nrpn(6, 300, 8192), 0);
    EXPECT_EQ(r.do_send_midi_cc(7, 74, 127), 0);
    EXPECT_EQ(r.do_send_midi_chn_cmd(8, 0xB0, 1, 2), 0);
    EXPECT_EQ(r.do_send_midi_rt_cmd(0xF8), 0);
    EXPECT_EQ(r.do_send_midi_common_cmd(0xF2, 0, 8), 0);
    EXPECT_EQ(r.do_send_midi_sys_ex(static_cast<long>(sizeof sysex), sysex), 0);
    EXPECT_EQ(r.do_send_midi_sys_ex(0, nullptr), 0);
    EXPECT_EQ(r.do_send_midi_reset(), 0);
}

} // namespace
