#pragma once

#include <array>

namespace mppi {

// A display unit for time values (seconds, beats or milliseconds) at a tempo:
// conversions, parsing of typed texts and printing. Times cross the interface
// in seconds.
//
// A plain value used by one thread at a time (the main thread, for parameter
// display); no operation allocates or depends on the process's C locale.
class TimeUnit
{
public:
    enum UnitType
    {
        UNIT_S = 0,
        UNIT_BEATS = 1,
        UNIT_MS = 2,

        UNIT_NBR_ELT
    };

    // The unit names, indexed by the unit.
    static constexpr std::array<const char*, UNIT_NBR_ELT> UNIT_TXT_0 = {"s", "beat", "ms"};

    // Milliseconds at 120 beats per minute.
    TimeUnit() = default;

    [[nodiscard]] UnitType get_unit() const noexcept { return _unit; }
    // A value outside the enumeration is ignored.
    void set_unit(UnitType unit) noexcept;
    [[nodiscard]] const char* get_unit_txt_0() const noexcept;

    // Beats per minute.
    [[nodiscard]] double get_tempo() const noexcept { return _tempo; }
    void set_tempo(double tempo) noexcept { _tempo = tempo; }

    [[nodiscard]] double convert_time_to_beats(double seconds) const noexcept;
    [[nodiscard]] double convert_beats_to_time(double beats) const noexcept;
    // The time in the current unit.
    [[nodiscard]] double convert_time(double seconds) const noexcept;

    // Reads a typed time and returns it in seconds: a text holding "ms" (any
    // case) is milliseconds, one ending in "beat" or "beats" is beats, one
    // holding "s" is seconds, anything else is in the current unit. `ok` is
    // set first, then cleared when the text holds no number, or a negative,
    // infinite or NaN one.
    [[nodiscard]] double scan_time(const char* text, bool& ok) const noexcept;
    // One number from the start of the text, in milliseconds or seconds. A
    // refused number is returned as read, unscaled; a text without a number
    // gives 0. They only ever clear `ok`.
    [[nodiscard]] double scan_time_ms(const char* text, bool& ok) const noexcept;
    [[nodiscard]] double scan_time_s(const char* text, bool& ok) const noexcept;
    // Beats as "a", "a/b" or "a b/c" (numbers apart by runs of at most 15
    // slashes or blanks), returned in seconds at the tempo. Clears `ok` for a
    // negative, infinite or NaN number, a zero denominator, a text of another
    // form and a result that is not finite; 0 is returned then.
    [[nodiscard]] double scan_time_beats(const char* text, bool& ok) const noexcept;

    // Writes the time in the current unit, at most `size` characters and a
    // terminator: beats as a whole number and a fraction, seconds and
    // milliseconds in "%g" form.
    // Precondition: `text` holds size + 1 bytes.
    void print_time(char* text, double seconds, int size) const noexcept;
    // Writes beats as a whole number and a fraction whose denominator comes
    // from a fixed list (2 to 256) and whose digits fit the room left, at most
    // `size` characters and a terminator: "2 1/2", "3/4", "5". A value a hair
    // below a whole number prints as that number. A value that is not finite
    // or whose whole part leaves the int range prints in "%g" form.
    // Precondition: `text` holds size + 1 bytes.
    static void print_beat_fraction(char* text, double beats, int size) noexcept;

private:
    UnitType _unit = UNIT_MS;
    double _tempo = 120.0;
};

} // namespace mppi
