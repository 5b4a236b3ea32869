#include "lib/mppi/MidiReceiverInterface.h"

namespace mppi {

MidiReceiverInterface::~MidiReceiverInterface() = default;

void MidiReceiverInterface::do_set_time_stamp(long /*sample_offset*/) noexcept {}

int MidiReceiverInterface::do_send_midi_note_on(int /*channel*/, int /*note*/, float /*pitch*/,
                                                float, float /*velocity*/, bool) noexcept
{
    return 0;
}

int MidiReceiverInterface::do_send_midi_note_off(int /*channel*/, int /*note*/,
                                                 float /*velocity*/) noexcept
{
    return 0;
}

int MidiReceiverInterface::do_send_midi_velo(int /*channel*/, int /*note*/,
                                             float /*pressure*/) noexcept
{
    return 0;
}

int MidiReceiverInterface::do_send_midi_pitch_bend(int /*channel*/, float /*semitones*/) noexcept
{
    return 0;
}

int MidiReceiverInterface::do_send_midi_program_change(int /*channel*/, long /*program*/) noexcept
{
    return 0;
}

int MidiReceiverInterface::do_send_midi_rpn(int /*channel*/, int /*number*/,
                                            long /*value*/) noexcept
{
    return 0;
}

int MidiReceiverInterface::do_send_midi_nrpn(int /*channel*/, int /*number*/,
                                             long /*value*/) noexcept
{
    return 0;
}

int MidiReceiverInterface::do_send_midi_cc(int /*channel*/, int /*controller*/,
                                           int /*value*/) noexcept
{
    return 0;
}

int MidiReceiverInterface::do_send_midi_chn_cmd(int /*channel*/, int /*command*/, int /*data1*/,
                                                int /*data2*/) noexcept
{
    return 0;
}

int MidiReceiverInterface::do_send_midi_rt_cmd(int /*status*/) noexcept
{
    return 0;
}

int MidiReceiverInterface::do_send_midi_common_cmd(int /*status*/, int /*data1*/,
                                                   int /*data2*/) noexcept
{
    return 0;
}

int MidiReceiverInterface::do_send_midi_sys_ex(long /*length*/,
                                               const unsigned char* /*data*/) noexcept
{
    return 0;
}

int MidiReceiverInterface::do_send_midi_reset() noexcept
{
    return 0;
}

} // namespace mppi
