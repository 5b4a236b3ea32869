#include "host/offline/ParamTextCheck.h"

#include "plugin/dsp/BrevantDsp.h"
#include "support/BrevantParamIndex.h"
#include "support/CommaLocale.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using host::offline::ParamTextCheck;
using namespace test_support;

constexpr const char* TONE_FORM = "write a number with '.' as decimal point, as in Tone=0.500";
constexpr const char* CUTOFF_FORM = "write a number with '.' as decimal point, optionally "
                                    "followed by Hz, as in Cutoff Freq=1000 Hz";
constexpr const char* BANDS_FORM = "write a number with '.' as decimal point, as in Nbr Bands=1";
constexpr const char* ROUTING_FORM = "write Dist Routing=Pre or Dist Routing=Post";

// A value text is taken only when all of it is read: a finite number with '.'
// whatever the locale, then blanks and the unit the parameter prints; or one
// of a choice parameter's names. Letter case does not matter. Each refusal
// shows the accepted form with the parameter's current value.
TEST(ParamTextCheck, TakesOnlyWholeNumbersWithTheirUnitOrAChoiceName)
{
    const struct
    {
        BrevantParamIndex param;
        const char* name;
        const char* text;
        const char* form; // null: accepted
    } cases[] = {
        {TONE, "Tone", "0.8", nullptr},
        {TONE, "Tone", "+0.8", nullptr},
        {TONE, "Tone", "-2.5e-1", nullptr},
        {TONE, "Tone", " 1 ", nullptr},
        {TONE, "Tone", "0,8", TONE_FORM},
        {TONE, "Tone", "", TONE_FORM},
        {TONE, "Tone", "nan", TONE_FORM},
        {TONE, "Tone", "inf", TONE_FORM},
        {TONE, "Tone", "-infinity", TONE_FORM},
        {TONE, "Tone", "1e309", TONE_FORM},
        {TONE, "Tone", "0x1", TONE_FORM},
        {TONE, "Tone", "+-1", TONE_FORM},
        {TONE, "Tone", "0.8.1", TONE_FORM},
        {TONE, "Tone", "0.8 Hz", TONE_FORM},
        {CUTOFF, "Cutoff Freq", "440", nullptr},
        {CUTOFF, "Cutoff Freq", "440 Hz", nullptr},
        {CUTOFF, "Cutoff Freq", "440Hz", nullptr},
        {CUTOFF, "Cutoff Freq", "440 \thz", nullptr},
        {CUTOFF, "Cutoff Freq", "4,5", CUTOFF_FORM},
        {CUTOFF, "Cutoff Freq", "440 kHz", CUTOFF_FORM},
        {CUTOFF, "Cutoff Freq", "440 Hz 2", CUTOFF_FORM},
        {CUTOFF, "Cutoff Freq", "Hz", CUTOFF_FORM},
        {EVOLUTION, "Evolution", "12.5 ms", nullptr},
        {NBR_BAND, "Nbr Bands", "5", nullptr},
        {NBR_BAND, "Nbr Bands", "5 bands", BANDS_FORM},
        {ROUTING, "Dist Routing", "Pre", nullptr},
        {ROUTING, "Dist Routing", "post", nullptr},
        {ROUTING, "Dist Routing", "1", ROUTING_FORM},
        {ROUTING, "Dist Routing", "Prepost", ROUTING_FORM},
        {ROUTING, "Dist Routing", "Pre 1", ROUTING_FORM},
    };
    BrevantDsp dsp;
    ASSERT_EQ(dsp.init(), 0);
    dsp.set_default_state();
    const auto check_all = [&dsp, &cases] {
        for (const auto& c : cases) {
            const ParamTextCheck check =
                ParamTextCheck::from_param(c.name, dsp.get_param_ref(c.param));
            EXPECT_EQ(check.accepts(c.text), c.form == nullptr) << c.name << "=" << c.text;
            if (c.form != nullptr) {
                EXPECT_EQ(check.explain(c.text), "\"" + std::string(c.text) +
                                                     "\" is no value of \"" + c.name + "\"; " +
                                                     c.form);
            }
        }
    };
    check_all();
    const CommaLocale locale;
    if (!locale.active()) {
        GTEST_SKIP() << "no locale with a decimal comma could be set up";
    }
    check_all();
    dsp.restore();
}

} // namespace
