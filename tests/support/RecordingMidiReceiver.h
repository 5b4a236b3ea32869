#pragma once

#include "lib/mppi/MidiReceiverInterface.h"

#include <string>
#include <vector>

namespace test_support {

// A MIDI receiver (or a class derived from one, such as an output device)
// that records the hooks carrying parameter values out, one line per call,
// "name arg arg ...", in call order; every other hook keeps its default.
// Each send answers `answer` (1 by default: taken). Single-threaded use
// only; recording allocates.
template <typename Base = mppi::MidiReceiverInterface>
class RecordingMidiReceiver : public Base
{
public:
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
