#include "lib/mppi/ParamPriority.h"

#include <cmath>

namespace mppi {

// Ordering: every access is relaxed. The grant word is the whole state of the
// arbitration and publishes no other memory; a compare-and-swap succeeds only
// on the word its decision was made from, which relaxed order already
// guarantees (all changes of one atomic fall in one order).

static_assert(std::atomic<std::uint64_t>::is_always_lock_free &&
                  std::atomic<std::int64_t>::is_always_lock_free,
              "the audio thread asks for parameters without a lock");

namespace {

constexpr double NS_PER_S = 1e9;
constexpr int TIME_BITS = 56;
constexpr std::uint64_t TIME_MASK = (std::uint64_t(1) << TIME_BITS) - 1;
// Half the time range: a difference of times is exact below it.
constexpr std::int64_t TIME_HALF = std::int64_t(1) << (TIME_BITS - 1);
// Any nanosecond count is held within this, so sums and differences of two
// never overflow.
constexpr std::int64_t NS_LIMIT = std::int64_t(1) << 62;

static_assert(ParamPriority::PRIORITY_MAX < (1 << (64 - TIME_BITS)),
              "the owner priority fits above the time in the grant word");
static_assert(ParamPriority::DEFAULT_TTL * NS_PER_S == 500'000'000.0,
              "the default time-to-live in nanoseconds");

// Seconds as whole nanoseconds, rounded to the nearest, held to +-NS_LIMIT;
// not a number gives nan_ns.
[[nodiscard]] std::int64_t to_ns(double seconds, std::int64_t nan_ns) noexcept
{
    const double ns = seconds * NS_PER_S;
    if (std::isnan(ns)) {
        return nan_ns;
    }
    if (std::fabs(ns) >= double(NS_LIMIT)) {
        return ns < 0 ? -NS_LIMIT : NS_LIMIT;
    }
    return std::llround(ns);
}

// The clock's reading as the time field of the grant word.
[[nodiscard]] std::uint64_t to_time_field(double now) noexcept
{
    return std::uint64_t(to_ns(now, 0)) & TIME_MASK;
}

[[nodiscard]] constexpr bool is_valid_prio(int prio) noexcept
{
    return prio >= 0 && prio <= ParamPriority::PRIORITY_MAX;
}

[[nodiscard]] constexpr int owner_of(std::uint64_t grant) noexcept
{
    return int(grant >> TIME_BITS);
}

// The time from the last grant of the word to `now_field`. The time fields
// are taken modulo 2^56, the difference as a signed number, so that a clock
// reading from just before the last grant counts as earlier than it.
[[nodiscard]] constexpr std::int64_t elapsed_since(std::uint64_t grant,
                                                   std::uint64_t now_field) noexcept
{
    const auto elapsed = std::int64_t((now_field - grant) & TIME_MASK);
    return elapsed >= TIME_HALF ? elapsed - (std::int64_t(1) << TIME_BITS) : elapsed;
}

// The grant rule on one state of the word: the priority is at least the
// owner's, or the time since the last grant exceeds the time-to-live.
[[nodiscard]] constexpr bool grants(std::uint64_t grant, std::uint64_t now_field,
                                    std::int64_t ttl_ns, int prio) noexcept
{
    return prio >= owner_of(grant) || elapsed_since(grant, now_field) > ttl_ns;
}

// The word after granting `prio` at `now_field` from the state `grant`. A
// request of the owner's own priority whose clock reading is older than the
// last grant (read, then preempted before asking) keeps the later time: the
// owner's hold runs from its latest request.
[[nodiscard]] constexpr std::uint64_t granted_word(std::uint64_t grant, std::uint64_t now_field,
                                                   int prio) noexcept
{
    const bool keeps_time = prio == owner_of(grant) && elapsed_since(grant, now_field) < 0;
    return (std::uint64_t(prio) << TIME_BITS) | (keeps_time ? grant & TIME_MASK : now_field);
}

} // namespace

ParamPriority::ParamPriority(const ParamPriority& other) noexcept
{
    *this = other;
}

ParamPriority& ParamPriority::operator=(const ParamPriority& other) noexcept
{
    _grant.store(other._grant.load(std::memory_order_relaxed), std::memory_order_relaxed);
    _ttl_ns.store(other._ttl_ns.load(std::memory_order_relaxed), std::memory_order_relaxed);
    return *this;
}

bool ParamPriority::is_free(double now, int prio) const noexcept
{
    return is_valid_prio(prio) && grants(_grant.load(std::memory_order_relaxed), to_time_field(now),
                                         _ttl_ns.load(std::memory_order_relaxed), prio);
}

bool ParamPriority::get(double now, int prio) noexcept
{
    if (!is_valid_prio(prio)) {
        return false;
    }
    const std::uint64_t now_field = to_time_field(now);
    const std::int64_t ttl_ns = _ttl_ns.load(std::memory_order_relaxed);
    std::uint64_t grant = _grant.load(std::memory_order_relaxed);
    do {
        if (!grants(grant, now_field, ttl_ns, prio)) {
            return false;
        }
        // On failure `grant` holds the newer state, and both the rule and the
        // new word are worked out again from it.
    } while (!_grant.compare_exchange_weak(grant, granted_word(grant, now_field, prio),
                                           std::memory_order_relaxed));
    return true;
}

void ParamPriority::release() noexcept
{
    // Owner 0, the last grant time kept.
    _grant.fetch_and(TIME_MASK, std::memory_order_relaxed);
}

void ParamPriority::release(int prio) noexcept
{
    std::uint64_t grant = _grant.load(std::memory_order_relaxed);
    while (owner_of(grant) == prio &&
           !_grant.compare_exchange_weak(grant, grant & TIME_MASK, std::memory_order_relaxed)) {
    }
}

void ParamPriority::set_ttl(double seconds) noexcept
{
    _ttl_ns.store(to_ns(seconds, NS_LIMIT), std::memory_order_relaxed);
}

} // namespace mppi
