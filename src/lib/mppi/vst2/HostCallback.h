#pragma once

#include <array>
#include <cstdint>

namespace mppi::vst2 {

// What the plug-in exchanges with its host through the host callback: the
// callback itself, the opcodes the plug-in uses, the event records both sides
// pass and the host's time record. Only what this binding calls is here.

// The host's entry: `effect` is the plug-in handle the host was given, the
// meaning of `index`, `value`, `ptr` and `opt` depends on the opcode.
using HostCallback = std::intptr_t (*)(void* effect, std::int32_t opcode, std::int32_t index,
                                       std::intptr_t value, void* ptr, float opt);

// Opcodes of the host callback used by the plug-in.
enum HostOpcode : std::int32_t
{
    HOST_AUTOMATE = 0,        // index: host parameter, opt: normalised value
    HOST_VERSION = 1,         // answers the host's interface version, 0 for none
    HOST_PIN_CONNECTED = 4,   // index: channel, value 0 input / 1 output; 0 = connected
    HOST_GET_TIME = 7,        // value: wanted TimeFlags; answers a HostTime* or 0
    HOST_PROCESS_EVENTS = 8,  // ptr: EventList* of events for the host
    HOST_SIZE_WINDOW = 15,    // index: width, value: height
    HOST_CAN_DO = 37,         // ptr: zero-terminated text; answers > 0 for yes
    HOST_UPDATE_DISPLAY = 42, // the host re-reads names, programs and displays
    HOST_BEGIN_EDIT = 43,     // index: host parameter; a gesture starts
    HOST_END_EDIT = 44        // index: host parameter; the gesture ends
};

// Bits of HostTime::flags and of the filter passed with HOST_GET_TIME.
enum TimeFlags : std::int32_t
{
    TIME_TEMPO_VALID = 1 << 0
};

// The host's time information, owned by the host and valid until its next
// answer.
struct HostTime
{
    double sample_pos = 0;
    double sample_rate = 0;
    double tempo = 0; // beats per minute, meaningful with TIME_TEMPO_VALID
    std::int32_t flags = 0;
};

enum EventType : std::int32_t
{
    EVENT_MIDI = 1
};

// The common head of every event record.
struct Event
{
    std::int32_t type = 0;
    std::int32_t byte_size = 0;    // size of the whole record
    std::int32_t delta_frames = 0; // offset of the event in its block
    std::int32_t flags = 0;
};

// A short MIDI message (status and up to three data bytes).
struct MidiEvent : Event
{
    MidiEvent() noexcept
    {
        type = EVENT_MIDI;
        byte_size = 32;
    }

    std::int32_t note_length = 0;
    std::int32_t note_offset = 0;
    std::array<std::uint8_t, 4> midi_data{};
    std::int8_t detune = 0; // cents, -64..63
    std::uint8_t note_off_velocity = 0;
    std::array<std::uint8_t, 2> reserved{};
};
static_assert(sizeof(MidiEvent) == 32);

// A batch of events handed over in one call; `events` points at
// `nbr_events` record pointers, owned by the sender for the call's duration.
struct EventList
{
    std::int32_t nbr_events = 0;
    Event* const* events = nullptr;
};

} // namespace mppi::vst2
