#pragma once

#include <array>

namespace mppi {

// One MIDI event as the VST host and the plug-in exchange it: the event
// type (1 for MIDI), the record's byte size, the sample offset in the block,
// the MIDI bytes in wire order and a detune in cents. The host binding
// copies it to and from the host's own records.
class Vst2MidiEvent
{
public:
    static constexpr int TYPE_MIDI = 1;
    static constexpr int BYTE_SIZE = 32;
    static constexpr int NBR_MIDI_BYTES = 4;

    int _type = TYPE_MIDI;
    int _byte_size = BYTE_SIZE;
    long _delta_frames = 0;
    std::array<unsigned char, NBR_MIDI_BYTES> _midi_data{};
    int _detune = 0; // cents
};

} // namespace mppi
