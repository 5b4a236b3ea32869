#pragma once

#include "lib/tnw/util/SingletonBase.h"

namespace tnw::sys {

// Clock of the log file: stamps every log line.
// Reached through use_instance(); no state of its own.
class TimerReliable : public util::SingletonBase<TimerReliable>
{
public:
    // Any thread; no lock, no allocation. Seconds since the system started,
    // never decreasing.
    [[nodiscard]] double get() const noexcept;

private:
    friend class util::SingletonBase<TimerReliable>;
    TimerReliable() = default;
};

} // namespace tnw::sys
