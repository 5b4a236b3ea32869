#include "lib/mppi/ParamPriorityList.h"

#include "lib/sys/TimeStamp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

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
        {GET, 0, 1e6, 200, true},  // 11.6 days of uptime
        {GET, 0, 1e6 + 0.5, 100, false},
        {GET, 0, 1e6 + 0.500000001, 100, true}, // one nanosecond past the time-to-live
        {GET, 0, 8e7, 200, true},               // 926 days, past 2^56 ns
        {GET, 0, 8e7 + 0.3, 100, false},
        {GET, 0, 8e7 + 0.6, 100, true},
        {GET, 0, 9e7, 200, true},
        {GET, 0, 9e7 - 0.1, 100, false}, // a clock reading from just before the grant
        {GET, -1, 5.0, 200, false},      // indices outside the list
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

TEST(ParamPriorityList, RealClockGrantExpires)
{
    ParamPriorityList list;
    list.set_nbr_param(1);
    list.set_ttl(0.02);
    ASSERT_TRUE(list.get(0, sys::get_time_stamp(), 200));
    EXPECT_FALSE(list.get(0, sys::get_time_stamp(), 100));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_TRUE(list.get(0, sys::get_time_stamp(), 100));
}

// Waits for an atomic to reach a value, spinning first so that the two
// threads of a round start their requests at nearly the same moment.
void wait_for(const std::atomic<int>& value, int wanted)
{
    for (int spin = 0; value.load(std::memory_order_acquire) != wanted; ++spin) {
        if (spin > 1000) {
            std::this_thread::yield();
        }
    }
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
// the main thread, asking for one parameter at nearly the same moment, round
// after round, with the clock standing still: the 200 is always granted,
// holds until its own release, and that release frees the parameter.
TEST(ParamPriorityList, MainAndAudioThreadsGrantAndRelease)
{
    constexpr int ROUNDS = 20000;
    constexpr double NOW = 1.0;
    ParamPriorityList list;
    list.set_nbr_param(1);
    std::atomic<int> go{0};
    std::atomic<int> answered{0};
    int host_grants = 0;
    std::thread audio([&] {
        for (int round = 1; round <= ROUNDS; ++round) {
            wait_for(go, round);
            host_grants += list.get(0, NOW, 100) ? 1 : 0;
            answered.store(round, std::memory_order_release);
        }
    });
    // The main thread holds its request back by main_delay steps, steered
    // towards the point where the two requests meet: shorter after a round
    // that the audio thread's request won, longer after one it lost.
    int main_delay = 0;
    int program_grants = 0;
    int displaced = 0;
    int kept_after_release = 0;
    for (int round = 1; round <= ROUNDS; ++round) {
        const int host_grants_before = host_grants;
        go.store(round, std::memory_order_release);
        delay(main_delay);
        program_grants += list.get(0, NOW, 200) ? 1 : 0;
        wait_for(answered, round);
        main_delay = std::max(0, main_delay + (host_grants > host_grants_before ? -1 : 1));
        // 150 is refused only while 200 owns the parameter.
        displaced += list.is_free(0, NOW, 150) ? 1 : 0;
        list.release(0, 200);
        kept_after_release += list.is_free(0, NOW, 150) ? 0 : 1;
    }
    audio.join();

    EXPECT_EQ(program_grants, ROUNDS) << "the highest priority is never refused";
    EXPECT_EQ(displaced, 0) << "a racing 100 took over a granted 200";
    EXPECT_EQ(kept_after_release, 0) << "the owner's release did not free the parameter";
    EXPECT_GT(host_grants, 0);
}

} // namespace
