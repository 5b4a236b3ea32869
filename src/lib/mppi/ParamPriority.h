#pragma once

#include <atomic>
#include <cstdint>

namespace mppi {

// Write arbitration for one parameter. A request with priority p is granted
// when p is at least the owner's priority (0 when free), or when more than
// the time-to-live has passed since the owner's last grant; a grant makes p
// the owner and `now` the last grant time, except that a request of the
// owner's own priority never moves that time back (its clock reading may be
// older than the last grant when its thread was preempted before asking).
// Times are seconds on the clock of `sys::get_time_stamp`.
//
// Main or audio thread (hosts automate on either, learned MIDI writes on the
// audio thread); no lock, no allocation. The owner and the last grant time
// share one atomic word, and a request is decided and granted by one
// compare-and-swap of that word, so a grant is never lost to a request that
// was decided against the owner before it.
//
// Ranges of that word: priorities 0 to PRIORITY_MAX (a request with another
// priority is refused, a release with one does nothing); times are kept in
// whole nanoseconds, the clock's own unit, and the time since the last grant
// is exact while it is below 2^55 ns (about 417 days).
class ParamPriority
{
public:
    static constexpr double DEFAULT_TTL = 0.5;
    static constexpr int PRIORITY_MAX = 255;

    ParamPriority() = default;
    // Copies the current state (for resizing a list of entries).
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
    // The owner priority in the top 8 bits, the last grant time in
    // nanoseconds modulo 2^56 in the other 56; 0: free, granted at time 0.
    std::atomic<std::uint64_t> _grant{0};
    // The time-to-live in nanoseconds.
    std::atomic<std::int64_t> _ttl_ns{500'000'000};
};

} // namespace mppi
