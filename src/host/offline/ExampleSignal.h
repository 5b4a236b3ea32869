#pragma once

#include <vector>

namespace host::offline {

// The example input the project renders on a fresh machine: a stereo phrase
// rich in harmonics for the filter bank to pick from. Band-limited sawtooth
// notes of a slow arpeggio, slightly detuned between left and right, with a
// short noise burst on every beat. Always the same samples for the same
// arguments; peaks stay below 0.8.
//
// Any thread; no state; allocates the result.
class ExampleSignal
{
public:
    static constexpr int DEFAULT_RATE = 44100;
    static constexpr double DEFAULT_SECONDS = 6.0;

    ExampleSignal() = delete;

    // Interleaved stereo frames: seconds × rate of them.
    [[nodiscard]] static std::vector<float> make(int sample_rate, double seconds);
};

} // namespace host::offline
