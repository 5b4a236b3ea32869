#include "plugin/dsp/ParamText.h"

#include "plugin/dsp/ParamBandDelay.h"
#include "plugin/dsp/ParamCutFreq.h"
#include "plugin/dsp/ParamDistoGain.h"
#include "plugin/dsp/ParamDistoRouting.h"
#include "plugin/dsp/ParamHarmBalance.h"
#include "plugin/dsp/ParamHarmFactor.h"
#include "plugin/dsp/ParamNbrBand.h"
#include "plugin/dsp/ParamReso.h"

#include "support/CommaLocale.h"
#include "support/ParamChecks.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfenv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

using test_support::print_checked;

// A host may have switched the C locale to one with a decimal comma: the
// displays keep their point and the readers still take one.
TEST(ParamText, DisplayAndParsingIgnoreTheProcessLocale)
{
    const test_support::CommaLocale comma;
    if (!comma.active()) {
        GTEST_SKIP() << "no locale with a decimal comma could be set up";
    }
    ParamCutFreq cut;
    ParamReso reso;
    ParamNbrBand bands;
    ParamDistoGain gain;
    ParamDistoRouting routing;
    ParamHarmFactor spacing;
    ParamBandDelay delay;
    ParamHarmBalance tone;
    EXPECT_EQ(print_checked(cut, 440.25), "440.2");
    EXPECT_EQ(print_checked(reso, 3.5), "3.500");
    EXPECT_EQ(print_checked(bands, 3.5), "4");
    EXPECT_EQ(print_checked(gain, 2.25), "2.250");
    EXPECT_EQ(print_checked(routing, 1.0), "Post");
    EXPECT_EQ(print_checked(spacing, 1.5), "1.500");
    EXPECT_EQ(print_checked(delay, -6.25), "-6.25");
    EXPECT_EQ(print_checked(tone, 0.125), "0.125");
    test_support::expect_scans(cut, {{"440.5", 440.5}});
    test_support::expect_scans(reso, {{"3.5", 3.5}});
    test_support::expect_scans(bands, {{"3.5", 4.0}});
    test_support::expect_scans(gain, {{"2.25", 2.25}});
    test_support::expect_scans(spacing, {{"1.5", 1.5}});
    test_support::expect_scans(delay, {{"-6.25", -6.25}});
    test_support::expect_scans(tone, {{"0.125", 0.125}});
    // A comma ends the number, as it does in the "C" locale.
    test_support::expect_scans(tone, {{"0,125", 0.0}});
}

// Display and parsing round to nearest whatever mode the caller left set, and
// hand the caller's mode back.
TEST(ParamText, DisplayAndParsingRoundToNearestAndRestoreTheMode)
{
    ParamCutFreq cut;
    ParamNbrBand bands;
    ParamHarmBalance tone;
    ParamDistoRouting routing;
    // C#5, note 61, worked out here in round-to-nearest.
    const auto c_sharp_5 = static_cast<float>(440.0 * std::pow(2.0, -8.0 / 12.0));
    for (const int mode : {FE_DOWNWARD, FE_UPWARD, FE_TOWARDZERO}) {
        ASSERT_EQ(std::fesetround(mode), 0);
        const std::string band_text = print_checked(bands, 2.5);
        const std::string cut_text = print_checked(cut, 1000.5);
        const std::string routing_text = print_checked(routing, 0.5);
        bool ok = false;
        const double tenth = tone.do_scan_val("0.1", ok);
        cut.set_nfs(true);
        const double note = cut.do_scan_val("C#5", ok);
        const std::string note_text = print_checked(cut, 277.18);
        cut.set_nfs(false);
        const int mode_after = std::fegetround();
        std::fesetround(FE_TONEAREST);

        EXPECT_EQ(band_text, "3") << mode;   // 2.5 rounds half up
        EXPECT_EQ(cut_text, "1001") << mode; // 1000.5 rounds half up
        EXPECT_EQ(routing_text, "Post") << mode;
        EXPECT_EQ(tenth, 0.1) << mode; // the double nearest to 1/10
        EXPECT_EQ(note, c_sharp_5) << mode;
        EXPECT_EQ(note_text, "C#5") << mode;
        EXPECT_EQ(mode_after, mode);
    }
}

} // namespace
