#pragma once

#include "lib/mppi/vst2/HostCallback.h"

namespace mppi::vst2 {

// Typed calls of the host callback. Without a callback the host is absent:
// every channel counts as connected, there is no time information, the
// version is 0 and every other call is dropped (answering 0 or false).
//
// Lifecycle: built with the callback at start-up, then `set_effect` names the
// plug-in handle passed back on every call. The callback must be callable
// from the thread of each operation as stated below; nothing here locks or
// allocates.
class HostCaller
{
public:
    explicit HostCaller(HostCallback callback = nullptr) noexcept : _callback(callback) {}

    // Main thread only, at start-up.
    void set_effect(void* effect) noexcept { _effect = effect; }
    [[nodiscard]] bool has_callback() const noexcept { return _callback != nullptr; }

    // Main thread only. The host's interface version; 0 for none.
    [[nodiscard]] long get_version() const noexcept;
    // Main thread only. True when the host answers yes to the can-do text.
    [[nodiscard]] bool can_do(const char* text) const noexcept;

    // Audio thread; no lock, no allocation. Whether the host feeds the input
    // channel / reads the output channel of that index.
    [[nodiscard]] bool is_input_connected(int chn_index) const noexcept;
    [[nodiscard]] bool is_output_connected(int chn_index) const noexcept;
    // Audio thread; no lock, no allocation. The host's time record (the
    // fields named by `filter` asked for), or null without one.
    [[nodiscard]] const HostTime* get_time(std::int32_t filter) const noexcept;
    // Audio thread; no lock, no allocation. Hands events to the host.
    void process_events(const EventList& list) const noexcept;
    // Audio or main thread; no lock, no allocation. The host re-reads the
    // plug-in's names, programs and displays.
    void update_display() const noexcept;

    // Main thread only. An automation gesture on a host parameter: begin,
    // any number of values, end.
    void begin_edit(int index) const noexcept;
    void automate(int index, float value) const noexcept;
    void end_edit(int index) const noexcept;
    // Main thread only. True when the host resized the editor window.
    [[nodiscard]] bool size_window(int width, int height) const noexcept;

private:
    [[nodiscard]] std::intptr_t call(HostOpcode opcode, std::int32_t index, std::intptr_t value,
                                     void* ptr, float opt) const noexcept;
    [[nodiscard]] bool is_connected(int chn_index, std::intptr_t direction) const noexcept;

    HostCallback _callback;
    void* _effect = nullptr;
};

} // namespace mppi::vst2
