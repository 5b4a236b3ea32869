#include "lib/tnw/util/SingletonBase.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <latch>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

std::atomic<int> nbr_slow_built{0};

// Construction takes long enough for every racing thread to arrive while the
// first one is still building.
class SlowSingleton : public tnw::util::SingletonBase<SlowSingleton>
{
public:
    int payload = 0;

private:
    friend class tnw::util::SingletonBase<SlowSingleton>;
    SlowSingleton()
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        payload = 1234;
        ++nbr_slow_built;
    }
};

TEST(SingletonBase, RacingThreadsBuildExactlyOneInstance)
{
    constexpr int NBR_THREADS = 16;
    std::latch start(NBR_THREADS);
    std::vector<SlowSingleton*> seen(NBR_THREADS, nullptr);
    std::vector<int> payloads(NBR_THREADS, 0);
    std::vector<std::thread> threads;
    for (int thr = 0; thr < NBR_THREADS; ++thr) {
        threads.emplace_back([&, thr] {
            start.arrive_and_wait();
            SlowSingleton& instance = SlowSingleton::use_instance();
            seen[static_cast<std::size_t>(thr)] = &instance;
            payloads[static_cast<std::size_t>(thr)] = instance.payload;
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(nbr_slow_built.load(), 1);
    for (int thr = 0; thr < NBR_THREADS; ++thr) {
        EXPECT_EQ(seen[static_cast<std::size_t>(thr)], seen[0]);
        // Threads on the fast path see the instance fully built.
        EXPECT_EQ(payloads[static_cast<std::size_t>(thr)], 1234);
    }
    EXPECT_EQ(&SlowSingleton::use_instance(), seen[0]);
}

std::atomic<int> nbr_flaky_tries{0};

// The first construction throws, later ones succeed.
class FlakySingleton : public tnw::util::SingletonBase<FlakySingleton>
{
private:
    friend class tnw::util::SingletonBase<FlakySingleton>;
    FlakySingleton()
    {
        if (++nbr_flaky_tries == 1) {
            throw std::runtime_error("first construction fails");
        }
    }
};

TEST(SingletonBase, ThrowingConstructorLeavesItUncreated)
{
    try {
        (void)FlakySingleton::use_instance();
        FAIL() << "the first construction should have thrown";
    } catch (const std::runtime_error& err) {
        EXPECT_EQ(std::string(err.what()), "first construction fails");
    }
    // The creation lock was released and the flag left clear: the next call
    // builds the instance, and later calls return that same one.
    FlakySingleton& instance = FlakySingleton::use_instance();
    EXPECT_EQ(nbr_flaky_tries.load(), 2);
    EXPECT_EQ(&FlakySingleton::use_instance(), &instance);
    EXPECT_EQ(nbr_flaky_tries.load(), 2);
}

std::atomic<int> nbr_racy_tries{0};

// Slow to build, and the first construction throws.
class RacyFlakySingleton : public tnw::util::SingletonBase<RacyFlakySingleton>
{
private:
    friend class tnw::util::SingletonBase<RacyFlakySingleton>;
    RacyFlakySingleton()
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (++nbr_racy_tries == 1) {
            throw std::runtime_error("first construction fails");
        }
    }
};

TEST(SingletonBase, RacingThreadsGetOneFailureThenOneInstance)
{
    constexpr int NBR_THREADS = 16;
    std::latch start(NBR_THREADS);
    std::vector<RacyFlakySingleton*> seen(NBR_THREADS, nullptr);
    std::atomic<int> nbr_failures{0};
    std::vector<std::thread> threads;
    for (int thr = 0; thr < NBR_THREADS; ++thr) {
        threads.emplace_back([&, thr] {
            start.arrive_and_wait();
            try {
                seen[static_cast<std::size_t>(thr)] = &RacyFlakySingleton::use_instance();
            } catch (const std::runtime_error&) {
                ++nbr_failures;
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    // The failed attempt released the creation lock and left the flag clear,
    // so the next thread in line built the one instance that all others got.
    EXPECT_EQ(nbr_failures.load(), 1);
    EXPECT_EQ(nbr_racy_tries.load(), 2);
    for (RacyFlakySingleton* instance : seen) {
        if (instance != nullptr) {
            EXPECT_EQ(instance, &RacyFlakySingleton::use_instance());
        }
    }
    EXPECT_EQ(nbr_racy_tries.load(), 2);
}

} // namespace
