#include "host/offline/ExampleSignal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

using host::offline::ExampleSignal;

TEST(ExampleSignal, IsTheSameEveryTimeAndStaysBelowFullScale)
{
    const std::vector<float> a = ExampleSignal::make(22050, 2.0);
    const std::vector<float> b = ExampleSignal::make(22050, 2.0);
    ASSERT_EQ(a.size(), std::size_t(2 * 44100));
    EXPECT_EQ(a, b);
    float peak = 0;
    double left = 0;
    double right = 0;
    for (std::size_t i = 0; i < a.size(); i += 2) {
        peak = std::max({peak, std::abs(a[i]), std::abs(a[i + 1])});
        left += double(a[i]) * a[i];
        right += double(a[i + 1]) * a[i + 1];
    }
    EXPECT_LT(peak, 0.8f);
    // Both channels carry sound, and they differ.
    EXPECT_GT(left / 44100, 1e-3);
    EXPECT_GT(right / 44100, 1e-3);
    EXPECT_NE(a[1001], a[1000]);
    EXPECT_TRUE(ExampleSignal::make(44100, 0).empty());
}

} // namespace
