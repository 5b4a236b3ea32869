#include "lib/mppi/ParamPriority.h"

namespace mppi {

static_assert(std::atomic<double>::is_always_lock_free,
              "the audio thread asks for parameters without a lock");

ParamPriority::ParamPriority(const ParamPriority& other) noexcept
{
    *this = other;
}

ParamPriority& ParamPriority::operator=(const ParamPriority& other) noexcept
{
    _last_grant_time.store(other._last_grant_time.load(std::memory_order_relaxed),
                           std::memory_order_relaxed);
    _ttl.store(other._ttl.load(std::memory_order_relaxed), std::memory_order_relaxed);
    _owner_prio.store(other._owner_prio.load(std::memory_order_relaxed), std::memory_order_relaxed);
    return *this;
}

bool ParamPriority::is_free(double now, int prio) const noexcept
{
    return prio >= _owner_prio.load(std::memory_order_relaxed) ||
           now > _last_grant_time.load(std::memory_order_relaxed) +
                     _ttl.load(std::memory_order_relaxed);
}

bool ParamPriority::get(double now, int prio) noexcept
{
    if (!is_free(now, prio)) {
        return false;
    }
    _last_grant_time.store(now, std::memory_order_relaxed);
    _owner_prio.store(prio, std::memory_order_relaxed);
    return true;
}

void ParamPriority::release() noexcept
{
    _owner_prio.store(0, std::memory_order_relaxed);
}

void ParamPriority::release(int prio) noexcept
{
    int owner = prio;
    (void)_owner_prio.compare_exchange_strong(owner, 0, std::memory_order_relaxed);
}

void ParamPriority::set_ttl(double seconds) noexcept
{
    _ttl.store(seconds, std::memory_order_relaxed);
}

} // namespace mppi
