#include "lib/mppi/TimeUnit.h"

#include "support/CommaLocale.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <string>

namespace {

using mppi::TimeUnit;

constexpr double NAN_V = std::numeric_limits<double>::quiet_NaN();
constexpr double INF_V = std::numeric_limits<double>::infinity();

TimeUnit make_unit(TimeUnit::UnitType type, double tempo = 120.0)
{
    TimeUnit unit;
    unit.set_unit(type);
    unit.set_tempo(tempo);
    return unit;
}

TEST(TimeUnit, ConvertsBetweenSecondsBeatsAndMilliseconds)
{
    const TimeUnit unit;
    EXPECT_EQ(unit.get_unit(), TimeUnit::UNIT_MS);
    EXPECT_EQ(unit.get_tempo(), 120.0);
    EXPECT_EQ(unit.convert_time(1.5), 1500.0);
    EXPECT_EQ(unit.convert_beats_to_time(3.0), 1.5);
    EXPECT_EQ(make_unit(TimeUnit::UNIT_BEATS, 90.0).convert_time(2.0), 2.0 * 90.0 / 60.0);
    EXPECT_EQ(make_unit(TimeUnit::UNIT_S).convert_time(2.0), 2.0);
    const std::array<std::string, 3> names = {"s", "beat", "ms"};
    for (int i = 0; i < 3; ++i) {
        TimeUnit copy = make_unit(static_cast<TimeUnit::UnitType>(i));
        EXPECT_EQ(copy.get_unit_txt_0(), names[std::size_t(i)]);
        copy.set_unit(static_cast<TimeUnit::UnitType>(7)); // ignored
        EXPECT_EQ(copy.get_unit(), i);
    }
}

// Expected seconds are worked out from the text: ms / 1000, s, or
// beats * 60 / tempo at 120 BPM (beats / 2).
TEST(TimeUnit, ScanTimeReadsTheUnitOfTheText)
{
    const std::string slashes_15(15, '/');
    const std::string slashes_16(16, '/');
    const struct
    {
        TimeUnit::UnitType unit;
        std::string text;
        double seconds;
        bool ok;
    } cases[] = {
        {TimeUnit::UNIT_MS, "250 ms", 0.25, true},
        {TimeUnit::UNIT_BEATS, "250 MS", 0.25, true},
        {TimeUnit::UNIT_MS, "-2 s", -2.0, false},
        {TimeUnit::UNIT_MS, "-2 ms", -2.0, false},
        {TimeUnit::UNIT_MS, "1.5 S", 1.5, true},
        {TimeUnit::UNIT_MS, "2 beats", 1.0, true},
        {TimeUnit::UNIT_S, "3/4 Beat ", 0.375, true},
        {TimeUnit::UNIT_MS, "500", 0.5, true},
        {TimeUnit::UNIT_S, "500", 500.0, true},
        {TimeUnit::UNIT_BEATS, "1 1/2", 0.75, true},
        {TimeUnit::UNIT_BEATS, "2 / 4", 0.25, true},
        {TimeUnit::UNIT_BEATS, "3/4/", 0.375, true},
        {TimeUnit::UNIT_BEATS, "1" + slashes_15 + "2", 0.25, true},
        {TimeUnit::UNIT_BEATS, "1" + slashes_16 + "2", 0.5, true},
        {TimeUnit::UNIT_BEATS, "3/0", 0.0, false},
        {TimeUnit::UNIT_BEATS, "1 1/0", 0.0, false},
        {TimeUnit::UNIT_BEATS, "1 -1/2", 0.0, false},
        {TimeUnit::UNIT_BEATS, "", 0.0, false},
        {TimeUnit::UNIT_BEATS, "nan", 0.0, false},
        {TimeUnit::UNIT_BEATS, "1e308", 0.0, false}, // not finite in seconds
        {TimeUnit::UNIT_MS, "abc", 0.0, false},
        {TimeUnit::UNIT_MS, "inf ms", INF_V, false},
        {TimeUnit::UNIT_MS, "nan s", NAN_V, false},
    };
    for (const auto& c : cases) {
        bool ok = !c.ok;
        const double seconds = make_unit(c.unit).scan_time(c.text.c_str(), ok);
        EXPECT_EQ(ok, c.ok) << c.text;
        if (std::isnan(c.seconds)) {
            EXPECT_TRUE(std::isnan(seconds)) << c.text;
        } else {
            EXPECT_DOUBLE_EQ(seconds, c.seconds) << c.text;
        }
    }
    bool ok = true;
    EXPECT_EQ(make_unit(TimeUnit::UNIT_BEATS, 0.0).scan_time_beats("1", ok), 0.0);
    EXPECT_FALSE(ok);
}

TEST(TimeUnit, PrintTimeUsesTheUnit)
{
    const struct
    {
        TimeUnit::UnitType unit;
        double seconds;
        int size;
        const char* text;
    } cases[] = {
        {TimeUnit::UNIT_MS, 1.5, 16, "1500"},
        {TimeUnit::UNIT_MS, 1234.5678, 16, "1.23457e+06"},
        {TimeUnit::UNIT_MS, 1.5, 2, "15"},
        {TimeUnit::UNIT_S, 0.25, 16, "0.25"},
        {TimeUnit::UNIT_S, 1.0 / 3.0, 16, "0.333333"},
        {TimeUnit::UNIT_S, 100000.0, 16, "100000"},
        {TimeUnit::UNIT_S, NAN_V, 16, "nan"},
        {TimeUnit::UNIT_BEATS, 1.25, 16, "2 1/2"},
    };
    for (const auto& c : cases) {
        std::array<char, 32> text{};
        make_unit(c.unit).print_time(text.data(), c.seconds, c.size);
        EXPECT_EQ(std::string(text.data()), c.text) << c.seconds;
    }
}

// Each case follows the printer's steps: whole part, room left for the
// fraction, then the denominator list with the fit, slack and stop rules.
TEST(TimeUnit, PrintBeatFractionFitsTheRoom)
{
    const struct
    {
        double beats;
        int size;
        const char* text;
    } cases[] = {
        {2.5, 16, "2 1/2"},
        {0.999999, 16, "1"}, // 2/2 is closest: a whole beat
        {100000.0, 16, "100000"},
        {2147483647.0, 16, "2147483647"},
        {2.9999999999999996, 1, "3"}, // a hair below counts as whole
        {0.75, 4, "3/4"},
        {1.0 / 128, 4, "1/96"},  // one numerator digit: 1/128 does not fit
        {1.0 / 128, 5, "1/128"}, // a short numerator lends the denominator a digit
        {0.5625, 4, "9/16"},
        {0.5625, 16, "5/9"}, // 9/16 hits the stop rule for long numerators
        {2.5, 3, "2"},       // no room for a fraction
        {123.5, 2, ""},      // not even for the whole number
        {0.0, 16, "0"},
        {NAN_V, 16, "nan"},
        {-INF_V, 16, "-inf"},
        {3e9, 16, "3e+09"},
    };
    for (const auto& c : cases) {
        std::array<char, 32> text{};
        text.fill('#');
        TimeUnit::print_beat_fraction(text.data(), c.beats, c.size);
        EXPECT_EQ(std::string(text.data()), c.text) << c.beats << " in " << c.size;
        EXPECT_EQ(text[std::size_t(c.size) + 1], '#') << c.beats << " in " << c.size;
    }
}

// A host may have set a decimal comma: texts keep their point.
TEST(TimeUnit, TextsIgnoreTheProcessLocale)
{
    const test_support::CommaLocale comma;
    if (!comma.active()) {
        GTEST_SKIP() << "no locale with a decimal comma could be set up";
    }
    const TimeUnit unit = make_unit(TimeUnit::UNIT_S);
    std::array<char, 17> text{};
    unit.print_time(text.data(), 1.5, 16);
    EXPECT_EQ(std::string(text.data()), "1.5");
    bool ok = false;
    EXPECT_EQ(unit.scan_time("1.5 s", ok), 1.5);
    EXPECT_TRUE(ok);
}

} // namespace
