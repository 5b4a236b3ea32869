#include "lib/mppi/NormalizedParamInterface.h"

#include "support/RecordingNotified.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <string>
#include <thread>
#include <vector>

namespace {

// A linear parameter from 10 to 100 that logs its hook calls, together with
// the values it sees at that moment, into the same log as its owner.
class LinearParam : public mppi::NormalizedParamInterface
{
public:
    void get_name(char* text, long max) const noexcept override
    {
        if (max > 0) {
            text[0] = '\0';
        }
    }
    void get_unit(char* text, long max) const noexcept override { get_name(text, max); }
    double denormalize_val(float norm) const noexcept override { return 10.0 + 90.0 * norm; }
    float normalize_val(double natural) const noexcept override
    {
        return static_cast<float>((natural - 10.0) / 90.0);
    }
    void do_print_val(char* text, long max, double) const noexcept override { get_name(text, max); }
    double do_scan_val(const char*, bool&) const noexcept override { return 0.0; }
    void do_set_val() noexcept override
    {
        if (log == nullptr) {
            return;
        }
        log->push_back("set " + std::to_string(get_nat_val()) + " " +
                       std::to_string(get_nrm_val()));
    }

    std::vector<std::string>* log = nullptr;
};

class LoggingOwner : public mppi::NotifiedInterface
{
public:
    void notify(mppi::NotifierInterface& sender) noexcept override
    {
        log->push_back(&sender == expected ? "notify" : "notify from a stranger");
    }

    std::vector<std::string>* log = nullptr;
    const mppi::NotifierInterface* expected = nullptr;
};

class NormalizedParam : public ::testing::Test
{
protected:
    NormalizedParam()
    {
        param.log = &log;
        owner.log = &log;
        owner.expected = &param;
        param.set_notified(&owner);
    }

    std::vector<std::string> log;
    LinearParam param;
    LoggingOwner owner;
};

TEST(NormalizedParamState, StartsAtZeroWithLevelMinusOneAndNoListener)
{
    LinearParam param;
    EXPECT_EQ(param.get_nat_val(), 0.0);
    EXPECT_EQ(param.get_nrm_val(), 0.0f);
    EXPECT_EQ(param.get_automation_level(), -1);
    EXPECT_EQ(param.get_init_nrm_val(), 0.0f);
    EXPECT_EQ(param.do_get_mod(0), 0.0f);
    EXPECT_EQ(param.get_notified(), nullptr);
    EXPECT_EQ(param.get_range_type(), 0);
    EXPECT_TRUE(param.is_morphable());
}

TEST_F(NormalizedParam, SettingNormalisedMapsThenCallsHookThenNotifiesEveryTime)
{
    param.set_nrm_val(0.5f);
    param.set_nrm_val(0.5f); // unchanged: still notified
    // 10 + 90 * 0.5 = 55
    const std::vector<std::string> expected{"set 55.000000 0.500000", "notify",
                                            "set 55.000000 0.500000", "notify"};
    EXPECT_EQ(log, expected);
    EXPECT_EQ(param.get_nat_val(), 55.0);
    EXPECT_EQ(param.get_nrm_val(), 0.5f);
}

TEST_F(NormalizedParam, SettingNaturalNormalisesThenCallsHookThenNotifiesEveryTime)
{
    param.set_nat_val(32.5);
    param.set_nat_val(32.5);
    // (32.5 - 10) / 90 = 0.25
    const std::vector<std::string> expected{"set 32.500000 0.250000", "notify",
                                            "set 32.500000 0.250000", "notify"};
    EXPECT_EQ(log, expected);
    EXPECT_EQ(param.get_nrm_val(), 0.25f);
}

TEST_F(NormalizedParam, NaturalSetterDoesNotClamp)
{
    param.set_nat_val(190.0); // (190 - 10) / 90 = 2
    EXPECT_EQ(param.get_nat_val(), 190.0);
    EXPECT_EQ(param.get_nrm_val(), 2.0f);
}

TEST_F(NormalizedParam, NormalisedSetterClampsToUnitRange)
{
    struct Case
    {
        float in;
        float stored;
        double natural;
    };
    constexpr float inf = std::numeric_limits<float>::infinity();
    const Case cases[] = {{-0.5f, 0.0f, 10.0}, {1.5f, 1.0f, 100.0}, {inf, 1.0f, 100.0},
                          {-inf, 0.0f, 10.0},  {1.0f, 1.0f, 100.0}, {0.0f, 0.0f, 10.0}};
    for (const Case& c : cases) {
        log.clear();
        param.set_nrm_val(c.in);
        EXPECT_EQ(param.get_nrm_val(), c.stored) << c.in;
        EXPECT_EQ(param.get_nat_val(), c.natural) << c.in;
        EXPECT_EQ(log.size(), 2u) << c.in;
    }
}

TEST_F(NormalizedParam, NaNNormalisedValueIsIgnored)
{
    param.set_nrm_val(0.25f);
    log.clear();
    param.set_nrm_val(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(param.get_nrm_val(), 0.25f);
    EXPECT_EQ(param.get_nat_val(), 32.5);
    EXPECT_TRUE(log.empty());
}

TEST_F(NormalizedParam, InitSetsInitialStateWithoutNotifyingAndKeepsTheLink)
{
    param.set_nrm_val(1.0f);
    log.clear();
    param.init(77.5, 2); // (77.5 - 10) / 90 = 0.75
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(param.get_notified(), &owner);
    EXPECT_EQ(param.get_nat_val(), 77.5);
    EXPECT_EQ(param.get_nrm_val(), 0.75f);
    EXPECT_EQ(param.get_init_nrm_val(), 0.75f);
    EXPECT_EQ(param.get_automation_level(), 2);
    EXPECT_EQ(param.do_get_mod(0), 0.0f);
    EXPECT_EQ(param.do_get_mod_val(0), 77.5);
}

TEST(NormalizedParamListener, RecordsTheParameterAsSenderAndNothingWithoutLink)
{
    std::vector<std::string> log;
    LinearParam param;
    param.log = &log;
    param.set_nrm_val(0.0f); // no listener: only the hook runs
    EXPECT_EQ(log.size(), 1u);

    test_support::RecordingNotified owner;
    param.set_notified(&owner);
    param.set_nat_val(10.0);
    param.set_nrm_val(1.0f);
    ASSERT_EQ(owner.senders.size(), 2u);
    EXPECT_EQ(owner.senders[0], &param);
    EXPECT_EQ(owner.senders[1], &param);
}

// Main thread writes increasing normalised values while the audio thread
// reads both values: every read is a whole value that the writer stored, never
// older than one read before (run under ThreadSanitizer).
TEST(NormalizedParamThreads, AudioThreadReadsWholeValuesWhileMainThreadWrites)
{
    constexpr int nbr_steps = 100000;
    const auto nrm_of = [](long k) { return static_cast<float>(k) / float{nbr_steps}; };

    struct FlagOwner : mppi::NotifiedInterface
    {
        void notify(mppi::NotifierInterface&) noexcept override
        {
            changed.store(true, std::memory_order_release);
        }
        std::atomic<bool> changed{false};
    } owner;

    LinearParam param;
    param.init(10.0, 2);
    param.set_notified(&owner);
    std::atomic<bool> done{false};
    long bad_reads = 0;
    long nbr_reads = 0;

    std::thread audio([&] {
        float last_nrm = 0.0f;
        double last_nat = 10.0;
        // The pass after the writer finished still finds its last flag.
        for (bool finished = false; !finished;) {
            finished = done.load(std::memory_order_acquire);
            if (!owner.changed.exchange(false, std::memory_order_acquire)) {
                continue;
            }
            const float nrm = param.get_nrm_val();
            const double nat = param.get_nat_val();
            const long k_nrm = std::lround(nrm * float{nbr_steps});
            const long k_nat = std::lround((nat - 10.0) / 90.0 * nbr_steps);
            const bool whole = nrm == nrm_of(k_nrm) && nat == 10.0 + 90.0 * nrm_of(k_nat);
            if (!whole || nrm < last_nrm || nat < last_nat) {
                ++bad_reads;
            }
            last_nrm = nrm;
            last_nat = nat;
            ++nbr_reads;
        }
    });
    for (long k = 1; k <= nbr_steps; ++k) {
        param.set_nrm_val(nrm_of(k));
    }
    done.store(true, std::memory_order_release);
    audio.join();

    EXPECT_EQ(bad_reads, 0);
    EXPECT_GT(nbr_reads, 0);
    EXPECT_EQ(param.get_nrm_val(), 1.0f);
    EXPECT_EQ(param.get_nat_val(), 100.0);
}

} // namespace
