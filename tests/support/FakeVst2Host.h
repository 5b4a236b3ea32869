#pragma once

#include "lib/mppi/vst2/HostCallback.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace test_support {

// A host behind the plug-in's host callback. The one alive is the one the callback reaches
// (tests make one at a time). It answers its version, the connection of every channel
// (channel indices in `unconnected_in` / `unconnected_out` are not connected), its time
// record (none while `time_flag` is false) and yes to every can-do; it records each call,
// and the MIDI bytes of the events handed to it, under a lock (the audio thread calls too).
class FakeVst2Host
{
public:
    struct Call
    {
        std::int32_t opcode;
        std::int32_t index;
        std::intptr_t value;
        float opt;
    };

    FakeVst2Host()
    {
        // Room enough that recording allocates nothing in tests that count allocations.
        _calls.reserve(4096);
        _midi.reserve(4096);
        _current.store(this);
    }
    FakeVst2Host(const FakeVst2Host&) = delete;
    FakeVst2Host& operator=(const FakeVst2Host&) = delete;
    ~FakeVst2Host() { _current.store(nullptr); }

    static std::intptr_t callback(void* /*effect*/, std::int32_t opcode, std::int32_t index,
                                  std::intptr_t value, void* ptr, float opt)
    {
        FakeVst2Host* host = _current.load();
        return host == nullptr ? 0 : host->answer(opcode, index, value, ptr, opt);
    }

    // Calls with that opcode since the last `clear`.
    [[nodiscard]] std::vector<Call> calls(std::int32_t opcode) const
    {
        std::lock_guard<std::mutex> lock(_mutex);
        std::vector<Call> found;
        for (const Call& call : _calls) {
            if (call.opcode == opcode) {
                found.push_back(call);
            }
        }
        return found;
    }
    // Every call in order.
    [[nodiscard]] std::vector<Call> all_calls() const
    {
        std::lock_guard<std::mutex> lock(_mutex);
        return _calls;
    }
    // Every call's opcode in order, and the MIDI bytes received.
    [[nodiscard]] std::vector<std::int32_t> opcodes() const
    {
        std::lock_guard<std::mutex> lock(_mutex);
        std::vector<std::int32_t> list;
        for (const Call& call : _calls) {
            list.push_back(call.opcode);
        }
        return list;
    }
    [[nodiscard]] std::vector<std::array<std::uint8_t, 4>> midi_received() const
    {
        std::lock_guard<std::mutex> lock(_mutex);
        return _midi;
    }
    void clear()
    {
        std::lock_guard<std::mutex> lock(_mutex);
        _calls.clear();
        _midi.clear();
    }

    long version = 2400;
    bool time_flag = false;
    mppi::vst2::HostTime time;
    std::vector<int> unconnected_in;
    std::vector<int> unconnected_out;

private:
    std::intptr_t answer(std::int32_t opcode, std::int32_t index, std::intptr_t value, void* ptr,
                         float opt)
    {
        namespace v = mppi::vst2;
        std::lock_guard<std::mutex> lock(_mutex);
        _calls.push_back({opcode, index, value, opt});
        switch (opcode) {
        case v::HOST_VERSION:
            return version;
        case v::HOST_PIN_CONNECTED: {
            const std::vector<int>& off = value == 0 ? unconnected_in : unconnected_out;
            for (int chn : off) {
                if (chn == index) {
                    return 1;
                }
            }
            return 0;
        }
        case v::HOST_GET_TIME:
            return time_flag ? reinterpret_cast<std::intptr_t>(&time) : 0;
        case v::HOST_PROCESS_EVENTS: {
            const auto* list = static_cast<const v::EventList*>(ptr);
            for (std::int32_t i = 0; i < list->nbr_events; ++i) {
                _midi.push_back(static_cast<const v::MidiEvent*>(list->events[i])->midi_data);
            }
            return 1;
        }
        case v::HOST_CAN_DO:
            return 1;
        case v::HOST_SIZE_WINDOW:
            return 1;
        default:
            return 0;
        }
    }

    static inline std::atomic<FakeVst2Host*> _current{nullptr};
    mutable std::mutex _mutex;
    std::vector<Call> _calls;
    std::vector<std::array<std::uint8_t, 4>> _midi;
};

} // namespace test_support
