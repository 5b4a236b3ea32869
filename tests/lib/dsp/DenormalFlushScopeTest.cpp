#include "lib/dsp/DenormalFlushScope.h"

#include "support/FpModeKeeper.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <limits>

namespace {

// Through volatile, so that the products are formed at run time, in the mode
// of the moment.
volatile float one = 1.0f;
volatile float half = 0.5f;

// Whether the thread flushes subnormals now: a subnormal operand counts as
// zero, and a product below the normal range becomes zero.
bool flushes()
{
    const float tiny = 1e-41f;
    const float smallest_normal = std::numeric_limits<float>::min();
    const float operand = tiny * one;
    const float result = smallest_normal * half;
    EXPECT_EQ(operand == 0.0f, result == 0.0f) << "operands and results alike";
    return operand == 0.0f;
}

// From the caller's mode as it is, with another rounding, and already
// flushing: inside the scope subnormals are flushed under the caller's
// rounding; afterwards the caller's mode is back, flags included when the
// scope had to change it.
TEST(DenormalFlushScope, FlushesInsideAndGivesTheModeBack)
{
    if (dsp::cpu::FLUSH_DENORMAL_BITS == 0) {
        GTEST_SKIP() << "no flush-to-zero mode on this processor";
    }
    const test_support::FpModeKeeper test_mode;
    ASSERT_FALSE(flushes()) << "the test starts from the default mode";
    struct Case
    {
        const char* name;
        int rounding;
        bool flushing;
    };
    const Case cases[] = {{"default", FE_TONEAREST, false},
                          {"toward zero", FE_TOWARDZERO, false},
                          {"already flushing", FE_UPWARD, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(std::fesetround(c.rounding), 0);
        if (c.flushing) {
            dsp::cpu::write_fp_control(dsp::cpu::read_fp_control() | dsp::cpu::FLUSH_DENORMAL_BITS);
        }
        const std::uint64_t caller = dsp::cpu::read_fp_control();
        {
            const dsp::DenormalFlushScope scope;
            EXPECT_TRUE(flushes());
            EXPECT_EQ(std::fegetround(), c.rounding);
        }
        const std::uint64_t after = dsp::cpu::read_fp_control();
        if (!c.flushing) {
            EXPECT_EQ(after, caller);
        }
        EXPECT_EQ(flushes(), c.flushing);
        EXPECT_EQ(std::fegetround(), c.rounding);
        test_mode.restore();
    }
}

} // namespace
