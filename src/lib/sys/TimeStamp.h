#pragma once

namespace sys {

// Any thread, also the audio thread; no lock, no allocation. Seconds since
// the system started, never decreasing. Learned MIDI and host automation read
// it once per parameter change, so it goes straight to the uptime clock
// rather than through a singleton.
[[nodiscard]] double get_time_stamp() noexcept;

} // namespace sys
