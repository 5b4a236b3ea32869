#pragma once

#include "lib/mppi/PersistentMidiSettings.h"
#include "lib/mppi/Vst2MidiDevSelComp.h"
#include "lib/mppi/Vst2MidiEvent.h"
#include "support/MidiRig.h"
#include "support/RecordingMidiReceiver.h"

#include <array>
#include <initializer_list>
#include <vector>

namespace test_support {

// Sets the NRPN order that MIDI managers constructed next start with.
class NrpnOrderDefault
{
public:
    explicit NrpnOrderDefault(int compat)
    {
        mppi::PersistentMidiSettings::set_default_compatibility(
            mppi::PersistentMidiSettings::NrpnCompatibility(compat));
    }
};

// The host binding's MIDI set-up on a MIDI rig: the VST device component
// registered and linked, start-up run, and the output selected as well, so
// the input decodes and MIDI out reaches the output queue. The manager
// starts with the given NRPN order (1 standard, 0 old); the default order of
// later managers is standard again.
template <typename Client = RecordingMidiReceiver<>>
class Vst2MidiRigOf : private NrpnOrderDefault, public MidiRigOf<Client>
{
public:
    using Packet = std::array<int, mppi::Vst2MidiEvent::NBR_MIDI_BYTES>;

    explicit Vst2MidiRigOf(int compat = 1) : NrpnOrderDefault(compat)
    {
        mppi::PersistentMidiSettings::set_default_compatibility(
            mppi::PersistentMidiSettings::NRPN_COMPAT_STANDARD);
        this->dispatcher.register_dev_list(comp);
        comp.set_midi_mgr(this->mgr);
        started = this->start() == 0 && this->dispatcher.select_dev_out(0) == 0;
    }

    [[nodiscard]] mppi::Vst2MidiIn& in() noexcept { return comp.use_dev_in(); }
    [[nodiscard]] mppi::Vst2MidiOut& out() noexcept { return comp.use_dev_out(); }

    // Main thread only; no allocation. The bytes as events of three bytes.
    void feed(std::initializer_list<int> bytes, int detune = 0) noexcept
    {
        mppi::Vst2MidiEvent event;
        event._detune = detune;
        for (auto it = bytes.begin(); it != bytes.end(); it += 3) {
            for (int i = 0; i < 3; ++i) {
                event._midi_data[size_t(i)] = static_cast<unsigned char>(it[i]);
            }
            in().process_midi_event(event);
        }
    }

    // Everything the output queue holds, oldest first.
    [[nodiscard]] std::vector<Packet> take_packets()
    {
        std::vector<mppi::Vst2MidiEvent> events(mppi::Vst2MidiOut::QUEUE_SIZE);
        events.resize(size_t(out().hand_over(events.data(), int(events.size()))));
        std::vector<Packet> packets;
        for (const mppi::Vst2MidiEvent& e : events) {
            packets.push_back({e._midi_data[0], e._midi_data[1], e._midi_data[2], e._midi_data[3]});
        }
        return packets;
    }

    mppi::Vst2MidiDevSelComp comp;
    bool started = false;
};

using Vst2MidiRig = Vst2MidiRigOf<>;

} // namespace test_support
