#pragma once

#include <cstdint>

namespace tnw::sys::posix {

// Any thread; no lock, no allocation. Nanoseconds since an unspecified start
// (the system's start-up on this platform), never decreasing. The one reading
// of system uptime that every clock of the system goes through.
[[nodiscard]] std::int64_t read_uptime_ns() noexcept;

} // namespace tnw::sys::posix
