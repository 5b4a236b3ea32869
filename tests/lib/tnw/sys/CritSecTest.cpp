#include "lib/tnw/sys/CritSec.h"

#include "lib/tnw/sys/Mutex.h"
#include "support/HangGuard.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>

namespace {

using namespace std::chrono_literals;

// Starts another thread that locks and unlocks the mutex.
std::future<void> lock_elsewhere(tnw::sys::Mutex& mutex)
{
    return std::async(std::launch::async, [&mutex] {
        mutex.lock();
        mutex.unlock();
    });
}

bool is_done_within(const std::future<void>& fut, std::chrono::milliseconds time)
{
    return fut.wait_for(time) == std::future_status::ready;
}

// Done before the hang guard runs out: a thread that may take the mutex does so however
// slowly it is scheduled.
bool is_done(const std::future<void>& fut)
{
    return is_done_within(fut, test_support::HANG_GUARD);
}

TEST(CritSec, HoldsTheMutexOnlyWhileEntered)
{
    tnw::sys::Mutex mutex;
    {
        tnw::sys::CritSec lock(mutex, false);
        // Not entered: another thread gets the mutex at once.
        EXPECT_TRUE(is_done(lock_elsewhere(mutex)));

        lock.enter();
        auto blocked = lock_elsewhere(mutex);
        EXPECT_FALSE(is_done_within(blocked, 50ms));
        lock.leave();
        EXPECT_TRUE(is_done(blocked));

        // Leaving again does nothing (the mutex is not unlocked twice).
        lock.leave();
        lock.enter();
    }
    // The destructor left the entered lock.
    EXPECT_TRUE(is_done(lock_elsewhere(mutex)));

    std::future<void> blocked;
    {
        const tnw::sys::CritSec lock(mutex, true);
        blocked = lock_elsewhere(mutex);
        EXPECT_FALSE(is_done_within(blocked, 50ms));
    }
    EXPECT_TRUE(is_done(blocked));
}

TEST(CritSec, CopyOfALockedMutexIsAnUnlockedIndependentOne)
{
    tnw::sys::Mutex locked;
    locked.lock();
    tnw::sys::Mutex copy(locked);
    EXPECT_TRUE(is_done(lock_elsewhere(copy)));

    // Assignment keeps each object's own mutex: the target stays unlocked.
    tnw::sys::Mutex target;
    target = locked;
    EXPECT_TRUE(is_done(lock_elsewhere(target)));
    locked.unlock();
}

} // namespace
