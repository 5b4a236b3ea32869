#pragma once

#include "lib/mppi/ParamPriority.h"

#include <vector>

namespace mppi {

// One write arbitration entry per parameter, in the effect's own order. Host
// automation asks with priority 100, learned MIDI controllers with 125,
// program changes with 200 (released right after the program is applied);
// the editor passes the priority its controls ask for.
//
// Lifecycle: `set_nbr_param` on the main thread before other threads ask;
// every other operation then runs on the main or audio thread with no lock
// and no allocation. Indices come from hosts and the editor: one outside
// 0..n-1 is refused (false, nothing changed). Priorities and times have the
// ranges of `ParamPriority`.
class ParamPriorityList
{
public:
    ParamPriorityList() = default;
    virtual ~ParamPriorityList() = default;

    // Main thread only, before other threads ask; may allocate. Existing
    // entries are kept, new ones are free with a time-to-live of 0.5 s.
    void set_nbr_param(int nbr);

    [[nodiscard]] bool is_free(int index, double now, int prio) const noexcept;
    [[nodiscard]] bool get(int index, double now, int prio) noexcept;
    void release(int index, int prio) noexcept;
    void release_all() noexcept;
    void set_ttl(double seconds) noexcept;

private:
    [[nodiscard]] bool is_valid(int index) const noexcept
    {
        return index >= 0 && static_cast<size_t>(index) < _list.size();
    }

    std::vector<ParamPriority> _list;
};

} // namespace mppi
