#include "lib/mppi/PinProperty.h"

#include <gtest/gtest.h>

namespace {

using mppi::PinProperty;

TEST(PinProperty, ChannelCountsAndResizing)
{
    EXPECT_EQ(PinProperty().get_nbr_chn(), 1);
    EXPECT_EQ(PinProperty().get_chn_name(0), "");
    EXPECT_EQ(PinProperty(0).get_nbr_chn(), 0);
    EXPECT_EQ(PinProperty(-3).get_nbr_chn(), 0);

    PinProperty pin(2);
    pin.set_name("Input");
    pin.set_chn_name(0, "Left input");
    pin.set_chn_name(1, "Right input");
    pin.set_nbr_chn(1);
    pin.set_nbr_chn(3);
    EXPECT_EQ(pin.get_name(), "Input");
    ASSERT_EQ(pin.get_nbr_chn(), 3);
    EXPECT_EQ(pin.get_chn_name(0), "Left input");
    EXPECT_EQ(pin.get_chn_name(1), "") << "the dropped name does not come back";
    EXPECT_EQ(pin.get_chn_name(2), "");
}

} // namespace
