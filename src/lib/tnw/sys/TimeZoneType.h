#pragma once

namespace tnw::sys {

// Time zone in which a calendar date is taken. Every non-zero value acts as
// Greenwich time.
using TimeZoneType = int;
inline constexpr TimeZoneType TimeZoneType_LOCAL = 0; // the system's current zone
inline constexpr TimeZoneType TimeZoneType_UTC = 1;

} // namespace tnw::sys
