#pragma once

#include "plugin/dsp/ParamNumeric.h"

#include <atomic>

// Cut-off frequency of the low-pass and base of the bands, 40 to 10240 Hz over
// eight octaves: natural = 40 * 2^(8 n). Displayed as a number, or, with the
// note display switched on, as a note name with octave (MIDI note 60 is "C 5").
// The static conversions serve the editor's note-snap switch.
class ParamCutFreq : public ParamNumeric<ParamCutFreq>
{
public:
    static constexpr const char* NAME_0 = "Cutoff Freq";
    static constexpr const char* UNIT_0 = "Hz";
    static constexpr double VAL_MIN = 40.0;
    static constexpr double VAL_MAX = 10240.0;
    // Bytes that `print_note` may write, terminator included: two for the
    // name, at most two octave digits.
    static constexpr long NOTE_TXT_SIZE = 5;

    [[nodiscard]] double denormalize_val(float norm) const noexcept override;
    [[nodiscard]] float normalize_val(double natural) const noexcept override;
    // At most min(max, 16) bytes with the terminator.
    void do_print_val(char* text, long max, double natural) const noexcept override;
    // A number clamped to 40..10240, or with the note display a note name; a
    // plain number is then refused.
    [[nodiscard]] double do_scan_val(const char* text, bool& ok) const noexcept override;

    // Main thread only (the editor): switches the note display.
    void set_nfs(bool flag) noexcept;

    // Any thread; pure computations.
    // 40 * 2^(8 norm), as `denormalize_val`.
    [[nodiscard]] static double denormalize(float norm) noexcept;
    // log2(freq / 40) / 8, as `normalize_val`.
    [[nodiscard]] static float normalize(double freq) noexcept;
    // 440 * 2^((note - 69) / 12): the frequency of a MIDI note number.
    [[nodiscard]] static double get_freq(int note) noexcept;
    // Semitones from A at 440 Hz, rounded half up, held to MIDI notes 0..127
    // (-69..58); frequencies of zero, below zero or not a number give -69.
    [[nodiscard]] static int get_note(double freq) noexcept;

    // Any thread: the note name of `freq` into `dst`, which holds at least
    // NOTE_TXT_SIZE bytes: the name of its semitone from C, then the octave
    // (the MIDI note number / 12).
    void print_note(double freq, char* dst) const noexcept;
    // Any thread: the frequency of a note name, clamped to 40..10240, or -1
    // when the text is no note. Only the first 15 characters count.
    [[nodiscard]] float scan_note(const char* text) const noexcept;

private:
    // Written by the editor, read when printing and parsing, which a host may
    // ask for from another thread; relaxed suffices for a lone flag that
    // publishes nothing else.
    std::atomic<bool> _nfs_flag{false};
};
