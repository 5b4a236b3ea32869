#include "plugin/dsp/ParamCutFreq.h"

#include "support/ParamChecks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

using test_support::expect_refused;
using test_support::expect_scans;
using test_support::print_checked;

constexpr double nan_d = std::numeric_limits<double>::quiet_NaN();

std::string note_text(const ParamCutFreq& param, double freq)
{
    char dst[ParamCutFreq::NOTE_TXT_SIZE + 4] = {};
    std::fill(std::begin(dst), std::end(dst), '\x5a');
    param.print_note(freq, dst);
    for (long i = ParamCutFreq::NOTE_TXT_SIZE; i < static_cast<long>(sizeof dst); ++i) {
        EXPECT_EQ(dst[i], '\x5a') << freq;
    }
    return std::string(dst);
}

TEST(ParamCutFreq, NameUnitAndRange)
{
    test_support::expect_labels(ParamCutFreq{}, "Cutoff Freq", "Hz", 0);
}

// 40 * 2^(8n): 40, 160, 640, 2560, 10240 Hz; below 999.5 the first five
// characters of "%f", from there the rounded integer.
TEST(ParamCutFreq, TravelsEightOctavesFromFortyHertz)
{
    ParamCutFreq param;
    test_support::expect_points(param,
                                {{0.0f, 40.0, "40.00", 0.0f},
                                 {0.25f, 160.0, "160.0", 0.25f},
                                 {0.5f, 640.0, "640.0", 0.5f},
                                 {0.75f, 2560.0, "2560", 0.75f},
                                 {1.0f, 10240.0, "10240", 1.0f}},
                                1e-12);
    // log2(1000 / 40) / 8 = 0.58048202...
    EXPECT_NEAR(param.normalize_val(1000.0), std::log2(25.0) / 8.0, 1e-7);
    EXPECT_NEAR(ParamCutFreq::normalize(1000.0), 0.5804820, 1e-7);
    EXPECT_EQ(ParamCutFreq::denormalize(0.5f), param.denormalize_val(0.5f));
}

TEST(ParamCutFreq, MappingDoesNotClamp)
{
    ParamCutFreq param;
    EXPECT_NEAR(param.normalize_val(20.0), -1.0f / 8.0f, 1e-7f);       // one octave below 40
    EXPECT_NEAR(param.denormalize_val(1.125f), 20480.0, 1e-8 * 20480); // one above 10240
}

TEST(ParamCutFreq, PrintsWholeNumbersFromHalfBelowAThousand)
{
    ParamCutFreq param;
    EXPECT_EQ(print_checked(param, 999.4), "999.4");
    EXPECT_EQ(print_checked(param, 999.5), "1000");
    EXPECT_EQ(print_checked(param, 440.0), "440.0");
    EXPECT_EQ(print_checked(param, 1e300), "21474"); // saturated rounding, five characters
    EXPECT_EQ(print_checked(param, nan_d), "nan");
}

TEST(ParamCutFreq, PrintingWritesAtMostLenBytes)
{
    ParamCutFreq param;
    EXPECT_EQ(print_checked(param, 10240.0, 3), "10");
    EXPECT_EQ(print_checked(param, 440.0, 1), "");
    EXPECT_EQ(print_checked(param, 440.0, 0), "");
    EXPECT_EQ(print_checked(param, 440.0, -5), "");
    param.set_nfs(true);
    EXPECT_EQ(print_checked(param, 10240.0, 3), "D#");
}

TEST(ParamCutFreq, ParsesNumbersClampedToRange)
{
    ParamCutFreq param;
    expect_scans(param, {{"440", 440.0},
                         {" 1e3", 1000.0},
                         {"+250.5 Hz", 250.5},
                         {"20000", 10240.0},
                         {"10", 40.0},
                         {"-3", 40.0},
                         {"nan", 10240.0},
                         {"1e999", 10240.0},
                         {"-1e999", 40.0}});
    expect_refused(param, {"", "   ", "Hz", "A5", nullptr});
}

// Semitones from A at 440 Hz, held to MIDI notes 0..127.
TEST(ParamCutFreq, NoteNumbersAndFrequencies)
{
    EXPECT_EQ(ParamCutFreq::get_note(440.0), 0);
    EXPECT_EQ(ParamCutFreq::get_note(880.0), 12);
    EXPECT_EQ(ParamCutFreq::get_note(261.63), -9);
    EXPECT_EQ(ParamCutFreq::get_note(8.0), -69); // -69.37 rounds to MIDI note 0
    EXPECT_NEAR(ParamCutFreq::get_freq(69), 440.0, 1e-12);
    EXPECT_NEAR(ParamCutFreq::get_freq(60), 440.0 * std::pow(2.0, -0.75), 1e-9);
    // Frequencies below MIDI note 0, zero, negative, NaN; above note 127.
    for (const double freq : {7.0, 0.0, -440.0, nan_d, -std::numeric_limits<double>::infinity()}) {
        EXPECT_EQ(ParamCutFreq::get_note(freq), -69) << freq;
    }
    for (const double freq : {13000.0, 1e300, std::numeric_limits<double>::infinity()}) {
        EXPECT_EQ(ParamCutFreq::get_note(freq), 58) << freq;
    }
}

// The note name of the semitone from C, then MIDI note / 12: note 60 is "C 5".
TEST(ParamCutFreq, PrintsNoteNamesWithOctave)
{
    ParamCutFreq param;
    EXPECT_EQ(note_text(param, 261.63), "C 5");
    EXPECT_EQ(note_text(param, 440.0), "A 5");
    EXPECT_EQ(note_text(param, 40.0), "D#2");     // note 27
    EXPECT_EQ(note_text(param, 10240.0), "D#10"); // note 123
    EXPECT_EQ(note_text(param, 1000.0), "B 6");   // note 83
    EXPECT_EQ(note_text(param, 8.18), "C 0");     // note 0
    EXPECT_EQ(note_text(param, 0.0), "C 0");
    EXPECT_EQ(note_text(param, -50.0), "C 0");
    EXPECT_EQ(note_text(param, nan_d), "C 0");
    EXPECT_EQ(note_text(param, 13000.0), "G 10"); // note 128 held to 127
}

TEST(ParamCutFreq, ScansNoteNamesIntoClampedFrequencies)
{
    ParamCutFreq param;
    struct Case
    {
        const char* text;
        double freq; // 440 * 2^((semitone + 12 octave - 69) / 12), clamped
    };
    const Case cases[] = {
        {"A5", 440.0},
        {"a5", 440.0},
        {"C#5", 277.18263}, // note 61
        {"B#4", 261.62557}, // note 60: the sharp lifts B4 to C5
        {"Hb5", 493.88330}, // 'H' is no note letter: B5, note 71
        {"5A", 440.0},      // letter and digit in either order
        {"A05", 440.0},     // leading zero
        {"A0", 40.0},       // 13.75 Hz held to 40
        {"C1", 40.0},       // 16.35 Hz held to 40
        {"A10", 10240.0},   // 14080 Hz held to 10240
        {"G11", 10240.0},
        {"A             05", 40.0}, // octave 0: the 16th character does not count
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(param.scan_note(c.text), c.freq, 1e-3) << c.text;
    }
    const char* refused[] = {"A",
                             "5",
                             "#5",
                             "xyz9",
                             "A12",
                             "A99999999999999999999999",
                             "",
                             nullptr,
                             "               A5",
                             "A              5"};
    for (const char* text : refused) {
        EXPECT_EQ(param.scan_note(text), -1.0f) << (text != nullptr ? text : "(null)");
    }
}

TEST(ParamCutFreq, NoteDisplaySwitchesPrintingAndParsing)
{
    ParamCutFreq param;
    param.set_nfs(true);
    EXPECT_EQ(print_checked(param, 261.63), "C 5");
    expect_scans(param, {{"A5", 440.0}, {"c#5", 277.18263}, {"A0", 40.0}}, 1e-3);
    expect_refused(param, {"440", "A", "A12", "#5"});
    param.set_nfs(false);
    EXPECT_EQ(print_checked(param, 261.63), "261.6");
    expect_scans(param, {{"440", 440.0}});
}

} // namespace
