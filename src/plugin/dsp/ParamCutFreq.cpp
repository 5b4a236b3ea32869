#include "plugin/dsp/ParamCutFreq.h"

#include "lib/basic/StrNumDate.h"
#include "plugin/dsp/ParamText.h"

#include <charconv>
#include <cmath>
#include <numbers>

namespace {

// Note names by semitone from C, two characters each.
constexpr char notes[12][3] = {"C ", "C#", "D ", "D#", "E ", "F ",
                               "F#", "G ", "G#", "A ", "A#", "B "};

constexpr int NOTE_A4 = 69; // MIDI note of A at 440 Hz
constexpr int NOTE_MAX = 127;
constexpr int OCTAVE_LIMIT = 12; // octaves from here on are refused
constexpr long NOTE_SCAN_CHARS = 15;
constexpr float NO_NOTE = -1.0f;

// From here up the display shows whole numbers (999.5 prints as 1000).
constexpr double INTEGER_DISPLAY_FROM = 999.5;

// Semitone from C of a note letter A..G in either case, or -1.
[[nodiscard]] int semitone_of(char c) noexcept
{
    constexpr int semitones[7] = {9, 11, 0, 2, 4, 5, 7}; // A B C D E F G
    const char upper = static_cast<char>(c & ~0x20);
    return upper >= 'A' && upper <= 'G' ? semitones[upper - 'A'] : -1;
}

[[nodiscard]] bool is_digit(char c) noexcept
{
    return c >= '0' && c <= '9';
}

// Length of `text`, counting no further than `limit` characters.
[[nodiscard]] long length_within(const char* text, long limit) noexcept
{
    long n = 0;
    while (n < limit && text[n] != '\0') {
        ++n;
    }
    return n;
}

} // namespace

double ParamCutFreq::denormalize_val(float norm) const noexcept
{
    return denormalize(norm);
}

float ParamCutFreq::normalize_val(double natural) const noexcept
{
    return normalize(natural);
}

double ParamCutFreq::denormalize(float norm) noexcept
{
    const float octaves = norm * 8.0f;
    return 40.0 * std::exp(static_cast<double>(octaves) * std::numbers::ln2);
}

float ParamCutFreq::normalize(double freq) noexcept
{
    // log2(freq / 40) / 8
    return static_cast<float>(std::log(freq * 0.025) * 0.18033688011112042);
}

double ParamCutFreq::get_freq(int note) noexcept
{
    return 440.0 * std::pow(2.0, (note - NOTE_A4) / 12.0);
}

int ParamCutFreq::get_note(double freq) noexcept
{
    const double semitones = 12.0 * std::log2(freq / 440.0);
    // Written so that NaN (zero, negative or NaN frequencies) lands at the
    // bottom; clamping first also keeps the rounding in its defined range.
    if (!(semitones > -NOTE_A4)) {
        return -NOTE_A4;
    }
    if (semitones > NOTE_MAX - NOTE_A4) {
        return NOTE_MAX - NOTE_A4;
    }
    return basic::round_int(semitones);
}

void ParamCutFreq::print_note(double freq, char* dst) const noexcept
{
    const ParamText::RoundNearestScope round_nearest;
    const int note = get_note(freq) + NOTE_A4;
    dst[0] = notes[note % 12][0];
    dst[1] = notes[note % 12][1];
    const auto res = std::to_chars(dst + 2, dst + NOTE_TXT_SIZE - 1, note / 12);
    *res.ptr = '\0';
}

float ParamCutFreq::scan_note(const char* text) const noexcept
{
    if (text == nullptr) {
        return NO_NOTE;
    }
    const ParamText::RoundNearestScope round_nearest;
    const long nbr_chars = length_within(text, NOTE_SCAN_CHARS);
    int semitone = -1;
    bool sharp = false;
    long first_digit = -1;
    for (long i = 0; i < nbr_chars; ++i) {
        if (semitone < 0) {
            semitone = semitone_of(text[i]);
        }
        sharp = sharp || text[i] == '#';
        if (first_digit < 0 && is_digit(text[i])) {
            first_digit = i;
        }
    }
    if (semitone < 0 || first_digit < 0) {
        return NO_NOTE;
    }
    // The octave's digits, read no further than the window and refused as
    // soon as they reach 12, however long the run.
    int octave = 0;
    for (long i = first_digit; i < nbr_chars && is_digit(text[i]); ++i) {
        octave = octave * 10 + (text[i] - '0');
        if (octave >= OCTAVE_LIMIT) {
            return NO_NOTE;
        }
    }
    const int note = semitone + (sharp ? 1 : 0) + 12 * octave;
    const auto freq = static_cast<float>(get_freq(note));
    if (std::isnan(freq) || freq > VAL_MAX) {
        return static_cast<float>(VAL_MAX);
    }
    return freq < VAL_MIN ? static_cast<float>(VAL_MIN) : freq;
}

void ParamCutFreq::do_print_val(char* text, long max, double natural) const noexcept
{
    const ParamText::RoundNearestScope round_nearest;
    if (_nfs_flag.load(std::memory_order_relaxed)) {
        char note_txt[NOTE_TXT_SIZE] = {};
        print_note(natural, note_txt);
        ParamText::copy(text, max, note_txt, ParamText::PRINT_LIMIT);
    } else if (natural >= INTEGER_DISPLAY_FROM) {
        ParamText::print_int(text, max, basic::round_int(natural), ParamText::PRINT_NBR_CHARS,
                             ParamText::PRINT_LIMIT);
    } else {
        ParamNumeric::do_print_val(text, max, natural);
    }
}

double ParamCutFreq::do_scan_val(const char* text, bool& ok) const noexcept
{
    const ParamText::RoundNearestScope round_nearest;
    if (_nfs_flag.load(std::memory_order_relaxed)) {
        const float freq = scan_note(text);
        if (freq != NO_NOTE) {
            ok = true;
        }
        return freq;
    }
    return ParamNumeric::do_scan_val(text, ok);
}

void ParamCutFreq::set_nfs(bool flag) noexcept
{
    _nfs_flag.store(flag, std::memory_order_relaxed);
}
