#include "lib/mppi/ParamPriorityList.h"

#include "lib/sys/TimeStamp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

using mppi::ParamPriorityList;

TEST(ParamPriorityList, GrantsOwnersAndExpiryOnATimeline)
{
    enum Op
    {
        GET,
        IS_FREE,
        RELEASE,
        RELEASE_ALL
    };
    struct Step
    {
        Op op;
        int index;
        double now;
        int prio;
        bool answer; // of GET and IS_FREE
    };
    const Step steps[] = {
        {GET, 0, 1.0, 100, true},      // free
        {GET, 0, 1.1, 125, true},      // higher takes over
        {GET, 0, 1.2, 100, false},     // lower refused
        {IS_FREE, 0, 1.2, 100, false}, // the question changes nothing
        {IS_FREE, 1, 1.2, 1, true},    // the other parameter is apart
        {RELEASE, 0, 0.0, 100, false}, // not the owner: no effect
        {GET, 0, 1.3, 100, false},
        {RELEASE, 0, 0.0, 125, false}, // the owner frees it
        {GET, 0, 1.4, 100, true},
        {GET, 0, 1.5, 200, true},  // a program change
        {GET, 0, 1.8, 100, false}, // 0.3 s after the grant
        {GET, 0, 2.0, 100, false}, // exactly the time-to-live: not yet
        {GET, 0, 2.1, 100, true},  // 0.6 s after: expired
        {GET, 0, 3.0, 200, true},
        {RELEASE, 0, 0.0, 200, false}, // released right after the program
        {GET, 0, 3.0, 100, true},
        {GET, 0, 4.0, 125, true},
        {GET, 0, 4.4, 125, true},  // own priority renews the grant
        {GET, 0, 4.8, 100, false}, // 0.4 s after the renewal
        {GET, 1, 5.0, 200, true},
        {RELEASE_ALL, 0, 0.0, 0, false},
        {GET, 0, 5.0, 1, true},
        {GET, 1, 5.0, 1, true},
        {GET, 1, 5.0, 255, true},  // the highest priority held
        {GET, 1, 5.0, 256, false}, // priorities beyond it are refused
        {GET, 1, 5.0, -1, false},  // and so are negative ones
        {IS_FREE, 1, 5.0, 256, false},
        {RELEASE, 1, 0.0, 256, false},
        {GET, 1, 5.1, 254, false}, // still owned by 255
        {GET, 0, 6.0, 150, true},
        {GET, 0, 5.6, 150, true},  // the owner's own, read before its last grant
        {GET, 0, 6.2, 100, false}, // held from the later of the two
        {GET, 0, 6.6, 100, true},
        {GET, 0, 1e6, 200, true}, // 11.6 days of uptime
        {GET, 0, 1e6 + 0.5, 100, false},
        {GET, 0, 1e6 + 0.500000001, 100, true}, // one nanosecond past the time-to-live
        {GET, 0, 8e7, 200, true},               // 926 days, past 2^56 ns
        {GET, 0, 8e7 + 0.3, 100, false},
        {GET, 0, 8e7 + 0.6, 100, true},
        {GET, 0, 9e7, 200, true},
        {GET, 0, 9e7 - 0.1, 100, false}, // a clock reading from just before the grant
        {RELEASE, 0, 0.0, 200, false},
        // 2^56 ns is 72057594.037927936 s: the time field wraps between the
        // first two renewals, and the older reading still counts as older.
        {GET, 0, 72057594.0, 150, true},
        {GET, 0, 72057594.1, 150, true},
        {GET, 0, 72057593.9, 150, true},
        {GET, 0, 72057594.5, 100, false},
        {GET, 0, 72057594.65, 100, true},
        {GET, -1, 5.0, 200, false}, // indices outside the list
        {GET, 2, 5.0, 200, false},
        {IS_FREE, 2, 5.0, 200, false},
        {RELEASE, 2, 0.0, 200, false},
    };
    ParamPriorityList list;
    list.set_nbr_param(2);
    for (const Step& s : steps) {
        const auto line = &s - steps + 1;
        switch (s.op) {
        case GET:
            EXPECT_EQ(list.get(s.index, s.now, s.prio), s.answer) << line;
            break;
        case IS_FREE:
            EXPECT_EQ(list.is_free(s.index, s.now, s.prio), s.answer) << line;
            break;
        case RELEASE:
            list.release(s.index, s.prio);
            break;
        case RELEASE_ALL:
            list.release_all();
            break;
        }
    }
}

TEST(ParamPriorityList, ResizingKeepsEntriesAndTtlAppliesToEach)
{
    ParamPriorityList list;
    EXPECT_FALSE(list.get(0, 1.0, 200)) << "empty list";
    list.set_nbr_param(1);
    ASSERT_TRUE(list.get(0, 1.0, 200));
    list.set_nbr_param(3);
    EXPECT_FALSE(list.get(0, 1.2, 100)) << "kept its owner";
    EXPECT_TRUE(list.get(2, 1.2, 1)) << "new entry is free";

    list.set_ttl(0.1);
    ASSERT_TRUE(list.get(1, 2.0, 200));
    EXPECT_FALSE(list.get(1, 2.05, 100));
    EXPECT_TRUE(list.get(1, 2.15, 100));
}

// The time-to-live runs on the clock the host binding reads. Only what holds
// however late this thread runs is checked: the grant is still held at a
// reading taken within its time-to-live, and it has expired at a reading
// taken after it.
TEST(ParamPriorityList, RealClockGrantExpires)
{
    constexpr double TTL = 0.02;
    ParamPriorityList list;
    list.set_nbr_param(1);
    list.set_ttl(TTL);
    const double granted_at = sys::get_time_stamp();
    ASSERT_TRUE(list.get(0, granted_at, 200));
    // Descheduled past the time-to-live between the two readings, there is
    // nothing to check here; a margin keeps clear of nanosecond rounding.
    const double soon = sys::get_time_stamp();
    if (soon - granted_at < TTL - 1e-6) {
        EXPECT_FALSE(list.is_free(0, soon, 100));
    }
    double later = sys::get_time_stamp();
    // The bound only keeps a stopped clock from hanging the test.
    for (int wait = 0; later - granted_at <= TTL + 1e-6; ++wait) {
        ASSERT_LT(wait, 100'000) << "the clock does not advance";
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        later = sys::get_time_stamp();
    }
    EXPECT_TRUE(list.get(0, later, 100));
}

// Waits for an atomic to reach a value: spinning first, so that the two
// threads of a round start their requests at nearly the same moment, then
// blocking, so that a waiter on a busy machine does not hold a core the
// other thread needs.
void wait_for(const std::atomic<int>& value, int wanted)
{
    for (int spin = 0; spin < 1000; ++spin) {
        if (value.load(std::memory_order_acquire) >= wanted) {
            return;
        }
    }
    for (int seen = value.load(std::memory_order_acquire); seen < wanted;
         seen = value.load(std::memory_order_acquire)) {
        value.wait(seen, std::memory_order_acquire);
    }
}

// Sets an atomic that the other thread waits for with wait_for.
void publish(std::atomic<int>& value, int round)
{
    value.store(round, std::memory_order_release);
    value.notify_one();
}

// A short busy delay.
void delay(int steps)
{
    std::atomic<int> count{0};
    while (count.load(std::memory_order_relaxed) < steps) {
        count.store(count.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
    }
}

// Host automation (100) on the audio thread against a program change (200) on
// the main thread, asking for one parameter round after round with the clock
// standing still. In a third of the rounds the host asks first (granted, then
// taken over), in a third the program change does (the host is refused);
// the test's own hand-over fixes that order. In the last third both ask at
// nearly the same moment, in either order. In every round the 200 is
// granted, holds until its own release, and that release frees the
// parameter.
TEST(ParamPriorityList, MainAndAudioThreadsGrantAndRelease)
{
    enum Order
    {
        HOST_FIRST,
        PROGRAM_FIRST,
        RACE
    };
    constexpr int ROUNDS = 3 * 4000;
    constexpr double NOW = 1.0;
    ParamPriorityList list;
    list.set_nbr_param(1);
    std::atomic<int> go{0};
    std::atomic<int> answered{0};
    // The audio thread's answer of each round, read after `answered`.
    std::vector<char> host_granted(ROUNDS + 1, 0);
    std::thread audio([&] {
        for (int round = 1; round <= ROUNDS; ++round) {
            wait_for(go, round);
            host_granted[size_t(round)] = list.get(0, NOW, 100) ? 1 : 0;
            publish(answered, round);
        }
    });
    // In racing rounds the main thread holds its request back by main_delay
    // steps, steered towards the point where the two requests meet: shorter
    // after a round that the audio thread's request won, longer after one it
    // lost. Whether they meet decides nothing below.
    int main_delay = 0;
    int program_refused = 0;
    int host_wrong = 0;
    int displaced = 0;
    int kept_after_release = 0;
    for (int round = 1; round <= ROUNDS; ++round) {
        const auto order = Order(round % 3);
        bool program = order == PROGRAM_FIRST && list.get(0, NOW, 200);
        publish(go, round);
        if (order == HOST_FIRST) {
            wait_for(answered, round);
        } else if (order == RACE) {
            delay(main_delay);
        }
        if (order != PROGRAM_FIRST) {
            program = list.get(0, NOW, 200);
        }
        wait_for(answered, round);
        const bool host = host_granted[size_t(round)] != 0;
        if (order == RACE) {
            main_delay = std::max(0, main_delay + (host ? -1 : 1));
        } else {
            host_wrong += host == (order == HOST_FIRST) ? 0 : 1;
        }
        program_refused += program ? 0 : 1;
        // 150 is refused only while 200 owns the parameter.
        displaced += list.is_free(0, NOW, 150) ? 1 : 0;
        list.release(0, 200);
        kept_after_release += list.is_free(0, NOW, 150) ? 0 : 1;
    }
    audio.join();

    EXPECT_EQ(program_refused, 0) << "the highest priority is never refused";
    EXPECT_EQ(host_wrong, 0) << "the host is granted exactly when it asks first";
    EXPECT_EQ(displaced, 0) << "a 100 took over a granted 200";
    EXPECT_EQ(kept_after_release, 0) << "the owner's release did not free the parameter";
}

// Two writers renew one parameter at 150 under a clock that only they advance,
// one tick per request, while two writers at 100 ask at the clock's current
// reading. The 150 writers sometimes stall between reading the clock and
// asking, as a preempted thread does, and then ask with a reading older than
// the other's last grant. Each 100 request reads a clock at most two ticks
// past a 150 grant made before it (of three consecutive ticks, two are one
// writer's, and that writer finished the first grant before taking the
// second tick), so with a time-to-live of three ticks no 100 is ever granted,
// in any interleaving of the four threads.
TEST(ParamPriorityList, StaleRenewalsOfTheOwnerKeepItsHold)
{
    constexpr double TICK = 0.001;
    constexpr int TICKS_PER_WRITER = 20000;
    constexpr int MIN_REQUESTS = 20000;
    ParamPriorityList list;
    list.set_nbr_param(1);
    list.set_ttl(3 * TICK);
    ASSERT_TRUE(list.get(0, 0.0, 150));
    // The number of the last tick taken; acquire and release make each 150
    // grant visible to every request that reads a tick taken after it.
    std::atomic<int> clock{0};
    std::atomic<int> writers_done{0};
    std::atomic<int> low_grants{0};
    std::vector<std::thread> threads;
    for (int writer = 0; writer < 2; ++writer) {
        threads.emplace_back([&, writer] {
            for (int i = 0; i < TICKS_PER_WRITER; ++i) {
                const int tick = clock.fetch_add(1, std::memory_order_acq_rel) + 1;
                if (i % 8 == writer * 4) {
                    delay(1000);
                }
                (void)list.get(0, tick * TICK, 150);
            }
            writers_done.fetch_add(1, std::memory_order_release);
        });
    }
    for (int reader = 0; reader < 2; ++reader) {
        threads.emplace_back([&] {
            for (int i = 0; i < MIN_REQUESTS || writers_done.load(std::memory_order_acquire) < 2;
                 ++i) {
                const int tick = clock.load(std::memory_order_acquire);
                low_grants += list.get(0, tick * TICK, 100) ? 1 : 0;
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(low_grants.load(), 0);
}

} // namespace
