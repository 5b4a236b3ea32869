#pragma once

#include <atomic>

namespace mppi {

// Write arbitration for one parameter. A request with priority p is granted
// when p is at least the owner's priority (0 when free), or when more than
// the time-to-live has passed since the owner's last grant; a grant makes p
// the owner and `now` the last grant time. Times are seconds on the clock of
// `sys::get_time_stamp`.
//
// Main or audio thread (hosts automate on either, learned MIDI writes on the
// audio thread); no lock, no allocation. Each field is a relaxed atomic: it
// holds a whole value and publishes no other memory. Two requests racing on
// one parameter may both be granted, the later store then wins; the fields
// never tear.
class ParamPriority
{
public:
    static constexpr double DEFAULT_TTL = 0.5;

    ParamPriority() = default;
    // Copies the current field values (for resizing a list of entries).
    ParamPriority(const ParamPriority& other) noexcept;
    ParamPriority& operator=(const ParamPriority& other) noexcept;
    virtual ~ParamPriority() = default;

    [[nodiscard]] bool is_free(double now, int prio) const noexcept;
    [[nodiscard]] bool get(double now, int prio) noexcept;
    // Frees the parameter whoever owns it.
    void release() noexcept;
    // Frees the parameter only when `prio` owns it.
    void release(int prio) noexcept;
    void set_ttl(double seconds) noexcept;

private:
    std::atomic<double> _last_grant_time{0.0};
    std::atomic<double> _ttl{DEFAULT_TTL};
    std::atomic<int> _owner_prio{0};
};

} // namespace mppi
