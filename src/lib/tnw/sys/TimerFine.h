#pragma once

#include "lib/tnw/util/SingletonBase.h"

namespace tnw::sys {

// Fine clock: the host binding creates it at start-up, before it opens the log.
// Reached through use_instance(); no state of its own.
class TimerFine : public util::SingletonBase<TimerFine>
{
public:
    // Any thread; no lock, no allocation. Seconds since the system started,
    // never decreasing.
    [[nodiscard]] double get() const noexcept;

private:
    friend class util::SingletonBase<TimerFine>;
    TimerFine() = default;
};

} // namespace tnw::sys
