#include "plugin/vst2/StaticPresets.h"

#include "lib/mppi/NormalizedParamInterface.h"
#include "plugin/dsp/BrevantDsp.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

TEST(StaticPresets, ProgramZeroIsTheDefaultStateAndEveryProgramIsWhole)
{
    const mppi::BankManager bank = StaticPresets::make_bank();
    BrevantDsp dsp;
    ASSERT_EQ(dsp.init(), 0);
    dsp.set_default_state();
    ASSERT_GE(bank.get_nbr_prog(), 4);
    EXPECT_STREQ(bank[0].get_name(), "Morvanel default");
    std::set<std::string> names;
    for (int p = 0; p < bank.get_nbr_prog(); ++p) {
        ASSERT_EQ(bank[p].get_nbr_param(), dsp.get_nbr_param());
        EXPECT_EQ(bank[p].get_extra_byte_size(), 0);
        names.insert(bank[p].get_name());
        for (int i = 0; i < dsp.get_nbr_param(); ++i) {
            const float value = bank[p].get_param(i);
            EXPECT_GE(value, 0.0f);
            EXPECT_LE(value, 1.0f);
            if (p == 0) {
                EXPECT_EQ(value, dsp.get_param_ref(i).get_nrm_val()) << i;
            }
        }
    }
    EXPECT_EQ(names.size(), std::size_t(bank.get_nbr_prog()));
}

} // namespace
