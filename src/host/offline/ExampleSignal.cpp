#include "host/offline/ExampleSignal.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace host::offline {

namespace {

constexpr double PI = 3.141592653589793;
constexpr double BEAT_SECONDS = 0.5;
// A minor arpeggio around A2 (110 Hz), one note a beat.
constexpr std::array<double, 4> NOTE_HZ = {110.0, 130.8128, 164.8138, 220.0};
// The right channel is tuned 4 cents up: a slow beating between the sides.
constexpr double RIGHT_DETUNE = 1.0023131;
constexpr double SAW_LEVEL = 0.4;
constexpr double NOISE_LEVEL = 0.25;
constexpr double NOISE_DECAY_SECONDS = 0.03;

// Sum of the sawtooth's harmonics below half the rate: no aliasing.
double saw(double phase, double freq, int sample_rate)
{
    double sum = 0;
    for (int k = 1; k * freq < 0.5 * sample_rate && k <= 64; ++k) {
        sum += std::sin(2 * PI * k * phase) / k;
    }
    return sum * (2 / PI);
}

// A fixed-seed linear congruential generator: uniform in -1..1.
double next_noise(std::uint32_t& state)
{
    state = state * 1664525u + 1013904223u;
    return static_cast<double>(state >> 8) / double(1u << 23) - 1.0;
}

} // namespace

std::vector<float> ExampleSignal::make(int sample_rate, double seconds)
{
    const long nbr_frames = std::lround(std::max(seconds, 0.0) * sample_rate);
    std::vector<float> data(static_cast<std::size_t>(nbr_frames) * 2);
    std::uint32_t noise_state = 12345;
    std::array<double, 2> phase = {0, 0};
    for (long i = 0; i < nbr_frames; ++i) {
        const double t = static_cast<double>(i) / sample_rate;
        const auto beat = static_cast<long>(t / BEAT_SECONDS);
        const double since_beat = t - beat * BEAT_SECONDS;
        const double note = NOTE_HZ[static_cast<std::size_t>(beat) % NOTE_HZ.size()];
        // Each note fades in and out over its beat, so it starts and ends at 0.
        const double env = std::sin(PI * since_beat / BEAT_SECONDS);
        const double burst = NOISE_LEVEL * std::exp(-since_beat / NOISE_DECAY_SECONDS);
        for (int c = 0; c < 2; ++c) {
            const double freq = c == 0 ? note : note * RIGHT_DETUNE;
            phase[c] += freq / sample_rate;
            phase[c] -= std::floor(phase[c]);
            const double value = SAW_LEVEL * env * saw(phase[c], freq, sample_rate) +
                                 burst * next_noise(noise_state);
            data[static_cast<std::size_t>(i) * 2 + c] = static_cast<float>(value);
        }
    }
    return data;
}

} // namespace host::offline
