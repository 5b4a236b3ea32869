#pragma once

#include "lib/mppi/MidiReceiverInterface.h"

#include <string>
#include <vector>

namespace test_support {

// A MIDI receiver (or a class derived from one, such as an output device)
// that records every hook but the system ones, one line per call,
// "name arg arg ...", in call order (floats with six decimals).
// Each send answers `answer` (1 by default: taken). Single-threaded use
// only; recording allocates.
template <typename Base = mppi::MidiReceiverInterface>
class RecordingMidiReceiver : public Base
{
public:
    void do_set_time_stamp(long offset) noexcept override { record("time_stamp", offset); }
    int do_send_midi_note_on(int chn, int note, float pitch, float detune, float velo,
                             bool flag) noexcept override
    {
        return record("note_on", chn, note, pitch, detune, velo, flag);
    }
    int do_send_midi_note_off(int chn, int note, float velo) noexcept override
    {
        return record("note_off", chn, note, velo);
    }
    int do_send_midi_velo(int chn, int note, float pressure) noexcept override
    {
        return record("velo", chn, note, pressure);
    }
    int do_send_midi_pitch_bend(int chn, float semitones) noexcept override
    {
        return record("pitch_bend", chn, semitones);
    }
    int do_send_midi_program_change(int chn, long program) noexcept override
    {
        return record("program_change", chn, program);
    }
    int do_send_midi_cc(int chn, int cc, int value) noexcept override
    {
        return record("cc", chn, cc, value);
    }
    int do_send_midi_rpn(int chn, int number, long value) noexcept override
    {
        return record("rpn", chn, number, value);
    }
    int do_send_midi_nrpn(int chn, int number, long value) noexcept override
    {
        return record("nrpn", chn, number, value);
    }
    int do_send_midi_chn_cmd(int chn, int cmd, int d1, int d2) noexcept override
    {
        return record("chn_cmd", chn, cmd, d1, d2);
    }

    std::vector<std::string> calls;
    int answer = 1;

private:
    template <typename... Args>
    int record(const char* name, Args... args) noexcept
    {
        std::string line = name;
        ((line += " " + std::to_string(args)), ...);
        calls.push_back(line);
        return answer;
    }
};

} // namespace test_support
