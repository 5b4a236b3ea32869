#include "lib/mppi/TimeInfo.h"

#include <gtest/gtest.h>

namespace {

TEST(TimeInfo, StartsAndClearsWithoutTempoAndFlags)
{
    mppi::TimeInfo info;
    EXPECT_EQ(info._tempo, 0.0);
    EXPECT_FALSE(info._no_info_flag);
    EXPECT_FALSE(info._tempo_valid_flag);
    info._tempo = 133.0;
    info._no_info_flag = true;
    info._tempo_valid_flag = true;
    info.clear();
    EXPECT_EQ(info._tempo, 0.0);
    EXPECT_FALSE(info._no_info_flag);
    EXPECT_FALSE(info._tempo_valid_flag);
}

} // namespace
