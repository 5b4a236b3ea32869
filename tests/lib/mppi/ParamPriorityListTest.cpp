#include "lib/mppi/ParamPriorityList.h"

#include "lib/sys/TimeStamp.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
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

TEST(ParamPriorityList, MainAndAudioThreadsGrantAndRelease)
{
    constexpr int NBR = 4;
    constexpr int ROUNDS = 20000;
    ParamPriorityList list;
    list.set_nbr_param(NBR);
    const auto writer = [&list](int prio, int& grants) {
        for (int round = 0; round < ROUNDS; ++round) {
            if (list.get(round % NBR, 1.0 + round * 1e-6, prio)) {
                ++grants;
                list.release(round % NBR, prio);
            }
        }
    };
    int program_grants = 0;
    int midi_grants = 0;
    std::thread audio(writer, 125, std::ref(midi_grants));
    writer(200, program_grants);
    audio.join();

    EXPECT_EQ(program_grants, ROUNDS) << "the highest priority is never refused";
    EXPECT_GT(midi_grants, 0);
    for (int index = 0; index < NBR; ++index) {
        EXPECT_TRUE(list.is_free(index, 0.0, 1)) << "each grant was released by its owner";
    }
}

} // namespace
